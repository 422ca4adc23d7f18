#pragma once
// The desktop's side of the core's questions: message boxes, file dialogs and
// the access-code dialog, parented to the window that asked.

#include "common/interaction.h"

#include <QPointer>
#include <QWidget>

namespace corvane::app {

class GuiInteraction : public Interaction {
public:
    explicit GuiInteraction(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
    Answer ask(const std::string& text, const std::string& caption, Buttons buttons, MessageIcon icon) override;
    std::optional<std::string> askFileName(const std::string& title, const std::string& filter, bool save) override;
    std::optional<std::string> askFile(const FileDialogRequest& request) override;
    std::optional<std::string> askAccessCode() override;

private:
    QWidget* owner() const;

    QPointer<QWidget> parent_;
};

// "Text files (*.txt)|*.txt|All files (*.*)|*.*||" as a Qt name filter.
QString QtFileFilter(const std::string& filter);

// The caption of a message box: the given one, or the application's name.
QString MessageCaption(const std::string& caption);

} // namespace corvane::app
