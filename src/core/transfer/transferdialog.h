#pragma once
// The progress dialog of a transfer as its worker sees it. The worker calls it
// from its own thread; a desktop implementation forwards to its window.

#include <functional>
#include <memory>
#include <string>

namespace corvane {

class CTransferThread;

class TransferDialog {
public:
    virtual ~TransferDialog() = default;
    // "Receiving " or "Sending " and the file concerned.
    virtual void setCaption(const std::string& caption) = 0;
    // Line 0: the current action; line 1: its detail.
    virtual void setLine(int line, const std::string& text) = 0;
    virtual void setRange(int lower, int upper) = 0;
    virtual void setPosition(int position) = 0;
    // Lets the dialog take input (Cancel) between steps.
    virtual void pump() {}
};

// Shows nothing.
class NullTransferDialog : public TransferDialog {
public:
    void setCaption(const std::string&) override {}
    void setLine(int, const std::string&) override {}
    void setRange(int, int) override {}
    void setPosition(int) override {}
};

// Builds the dialog of a job on the job's thread; none when it cannot be made.
using TransferDialogFactory = std::function<std::unique_ptr<TransferDialog>(CTransferThread& job)>;

// (position - lower) * 100 / (upper - lower), reduced modulo 100 unless it is exactly 100.
int TransferDialogPercent(int position, int lower, int upper);
// The dialog's window title: "%d%c %s" with the percentage, '%' and the caption.
std::string TransferDialogTitle(int percent, const std::string& caption);

// The state of a transfer dialog kept as plain values: the two lines, the
// caption, the position and the title that goes with them. A window shows it.
struct TransferDialogState {
    std::string caption;
    std::string lines[2];
    int lower = 0, upper = 100, position = 0;
    std::string title;

    void setCaption(const std::string& c) { caption = c; }
    void setLine(int line, const std::string& text) { lines[line == 0 ? 0 : 1] = text; }
    void setRange(int lo, int hi) { lower = lo, upper = hi; }
    void setPosition(int p)
    {
        position = p;
        title = TransferDialogTitle(TransferDialogPercent(p, lower, upper), caption);
    }
};

} // namespace corvane
