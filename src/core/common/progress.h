#pragma once
// A progress window as the core sees it: a title, one text line, a range and a
// position, and whether the person pressed Cancel.

#include <string>

namespace corvane {

class Progress {
public:
    virtual ~Progress() = default;

    virtual void setTitle(const std::string& title) = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void setRange(int lower, int upper) = 0;
    virtual void setStep(int step) = 0;
    virtual void setPosition(int position) = 0;
    virtual void stepIt() = 0;
    virtual bool cancelled() const = 0;
    // Lets the window repaint and take input between steps.
    virtual void breathe() = 0;
    // The end of the work: shows the text, turns Cancel into "&Close", beeps
    // and waits until the person closes the window.
    virtual void finish(const std::string& text) { setText(text); }
    // Closes the window without waiting.
    virtual void close() {}
};

// Shows nothing and is never cancelled.
class NullProgress : public Progress {
public:
    void setTitle(const std::string&) override {}
    void setText(const std::string&) override {}
    void setRange(int, int) override {}
    void setStep(int) override {}
    void setPosition(int) override {}
    void stepIt() override {}
    bool cancelled() const override { return false; }
    void breathe() override {}
};

} // namespace corvane
