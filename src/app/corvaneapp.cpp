#include "corvaneapp.h"

#include "common/cformat.h"
#include "common/documenttypes.h"
#include "common/guiinteraction.h"
#include "common/help.h"
#include "common/recentfiles.h"
#include "common/settings.h"
#include "common/shell.h"
#include "configdoc/appoptionsdlg.h"
#include "configdoc/configsplitter.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/datafile.h"
#include "configdoc/editprogramcode.h"
#include "configdoc/mainframe.h"
#include "configdoc/paramprinter.h"
#include "device/commcommands.h"
#include "dictionary/literals.h"
#include "singleinstance.h"
#include "transfer/internetsession.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace corvane::app {

namespace {

constexpr const char* kControllerFontFile = "HVDFONT.FON";

QString CanonicalPath(const QString& path)
{
    QFileInfo info(path);
    QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// "Select an Entry from the List".
class CSelectEntryDlg : public QDialog {
public:
    CSelectEntryDlg(const QStringList& rows, QWidget* parent) : QDialog(parent)
    {
        setObjectName(QStringLiteral("selectEntryDialog"));
        setWindowTitle(QStringLiteral("Select an Entry from the List"));
        list_ = new QListWidget(this);
        list_->setObjectName(QStringLiteral("entries"));
        list_->addItems(rows);
        QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        list_->setFont(fixed);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(list_);
        layout->addWidget(buttons);
        resize(420, 220);
    }
    int selectedRow() const { return list_->selectedItems().isEmpty() ? -1 : list_->currentRow(); }

private:
    QListWidget* list_;
};

} // namespace

QStringList ControllerFontFolders()
{
    QStringList folders{QCoreApplication::applicationDirPath(),
                        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/corvane"))};
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::AppDataLocation))
        folders << folder;
    return folders;
}

int LoadControllerFont(const QStringList& folders)
{
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(QLatin1String(kControllerFontFile));
        if (!QFileInfo::exists(path))
            continue;
        const int id = QFontDatabase::addApplicationFont(path);
        if (id >= 0)
            return id;
    }
    return -1;
}

CCorvaneApp::CCorvaneApp(Settings& settings, Interaction* interaction, Shell* shell)
    : settings_(settings), interaction_(interaction), shell_(shell)
{
    if (!shell_) {
        ownShell_ = std::make_unique<DesktopShell>();
        shell_ = ownShell_.get();
    }
    print_ = [this](QWidget* frame, CCorvaneDoc& doc, const QString& printer) {
        return PrintListing(frame, doc, settings_, PrintAction::Direct, printer);
    };
}

CCorvaneApp::~CCorvaneApp()
{
    ExitInstance();
}

Interaction& CCorvaneApp::messages()
{
    if (interaction_)
        return *interaction_;
    if (!ownMessages_)
        ownMessages_ = std::make_unique<GuiInteraction>();
    static_cast<GuiInteraction&>(*ownMessages_).setParent(mainFrame_);
    return *ownMessages_;
}

