#include "configdoc/mainframe.h"

#include "terminal/emulatorframe.h"

#include "common/cformat.h"
#include "common/documenttypes.h"
#include "common/guiinteraction.h"
#include "common/help.h"
#include "common/helptopics.h"
#include "common/recentfiles.h"
#include "common/settings.h"
#include "configdoc/configsplitter.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/datafile.h"
#include "configdoc/paramprinter.h"
#include "corvaneapp.h"
#include "device/commcommands.h"
#include "device/connection.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

// The resources of a static library are linked in only when asked for.
static void InitAppResources()
{
    Q_INIT_RESOURCE(app);
}

namespace corvane::app {

namespace {

constexpr const char* kDataFileFilter = "Corvane Files (*.mlb)|*.mlb|All Files (*.*)|*.*||";

QString Blank3()
{
    return QStringLiteral("   ");
}

QIcon AppIcon(const char* name, QStyle::StandardPixmap fallback)
{
    QIcon icon(QStringLiteral(":/app/%1.svg").arg(QLatin1String(name)));
    if (icon.pixmap(16, 16).isNull())
        return QApplication::style()->standardIcon(fallback);
    return icon;
}

} // namespace

QString ActionObjectName(const QString& menuText)
{
    QString text = menuText.section(QLatin1Char('\t'), 0, 0);
    QString name;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&'))
                name += QLatin1Char('&'), ++i;
            continue;
        }
        name += text[i];
    }
    return name.trimmed();
}

CMainFrame::CMainFrame(CCorvaneApp& app, Interaction* interaction) : app_(app)
{
    InitAppResources();
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("mainFrame"));
    if (interaction) {
        interaction_ = interaction;
    } else {
        ownInteraction_ = std::make_unique<GuiInteraction>(this);
        interaction_ = ownInteraction_.get();
    }
    doc_ = std::make_unique<CCorvaneDoc>();
    link_ = std::make_unique<ControllerLink>(app_.settings(), *interaction_);
    doc_->setConnectionHooks(link_.get());
    link_->statusLine = [this](const std::string& text) {
        showMessage(QString::fromStdString(text));
        updateStatus();
    };
    doc_->onViewsChanged = [this] {
        if (splitter_)
            splitter_->refresh();
        updateStatus();
    };

    splitter_ = new CConfigSplitter(*doc_, *link_, app_.settings(), *interaction_, this);
    SetHelpTopic(splitter_, helptopic::ConfigurationWindow);
    setCentralWidget(splitter_);

    buildMenus();
    buildToolBar();
    buildStatusBar();
    updateTitle();
    updateStatus();
    resize(640, 420);
    setAcceptDrops(true);
}

CMainFrame::~CMainFrame()
{
    // The views refer to the document: they go first, the terminal among them.
    delete CEmulatorFrame::For(*doc_);
    doc_->onViewsChanged = nullptr;
    link_->statusLine = nullptr;
    delete takeCentralWidget();
    splitter_ = nullptr;
    doc_->setConnectionHooks(nullptr);
    doc_->protocol.reset();
}

QLabel* CMainFrame::statusPane(int index)
{
    return index >= 0 && index < PaneCount ? panes_[index] : nullptr;
}

QAction* CMainFrame::action(const QString& name) const
{
    return findChild<QAction*>(name);
}

QAction* CMainFrame::addAction(QMenu* menu, const QString& text, const QKeySequence& shortcut)
{
    QString shown = text.section(QLatin1Char('\t'), 0, 0);
    auto* a = new QAction(shown, this);
    a->setObjectName(ActionObjectName(text));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    if (menu)
        menu->addAction(a);
    return a;
}

