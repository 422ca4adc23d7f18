#include "configdoc/listingpages.h"

#include "common/settings.h"
#include "configdoc/corvanedoc.h"
#include "dictionary/directories.h"

#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace corvane {
namespace {

using Kind = ListingLine::Kind;

class ListingPagesTest : public ::testing::Test {
protected:
    std::unique_ptr<CCorvaneDoc> doc = std::make_unique<CCorvaneDoc>();

    std::vector<ListingPage> pages(int linesPerPage, std::optional<int> selection = std::nullopt,
                                   ListingOptions options = {})
    {
        ListingLayout layout;
        layout.linesPerPage = linesPerPage;
        layout.selection = selection;
        layout.options = options;
        layout.header = "HEADER";
        return ListingPages(*doc, layout);
    }
    std::size_t shownCodes(int directory) const
    {
        const auto& codes = doc->chain().directory(directory);
        return std::count_if(codes.begin(), codes.end(),
                             [&](const DBParam& p) { return IsShownInDirectory(p, directory); });
    }
};

std::vector<std::string> Texts(const std::vector<ListingPage>& pages, std::optional<Kind> kind = std::nullopt)
{
    std::vector<std::string> texts;
    for (const auto& page : pages)
        for (const auto& line : page)
            if (!kind || line.kind == *kind)
                texts.push_back(line.text);
    return texts;
}

TEST_F(ListingPagesTest, FirstPageLayout)
{
    const auto result = pages(1000, 9);
    ASSERT_EQ(result.size(), 1u);
    const ListingPage& page = result[0];
    const int codes = static_cast<int>(shownCodes(9));
    ASSERT_EQ(page.size(), 2u + codes);
    EXPECT_EQ(page[0], (ListingLine{Kind::Header, 3, "HEADER"}));
    EXPECT_EQ(page[1], (ListingLine{Kind::Title, 6, "Alarms Directory"}));
    for (int i = 0; i < codes; ++i) {
        EXPECT_EQ(page[2 + i].kind, Kind::Code);
        EXPECT_EQ(page[2 + i].y, 8 + i);
    }
}

TEST_F(ListingPagesTest, SectionsStartThreeLinesBelowWhatWentBefore)
{
    const auto result = pages(1000, kConfigurationDirectory);
    ASSERT_EQ(result.size(), 1u);
    // The header's y advances by 3; a code line's by its own line, then 3 after the section.
    const ListingLine* previous = nullptr;
    int titles = 0;
    for (const ListingLine& line : result[0]) {
        if (line.kind == Kind::Title) {
            ASSERT_NE(previous, nullptr);
            EXPECT_EQ(line.y, previous->y + (previous->kind == Kind::Header ? 3 : 4)) << line.text;
            ++titles;
        }
        previous = &line;
    }
    EXPECT_EQ(titles, 4);
}

// The break rules on small pages: a section starts only while y <= L - 7, a code
// line only while y <= L - 3 (or at the top of a fresh page), nothing is lost or
// reordered, the header is on the first page only and no page is empty.
TEST_F(ListingPagesTest, PageBreakRules)
{
    ListingOptions levels;
    levels.showLevels = true;
    const std::vector<std::string> wanted =
        [&] {
            std::vector<std::string> texts{"HEADER"};
            for (const auto& line : ListingLines(doc->chain(), doc->images(), ListingDirectories(), levels))
                if (!line.empty())
                    texts.push_back(line);
            return texts;
        }();
    for (int L : {8, 9, 10, 11, 12, 20, 37, 61}) {
        SCOPED_TRACE(L);
        const auto result = pages(L, std::nullopt, levels);
        EXPECT_EQ(Texts(result), wanted);
        for (std::size_t p = 0; p < result.size(); ++p) {
            ASSERT_FALSE(result[p].empty()) << "page " << p;
            int lastY = 0;
            for (const ListingLine& line : result[p]) {
                EXPECT_EQ(line.kind == Kind::Header, p == 0 && &line == &result[p].front());
                EXPECT_GT(line.y, lastY);
                lastY = line.y;
                if (line.y == 3)
                    continue;
                if (line.kind == Kind::Title)
                    EXPECT_LE(line.y, L - 7) << line.text;
                if (line.kind == Kind::Code)
                    EXPECT_LE(line.y, L - 3) << line.text;
            }
        }
    }
}

TEST_F(ListingPagesTest, BreaksAtTheBoundaries)
{
    const int codes = static_cast<int>(shownCodes(9));
    // The codes run from y = 8; with L = codes + 10 the last one lands exactly on L - 3,
    // its break would open a page that nothing follows.
    EXPECT_EQ(pages(codes + 10, 9).size(), 1u);
    // One line less and the last code goes to the top of page 2.
    auto split = pages(codes + 9, 9);
    ASSERT_EQ(split.size(), 2u);
    ASSERT_EQ(split[1].size(), 1u);
    EXPECT_EQ(split[1][0].y, 3);
    EXPECT_EQ(split[1][0].kind, Kind::Code);
    // A section at y = 6 fits while 6 <= L - 7 (then its codes at 8 to 10 fill the
    // page); below that it moves to page 2, leaving the header alone on page 1.
    EXPECT_EQ(pages(13, 9)[0].size(), 5u);
    auto moved = pages(12, 9);
    ASSERT_EQ(moved[0].size(), 1u);
    EXPECT_EQ(moved[1][0], (ListingLine{Kind::Title, 3, "Alarms Directory"}));
}

TEST_F(ListingPagesTest, SelectionChoosesTheSections)
{
    struct Case {
        int current;
        std::vector<std::string> titles;
    };
    std::vector<std::string> recipes;
    for (int r = 1; r <= 12; ++r)
        recipes.push_back("Recipe " + std::to_string(r) + " Directory");
    const Case cases[] = {
        {9, {"Alarms Directory"}},
        {kRecipeDirectory, recipes},
        {kConfigurationDirectory,
         {"Pulse Outputs Directory", "Digital Inputs Directory", "Digital Outputs Directory",
          "Analog Inputs Directory"}},
        {15, {"Recipe 4 Directory"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Texts(pages(60, c.current), Kind::Title), c.titles) << c.current;
    EXPECT_EQ(Texts(pages(60), Kind::Title).size(), 22u);
}

TEST_F(ListingPagesTest, LeavesTheCurrentDirectoryAndTheViewsAlone)
{
    doc->setCurrentDirectory(15);
    int updates = 0;
    doc->onViewsChanged = [&] { ++updates; };
    pages(20);
    pages(20, 15);
    EXPECT_EQ(doc->currentDirectory(), 15);
    EXPECT_EQ(updates, 0);
}

TEST_F(ListingPagesTest, HeaderNamesTheDocumentAndDateInEnglish)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 59));
    EXPECT_EQ(ListingDateText(when), "March 05, 2024 14:07");
    EXPECT_EQ(ListingDateText(QDateTime(QDate(2023, 12, 31), QTime(0, 0))), "December 31, 2023 00:00");
    EXPECT_EQ(ListingPageHeader(*doc, when), "Untitled - Printed March 05, 2024 14:07 ");
    doc->setPathName("/home/op/site 4.mlb");
    EXPECT_EQ(ListingPageHeader(*doc, when), "/home/op/site 4.mlb - Printed March 05, 2024 14:07 ");
    QLocale::setDefault(previous);
}

TEST_F(ListingPagesTest, OptionsComeFromThePrintSettings)
{
    QTemporaryDir dir;
    Settings settings(dir.filePath("corvane.ini").toStdString());
    for (DBParam& p : doc->chain().directory(9))
        p.SetSecurityLevel(doc->images(), 1);
    doc->chain().find(9, 611)->SetSecurityLevel(doc->images(), 3);
    struct Case {
        int showLevels, suppress;
        std::size_t codes;
        const char* suffix; // of the first code line
    };
    const std::size_t all = shownCodes(9);
    const Case cases[] = {
        {0, 0, all, ""}, {1, 0, all, "    1"}, {1, 1, 1, "    3"}, {0, 2, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.showLevels << "/" << c.suppress);
        settings.setValue(settings::PrintShowSecLvl, c.showLevels);
        settings.setValue(settings::PrintSuppressBelowLvl, c.suppress);
        const auto codes = Texts(pages(1000, 9, ListingOptionsFrom(settings)), Kind::Code);
        ASSERT_EQ(codes.size(), c.codes);
        EXPECT_EQ(codes[0].size(), 73u + std::string(c.suffix).size());
        EXPECT_EQ(codes[0].substr(73), c.suffix);
    }
}

} // namespace
} // namespace corvane