bool CCorvaneApp::InitInstance(const QStringList& arguments)
{
    std::vector<std::string> args;
    for (const QString& a : arguments)
        args.push_back(a.toStdString());
    const CommandLineResult parsed = ParseCommandLine(args);
    if (!parsed.ok()) {
        std::fprintf(stderr, "corvane: %s\n%s", parsed.error.c_str(), CommandLineUsage().c_str());
        exitCode_ = 2;
        return false;
    }
    const CommandLine& cl = parsed.commandLine;
    if (cl.action == CommandLine::Action::Help) {
        std::fputs(CommandLineUsage().c_str(), stdout);
        exitCode_ = 0;
        return false;
    }
    if (cl.action == CommandLine::Action::NewTcp && !cl.saveAs.empty())
        return writeNewTcpDocument(cl);

    // 1. One instance: a second start hands its request over and ends.
    const QString serverName = QString::fromStdString(InstanceServerName(cl.settingsFile));
    if (auto request = RequestFor(cl, QDir::currentPath().toStdString())) {
        switch (HandOverRequest(serverName, *request)) {
        case HandOver::Done:
            exitCode_ = 0;
            return false;
        case HandOver::Failed:
            std::fprintf(stderr, "corvane: the running instance did not take the request\n");
            exitCode_ = 1;
            return false;
        case HandOver::NoServer:
            break;
        }
    }
    // A start only to print serves nobody: it ends when the print is done.
    if (!cl.printOnly()) {
        instance_ = std::make_unique<SingleInstance>(serverName);
        if (instance_->listen())
            instance_->onRequest = [this](const InstanceRequest& r) { handleRequest(r); };
        else
            std::fprintf(stderr, "corvane: cannot serve %s; a later start opens a window of its own\n",
                         qPrintable(serverName));
    }

    // 5. The controller literal table.
    std::string failure;
    if (!CheckLiteralTable(&failure)) {
        std::fputs(failure.c_str(), stderr);
        messages().showMessage(failure, "Corvane", MessageIcon::Error);
        exitCode_ = 1;
        return false;
    }

    // 6. The controller font for the life of the program.
    fontId_ = LoadControllerFont(ControllerFontFolders());

    // 7. The recent-file list.
    recentFiles_ = std::make_unique<RecentFiles>(settings_, kRecentFileCount);

    // Waits on the network keep the windows alive; help buttons of the editors open the manual.
    InstallEventPump();
    SetEditorHelpHandler([this](QWidget*, int topic) { showHelpTopic(topic); });
    qApp->installEventFilter(this);

    // 11. What the command line asks for.
    switch (cl.action) {
    case CommandLine::Action::New:
        newConfigurationDocument();
        break;
    case CommandLine::Action::NewTcp: {
        CMainFrame* frame = createFrame();
        frames_.push_back(frame);
        frame->show();
        frameActivated(frame);
        frame->newDocument(cl.tcpAddress);
        emit framesChanged();
        break;
    }
    case CommandLine::Action::Open:
        if (!openDocument(QString::fromStdString(cl.file))) {
            exitCode_ = 1;
            return false;
        }
        break;
    case CommandLine::Action::Print:
    case CommandLine::Action::PrintTo:
        exitCode_ = printDocument(QString::fromStdString(cl.file), QString::fromStdString(cl.printer)) ? 0 : 1;
        return false;
    case CommandLine::Action::Help:
        return false;
    }

    // 13. The internet connection, once the main window stands.
    createInternetConnection();
    return true;
}

void CCorvaneApp::createInternetConnection()
{
    internet_ = internetFactory_ ? internetFactory_() : InternetSession::Create();
    if (!internet_) {
        messages().showMessage(kNetworkInitError, "Corvane", MessageIcon::Error);
        return;
    }
    internet_->applySettings(settings_);
    // The update check needs the connection; it may run whenever there is one.
    setUpdateCheckFlag(true);
}

void CCorvaneApp::checkForUpdates(CMainFrame& frame)
{
    if (!updateCheckFlag_ || !internet_) {
        QApplication::beep();
        return;
    }
    // One check at a time.
    setUpdateCheckFlag(false);
    RunUpdateCheck(&frame, *internet_, frame.interaction(), *shell_, settings_, [this] { quitAtOnce(); });
    setUpdateCheckFlag(true);
}

