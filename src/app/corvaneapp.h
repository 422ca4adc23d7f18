#pragma once
// The application: one running instance, the document frames, the recent-file
// list, and the commands that belong to no single document.

#include "common/commandline.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace corvane {
class CCorvaneDoc;
class InternetSession;
class Interaction;
class RecentFiles;
class Settings;
class Shell;
} // namespace corvane

namespace corvane::app {

class CMainFrame;
class SingleInstance;

class CCorvaneApp : public QObject {
    Q_OBJECT
public:
    // interaction: null gives every frame message boxes of its own;
    // shell: null uses the desktop's.
    CCorvaneApp(Settings& settings, Interaction* interaction = nullptr, Shell* shell = nullptr);
    ~CCorvaneApp() override;

    // Start-up with the arguments after the program name. False when the
    // program should end at once (handed over, printed, written, failed);
    // exitCode() then says how.
    bool InitInstance(const QStringList& arguments);
    // Removes the controller font and closes every frame without asking.
    void ExitInstance();
    int exitCode() const { return exitCode_; }

    CMainFrame* newConfigurationDocument();
    // Opens a data file, or brings its frame to the front when it is open
    // already; null when it could not be loaded (the reason was shown).
    CMainFrame* openDocument(const QString& path);
    // Prints a file's listing directly; a file that was not open is opened
    // for that and closed again.
    bool printDocument(const QString& path, const QString& printer = {});

    // The configuration document another document talks to; null when none
    // is open or the person chose none.
    CCorvaneDoc* SelectConfigurationDocument();
    int OpenDocumentCount() const;
    const std::vector<CMainFrame*>& frames() const { return frames_; }
    CMainFrame* frameOf(const CCorvaneDoc& doc) const;
    // The frame created or activated last.
    CMainFrame* mainFrame() const { return mainFrame_; }
    void refreshAllViews();

    // "E&xit": closes every frame, each asking to save; false when one refused.
    bool closeAllFrames();
    // "General Options...": the dialog, and every window refreshed after OK.
    void showGeneralOptions(QWidget* parent);
    // Context help: the topic of the focused widget.
    void showHelpTopic(int topic);

    Settings& settings() { return settings_; }
    Shell& shell() { return *shell_; }
    RecentFiles& recentFiles() { return *recentFiles_; }
    // The app's own interaction; null when every frame has its own.
    Interaction* interaction() const { return interaction_; }
    // Messages that belong to no frame.
    Interaction& messages();

    // The shared internet connection; null when it could not be made.
    InternetSession* internet() const { return internet_.get(); }
    // How the connection is made (tests replace it before InitInstance).
    using InternetFactory = std::function<std::unique_ptr<InternetSession>()>;
    void setInternetFactory(InternetFactory factory) { internetFactory_ = std::move(factory); }

    // The update-check flag: enables "&Check for Updates...". Set once the
    // internet connection exists, clear while a check runs.
    bool updateCheckFlag() const { return updateCheckFlag_; }
    void setUpdateCheckFlag(bool on);
    // "&Check for Updates...".
    void checkForUpdates(CMainFrame& frame);
    // Ends the program at once: no document is offered for saving.
    void quitAtOnce();

    // How a listing is printed directly (the listing printer by default).
    using PrintFunction = std::function<bool(QWidget* frame, CCorvaneDoc& doc, const QString& printer)>;
    void setPrintFunction(PrintFunction print) { print_ = std::move(print); }

    // Handles a request handed over by a second start.
    void handleRequest(const InstanceRequest& request);

    // Called by the frames.
    void frameActivated(CMainFrame* frame);
    void frameClosed(CMainFrame* frame);

    // The id of the loaded controller font; -1 when it was not found.
    int controllerFontId() const { return fontId_; }

signals:
    void lastFrameClosed();
    void framesChanged();
    void quitPosted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CMainFrame* createFrame();
    CMainFrame* findFrame(const QString& path) const;
    bool writeNewTcpDocument(const CommandLine& commandLine);
    void createInternetConnection();

    Settings& settings_;
    Interaction* interaction_;
    std::unique_ptr<Interaction> ownMessages_;
    std::unique_ptr<Shell> ownShell_;
    Shell* shell_;
    std::unique_ptr<RecentFiles> recentFiles_;
    InternetFactory internetFactory_;
    std::unique_ptr<InternetSession> internet_;
    std::unique_ptr<SingleInstance> instance_;
    std::vector<CMainFrame*> frames_;
    CMainFrame* mainFrame_ = nullptr;
    PrintFunction print_;
    int exitCode_ = 0;
    int fontId_ = -1;
    bool updateCheckFlag_ = false;
    bool exiting_ = false;
};

// The controller font "HVDFONT.FON" from the first folder that has it, for the
// life of the program; -1 when none has it (the fallback fonts serve then).
int LoadControllerFont(const QStringList& folders);
// Beside the program, then the data folders.
QStringList ControllerFontFolders();

} // namespace corvane::app
