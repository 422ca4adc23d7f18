#pragma once
// The terminal window's form: the input box, the transcript and the (fixed)
// arm list, over a core terminal session.

#include "terminal/terminalsession.h"

#include <QPlainTextEdit>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;

namespace corvane::app {

// The input box: Enter inserts CR LF at the caret, which completes the line.
class TerminalInputEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;
signals:
    void lineCompleted(const QString& textWithCrLf);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class CEmulatorView : public QWidget {
    Q_OBJECT
public:
    CEmulatorView(CCorvaneDoc& doc, Interaction& interaction, TerminalHost& host, QWidget* parent = nullptr);

    TerminalSession& session() { return *session_; }
    TerminalInputEdit* inputBox() const { return input_; }
    QPlainTextEdit* outputBox() const { return output_; }
    QComboBox* armList() const { return arms_; }

    // A command menu item: its prefix goes into the input box.
    void runMenuItem(int id);
    // Shows the session's transcript, caret at the end.
    void refreshOutput();

private:
    void handleInput(const QString& text);
    void show(const TerminalSession::InputResult& result);

    std::unique_ptr<TerminalSession> session_;
    TerminalInputEdit* input_;
    QPlainTextEdit* output_;
    QComboBox* arms_;
    bool settingText_ = false;
};

} // namespace corvane::app
