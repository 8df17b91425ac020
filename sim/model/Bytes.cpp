#include "model/Bytes.h"

namespace lm11sim {

uint16_t Crc16(std::span<const uint8_t> bytes)
{
    uint16_t crc = 0;
    for (uint8_t b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

void PutU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

std::string Hex(std::span<const uint8_t> bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) out += ' ';
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

std::string Utf8ToCp1251(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = uint8_t(s[i]);
        char32_t cp;
        int extra;
        if (c < 0x80) {
            cp = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else {
            cp = c & 0x07;
            extra = 3;
        }
        ++i;
        for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = cp << 6 | (uint8_t(s[i]) & 0x3F);
        if (cp < 0x80)
            out += char(cp);
        else if (cp >= 0x410 && cp <= 0x44F)
            out += char(0xC0 + (cp - 0x410));
        else if (cp == 0x401)
            out += char(0xA8);
        else if (cp == 0x451)
            out += char(0xB8);
        else if (cp == 0x2116)
            out += char(0xB9);
        else
            out += '?';
    }
    return out;
}

} // namespace lm11sim
