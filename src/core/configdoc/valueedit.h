#pragma once
// Editing one program code: which editor a code gets, how a proposed value is
// checked and turned into the text that is stored, and the offline edit that
// the command line and the desktop editor share.

#include "dictionary/dbentry.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class CCorvaneDoc;
class DBParam;

enum class EditorKind {
    Alarm,     // categories 5 and 6: check boxes for the alarm bits
    List,      // the entry has an option list
    IPAddress, // category 3, uint32: dotted-quad address field
    General,   // typed value
};

EditorKind ChooseEditor(const DBEntry& entry);

inline constexpr const char* kReadOnlyMessage =
    "You can only read this program code.\nUse the SD command in Terminal Emulator to set time/date.";
inline constexpr const char* kTimeOfDayMessage =
    "Must be valid time string of form HH:MMT where T=A (AM), P (PM) or M (Military)";
inline constexpr const char* kSecurityLevelRangeMessage = "Enter a security level of 1, 2 or 3.";
inline constexpr const char* kNoSecurityLevelMessage = "This program code has no security level.";
inline constexpr const char* kIPAddressMessage = "Enter an IP address as a.b.c.d or as a number between 0 and 4294967295.";
inline constexpr const char* kAlarmBitMessage = "Alarm bits run from 0 to 15.";
inline constexpr const char* kStoreFailedMessage = "The value could not be stored.";

// The one text code whose value is a time of day ("HH:MMT").
inline constexpr int kTimeOfDayCode = 737;

// "Enter a number between %1 and %2." with the limits in %g form.
std::string RangeMessage(double minimum, double maximum);
// Refusal of digits that name one option by number and another by text.
std::string AmbiguousOptionMessage(const DBEntry& entry, const std::string& input, int number, int textOf);
// "Enter no more than %1 characters."
std::string TextLengthMessage(double maximum);

// The text to store for an accepted value, or the message that refuses it.
struct NewValue {
    std::string text;
    std::optional<std::string> error;

    bool ok() const { return !error; }
    static NewValue accept(std::string text) { return {std::move(text), std::nullopt}; }
    static NewValue refuse(std::string message) { return {{}, std::move(message)}; }
};

// Whether the general editor applies the time-of-day check to this entry.
bool UsesTimeOfDayCheck(const DBEntry& entry);

// The time-of-day check alone; on success the text with its A/P/M letter upper-cased.
NewValue CheckTimeOfDay(std::string_view text);

// The general editor's check of a typed value. Numbers are read as decimal
// floating point (a non-number reads as 0) and must lie in the entry's limits;
// integer codes store the whole part. Text is limited to the entry's maximum.
NewValue CheckGeneralValue(const DBEntry& entry, std::string_view typed);

// The list editor's check of the selected option (none when nothing is selected).
NewValue CheckListOption(const DBEntry& entry, std::optional<int> option);

// Typed list input: the option number, the exact option text, or the number,
// one blank and its option text (the form the parameter list shows). Digits
// that are one option's number and another option's text are refused as
// ambiguous; the number-and-text form settles them.
NewValue ResolveListInput(const DBEntry& entry, std::string_view input);

// Alarm editor: the check boxes are bits 0 to 3 of the value.
inline constexpr std::array<const char*, 4> kAlarmCheckBoxTexts = {
    "Allow clearing without passcode entry", "Energize Alarm Relay 1", "Energize  Alarm Relay 2", "Stop Flow"};
std::array<bool, 4> AlarmChecks(std::uint32_t value);
std::uint32_t AlarmValue(const std::array<bool, 4>& checks);

// Typed alarm input: the decimal bit mask ("5"), or "bits:" and a comma list of
// bit numbers 0 to 15 ("bits:0,2" is 5, "bits:" is 0). The value must also lie
// in the entry's limits.
NewValue ResolveAlarmInput(const DBEntry& entry, std::string_view input);

// IP addresses: first octet in the most significant byte.
std::optional<std::uint32_t> ParseIPAddress(std::string_view text); // "a.b.c.d" or decimal
std::string DottedQuad(std::uint32_t address);
// The IP editor's value text for an address ("%lu").
std::string IPValueText(std::uint32_t address);
NewValue ResolveIPInput(std::string_view input);

// Typed input for the editor the entry gets.
NewValue ResolveEditInput(const DBEntry& entry, std::string_view input);
// The same, reporting only the refusal.
std::optional<std::string> ValidateNewValue(const DBEntry& entry, std::string_view input);

// The list editor's lines: "%0*d %s" with the entry's width, for options 0 to maximum.
std::vector<std::string> OptionListLines(const DBEntry& entry);

// The security level choices: "Level 1" to "Level 3".
std::vector<std::string> SecurityLevelChoices();

// Offline edit of one code: refuses read-only codes, resolves the input for
// the code's editor, stores it, stores `level` (1-3) when given, sets the
// has-value flag and marks the document modified. Returns the refusal, if any;
// a refused edit changes nothing.
std::optional<std::string> ApplyOfflineEdit(CCorvaneDoc& doc, DBParam& param, std::string_view input,
                                            std::optional<int> level);

} // namespace corvane
