#pragma once
// printf-style formatting that always uses the C locale, so that a decimal
// point stays a point whatever the user's locale says.

#include <string>
#include <string_view>

namespace corvane {

std::string CFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same with a format built at run time; the caller guarantees that the
// arguments fit the conversions.
std::string CFormatDynamic(const std::string& format, ...);

// Parses a number the way the C library's atof does, in the C locale: leading
// blanks, an optional sign, the longest valid prefix; 0 when there is none.
double ParseLeadingDouble(std::string_view text);

// Parses the leading decimal integer (blanks, optional sign, digits), clamped
// to the 64-bit range; 0 when there is none.
long long ParseLeadingInteger(std::string_view text);

} // namespace corvane
