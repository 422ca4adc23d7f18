#pragma once
// The controller literal table: the operator texts the controller shows, which
// the dictionary names by number. Literal 1574 is the end marker.

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

constexpr int kLiteralCount = 1575;
constexpr int kLastLiteral = 1574;
constexpr std::string_view kLastLiteralText = "LAST LITERAL";

// All literals, by number.
const std::vector<std::string>& ControllerLiterals();

// Literal n, or an empty text when n names none.
std::string_view Literal(int n);

// The start-up check: the table is complete and its last literal is the end
// marker. On failure returns the assertion text to show.
bool CheckLiteralTable(std::string* failure = nullptr);

} // namespace corvane
