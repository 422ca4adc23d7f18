#include "configdoc/listingpages.h"

#include "common/settings.h"
#include "configdoc/corvanedoc.h"

#include <QLocale>

namespace corvane {

namespace {

constexpr int kTopLine = 3;

// Places lines from the top down; a page is opened by its first line, so a
// break that nothing follows leaves no empty page.
class PageWriter {
public:
    explicit PageWriter(int linesPerPage) : lines_(linesPerPage) {}

    int y = kTopLine;

    void put(ListingLine::Kind kind, std::string text)
    {
        if (!pageOpen_) {
            pages_.emplace_back();
            pageOpen_ = true;
        }
        pages_.back().push_back({kind, y, std::move(text)});
    }
    void breakIf(int reserved)
    {
        if (lines_ - reserved < y) {
            pageOpen_ = false;
            y = kTopLine;
        }
    }
    std::vector<ListingPage> take() { return std::move(pages_); }

private:
    int lines_;
    bool pageOpen_ = false;
    std::vector<ListingPage> pages_;
};

} // namespace

std::string ListingDateText(const QDateTime& when)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(when, QStringLiteral("MMMM dd, yyyy HH:mm")).toStdString();
}

std::string ListingPageHeader(const CCorvaneDoc& doc, const QDateTime& when)
{
    const std::string& name = doc.pathName().empty() ? doc.title() : doc.pathName();
    return name + " - Printed " + ListingDateText(when) + " ";
}

ListingOptions ListingOptionsFrom(const Settings& settings)
{
    ListingOptions options;
    options.showLevels = settings.value(settings::PrintShowSecLvl) != 0;
    options.suppressBelowLevel = settings.value(settings::PrintSuppressBelowLvl);
    return options;
}

std::vector<ListingPage> ListingPages(const CCorvaneDoc& doc, const ListingLayout& layout)
{
    PageWriter pages(layout.linesPerPage);
    pages.put(ListingLine::Kind::Header, layout.header);
    pages.y += 3;
    for (int d : ListingDirectories(layout.selection)) {
        pages.breakIf(7);
        // A section is its title, a blank, the code lines and two closing blanks.
        const auto section = ListingSection(doc.chain(), doc.images(), d, layout.options);
        pages.put(ListingLine::Kind::Title, section.front());
        pages.y += 2;
        for (std::size_t i = 2; i + 2 < section.size(); ++i) {
            pages.put(ListingLine::Kind::Code, section[i]);
            pages.y += 1;
            pages.breakIf(3);
        }
        pages.y += 3;
    }
    return pages.take();
}

} // namespace corvane