void CMainFrame::buildMenus()
{
    // File
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    QMenu* newMenu = fileMenu_->addMenu(QStringLiteral("&New"));
    for (const DocumentTypeInfo& type : DocumentTypes()) {
        if (!type.available || type.newCommand.empty())
            continue;
        QString text = QString::fromUtf8(type.newCommand.data(), static_cast<qsizetype>(type.newCommand.size()));
        QAction* a = addAction(newMenu, text);
        if (type.kind == DocumentKind::Configuration) {
            a->setShortcut(QKeySequence::New);
            a->setIcon(AppIcon("new", QStyle::SP_FileIcon));
            connect(a, &QAction::triggered, &app_, [this] { app_.newConfigurationDocument(); });
        }
    }
    QAction* open = addAction(fileMenu_, QStringLiteral("&Open...\tCtrl+O"), QKeySequence::Open);
    open->setIcon(AppIcon("open", QStyle::SP_DialogOpenButton));
    connect(open, &QAction::triggered, this, [this] {
        FileDialogRequest request;
        request.title = "Open";
        request.filter = OpenFileFilter();
        request.save = false;
        if (auto path = interaction_->askFile(request))
            app_.openDocument(QString::fromStdString(*path));
    });
    QAction* close = addAction(fileMenu_, QStringLiteral("&Close"));
    connect(close, &QAction::triggered, this, &QWidget::close);
    QAction* save = addAction(fileMenu_, QStringLiteral("&Save\tCtrl+S"), QKeySequence::Save);
    save->setIcon(AppIcon("save", QStyle::SP_DialogSaveButton));
    connect(save, &QAction::triggered, this, &CMainFrame::save);
    QAction* saveAsAction = addAction(fileMenu_, QStringLiteral("Save &As..."));
    connect(saveAsAction, &QAction::triggered, this, &CMainFrame::saveAs);
    fileMenu_->addSeparator();

    auto print = [this](PrintAction how) {
        PrintListing(this, *doc_, app_.settings(), how);
    };
    QAction* printAction = addAction(fileMenu_, QStringLiteral("&Print...\tCtrl+P"), QKeySequence::Print);
    printAction->setIcon(AppIcon("print", QStyle::SP_FileDialogDetailedView));
    connect(printAction, &QAction::triggered, this, [print] { print(PrintAction::Dialog); });
    QAction* direct = addAction(nullptr, QStringLiteral("Print &Direct"));
    direct->setIcon(AppIcon("print", QStyle::SP_FileDialogDetailedView));
    connect(direct, &QAction::triggered, this, [print] { print(PrintAction::Direct); });
    QAction* preview = addAction(fileMenu_, QStringLiteral("Print Pre&view"));
    connect(preview, &QAction::triggered, this, [print] { print(PrintAction::Preview); });
    QAction* setup = addAction(fileMenu_, QStringLiteral("P&rint Setup..."));
    connect(setup, &QAction::triggered, this, [this] { PrintSetup(this); });

    recentSeparator_ = fileMenu_->addSeparator();
    fileMenu_->addSeparator();
    exitAction_ = addAction(fileMenu_, QStringLiteral("E&xit"));
    connect(exitAction_, &QAction::triggered, &app_, [this] { app_.closeAllFrames(); });
    connect(fileMenu_, &QMenu::aboutToShow, this, &CMainFrame::rebuildRecentFiles);
    rebuildRecentFiles();

    // View
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* toolBarToggle = addAction(view, QStringLiteral("&Toolbar"));
    toolBarToggle->setCheckable(true);
    toolBarToggle->setChecked(true);
    connect(toolBarToggle, &QAction::toggled, this, [this](bool on) {
        if (auto* bar = findChild<QToolBar*>(QStringLiteral("toolBar")))
            bar->setVisible(on);
    });
    QAction* statusToggle = addAction(view, QStringLiteral("&Status Bar"));
    statusToggle->setCheckable(true);
    statusToggle->setChecked(true);
    connect(statusToggle, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    view->addSeparator();
    auto* modes = new QActionGroup(this);
    const std::pair<const char*, ListViewMode> modeTexts[] = {
        {"Lar&ge Icons", ListViewMode::LargeIcons},
        {"S&mall Icons", ListViewMode::SmallIcons},
        {"&List", ListViewMode::List},
        {"&Details", ListViewMode::Details},
    };
    for (const auto& [text, mode] : modeTexts) {
        QAction* a = addAction(view, QString::fromLatin1(text));
        a->setCheckable(true);
        a->setChecked(mode == ListViewMode::Details);
        modes->addAction(a);
        connect(a, &QAction::triggered, this, [this, m = mode] { splitter_->setListViewMode(m); });
    }
    QAction* arrange = addAction(view, QStringLiteral("&Arrange Icons"));
    connect(arrange, &QAction::triggered, this, [this] { splitter_->arrange(); });
    view->addSeparator();
    QAction* options = addAction(view, QStringLiteral("General Options..."));
    connect(options, &QAction::triggered, this, [this] { app_.showGeneralOptions(this); });

    // Communications
    QMenu* comm = menuBar()->addMenu(QStringLiteral("&Communications"));
    auto addCommand = [&](DocumentCommand command) {
        const DocumentCommandInfo& info = CommandInfo(command);
        QAction* a = addAction(comm, QString::fromUtf8(info.text.data(), static_cast<qsizetype>(info.text.size())));
        connect(a, &QAction::triggered, this, [this, command] { runCommand(command); });
        commandActions_.emplace_back(command, a);
        return a;
    };
    addCommand(DocumentCommand::CommOptions);
    QAction* portSettings = addAction(comm, QStringLiteral("Comm Port Settings..."));
    connect(portSettings, &QAction::triggered, this, [this] {
        ShowPortSettings(this, app_.settings(), doc_->commPort > 0 ? doc_->commPort : 1);
        updateStatus();
    });
    comm->addSeparator();
    addCommand(DocumentCommand::RetryCommunications);
    addCommand(DocumentCommand::GoOffline);
    comm->addSeparator();
    addCommand(DocumentCommand::ReadSelectedFolder);
    addCommand(DocumentCommand::ReadAll)->setIcon(AppIcon("read", QStyle::SP_ArrowDown));
    addCommand(DocumentCommand::DumpSelectedFolder);
    addCommand(DocumentCommand::DumpAll)->setIcon(AppIcon("dump", QStyle::SP_ArrowUp));
    comm->addSeparator();
    addCommand(DocumentCommand::EventLog);
    addCommand(DocumentCommand::AuditLog);
    addCommand(DocumentCommand::TransactionLog);
    comm->addSeparator();
    addCommand(DocumentCommand::BrowsePellion);
    addCommand(DocumentCommand::UpgradeFirmware);
    comm->addSeparator();
    QAction* terminal = addAction(comm, QStringLiteral("&Terminal Emulator\tAlt-F10"), QKeySequence(Qt::ALT | Qt::Key_F10));
    connect(terminal, &QAction::triggered, this, &CMainFrame::openTerminal);
    connect(comm, &QMenu::aboutToShow, this, &CMainFrame::updateStatus);

    // Help
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* topics = addAction(help, QStringLiteral("&Help Topics"));
    topics->setIcon(AppIcon("help", QStyle::SP_DialogHelpButton));
    connect(topics, &QAction::triggered, this, [this] { app_.showHelpTopic(helptopic::Default); });
    QAction* web = addAction(help, QStringLiteral("Halvard Meter on the &Web"));
    connect(web, &QAction::triggered, this, [this] { OpenMakerWebSite(app_.shell(), app_.settings()); });
    checkForUpdates_ = addAction(help, QStringLiteral("&Check for Updates..."));
    connect(checkForUpdates_, &QAction::triggered, this, [this] {
        busy_ = true;
        app_.checkForUpdates(*this);
        busy_ = false;
    });
    help->addSeparator();
    QAction* about = addAction(help, QStringLiteral("&About Corvane for Pellion.net..."));
    connect(about, &QAction::triggered, this, [this] {
        CAboutDlg dialog(this);
        dialog.exec();
    });
    connect(help, &QMenu::aboutToShow, this, &CMainFrame::updateStatus);
}

void CMainFrame::buildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Standard"));
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    bar->setIconSize(QSize(16, 16));
    for (const char* name : {"Pellion.net Data File", "Open...", "Save"})
        bar->addAction(action(QString::fromLatin1(name)));
    bar->addSeparator();
    bar->addAction(action(QStringLiteral("Print Direct")));
    bar->addSeparator();
    bar->addAction(action(QStringLiteral("Read All")));
    bar->addAction(action(QStringLiteral("Dump All")));
    bar->addSeparator();
    bar->addAction(action(QStringLiteral("Help Topics")));
}

