#include "configdoc/valueedit.h"

#include "common/cformat.h"
#include "configdoc/corvanedoc.h"
#include "dictionary/dbparam.h"
#include "dictionary/literals.h"
#include "dictionary/valuetext.h"

#include <cfloat>
#include <cmath>

namespace corvane {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// An unsigned decimal number made of digits only; none for anything else or past `limit`.
std::optional<unsigned long long> Digits(std::string_view text, unsigned long long limit)
{
    if (!AllDigits(text))
        return std::nullopt;
    unsigned long long value = 0;
    for (char c : text) {
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return value;
}

// The limits are single-precision floats: compare in that precision, so that
// typing the maximum as shown (9.99) is accepted.
bool WithinLimits(const DBEntry& entry, double value)
{
    if (std::isnan(value))
        return false;
    if (std::isinf(value) || std::fabs(value) > FLT_MAX)
        return false;
    const float f = static_cast<float>(value);
    return f >= entry.minimum && f <= entry.maximum;
}

} // namespace

EditorKind ChooseEditor(const DBEntry& entry)
{
    if (entry.category == 5 || entry.category == 6)
        return EditorKind::Alarm;
    if (entry.hasOptions())
        return EditorKind::List;
    if (entry.category == 3 && entry.type == ValueType::UInt32)
        return EditorKind::IPAddress;
    return EditorKind::General;
}

std::string RangeMessage(double minimum, double maximum)
{
    return CFormat("Enter a number between %g and %g.", minimum, maximum);
}

std::string AmbiguousOptionMessage(const DBEntry& entry, const std::string& input, int number, int textOf)
{
    return CFormat("\"%s\" is option %d and also the text of option %d: enter \"%d %s\" or \"%d %s\".",
                   input.c_str(), number, textOf, number, std::string(OptionText(entry, number)).c_str(), textOf,
                   std::string(OptionText(entry, textOf)).c_str());
}

std::string TextLengthMessage(double maximum) { return CFormat("Enter no more than %g characters.", maximum); }

bool UsesTimeOfDayCheck(const DBEntry& entry)
{
    return entry.type == ValueType::Text && entry.codeNumber() == kTimeOfDayCode;
}

NewValue CheckTimeOfDay(std::string_view text)
{
    if (text.size() < 3 || text[2] != ':')
        return NewValue::refuse(kTimeOfDayMessage);
    const long long hours = ParseLeadingInteger(text);
    const long long minutes = ParseLeadingInteger(text.substr(3));
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59)
        return NewValue::refuse(kTimeOfDayMessage);
    for (std::size_t i = 5; i < text.size(); ++i) {
        char letter = text[i];
        if (letter >= 'a' && letter <= 'z')
            letter = static_cast<char>(letter - 'a' + 'A');
        if (letter != 'A' && letter != 'P' && letter != 'M')
            continue;
        if (letter != 'M' && hours >= 13)
            return NewValue::refuse(kTimeOfDayMessage);
        std::string out(text);
        out[i] = letter;
        return NewValue::accept(std::move(out));
    }
    return NewValue::refuse(kTimeOfDayMessage);
}

NewValue CheckGeneralValue(const DBEntry& entry, std::string_view typed)
{
    if (entry.type == ValueType::Text) {
        if (static_cast<double>(typed.size()) > entry.maximum)
            return NewValue::refuse(TextLengthMessage(entry.maximum));
        if (UsesTimeOfDayCheck(entry))
            return CheckTimeOfDay(typed);
        return NewValue::accept(std::string(typed));
    }
    const double value = ParseLeadingDouble(typed);
    if (!WithinLimits(entry, value))
        return NewValue::refuse(RangeMessage(entry.minimum, entry.maximum));
    if (IsFloatType(entry.type))
        return NewValue::accept(std::string(typed));
    // Integer codes keep the whole part; "9e1" must store 90, not the 9 its digits say.
    return NewValue::accept(CFormat("%lld", static_cast<long long>(std::trunc(value))));
}

NewValue CheckListOption(const DBEntry& entry, std::optional<int> option)
{
    if (!option || *option < entry.minimum || *option > entry.maximum)
        return NewValue::refuse(RangeMessage(entry.minimum, entry.maximum));
    return NewValue::accept(CFormat("%d", *option));
}

NewValue ResolveListInput(const DBEntry& entry, std::string_view input)
{
    const std::string_view s = Trimmed(input);
    const int last = static_cast<int>(entry.maximum);
    std::optional<int> byText;
    for (int i = 0; i <= last && !byText; ++i) {
        std::string_view option = OptionText(entry, i);
        if (!option.empty() && (option == input || option == s))
            byText = i;
    }
    if (AllDigits(s)) {
        auto n = Digits(s, 1000000);
        const std::optional<int> byNumber = n ? std::optional<int>(static_cast<int>(*n)) : std::nullopt;
        const bool numberIsOption = byNumber && *byNumber >= entry.minimum && *byNumber <= entry.maximum;
        // Some option texts are numbers themselves ("23" is option 9 of the API table).
        if (numberIsOption && byText && *byText != *byNumber)
            return NewValue::refuse(AmbiguousOptionMessage(entry, std::string(s), *byNumber, *byText));
        if (numberIsOption || !byText)
            return CheckListOption(entry, byNumber);
    }
    if (byText)
        return CheckListOption(entry, byText);
    // "3 Remote Start": the number, a blank and that option's own text.
    for (std::string_view form : {s, input}) {
        const std::size_t blank = form.find(' ');
        if (blank == std::string_view::npos)
            continue;
        auto n = Digits(form.substr(0, blank), 1000000);
        if (n && *n <= static_cast<unsigned long long>(last) &&
            OptionText(entry, static_cast<int>(*n)) == form.substr(blank + 1))
            return CheckListOption(entry, static_cast<int>(*n));
    }
    return CheckListOption(entry, std::nullopt);
}

