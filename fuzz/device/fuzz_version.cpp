#include "ReplyFeed.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    VersionBuffer reply{};
    ReplyFeed feed(data, size);
    ReplyFeed::Reply r;
    while (feed.receive(reply, true, r)) {
        for (std::size_t length : {r.received, r.asked, std::size_t(r.announced)}) {
            const FirmwareDate date = CheckFirmwareDate(reply, length);
            Require(IsFirmwareOutdated(reply, length) == (date != FirmwareDate::Accepted));
            if (length < 10) Require(date == FirmwareDate::Unreadable);
        }
        // Whatever was announced past the buffer, the date is read from its last 10 bytes.
        Require(CheckFirmwareDate(reply, r.announced) == CheckFirmwareDate(reply, r.asked));
    }
    return 0;
}