void CMainFrame::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setSizeGripEnabled(true);
    const QFontMetrics metrics(bar->font());
    for (int i = 0; i < PaneCount; ++i) {
        panes_[i] = new QLabel(this);
        panes_[i]->setObjectName(QStringLiteral("statusPane%1").arg(i));
    }
    panes_[MessagePane]->setText(QStringLiteral("Ready"));
    bar->addWidget(panes_[MessagePane], 1);

    panes_[DocumentPane]->setText(Blank3());
    panes_[DocumentPane]->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("Line:    0    Column:    0")) + 8);
    panes_[PortPane]->setText(Blank3());
    panes_[PortPane]->setMinimumWidth(metrics.averageCharWidth() * 31 + 8);
    panes_[CapsPane]->setText(QStringLiteral("CAP"));
    panes_[NumPane]->setText(QStringLiteral("NUM"));
    // The lock states cannot be read on every platform: the indicators stay greyed.
    panes_[CapsPane]->setEnabled(false);
    panes_[NumPane]->setEnabled(false);
    for (int i = DocumentPane; i < PaneCount; ++i) {
        panes_[i]->setFrameShape(QFrame::Panel);
        panes_[i]->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(panes_[i]);
    }
}

void CMainFrame::rebuildRecentFiles()
{
    for (QAction* a : recentActions_)
        delete a;
    recentActions_.clear();
    const RecentFiles& recent = app_.recentFiles();
    QAction* before = fileMenu_->actions().value(fileMenu_->actions().indexOf(recentSeparator_) + 1);
    for (int i = 0; i < static_cast<int>(recent.files().size()); ++i) {
        const QString path = QString::fromStdString(recent.files()[i]);
        auto* a = new QAction(QString::fromStdString(recent.menuText(i)), this);
        a->setObjectName(ActionObjectName(a->text()));
        a->setStatusTip(path);
        a->setToolTip(path);
        connect(a, &QAction::triggered, &app_, [this, path] {
            if (!app_.openDocument(path))
                app_.recentFiles().remove(path.toStdString());
        });
        fileMenu_->insertAction(before, a);
        recentActions_.push_back(a);
    }
    recentSeparator_->setVisible(!recentActions_.empty());
}

