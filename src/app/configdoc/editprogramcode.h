#pragma once
// Editing one program code from the parameter list: its editor dialog, then
// the value stored offline or sent to the controller online.

#include <QFont>

#include <functional>

class QWidget;

namespace corvane {
class CCorvaneDoc;
class ControllerLink;
class DBParam;
class Interaction;
class Settings;
} // namespace corvane

namespace corvane::app {

// True when the code changed (value stored, has-value set, document modified).
bool EditProgramCode(QWidget* parent, CCorvaneDoc& doc, ControllerLink& link, DBParam& code, Settings& settings,
                     Interaction& interaction);

// The font of text program codes for a "TextCharSet" value; asked for by
// family, so that a missing controller font falls back to the system's.
QFont TextCodeFont(int charSet);

// What the editors' Help button opens: a help topic by number. F1 finds the
// same topic in the dialog's help-topic property.
void SetEditorHelpHandler(std::function<void(QWidget* dialog, int topic)> handler);
const std::function<void(QWidget*, int)>& EditorHelpHandler();

} // namespace corvane::app
