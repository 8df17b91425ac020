#include "ReplyFeed.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // On the heap, so that ASan sees a read past the end of the header.
    auto header = std::make_unique<HeaderBuffer>();
    header->fill(0);
    ReplyFeed feed(data, size);
    ReplyFeed::Reply r;
    while (feed.receive(*header, true, r)) {
        const bool valid = IsHeaderValid(*header);
        const uint32_t count = CountRecords(*header);
        Require(count <= kMaxRecords);
        // The bytes after the bitmap neither count nor, apart from the marker, matter.
        HeaderBuffer changed = *header;
        std::fill(changed.begin() + kRecordBitmapSize, changed.begin() + kHeaderMarkerOffset, 0xFF);
        changed[kHeaderSize - 1] ^= 0xFF;
        Require(CountRecords(changed) == count);
        Require(IsHeaderValid(changed) == valid);
    }
    return 0;
}
