#include "configdoc/editprogramcode.h"

#include "common/settings.h"
#include "configdoc/configview.h"
#include "configdoc/editsequence.h"
#include "configdoc/parameditdialogs.h"

#include <QWidget>

namespace corvane::app {

namespace {

std::function<void(QWidget*, int)>& HelpHandler()
{
    static std::function<void(QWidget*, int)> handler;
    return handler;
}

} // namespace

QFont TextCodeFont(int charSet)
{
    QFont font(QString::fromStdString(std::string(TextCodeFontFamily(charSet))));
    return font;
}

void SetEditorHelpHandler(std::function<void(QWidget*, int)> handler) { HelpHandler() = std::move(handler); }

const std::function<void(QWidget*, int)>& EditorHelpHandler() { return HelpHandler(); }

bool EditProgramCode(QWidget* parent, CCorvaneDoc& doc, ControllerLink& /*link*/, DBParam& code, Settings& settings,
                     Interaction& interaction)
{
    const int charSet = settings.value(settings::ViewTextCharSet);
    return RunEditSequence(doc, code, interaction, [&](const EditorSetup& setup) -> std::optional<EditResult> {
        std::unique_ptr<CGenParamEdit> editor = MakeParamEditor(code, setup, charSet, interaction, parent);
        if (editor->exec() != QDialog::Accepted)
            return std::nullopt;
        return editor->result();
    });
}

} // namespace corvane::app
