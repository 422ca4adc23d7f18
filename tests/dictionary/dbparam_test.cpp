#include "dictionary/dbparam.h"
#include "dictionary/directorychain.h"
#include "dictionary/valuetext.h"

#include "common/bytes.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

class DirectoryChainTest : public ::testing::Test {
protected:
    DirectoryChain chain;
    ValueImages images;

    DBParam& code(int d, int number)
    {
        DBParam* p = chain.find(d, number);
        EXPECT_NE(p, nullptr) << d << "/" << number;
        return *p;
    }
};

TEST_F(DirectoryChainTest, BuildsTheDirectoriesInCodeOrder)
{
    EXPECT_EQ(chain.size(), 319);
    const std::pair<int, std::size_t> sizes[] = {{0, 0}, {1, 5}, {2, 3}, {3, 6}, {4, 5}, {5, 33}, {6, 17},
                                                 {7, 67}, {8, 67}, {9, 39}, {10, 29}, {11, 0}, {12, 4}, {23, 4}};
    for (auto [d, n] : sizes)
        EXPECT_EQ(chain.directory(d).size(), n) << d;
    EXPECT_EQ(chain.head(0), nullptr);
    EXPECT_EQ(chain.head(11), nullptr);
    EXPECT_EQ(chain.head(24), nullptr);

    for (int d = 1; d < kDirectoryCount; ++d) {
        int previous = -1;
        for (const DBParam& p : chain.directory(d)) {
            EXPECT_GT(p.codeNumber(), previous) << d;
            previous = p.codeNumber();
            EXPECT_EQ(p.directory(), d);
            EXPECT_EQ(p.count(), static_cast<int>(chain.directory(d).size()));
        }
    }
    // The chain runs directory by directory; each directory starts at position 0.
    const DBParam* p = chain.head(1);
    int walked = 0;
    for (; p; p = p->next())
        ++walked;
    EXPECT_EQ(walked, 319);
    EXPECT_EQ(chain.head(5)->codeNumber(), 101);
    EXPECT_EQ(chain.directory(5).back().codeNumber(), 195);
    EXPECT_EQ(chain.directory(5)[31].codeNumber(), 194); // after 182
    EXPECT_EQ(chain.directory(10).back().codeNumber(), 738);
}

TEST_F(DirectoryChainTest, AccessCodesAreInNoDirectory)
{
    for (const DBParam& p : chain.all())
        EXPECT_TRUE(p.codeNumber() < 191 || p.codeNumber() > 193 || p.entry().category != 4);
    EXPECT_FALSE(code(5, 194).hasSecurityLevel());
    EXPECT_FALSE(code(5, 195).hasSecurityLevel());
    EXPECT_TRUE(code(5, 111).hasSecurityLevel());
}

TEST_F(DirectoryChainTest, MarkersSetFlagsAndComments)
{
    EXPECT_TRUE(code(5, 101).isReadOnly());
    EXPECT_TRUE(code(5, 103).isReadOnly());
    EXPECT_EQ(code(5, 102).CommentText(), "Read Only");
    EXPECT_EQ(code(6, 234).CommentText(), "Blend Stream Only");
    EXPECT_EQ(code(7, 304).CommentText(), "Wild Stream Only");
    EXPECT_EQ(code(7, 301).CommentText(), " ");
    EXPECT_EQ(code(5, 101).description(), "101 Date ");

    int blendOnly = 0, wildOnly = 0;
    for (const DBParam& p : chain.directory(8)) {
        blendOnly += p.isBlendOnly() ? 1 : 0;
        wildOnly += p.isWildOnly() ? 1 : 0;
    }
    EXPECT_EQ(blendOnly, 17);
    EXPECT_EQ(wildOnly, 1);
}

TEST_F(DirectoryChainTest, InstancesKeepSeparateValuesButShareOneLevel)
{
    DBParam& blend = code(7, 301);
    DBParam& wild = code(8, 301);
    EXPECT_EQ(&blend.entry(), &wild.entry());
    ASSERT_TRUE(wild.SetValueFromText(images, "1234.5"));
    EXPECT_EQ(blend.ValueText(images), "0000.000");
    EXPECT_EQ(wild.ValueText(images), "1234.500");

    for (int r = 0; r < 12; ++r)
        code(kFirstRecipe + r, 2).SetValueFromText(images, "R" + std::to_string(r + 1));
    EXPECT_EQ(code(12, 2).ValueText(images), "R1       ");
    EXPECT_EQ(code(16, 2).ValueText(images), "R5       ");
    EXPECT_EQ(code(23, 2).ValueText(images), "R12      ");
    EXPECT_EQ(code(16, 2).DirectoryMnemonic(), "05");

    wild.SetSecurityLevel(images, 3);
    EXPECT_EQ(blend.SecurityLevel(images), 3); // one security byte per entry
    code(5, 194).SetSecurityLevel(images, 2);  // no attribute byte: no effect
    EXPECT_EQ(code(5, 194).SecurityLevel(images), 0);
}

