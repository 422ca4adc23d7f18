#pragma once
// The progress dialog of a transfer job: two text lines, a bar, a picture of
// the direction and Cancel, which sets the job's cancel event. The job's
// worker drives it from its own thread through ProgressDlgFactory; the
// dialog itself lives on the user-interface thread.

#include "transfer/transferdialog.h"
#include "transfer/transferthread.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <atomic>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvane::app {

// The cancel event of a job as its dialog reaches it: the worker detaches it
// before the job can be disposed of, so a late Cancel press touches nothing.
struct TransferCancelLink {
    std::atomic<ManualResetEvent*> event{nullptr};
    void set()
    {
        if (ManualResetEvent* e = event.load(std::memory_order_acquire))
            e->set();
    }
};

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    CProgressDlg(TransferDirection direction, std::shared_ptr<TransferCancelLink> cancel, QWidget* parent = nullptr);
    ~CProgressDlg() override;

    void setCaption(const QString& caption);
    void setLine(int line, const QString& text);
    void setRange(int lower, int upper);
    void setPosition(int position);

    QString line(int index) const;
    QString caption() const { return QString::fromStdString(state_.caption); }
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Cancel (the button, Escape, closing the window) sets the cancel event;
    // the dialog stays until its worker ends.
    void reject() override;

private:
    TransferDialogState state_;
    std::shared_ptr<TransferCancelLink> link_;
    QLabel* lines_[2];
    QProgressBar* bar_;
    QPushButton* cancel_;
};

// Builds each job's dialog on the user-interface thread, above `parent`
// (none: a window of its own).
TransferDialogFactory ProgressDlgFactory(QWidget* parent = nullptr);

} // namespace corvane::app
