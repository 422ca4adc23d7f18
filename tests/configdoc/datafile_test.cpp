#include "configdoc/datafile.h"

#include "common/bytes.h"
#include "configdoc/corvanedoc.h"
#include "support/fakeinteraction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace corvane {
namespace {

using testing::FakeInteraction;

std::vector<std::uint8_t> Fixture(const char* name)
{
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(std::string(CORVANE_FIXTURES) + "/datafile/" + name, bytes).ok()) << name;
    return bytes;
}

std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return LoadLE<std::int32_t>(std::span<const std::uint8_t>(bytes).subspan(at, 4));
}

// Gives every program code a value and a level, varied by position.
void FillEveryCode(CCorvaneDoc& doc)
{
    int n = 0;
    for (DBParam& p : doc.chain().all()) {
        ++n;
        const DBEntry& e = p.entry();
        std::string text;
        if (e.type == ValueType::Text)
            text = std::string(static_cast<std::size_t>(e.maximum), static_cast<char>('A' + n % 26));
        else if (e.hasOptions())
            text = std::to_string(n % (static_cast<int>(e.maximum) + 1));
        else
            text = std::to_string(e.minimum + (e.maximum - e.minimum) * ((n % 7) / 7.0));
        doc.setValue(p, text, 1 + n % 3);
    }
}

class RecordingHooks : public ConnectionHooks {
public:
    std::vector<std::string> calls;
    void contact(CCorvaneDoc& doc) override { calls.push_back("contact " + std::to_string(doc.commPort)); }
    void logOffAfterSave(CCorvaneDoc&) override { calls.push_back("LO"); }
    void releaseProtocol(CCorvaneDoc&) override { calls.push_back("release"); }
};

TEST(DataFile, NewDocumentSavesHeaderSettingsAndEndMarkerOnly)
{
    CCorvaneDoc doc;
    doc.OnNewDocument();
    const auto bytes = EncodeDataFile(doc);
    ASSERT_EQ(bytes.size(), 114u);
    EXPECT_EQ(Int32At(bytes, 0), 31034);
    EXPECT_EQ(LoadLE<float>(std::span<const std::uint8_t>(bytes).subspan(4, 4)), 0.03f);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[8]), "Corvane for Pellion.net");
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[51]), "Pellion.net Configuration File");
    const std::int32_t tail[] = {1, 1, 0, 0, 53713};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(Int32At(bytes, 94 + 4 * i), tail[i]) << i;
}

TEST(DataFile, TextValueTakesATwentyFiveByteBlock)
{
    CCorvaneDoc doc;
    DBParam* name = doc.chain().find(12, 2); // Recipe 1, 002 Recipe Name
    ASSERT_NE(name, nullptr);
    doc.setValue(*name, "ABC", 2);
    const auto bytes = EncodeDataFile(doc);
    ASSERT_EQ(bytes.size(), 114u + 16u + 2u + 25u);
    EXPECT_EQ(Int32At(bytes, 110), 12); // directory
    EXPECT_EQ(Int32At(bytes, 114), 2);  // code
    EXPECT_EQ(Int32At(bytes, 118), 0);  // instance
    EXPECT_EQ(Int32At(bytes, 122), 4);  // codes in the directory
    EXPECT_EQ(bytes[126], 0);           // type: text
    EXPECT_EQ(bytes[127], 2);           // level
    const std::vector<std::uint8_t> value(bytes.begin() + 128, bytes.begin() + 153);
    std::vector<std::uint8_t> expected(25, 0);
    expected[0] = 'A', expected[1] = 'B', expected[2] = 'C';
    EXPECT_EQ(value, expected);
    EXPECT_EQ(Int32At(bytes, 153), 53713);
}

TEST(DataFile, EveryCodeRoundTripsWithItsLevel)
{
    CCorvaneDoc original;
    FillEveryCode(original);
    original.commPort = 0;
    original.controllerAddress = 0xC0A80001;
    original.reservedWord = -42;
    const auto bytes = EncodeDataFile(original);

    CCorvaneDoc loaded;
    FakeInteraction interaction;
    LoadReport report;
    ASSERT_TRUE(DecodeDataFile(bytes, loaded, interaction, &report).ok());
    EXPECT_TRUE(interaction.messages.empty());
    EXPECT_EQ(report.recordsStored, 319);
    EXPECT_EQ(loaded.commPort, 0);
    EXPECT_EQ(loaded.controllerAddress, 0xC0A80001u);
    EXPECT_EQ(loaded.reservedWord, -42);
    EXPECT_EQ(loaded.images().configuration, original.images().configuration);
    EXPECT_EQ(loaded.images().runData, original.images().runData);
    EXPECT_EQ(loaded.valueCount(), 319);
    EXPECT_EQ(EncodeDataFile(loaded), bytes);
}

