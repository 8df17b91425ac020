#pragma once
// Turns fuzz input into replies received the way the worker receives them: each reply is a
// 4-byte little-endian announced length followed by the body. The announced length is cut
// to the buffer's size; the body that follows may be shorter than that (the input ran out),
// and then the rest of the buffer keeps what an earlier reply left in it. Several replies
// in one input land in the same buffer one after the other.
#include "device/Formats.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

class ReplyFeed {
public:
    ReplyFeed(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    struct Reply {
        uint32_t announced = 0; ///< length as the instrument announced it
        std::size_t asked = 0;  ///< announced, cut to the buffer size
        std::size_t received = 0;
    };

    /// Receives the next reply into `buffer`. With `lengthIntoBuffer` the 4 length bytes are
    /// first read into the start of the buffer, as the worker does with every reply. False
    /// when no whole length is left.
    template <std::size_t N> bool receive(std::array<uint8_t, N>& buffer, bool lengthIntoBuffer, Reply& reply)
    {
        static_assert(N >= kLengthSize);
        if (size_ < kLengthSize) return false;
        std::array<uint8_t, kLengthSize> length;
        std::memcpy(length.data(), data_, kLengthSize);
        take(kLengthSize);
        if (lengthIntoBuffer) std::memcpy(buffer.data(), length.data(), kLengthSize);
        reply.announced = DecodeLength(length);
        reply.asked = std::min<std::size_t>(reply.announced, N);
        reply.received = std::min(reply.asked, size_);
        std::memcpy(buffer.data(), data_, reply.received);
        take(reply.received);
        return true;
    }

    /// Receives every reply of the input into `buffer`, one after the other.
    template <std::size_t N> void receiveAll(std::array<uint8_t, N>& buffer, bool lengthIntoBuffer)
    {
        Reply reply;
        while (receive(buffer, lengthIntoBuffer, reply)) continue;
    }

private:
    void take(std::size_t n)
    {
        data_ += n;
        size_ -= n;
    }

    const uint8_t* data_;
    std::size_t size_;
};

/// Stops the run with a crash report when a property of the formats does not hold.
inline void Require(bool condition)
{
    if (!condition) std::abort();
}