TEST_F(DirectoryChainTest, MnemonicsClassesAndHelpIds)
{
    const std::tuple<int, int, std::string_view, int> rows[] = {
        {1, 101, "CF", 10101}, {5, 111, "SY", 11111}, {7, 301, "P1", 12301},
        {8, 301, "P2", 12301}, {10, 705, "SY", 11705}, {14, 4, "03", 15004},
    };
    for (auto [d, number, mnemonic, help] : rows) {
        EXPECT_EQ(code(d, number).DirectoryMnemonic(), mnemonic);
        EXPECT_EQ(code(d, number).HelpContextId(), help);
        EXPECT_EQ(code(d, number).CommandCode(), number);
    }
}

struct TextCase {
    int directory;
    int code;
    const char* input;
    const char* shown;
};

TEST_F(DirectoryChainTest, ConvertsTextToValueAndBack)
{
    const TextCase cases[] = {
        {4, 402, "1.5", "01.50"},          // float32 5.2, zero-padded
        {4, 402, "-1.5", "-1.50"},
        {4, 402, "garbage", "00.00"},     // not a number reads as 0
        {4, 402, "2.5e0", "02.50"},
        {10, 705, "30", "030"},           // uint16 3.0: width digits
        {10, 705, "40000", "40000"},      // wider than the width
        {10, 705, "70000", "4464"},       // low 16 bits kept
        {5, 131, "5", "05"},              // uint8 2.0
        {5, 131, "12.7", "12"},           // leading integer only
        {5, 131, "300", "44"},            // low byte kept
        {5, 131, "-1", "255"},
        {2, 201, "3", "03"},              // list code 2.2
        {10, 721, "3232235777", "3232235777"}, // uint32 10.0
        {10, 721, "-1", "4294967295"},
        {5, 112, "ABCDEF", "ABC"},        // text cut at its maximum
        {5, 114, "ab", "ab  "},           // padded to the width
        {5, 121, "", "                     "}
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.code) + " \"" + c.input + "\"");
        DBParam& p = code(c.directory, c.code);
        ASSERT_TRUE(p.SetValueFromText(images, c.input));
        EXPECT_EQ(p.ValueText(images), c.shown);
    }
}

TEST_F(DirectoryChainTest, RunDataFormatsUseTheirOwnConversions)
{
    const Dictionary& d = Dictionary::instance();
    std::uint8_t raw[8] = {};
    const DBEntry& romCrc = d.record(8, 13)[0]; // %0*.*lX, width 8
    StoreLE(std::span<std::uint8_t>(raw, 4), std::uint32_t{0xDF69BBA8});
    EXPECT_EQ(FormatValue(romCrc, std::span<const std::uint8_t>(raw, 4)), "DF69BBA8");
    const DBEntry& batches = d.record(6, 13)[5]; // uint8 with %*.*d
    raw[0] = 7;
    EXPECT_EQ(FormatValue(batches, std::span<const std::uint8_t>(raw, 1)), "07");
}

TEST_F(DirectoryChainTest, HintsAndOptions)
{
    EXPECT_EQ(code(4, 402).HintText(), "(-9.99 - 9.99)");
    EXPECT_EQ(code(8, 101).HintText(), "Enter up to 9 characters of text");
    EXPECT_EQ(code(5, 121).HintText(), "Enter up to 21 characters of text");
    EXPECT_EQ(code(2, 201).HintText(), "Select desired option from list");
    EXPECT_EQ(code(10, 705).HintText(), "(0 - 999)");
    EXPECT_EQ(code(10, 721).HintText(), "(0 - 4294967296)");

    const DBEntry& input = code(2, 201).entry();
    EXPECT_EQ(OptionText(input, 0), "NA");
    EXPECT_EQ(OptionText(input, 9), "Gen Purpose In");
    EXPECT_EQ(OptionText(input, 10), "");
    EXPECT_EQ(code(5, 142).entry().options, code(5, 143).entry().options);

    code(2, 201).SetValueFromText(images, "2");
    EXPECT_EQ(code(2, 201).ValueByte(images), 2);
    EXPECT_EQ(code(2, 201).OptionText(images), "Security");
}

TEST(ValueTextStore, UnknownTypeCodeStoresNothing)
{
    std::uint8_t raw[4] = {1, 2, 3, 4};
    EXPECT_FALSE(StoreValueFromText(10, raw, "5", 0));
    EXPECT_EQ(raw[0], 1);
}

} // namespace
} // namespace corvane
