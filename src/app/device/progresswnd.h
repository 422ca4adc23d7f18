#pragma once
// The progress window of a long device operation: a title with the
// percentage done, one text line, a bar and a Cancel button. While it is up
// the other windows take no input; Escape presses Cancel.

#include "common/progress.h"

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvane::app {

class CProgressWnd : public QDialog, public Progress {
    Q_OBJECT
public:
    // The window appears with the first title or text the operation sets.
    explicit CProgressWnd(QWidget* parent = nullptr, const QString& title = QString());
    ~CProgressWnd() override;

    void setTitle(const std::string& title) override;
    void setText(const std::string& text) override;
    void setRange(int lower, int upper) override;
    void setStep(int step) override;
    void setPosition(int position) override;
    void stepIt() override;
    bool cancelled() const override { return cancelled_; }
    void breathe() override;
    void finish(const std::string& text) override;
    void close() override;

    int position() const { return position_; }
    bool finished() const { return finished_; }
    QString text() const;
    QPushButton* button() const { return button_; }
    QProgressBar* bar() const { return bar_; }

    // Cancel while the work runs, Close once it is finished.
    void reject() override;

private:
    void appear();
    void updateCaption();

    QString title_;
    QLabel* text_;
    QProgressBar* bar_;
    QPushButton* button_;
    int lower_ = 0;
    int upper_ = 100;
    int step_ = 1;
    int position_ = 0;
    int percent_ = 0;
    bool cancelled_ = false;
    bool finished_ = false;
};

} // namespace corvane::app
