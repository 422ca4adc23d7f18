#include "device/progresswnd.h"

#include "common/progresscaption.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane::app {

CProgressWnd::CProgressWnd(QWidget* parent, const QString& title) : QDialog(parent), title_(title)
{
    setObjectName(QStringLiteral("progressWindow"));
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setMinimumWidth(390);
    auto* layout = new QVBoxLayout(this);
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("progressText"));
    layout->addWidget(text_);
    bar_ = new QProgressBar(this);
    bar_->setRange(lower_, upper_);
    bar_->setValue(position_);
    bar_->setTextVisible(false);
    layout->addWidget(bar_);
    auto* row = new QHBoxLayout;
    row->addStretch();
    button_ = new QPushButton(QStringLiteral("Cancel"), this);
    button_->setObjectName(QStringLiteral("progressButton"));
    connect(button_, &QPushButton::clicked, this, &CProgressWnd::reject);
    row->addWidget(button_);
    row->addStretch();
    layout->addLayout(row);
    setWindowTitle(title_);
}

CProgressWnd::~CProgressWnd() = default;

void CProgressWnd::appear()
{
    if (isVisible() || finished_)
        return;
    show();
    raise();
    activateWindow();
    QCoreApplication::processEvents();
}

void CProgressWnd::setTitle(const std::string& title)
{
    title_ = QString::fromStdString(title);
    percent_ = ProgressPercent(position_, lower_, upper_).value_or(0);
    setWindowTitle(title_);
    appear();
}

void CProgressWnd::setText(const std::string& text)
{
    text_->setText(QString::fromStdString(text));
    appear();
}

QString CProgressWnd::text() const { return text_->text(); }

void CProgressWnd::setRange(int lower, int upper)
{
    lower_ = lower;
    upper_ = upper;
    bar_->setRange(lower, upper);
    bar_->setVisible(lower != upper);
    updateCaption();
}

void CProgressWnd::setStep(int step) { step_ = step; }

void CProgressWnd::setPosition(int position)
{
    position_ = position;
    bar_->setValue(std::clamp(position, std::min(lower_, upper_), std::max(lower_, upper_)));
    updateCaption();
}

void CProgressWnd::stepIt() { setPosition(position_ + step_); }

void CProgressWnd::updateCaption()
{
    const auto percent = ProgressPercent(position_, lower_, upper_);
    if (!percent || *percent == percent_)
        return;
    percent_ = *percent;
    setWindowTitle(QString::fromStdString(ProgressCaption(title_.toStdString(), percent_)));
}

void CProgressWnd::breathe()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void CProgressWnd::reject()
{
    if (finished_) {
        QDialog::reject();
        return;
    }
    cancelled_ = true;
}

void CProgressWnd::finish(const std::string& text)
{
    text_->setText(QString::fromStdString(text));
    finished_ = true;
    button_->setText(QStringLiteral("&Close"));
    button_->setDefault(true);
    button_->setFocus();
    if (!isVisible())
        show();
    QApplication::beep();
    // Wait until the person closes the window.
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    if (isVisible())
        loop.exec();
}

void CProgressWnd::close()
{
    finished_ = true;
    hide();
}

} // namespace corvane::app
