#pragma once
// Little-endian integers in byte buffers: the instrument's messages, project files and the
// spreadsheet formats all store them low byte first, whatever the host's byte order.
#include <cstdint>

namespace le {

inline uint16_t Load16(const void* at)
{
    const auto* b = static_cast<const unsigned char*>(at);
    return uint16_t(b[0] | b[1] << 8);
}

inline uint32_t Load32(const void* at)
{
    const auto* b = static_cast<const unsigned char*>(at);
    return uint32_t(Load16(b)) | uint32_t(Load16(b + 2)) << 16;
}

inline uint64_t Load64(const void* at)
{
    const auto* b = static_cast<const unsigned char*>(at);
    return uint64_t(Load32(b)) | uint64_t(Load32(b + 4)) << 32;
}

inline void Store16(void* at, uint16_t v)
{
    auto* b = static_cast<unsigned char*>(at);
    b[0] = static_cast<unsigned char>(v & 0xFF);
    b[1] = static_cast<unsigned char>(v >> 8);
}

inline void Store32(void* at, uint32_t v)
{
    auto* b = static_cast<unsigned char*>(at);
    Store16(b, uint16_t(v & 0xFFFF));
    Store16(b + 2, uint16_t(v >> 16));
}

inline void Store64(void* at, uint64_t v)
{
    auto* b = static_cast<unsigned char*>(at);
    Store32(b, uint32_t(v & 0xFFFFFFFF));
    Store32(b + 4, uint32_t(v >> 32));
}

} // namespace le
