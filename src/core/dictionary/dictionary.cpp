#include "dictionary/dictionary.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <map>
#include <optional>

namespace corvane {
namespace embedded {
extern const unsigned char dictionary_entries[];
extern const std::size_t dictionary_entries_size;
} // namespace embedded

namespace {

constexpr int kColumnCount = 17;

std::optional<ValueType> TypeByName(std::string_view name)
{
    static const std::pair<std::string_view, ValueType> names[] = {
        {"text", ValueType::Text},       {"int8", ValueType::Int8},       {"int16", ValueType::Int16},
        {"int32", ValueType::Int32},     {"float32", ValueType::Float32}, {"float64", ValueType::Float64},
        {"uint8", ValueType::UInt8},     {"uint16", ValueType::UInt16},   {"uint32", ValueType::UInt32},
        {"flag", ValueType::Flag},
    };
    for (const auto& [n, t] : names)
        if (n == name)
            return t;
    return std::nullopt;
}

std::optional<Conversion> ConversionOf(std::string_view format)
{
    static const std::pair<std::string_view, Conversion> formats[] = {
        {"%*.*s", Conversion::Text},          {"%*.*f", Conversion::Float},
        {"%*.*u", Conversion::Unsigned},      {"%*.*d", Conversion::Signed},
        {"%0*.*u", Conversion::ZeroUnsigned}, {"%0*.*d", Conversion::ZeroSigned},
        {"%*.*lu", Conversion::UnsignedLong}, {"%0*.*lX", Conversion::ZeroHexLong},
    };
    for (const auto& [f, c] : formats)
        if (f == format)
            return c;
    return std::nullopt;
}

std::optional<long> Integer(std::string_view text)
{
    long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<float> Real(std::string_view text)
{
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return static_cast<float>(value);
}

std::optional<int> LiteralRef(std::string_view text)
{
    if (text == "-")
        return kNoLiteral;
    auto n = Integer(text);
    if (!n || *n < 0)
        return std::nullopt;
    return static_cast<int>(*n);
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> cells;
    std::size_t pos = 0;
    for (;;) {
        std::size_t tab = line.find('\t', pos);
        cells.push_back(line.substr(pos, tab == std::string_view::npos ? tab : tab - pos));
        if (tab == std::string_view::npos)
            return cells;
        pos = tab + 1;
    }
}

// Whether a conversion can print a value of the type.
bool ConversionFits(Conversion c, ValueType t)
{
    if (t == ValueType::Text)
        return c == Conversion::Text;
    if (IsFloatType(t))
        return c == Conversion::Float;
    return c != Conversion::Text && c != Conversion::Float;
}

struct PendingAttribute {
    DBEntry* entry;
    int alarmCode; // code number of the alarm configuration code, or 0 for a security byte
};

} // namespace

std::size_t DBEntry::storageWidth() const
{
    if (type == ValueType::Text)
        return static_cast<std::size_t>(maximum) + 1;
    return ScalarWidth(type);
}

std::string_view DBEntry::shownDescription() const
{
    std::string_view d = description;
    return d.substr(0, d.find('{'));
}

int DBEntry::codeNumber() const
{
    int n = 0;
    for (char c : description) {
        if (c < '0' || c > '9')
            break;
        n = n * 10 + (c - '0');
    }
    return n;
}

const Dictionary& Dictionary::instance()
{
    static const Dictionary dictionary(std::string_view(
        reinterpret_cast<const char*>(embedded::dictionary_entries), embedded::dictionary_entries_size));
    return dictionary;
}

Dictionary::Dictionary(std::string_view entryTable)
{
    for (int t = 0; t < kValueTypeCount; ++t)
        present_[t] = t != 1 && t != 2;
    if (!load(entryTable) || !layOut()) {
        for (auto& type : records_)
            for (auto& record : type)
                record.clear();
        all_.clear();
    }
}

bool Dictionary::load(std::string_view table)
{
    struct Row {
        DBEntry entry;
        int position;
        std::string storage;
        std::string attribute;
    };
    std::vector<Row> rows;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos < table.size()) {
        std::size_t eol = table.find('\n', pos);
        if (eol == std::string_view::npos)
            eol = table.size();
        std::string_view line = table.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineNo;
        if (line.empty() || line.front() == '#')
            continue;
        auto bad = [&](std::string_view what) {
            error_ = "entry table line " + std::to_string(lineNo) + ": " + std::string(what);
            return false;
        };
        auto cells = SplitTabs(line);
        if (cells.size() != kColumnCount)
            return bad("wrong number of columns");
        Row row;
        DBEntry& e = row.entry;
        auto type = TypeByName(cells[0]);
        auto category = Integer(cells[1]);
        auto position = Integer(cells[2]);
        auto index = Integer(cells[3]);
        auto key = Integer(cells[4]);
        auto label = LiteralRef(cells[7]);
        auto help = LiteralRef(cells[8]);
        auto options = LiteralRef(cells[9]);
        auto minimum = Real(cells[10]);
        auto maximum = Real(cells[11]);
        auto conversion = ConversionOf(cells[12]);
        auto width = Integer(cells[13]);
        auto precision = Integer(cells[14]);
        auto count = Integer(cells[15]);
        if (!type || !category || !position || !index || !key || !label || !help || !options || !minimum ||
            !maximum || !conversion || !width || !precision || !count)
            return bad("malformed field");
        if (*category < 0 || *category >= kCategoryCount || *position < 0 || *index < 0 || *index > 255 ||
            *width < 0 || *width > 255 || *precision < 0 || *precision > 255 || *count < 0 || *count > 255)
            return bad("field out of range");
        if (!present_[static_cast<int>(*type)])
            return bad("type has no table");
        if (!ConversionFits(*conversion, *type))
            return bad("format does not fit the type");
        if (*type == ValueType::Text && (*maximum < 0 || *maximum > 250))
            return bad("text maximum out of range");
        e.type = *type;
        e.category = static_cast<std::uint8_t>(*category);
        e.index = static_cast<std::uint8_t>(*index);
        e.key = static_cast<std::int32_t>(*key);
        e.label = *label;
        e.help = *help;
        e.options = *options;
        e.minimum = *minimum;
        e.maximum = *maximum;
        e.format = std::string(cells[12]);
        e.conversion = *conversion;
        e.width = static_cast<std::uint8_t>(*width);
        e.precision = static_cast<std::uint8_t>(*precision);
        e.instanceCount = static_cast<std::uint16_t>(*count);
        e.description = std::string(cells[16]);
        row.position = static_cast<int>(*position);
        row.storage = std::string(cells[5]);
        row.attribute = std::string(cells[6]);
        if (row.storage != "config" && row.storage != "run" && row.storage != "none")
            return bad("unknown storage");
        rows.push_back(std::move(row));
    }

