#include "configdoc/paramlisting.h"

#include "configdoc/corvanedoc.h"
#include "dictionary/directories.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace corvane {
namespace {

class ParamListing : public ::testing::Test {
protected:
    std::unique_ptr<CCorvaneDoc> doc = std::make_unique<CCorvaneDoc>();

    DBParam& code(int directory, int number)
    {
        DBParam* p = doc->chain().find(directory, number);
        EXPECT_NE(p, nullptr) << directory << "/" << number;
        return *p;
    }
    void set(int directory, int number, const char* text, int level = 0)
    {
        ASSERT_TRUE(doc->setValue(code(directory, number), text, level));
    }
    std::vector<std::string> section(int directory, ListingOptions options = {})
    {
        return ListingSection(doc->chain(), doc->images(), directory, options);
    }
    // The code lines of a section: everything between the title's blank line and the two closing blanks.
    std::vector<std::string> codeLines(int directory, ListingOptions options = {})
    {
        auto lines = section(directory, options);
        return {lines.begin() + 2, lines.end() - 2};
    }
};

std::string Padded(std::string text, std::size_t width)
{
    text.resize(width, ' ');
    return text;
}

TEST_F(ParamListing, ValueColumn)
{
    EXPECT_EQ(ParamValueColumn(code(2, 201), doc->images()), ""); // no value yet
    set(2, 201, "3");
    set(10, 705, "30");
    set(5, 112, "GPM");
    EXPECT_EQ(ParamValueColumn(code(2, 201), doc->images()), "03 Recipe Sel 1");
    EXPECT_EQ(ParamValueColumn(code(10, 705), doc->images()), "030");
    EXPECT_EQ(ParamValueColumn(code(5, 112), doc->images()), "GPM");
}

TEST_F(ParamListing, CodeLineLayout)
{
    set(2, 202, "2", 3);
    set(10, 705, "30", 1);
    ListingOptions levels;
    levels.showLevels = true;
    // List codes print the option number without leading zeros.
    EXPECT_EQ(ListingCodeLine(code(2, 202), doc->images(), {}),
              Padded("202 Input 2 (DC)", 40) + " " + Padded("2 Security", 32));
    EXPECT_EQ(ListingCodeLine(code(2, 202), doc->images(), levels),
              Padded("202 Input 2 (DC)", 40) + " " + Padded("2 Security", 32) + "    3");
    EXPECT_EQ(ListingCodeLine(code(10, 705), doc->images(), {}),
              Padded("705 Comm 1 Timeout", 40) + " " + Padded("030", 32));
    // No value prints a blank; the marker is not part of the description; level 0 is N/A.
    EXPECT_EQ(ListingCodeLine(code(5, 101), doc->images(), levels),
              Padded("101 Date ", 40) + " " + Padded("", 32) + "    N/A");
}

TEST_F(ParamListing, DirectorySelection)
{
    std::vector<int> all;
    for (int d = 1; d <= 10; ++d)
        all.push_back(d);
    for (int d = 12; d <= 23; ++d)
        all.push_back(d);
    EXPECT_EQ(ListingDirectories(), all);
    EXPECT_EQ(ListingDirectories(kConfigurationDirectory), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ListingDirectories(kRecipeDirectory), std::vector<int>(all.begin() + 10, all.end()));
    EXPECT_EQ(ListingDirectories(9), std::vector<int>{9});
}

TEST_F(ParamListing, NewDocumentListsEveryDirectoryWithBlankValues)
{
    const auto lines = ListingLines(doc->chain(), doc->images(), ListingDirectories(), {});
    std::vector<std::string> titles;
    std::size_t codeLines = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty())
            continue;
        if (line.size() < 73) {
            titles.push_back(line);
            // One blank after a title; two after the section before it.
            ASSERT_LT(i + 1, lines.size());
            EXPECT_EQ(lines[i + 1], "") << line;
            if (i > 0)
                EXPECT_TRUE(i >= 2 && lines[i - 1].empty() && lines[i - 2].empty()) << line;
            continue;
        }
        ++codeLines;
        EXPECT_EQ(line.substr(40), std::string(33, ' ')) << line;
    }
    ASSERT_EQ(titles.size(), 22u);
    EXPECT_EQ(titles.front(), "Pulse Outputs Directory");
    EXPECT_EQ(titles[9], "Communications Directory");
    EXPECT_EQ(titles[10], "Recipe 1 Directory");
    EXPECT_EQ(titles.back(), "Recipe 12 Directory");
    // 319 codes, less the one code hidden in 7 and the seventeen in 8.
    EXPECT_EQ(codeLines, 319u - 1 - 17);
    EXPECT_EQ(lines.end()[-1], "");
    EXPECT_EQ(lines.end()[-2], "");
}

