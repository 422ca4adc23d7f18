#include "dictionary/valuetext.h"

#include "common/bytes.h"
#include "common/cformat.h"
#include "dictionary/literals.h"

#include <algorithm>

namespace corvane {
namespace {

// The display format: a flag after the leading "%", "-" for text, "0" otherwise.
std::string DisplayFormat(const DBEntry& entry)
{
    const std::string& f = entry.format;
    if (f.size() < 2)
        return f;
    std::string out(1, f[0]);
    out += entry.type == ValueType::Text ? '-' : '0';
    out.append(f, 1, std::string::npos);
    return out;
}

// An integer value widened from its stored width.
std::uint32_t WidenedInteger(ValueType type, std::span<const std::uint8_t> bytes)
{
    switch (type) {
    case ValueType::Int8:
    case ValueType::UInt8:
    case ValueType::Flag: return LoadLE<std::uint8_t>(bytes);
    case ValueType::Int16: return static_cast<std::uint32_t>(static_cast<std::int32_t>(LoadLE<std::int16_t>(bytes)));
    case ValueType::UInt16: return LoadLE<std::uint16_t>(bytes);
    case ValueType::Int32:
    case ValueType::UInt32: return LoadLE<std::uint32_t>(bytes);
    default: return 0;
    }
}

std::string StoredText(std::span<const std::uint8_t> bytes)
{
    auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), end);
}

} // namespace

std::string FormatValue(const DBEntry& entry, std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return {};
    const std::string format = DisplayFormat(entry);
    const int width = entry.width;
    const int precision = entry.precision;
    switch (entry.type) {
    case ValueType::Text:
        return CFormatDynamic(format, width, precision, StoredText(bytes).c_str());
    case ValueType::Float32:
        return CFormatDynamic(format, width, precision, static_cast<double>(LoadLE<float>(bytes)));
    case ValueType::Float64:
        return CFormatDynamic(format, width, precision, LoadLE<double>(bytes));
    default: break;
    }
    const int digits = precision != 0 ? precision : width;
    const std::uint32_t value = WidenedInteger(entry.type, bytes);
    switch (entry.conversion) {
    case Conversion::Signed:
    case Conversion::ZeroSigned: return CFormatDynamic(format, width, digits, static_cast<int>(value));
    case Conversion::Unsigned:
    case Conversion::ZeroUnsigned: return CFormatDynamic(format, width, digits, static_cast<unsigned>(value));
    case Conversion::UnsignedLong:
    case Conversion::ZeroHexLong: return CFormatDynamic(format, width, digits, static_cast<unsigned long>(value));
    default: return {};
    }
}

bool StoreValueFromText(int typeCode, std::span<std::uint8_t> bytes, std::string_view text, std::size_t maxChars)
{
    if (!IsValidTypeCode(typeCode))
        return false;
    const auto type = static_cast<ValueType>(typeCode);
    if (type == ValueType::Text) {
        if (bytes.empty())
            return true;
        std::size_t n = std::min({text.size(), maxChars, bytes.size() - 1});
        std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
        std::copy_n(text.begin(), n, bytes.begin());
        return true;
    }
    if (IsFloatType(type)) {
        double value = ParseLeadingDouble(text);
        if (type == ValueType::Float32)
            StoreLE(bytes, static_cast<float>(value));
        else
            StoreLE(bytes, value);
        return true;
    }
    // Integers: the leading decimal number, then its low bits for the width.
    const auto value = static_cast<std::uint32_t>(static_cast<unsigned long long>(ParseLeadingInteger(text)));
    switch (ScalarWidth(type)) {
    case 1: StoreLE(bytes, static_cast<std::uint8_t>(value)); break;
    case 2: StoreLE(bytes, static_cast<std::uint16_t>(value)); break;
    default: StoreLE(bytes, value); break;
    }
    return true;
}

std::string HintText(const DBEntry& entry)
{
    if (entry.type == ValueType::Text)
        return CFormat("Enter up to %-1.0f characters of text", static_cast<double>(entry.maximum));
    if (entry.hasOptions())
        return "Select desired option from list";
    const int p = IsFloatType(entry.type) ? entry.precision : 0;
    const bool general = entry.format.find_first_of("eEgG") != std::string::npos;
    const double lo = entry.minimum;
    const double hi = entry.maximum;
    return general ? CFormat("(%*.*g - %*.*g)", 0, p, lo, 0, p, hi) : CFormat("(%*.*f - %*.*f)", 0, p, lo, 0, p, hi);
}

std::string_view OptionText(const DBEntry& entry, int n)
{
    if (!entry.hasOptions() || n < 0 || n > static_cast<int>(entry.maximum))
        return {};
    return Literal(entry.options + n);
}

double NumericValue(ValueType type, std::span<const std::uint8_t> bytes)
{
    switch (type) {
    case ValueType::Text: return ParseLeadingDouble(StoredText(bytes));
    case ValueType::Float32: return LoadLE<float>(bytes);
    case ValueType::Float64: return LoadLE<double>(bytes);
    case ValueType::Int16: return LoadLE<std::int16_t>(bytes);
    case ValueType::Int32: return LoadLE<std::int32_t>(bytes);
    default: return WidenedInteger(type, bytes);
    }
}

} // namespace corvane
