#include "device/Formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

template <std::size_t N> std::array<uint8_t, N> Bytes(std::initializer_list<int> values)
{
    std::array<uint8_t, N> out{};
    std::size_t i = 0;
    for (int v : values) out.at(i++) = uint8_t(v);
    return out;
}

std::vector<uint8_t> Ascii(std::string_view text) { return {text.begin(), text.end()}; }

// A measurement as the instrument stores it: 17 May 2014 10:23:45, point 3 of series 2,
// range -999..999, fifth object, automatic, steps 20/30, -235.5 mV, 10 in the series.
const RecordBytes kExampleRecord = Bytes<kRecordSize>(
    {0x2D, 0x17, 0x0A, 0x11, 0x05, 0x0E, 0x03, 0x02, 0x19, 0xFC, 0xE7, 0x03, 0x04, 0x01, 0x14, 0x1E,
     0x00, 0x00, 0x00, 0x00, 0x00, 0x70, 0x6D, 0xC0, 0x0A, 0x00, 0x00, 0x00, 0xAA, 0xAA, 0x4C, 0x82});

// Object "Мост"/"Bridge": series of 5, steps 20/30, potential -500..500, resistance 0..999.
const std::array<uint8_t, kSettingsEntrySize> kExampleEntry =
    Bytes<kSettingsEntrySize>({0x05, 0x14, 0x1E, 0x00, 0x0C, 0xFE, 0xF4, 0x01, 0x00, 0x00, 0xE7, 0x03, 0x04,
                               0xCC, 0xEE, 0xF1, 0xF2, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x42, 0x72,
                               0x69, 0x64, 0x67, 0x65, 0x00, 0x00, 0x00, 0x00, 0xAA, 0xAA, 0x46, 0xE3});

SettingsBlock BlockWithExampleAt(std::size_t k, uint8_t filler = 0x5C)
{
    SettingsBlock block;
    block.fill(filler);
    std::memcpy(&block[EntryOffset(k)], kExampleEntry.data(), kExampleEntry.size());
    return block;
}

} // namespace

TEST(Crc16, CheckValues)
{
    std::vector<uint8_t> counting(30);
    for (std::size_t i = 0; i < counting.size(); ++i) counting[i] = uint8_t(i);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        uint16_t crc;
    } cases[] = {
        {"empty", {}, 0x0000},
        {"123456789", Ascii("123456789"), 0xBB3D},
        {"abc", Ascii("abc"), 0x9738},
        {"00..1D", counting, 0x9B84},
    };
    for (const auto& c : cases) EXPECT_EQ(Crc16(c.bytes), c.crc) << c.name;
}

TEST(Crc16, StoredLowByteFirstChecksToZero)
{
    std::vector<uint8_t> bytes(30);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i);

    auto lowFirst = bytes;
    lowFirst.insert(lowFirst.end(), {0x84, 0x9B});
    EXPECT_EQ(Crc16(lowFirst), 0);

    auto highFirst = bytes;
    highFirst.insert(highFirst.end(), {0x9B, 0x84});
    EXPECT_NE(Crc16(highFirst), 0);
}

TEST(Crc16, ContinuesARunningValue)
{
    const auto all = Ascii("123456789");
    const auto head = std::span(all).first(4);
    const auto tail = std::span(all).subspan(4);
    EXPECT_EQ(Crc16(tail, Crc16(head)), 0xBB3D);
}

TEST(Frames, CommandsAreCodeAndComplement)
{
    const struct {
        Command command;
        std::array<uint8_t, 2> bytes;
    } cases[] = {
        {Command::ReadVersion, {0x01, 0xFE}},   {Command::ReadHeader, {0x02, 0xFD}},
        {Command::ReadRecord, {0x03, 0xFC}},    {Command::ReadSettings, {0x04, 0xFB}},
        {Command::WriteSettings, {0x05, 0xFA}}, {Command::ReadScreen, {0x06, 0xF9}},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandFrame(c.command), c.bytes) << int(c.command);
}

