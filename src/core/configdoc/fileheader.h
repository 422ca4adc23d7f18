#pragma once
// The header at the start of saved documents: file type id, revision and two
// fixed 43-byte texts. Each document type checks the id and revision itself.

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

class ArchiveReader;
class ArchiveWriter;

inline constexpr std::size_t kFileHeaderSize = 94;
inline constexpr std::size_t kFileHeaderTextField = 43;
inline constexpr std::size_t kFileHeaderTextMax = kFileHeaderTextField - 1;
inline constexpr float kFileHeaderRevision = 0.03f;

struct CFileHeader {
    int32_t fileTypeId = 0;
    float revision = kFileHeaderRevision;
    std::string product; // at most kFileHeaderTextMax bytes are written
    std::string notice;

    void write(ArchiveWriter& out) const;
    // Texts end at the first zero byte of their field. Returns in.ok().
    bool read(ArchiveReader& in);
};

} // namespace corvane