std::array<bool, 4> AlarmChecks(std::uint32_t value)
{
    return {(value & 1u) != 0, (value & 2u) != 0, (value & 4u) != 0, (value & 8u) != 0};
}

std::uint32_t AlarmValue(const std::array<bool, 4>& checks)
{
    std::uint32_t value = 0;
    for (std::size_t bit = 0; bit < checks.size(); ++bit)
        if (checks[bit])
            value |= 1u << bit;
    return value;
}

NewValue ResolveAlarmInput(const DBEntry& entry, std::string_view input)
{
    const std::string_view s = Trimmed(input);
    std::optional<unsigned long long> value;
    if (s.substr(0, 5) == "bits:") {
        unsigned long long mask = 0;
        std::string_view rest = s.substr(5);
        while (!Trimmed(rest).empty()) {
            const std::size_t comma = rest.find(',');
            auto bit = Digits(Trimmed(rest.substr(0, comma)), 15);
            if (!bit)
                return NewValue::refuse(kAlarmBitMessage);
            mask |= 1ull << *bit;
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
            if (Trimmed(rest).empty())
                return NewValue::refuse(kAlarmBitMessage); // a trailing comma names no bit
        }
        value = mask;
    } else {
        value = Digits(s, 0xFFFF);
    }
    if (!value || !WithinLimits(entry, static_cast<double>(*value)))
        return NewValue::refuse(RangeMessage(entry.minimum, entry.maximum));
    return NewValue::accept(CFormat("%llu", *value));
}

std::optional<std::uint32_t> ParseIPAddress(std::string_view text)
{
    const std::string_view s = Trimmed(text);
    if (s.find('.') == std::string_view::npos) {
        auto n = Digits(s, 0xFFFFFFFFull);
        return n ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*n)) : std::nullopt;
    }
    std::uint32_t address = 0;
    std::string_view rest = s;
    for (int octet = 0; octet < 4; ++octet) {
        const std::size_t dot = rest.find('.');
        if ((octet < 3) == (dot == std::string_view::npos))
            return std::nullopt; // not exactly four parts
        const std::string_view part = rest.substr(0, dot);
        auto n = part.size() <= 3 ? Digits(part, 255) : std::nullopt;
        if (!n)
            return std::nullopt;
        address = (address << 8) | static_cast<std::uint32_t>(*n);
        if (dot != std::string_view::npos)
            rest.remove_prefix(dot + 1);
    }
    return address;
}

std::string DottedQuad(std::uint32_t address)
{
    return CFormat("%u.%u.%u.%u", address >> 24, (address >> 16) & 0xFFu, (address >> 8) & 0xFFu, address & 0xFFu);
}

std::string IPValueText(std::uint32_t address) { return CFormat("%lu", static_cast<unsigned long>(address)); }

NewValue ResolveIPInput(std::string_view input)
{
    auto address = ParseIPAddress(input);
    if (!address)
        return NewValue::refuse(kIPAddressMessage);
    return NewValue::accept(IPValueText(*address));
}

NewValue ResolveEditInput(const DBEntry& entry, std::string_view input)
{
    switch (ChooseEditor(entry)) {
    case EditorKind::Alarm: return ResolveAlarmInput(entry, input);
    case EditorKind::List: return ResolveListInput(entry, input);
    case EditorKind::IPAddress: return ResolveIPInput(input);
    case EditorKind::General: break;
    }
    return CheckGeneralValue(entry, input);
}

std::optional<std::string> ValidateNewValue(const DBEntry& entry, std::string_view input)
{
    return ResolveEditInput(entry, input).error;
}

std::vector<std::string> OptionListLines(const DBEntry& entry)
{
    std::vector<std::string> lines;
    if (!entry.hasOptions())
        return lines;
    const int last = static_cast<int>(entry.maximum);
    for (int i = 0; i <= last; ++i)
        lines.push_back(CFormat("%0*d %s", static_cast<int>(entry.width), i, std::string(OptionText(entry, i)).c_str()));
    return lines;
}

std::vector<std::string> SecurityLevelChoices()
{
    std::vector<std::string> choices;
    for (int level = 1; level <= 3; ++level)
        choices.push_back(CFormat("Level %d", level));
    return choices;
}

std::optional<std::string> ApplyOfflineEdit(CCorvaneDoc& doc, DBParam& param, std::string_view input,
                                            std::optional<int> level)
{
    if (param.isReadOnly())
        return std::string(kReadOnlyMessage);
    NewValue value = ResolveEditInput(param.entry(), input);
    if (!value.ok())
        return value.error;
    if (level) {
        if (!param.hasSecurityLevel())
            return std::string(kNoSecurityLevelMessage);
        if (*level < 1 || *level > 3)
            return std::string(kSecurityLevelRangeMessage);
    }
    if (!doc.setValue(param, value.text, level.value_or(0)))
        return std::string(kStoreFailedMessage);
    doc.setModified();
    return std::nullopt;
}

} // namespace corvane