TEST(DataFile, SecondMeterRecordLeavesTheFirstMeterAlone)
{
    CCorvaneDoc doc;
    FakeInteraction interaction;
    ASSERT_TRUE(DecodeDataFile(Fixture("revision-0.02.mlb"), doc, interaction).ok());
    const DBParam* wild = doc.chain().find(8, 301);
    const DBParam* blend = doc.chain().find(7, 301);
    EXPECT_TRUE(wild->hasValue());
    EXPECT_FALSE(blend->hasValue());
    EXPECT_EQ(doc.valueText(*wild), "1234.500");
    EXPECT_EQ(doc.valueText(*blend), "0000.000");
    EXPECT_EQ(doc.securityLevel(*wild), 2);
    EXPECT_EQ(doc.commPort, 2);
    EXPECT_EQ(doc.controllerAddress, 7u);
}

TEST(DataFile, RevisionMessagesThenANormalLoad)
{
    {
        CCorvaneDoc doc;
        FakeInteraction interaction;
        ASSERT_TRUE(DecodeDataFile(Fixture("revision-0.02.mlb"), doc, interaction).ok());
        ASSERT_EQ(interaction.messages.size(), 1u);
        EXPECT_EQ(interaction.messages[0].text,
                  "This file was last saved with Corvane Revision 0.02\nProgram codes added after Revision 0.02 "
                  "will not yet have values programmed.");
        EXPECT_EQ(doc.valueCount(), 2);
    }
    {
        CCorvaneDoc doc;
        FakeInteraction interaction;
        LoadReport report;
        ASSERT_TRUE(DecodeDataFile(Fixture("revision-0.04.mlb"), doc, interaction, &report).ok());
        ASSERT_EQ(interaction.messages.size(), 1u);
        EXPECT_EQ(interaction.messages[0].text,
                  "This file was created with a newer revision Corvane (Rev0.04). Not all data will be "
                  "loaded.\nWarning: Saving the file from this Corvane (rev 0.03) may result in data loss.");
        // The unknown code, the code of a later directory and directory 30 are skipped.
        EXPECT_EQ(report.recordsSkipped, 3);
        EXPECT_EQ(doc.valueCount(), 1);
        EXPECT_FALSE(doc.chain().find(2, 201)->hasValue());
        EXPECT_EQ(doc.valueText(*doc.chain().find(10, 705)), "030");
        EXPECT_EQ(doc.reservedWord, 99);
        EXPECT_EQ(doc.commPort, 0);
    }
}

TEST(DataFile, RecordsOfAnotherTypeAreConvertedOrDropped)
{
    CCorvaneDoc doc;
    FakeInteraction interaction;
    LoadReport report;
    ASSERT_TRUE(DecodeDataFile(Fixture("mixed-types.mlb"), doc, interaction, &report).ok());
    EXPECT_EQ(report.recordsConverted, 2);
    EXPECT_EQ(report.recordsDropped, 2);
    EXPECT_EQ(doc.valueText(*doc.chain().find(10, 705)), "030"); // float 30.7 into uint16
    EXPECT_EQ(doc.securityLevel(*doc.chain().find(10, 705)), 2);
    EXPECT_EQ(doc.valueText(*doc.chain().find(4, 402)), "05.00"); // uint8 5 into float
    EXPECT_FALSE(doc.chain().find(10, 711)->hasValue());          // text for a number: dropped
    EXPECT_EQ(doc.securityLevel(*doc.chain().find(10, 711)), 0);
    EXPECT_FALSE(doc.chain().find(5, 112)->hasValue()); // number for a text: dropped
}

