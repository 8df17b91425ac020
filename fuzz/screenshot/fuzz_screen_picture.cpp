// The instrument's display block placed into the screenshot picture: every input is a block
// (short input is padded with zeros, as a short reply leaves the rest of the buffer), plus
// two colours. Whatever the block holds, the frame and the ring stay where they belong, each
// ink bit lands on exactly one pixel, the high bytes change nothing, and the picture holds
// only the two colours, each where the matrix says.
#include "screenshot/ScreenPicture.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Require(bool condition)
{
    if (!condition) std::abort();
}

// The checks need no coverage feedback of their own; without its hooks in these loops the
// target runs several times faster.
__attribute__((no_sanitize("coverage"))) void CheckPicture(const std::array<uint8_t, kScreenBlockSize>& block,
                                                           const QColor& ink, const QColor& background)
{
    const ScreenMatrix m = BuildScreenMatrix(block);
    int ink1 = 0, bits = 0;
    for (int x = 0; x < kPictureWidth; ++x)
        for (int y = 0; y < kPictureHeight; ++y) {
            const bool frame = x == 0 || y == 0 || x == kPictureWidth - 1 || y == kPictureHeight - 1;
            const bool ring =
                !frame && (x == 1 || y == 1 || x == kPictureWidth - 2 || y == kPictureHeight - 2);
            Require(m[x][y] <= 1);
            if (frame) Require(m[x][y] == 1);
            if (ring) Require(m[x][y] == 0);
            if (!frame && !ring) ink1 += m[x][y];
        }
    for (std::size_t w = 0; w < kScreenBlockSize / 2; ++w) bits += std::popcount(block[2 * w]);
    Require(ink1 == bits);

    std::array<uint8_t, kScreenBlockSize> flipped = block;
    for (std::size_t w = 0; w < kScreenBlockSize / 2; ++w) flipped[2 * w + 1] ^= 0xFF;
    Require(BuildScreenMatrix(flipped) == m);

    const QImage picture = PaintScreenMatrix(m, ink, background);
    Require(picture.width() == kPictureWidth && picture.height() == kPictureHeight);
    Require(picture.format() == QImage::Format_RGB32);
    for (int y = 0; y < kPictureHeight; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < kPictureWidth; ++x) Require(line[x] == (m[x][y] ? ink.rgb() : background.rgb()));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 6) return 0;
    const QColor ink(data[0], data[1], data[2]);
    const QColor background(data[3], data[4], data[5]);
    data += 6;
    size -= 6;
    std::array<uint8_t, kScreenBlockSize> block{};
    std::memcpy(block.data(), data, std::min(size, block.size()));
    CheckPicture(block, ink, background);
    return 0;
}
