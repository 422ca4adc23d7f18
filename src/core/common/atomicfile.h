#pragma once
// Whole-file reads and writes. A write goes to a temporary file beside the
// target, is flushed to disk, and only then renamed over the target, so a
// failed or interrupted write never damages the file that was there.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane {

struct IoResult {
    bool ok = true;
    std::string error; // the system's reason when not ok

    static IoResult failure(std::string reason) { return {false, std::move(reason)}; }
};

IoResult WriteFileAtomic(const std::string& path, std::span<const std::uint8_t> bytes);
IoResult ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes);

} // namespace corvane
