#include "Cp1251.h"

#include <array>

namespace {

// Unicode code points of bytes 0x80..0xFF. 0x98 is undefined in the code page; it is
// mapped to U+0098 so that every byte round-trips.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

} // namespace

QChar Cp1251Char(unsigned char byte)
{
    if (byte < 0x80) return QChar(char16_t(byte));
    if (byte >= 0xC0) return QChar(char16_t(0x0410 + (byte - 0xC0))); // А..я in order
    return QChar(kHigh[byte - 0x80]);
}

bool IsSurrogatePairAt(const QString& text, qsizetype i)
{
    return i + 1 < text.size() && text[i].isHighSurrogate() && text[i + 1].isLowSurrogate();
}

bool Cp1251Byte(QChar c, char& out)
{
    const char16_t u = c.unicode();
    if (u < 0x80) {
        out = char(u);
        return true;
    }
    if (u >= 0x0410 && u <= 0x044F) {
        out = char(0xC0 + (u - 0x0410));
        return true;
    }
    for (int i = 0; i < 0x40; ++i) {
        if (kHigh[i] == u) {
            out = char(0x80 + i);
            return true;
        }
    }
    return false;
}

void AppendCp1251(QByteArray& out, const QString& text)
{
    const QChar* d = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char b;
        if (Cp1251Byte(d[i], b)) {
            out.append(b);
            continue;
        }
        // A character beyond the 16-bit range is one character to the reader, so it
        // becomes one '?', not one per half of its surrogate pair.
        if (IsSurrogatePairAt(text, i)) ++i;
        out.append(kCp1251Unmappable);
    }
}

QByteArray ToCp1251(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    AppendCp1251(out, text);
    return out;
}

QString FromCp1251(const char* bytes, qsizetype length)
{
    QString out;
    out.resize(length);
    QChar* d = out.data();
    for (qsizetype i = 0; i < length; ++i) d[i] = Cp1251Char(static_cast<unsigned char>(bytes[i]));
    return out;
}

QString FromCp1251(const QByteArray& bytes) { return FromCp1251(bytes.constData(), bytes.size()); }
