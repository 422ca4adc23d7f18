#pragma once
// What the configuration window shows: the directory tree's items, the
// parameter list's columns and rows, which row a refill selects, and the
// character set of text program codes.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class CCorvaneDoc;
class DBParam;

// One item of the directory tree, in building order.
struct TreeItemInfo {
    std::string text;
    int directory;
    int parentDirectory; // -1 for a top-level item
    int image;           // index into the twelve tree images
};

inline constexpr int kTreeImageCount = 12;

// The twenty-four items: "Configuration" with 1-4 under it, 5-10, "Recipe" with "Recipe 1".."Recipe 12".
const std::vector<TreeItemInfo>& DirectoryTreeItems();

// The directory the tree selects first ("Pulse Outputs", the item after "Configuration").
inline constexpr int kFirstSelectedDirectory = 1;

struct ListColumn {
    const char* title;
    int width;
};

inline constexpr std::array<ListColumn, 4> kParamListColumns = {{
    {"ID  Description", 180},
    {"Value", 180},
    {"Comments", 100},
    {"Sec. Lvl", 120},
}};
inline constexpr int kSecurityLevelColumn = 3;

// Number of list columns for the "Sec. Lvl" setting.
inline int ParamListColumnCount(bool showSecurityLevel) { return showSecurityLevel ? 4 : 3; }

// One row of the parameter list.
struct ParamRow {
    DBParam* param;
    std::string description; // up to the first "{"
    std::string value;       // empty without a value; list codes add the option text
    std::string comment;
    std::string level;       // "%d" or "N/A"
};

// The rows of directory d: its codes in order, less those the meter rule hides.
// Directories without codes (0, 11, anything outside 0-23) give no rows.
std::vector<ParamRow> ParamListRows(CCorvaneDoc& doc, int directory);

// The row one code shows now (after an edit).
ParamRow ParamListRow(CCorvaneDoc& doc, DBParam& param);

// The row a refill of directory d selects: recipes keep the row that was
// selected before (when there was one and it exists), everything else row 0.
// -1 when the list is empty.
int RowToSelect(int directory, int previousRow, int rowCount);

// Fonts of text program codes by the "TextCharSet" setting.
std::string_view TextCodeFontFamily(int charSet);
// The code page controller text is in, for the same setting (an iconv name).
std::string_view TextCodePage(int charSet);

// Controller bytes in that code page to UTF-8, and back. A character the code
// page lacks becomes "?" on the way back.
std::string ControllerTextToUtf8(std::string_view bytes, int charSet);
std::string Utf8ToControllerText(std::string_view utf8, int charSet);

} // namespace corvane
