#include "configdoc/fileheader.h"

#include "configdoc/archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes field(std::string_view text)
{
    Bytes out(kFileHeaderTextField, 0);
    std::copy(text.begin(), text.end(), out.begin());
    return out;
}

TEST(FileHeader, LayoutAndRoundTrip)
{
    CFileHeader header;
    header.fileTypeId = 31034;
    header.product = "Corvane";
    header.notice = "Notice";
    ArchiveWriter w;
    header.write(w);

    Bytes expected = {0x3A, 0x79, 0x00, 0x00, 0x8F, 0xC2, 0xF5, 0x3C};
    const Bytes product = field("Corvane"), notice = field("Notice");
    expected.insert(expected.end(), product.begin(), product.end()); // offset 8
    expected.insert(expected.end(), notice.begin(), notice.end());   // offset 51
    ASSERT_EQ(expected.size(), kFileHeaderSize);
    EXPECT_EQ(w.bytes(), expected);

    CFileHeader back;
    ArchiveReader r(w.bytes());
    EXPECT_TRUE(back.read(r));
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(back.fileTypeId, 31034);
    EXPECT_EQ(back.revision, 0.03f);
    EXPECT_EQ(back.product, "Corvane");
    EXPECT_EQ(back.notice, "Notice");
}

TEST(FileHeader, TextsLongerThan42AreCut)
{
    for (std::size_t length : {42u, 43u, 50u}) {
        SCOPED_TRACE(length);
        CFileHeader header;
        header.product = std::string(length, 'p');
        header.notice = std::string(length, 'n');
        ArchiveWriter w;
        header.write(w);
        ASSERT_EQ(w.bytes().size(), kFileHeaderSize);
        EXPECT_EQ(w.bytes()[8 + 42], 0);
        EXPECT_EQ(w.bytes()[51 + 42], 0);

        CFileHeader back;
        ArchiveReader r(w.bytes());
        ASSERT_TRUE(back.read(r));
        EXPECT_EQ(back.product, std::string(42, 'p'));
        EXPECT_EQ(back.notice, std::string(42, 'n'));
    }
}

TEST(FileHeader, ReadStopsAtFirstZero)
{
    Bytes input(8, 0);
    const Bytes product = field(std::string_view("AB\0junk", 7));
    Bytes notice(kFileHeaderTextField, 'z'); // no zero at all: kept whole
    input.insert(input.end(), product.begin(), product.end());
    input.insert(input.end(), notice.begin(), notice.end());

    CFileHeader header;
    ArchiveReader r(input);
    ASSERT_TRUE(header.read(r));
    EXPECT_EQ(header.product, "AB");
    EXPECT_EQ(header.notice, std::string(kFileHeaderTextField, 'z'));
}

TEST(FileHeader, ShortInputIsBadFormat)
{
    const Bytes input(kFileHeaderSize - 1, 'a');
    CFileHeader header;
    ArchiveReader r(input);
    EXPECT_FALSE(header.read(r));
    EXPECT_EQ(r.status(), ArchiveStatus::BadFormat);
}

} // namespace
} // namespace corvane
