#include "common/crc32.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace corvane {
namespace {

std::vector<uint8_t> bytesOf(std::string_view s)
{
    return {s.begin(), s.end()};
}

TEST(Crc32, KnownValues)
{
    struct Case {
        std::string_view text;
        uint32_t crc;
    };
    const Case cases[] = {
        {"", 0x00000000u},
        {"a", 0xE8B7BE43u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(blockCrc(bytesOf(c.text)), c.crc) << '"' << c.text << '"';
}

TEST(Crc32, AddByteReturnsCrcOfEverythingSoFar)
{
    std::vector<uint8_t> data;
    for (int i = 0; i < 300; ++i)
        data.push_back(static_cast<uint8_t>(i * 37 + 11));

    ImageCrc crc;
    crc.addByte(0x55); // start() must discard this
    crc.start();
    for (std::size_t i = 0; i < data.size(); ++i) {
        const uint32_t running = crc.addByte(data[i]);
        ASSERT_EQ(running, blockCrc(std::span(data).first(i + 1))) << "after byte " << i;
    }
}

TEST(Crc32, TrailerIsBigEndianAndVerifies)
{
    std::vector<uint8_t> image = bytesOf("123456789");
    appendCrcTrailer(image);
    ASSERT_EQ(image.size(), 13u);
    EXPECT_EQ(std::vector<uint8_t>(image.end() - 4, image.end()),
              (std::vector<uint8_t>{0xCB, 0xF4, 0x39, 0x26}));
    EXPECT_TRUE(verifyCrcTrailer(image));

    std::vector<uint8_t> empty;
    appendCrcTrailer(empty);
    EXPECT_TRUE(verifyCrcTrailer(empty)); // an empty body still carries a trailer
}

TEST(Crc32, VerifyRejectsDamage)
{
    std::vector<uint8_t> image = bytesOf("controller image");
    appendCrcTrailer(image);
    for (std::size_t i = 0; i < image.size(); ++i) {
        for (uint8_t bit : {uint8_t(0x01), uint8_t(0x80)}) {
            std::vector<uint8_t> damaged = image;
            damaged[i] ^= bit;
            EXPECT_FALSE(verifyCrcTrailer(damaged)) << "byte " << i << " bit " << int(bit);
        }
    }
}

TEST(Crc32, TooShortNeverVerifies)
{
    for (std::size_t n = 0; n < kCrcTrailerSize; ++n)
        EXPECT_FALSE(verifyCrcTrailer(std::vector<uint8_t>(n, 0))) << n << " bytes";
}

} // namespace
} // namespace corvane