TEST(DataFile, DamagedFilesAreUnexpectedFormatAndLeaveNoValues)
{
    const char* damaged[] = {"truncated.mlb", "wrong-type-id.mlb"};
    for (const char* name : damaged) {
        CCorvaneDoc doc;
        FakeInteraction interaction;
        FileResult result = DecodeDataFile(Fixture(name), doc, interaction);
        EXPECT_EQ(result.status, FileStatus::BadFormat) << name;
        EXPECT_EQ(result.message, "Unexpected file format.");
        EXPECT_EQ(doc.valueCount(), 0) << name;
    }
    // Every cut of a good file short of its end marker is refused.
    CCorvaneDoc full;
    FillEveryCode(full);
    const auto bytes = EncodeDataFile(full);
    for (std::size_t size = 0; size < bytes.size(); size += 7) {
        CCorvaneDoc doc;
        FakeInteraction interaction;
        std::span<const std::uint8_t> cut(bytes.data(), size);
        EXPECT_EQ(DecodeDataFile(cut, doc, interaction).status, FileStatus::BadFormat) << size;
    }
    // A record with a type code of no known width cannot be stepped over.
    auto unknownType = Fixture("revision-0.02.mlb");
    unknownType[94 + 16 + 16] = 12;
    CCorvaneDoc doc;
    FakeInteraction interaction;
    EXPECT_EQ(DecodeDataFile(unknownType, doc, interaction).status, FileStatus::BadFormat);
}

TEST(DataFile, UnreadableFileFailsToOpen)
{
    CCorvaneDoc doc;
    FakeInteraction interaction;
    FileResult result = LoadDataFile(doc, "/nonexistent/dir/file.mlb", interaction);
    EXPECT_EQ(result.status, FileStatus::CannotOpen);
    EXPECT_EQ(result.message, "Failed to open document.");
}

TEST(DataFile, LoadAndSaveRunTheLinkHooks)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("link.mlb").toStdString();
    RecordingHooks hooks;
    CCorvaneDoc doc;
    doc.setConnectionHooks(&hooks);
    doc.OnNewDocument();
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"contact 1"}));

    doc.commPort = 3;
    ASSERT_TRUE(SaveDataFile(doc, path).ok());
    EXPECT_EQ(hooks.calls.size(), 1u); // not in program mode: no log-off
    doc.connectionState = ProgramAccess;
    ASSERT_TRUE(SaveDataFile(doc, path).ok());
    EXPECT_EQ(hooks.calls.back(), "LO");

    CCorvaneDoc loaded;
    loaded.setConnectionHooks(&hooks);
    FakeInteraction interaction;
    ASSERT_TRUE(LoadDataFile(loaded, path, interaction).ok());
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"contact 1", "LO", "release", "contact 3"}));
    EXPECT_EQ(loaded.title(), "link.mlb");
    EXPECT_FALSE(loaded.isModified());
}

TEST(DataFile, FailedSaveLeavesTheOldFileIntact)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("keep.mlb").toStdString();
    CCorvaneDoc small;
    ASSERT_TRUE(SaveDataFile(small, path).ok());
    std::vector<std::uint8_t> before;
    ReadWholeFile(path, before);

    CCorvaneDoc big;
    FillEveryCode(big);
    // Let no file grow past 200 bytes while saving (works for root too).
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 200;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    FileResult result = SaveDataFile(big, path);
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(result.status, FileStatus::CannotSave);
    EXPECT_EQ(result.message, "Failed to save document.");
    std::vector<std::uint8_t> after;
    ReadWholeFile(path, after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1); // no temporary file left
}

TEST(CCorvaneDoc, ConstructionAndNewDocumentDefaults)
{
    CCorvaneDoc doc;
    EXPECT_EQ(doc.programCodeCount(), 319);
    EXPECT_EQ(doc.currentDirectory(), -1);
    EXPECT_EQ(doc.connectionState, NotContacted);
    EXPECT_EQ(doc.controllerRevision, -1.0f);
    EXPECT_EQ(doc.reservedWord, 0);
    doc.commPort = 4;
    doc.setValue(*doc.chain().find(9, 611), "5", 1);
    int refreshes = 0;
    doc.onViewsChanged = [&] { ++refreshes; };
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(doc.commPort, 1);
    EXPECT_EQ(doc.controllerAddress, 1u);
    EXPECT_EQ(doc.valueCount(), 0);
    EXPECT_EQ(doc.valueText(*doc.chain().find(9, 611)), "000");
    EXPECT_EQ(doc.title(), "Untitled");
}

} // namespace
} // namespace corvane
