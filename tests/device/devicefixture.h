#pragma once
// A configuration document linked to a pellion-sim process, with fakes for
// the person, the progress window and the desktop shell.

#include "common/progress.h"
#include "common/settings.h"
#include "common/shell.h"
#include "configdoc/corvanedoc.h"
#include "device/connection.h"
#include "support/fakeinteraction.h"
#include "support/simprocess.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace corvane::testing {

// Records everything shown; presses Cancel once `cancelAfter` steps were taken.
class FakeProgress : public Progress {
public:
    std::string title;
    std::vector<std::string> texts;
    int lower = 0, upper = 0;
    int steps = 0;
    std::optional<int> cancelAfter;
    bool closed = false;
    std::optional<std::string> finished;

    void setTitle(const std::string& t) override { title = t; }
    void setText(const std::string& t) override { texts.push_back(t); }
    void setRange(int lo, int hi) override { lower = lo, upper = hi; }
    void setStep(int) override {}
    void setPosition(int p) override { steps = p; }
    void stepIt() override { ++steps; }
    bool cancelled() const override { return cancelAfter && steps >= *cancelAfter; }
    void breathe() override {}
    void finish(const std::string& text) override
    {
        setText(text);
        finished = text;
    }
    void close() override { closed = true; }
};

// Also keeps the file dialog requests.
class RecordingInteraction : public FakeInteraction {
public:
    std::vector<FileDialogRequest> fileRequests;
    std::vector<Buttons> buttons; // of every ask(), in order

    Answer ask(const std::string& text, const std::string& caption, Buttons b, MessageIcon icon) override
    {
        buttons.push_back(b);
        return FakeInteraction::ask(text, caption, b, icon);
    }

    std::optional<std::string> askFile(const FileDialogRequest& request) override
    {
        fileRequests.push_back(request);
        return FakeInteraction::askFile(request);
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& m : messages)
            out.push_back(m.text);
        return out;
    }
};

class FakeShell : public Shell {
public:
    std::optional<std::string> application; // what applicationFor answers
    std::vector<std::string> asked;
    std::vector<std::string> opened;

    std::optional<std::string> applicationFor(const std::string& file) override
    {
        asked.push_back(file);
        return application;
    }
    bool open(const std::string& fileOrAddress) override
    {
        opened.push_back(fileOrAddress);
        return true;
    }
};

inline constexpr std::uint32_t kLoopback = 0x7F000001; // 127.0.0.1

// One document, its link and a simulator. Waits are short: a silent
// controller costs the receive timeout plus the socket's extra second.
class SimLinkTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Settings settings{dir.filePath("corvane.ini").toStdString()};
    RecordingInteraction ui;
    ControllerLink link{settings, ui};
    CCorvaneDoc doc;
    SimProcess sim;
    FakeProgress progress;
    std::vector<std::string> statusLines;
    int viewUpdates = 0;
    // The progress position at each refresh of the views.
    std::vector<int> refreshedAt;

    void SetUp() override
    {
        link.tcpReceiveTimeoutMs = 300;
        link.tcpConnectTimeoutMs = 300;
        link.statusLine = [this](const std::string& s) { statusLines.push_back(s); };
        doc.onViewsChanged = [this] {
            ++viewUpdates;
            refreshedAt.push_back(progress.steps);
        };
    }

    std::string path(const char* name) const { return dir.filePath(name).toStdString(); }

    // A simulator on a loopback TCP port; the document points at it, not yet contacted.
    void startTcp(std::vector<std::string> args = {})
    {
        args.insert(args.begin(), {"--tcp", "0"});
        ASSERT_TRUE(sim.start(args)) << sim.error();
        useTcp(sim.tcpPort());
    }

    void useTcp(std::uint16_t port)
    {
        doc.protocol.reset();
        doc.connectionState = NotContacted;
        doc.commPort = 0;
        doc.controllerAddress = kLoopback;
        link.overrides.tcpPort = port;
    }

    // A simulator on a pseudo terminal in minicomputer framing, reached as COM1.
    void startPty(std::vector<std::string> args = {})
    {
        args.insert(args.begin(), {"--pty", "--framing", "mini"});
        ASSERT_TRUE(sim.start(args)) << sim.error();
        doc.protocol.reset();
        doc.connectionState = NotContacted;
        settings.setDevicePath(1, sim.devicePath());
        settings.setProtocol(1, 1);
        settings.setLineSettings(1, "38400,N,8,1");
        doc.commPort = 1;
        doc.controllerAddress = 1;
    }

    // A TCP port on which nothing listens.
    static std::uint16_t DeadPort()
    {
        SimProcess gone;
        EXPECT_TRUE(gone.start({"--tcp", "0"})) << gone.error();
        const std::uint16_t port = gone.tcpPort();
        gone.stop();
        return port;
    }

    // Contacts and forgets what the contact sent and showed.
    void connect(int expected = ProgramAccess)
    {
        ASSERT_EQ(link.Contact(doc, false), expected);
        sim.clearRequests();
        ui.messages.clear();
        statusLines.clear();
        viewUpdates = 0;
        refreshedAt.clear();
    }

    // Whether the views were refreshed after the first code was done.
    bool refreshedDuringWork() const
    {
        return std::any_of(refreshedAt.begin(), refreshedAt.end(), [](int at) { return at > 0; });
    }
};

} // namespace corvane::testing
