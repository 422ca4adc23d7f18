#include "dictionary/literals.h"

#include <cstddef>
#include <cstdio>

namespace corvane {
namespace embedded {
extern const unsigned char controller_literals[];
extern const std::size_t controller_literals_size;
} // namespace embedded

namespace {

// Lines read `number "text"`; the text runs from the first to the last double
// quote, so quotes and blanks inside it are kept.
std::vector<std::string> ParseLiterals(std::string_view data)
{
    std::vector<std::string> table;
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t eol = data.find('\n', pos);
        if (eol == std::string_view::npos)
            eol = data.size();
        std::string_view line = data.substr(pos, eol - pos);
        pos = eol + 1;
        if (line.empty() || line.front() == '#')
            continue;
        std::size_t open = line.find('"');
        std::size_t close = line.rfind('"');
        if (open == std::string_view::npos || close == open)
            continue;
        int number = 0;
        for (char c : line.substr(0, open)) {
            if (c >= '0' && c <= '9')
                number = number * 10 + (c - '0');
        }
        if (number != static_cast<int>(table.size()))
            break; // out of order: the check below reports the table as damaged
        table.emplace_back(line.substr(open + 1, close - open - 1));
    }
    return table;
}

} // namespace

const std::vector<std::string>& ControllerLiterals()
{
    static const std::vector<std::string> table = ParseLiterals(
        std::string_view(reinterpret_cast<const char*>(embedded::controller_literals),
                         embedded::controller_literals_size));
    return table;
}

std::string_view Literal(int n)
{
    const auto& table = ControllerLiterals();
    if (n < 0 || n >= static_cast<int>(table.size()))
        return {};
    return table[static_cast<std::size_t>(n)];
}

bool CheckLiteralTable(std::string* failure)
{
    const auto& table = ControllerLiterals();
    if (table.size() == kLiteralCount && table[kLastLiteral] == kLastLiteralText)
        return true;
    if (failure) {
        char text[160];
        std::snprintf(text, sizeof text, "\nAssertion failed: %s, line %u\n",
                      "literals", 2816u);
        *failure = text;
    }
    return false;
}

} // namespace corvane