TEST(Frames, RecordIndexLowByteFirst)
{
    EXPECT_EQ(RecordFrame(300), (std::array<uint8_t, 4>{0x03, 0xFC, 0x2C, 0x01}));
    EXPECT_EQ(RecordFrame(0), (std::array<uint8_t, 4>{0x03, 0xFC, 0x00, 0x00}));
    EXPECT_EQ(RecordFrame(0xABCD), (std::array<uint8_t, 4>{0x03, 0xFC, 0xCD, 0xAB}));
}

TEST(Frames, ReplyLengthIsLittleEndian)
{
    EXPECT_EQ(EncodeLength(760), (std::array<uint8_t, 4>{0xF8, 0x02, 0x00, 0x00}));
    const struct {
        std::array<uint8_t, 4> bytes;
        uint32_t length;
    } cases[] = {
        {{0xF8, 0x02, 0x00, 0x00}, 760},
        {{0xA0, 0x86, 0x01, 0x00}, 100000},
        {{0x00, 0x00, 0x00, 0x80}, 0x80000000u},
        {{0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFFu},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeLength(c.bytes), c.length);
        EXPECT_EQ(EncodeLength(c.length), c.bytes);
    }
}

TEST(ArchiveHeader, CountsOnlyTheBitmapBits)
{
    HeaderBuffer header{};
    header[0] = 0x07;
    EXPECT_EQ(CountRecords(header), 3u);

    // Everything after the bitmap is ignored, however it is filled.
    std::fill(header.begin() + kRecordBitmapSize, header.end(), 0xFF);
    EXPECT_EQ(CountRecords(header), 3u);

    header[kRecordBitmapSize - 1] = 0x80; // last bit of the last word still counts
    EXPECT_EQ(CountRecords(header), 4u);

    std::fill(header.begin(), header.begin() + kRecordBitmapSize, 0xFF);
    EXPECT_EQ(CountRecords(header), 1760u);
}

TEST(ArchiveHeader, ValidatedByItsMarkerAlone)
{
    HeaderBuffer header{};
    EXPECT_FALSE(IsHeaderValid(header));
    header[7264] = 0xAA;
    header[7265] = 0xAA;
    EXPECT_TRUE(IsHeaderValid(header));
    header[7266] = 0x12; // no checksum: the last two bytes mean nothing
    header[100] = 0x34;
    EXPECT_TRUE(IsHeaderValid(header));
    header[7265] = 0xAB;
    EXPECT_FALSE(IsHeaderValid(header));
    header[7265] = 0xAA;
    header[7264] = 0x2A;
    EXPECT_FALSE(IsHeaderValid(header));
}

TEST(ArchiveRecord, ExampleDecodesFieldByField)
{
    ASSERT_TRUE(IsRecordValid(kExampleRecord));
    const ArchiveRecord r = DecodeRecord(kExampleRecord);
    EXPECT_EQ(r.day, 17);
    EXPECT_EQ(r.month, 5);
    EXPECT_EQ(r.yearSince2000, 14);
    EXPECT_EQ(r.hour, 10);
    EXPECT_EQ(r.minute, 23);
    EXPECT_EQ(r.second, 45);
    EXPECT_EQ(r.pointNumber, 3);
    EXPECT_EQ(r.seriesNumber, 2);
    EXPECT_EQ(r.rangeLow, -999);
    EXPECT_EQ(r.rangeHigh, 999);
    EXPECT_EQ(r.objectIndex, 4);
    EXPECT_EQ(r.mode, 1);
    EXPECT_EQ(r.stepX, 20);
    EXPECT_EQ(r.stepY, 30);
    EXPECT_EQ(r.value, -235.5);
    EXPECT_EQ(r.seriesLength, 10);
    EXPECT_EQ(r.sensorType, 0);
}

TEST(ArchiveRecord, AnySingleByteChangeIsRejected)
{
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        for (int delta = 1; delta < 256; ++delta) {
            RecordBytes damaged = kExampleRecord;
            damaged[i] ^= uint8_t(delta);
            ASSERT_FALSE(IsRecordValid(damaged)) << "byte " << i << " xor " << delta;
        }
    }
}

TEST(ArchiveRecord, RightChecksumWithWrongMarkerIsRejected)
{
    RecordBytes bytes = kExampleRecord;
    bytes[29] = 0xAB;
    WriteU16(&bytes[30], Crc16(std::span(bytes).first(30)));
    ASSERT_EQ(Crc16(bytes), 0);
    EXPECT_FALSE(IsRecordValid(bytes));
}

