#pragma once
// Builds the chain of program codes of a configuration document: directory by
// directory, each in code-number order.

#include "dictionary/dbparam.h"
#include "dictionary/directories.h"

#include <array>
#include <memory>
#include <vector>

namespace corvane {

constexpr int kProgramCodeCount = 319;
constexpr int kMaxCodesPerRow = 100;

class DirectoryChain {
public:
    DirectoryChain();
    DirectoryChain(const DirectoryChain&) = delete;
    DirectoryChain& operator=(const DirectoryChain&) = delete;

    // First code of directory d; none for 0, 11 and numbers outside 0-23.
    DBParam* head(int d);
    const DBParam* head(int d) const;

    // The codes of directory d in order (empty for 0 and 11).
    std::span<DBParam> directory(int d);
    std::span<const DBParam> directory(int d) const;

    // Every code in chain order.
    std::span<DBParam> all() { return params_; }
    std::span<const DBParam> all() const { return params_; }
    int size() const { return static_cast<int>(params_.size()); }

    // The code with this code number in directory d, searched from its head.
    DBParam* find(int d, int codeNumber);
    const DBParam* find(int d, int codeNumber) const;

private:
    std::vector<DBParam> params_;
    std::array<int, kDirectoryCount> headIndex_{};
    std::array<int, kDirectoryCount> length_{};
};

} // namespace corvane
