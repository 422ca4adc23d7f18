#include "common/crc32.h"

namespace corvane {

static_assert(detail::kCrc32Table[1] == 0x77073096u);
static_assert(detail::kCrc32Table[255] == 0x2D02EF8Du);

void appendCrcTrailer(std::vector<uint8_t>& image)
{
    const uint32_t crc = blockCrc(image);
    image.push_back(static_cast<uint8_t>(crc >> 24));
    image.push_back(static_cast<uint8_t>(crc >> 16));
    image.push_back(static_cast<uint8_t>(crc >> 8));
    image.push_back(static_cast<uint8_t>(crc));
}

bool verifyCrcTrailer(std::span<const uint8_t> image)
{
    if (image.size() < kCrcTrailerSize)
        return false;
    const std::size_t body = image.size() - kCrcTrailerSize;
    const uint32_t stored = uint32_t(image[body]) << 24 | uint32_t(image[body + 1]) << 16
                            | uint32_t(image[body + 2]) << 8 | uint32_t(image[body + 3]);
    return blockCrc(image.first(body)) == stored;
}

} // namespace corvane
