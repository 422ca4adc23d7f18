#pragma once
// CRC-32 of controller file images: reflected, polynomial 0xEDB88320, register
// preset to 0xFFFFFFFF, result inverted. Images carry it as a 4-byte big-endian
// trailer covering every byte before it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace corvane {

inline constexpr std::size_t kCrcTrailerSize = 4;

namespace detail {

constexpr std::array<uint32_t, 256> makeCrc32Table()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
        table[i] = r;
    }
    return table;
}

inline constexpr std::array<uint32_t, 256> kCrc32Table = makeCrc32Table();

} // namespace detail

// Running CRC over bytes fed one at a time.
class ImageCrc {
public:
    constexpr void start() { m_register = 0xFFFFFFFFu; }

    // Feeds one byte; returns the CRC of everything added since start().
    constexpr uint32_t addByte(uint8_t byte)
    {
        m_register = (m_register >> 8) ^ detail::kCrc32Table[(m_register ^ byte) & 0xFFu];
        return ~m_register;
    }

    constexpr uint32_t value() const { return ~m_register; }

private:
    uint32_t m_register = 0xFFFFFFFFu;
};

constexpr uint32_t blockCrc(std::span<const uint8_t> bytes)
{
    ImageCrc crc;
    crc.start();
    for (uint8_t b : bytes)
        crc.addByte(b);
    return crc.value();
}

// Appends the big-endian CRC of the current contents.
void appendCrcTrailer(std::vector<uint8_t>& image);

// True when the last four bytes are the big-endian CRC of the bytes before them.
// An image shorter than the trailer never verifies.
bool verifyCrcTrailer(std::span<const uint8_t> image);

} // namespace corvane