TEST(ArchiveRecord, EncodeReproducesTheInstrumentBytes)
{
    EXPECT_EQ(EncodeRecord(DecodeRecord(kExampleRecord)), kExampleRecord);

    ArchiveRecord extreme;
    extreme.second = 59;
    extreme.yearSince2000 = 255;
    extreme.rangeLow = -32768;
    extreme.rangeHigh = 32767;
    extreme.objectIndex = 19;
    extreme.value = 1.0e300;
    extreme.seriesLength = 0xFFFF;
    extreme.sensorType = 1;
    extreme.reserved = 0x5A;
    const RecordBytes bytes = EncodeRecord(extreme);
    EXPECT_TRUE(IsRecordValid(bytes));
    EXPECT_EQ(DecodeRecord(bytes), extreme);
}

TEST(ObjectSettings, ExampleEntryDecodesFieldByField)
{
    for (std::size_t k : {std::size_t(0), std::size_t(7), kSettingsEntries - 1}) {
        const SettingsBlock block = BlockWithExampleAt(k);
        ASSERT_TRUE(IsSettingsEntryValid(block, k)) << "entry " << k;
        const ObjectSettings s = DecodeSettingsEntry(block, k);
        EXPECT_EQ(s.seriesLength, 5);
        EXPECT_EQ(s.stepX, 20);
        EXPECT_EQ(s.stepY, 30);
        EXPECT_EQ(s.potentialMin, -500);
        EXPECT_EQ(s.potentialMax, 500);
        EXPECT_EQ(s.resistanceMin, 0);
        EXPECT_EQ(s.resistanceMax, 999);
        EXPECT_EQ(s.nameRu, QStringLiteral("Мост"));
        EXPECT_EQ(s.nameEn, QStringLiteral("Bridge"));
        if (k > 0) {
            EXPECT_FALSE(IsSettingsEntryValid(block, k - 1));
        }
        if (k + 1 < kSettingsEntries) {
            EXPECT_FALSE(IsSettingsEntryValid(block, k + 1));
        }
    }
}

TEST(ObjectSettings, AnySingleByteChangeIsRejected)
{
    const std::size_t k = 3;
    const SettingsBlock block = BlockWithExampleAt(k);
    for (std::size_t i = 0; i < kSettingsEntrySize; ++i) {
        for (int delta = 1; delta < 256; ++delta) {
            SettingsBlock damaged = block;
            damaged[EntryOffset(k) + i] ^= uint8_t(delta);
            ASSERT_FALSE(IsSettingsEntryValid(damaged, k)) << "byte " << i << " xor " << delta;
        }
    }
    // Bytes of the neighbouring entries are not part of the check.
    SettingsBlock neighbours = block;
    neighbours[EntryOffset(k) - 1] ^= 0xFF;
    neighbours[EntryOffset(k + 1)] ^= 0xFF;
    EXPECT_TRUE(IsSettingsEntryValid(neighbours, k));
}

TEST(ObjectSettings, RightChecksumWithWrongMarkerIsRejected)
{
    SettingsBlock block = BlockWithExampleAt(0);
    block[34] = 0x55;
    SealSettingsEntry(block, 0);
    ASSERT_EQ(Crc16(std::span(block).first(kSettingsEntrySize)), 0);
    EXPECT_FALSE(IsSettingsEntryValid(block, 0));
}

