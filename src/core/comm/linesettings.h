#pragma once
// Serial line settings: the text form kept in the settings store
// ("%d,%c,%d,%d", for example 9600,E,7,1) and the choices of the two port
// settings dialogs.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

enum class Parity : int { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };

struct LineSettings {
    int baudRate = 38400;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopBits = 1; // 1 or 2

    bool operator==(const LineSettings&) const = default;
};

// "38400,N,8,1" and friends; none when the text cannot be read.
std::optional<LineSettings> ParseLineSettings(std::string_view text);
// Parses like ParseLineSettings, starting from the default line for what is missing or bad.
LineSettings LineSettingsOrDefault(std::string_view text);
std::string FormatLineSettings(const LineSettings& line);

// The parity letter shown for a parity code: "NOEMS".
char ParityLetter(Parity parity);

// 600 -> 0 ... 19200 -> 5, every other rate -> 6.
int SpeedIndex(int baudRate);
// "600" ... "38400".
const char* SpeedText(int speedIndex);
// Per-byte read deadline in milliseconds: 1000 / (index + 1) + 2000.
int ReadDeadlineMs(int speedIndex);

// The port settings dialog's lists.
const std::vector<std::string>& PortSpeedChoices();      // "1200" .. "38400"
const std::vector<std::string>& DataParityChoices();     // "7/None" .. "8/None/2 Stop"
const std::vector<std::string>& ProtocolChoices();       // "Terminal", "Minicomputer"

struct PortSettingsChoice {
    int speed = 5;      // index into PortSpeedChoices
    int dataParity = 3; // index into DataParityChoices
    int protocol = 1;   // 0 terminal, 1 minicomputer

    bool operator==(const PortSettingsChoice&) const = default;
};

// Preselection of the dialog from stored settings, and the settings its OK stores.
PortSettingsChoice ChoiceFromSettings(const LineSettings& line, int protocol);
LineSettings SettingsFromChoice(const PortSettingsChoice& choice);

// The communication setup dialog's port list: "TCP/IP", then "Com 1" .. "Com 99".
const std::vector<std::string>& CommPortChoices();
// "Comm Port Settings..." is offered only for a COM port.
inline bool PortSettingsEnabled(int portIndex) { return portIndex >= 1; }

} // namespace corvane
