#include "dictionary/directories.h"

#include <array>
#include <cctype>
#include <charconv>

namespace corvane {
namespace {

constexpr std::array<DirectoryInfo, kDirectoryCount> kDirectories{{
    {"Configuration", 0, 9999, 0, 0, "CF", 0},
    {"Pulse Outputs", 10000, 10199, 1, 0, "CF", 0},
    {"Digital Inputs", 10200, 10299, 2, 0, "CF", 0},
    {"Digital Outputs", 10300, 10399, 3, 0, "CF", 0},
    {"Analog Inputs", 10400, 10499, 4, 0, "CF", 0},
    {"General Purpose", 11000, 11999, 5, 0, "SY", 1},
    {"Blend Control", 12000, 12999, 6, 0, "SY", 1},
    {"Blend Stream Meter", 13000, 14999, 7, 0, "P1", 2},
    {"Wild Stream Meter", 13000, 14999, 7, 1, "P2", 2},
    {"Alarms", 25000, 25999, 9, 0, "SY", 1},
    {"Communications", 26000, 26999, 10, 0, "SY", 1},
    {"Recipe", 27000, 27999, 11, 0, "", 5},
    {"Recipe 1", 28000, 28999, 12, 0, "01", 5},
    {"Recipe 2", 28000, 28999, 12, 1, "02", 5},
    {"Recipe 3", 28000, 28999, 12, 2, "03", 5},
    {"Recipe 4", 28000, 28999, 12, 3, "04", 5},
    {"Recipe 5", 28000, 28999, 12, 4, "05", 5},
    {"Recipe 6", 28000, 28999, 12, 5, "06", 5},
    {"Recipe 7", 28000, 28999, 12, 6, "07", 5},
    {"Recipe 8", 28000, 28999, 12, 7, "08", 5},
    {"Recipe 9", 28000, 28999, 12, 8, "09", 5},
    {"Recipe 10", 28000, 28999, 12, 9, "10", 5},
    {"Recipe 11", 28000, 28999, 12, 10, "11", 5},
    {"Recipe 12", 28000, 28999, 12, 11, "12", 5},
}};

constexpr std::array<RangeRow, 12> kRangeRows{{
    {0, 0, 9999, 1},
    {1, 10000, 10199, 1},
    {2, 10200, 10299, 1},
    {3, 10300, 10399, 1},
    {4, 10400, 10499, 1},
    {5, 11000, 11999, 1},
    {6, 12000, 12999, 1},
    {7, 13000, 14999, 2},
    {9, 25000, 25999, 1},
    {10, 26000, 26999, 1},
    {11, 27000, 27999, 1},
    {12, 28000, 28999, 12},
}};

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

const DirectoryInfo* Directory(int d)
{
    if (d < 0 || d >= kDirectoryCount)
        return nullptr;
    return &kDirectories[static_cast<std::size_t>(d)];
}

std::string_view DirectoryName(int d)
{
    const DirectoryInfo* info = Directory(d);
    return info ? info->name : std::string_view();
}

std::optional<int> DirectoryByName(std::string_view text)
{
    int number = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc() && end == text.data() + text.size())
        return Directory(number) ? std::optional<int>(number) : std::nullopt;
    for (int d = 0; d < kDirectoryCount; ++d)
        if (EqualNoCase(kDirectories[static_cast<std::size_t>(d)].name, text))
            return d;
    return std::nullopt;
}

std::span<const RangeRow> RangeRows() { return kRangeRows; }

bool IsRecipeDirectory(int d) { return d >= kFirstRecipe && d <= kLastRecipe; }

} // namespace corvane
