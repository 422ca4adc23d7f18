#pragma once
// The data dictionary: per-type tables of per-category entry records, loaded
// once from the embedded entry table, with register ids to name one instance.

#include "dictionary/categories.h"
#include "dictionary/dbentry.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane {

constexpr std::size_t kConfigurationImageSize = 2316;
constexpr std::size_t kRunDataImageSize = 8508;
constexpr int kDictionaryEntryCount = 529;

class Dictionary {
public:
    // The program's one dictionary, built on first use.
    static const Dictionary& instance();

    // Builds a dictionary from entry-table text; used by instance() and by tests.
    // On a damaged table, error() says what is wrong and the dictionary is empty.
    explicit Dictionary(std::string_view entryTable);
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;

    const std::string& error() const { return error_; }
    bool ok() const { return error_.empty(); }

    // Whether the type code has a table (types 1 and 2 have none).
    bool hasTypeTable(int type) const;
    // The entries of one category record, in position order.
    std::span<const DBEntry> record(int type, int category) const;

    // Every entry in table order: type 0..9, category 0..31, position.
    const std::vector<const DBEntry*>& allEntries() const { return all_; }

    const DBEntry* findEntry(std::uint32_t registerId) const;

    // Bytes of each image that the layout uses (both within their fixed sizes).
    std::size_t configurationBytesUsed() const { return configUsed_; }
    std::size_t runDataBytesUsed() const { return runUsed_; }

private:
    bool load(std::string_view entryTable);
    bool layOut();

    std::vector<DBEntry> records_[kValueTypeCount][kCategoryCount];
    bool present_[kValueTypeCount] = {};
    std::vector<const DBEntry*> all_;
    std::size_t configUsed_ = 0;
    std::size_t runUsed_ = 0;
    std::string error_;
};

// Type bits 24-31, category 16-23, index 8-15, instance 0-7.
const DBEntry* FindEntry(std::uint32_t registerId);
std::uint32_t MakeRegisterId(const DBEntry& entry, int instance);

} // namespace corvane
