#include "configdoc/fileheader.h"

#include "configdoc/archive.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace corvane {

namespace {

void writeText(ArchiveWriter& out, const std::string& text)
{
    std::array<char, kFileHeaderTextField> field{};
    std::memcpy(field.data(), text.data(), std::min(text.size(), kFileHeaderTextMax));
    out.writeBlock(field.data(), field.size());
}

std::string readText(ArchiveReader& in)
{
    std::array<char, kFileHeaderTextField> field{};
    in.readBlock(field.data(), field.size());
    // A field with no zero (not written by this program) is kept whole.
    const auto end = std::find(field.begin(), field.end(), '\0');
    return std::string(field.begin(), end);
}

} // namespace

void CFileHeader::write(ArchiveWriter& out) const
{
    out.writeInt32(fileTypeId);
    out.writeFloat32(revision);
    writeText(out, product);
    writeText(out, notice);
}

bool CFileHeader::read(ArchiveReader& in)
{
    fileTypeId = in.readInt32();
    revision = in.readFloat32();
    product = readText(in);
    notice = readText(in);
    return in.ok();
}

} // namespace corvane
