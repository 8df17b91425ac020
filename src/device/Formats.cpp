#include "Formats.h"

#include "bytes/LittleEndian.h"
#include "texts/Cp1251.h"

#include <bit>
#include <cstring>

namespace {

constexpr std::array<uint16_t, 256> MakeCrcTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned n = 0; n < 256; ++n) {
        uint16_t crc = uint16_t(n);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
        table[n] = crc;
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0xC0C1 && kCrcTable[128] == 0xA001);

// Offsets inside a settings entry.
constexpr std::size_t kEntryNameRu = 12;
constexpr std::size_t kEntryNameEn = 23;
constexpr std::size_t kEntryMarker = 34;
constexpr std::size_t kEntryCrc = 36;

constexpr int kReferenceValue = 12 + 30 * 9 + 365 * 2012; // 12.09.2012 = 734662

bool ParseDigits(const uint8_t* p, int count, int& value)
{
    value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9') return false;
        value = value * 10 + (p[i] - '0');
    }
    return true;
}

} // namespace

uint16_t Crc16(std::span<const uint8_t> bytes, uint16_t crc)
{
    for (uint8_t b : bytes) crc = uint16_t((crc >> 8) ^ kCrcTable[(crc ^ b) & 0xFF]);
    return crc;
}

std::array<uint8_t, 2> CommandFrame(Command command)
{
    const auto c = static_cast<uint8_t>(command);
    return {c, uint8_t(0xFF - c)};
}

std::array<uint8_t, 4> RecordFrame(uint16_t index)
{
    const auto frame = CommandFrame(Command::ReadRecord);
    return {frame[0], frame[1], uint8_t(index & 0xFF), uint8_t(index >> 8)};
}

uint32_t DecodeLength(std::span<const uint8_t, kLengthSize> b) { return le::Load32(b.data()); }

std::array<uint8_t, kLengthSize> EncodeLength(uint32_t length)
{
    std::array<uint8_t, kLengthSize> b{};
    le::Store32(b.data(), length);
    return b;
}

uint16_t ReadU16(const uint8_t* p) { return le::Load16(p); }
int16_t ReadI16(const uint8_t* p) { return static_cast<int16_t>(ReadU16(p)); }
void WriteU16(uint8_t* p, uint16_t v) { le::Store16(p, v); }

uint32_t CountRecords(const HeaderBuffer& header)
{
    uint32_t count = 0;
    for (std::size_t i = 0; i < kRecordBitmapSize; ++i) count += uint32_t(std::popcount(header[i]));
    return count;
}

bool IsHeaderValid(const HeaderBuffer& header) { return ReadU16(&header[kHeaderMarkerOffset]) == kMarker; }

bool IsRecordValid(const RecordBytes& bytes) { return Crc16(bytes) == 0 && ReadU16(&bytes[28]) == kMarker; }

ArchiveRecord DecodeRecord(const RecordBytes& b)
{
    ArchiveRecord r;
    r.second = b[0];
    r.minute = b[1];
    r.hour = b[2];
    r.day = b[3];
    r.month = b[4];
    r.yearSince2000 = b[5];
    r.pointNumber = b[6];
    r.seriesNumber = b[7];
    r.rangeLow = ReadI16(&b[8]);
    r.rangeHigh = ReadI16(&b[10]);
    r.objectIndex = b[12];
    r.mode = b[13];
    r.stepX = b[14];
    r.stepY = b[15];
    r.value = std::bit_cast<double>(le::Load64(&b[16]));
    r.seriesLength = ReadU16(&b[24]);
    r.sensorType = b[26];
    r.reserved = b[27];
    return r;
}

RecordBytes EncodeRecord(const ArchiveRecord& r)
{
    RecordBytes b{};
    b[0] = r.second;
    b[1] = r.minute;
    b[2] = r.hour;
    b[3] = r.day;
    b[4] = r.month;
    b[5] = r.yearSince2000;
    b[6] = r.pointNumber;
    b[7] = r.seriesNumber;
    WriteU16(&b[8], uint16_t(r.rangeLow));
    WriteU16(&b[10], uint16_t(r.rangeHigh));
    b[12] = r.objectIndex;
    b[13] = r.mode;
    b[14] = r.stepX;
    b[15] = r.stepY;
    le::Store64(&b[16], std::bit_cast<uint64_t>(r.value));
    WriteU16(&b[24], r.seriesLength);
    b[26] = r.sensorType;
    b[27] = r.reserved;
    WriteU16(&b[28], kMarker);
    WriteU16(&b[30], Crc16(std::span(b).first(30)));
    return b;
}

