#include "comm/linesettings.h"

#include "common/cformat.h"

#include <cctype>
#include <charconv>

namespace corvane {
namespace {

std::optional<int> Number(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<LineSettings> ParseLineSettings(std::string_view text)
{
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    for (;;) {
        std::size_t comma = text.find(',', pos);
        fields.push_back(text.substr(pos, comma == std::string_view::npos ? comma : comma - pos));
        if (comma == std::string_view::npos)
            break;
        pos = comma + 1;
    }
    if (fields.size() != 4)
        return std::nullopt;
    LineSettings line;
    auto baud = Number(fields[0]);
    auto data = Number(fields[2]);
    std::string_view stop = fields[3];
    while (!stop.empty() && stop.front() == ' ')
        stop.remove_prefix(1);
    std::string_view parity = fields[1];
    while (!parity.empty() && parity.front() == ' ')
        parity.remove_prefix(1);
    if (!baud || *baud <= 0 || !data || *data < 5 || *data > 8 || parity.empty())
        return std::nullopt;
    switch (std::toupper(static_cast<unsigned char>(parity.front()))) {
    case 'N': line.parity = Parity::None; break;
    case 'O': line.parity = Parity::Odd; break;
    case 'E': line.parity = Parity::Even; break;
    case 'M': line.parity = Parity::Mark; break;
    case 'S': line.parity = Parity::Space; break;
    default: return std::nullopt;
    }
    if (stop == "1")
        line.stopBits = 1;
    else if (stop == "2" || stop == "1.5")
        line.stopBits = 2;
    else
        return std::nullopt;
    line.baudRate = *baud;
    line.dataBits = *data;
    return line;
}

LineSettings LineSettingsOrDefault(std::string_view text) { return ParseLineSettings(text).value_or(LineSettings{}); }

char ParityLetter(Parity parity)
{
    static constexpr char letters[] = "NOEMS";
    int i = static_cast<int>(parity);
    return i >= 0 && i < 5 ? letters[i] : 'N';
}

std::string FormatLineSettings(const LineSettings& line)
{
    return CFormat("%d,%c,%d,%d", line.baudRate, ParityLetter(line.parity), line.dataBits,
                   line.stopBits == 2 ? 2 : 1);
}

int SpeedIndex(int baudRate)
{
    switch (baudRate) {
    case 600: return 0;
    case 1200: return 1;
    case 2400: return 2;
    case 4800: return 3;
    case 9600: return 4;
    case 19200: return 5;
    default: return 6;
    }
}

const char* SpeedText(int speedIndex)
{
    static constexpr const char* texts[] = {"600", "1200", "2400", "4800", "9600", "19200", "38400"};
    return speedIndex >= 0 && speedIndex < 7 ? texts[speedIndex] : texts[6];
}

int ReadDeadlineMs(int speedIndex) { return 1000 / (speedIndex + 1) + 2000; }

const std::vector<std::string>& PortSpeedChoices()
{
    static const std::vector<std::string> choices = {"1200", "2400", "4800", "9600", "19200", "38400"};
    return choices;
}

const std::vector<std::string>& DataParityChoices()
{
    static const std::vector<std::string> choices = {"7/None", "7/Odd",  "7/Even",       "8/None",
                                                     "8/Odd",  "8/Even", "8/None/2 Stop"};
    return choices;
}

const std::vector<std::string>& ProtocolChoices()
{
    static const std::vector<std::string> choices = {"Terminal", "Minicomputer"};
    return choices;
}

PortSettingsChoice ChoiceFromSettings(const LineSettings& line, int protocol)
{
    PortSettingsChoice choice;
    static constexpr int rates[] = {1200, 2400, 4800, 9600, 19200};
    choice.speed = 5;
    for (int i = 0; i < 5; ++i)
        if (line.baudRate == rates[i])
            choice.speed = i;
    int index = 0;
    if (line.dataBits == 8)
        index += 3;
    if (line.parity == Parity::Odd)
        index += 1;
    else if (line.parity == Parity::Even)
        index += 2;
    if (index == 3 && line.stopBits == 2)
        index = 6;
    choice.dataParity = index;
    choice.protocol = protocol == 0 ? 0 : 1;
    return choice;
}

LineSettings SettingsFromChoice(const PortSettingsChoice& choice)
{
    static constexpr int rates[] = {1200, 2400, 4800, 9600, 19200, 38400};
    LineSettings line;
    line.baudRate = choice.speed >= 0 && choice.speed < 6 ? rates[choice.speed] : 38400;
    line.dataBits = choice.dataParity <= 2 ? 7 : 8;
    line.parity = (choice.dataParity == 2 || choice.dataParity == 5)   ? Parity::Even
                  : (choice.dataParity == 1 || choice.dataParity == 4) ? Parity::Odd
                                                                       : Parity::None;
    line.stopBits = choice.dataParity == 6 ? 2 : 1;
    return line;
}

const std::vector<std::string>& CommPortChoices()
{
    static const std::vector<std::string> choices = [] {
        std::vector<std::string> c{"TCP/IP"};
        for (int n = 1; n <= 99; ++n)
            c.push_back(CFormat("Com %d", n));
        return c;
    }();
    return choices;
}

} // namespace corvane
