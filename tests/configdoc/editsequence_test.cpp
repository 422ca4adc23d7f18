#include "configdoc/editsequence.h"

#include "device/devicefixture.h"
#include "dictionary/dbparam.h"

#include <gtest/gtest.h>

#include <optional>

namespace corvane::testing {
namespace {

class EditSequence : public SimLinkTest {
protected:
    int editorRuns = 0;
    std::optional<EditorSetup> shown;

    DBParam& code(int directory, int number)
    {
        DBParam* p = doc.chain().find(directory, number);
        EXPECT_NE(p, nullptr) << directory << "/" << number;
        return *p;
    }

    // Runs the sequence with an editor that answers `result` (none: Cancel).
    bool edit(DBParam& p, std::optional<EditResult> result)
    {
        return RunEditSequence(doc, p, ui, [&](const EditorSetup& setup) {
            ++editorRuns;
            shown = setup;
            return result;
        });
    }

    std::vector<std::string> sent() const { return sim.requests(); }
};

TEST_F(EditSequence, EditorStartsFromTheStoredValue)
{
    ASSERT_TRUE(doc.setValue(code(9, 611), "5", 2));
    ASSERT_TRUE(doc.setValue(code(2, 201), "3"));
    ASSERT_TRUE(doc.setValue(code(10, 721), "3232235777")); // 192.168.1.1
    ASSERT_TRUE(doc.setValue(code(5, 112), "GPM", 3));

    const EditorSetup alarm = PrepareEditor(doc, code(9, 611));
    EXPECT_EQ(alarm.kind, EditorKind::Alarm);
    EXPECT_EQ(alarm.alarmChecks, (std::array<bool, 4>{true, false, true, false}));
    EXPECT_EQ(alarm.securityIndex, 1);

    const EditorSetup list = PrepareEditor(doc, code(2, 201));
    EXPECT_EQ(list.kind, EditorKind::List);
    ASSERT_EQ(list.optionLines.size(), 10u);
    EXPECT_EQ(list.optionLines.front().substr(0, 3), "00 ");
    EXPECT_EQ(list.optionLines.back().substr(0, 3), "09 ");
    EXPECT_EQ(list.option, 3);
    EXPECT_EQ(list.securityIndex, -1); // no level stored yet

    const EditorSetup ip = PrepareEditor(doc, code(10, 721));
    EXPECT_EQ(ip.kind, EditorKind::IPAddress);
    EXPECT_EQ(ip.address, 0xC0A80101u);

    const EditorSetup text = PrepareEditor(doc, code(5, 112));
    EXPECT_EQ(text.kind, EditorKind::General);
    EXPECT_TRUE(text.isText);
    EXPECT_EQ(text.currentValue, "GPM");
    EXPECT_EQ(text.securityIndex, 2);
    EXPECT_EQ(text.hint, "Enter up to 3 characters of text");
    EXPECT_EQ(text.helpId, code(5, 112).HelpContextId());
    EXPECT_FALSE(text.helpText.empty());

    EXPECT_FALSE(PrepareEditor(doc, code(5, 194)).hasLevel);
}

TEST_F(EditSequence, EditorInputBecomesValueText)
{
    struct Case {
        int directory, number;
        EditorInput input;
        const char* text;  // accepted value text, or
        const char* error; // the refusal
    } cases[] = {
        {9, 611, {.alarmChecks = {false, false, false, true}}, "8", nullptr},
        {9, 611, {.alarmChecks = {true, true, true, true}}, "15", nullptr},
        {2, 201, {.option = 3}, "3", nullptr},
        {2, 201, {.option = std::nullopt}, nullptr, "Enter a number between 0 and 9."},
        {5, 131, {.typed = "12.7"}, "12", nullptr},
        {5, 131, {.typed = "100"}, nullptr, "Enter a number between 0 and 99."},
        {5, 131, {.typed = "abc"}, "0", nullptr}, // a non-number reads as 0
        {5, 112, {.typed = "GPMX"}, nullptr, "Enter no more than 3 characters."},
        {10, 737, {.typed = "13:30P"}, nullptr, kTimeOfDayMessage},
        {10, 737, {.typed = "07:15a"}, "07:15A", nullptr},
        {10, 721, {.address = 0x7F000001}, "2130706433", nullptr},
    };
    for (const Case& c : cases) {
        const DBParam& p = code(c.directory, c.number);
        const NewValue v = CheckEditorInput(p.entry(), ChooseEditor(p.entry()), c.input);
        SCOPED_TRACE(p.description());
        if (c.error) {
            ASSERT_FALSE(v.ok());
            EXPECT_EQ(*v.error, c.error);
        } else {
            ASSERT_TRUE(v.ok()) << *v.error;
            EXPECT_EQ(v.text, c.text);
        }
    }
}

TEST_F(EditSequence, ReadOnlyCodeGetsItsMessageAndNoEditor)
{
    DBParam& date = code(5, 101);
    ASSERT_TRUE(date.isReadOnly());
    EXPECT_FALSE(edit(date, EditResult{"01/01/24", 0}));
    EXPECT_EQ(editorRuns, 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "You can only read this program code.\nUse the SD command in Terminal Emulator to set time/date.");
    EXPECT_FALSE(date.hasValue());
    EXPECT_FALSE(doc.isModified());
}

TEST_F(EditSequence, OfflineStoresValueAndLevel)
{
    DBParam& timeout = code(10, 705);
    EXPECT_FALSE(edit(timeout, std::nullopt)); // Cancel
    EXPECT_EQ(editorRuns, 1);
    EXPECT_FALSE(timeout.hasValue());
    EXPECT_FALSE(doc.isModified());

    EXPECT_TRUE(edit(timeout, EditResult{"30", 2}));
    EXPECT_EQ(doc.valueText(timeout), "030");
    EXPECT_EQ(doc.securityLevel(timeout), 2);
    EXPECT_TRUE(timeout.hasValue());
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(ui.messages.empty());

    // Directory 8 holds the second meter's copy; the first stays as it was.
    EXPECT_TRUE(edit(code(8, 301), EditResult{"2.5", 0}));
    EXPECT_EQ(doc.valueText(code(8, 301)), "0002.500");
    EXPECT_FALSE(code(7, 301).hasValue());
}

TEST_F(EditSequence, OnlineSendsPcThenXcOnlyForANewLevel)
{
    startTcp();
    connect();
    DBParam& timeout = code(10, 705);
    ASSERT_TRUE(doc.setValue(timeout, "10", 1));

    EXPECT_TRUE(edit(timeout, EditResult{"30", 1})); // same level: no XC
    EXPECT_EQ(sent(), (std::vector<std::string>{"PC SY 705 30"}));
    EXPECT_EQ(doc.valueText(timeout), "030");

    sim.clearRequests();
    EXPECT_TRUE(edit(timeout, EditResult{"45", 3}));
    EXPECT_EQ(sent(), (std::vector<std::string>{"PC SY 705 45", "XC SY 705 3"}));
    EXPECT_EQ(doc.securityLevel(timeout), 3);
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(ui.messages.empty());

    // A code without a level never gets an XC; the second meter goes to P2.
    sim.clearRequests();
    EXPECT_TRUE(edit(code(5, 194), EditResult{"2", 0}));
    EXPECT_TRUE(edit(code(8, 301), EditResult{"2.5", 2}));
    EXPECT_EQ(sent(), (std::vector<std::string>{"PC SY 194 2", "PC P2 301 2.5", "XC P2 301 2"}));
}

TEST_F(EditSequence, RejectedPcChangesNothing)
{
    startTcp({"--refuse-program"});
    connect(ReadAccess); // still online: reads work, every change is refused
    DBParam& timeout = code(10, 705);

    EXPECT_FALSE(edit(timeout, EditResult{"30", 2}));
    EXPECT_EQ(sent(), (std::vector<std::string>{"PC SY 705 30"}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Command Rejected -  - Security Access Not Available");
    EXPECT_FALSE(timeout.hasValue());
    EXPECT_EQ(doc.valueText(timeout), "000");
    EXPECT_EQ(doc.securityLevel(timeout), 0);
    EXPECT_FALSE(doc.isModified());
}

TEST_F(EditSequence, FailedXcKeepsTheValueAndTheOldLevel)
{
    startTcp({"--reject", "XC:*"});
    connect();
    struct Case {
        int directory, number;
        const char* value;
        const char* message;
    } cases[] = {
        {8, 301, "2.5", "Unable to set security level 2 for Wild Stream Meter 301 K Factor\n"},
        {16, 4, "50", "Unable to set security level 2 for Recipe 5 004 Blend Percent\n"},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        DBParam& p = code(c.directory, c.number);
        EXPECT_TRUE(edit(p, EditResult{c.value, 2}));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, c.message);
        EXPECT_TRUE(p.hasValue());
        EXPECT_EQ(doc.securityLevel(p), 0);
    }
    EXPECT_EQ(doc.valueText(code(16, 4)), "050.00");
}

TEST_F(EditSequence, LinkFailureReportsAndStoresNothing)
{
    startTcp();
    connect();
    sim.stop();
    DBParam& timeout = code(10, 705);
    EXPECT_FALSE(edit(timeout, EditResult{"30", 0}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(timeout.hasValue());
    EXPECT_FALSE(doc.isModified());
}

} // namespace
} // namespace corvane::testing
