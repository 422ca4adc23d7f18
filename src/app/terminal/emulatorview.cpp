#include "terminal/emulatorview.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

namespace corvane::app {

void TerminalInputEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const QString text = toPlainText();
        const int caret = textCursor().position();
        emit lineCompleted(text.left(caret) + QStringLiteral("\r\n") + text.mid(caret));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

CEmulatorView::CEmulatorView(CCorvaneDoc& doc, Interaction& interaction, TerminalHost& host, QWidget* parent)
    : QWidget(parent), session_(std::make_unique<TerminalSession>(doc, interaction, host))
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* layout = new QVBoxLayout(this);
    arms_ = new QComboBox(this);
    arms_->addItem(QString::asprintf("Arm %d", 1));
    arms_->setEnabled(false);
    layout->addWidget(arms_);

    output_ = new QPlainTextEdit(this);
    output_->setObjectName(QStringLiteral("outputBox"));
    output_->setReadOnly(true);
    output_->setFont(fixed);
    output_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(output_, 1);

    input_ = new TerminalInputEdit(this);
    input_->setObjectName(QStringLiteral("inputBox"));
    input_->setFont(fixed);
    input_->setFixedHeight(input_->fontMetrics().lineSpacing() * 3 + 12);
    layout->addWidget(input_);

    connect(input_, &QPlainTextEdit::textChanged, this, [this] {
        if (!settingText_)
            handleInput(input_->toPlainText());
    });
    connect(input_, &TerminalInputEdit::lineCompleted, this, &CEmulatorView::handleInput);
    setFocusProxy(input_);
}

void CEmulatorView::handleInput(const QString& text)
{
    show(session_->inputChanged(text.toLatin1().toStdString()));
}

void CEmulatorView::runMenuItem(int id)
{
    input_->setFocus();
    show(session_->menuItem(id));
}

void CEmulatorView::show(const TerminalSession::InputResult& result)
{
    if (result.replaced || result.executed) {
        settingText_ = true;
        input_->setPlainText(QString::fromLatin1(result.text));
        input_->moveCursor(QTextCursor::End);
        settingText_ = false;
    }
}

void CEmulatorView::refreshOutput()
{
    QString text = QString::fromLatin1(session_->outputText());
    text.remove(QLatin1Char('\r'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    output_->setPlainText(text);
    output_->moveCursor(QTextCursor::End);
    output_->verticalScrollBar()->setValue(output_->verticalScrollBar()->maximum());
}

} // namespace corvane::app
