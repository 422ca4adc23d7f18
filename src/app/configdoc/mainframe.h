#pragma once
// The frame of one configuration document: menus, toolbar, the directory tree
// and parameter list, and the five-pane status bar (message line, document
// status, port status, CAP, NUM).

#include "device/documentcommands.h"

#include <QMainWindow>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QMenu;

namespace corvane {
class CCorvaneDoc;
class ControllerLink;
class Interaction;
} // namespace corvane

namespace corvane::app {

class CCorvaneApp;
class CConfigSplitter;
class CEmulatorFrame;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    enum StatusPane { MessagePane, DocumentPane, PortPane, CapsPane, NumPane, PaneCount };

    // interaction: null gives the frame message boxes of its own.
    CMainFrame(CCorvaneApp& app, Interaction* interaction = nullptr);
    ~CMainFrame() override;

    CCorvaneDoc& document() { return *doc_; }
    ControllerLink& link() { return *link_; }
    Interaction& interaction() { return *interaction_; }
    CConfigSplitter* splitter() { return splitter_; }
    QLabel* statusPane(int index);
    // An action by its menu text without "&" and shortcut, e.g. "Read All".
    QAction* action(const QString& name) const;

    // A new document (on TCP/IP at `tcpAddress` when given); runs the contact.
    void newDocument(std::optional<std::uint32_t> tcpAddress = std::nullopt);
    // Loads a data file; false (with the reason shown) when it failed.
    bool openFile(const QString& path);
    bool save();
    bool saveAs();
    // Asks to save a modified document: false when the person cancelled or the save failed.
    bool saveModified();

    // Shows the document's state in the status bar and enables the commands.
    void updateStatus();
    void updateTitle();
    void showMessage(const QString& text);

    // "&Terminal Emulator": the document's terminal brought to the front, or a new one.
    CEmulatorFrame* openTerminal();

    // Closes without asking (the app's exit, a document opened only to print).
    void closeWithoutAsking();
    // A device command of this frame is running.
    bool busy() const { return busy_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Files dropped on the frame are opened.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void rebuildRecentFiles();
    void runCommand(DocumentCommand command);
    // Writes the document to `path`; the reason is shown when it failed.
    bool saveTo(const std::string& path);
    QAction* addAction(QMenu* menu, const QString& text, const QKeySequence& shortcut = {});

    CCorvaneApp& app_;
    std::unique_ptr<Interaction> ownInteraction_;
    Interaction* interaction_;
    std::unique_ptr<CCorvaneDoc> doc_;
    std::unique_ptr<ControllerLink> link_;
    CConfigSplitter* splitter_ = nullptr;
    QLabel* panes_[PaneCount] = {};
    QMenu* fileMenu_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    QAction* exitAction_ = nullptr;
    std::vector<QAction*> recentActions_;
    std::vector<std::pair<DocumentCommand, QAction*>> commandActions_;
    QAction* checkForUpdates_ = nullptr;
    bool forceClose_ = false;
    bool busy_ = false;
};

// The name an action is found by: its text without "&", shortcut and outer blanks.
QString ActionObjectName(const QString& menuText);

} // namespace corvane::app
