#pragma once
// Changing one program code through its editor: what the editor starts from,
// how its controls become the value text, and storing the result offline or
// sending it to the controller online.

#include "configdoc/valueedit.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class CCorvaneDoc;
class DBParam;
class Interaction;

inline constexpr const char* kEditorCaption = "Corvane Parameter Edit";

// The dialog resource of each editor kind; it also names the editor's layout.
int EditorDialogId(EditorKind kind);

// What an editor shows when it opens.
struct EditorSetup {
    EditorKind kind = EditorKind::General;
    std::string description;  // up to the first "{"
    std::string currentValue; // ValueText
    std::string hint;
    std::string helpText;
    int helpId = 0;
    bool isText = false;      // text codes get the character-set font
    bool hasLevel = false;    // the level combo is disabled without one
    int securityIndex = -1;   // stored level - 1; -1 for none
    std::array<bool, 4> alarmChecks{};
    int option = -1;          // list editor: the selected option; -1 for none
    std::vector<std::string> optionLines;
    std::uint32_t address = 0; // IP editor
};

EditorSetup PrepareEditor(const CCorvaneDoc& doc, const DBParam& param);

// The controls of an editor when OK is pressed.
struct EditorInput {
    std::string typed;                // general editor
    std::optional<int> option;        // list editor; none when nothing is selected
    std::uint32_t address = 0;        // IP editor
    std::array<bool, 4> alarmChecks{}; // alarm editor
    int securityIndex = -1;           // -1: no level chosen
};

// The check on OK: the value text for the editor's kind, or the message that
// keeps the dialog open.
NewValue CheckEditorInput(const DBEntry& entry, EditorKind kind, const EditorInput& input);

// An accepted editor: the value text and the chosen level (0 for none).
struct EditResult {
    std::string valueText;
    int level = 0;
};

// Stores an accepted edit. Offline (connection state below 2) it is stored
// at once. Online "PC" goes first; a rejected or failed "PC" shows the
// protocol's error report and changes nothing (value, level, has-value and
// modified state stay). After an accepted "PC" the value is stored, and "XC"
// follows only when the code has a level and the chosen one differs; a failed
// "XC" shows its message and keeps the old level. Returns whether the code
// changed.
bool StoreEdit(CCorvaneDoc& doc, DBParam& param, const EditResult& result, Interaction& interaction);

// "Unable to set security level %d for %s %s\n".
std::string SecurityLevelFailureMessage(const DBParam& param, int level);

// Runs the editor for one code (the callback shows it modally and returns
// none on Cancel); read-only codes get their message and no editor.
using EditorRunner = std::function<std::optional<EditResult>(const EditorSetup&)>;
bool RunEditSequence(CCorvaneDoc& doc, DBParam& param, Interaction& interaction, const EditorRunner& runEditor);

} // namespace corvane
