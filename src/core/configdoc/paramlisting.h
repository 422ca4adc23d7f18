#pragma once
// Texts of the parameter list and of the printed parameter listing: the Value
// and security-level columns, and the listing's lines without page header or
// page breaks.

#include "dictionary/directorychain.h"
#include "dictionary/valueimages.h"

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The parameter list's Value column: empty while the code has no value, else
// ValueText, and for list codes ValueText, a blank and the option text.
std::string ParamValueColumn(const DBParam& param, const ValueImages& images);

// The security level as "%d", or "N/A" when it is 0 or the code has none.
std::string SecurityLevelText(const DBParam& param, const ValueImages& images);

// Whether directory d's list and listing show this code: the wild stream meter
// (8) hides blend-only codes, the blend stream meter (7) wild-only ones.
bool IsShownInDirectory(const DBParam& param, int directory);

struct ListingOptions {
    bool showLevels = false;    // append the level suffix to each code line
    int suppressBelowLevel = 0; // s > 0: leave out codes whose level is s or lower
};

// The directories a listing prints: all (1 to 10, then 12 to 23) without a
// selection; for a selection, "Configuration" prints 1 to 4, "Recipe" 12 to 23,
// any other directory itself.
std::vector<int> ListingDirectories(std::optional<int> selection = std::nullopt);

// "%s Directory".
std::string DirectoryTitle(int directory);

// "%-40.40s %-32.32s": the description and the printed value (a blank without
// a value, "%d %s" of option number and text for list codes, else ValueText),
// with "    %d" or "    N/A" appended when levels are shown.
std::string ListingCodeLine(const DBParam& param, const ValueImages& images, const ListingOptions& options);

// One section: the title, one blank line, the code lines, then two blank lines.
std::vector<std::string> ListingSection(const DirectoryChain& chain, const ValueImages& images, int directory,
                                        const ListingOptions& options);

// The sections of the given directories, one after the other.
std::vector<std::string> ListingLines(const DirectoryChain& chain, const ValueImages& images,
                                      const std::vector<int>& directories, const ListingOptions& options);

} // namespace corvane
