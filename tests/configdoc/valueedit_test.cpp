#include "configdoc/valueedit.h"

#include "configdoc/corvanedoc.h"

#include <gtest/gtest.h>

#include <memory>

namespace corvane {
namespace {

class ValueEdit : public ::testing::Test {
protected:
    std::unique_ptr<CCorvaneDoc> doc = std::make_unique<CCorvaneDoc>();

    DBParam& code(int directory, int number)
    {
        DBParam* p = doc->chain().find(directory, number);
        EXPECT_NE(p, nullptr) << directory << "/" << number;
        return *p;
    }
    std::string shown(int directory, int number) { return code(directory, number).ValueText(doc->images()); }
};

TEST_F(ValueEdit, EditorChoiceFollowsCategoryOptionsAndType)
{
    struct Case {
        int directory, code;
        EditorKind kind;
    } cases[] = {
        {9, 611, EditorKind::Alarm},      // category 5
        {9, 681, EditorKind::Alarm},      // category 6
        {9, 602, EditorKind::List},       // category 3 with options
        {2, 201, EditorKind::List},
        {10, 721, EditorKind::IPAddress}, // category 3, uint32
        {10, 723, EditorKind::IPAddress},
        {7, 221, EditorKind::General},    // uint32 of category 10
        {5, 131, EditorKind::General},
        {10, 737, EditorKind::General},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseEditor(code(c.directory, c.code).entry()), c.kind) << c.code;
}

TEST_F(ValueEdit, NumbersMustLieInTheLimitsAndIntegersKeepTheWholePart)
{
    struct Case {
        int directory, code;
        const char* typed;
        const char* error; // nullptr: accepted
        const char* stored;
    } cases[] = {
        {5, 131, "12.7", nullptr, "12"}, // uint8 0..99
        {5, 131, "99", nullptr, "99"},
        {5, 131, "100", "Enter a number between 0 and 99.", nullptr},
        {5, 131, "99.5", "Enter a number between 0 and 99.", nullptr},
        {5, 131, "-0.5", "Enter a number between 0 and 99.", nullptr},
        {5, 131, "9e1", nullptr, "90"}, // checked as 90, so stored as 90
        {5, 131, "abc", nullptr, "00"}, // not a number reads as 0
        {5, 131, "nan", "Enter a number between 0 and 99.", nullptr},
        {4, 402, "9.99", nullptr, "09.99"}, // limits are single precision
        {4, 402, "-9.99", nullptr, "-9.99"},
        {4, 402, "9.991", "Enter a number between -9.99 and 9.99.", nullptr},
        {7, 512, "49", "Enter a number between 50 and 90.", nullptr},
        {10, 705, "30", nullptr, "030"},
        {5, 112, "ABCD", "Enter no more than 3 characters.", nullptr},
        {5, 112, "A,C", nullptr, "A,C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " for " + std::to_string(c.code));
        DBParam& p = code(c.directory, c.code);
        auto error = ApplyOfflineEdit(*doc, p, c.typed, std::nullopt);
        if (c.error) {
            EXPECT_EQ(error.value_or("accepted"), c.error);
        } else {
            EXPECT_EQ(error, std::nullopt);
            EXPECT_EQ(shown(c.directory, c.code), c.stored);
        }
    }
}

TEST_F(ValueEdit, TimeOfDayGuardsCode737Only)
{
    const DBEntry& time = code(10, 737).entry();
    EXPECT_TRUE(UsesTimeOfDayCheck(time));
    EXPECT_FALSE(UsesTimeOfDayCheck(code(5, 112).entry()));

    struct Case {
        const char* typed;
        const char* stored; // nullptr: refused
    } cases[] = {
        {"12:30p", "12:30P"}, {"00:00A", "00:00A"}, {"23:59m", "23:59M"}, {"13:00M", "13:00M"},
        {"13:00P", nullptr},  {"24:00M", nullptr},  {"12:60A", nullptr},  {"1:30PM", nullptr},
        {"12:30 ", nullptr},  {"12:3a", nullptr},   {"-1:30A", nullptr},  {"", nullptr},
    };
    for (const Case& c : cases) {
        NewValue v = CheckGeneralValue(time, c.typed);
        if (c.stored)
            EXPECT_EQ(v.text, c.stored) << c.typed;
        else
            EXPECT_EQ(v.error.value_or("accepted"), kTimeOfDayMessage) << c.typed;
    }
    // Any text of the right length is fine for other text codes.
    EXPECT_TRUE(CheckGeneralValue(code(5, 112).entry(), "1:x").ok());
}

TEST_F(ValueEdit, ListCodesOfferEveryOptionAndTakeNumberOrText)
{
    const DBEntry& input = code(2, 201).entry(); // maximum 9, width 2
    auto lines = OptionListLines(input);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines.front(), "00 NA");
    EXPECT_EQ(lines[3], "03 Recipe Sel 1");
    EXPECT_EQ(lines.back(), "09 Gen Purpose In");

    struct Case {
        int directory, code;
        const char* typed;
        const char* text; // nullptr: refused
    } cases[] = {
        {2, 201, "3", "3"},
        {2, 201, " 03 ", "3"},
        {2, 201, "Remote Start", "6"},
        {2, 201, "03 Recipe Sel 1", "3"},  // the form the parameter list shows
        {2, 201, "03 Remote Start", nullptr}, // number and text disagree
        {2, 201, "remote start", nullptr},
        {2, 201, "10", nullptr},
        {2, 201, "", nullptr},
        {10, 702, "1200", "0"},  // only an option text: 1200 is no option number
        {7, 405, "9 23", "9"},
        {7, 405, "23 54", "23"},
    };
    for (const Case& c : cases) {
        NewValue v = ResolveListInput(code(c.directory, c.code).entry(), c.typed);
        if (c.text)
            EXPECT_EQ(v.text, c.text) << c.typed;
        else
            EXPECT_EQ(v.error.value_or("accepted"), "Enter a number between 0 and 9.") << c.typed;
    }
}

TEST_F(ValueEdit, DigitsThatAreOneOptionsNumberAndAnothersTextAreRefused)
{
    // API table: option 9 reads "23", and 23 is an option number too.
    NewValue v = ResolveListInput(code(7, 405).entry(), "23");
    ASSERT_FALSE(v.ok());
    EXPECT_EQ(*v.error, "\"23\" is option 23 and also the text of option 9: enter \"23 54\" or \"9 23\".");
}

TEST_F(ValueEdit, ListSelectionMustBeAnOption)
{
    const DBEntry& input = code(2, 201).entry();
    EXPECT_EQ(CheckListOption(input, 3).text, "3");
    EXPECT_EQ(CheckListOption(input, std::nullopt).error, "Enter a number between 0 and 9.");
    EXPECT_EQ(CheckListOption(input, 10).error, "Enter a number between 0 and 9.");
}

TEST_F(ValueEdit, AlarmBitsAndCheckBoxes)
{
    EXPECT_EQ(AlarmChecks(5), (std::array<bool, 4>{true, false, true, false}));
    EXPECT_EQ(AlarmValue({false, false, false, true}), 8u);

    const DBEntry& alarm = code(9, 611).entry(); // uint8: 0..255
    struct Case {
        const char* typed;
        const char* result; // the stored text, or the refusal
    } cases[] = {
        {"5", "5"},
        {"bits:0,2", "5"},
        {"bits: 3 ", "8"},
        {"bits:", "0"},
        {"bits:7", "128"},
        {"bits:8", "Enter a number between 0 and 255."}, // bit 8 does not fit the stored byte
        {"256", "Enter a number between 0 and 255."},
        {"5.5", "Enter a number between 0 and 255."},
        {"bits:16", "Alarm bits run from 0 to 15."},
        {"bits:1,", "Alarm bits run from 0 to 15."},
        {"bits:x", "Alarm bits run from 0 to 15."},
    };
    for (const Case& c : cases) {
        NewValue v = ResolveAlarmInput(alarm, c.typed);
        EXPECT_EQ(v.ok() ? v.text : *v.error, c.result) << c.typed;
    }
    ASSERT_EQ(ApplyOfflineEdit(*doc, code(9, 611), "bits:3", std::nullopt), std::nullopt);
    EXPECT_EQ(shown(9, 611), "008");
}

TEST_F(ValueEdit, IPAddressesTakeDottedQuadOrDecimal)
{
    struct Case {
        const char* text;
        std::optional<std::uint32_t> address;
    } cases[] = {
        {"192.168.1.5", 0xC0A80105u}, {"3232235781", 0xC0A80105u}, {"0.0.0.0", 0u},
        {"255.255.255.255", 0xFFFFFFFFu}, {"4294967295", 0xFFFFFFFFu}, {" 10.0.0.1 ", 0x0A000001u},
        {"4294967296", std::nullopt}, {"256.0.0.1", std::nullopt}, {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt}, {"1..2.3", std::nullopt}, {"1.2.3.0004", std::nullopt},
        {"a.b.c.d", std::nullopt}, {"", std::nullopt}, {"-1", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseIPAddress(c.text), c.address) << c.text;
    EXPECT_EQ(DottedQuad(0xC0A80105u), "192.168.1.5");

    ASSERT_EQ(ApplyOfflineEdit(*doc, code(10, 721), "10.0.0.1", std::nullopt), std::nullopt);
    EXPECT_EQ(shown(10, 721), "0167772161");
    EXPECT_EQ(ApplyOfflineEdit(*doc, code(10, 722), "10.0.0.256", std::nullopt), kIPAddressMessage);
}

TEST_F(ValueEdit, OfflineEditStoresValueLevelAndHasValue)
{
    DBParam& timeout = code(5, 131);
    ASSERT_EQ(ApplyOfflineEdit(*doc, timeout, "12", 3), std::nullopt);
    EXPECT_TRUE(timeout.hasValue());
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(timeout.SecurityLevel(doc->images()), 3);

    // Without a level the stored one stays.
    ASSERT_EQ(ApplyOfflineEdit(*doc, timeout, "13", std::nullopt), std::nullopt);
    EXPECT_EQ(shown(5, 131), "13");
    EXPECT_EQ(timeout.SecurityLevel(doc->images()), 3);
}

TEST_F(ValueEdit, RefusedEditsChangeNothing)
{
    struct Case {
        int directory, code;
        const char* typed;
        std::optional<int> level;
        const char* error;
    } cases[] = {
        {5, 101, "01/01/26", std::nullopt, kReadOnlyMessage},
        {5, 131, "12", 0, kSecurityLevelRangeMessage},
        {5, 131, "12", 4, kSecurityLevelRangeMessage},
        {5, 194, "2", 1, kNoSecurityLevelMessage}, // 194 has no security level
        {5, 131, "100", 2, "Enter a number between 0 and 99."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        doc = std::make_unique<CCorvaneDoc>();
        DBParam& p = code(c.directory, c.code);
        const ValueImages before = doc->images();
        EXPECT_EQ(ApplyOfflineEdit(*doc, p, c.typed, c.level), c.error);
        EXPECT_FALSE(p.hasValue());
        EXPECT_FALSE(doc->isModified());
        EXPECT_TRUE(doc->images().configuration == before.configuration && doc->images().runData == before.runData);
    }
}

} // namespace
} // namespace corvane
