#pragma once
// The progress dialog of a transfer job: two text lines, a bar, a picture of
// the direction and Cancel, which sets the job's cancel event. It lives on
// the user-interface thread; the job relays its worker's calls to it.

#include "transfer/transferdialog.h"
#include "transfer/transferthread.h"

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvane::app {

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    // The job outlives its dialog.
    CProgressDlg(CTransferThread& job, QWidget* parent = nullptr);
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
    CTransferThread& job_;
    TransferDialogState state_;
    QLabel* lines_[2];
    QProgressBar* bar_;
    QPushButton* cancel_;
};

// The job's ownerDialogFactory: a CProgressDlg above `parent` (none: a window of its own).
TransferDialogFactory ProgressDlgFactory(QWidget* parent = nullptr);

} // namespace corvane::app
