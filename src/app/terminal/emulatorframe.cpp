#include "terminal/emulatorframe.h"

#include "common/help.h"
#include "common/settings.h"
#include "common/shell.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/mainframe.h"
#include "configdoc/paramprinter.h"
#include "device/commcommands.h"
#include "device/connection.h"
#include "device/progresswnd.h"
#include "terminal/commandmenu.h"
#include "terminal/emulatorview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QTextDocument>
#include <QTimer>

#include <map>

namespace corvane::app {

namespace {

std::map<const CCorvaneDoc*, CEmulatorFrame*>& OpenTerminals()
{
    static std::map<const CCorvaneDoc*, CEmulatorFrame*> frames;
    return frames;
}

} // namespace

CEmulatorFrame::CEmulatorFrame(CCorvaneDoc& doc, ControllerLink& link, Settings& settings, Interaction& interaction,
                               Shell& shell, TerminalFrameActions actions, QWidget* parent)
    : QMainWindow(parent), doc_(doc), link_(link), settings_(settings), interaction_(interaction), shell_(shell),
      actions_(std::move(actions))
{
    setAttribute(Qt::WA_DeleteOnClose);
    view_ = new CEmulatorView(doc_, interaction_, *this, this);
    setCentralWidget(view_);
    buildMenus();
    buildStatusBar();
    updateTitle();
    updateStatus();
    resize(720, 520);
    OpenTerminals()[&doc_] = this;
    connect(qApp, &QApplication::focusChanged, this, [this] { updateEditActions(); });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { updateEditActions(); });
    for (QPlainTextEdit* edit : {static_cast<QPlainTextEdit*>(view_->inputBox()), view_->outputBox()}) {
        connect(edit, &QPlainTextEdit::selectionChanged, this, [this] { updateEditActions(); });
        connect(edit, &QPlainTextEdit::undoAvailable, this, [this] { updateEditActions(); });
    }
    view_->inputBox()->installEventFilter(this);
    view_->inputBox()->setFocus();
    updateEditActions();
}

CEmulatorFrame::~CEmulatorFrame()
{
    auto& frames = OpenTerminals();
    if (auto it = frames.find(&doc_); it != frames.end() && it->second == this)
        frames.erase(it);
}

CEmulatorFrame* CEmulatorFrame::For(const CCorvaneDoc& doc)
{
    auto& frames = OpenTerminals();
    auto it = frames.find(&doc);
    return it == frames.end() ? nullptr : it->second;
}

CEmulatorFrame* CEmulatorFrame::Open(CCorvaneDoc& doc, ControllerLink& link, Settings& settings,
                                     Interaction& interaction, Shell& shell, TerminalFrameActions actions)
{
    CEmulatorFrame* frame = For(doc);
    if (!frame) {
        frame = new CEmulatorFrame(doc, link, settings, interaction, shell, std::move(actions));
        frame->show();
    }
    frame->raise();
    frame->activateWindow();
    return frame;
}

QLabel* CEmulatorFrame::statusPane(int index) const
{
    return index >= 0 && index < PaneCount ? panes_[index] : nullptr;
}

QAction* CEmulatorFrame::action(const QString& name) const
{
    for (QAction* a : findChildren<QAction*>())
        if (a->objectName() == name)
            return a;
    return nullptr;
}

QAction* CEmulatorFrame::addAction(QMenu* menu, const QString& text, const QKeySequence& shortcut)
{
    QAction* a = menu->addAction(text);
    a->setObjectName(ActionObjectName(text));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    return a;
}

void CEmulatorFrame::updateTitle()
{
    setWindowTitle(QStringLiteral("Terminal Emulator - ") + QString::fromStdString(doc_.title()));
}

void CEmulatorFrame::updateStatus()
{
    panes_[DocumentPane]->setText(QString::fromLatin1(std::string(ConnectionStateText(doc_.connectionState))));
    panes_[PortPane]->setText(doc_.protocol ? QString::fromStdString(doc_.protocol->LinkText())
                                            : QStringLiteral("   "));
}

