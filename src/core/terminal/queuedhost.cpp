#include "terminal/queuedhost.h"

namespace corvane {

namespace {

class FlagProgress : public Progress {
public:
    explicit FlagProgress(QueuedTerminalHost& host) : host_(host) {}
    void setTitle(const std::string& title) override { host_.progressTitles.push_back(title); }
    void setText(const std::string& text) override { host_.progressTexts.push_back(text); }
    void setRange(int, int) override {}
    void setStep(int) override {}
    void setPosition(int) override {}
    void stepIt() override {}
    bool cancelled() const override { return host_.cancel.load(); }
    void breathe() override {}
    void close() override { host_.cancel = false; }

private:
    QueuedTerminalHost& host_;
};

} // namespace

void QueuedTerminalHost::statusMessage(const std::string& text)
{
    statusTexts.push_back(text);
    if (onStatus)
        onStatus(text);
}

std::unique_ptr<Progress> QueuedTerminalHost::createProgress(const std::string& title)
{
    auto progress = std::make_unique<FlagProgress>(*this);
    progress->setTitle(title);
    return progress;
}

int QueuedTerminalHost::runSteps(int count)
{
    int ran = 0;
    while (ran < count && !queue_.empty() && !closed) {
        auto work = std::move(queue_.front());
        queue_.pop_front();
        work();
        ++ran;
    }
    return ran;
}

void QueuedTerminalHost::runUntilIdle()
{
    while (!queue_.empty() && !closed) {
        auto work = std::move(queue_.front());
        queue_.pop_front();
        work();
    }
}

} // namespace corvane
