#pragma once
// An application with a private settings store, scripted answers and a shell
// that records what it was asked to open.

#include "common/settings.h"
#include "common/shell.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/datafile.h"
#include "configdoc/mainframe.h"
#include "corvaneapp.h"
#include "support/fakeinteraction.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace corvane::app::apptest {

inline constexpr std::uint32_t kLoopback = 0x7F000001u;

class RecordingShell : public Shell {
public:
    std::vector<std::string> opened;
    std::optional<std::string> applicationFor(const std::string&) override { return std::nullopt; }
    bool open(const std::string& what) override
    {
        opened.push_back(what);
        return true;
    }
};

// Lets events run until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

// Deletes the frames that closed.
inline void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        settings = std::make_unique<Settings>(ini.toStdString());
        // COM1 of a new document leads nowhere, at once.
        settings->setDevicePath(1, dir.filePath(QStringLiteral("no-such-tty")).toStdString());
        settings->sync();
    }

    void TearDown() override
    {
        app.reset();
        FlushDeletes();
    }

    bool start(const QStringList& extra = {})
    {
        app = std::make_unique<CCorvaneApp>(*settings, &ui, &shell);
        return app->InitInstance(QStringList{QStringLiteral("--settings"), ini} + extra);
    }

    // A data file with the given link settings.
    QString dataFile(const QString& name, int commPort = 2, std::uint32_t address = 7)
    {
        CCorvaneDoc doc;
        doc.OnNewDocument();
        doc.commPort = commPort;
        doc.controllerAddress = address;
        const QString path = dir.filePath(name);
        EXPECT_TRUE(SaveDataFile(doc, path.toStdString()).ok());
        return path;
    }

    QString pane(CMainFrame* frame, int index) { return frame->statusPane(index)->text(); }

    QTemporaryDir dir;
    QString ini = dir.filePath(QStringLiteral("corvane.ini"));
    std::unique_ptr<Settings> settings;
    testing::FakeInteraction ui;
    RecordingShell shell;
    std::unique_ptr<CCorvaneApp> app;
};

} // namespace corvane::app::apptest
