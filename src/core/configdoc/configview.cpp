#include "configdoc/configview.h"

#include "common/cformat.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/paramlisting.h"
#include "dictionary/directories.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace corvane {
namespace {

std::vector<TreeItemInfo> BuildTreeItems()
{
    std::vector<TreeItemInfo> items;
    auto add = [&](int directory, int parent, int image) {
        items.push_back({std::string(DirectoryName(directory)), directory, parent, image});
    };
    add(kConfigurationDirectory, -1, 0);
    for (int d = 1; d <= 4; ++d)
        add(d, kConfigurationDirectory, 0);
    add(5, -1, 1);
    add(6, -1, 3);
    add(kBlendMeterDirectory, -1, 2);
    add(kWildMeterDirectory, -1, 2);
    add(9, -1, 6);
    add(10, -1, 7);
    add(kRecipeDirectory, -1, 8);
    for (int n = 1; n <= 12; ++n)
        items.push_back({CFormat("Recipe %d", n), kFirstRecipe + n - 1, kRecipeDirectory, 8});
    return items;
}

bool IsAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Converts with iconv; an unconvertible byte or character becomes "?".
std::string Convert(std::string_view text, const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(text);
    std::string out;
    std::string in(text);
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: skip one input character (a whole UTF-8 sequence when reading UTF-8).
        std::size_t skip = 1;
        if (std::string_view(from) == "UTF-8") {
            const auto lead = static_cast<unsigned char>(*inPtr);
            skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            skip = std::min(skip, inLeft);
        }
        inPtr += skip;
        inLeft -= skip;
        out += '?';
    }
    iconv_close(cd);
    return out;
}

} // namespace

const std::vector<TreeItemInfo>& DirectoryTreeItems()
{
    static const std::vector<TreeItemInfo> items = BuildTreeItems();
    return items;
}

ParamRow ParamListRow(CCorvaneDoc& doc, DBParam& param)
{
    return {&param, std::string(param.description()), ParamValueColumn(param, doc.images()),
            std::string(param.CommentText()), SecurityLevelText(param, doc.images())};
}

std::vector<ParamRow> ParamListRows(CCorvaneDoc& doc, int directory)
{
    std::vector<ParamRow> rows;
    if (directory < 0 || directory >= kDirectoryCount)
        return rows;
    auto codes = doc.chain().directory(directory);
    rows.reserve(codes.size());
    for (DBParam& p : codes)
        if (IsShownInDirectory(p, directory))
            rows.push_back(ParamListRow(doc, p));
    return rows;
}

int RowToSelect(int directory, int previousRow, int rowCount)
{
    if (rowCount <= 0)
        return -1;
    if (IsRecipeDirectory(directory) && previousRow >= 0 && previousRow < rowCount)
        return previousRow;
    return 0;
}

std::string_view TextCodeFontFamily(int charSet)
{
    switch (charSet) {
    case 1: return "HVD 866 Bold (DOS Cyrillic)";
    case 2: return "HVD 1251 Bold (Cyrillic)";
    case 3: return "HVD 1250 Bold (Central Europe)";
    case 4: return "HVD 1253 Bold (Greek)";
    default: return "HVD Bold";
    }
}

std::string_view TextCodePage(int charSet)
{
    switch (charSet) {
    case 1: return "CP866";
    case 2: return "CP1251";
    case 3: return "CP1250";
    case 4: return "CP1253";
    default: return "CP852";
    }
}

std::string ControllerTextToUtf8(std::string_view bytes, int charSet)
{
    if (IsAscii(bytes))
        return std::string(bytes);
    return Convert(bytes, "UTF-8", std::string(TextCodePage(charSet)).c_str());
}

std::string Utf8ToControllerText(std::string_view utf8, int charSet)
{
    if (IsAscii(utf8))
        return std::string(utf8);
    return Convert(utf8, std::string(TextCodePage(charSet)).c_str(), "UTF-8");
}

} // namespace corvane