void CMainFrame::runCommand(DocumentCommand command)
{
    busy_ = true;
    if (command == DocumentCommand::UpgradeFirmware)
        RunFirmwareUpgrade(this, *doc_, *link_, app_.settings(), app_.internet(), *interaction_);
    else
        RunDocumentCommand(command, this, *doc_, *link_, app_.settings(), *interaction_, app_.shell());
    busy_ = false;
    updateTitle();
    updateStatus();
}

void CMainFrame::newDocument(std::optional<std::uint32_t> tcpAddress)
{
    if (tcpAddress) {
        // Contact the controller at the address given, not the new document's COM1 first.
        doc_->setConnectionHooks(nullptr);
        doc_->OnNewDocument();
        doc_->commPort = 0;
        doc_->controllerAddress = *tcpAddress;
        doc_->setConnectionHooks(link_.get());
        doc_->runContact();
    } else {
        doc_->OnNewDocument();
    }
    doc_->updateAllViews();
    updateTitle();
    updateStatus();
}

bool CMainFrame::openFile(const QString& path)
{
    FileResult result = LoadDataFile(*doc_, path.toStdString(), *interaction_);
    if (!result.ok()) {
        interaction_->showMessage(result.message, "Corvane", MessageIcon::Warning);
        return false;
    }
    doc_->updateAllViews();
    updateTitle();
    updateStatus();
    return true;
}

