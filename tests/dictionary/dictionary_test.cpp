#include "dictionary/categories.h"
#include "dictionary/dictionary.h"
#include "dictionary/literals.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace corvane {
namespace {

const Dictionary& Dict() { return Dictionary::instance(); }

TEST(Dictionary, LoadsAllEntriesIntoTheirCategoryRecords)
{
    ASSERT_TRUE(Dict().ok()) << Dict().error();
    EXPECT_EQ(Dict().allEntries().size(), 529u);
    int configuration = 0;
    for (const DBEntry* e : Dict().allEntries())
        configuration += IsConfigurationCategory(e->category) ? 1 : 0;
    EXPECT_EQ(configuration, 211);

    // A few rows of the category summary: category, type, count.
    const std::tuple<int, ValueType, std::size_t> counts[] = {
        {3, ValueType::Text, 11},    {3, ValueType::UInt8, 30},   {10, ValueType::Float32, 40},
        {13, ValueType::Text, 32},   {13, ValueType::Flag, 13},   {16, ValueType::Float64, 12},
        {23, ValueType::Flag, 20},   {31, ValueType::UInt16, 9},  {22, ValueType::Flag, 0},
    };
    for (auto [category, type, n] : counts)
        EXPECT_EQ(Dict().record(static_cast<int>(type), category).size(), n) << category;
    EXPECT_FALSE(Dict().hasTypeTable(1));
    EXPECT_FALSE(Dict().hasTypeTable(2));
}

TEST(Dictionary, EntryFieldsMatchTheirTablePosition)
{
    for (int t = 0; t < kValueTypeCount; ++t) {
        for (int c = 0; c < kCategoryCount; ++c) {
            auto record = Dict().record(t, c);
            for (std::size_t i = 0; i < record.size(); ++i) {
                EXPECT_EQ(static_cast<int>(record[i].type), t);
                EXPECT_EQ(record[i].category, c);
                if (!(t == 0 && c == 31)) {
                    EXPECT_EQ(record[i].index, i) << record[i].description;
                }
            }
        }
    }
    // The arm command texts carry index values 2 to 9 at positions 0 to 7.
    auto armTexts = Dict().record(0, 31);
    ASSERT_EQ(armTexts.size(), 8u);
    EXPECT_EQ(armTexts.front().index, 2);
    EXPECT_EQ(armTexts.back().index, 9);
}

TEST(Dictionary, FindEntryResolvesRegisterIdsAndRejectsTheRest)
{
    const DBEntry* offset = FindEntry((4u << 24) | (2u << 16) | (0u << 8));
    ASSERT_NE(offset, nullptr);
    EXPECT_EQ(offset->description, "402 Analog I/O 1 RTD Offset");
    EXPECT_EQ(MakeRegisterId(*offset, 1), 0x04020001u);

    const DBEntry* kFactor = FindEntry(0x04090000u | 1u);
    ASSERT_NE(kFactor, nullptr);
    EXPECT_EQ(kFactor->codeNumber(), 301);

    const std::uint32_t none[] = {
        0x01000000u,                     // type without a table
        0x0A000000u,                     // type above 9
        (6u << 24) | (32u << 16),        // category above 31
        (6u << 24) | (0u << 16),         // empty record
        (6u << 24) | (1u << 16) | (9u << 8), // index past the record's 9 entries
    };
    for (std::uint32_t id : none)
        EXPECT_EQ(FindEntry(id), nullptr) << std::hex << id;
}

TEST(Dictionary, ValuesAndSecurityBytesFitTheImagesWithoutOverlap)
{
    std::vector<std::pair<std::size_t, std::size_t>> config, run; // [begin, end)
    for (const DBEntry* e : Dict().allEntries()) {
        const std::size_t copies = std::max<std::size_t>(1, e->instanceCount);
        const std::size_t stride = copies > 1 ? e->instanceStride : 0;
        EXPECT_TRUE(copies == 1 || stride >= e->storageWidth()) << e->description;
        const std::size_t end = e->storage.offset + stride * (copies - 1) + e->storageWidth();
        if (e->storage.image == ImageKind::Configuration)
            config.emplace_back(e->storage.offset, end);
        else if (e->storage.image == ImageKind::RunData)
            run.emplace_back(e->storage.offset, end);
        if (e->attribute.image == ImageKind::Configuration && IsConfigurationCategory(e->category))
            config.emplace_back(e->attribute.offset, e->attribute.offset + 1u);
    }
    auto check = [](std::vector<std::pair<std::size_t, std::size_t>> spans, std::size_t size) {
        std::sort(spans.begin(), spans.end());
        for (std::size_t i = 0; i < spans.size(); ++i) {
            EXPECT_LE(spans[i].second, size);
            if (i > 0) {
                EXPECT_LE(spans[i - 1].second, spans[i].first) << "overlap at " << spans[i].first;
            }
        }
    };
    check(config, kConfigurationImageSize);
    check(run, kRunDataImageSize);
    EXPECT_EQ(config.size(), 208u + 206u); // values of all configuration entries but 101-103, and 206 levels
}

TEST(Dictionary, StorageAndAttributesFollowTheirKinds)
{
    int withoutStorage = 0;
    for (const DBEntry* e : Dict().allEntries()) {
        if (e->storage.isNone()) {
            ++withoutStorage;
            EXPECT_EQ(e->description, "Batch Presetting in Progress");
        }
        const int code = e->codeNumber();
        if (e->category == 4) {
            EXPECT_TRUE(e->attribute.isNone()) << code; // 191 to 195 have no level
        }
    }
    EXPECT_EQ(withoutStorage, 1);

    // An alarm register's attribute is its alarm configuration code's value byte.
    auto meterAlarms = Dict().record(static_cast<int>(ValueType::Flag), 23);
    const DBEntry& blendLow = meterAlarms[0];
    const DBEntry* code649 = nullptr;
    for (const DBEntry& e : Dict().record(static_cast<int>(ValueType::UInt8), 5))
        if (e.codeNumber() == 649)
            code649 = &e;
    ASSERT_NE(code649, nullptr);
    EXPECT_EQ(blendLow.attribute.image, code649->storage.image);
    EXPECT_EQ(blendLow.attribute.offset, code649->storage.offset);
}

TEST(Dictionary, RejectsADamagedEntryTable)
{
    const std::pair<const char*, const char*> damaged[] = {
        {"uint8\t1\t0\t0\t0\trun\tnone\t-\t-\t-\t0\t1\t%*.*u\t1\t0\t0\tx\n", "holds 1 entries"},
        {"uint8\t1\t0\t0\t0\trun\tnone\t-\t-\t-\t0\t1\t%*.*s\t1\t0\t0\tx\n", "format"},
        {"int8\t1\t0\t0\t0\trun\tnone\t-\t-\t-\t0\t1\t%*.*u\t1\t0\t0\tx\n", "table"},
        {"uint8\t1\t0\t0\n", "columns"},
    };
    for (auto [table, word] : damaged) {
        Dictionary d(table);
        EXPECT_FALSE(d.ok());
        EXPECT_NE(d.error().find(word), std::string::npos) << d.error();
        EXPECT_TRUE(d.allEntries().empty());
    }
}

TEST(Categories, NamesAndPlacement)
{
    EXPECT_EQ(CategoryName(0), "Pulse Input Configuration");
    EXPECT_EQ(CategoryName(31), "Arm Commands");
    EXPECT_EQ(CategoryName(32), "");
    EXPECT_EQ(PlacementClass(12), 1);
    EXPECT_EQ(PlacementClass(27), 0);
    EXPECT_EQ(PlacementClass(25), 2);
    EXPECT_FALSE(IsOfferedCategory(4));
    EXPECT_TRUE(IsOfferedCategory(3));
    EXPECT_FALSE(IsOfferedCategory(30));
}

TEST(Literals, TableIsCompleteAndKeepsItsExactTexts)
{
    std::string failure;
    EXPECT_TRUE(CheckLiteralTable(&failure));
    EXPECT_EQ(ControllerLiterals().size(), 1575u);
    EXPECT_EQ(Literal(1574), "LAST LITERAL");
    EXPECT_EQ(Literal(0), "pellion");
    EXPECT_EQ(Literal(998), "#$%&*()-_+=,.?/;:'\"");
    EXPECT_EQ(Literal(1480), "Press \"ENTER\" key to reset pulse counts.");
    EXPECT_EQ(Literal(104), "No");
    EXPECT_EQ(Literal(596), "B100(EPA-RFS2)");
    EXPECT_EQ(Literal(1013), "       Wild   Blend"); // blanks are part of the text
    EXPECT_EQ(Literal(1558), "Modbus on comm ");
    EXPECT_EQ(Literal(-1), "");
    EXPECT_EQ(Literal(1575), "");
}

} // namespace
} // namespace corvane
