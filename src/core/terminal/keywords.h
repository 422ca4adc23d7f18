#pragma once
// How terminal and macro lines are matched against their keywords: without
// regard to case, with blanks trimmed from arguments.

#include <string>
#include <string_view>
#include <strings.h>

namespace corvane {

// The line is the keyword.
inline bool IsKeyword(std::string_view line, std::string_view keyword)
{
    return line.size() == keyword.size() && strncasecmp(line.data(), keyword.data(), keyword.size()) == 0;
}

// The line begins with the keyword.
inline bool StartsWithKeyword(std::string_view line, std::string_view keyword)
{
    return line.size() >= keyword.size() && strncasecmp(line.data(), keyword.data(), keyword.size()) == 0;
}

// Without leading and trailing blanks.
inline std::string TrimBlanks(std::string_view s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

} // namespace corvane