void CCorvaneApp::quitAtOnce()
{
    // The event loop ends and the frames close without asking.
    emit quitPosted();
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

bool CCorvaneApp::writeNewTcpDocument(const CommandLine& cl)
{
    CCorvaneDoc doc;
    doc.OnNewDocument();
    doc.commPort = 0;
    doc.controllerAddress = cl.tcpAddress;
    FileResult result = SaveDataFile(doc, cl.saveAs);
    if (!result.ok()) {
        std::fprintf(stderr, "corvane: %s %s\n", result.message.c_str(), result.detail.c_str());
        exitCode_ = 1;
    } else {
        exitCode_ = 0;
    }
    return false;
}

void CCorvaneApp::ExitInstance()
{
    if (exiting_)
        return;
    exiting_ = true;
    if (qApp)
        qApp->removeEventFilter(this);
    const std::vector<CMainFrame*> frames = frames_;
    frames_.clear();
    mainFrame_ = nullptr;
    for (CMainFrame* frame : frames)
        delete frame;
    instance_.reset();
    internet_.reset();
    if (fontId_ >= 0) {
        QFontDatabase::removeApplicationFont(fontId_);
        fontId_ = -1;
    }
    SetEditorHelpHandler(nullptr);
}

CMainFrame* CCorvaneApp::createFrame()
{
    return new CMainFrame(*this, interaction_);
}

CMainFrame* CCorvaneApp::newConfigurationDocument()
{
    CMainFrame* frame = createFrame();
    frames_.push_back(frame);
    frame->show();
    frameActivated(frame);
    frame->newDocument();
    emit framesChanged();
    return frame;
}

CMainFrame* CCorvaneApp::findFrame(const QString& path) const
{
    const QString wanted = CanonicalPath(path);
    for (CMainFrame* frame : frames_) {
        const std::string& p = frame->document().pathName();
        if (!p.empty() && CanonicalPath(QString::fromStdString(p)) == wanted)
            return frame;
    }
    return nullptr;
}

CMainFrame* CCorvaneApp::openDocument(const QString& path)
{
    if (path.isEmpty())
        return newConfigurationDocument();
    if (CMainFrame* open = findFrame(path)) {
        open->show();
        open->raise();
        open->activateWindow();
        frameActivated(open);
        return open;
    }
    // Every file opens by its type; the configuration document is the only type
    // built so far, and a file of no known type is tried as one (its load says
    // when it is not).
    const QString absolute = QFileInfo(path).absoluteFilePath();
    CMainFrame* frame = createFrame();
    if (!frame->openFile(absolute)) {
        delete frame;
        return nullptr;
    }
    frames_.push_back(frame);
    frame->show();
    frameActivated(frame);
    recentFiles_->add(frame->document().pathName());
    emit framesChanged();
    return frame;
}

bool CCorvaneApp::printDocument(const QString& path, const QString& printer)
{
    if (CMainFrame* open = findFrame(path))
        return print_(open, open->document(), printer);
    std::unique_ptr<CMainFrame> frame(createFrame());
    if (!frame->openFile(QFileInfo(path).absoluteFilePath()))
        return false;
    return print_(frame.get(), frame->document(), printer);
}

void CCorvaneApp::handleRequest(const InstanceRequest& request)
{
    switch (request.kind) {
    case InstanceRequest::Kind::Open:
        if (CMainFrame* frame = openDocument(QString::fromStdString(request.file))) {
            frame->raise();
            frame->activateWindow();
        }
        break;
    case InstanceRequest::Kind::Print:
    case InstanceRequest::Kind::PrintTo:
        printDocument(QString::fromStdString(request.file), QString::fromStdString(request.printer));
        break;
    }
}

CCorvaneDoc* CCorvaneApp::SelectConfigurationDocument()
{
    if (frames_.empty())
        return nullptr;
    if (frames_.size() == 1)
        return &frames_.front()->document();
    QStringList rows;
    std::vector<CCorvaneDoc*> docs;
    for (CMainFrame* frame : frames_) {
        CCorvaneDoc& doc = frame->document();
        rows << QString::fromStdString(ConfigurationDocumentRow(doc.title(), doc.commPort, doc.controllerAddress));
        docs.push_back(&doc);
    }
    CSelectEntryDlg dialog(rows, mainFrame_);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    const int row = dialog.selectedRow();
    return row >= 0 && row < static_cast<int>(docs.size()) ? docs[row] : nullptr;
}

int CCorvaneApp::OpenDocumentCount() const
{
    // Only configuration documents exist so far; terminals will not count.
    return static_cast<int>(frames_.size());
}

CMainFrame* CCorvaneApp::frameOf(const CCorvaneDoc& doc) const
{
    for (CMainFrame* frame : frames_)
        if (&frame->document() == &doc)
            return frame;
    return nullptr;
}

void CCorvaneApp::refreshAllViews()
{
    for (CMainFrame* frame : frames_) {
        frame->splitter()->refresh();
        frame->updateStatus();
    }
}

bool CCorvaneApp::closeAllFrames()
{
    const std::vector<CMainFrame*> frames = frames_;
    for (CMainFrame* frame : frames)
        if (std::find(frames_.begin(), frames_.end(), frame) != frames_.end() && !frame->close())
            return false;
    return true;
}

void CCorvaneApp::showGeneralOptions(QWidget* parent)
{
    CAppOptionsDlg dialog(settings_, parent);
    if (dialog.exec() == QDialog::Accepted)
        refreshAllViews();
}

void CCorvaneApp::showHelpTopic(int topic)
{
    ShowHelpTopic(*shell_, topic);
}

void CCorvaneApp::setUpdateCheckFlag(bool on)
{
    updateCheckFlag_ = on;
    for (CMainFrame* frame : frames_)
        frame->updateStatus();
}

void CCorvaneApp::frameActivated(CMainFrame* frame)
{
    if (std::find(frames_.begin(), frames_.end(), frame) != frames_.end())
        mainFrame_ = frame;
}

void CCorvaneApp::frameClosed(CMainFrame* frame)
{
    auto it = std::find(frames_.begin(), frames_.end(), frame);
    if (it == frames_.end())
        return;
    frames_.erase(it);
    if (mainFrame_ == frame)
        mainFrame_ = frames_.empty() ? nullptr : frames_.back();
    frame->deleteLater();
    emit framesChanged();
    if (frames_.empty())
        emit lastFrameClosed();
}

bool CCorvaneApp::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            QWidget* focus = QApplication::focusWidget();
            if (!focus)
                focus = qobject_cast<QWidget*>(watched);
            showHelpTopic(HelpTopicFor(focus));
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace corvane::app
