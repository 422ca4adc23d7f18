#include "dictionary/directorychain.h"

#include "dictionary/dictionary.h"

namespace corvane {
namespace {

// The entries a key-range row takes, in code-number order (stable for equal numbers).
std::vector<const DBEntry*> CollectRow(const Dictionary& dictionary, const RangeRow& row)
{
    std::vector<const DBEntry*> taken;
    for (int category = 0; category < kCategoryCount; ++category) {
        if (!IsConfigurationCategory(category))
            continue;
        for (int type = 0; type < kValueTypeCount; ++type) {
            if (!dictionary.hasTypeTable(type))
                continue;
            auto record = dictionary.record(type, category);
            for (std::size_t position = 0; position < record.size(); ++position) {
                if (category == 4 && position < 3)
                    continue; // the three access codes are never listed
                const DBEntry& e = record[position];
                if (e.key < row.keyLow || e.key > row.keyHigh)
                    continue;
                if (taken.size() >= static_cast<std::size_t>(kMaxCodesPerRow))
                    return taken;
                auto at = taken.begin();
                while (at != taken.end() && (*at)->codeNumber() <= e.codeNumber())
                    ++at;
                taken.insert(at, &e);
            }
        }
    }
    return taken;
}

} // namespace

DirectoryChain::DirectoryChain()
{
    headIndex_.fill(-1);
    length_.fill(0);
    const Dictionary& dictionary = Dictionary::instance();
    params_.reserve(kProgramCodeCount);
    for (const RangeRow& row : RangeRows()) {
        auto entries = CollectRow(dictionary, row);
        for (int j = 0; j < row.instances; ++j) {
            const int d = row.row + j;
            if (entries.empty())
                continue;
            headIndex_[static_cast<std::size_t>(d)] = static_cast<int>(params_.size());
            length_[static_cast<std::size_t>(d)] = static_cast<int>(entries.size());
            for (std::size_t p = 0; p < entries.size(); ++p)
                params_.emplace_back(row.row, static_cast<int>(p), j, static_cast<int>(entries.size()), *entries[p]);
        }
    }
    for (std::size_t i = 0; i + 1 < params_.size(); ++i)
        params_[i].setNext(&params_[i + 1]);
}

std::span<DBParam> DirectoryChain::directory(int d)
{
    if (d < 0 || d >= kDirectoryCount || headIndex_[static_cast<std::size_t>(d)] < 0)
        return {};
    return std::span<DBParam>(params_).subspan(static_cast<std::size_t>(headIndex_[static_cast<std::size_t>(d)]),
                                               static_cast<std::size_t>(length_[static_cast<std::size_t>(d)]));
}

std::span<const DBParam> DirectoryChain::directory(int d) const
{
    return const_cast<DirectoryChain*>(this)->directory(d);
}

DBParam* DirectoryChain::head(int d)
{
    auto codes = directory(d);
    return codes.empty() ? nullptr : &codes.front();
}

const DBParam* DirectoryChain::head(int d) const { return const_cast<DirectoryChain*>(this)->head(d); }

DBParam* DirectoryChain::find(int d, int codeNumber)
{
    for (DBParam& p : directory(d))
        if (p.codeNumber() == codeNumber)
            return &p;
    return nullptr;
}

const DBParam* DirectoryChain::find(int d, int codeNumber) const
{
    return const_cast<DirectoryChain*>(this)->find(d, codeNumber);
}

} // namespace corvane
