#include "ReplyFeed.h"

#include <bit>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    auto image = std::make_unique<ScreenImage>();
    image->fill(0);
    ReplyFeed feed(data, size);
    // Every buffer state a run passes through is the last state of a shorter input, so the
    // picture is checked once, after the last reply: checking after each reply made a long
    // input cost thousands of full-screen scans.
    feed.receiveAll(*image, true);
    int ink = 0;
    for (int y = -1; y <= kScreenHeight; ++y)
        for (int x = -1; x <= kScreenWidth; ++x) ink += ScreenPixel(*image, x, y);
    // Every low byte bit is one display pixel; the high bytes show nothing.
    int bits = 0;
    for (std::size_t w = 0; w < kScreenSize / 2; ++w) bits += std::popcount((*image)[2 * w]);
    Require(ink == bits);
    return 0;
}