TEST(ObjectSettings, EncodeKeepsWhatItDoesNotOwn)
{
    // Writing back what was read gives the instrument exactly its own bytes.
    SettingsBlock block = BlockWithExampleAt(5);
    const SettingsBlock original = block;
    EncodeSettingsEntry(block, 5, DecodeSettingsEntry(block, 5));
    EXPECT_EQ(block, original);

    // New values: byte 3, the marker, unused name bytes and the other entries stay.
    block[EntryOffset(5) + 3] = 0x77;
    ObjectSettings changed;
    changed.seriesLength = 99;
    changed.stepX = 150;
    changed.stepY = 10;
    changed.potentialMin = -999;
    changed.potentialMax = 999;
    changed.resistanceMin = 0;
    changed.resistanceMax = 999;
    changed.nameRu = QStringLiteral("Тоннель");
    changed.nameEn = QStringLiteral("AB");
    EncodeSettingsEntry(block, 5, changed);
    EXPECT_TRUE(IsSettingsEntryValid(block, 5));
    EXPECT_EQ(DecodeSettingsEntry(block, 5), changed);
    const uint8_t* e = &block[EntryOffset(5)];
    EXPECT_EQ(e[3], 0x77);
    EXPECT_EQ(e[34], 0xAA);
    EXPECT_EQ(e[35], 0xAA);
    EXPECT_EQ(e[23 + 4], 0x64); // after "AB\0" the old "Bridge" bytes remain
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (i < EntryOffset(5) || i >= EntryOffset(6)) {
            ASSERT_EQ(block[i], original[i]) << "byte " << i;
        }
    }
}

TEST(ObjectSettings, IndexPastTheLastEntryIsNoEntry)
{
    SettingsBlock block = BlockWithExampleAt(kSettingsEntries - 1);
    const SettingsBlock original = block;
    EXPECT_FALSE(IsSettingsEntryValid(block, kSettingsEntries));
    EXPECT_EQ(DecodeSettingsEntry(block, kSettingsEntries), ObjectSettings{});
    ObjectSettings s;
    s.nameRu = QStringLiteral("X");
    EncodeSettingsEntry(block, kSettingsEntries, s);
    SealSettingsEntry(block, kSettingsEntries);
    EXPECT_EQ(block, original);
}

