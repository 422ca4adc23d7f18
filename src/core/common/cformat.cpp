#include "common/cformat.h"

#include <charconv>
#include <cmath>
#include <clocale>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <locale.h>
#include <string_view>

namespace corvane {
namespace {

locale_t CLocale()
{
    static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    return c;
}

std::string VFormat(const char* format, va_list args)
{
    locale_t previous = uselocale(CLocale());
    char buffer[256];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(buffer, sizeof buffer, format, copy);
    va_end(copy);
    std::string out;
    if (n < 0) {
        out.clear();
    } else if (static_cast<std::size_t>(n) < sizeof buffer) {
        out.assign(buffer, static_cast<std::size_t>(n));
    } else {
        out.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(static_cast<std::size_t>(n));
    }
    uselocale(previous);
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

} // namespace

std::string CFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = VFormat(format, args);
    va_end(args);
    return out;
}

std::string CFormatDynamic(const std::string& format, ...)
{
    va_list args;
    va_start(args, format);
    std::string out = VFormat(format.c_str(), args);
    va_end(args);
    return out;
}

double ParseLeadingDouble(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return 0; // a second sign is not a number
    double value = 0;
    auto [end, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
    if (end == text.data() + i)
        return 0;
    if (ec == std::errc::result_out_of_range) {
        // from_chars leaves the value alone on overflow; atof gives infinity or 0.
        std::string_view digits(text.data() + i, static_cast<std::size_t>(end - (text.data() + i)));
        bool tiny = digits.find("e-") != std::string_view::npos || digits.find("E-") != std::string_view::npos;
        value = tiny ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

long long ParseLeadingInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned long long magnitude = 0;
    bool overflow = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (magnitude > (ULLONG_MAX - digit) / 10)
            overflow = true;
        else
            magnitude = magnitude * 10 + digit;
    }
    if (negative) {
        if (overflow || magnitude > static_cast<unsigned long long>(LLONG_MAX) + 1)
            return LLONG_MIN;
        return static_cast<long long>(0 - magnitude);
    }
    if (overflow || magnitude > static_cast<unsigned long long>(LLONG_MAX))
        return LLONG_MAX;
    return static_cast<long long>(magnitude);
}

} // namespace corvane