QString DecodeName(const NameField& field)
{
    const auto n = static_cast<int8_t>(field[0]);
    if (n < 1 || n > kNameChars) return {};
    int length = 0;
    while (length < n && field[1 + length] != 0) ++length;
    return FromCp1251(reinterpret_cast<const char*>(&field[1]), length);
}

void EncodeName(const QString& text, NameField& field)
{
    int copied = 0;
    for (qsizetype i = 0; i < text.size() && copied < kNameChars; ++i) {
        const QChar c = text[i];
        if (c.unicode() == 0) break;
        char byte;
        if (!Cp1251Byte(c, byte)) {
            byte = kCp1251Unmappable;
            // The instrument counts characters, not UTF-16 halves.
            if (IsSurrogatePairAt(text, i)) ++i;
        }
        field[1 + copied] = static_cast<uint8_t>(byte);
        ++copied;
    }
    field[0] = uint8_t(copied);
    if (copied < kNameChars) field[1 + copied] = 0;
}

bool IsSettingsEntryValid(const SettingsBlock& block, std::size_t k)
{
    if (k >= kSettingsEntries) return false;
    const auto entry = std::span(block).subspan(EntryOffset(k), kSettingsEntrySize);
    return Crc16(entry) == 0 && ReadU16(&entry[kEntryMarker]) == kMarker;
}

namespace {
NameField NameAt(const SettingsBlock& block, std::size_t offset)
{
    NameField field;
    std::memcpy(field.data(), &block[offset], field.size());
    return field;
}
} // namespace

ObjectSettings DecodeSettingsEntry(const SettingsBlock& block, std::size_t k)
{
    if (k >= kSettingsEntries) return {};
    const uint8_t* e = &block[EntryOffset(k)];
    ObjectSettings s;
    s.seriesLength = e[0];
    s.stepX = e[1];
    s.stepY = e[2];
    s.potentialMin = ReadI16(e + 4);
    s.potentialMax = ReadI16(e + 6);
    s.resistanceMin = ReadI16(e + 8);
    s.resistanceMax = ReadI16(e + 10);
    s.nameRu = DecodeName(NameAt(block, EntryOffset(k) + kEntryNameRu));
    s.nameEn = DecodeName(NameAt(block, EntryOffset(k) + kEntryNameEn));
    return s;
}

void EncodeSettingsEntry(SettingsBlock& block, std::size_t k, const ObjectSettings& s)
{
    if (k >= kSettingsEntries) return;
    uint8_t* e = &block[EntryOffset(k)];
    e[0] = s.seriesLength;
    e[1] = s.stepX;
    e[2] = s.stepY;
    WriteU16(e + 4, uint16_t(s.potentialMin));
    WriteU16(e + 6, uint16_t(s.potentialMax));
    WriteU16(e + 8, uint16_t(s.resistanceMin));
    WriteU16(e + 10, uint16_t(s.resistanceMax));
    NameField ru = NameAt(block, EntryOffset(k) + kEntryNameRu);
    EncodeName(s.nameRu, ru);
    std::memcpy(e + kEntryNameRu, ru.data(), ru.size());
    NameField en = NameAt(block, EntryOffset(k) + kEntryNameEn);
    EncodeName(s.nameEn, en);
    std::memcpy(e + kEntryNameEn, en.data(), en.size());
    SealSettingsEntry(block, k);
}

void SealSettingsEntry(SettingsBlock& block, std::size_t k)
{
    if (k >= kSettingsEntries) return;
    uint8_t* e = &block[EntryOffset(k)];
    WriteU16(e + kEntryCrc, Crc16(std::span<const uint8_t>(e, kEntryCrc)));
}

FirmwareDate CheckFirmwareDate(const VersionBuffer& reply, std::size_t length)
{
    if (length > kVersionSize) length = kVersionSize;
    if (length < 10) return FirmwareDate::Unreadable;
    const uint8_t* date = &reply[length - 10];
    int day, month, year;
    if (!ParseDigits(date, 2, day) || !ParseDigits(date + 3, 2, month) || !ParseDigits(date + 6, 4, year))
        return FirmwareDate::Unreadable;
    const int value = day + 30 * month + 365 * year;
    return value < kReferenceValue ? FirmwareDate::Outdated : FirmwareDate::Accepted;
}

bool IsFirmwareOutdated(const VersionBuffer& reply, std::size_t length)
{
    return CheckFirmwareDate(reply, length) != FirmwareDate::Accepted;
}

bool ScreenPixel(const ScreenImage& image, int x, int y)
{
    if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) return false;
    // Word w = page * 128 + column, little-endian, so its low byte is at 2w; the high byte
    // carries nothing.
    const std::size_t word = std::size_t(y / 8) * kScreenWidth + std::size_t(x);
    return (image[2 * word] >> (y % 8)) & 1;
}