    // Place every row at its position in its category record.
    std::map<std::tuple<int, int, int>, Row*> placed;
    for (auto& row : rows) {
        auto slot = std::make_tuple(static_cast<int>(row.entry.type), static_cast<int>(row.entry.category), row.position);
        if (!placed.emplace(slot, &row).second) {
            error_ = "two entries at one position: " + row.entry.description;
            return false;
        }
    }
    for (const auto& [slot, row] : placed) {
        auto& record = records_[std::get<0>(slot)][std::get<1>(slot)];
        if (std::get<2>(slot) != static_cast<int>(record.size())) {
            error_ = "gap in category record before: " + row->entry.description;
            return false;
        }
        DBEntry e = row->entry;
        // Remember storage and attribute kinds until the layout pass.
        e.storage.image = row->storage == "config" ? ImageKind::Configuration
                          : row->storage == "run"  ? ImageKind::RunData
                                                   : ImageKind::None;
        e.attribute.image = ImageKind::None;
        e.attribute.offset = 0;
        if (row->attribute == "sec") {
            e.attribute.image = ImageKind::Configuration;
        } else if (row->attribute.rfind("alarm:", 0) == 0) {
            auto code = Integer(std::string_view(row->attribute).substr(6));
            if (!code) {
                error_ = "malformed alarm attribute: " + row->entry.description;
                return false;
            }
            e.attribute.image = ImageKind::RunData; // marks "resolve later" until layOut
            e.attribute.offset = static_cast<std::uint16_t>(*code);
        } else if (row->attribute != "none") {
            error_ = "unknown attribute: " + row->entry.description;
            return false;
        }
        record.push_back(std::move(e));
    }
    for (int t = 0; t < kValueTypeCount; ++t)
        for (int c = 0; c < kCategoryCount; ++c)
            for (const auto& e : records_[t][c])
                all_.push_back(&e);
    if (all_.size() != static_cast<std::size_t>(kDictionaryEntryCount)) {
        error_ = "entry table holds " + std::to_string(all_.size()) + " entries";
        return false;
    }
    return true;
}

// Values first, one block per entry with its instances side by side, then the
// security bytes of the program codes after the configuration values.
bool Dictionary::layOut()
{
    std::size_t config = 0;
    std::size_t run = 0;
    std::vector<DBEntry*> alarmRefs;
    for (auto& type : records_) {
        for (auto& record : type) {
            for (auto& e : record) {
                std::size_t width = e.storageWidth();
                std::size_t copies = std::max<std::size_t>(1, e.instanceCount);
                e.instanceStride = e.instanceCount > 1 ? static_cast<std::uint16_t>(width) : 0;
                if (e.storage.image == ImageKind::Configuration) {
                    e.storage.offset = static_cast<std::uint16_t>(config);
                    config += width * copies;
                } else if (e.storage.image == ImageKind::RunData) {
                    e.storage.offset = static_cast<std::uint16_t>(run);
                    run += width * copies;
                }
                if (e.attribute.image == ImageKind::RunData)
                    alarmRefs.push_back(&e);
            }
        }
    }
    for (auto& type : records_) {
        for (auto& record : type) {
            for (auto& e : record) {
                if (e.attribute.image == ImageKind::Configuration) {
                    e.attribute.offset = static_cast<std::uint16_t>(config);
                    config += 1;
                }
            }
        }
    }
    // An alarm register's attribute is the value byte of its alarm configuration code.
    for (DBEntry* e : alarmRefs) {
        int code = e->attribute.offset;
        const DBEntry* target = nullptr;
        // Usually categories 5 and 6; 602 Powerfail Alarm is a category 3 code.
        for (int c = 0; c < kCategoryCount && !target; ++c)
            if (IsConfigurationCategory(c))
                for (const auto& candidate : records_[static_cast<int>(ValueType::UInt8)][c])
                    if (candidate.codeNumber() == code)
                        target = &candidate;
        if (!target) {
            error_ = "alarm attribute names no alarm code: " + e->description;
            return false;
        }
        e->attribute = target->storage;
    }
    configUsed_ = config;
    runUsed_ = run;
    if (config > kConfigurationImageSize || run > kRunDataImageSize) {
        error_ = "values do not fit the images";
        return false;
    }
    return true;
}

bool Dictionary::hasTypeTable(int type) const { return type >= 0 && type < kValueTypeCount && present_[type]; }

std::span<const DBEntry> Dictionary::record(int type, int category) const
{
    if (!hasTypeTable(type) || category < 0 || category >= kCategoryCount)
        return {};
    return records_[type][category];
}

const DBEntry* Dictionary::findEntry(std::uint32_t registerId) const
{
    int type = static_cast<int>(registerId >> 24);
    int category = static_cast<int>((registerId >> 16) & 0xFF);
    std::size_t index = (registerId >> 8) & 0xFF;
    auto entries = record(type, category);
    if (index >= entries.size())
        return nullptr;
    return &entries[index];
}

const DBEntry* FindEntry(std::uint32_t registerId) { return Dictionary::instance().findEntry(registerId); }

std::uint32_t MakeRegisterId(const DBEntry& entry, int instance)
{
    return (static_cast<std::uint32_t>(entry.type) << 24) + (static_cast<std::uint32_t>(entry.category) << 16) +
           (static_cast<std::uint32_t>(entry.index) << 8) + static_cast<std::uint32_t>(instance);
}

} // namespace corvane
