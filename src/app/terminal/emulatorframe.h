#pragma once
// The terminal emulator window of a configuration document: its own menu
// (with the controller command menu), the view, and the five-pane status bar.

#include "terminal/terminalsession.h"

#include <QMainWindow>

#include <functional>

class QAction;
class QLabel;
class QMenu;

namespace corvane {
class ControllerLink;
class Settings;
class Shell;
} // namespace corvane

namespace corvane::app {

class CEmulatorView;

// What the terminal window hands back to the configuration window.
struct TerminalFrameActions {
    std::function<void()> saveAs;         // "Save Log &As...": the document's Save As
    std::function<void()> generalOptions; // "&General Options..."
    std::function<void()> stateChanged;   // the link state may have changed
};

class CEmulatorFrame : public QMainWindow, private TerminalHost {
    Q_OBJECT
public:
    enum StatusPane { MessagePane, DocumentPane, PortPane, CapsPane, NumPane, PaneCount };

    CEmulatorFrame(CCorvaneDoc& doc, ControllerLink& link, Settings& settings, Interaction& interaction,
                   Shell& shell, TerminalFrameActions actions, QWidget* parent = nullptr);
    ~CEmulatorFrame() override;

    // "&Terminal Emulator": the document's terminal brought to the front, or a new one.
    static CEmulatorFrame* Open(CCorvaneDoc& doc, ControllerLink& link, Settings& settings, Interaction& interaction,
                                Shell& shell, TerminalFrameActions actions);
    // The open terminal of a document, if any.
    static CEmulatorFrame* For(const CCorvaneDoc& doc);

    CEmulatorView* view() const { return view_; }
    QLabel* statusPane(int index) const;
    // An action by its menu text without "&" and shortcut ("Retry Communications", "EQ - Status Bitmap").
    QAction* action(const QString& name) const;
    void updateTitle();
    void updateStatus();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // TerminalHost
    void statusMessage(const std::string& text) override;
    void post(std::function<void()> work) override;
    std::unique_ptr<Progress> createProgress(const std::string& title) override;
    void closeWindow() override;
    void openFile(const std::string& path) override;
    void beep() override;
    void outputChanged() override;
    void setWaitCursor(bool on) override;

    void buildMenus();
    void buildStatusBar();
    void updateEditActions();
    void printTranscript(bool preview);
    QAction* addAction(QMenu* menu, const QString& text, const QKeySequence& shortcut = {});

    CCorvaneDoc& doc_;
    ControllerLink& link_;
    Settings& settings_;
    Interaction& interaction_;
    Shell& shell_;
    TerminalFrameActions actions_;
    CEmulatorView* view_ = nullptr;
    QLabel* panes_[PaneCount] = {};
    QAction* undo_ = nullptr;
    QAction* cut_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* paste_ = nullptr;
};

} // namespace corvane::app
