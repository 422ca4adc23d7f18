#pragma once
// The 24 program-code directories of a configuration document and the key-range
// rows they are built from.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

constexpr int kDirectoryCount = 24;
constexpr int kConfigurationDirectory = 0; // tree parent of 1-4
constexpr int kRecipeDirectory = 11;       // tree parent of 12-23
constexpr int kBlendMeterDirectory = 7;
constexpr int kWildMeterDirectory = 8;
constexpr int kFirstRecipe = 12;
constexpr int kLastRecipe = 23;

struct DirectoryInfo {
    std::string_view name;
    int keyLow;
    int keyHigh;
    int rangeRow;
    int instance;
    std::string_view mnemonic; // the word naming the directory in commands
    int helpClass;             // numbers the context-help topics
};

// Directory d (0-23); none outside.
const DirectoryInfo* Directory(int d);
std::string_view DirectoryName(int d);

// A directory by number ("5") or by name, case-insensitive ("wild stream meter").
std::optional<int> DirectoryByName(std::string_view text);

struct RangeRow {
    int row;
    int keyLow;
    int keyHigh;
    int instances;
};

// Key-range rows in building order; row r with n instances yields directories r..r+n-1.
std::span<const RangeRow> RangeRows();

bool IsRecipeDirectory(int d);

} // namespace corvane
