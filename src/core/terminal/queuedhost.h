#pragma once
// A terminal host without a window: posted lines wait in a queue that the
// caller runs, the progress window is a flag that Cancel (Ctrl+C) sets, and
// status texts go to a callback.

#include "common/progress.h"
#include "terminal/terminalsession.h"

#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace corvane {

class QueuedTerminalHost : public TerminalHost {
public:
    void statusMessage(const std::string& text) override;
    void post(std::function<void()> work) override { queue_.push_back(std::move(work)); }
    std::unique_ptr<Progress> createProgress(const std::string& title) override;
    void closeWindow() override { closed = true; }
    void openFile(const std::string& path) override { openedFiles.push_back(path); }
    void beep() override { ++beeps; }

    // Runs posted work until none is left or the window was closed.
    void runUntilIdle();
    // Runs at most `count` posted items; returns how many ran.
    int runSteps(int count);
    bool idle() const { return queue_.empty(); }

    // Cancel of the progress window; safe to set from a signal handler.
    std::atomic<bool> cancel{false};
    std::function<void(const std::string&)> onStatus;
    std::vector<std::string> statusTexts;
    std::vector<std::string> progressTitles;
    std::vector<std::string> progressTexts;
    std::vector<std::string> openedFiles;
    int beeps = 0;
    bool closed = false;

private:
    std::deque<std::function<void()>> queue_;
};

} // namespace corvane