TEST(NameCodec, Decode)
{
    const struct {
        NameField field;
        QString text;
    } cases[] = {
        {Bytes<11>({0x03, 'A', 'B', 'C', 0x00, 'X', 'X'}), QStringLiteral("ABC")},
        {Bytes<11>({0x00, 'A', 'B'}), QString()},
        {Bytes<11>({0x0B, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'}), QString()},
        {Bytes<11>({0x80, 'A', 'B'}), QString()},
        {Bytes<11>({0xFF, 'A', 'B'}), QString()},
        {Bytes<11>({0x0A, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'}), QStringLiteral("ABCDEFGHIJ")},
        {Bytes<11>({0x05, 'A', 'B', 0x00, 'C', 'D'}), QStringLiteral("AB")},
        {Bytes<11>({0x04, 0xCC, 0xEE, 0xF1, 0xF2, 0x00}), QStringLiteral("Мост")},
        {Bytes<11>({0x01, 0xB9}), QStringLiteral("№")},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeName(c.field), c.text) << c.text.toStdString();
}

TEST(NameCodec, Encode)
{
    const QString tenth =
        QStringLiteral("ABCDEFGHI") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("X");
    const struct {
        QString text;
        NameField expected; // the field was filled with 0xEE before
    } cases[] = {
        {QStringLiteral("ABCDEFGHIJKL"), Bytes<11>({0x0A, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'})},
        {QStringLiteral("ABC"), Bytes<11>({0x03, 'A', 'B', 'C', 0x00, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE})},
        {QString(), Bytes<11>({0x00, 0x00, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE})},
        {QString::fromUtf16(u"AB\0CD", 5),
         Bytes<11>({0x02, 'A', 'B', 0x00, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE})},
        {QStringLiteral("Мост"),
         Bytes<11>({0x04, 0xCC, 0xEE, 0xF1, 0xF2, 0x00, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE})},
        // A character outside the code page is one '?', also when it takes two UTF-16 units.
        {QString::fromUcs4(U"A\U0001F600\u00E4B"),
         Bytes<11>({0x04, 'A', '?', '?', 'B', 0x00, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE})},
        {tenth, Bytes<11>({0x0A, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', '?'})},
    };
    for (const auto& c : cases) {
        NameField field;
        field.fill(0xEE);
        EncodeName(c.text, field);
        EXPECT_EQ(field, c.expected) << c.text.toStdString();
    }
}

TEST(FirmwareDate, Rule)
{
    const struct {
        const char* date;
        FirmwareDate expected;
    } cases[] = {
        {"12.09.2012", FirmwareDate::Accepted},   {"01.01.2013", FirmwareDate::Accepted},
        {"11.09.2012", FirmwareDate::Outdated},   {"31.12.2011", FirmwareDate::Outdated},
        {"12/09-2012", FirmwareDate::Accepted}, // the separators are not looked at
        {"13.08.2012", FirmwareDate::Outdated}, // months count 30 days: 13 + 240 < 12 + 270
        {"1a.09.2012", FirmwareDate::Unreadable}, {"12.0x.2012", FirmwareDate::Unreadable},
        {"12.09.201 ", FirmwareDate::Unreadable}, {"ab.cd.efgh", FirmwareDate::Unreadable},
        {"-1.09.2013", FirmwareDate::Unreadable},
    };
    for (const auto& c : cases) {
        VersionBuffer reply;
        reply.fill('7'); // the bytes before the date are not interpreted
        std::memcpy(reply.data() + kVersionSize - 10, c.date, 10);
        EXPECT_EQ(CheckFirmwareDate(reply, kVersionSize), c.expected) << c.date;
        EXPECT_EQ(IsFirmwareOutdated(reply, kVersionSize), c.expected != FirmwareDate::Accepted) << c.date;
    }
}

TEST(FirmwareDate, DateIsTheLastTenBytesReceived)
{
    VersionBuffer reply;
    reply.fill('0'); // left over from an earlier reply: would read as 00.00.0000
    std::memcpy(reply.data() + 4, "LM11 01.01.2013", 15);

    EXPECT_EQ(CheckFirmwareDate(reply, 19), FirmwareDate::Accepted);
    EXPECT_EQ(CheckFirmwareDate(reply, 32), FirmwareDate::Outdated);
    std::memcpy(reply.data() + 22, "01.01.2013", 10);
    EXPECT_EQ(CheckFirmwareDate(reply, 100000), FirmwareDate::Accepted); // cut to 32

    std::memcpy(reply.data(), "12.09.2012", 10);
    EXPECT_EQ(CheckFirmwareDate(reply, 10), FirmwareDate::Accepted);
    for (std::size_t shorter : {0, 1, 9}) {
        EXPECT_EQ(CheckFirmwareDate(reply, shorter), FirmwareDate::Unreadable) << shorter;
        EXPECT_TRUE(IsFirmwareOutdated(reply, shorter)) << shorter;
    }
}

TEST(ScreenImage, PixelLayout)
{
    const auto inked = [](const ScreenImage& image) {
        std::vector<std::pair<int, int>> pixels;
        for (int y = 0; y < kScreenHeight; ++y)
            for (int x = 0; x < kScreenWidth; ++x)
                if (ScreenPixel(image, x, y)) pixels.emplace_back(x, y);
        return pixels;
    };
    using Pixels = std::vector<std::pair<int, int>>;

    ScreenImage image{};
    EXPECT_EQ(inked(image), Pixels{});

    image[0] = 0x01; // word 0, bit 0: top left
    EXPECT_EQ(inked(image), (Pixels{{0, 0}}));

    image = {};
    image[2 * 128] = 0xFF; // word 128: column 0 of the second page
    EXPECT_EQ(inked(image), (Pixels{{0, 8}, {0, 9}, {0, 10}, {0, 11}, {0, 12}, {0, 13}, {0, 14}, {0, 15}}));

    image = {};
    image[2 * 1023] = 0x80;  // last word, bit 7: bottom right
    image[2 * 5 + 0] = 0x04; // word 5, bit 2
    EXPECT_EQ(inked(image), (Pixels{{5, 2}, {127, 63}}));

    image = {};
    for (std::size_t w = 0; w < 1024; ++w) image[2 * w + 1] = 0xFF; // high bytes carry nothing
    EXPECT_EQ(inked(image), Pixels{});
}

TEST(ScreenImage, OutsideTheDisplayIsBackground)
{
    ScreenImage image;
    image.fill(0xFF);
    EXPECT_TRUE(ScreenPixel(image, 0, 0));
    EXPECT_TRUE(ScreenPixel(image, 127, 63));
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {128, 0}, {0, 64}, {128, 64}, {-1000000, 1000000}})
        EXPECT_FALSE(ScreenPixel(image, x, y)) << x << "," << y;
}
