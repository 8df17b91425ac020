// Byte order of the shared load and store helpers: known byte sequences both ways, high bits
// included (a byte above 0x7F must not spread its sign into the upper bytes).
#include "bytes/LittleEndian.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

TEST(LittleEndian, LoadsAndStoresLowByteFirst)
{
    const struct {
        std::array<unsigned char, 8> bytes;
        uint64_t value;
    } cases[] = {
        {{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08}, 0x0807060504030201ull},
        {{0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, 0xFFull},
        {{0x00, 0x80, 0x00, 0x80, 0x00, 0x00, 0x00, 0x80}, 0x8000000080008000ull},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, ~0ull},
        {{0xAA, 0xAA, 0x34, 0x12, 0x00, 0x00, 0x00, 0x00}, 0x1234AAAAull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.value);
        EXPECT_EQ(le::Load16(c.bytes.data()), uint16_t(c.value));
        EXPECT_EQ(le::Load32(c.bytes.data()), uint32_t(c.value));
        EXPECT_EQ(le::Load64(c.bytes.data()), c.value);

        std::array<unsigned char, 10> out{};
        out.fill(0x5A);
        le::Store64(out.data() + 1, c.value);
        EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), out.begin() + 1));
        EXPECT_EQ(out[0], 0x5A);
        EXPECT_EQ(out[9], 0x5A) << "nothing is written past the value";
        out.fill(0x5A);
        le::Store32(out.data(), uint32_t(c.value));
        EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.begin() + 4, out.begin()));
        EXPECT_EQ(out[4], 0x5A);
        out.fill(0x5A);
        le::Store16(out.data(), uint16_t(c.value));
        EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.begin() + 2, out.begin()));
        EXPECT_EQ(out[2], 0x5A);
    }
}

} // namespace
