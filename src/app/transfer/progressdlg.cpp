#include "transfer/progressdlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane::app {

CProgressDlg::CProgressDlg(CTransferThread& job, QWidget* parent) : QDialog(parent), job_(job)
{
    setObjectName(QStringLiteral("transferProgress"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setMinimumWidth(390);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("transferDirection"));
    const QStyle::StandardPixmap icon =
        job.direction() == TransferDirection::Download ? QStyle::SP_ArrowDown : QStyle::SP_ArrowUp;
    picture->setPixmap(style()->standardIcon(icon).pixmap(32, 32));
    top->addWidget(picture, 0, Qt::AlignTop);
    auto* text = new QVBoxLayout;
    for (int i = 0; i < 2; ++i) {
        lines_[i] = new QLabel(this);
        lines_[i]->setObjectName(QStringLiteral("transferLine%1").arg(i));
        lines_[i]->setTextFormat(Qt::PlainText);
        lines_[i]->setMinimumWidth(320);
        text->addWidget(lines_[i]);
    }
    top->addLayout(text, 1);
    layout->addLayout(top);

    bar_ = new QProgressBar(this);
    bar_->setRange(state_.lower, state_.upper);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    layout->addWidget(bar_);

    auto* row = new QHBoxLayout;
    row->addStretch();
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("transferCancel"));
    connect(cancel_, &QPushButton::clicked, this, &CProgressDlg::reject);
    row->addWidget(cancel_);
    row->addStretch();
    layout->addLayout(row);
}

CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::setCaption(const QString& caption)
{
    state_.setCaption(caption.toStdString());
    setWindowTitle(caption);
}

void CProgressDlg::setLine(int line, const QString& text)
{
    state_.setLine(line, text.toStdString());
    lines_[line == 0 ? 0 : 1]->setText(text);
}

void CProgressDlg::setRange(int lower, int upper)
{
    state_.setRange(lower, upper);
    bar_->setRange(lower, upper);
}

void CProgressDlg::setPosition(int position)
{
    state_.setPosition(position);
    // A file longer than announced runs past the end of the bar.
    bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
    setWindowTitle(QString::fromStdString(state_.title));
}

QString CProgressDlg::line(int index) const { return lines_[index == 0 ? 0 : 1]->text(); }

void CProgressDlg::reject()
{
    job_.cancelEvent.set();
    cancel_->setEnabled(false);
}

namespace {

// The job owns its dialog through this; a dialog that went with its parent
// window is not deleted twice.
class DialogHandle : public TransferDialog {
public:
    explicit DialogHandle(CProgressDlg* dialog) : dialog_(dialog) {}
    ~DialogHandle() override { delete dialog_.data(); }

    void setCaption(const std::string& caption) override
    {
        if (dialog_)
            dialog_->setCaption(QString::fromStdString(caption));
    }
    void setLine(int line, const std::string& text) override
    {
        if (dialog_)
            dialog_->setLine(line, QString::fromStdString(text));
    }
    void setRange(int lower, int upper) override
    {
        if (dialog_)
            dialog_->setRange(lower, upper);
    }
    void setPosition(int position) override
    {
        if (dialog_)
            dialog_->setPosition(position);
    }

private:
    QPointer<CProgressDlg> dialog_;
};

} // namespace

TransferDialogFactory ProgressDlgFactory(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](CTransferThread& job) -> std::unique_ptr<TransferDialog> {
        auto* dialog = new CProgressDlg(job, owner.data());
        dialog->show();
        return std::make_unique<DialogHandle>(dialog);
    };
}

} // namespace corvane::app