void CEmulatorFrame::buildStatusBar()
{
    auto* bar = statusBar();
    const char* initial[PaneCount] = {"Ready", "   ", "   ", "CAP", "NUM"};
    for (int i = 0; i < PaneCount; ++i) {
        panes_[i] = new QLabel(QString::fromLatin1(initial[i]), bar);
        panes_[i]->setObjectName(QStringLiteral("statusPane%1").arg(i));
        if (i == MessagePane)
            bar->addWidget(panes_[i], 1);
        else
            bar->addPermanentWidget(panes_[i]);
    }
    const QFontMetrics fm(panes_[DocumentPane]->font());
    panes_[DocumentPane]->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("Line:    0    Column:    0")));
    panes_[PortPane]->setMinimumWidth(fm.horizontalAdvance(QString(31, QLatin1Char('M'))));
}

void CEmulatorFrame::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    connect(addAction(file, QStringLiteral("Save Log &As...")), &QAction::triggered, this, [this] {
        if (actions_.saveAs)
            actions_.saveAs();
    });
    file->addSeparator();
    connect(addAction(file, QStringLiteral("&Print...\tCtrl+P"), QKeySequence(Qt::CTRL | Qt::Key_P)),
            &QAction::triggered, this, [this] { printTranscript(false); });
    connect(addAction(file, QStringLiteral("Print Pre&view")), &QAction::triggered, this,
            [this] { printTranscript(true); });
    connect(addAction(file, QStringLiteral("P&rint Setup...")), &QAction::triggered, this,
            [this] { PrintSetup(this); });
    file->addSeparator();
    connect(addAction(file, QStringLiteral("&Close")), &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    undo_ = addAction(edit, QStringLiteral("&Undo\tCtrl+Z"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    edit->addSeparator();
    cut_ = addAction(edit, QStringLiteral("Cu&t\tCtrl+X"), QKeySequence(Qt::CTRL | Qt::Key_X));
    copy_ = addAction(edit, QStringLiteral("&Copy\tCtrl+C"), QKeySequence(Qt::CTRL | Qt::Key_C));
    paste_ = addAction(edit, QStringLiteral("&Paste\tCtrl+V"), QKeySequence(Qt::CTRL | Qt::Key_V));
    auto focusedEdit = [] { return qobject_cast<QPlainTextEdit*>(QApplication::focusWidget()); };
    connect(undo_, &QAction::triggered, this, [focusedEdit] { if (auto* e = focusedEdit()) e->undo(); });
    connect(cut_, &QAction::triggered, this, [focusedEdit] { if (auto* e = focusedEdit()) e->cut(); });
    connect(copy_, &QAction::triggered, this, [focusedEdit] { if (auto* e = focusedEdit()) e->copy(); });
    connect(paste_, &QAction::triggered, this, [focusedEdit] { if (auto* e = focusedEdit()) e->paste(); });

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    connect(addAction(tools, QStringLiteral("&Retry Communications")), &QAction::triggered, this, [this] {
        RunDocumentCommand(DocumentCommand::RetryCommunications, this, doc_, link_, settings_, interaction_, shell_);
        updateStatus();
        if (actions_.stateChanged)
            actions_.stateChanged();
    });
    QAction* offline = addAction(tools, QStringLiteral("Go Offline"));
    connect(offline, &QAction::triggered, this, [this] {
        RunDocumentCommand(DocumentCommand::GoOffline, this, doc_, link_, settings_, interaction_, shell_);
        updateStatus();
        if (actions_.stateChanged)
            actions_.stateChanged();
    });
    connect(tools, &QMenu::aboutToShow, this,
            [this, offline] { offline->setEnabled(CommandAvailable(DocumentCommand::GoOffline, doc_)); });

    QMenu* commands = menuBar()->addMenu(QStringLiteral("&Commands"));
    std::map<std::string, QMenu*> submenus;
    for (const std::string& name : CommandSubmenus())
        submenus[name] = commands->addMenu(QString::fromStdString(name));
    for (const CommandMenuItem& item : CommandMenuItems()) {
        if (item.submenu.empty())
            continue;
        const QString text = QString::fromStdString(item.text);
        QAction* a = addAction(submenus[item.submenu], text,
                               item.id == kStatusBitmapItem ? QKeySequence(Qt::Key_F4) : QKeySequence());
        a->setStatusTip(QString::fromStdString(item.prompt));
        const int id = item.id;
        connect(a, &QAction::triggered, this, [this, id] { view_->runMenuItem(id); });
        connect(a, &QAction::hovered, this, [this, a] { panes_[MessagePane]->setText(a->statusTip()); });
    }

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* statusBarToggle = addAction(view, QStringLiteral("&Status Bar"));
    statusBarToggle->setCheckable(true);
    statusBarToggle->setChecked(true);
    connect(statusBarToggle, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    connect(addAction(options, QStringLiteral("&General Options...")), &QAction::triggered, this, [this] {
        if (actions_.generalOptions)
            actions_.generalOptions();
    });
    connect(addAction(options, QStringLiteral("Options for this &Pellion...")), &QAction::triggered, this, [this] {
        RunDocumentCommand(DocumentCommand::CommOptions, this, doc_, link_, settings_, interaction_, shell_);
        updateStatus();
        if (actions_.stateChanged)
            actions_.stateChanged();
    });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    connect(addAction(help, QStringLiteral("&Help Topics")), &QAction::triggered, this, [this] {
        const std::string& code = view_->session().helpCommand();
        const QString page = ManualFolder() + QStringLiteral("/terminal.html") +
                             (code.empty() ? QString() : QStringLiteral("#cmd-") + QString::fromStdString(code));
        shell_.open(page.toStdString());
    });
}

void CEmulatorFrame::updateEditActions()
{
    auto* edit = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
    const bool ours = edit && (edit == view_->inputBox() || edit == view_->outputBox());
    const bool selection = ours && edit->textCursor().hasSelection();
    const bool editable = ours && !edit->isReadOnly();
    const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
    copy_->setEnabled(selection);
    cut_->setEnabled(selection && editable);
    paste_->setEnabled(editable && clip && clip->hasText());
    undo_->setEnabled(editable && edit->document()->isUndoAvailable());
}

bool CEmulatorFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_->inputBox() && event->type() == QEvent::FocusIn)
        updateEditActions();
    return QMainWindow::eventFilter(watched, event);
}

void CEmulatorFrame::printTranscript(bool preview)
{
    QTextDocument text;
    text.setDefaultFont(ListingFont());
    QString body = QString::fromLatin1(view_->session().outputText());
    body.remove(QLatin1Char('\r'));
    text.setPlainText(body);
    QPrinter& printer = SharedPrinter();
    if (preview) {
        QPrintPreviewDialog dialog(&printer, this);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [&text](QPrinter* p) { text.print(p); });
        dialog.exec();
        return;
    }
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        text.print(&printer);
}

void CEmulatorFrame::closeEvent(QCloseEvent* event)
{
    view_->session().cancelMacros();
    TerminalSession::closeTerminalLog();
    event->accept();
}

// ---- TerminalHost

void CEmulatorFrame::statusMessage(const std::string& text)
{
    panes_[MessagePane]->setText(QString::fromLatin1(text));
    updateStatus();
}

void CEmulatorFrame::post(std::function<void()> work)
{
    QTimer::singleShot(0, this, std::move(work));
}

std::unique_ptr<Progress> CEmulatorFrame::createProgress(const std::string& title)
{
    // Parentless: the window is shared by every terminal and outlives none of them.
    return std::make_unique<CProgressWnd>(nullptr, QString::fromStdString(title));
}

void CEmulatorFrame::closeWindow()
{
    QTimer::singleShot(0, this, &QWidget::close);
}

void CEmulatorFrame::openFile(const std::string& path)
{
    shell_.open(path);
}

void CEmulatorFrame::beep()
{
    QApplication::beep();
}

void CEmulatorFrame::outputChanged()
{
    view_->refreshOutput();
}

void CEmulatorFrame::setWaitCursor(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace corvane::app
