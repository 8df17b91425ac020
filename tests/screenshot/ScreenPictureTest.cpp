// The display block as the 132 x 68 bitmap: where every display pixel lands, the frame and
// the background ring around the display, and the two colours of the picture.
#include "screenshot/ScreenPicture.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <utility>

namespace {

using Block = std::array<uint8_t, kScreenBlockSize>;
using Pixels = std::set<std::pair<int, int>>;

bool OnFrame(int x, int y) { return x == 0 || y == 0 || x == kPictureWidth - 1 || y == kPictureHeight - 1; }

// Ink pixels of the matrix other than the frame, which every picture has.
Pixels InkInside(const ScreenMatrix& m)
{
    Pixels ink;
    for (int x = 0; x < kPictureWidth; ++x)
        for (int y = 0; y < kPictureHeight; ++y) {
            if (OnFrame(x, y)) {
                EXPECT_EQ(m[x][y], 1) << "frame pixel " << x << "," << y;
            } else if (m[x][y] != 0) {
                EXPECT_EQ(m[x][y], 1) << x << "," << y;
                ink.insert({x, y});
            }
        }
    return ink;
}

struct Case {
    const char* what;
    std::vector<std::pair<std::size_t, uint8_t>> bytes; // offset, value
    Pixels ink;
};

TEST(ScreenMatrix, EveryDisplayPixelLandsTwoPixelsIn)
{
    Pixels column2rows10to17;
    for (int y = 10; y <= 17; ++y) column2rows10to17.insert({2, y});
    Pixels lastPage;
    for (int b = 0; b < 8; ++b) lastPage.insert({2 + 127, 2 + 56 + b});
    const std::vector<Case> cases = {
        {"all zero: the frame alone", {}, {}},
        {"bit 0 of the first word is the display's top left", {{0, 0x01}}, {{2, 2}}},
        {"bit 7 of the first word is row 7", {{0, 0x80}}, {{2, 9}}},
        {"the high byte of a word carries nothing", {{1, 0xFF}, {257, 0xFF}, {2047, 0xFF}}, {}},
        {"word 1 is display column 1", {{2, 0x01}}, {{3, 2}}},
        {"word 127 is the top right", {{254, 0x01}}, {{129, 2}}},
        {"word 128 starts the second page", {{256, 0xFF}}, column2rows10to17},
        {"the last word's bit 7 is the bottom right", {{2046, 0x80}}, {{129, 65}}},
        {"the whole last word", {{2046, 0xFF}}, lastPage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Block block{};
        for (auto [offset, value] : c.bytes) block[offset] = value;
        EXPECT_EQ(InkInside(BuildScreenMatrix(block)), c.ink);
    }
}

TEST(ScreenMatrix, AFullDisplayLeavesTheRingAroundItClear)
{
    Block block{};
    for (std::size_t k = 0; k < kScreenBlockSize; k += 2) block[k] = 0xFF;
    const ScreenMatrix m = BuildScreenMatrix(block);
    for (int x = 1; x < kPictureWidth - 1; ++x)
        for (int y = 1; y < kPictureHeight - 1; ++y) {
            const bool display = x >= 2 && x <= 129 && y >= 2 && y <= 65;
            ASSERT_EQ(m[x][y], display ? 1 : 0) << x << "," << y;
        }
    EXPECT_EQ(InkInside(m).size(), 128u * 64u);
}

TEST(ScreenPicture, PaintsExactlyTheTwoColoursAndSwapsThem)
{
    Block block{};
    block[0] = 0x01;
    const ScreenMatrix m = BuildScreenMatrix(block);
    const QColor ink(0x12, 0x34, 0x56), background(0xFE, 0xDC, 0xBA);
    const QImage picture = PaintScreenMatrix(m, ink, background);
    const QImage negative = PaintScreenMatrix(m, background, ink);
    ASSERT_EQ(picture.size(), QSize(kPictureWidth, kPictureHeight));
    ASSERT_EQ(negative.size(), picture.size());
    for (int x = 0; x < kPictureWidth; ++x)
        for (int y = 0; y < kPictureHeight; ++y) {
            const QRgb expected = m[x][y] ? ink.rgb() : background.rgb();
            ASSERT_EQ(picture.pixel(x, y), expected) << x << "," << y;
            ASSERT_EQ(negative.pixel(x, y), m[x][y] ? background.rgb() : ink.rgb()) << x << "," << y;
        }
    EXPECT_EQ(picture.pixel(2, 2), ink.rgb());
    EXPECT_EQ(picture.pixel(1, 1), background.rgb());
    EXPECT_EQ(picture.pixel(0, 40), ink.rgb());
}

} // namespace
