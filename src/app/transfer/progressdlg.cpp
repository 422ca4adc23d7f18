#include "transfer/progressdlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane::app {

CProgressDlg::CProgressDlg(TransferDirection direction, std::shared_ptr<TransferCancelLink> cancel, QWidget* parent)
    : QDialog(parent), link_(std::move(cancel))
{
    setObjectName(QStringLiteral("transferProgress"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setMinimumWidth(390);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("transferDirection"));
    const QStyle::StandardPixmap icon =
        direction == TransferDirection::Download ? QStyle::SP_ArrowDown : QStyle::SP_ArrowUp;
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
    link_->set();
    cancel_->setEnabled(false);
}

namespace {

// The worker's side: each call becomes an event of the user-interface
// thread, handled in the order made. Nothing here blocks the worker.
class ForwardingDialog : public TransferDialog {
public:
    ForwardingDialog(CTransferThread& job, QPointer<QWidget> parent) : link_(std::make_shared<TransferCancelLink>())
    {
        link_->event.store(&job.cancelEvent, std::memory_order_release);
        onUiThread([dialog = dialog_, link = link_, parent, direction = job.direction()] {
            *dialog = new CProgressDlg(direction, link, parent.data());
            (*dialog)->show();
        });
    }

    ~ForwardingDialog() override
    {
        // From here on the job may go at any moment.
        link_->event.store(nullptr, std::memory_order_release);
        onUiThread([dialog = dialog_] { delete dialog->data(); });
    }

    void setCaption(const std::string& caption) override
    {
        update([text = QString::fromStdString(caption)](CProgressDlg& d) { d.setCaption(text); });
    }
    void setLine(int line, const std::string& text) override
    {
        update([line, t = QString::fromStdString(text)](CProgressDlg& d) { d.setLine(line, t); });
    }
    void setRange(int lower, int upper) override
    {
        update([lower, upper](CProgressDlg& d) { d.setRange(lower, upper); });
    }
    void setPosition(int position) override
    {
        update([position](CProgressDlg& d) { d.setPosition(position); });
    }

private:
    template <class Step>
    static void onUiThread(Step step)
    {
        QMetaObject::invokeMethod(qApp, std::move(step), Qt::QueuedConnection);
    }

    template <class Change>
    void update(Change change)
    {
        onUiThread([dialog = dialog_, change = std::move(change)] {
            if (*dialog) // gone with its parent
                change(**dialog);
        });
    }

    std::shared_ptr<TransferCancelLink> link_;
    // The window; read and written on the user-interface thread only.
    std::shared_ptr<QPointer<CProgressDlg>> dialog_ = std::make_shared<QPointer<CProgressDlg>>();
};

} // namespace

TransferDialogFactory ProgressDlgFactory(QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [owner](CTransferThread& job) -> std::unique_ptr<TransferDialog> {
        if (!qApp)
            return nullptr;
        return std::make_unique<ForwardingDialog>(job, owner);
    };
}

} // namespace corvane::app
