#include "common/LittleEndian.h"

#include <gtest/gtest.h>

namespace glyphmere::common {
namespace {

const std::string kBytes("\x01\x02\x03\x04\x05\x06\x07\x08", 8);

TEST(LittleEndian, NumbersInside_AreReadLowByteFirst)
{
    EXPECT_EQ(readLe16(kBytes, 0), 0x0201u);
    EXPECT_EQ(readLe32(kBytes, 4), 0x08070605u);
    EXPECT_EQ(readLe64(kBytes, 0), 0x0807060504030201u);
    EXPECT_EQ(readLittleEndian(kBytes, 5, 3), 0x080706u);
    EXPECT_EQ(readLe16(std::string("\xFF\xFE", 2), 0), 0xFEFFu);
}

// Every read that would go past the end reports it, however close to the end it starts.
TEST(LittleEndian, ReadsPastTheEnd_ReportAShortRead)
{
    EXPECT_EQ(readLe16(kBytes, 7), std::nullopt);
    EXPECT_EQ(readLe32(kBytes, 5), std::nullopt);
    EXPECT_EQ(readLe64(kBytes, 1), std::nullopt);
    EXPECT_EQ(readLe16(kBytes, 8), std::nullopt);
    EXPECT_EQ(readLe16(kBytes, std::uint64_t{1} << 40), std::nullopt);
    EXPECT_EQ(readLe32(kBytes, UINT64_MAX - 1), std::nullopt);
    EXPECT_EQ(readLittleEndian(kBytes, 0, 9), std::nullopt);
    EXPECT_EQ(readLe16("", 0), std::nullopt);
}

TEST(LittleEndian, Writes_RoundTripAndStayInside)
{
    std::string bytes;
    appendLe16(bytes, 0xBEEF);
    appendLe32(bytes, 0x12345678);
    EXPECT_EQ(bytes, std::string("\xEF\xBE\x78\x56\x34\x12", 6));
    EXPECT_TRUE(writeLittleEndian(bytes, 2, std::uint32_t{0xCAFEF00D}));
    EXPECT_EQ(readLe32(bytes, 2), 0xCAFEF00Du);
    EXPECT_FALSE(writeLittleEndian(bytes, 3, std::uint32_t{0}));
    EXPECT_EQ(bytes.size(), 6u);
    EXPECT_EQ(readLe32(bytes, 2), 0xCAFEF00Du);

    const std::uint32_t table[] = {1, 0xFFFFFFFE};
    std::vector<std::uint32_t> read;
    appendLe32Array(read, le32ArrayBytes(table, 2) + "xy");
    EXPECT_EQ(read, (std::vector<std::uint32_t>{1, 0xFFFFFFFE}));
}

} // namespace
} // namespace glyphmere::common