TEST_F(ParamListing, MeterSectionsHideTheOtherStreamsCodes)
{
    auto hasCode = [](const std::vector<std::string>& lines, const char* prefix) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    };
    const auto blend = codeLines(kBlendMeterDirectory);
    const auto wild = codeLines(kWildMeterDirectory);
    EXPECT_EQ(blend.size(), 66u);
    EXPECT_EQ(wild.size(), 50u);
    EXPECT_FALSE(hasCode(blend, "304 ")); // {W}
    EXPECT_TRUE(hasCode(wild, "304 "));
    EXPECT_TRUE(hasCode(blend, "201 Flow Tolerance")); // {B}
    EXPECT_FALSE(hasCode(wild, "201 Flow Tolerance"));
}

TEST_F(ParamListing, SectionsKeepTheirOwnCodes)
{
    const auto communications = codeLines(10);
    ASSERT_FALSE(communications.empty());
    EXPECT_EQ(communications.back().substr(0, 4), "738 ");
    EXPECT_EQ(section(10).front(), "Communications Directory");
    const auto recipe = codeLines(12);
    ASSERT_EQ(recipe.size(), 4u);
    EXPECT_EQ(recipe.front().substr(0, 4), "001 ");
    EXPECT_EQ(recipe.back().substr(0, 4), "004 ");
}

TEST_F(ParamListing, SuppressBelowLevelSkipsLevelsUpToIt)
{
    for (DBParam& p : doc->chain().directory(9))
        p.SetSecurityLevel(doc->images(), 1);
    ListingOptions level3Only;
    level3Only.suppressBelowLevel = 2;
    EXPECT_EQ(section(9, level3Only), (std::vector<std::string>{"Alarms Directory", "", "", ""}));

    code(9, 611).SetSecurityLevel(doc->images(), 3);
    code(9, 612).SetSecurityLevel(doc->images(), 2);
    auto lines = codeLines(9, level3Only);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 4), "611 ");

    ListingOptions level2Up;
    level2Up.suppressBelowLevel = 1;
    EXPECT_EQ(codeLines(9, level2Up).size(), 2u);
    EXPECT_EQ(codeLines(9).size(), doc->chain().directory(9).size());
    // Codes without a security level (194, 195) count as level 0.
    for (DBParam& p : doc->chain().directory(5))
        p.SetSecurityLevel(doc->images(), 3);
    const auto general = codeLines(5, level2Up);
    EXPECT_EQ(general.size(), doc->chain().directory(5).size() - 2);
    for (const std::string& line : general)
        EXPECT_TRUE(line.rfind("194 ", 0) != 0 && line.rfind("195 ", 0) != 0) << line;
}

TEST_F(ParamListing, SecurityLevelText)
{
    EXPECT_EQ(SecurityLevelText(code(5, 131), doc->images()), "N/A");
    code(5, 131).SetSecurityLevel(doc->images(), 2);
    EXPECT_EQ(SecurityLevelText(code(5, 131), doc->images()), "2");
    EXPECT_EQ(SecurityLevelText(code(5, 194), doc->images()), "N/A"); // no security level
}

} // namespace
} // namespace corvane
