#include "ReplyFeed.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    auto slot = std::make_unique<RecordBytes>();
    slot->fill(0);
    ReplyFeed feed(data, size);
    ReplyFeed::Reply r;
    while (feed.receive(*slot, true, r)) {
        const ArchiveRecord record = DecodeRecord(*slot);
        if (IsRecordValid(*slot)) {
            // A record that passed the checks is rebuilt byte for byte from its fields.
            Require(EncodeRecord(record) == *slot);
        }
        Require(IsRecordValid(EncodeRecord(record)));
    }
    return 0;
}
