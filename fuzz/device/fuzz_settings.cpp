#include "ReplyFeed.h"

#include "texts/Cp1251.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    auto block = std::make_unique<SettingsBlock>();
    block->fill(0);
    ReplyFeed feed(data, size);
    // As with the screen: each intermediate block is the last block of a shorter input, so the
    // block is checked once, after the last reply.
    feed.receiveAll(*block, true);
    Require(!IsSettingsEntryValid(*block, kSettingsEntries));
    for (std::size_t k = 0; k < kSettingsEntries; ++k) {
        const bool valid = IsSettingsEntryValid(*block, k);
        const ObjectSettings read = DecodeSettingsEntry(*block, k);
        Require(read.nameRu.size() <= kNameChars && read.nameEn.size() <= kNameChars);
        Require(FromCp1251(ToCp1251(read.nameRu)) == read.nameRu);

        // Sending back what was read: the fields survive, the entry checks out when its
        // marker does, and the bytes the program does not own stay as read.
        auto sent = std::make_unique<SettingsBlock>(*block);
        EncodeSettingsEntry(*sent, k, read);
        const uint8_t* before = block->data() + EntryOffset(k);
        const uint8_t* after = sent->data() + EntryOffset(k);
        if (valid) Require(ReadU16(before + 34) == kMarker);
        Require(IsSettingsEntryValid(*sent, k) == (ReadU16(before + 34) == kMarker));
        Require(DecodeSettingsEntry(*sent, k) == read);
        Require(after[3] == before[3] && after[34] == before[34] && after[35] == before[35]);
        Require(std::memcmp(sent->data(), block->data(), EntryOffset(k)) == 0);
        Require(std::memcmp(sent->data() + EntryOffset(k + 1), block->data() + EntryOffset(k + 1),
                            kSettingsBlockSize - EntryOffset(k + 1)) == 0);
    }
    return 0;
}
