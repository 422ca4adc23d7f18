#pragma once
// The printed parameter listing laid out on pages: the page header, the
// sections of the chosen directories and the page breaks, with every position
// counted in line heights so that the printer only has to scale and draw.

#include "configdoc/paramlisting.h"

#include <QDateTime>

#include <optional>
#include <string>
#include <vector>

namespace corvane {

class CCorvaneDoc;
class Settings;

struct ListingLine {
    enum class Kind { Header, Title, Code };
    Kind kind;
    int y; // top of the line, in line heights from the top of the printable area
    std::string text;
    bool operator==(const ListingLine&) const = default;
};
using ListingPage = std::vector<ListingLine>;

struct ListingLayout {
    int linesPerPage = 60;              // L: printable height / line height
    std::optional<int> selection;       // print only this directory (see ListingDirectories)
    ListingOptions options;
    std::string header;                 // printed on the first page only
};

// "%B %d, %Y %H:%M" with English month names whatever the locale.
std::string ListingDateText(const QDateTime& when);

// "%s - Printed %s " of the document's path name (its title while it has none)
// and the date.
std::string ListingPageHeader(const CCorvaneDoc& doc, const QDateTime& when);

// The level suffix and level filter as the "ParamPrint" settings say.
ListingOptions ListingOptionsFrom(const Settings& settings);

// The pages of the listing. The header sits at y = 3 and the first section at
// y = 6; a section starts a new page when (L - 7) < y, a code line ends its page
// when (L - 3) < y after it, and a new page starts again at y = 3. A page
// break with nothing after it leaves no blank page behind. The document's
// current directory is not touched.
std::vector<ListingPage> ListingPages(const CCorvaneDoc& doc, const ListingLayout& layout);

} // namespace corvane