bool CMainFrame::save()
{
    if (doc_->pathName().empty())
        return saveAs();
    return saveTo(doc_->pathName());
}

bool CMainFrame::saveAs()
{
    FileDialogRequest request;
    request.title = "Save As";
    request.filter = kDataFileFilter;
    request.defaultExtension = ".mlb";
    request.save = true;
    std::string name = doc_->pathName().empty() ? doc_->title() : doc_->pathName();
    if (QFileInfo(QString::fromStdString(name)).suffix().isEmpty())
        name += ".mlb";
    request.defaultName = name;
    auto path = interaction_->askFile(request);
    if (!path)
        return false;
    std::string chosen = *path;
    if (QFileInfo(QString::fromStdString(chosen)).suffix().isEmpty())
        chosen += ".mlb";
    return saveTo(chosen);
}

bool CMainFrame::saveTo(const std::string& path)
{
    FileResult result = SaveDataFile(*doc_, path);
    if (!result.ok()) {
        interaction_->showMessage(result.message, "Corvane", MessageIcon::Warning);
        return false;
    }
    app_.recentFiles().add(doc_->pathName());
    updateTitle();
    updateStatus();
    return true;
}

bool CMainFrame::saveModified()
{
    if (!doc_->isModified())
        return true;
    const std::string name = doc_->pathName().empty() ? doc_->title() : doc_->pathName();
    switch (interaction_->ask(CFormat("Save changes to %s?", name.c_str()), "Corvane", Buttons::YesNoCancel,
                              MessageIcon::Warning)) {
    case Answer::Yes: return save();
    case Answer::No: return true;
    default: return false;
    }
}

void CMainFrame::updateTitle()
{
    setWindowTitle(QString::fromStdString(doc_->title()) + QStringLiteral("[*] - Corvane"));
    setWindowModified(doc_->isModified());
}

void CMainFrame::updateStatus()
{
    const int state = doc_->connectionState;
    panes_[DocumentPane]->setText(state == NotContacted ? Blank3() : QString::fromUtf8(ConnectionStateText(state)));
    const std::string link = doc_->protocol ? doc_->protocol->LinkText() : std::string();
    panes_[PortPane]->setText(link.empty() ? Blank3() : QString::fromStdString(link));

    for (auto& [command, a] : commandActions_)
        a->setEnabled(CommandAvailable(command, *doc_));
    checkForUpdates_->setEnabled(app_.updateCheckFlag());
    setWindowModified(doc_->isModified());
}

void CMainFrame::showMessage(const QString& text)
{
    panes_[MessagePane]->setText(text);
    // Contact phases are shown while the link waits: let them appear.
    panes_[MessagePane]->repaint();
}

void CMainFrame::closeWithoutAsking()
{
    forceClose_ = true;
    close();
}

CEmulatorFrame* CMainFrame::openTerminal()
{
    TerminalFrameActions actions;
    actions.saveAs = [this] { saveAs(); };
    actions.generalOptions = [this] { app_.showGeneralOptions(this); };
    actions.stateChanged = [this] { updateStatus(); };
    return CEmulatorFrame::Open(*doc_, *link_, app_.settings(), *interaction_, app_.shell(), std::move(actions));
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A command is still running, or a link waits with events let through:
    // the document must outlive the exchange under way.
    const bool busy = busy_ || LinkBusy();
    if (busy || (!forceClose_ && !saveModified())) {
        if (busy)
            QApplication::beep();
        event->ignore();
        return;
    }
    event->accept();
    app_.frameClosed(this);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            app_.openDocument(url.toLocalFile());
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        app_.frameActivated(this);
        updateStatus();
    }
}

} // namespace corvane::app
