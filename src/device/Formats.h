#pragma once
// Bytes on the wire between the program and the instrument: command frames, reply
// lengths, the reply bodies and their checks. Little-endian throughout. No Qt Widgets.
#include "bytes/InstrumentSizes.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Receiving buffers have these fixed sizes; every announced length is cut to them.
inline constexpr std::size_t kVersionSize = 32;
inline constexpr std::size_t kHeaderSize = 7268;
inline constexpr std::size_t kRecordSize = 32;
inline constexpr std::size_t kSettingsBlockSize = 760;
inline constexpr std::size_t kSettingsEntrySize = 38;
inline constexpr std::size_t kSettingsEntries = 20;
inline constexpr std::size_t kScreenSize = 2048;
inline constexpr std::size_t kLengthSize = 4;
static_assert(kSettingsEntries == std::size_t(kInstrumentObjects) &&
              kSettingsEntrySize == kInstrumentEntryBytes && kSettingsBlockSize == kInstrumentSettingsBytes &&
              kScreenSize == kInstrumentScreenBytes);
inline constexpr std::size_t kMaxRecords = 1760;
/// Bytes of the header's record bitmap (55 words); bytes after it are not counted.
inline constexpr std::size_t kRecordBitmapSize = 220;
inline constexpr std::size_t kHeaderMarkerOffset = 7264;
inline constexpr uint16_t kMarker = 0xAAAA;
/// Settings block pieces are sent in transfers of at most this many bytes.
inline constexpr std::size_t kSettingsPiece = 64;

using VersionBuffer = std::array<uint8_t, kVersionSize>;
using HeaderBuffer = std::array<uint8_t, kHeaderSize>;
using RecordBytes = std::array<uint8_t, kRecordSize>;
using SettingsBlock = std::array<uint8_t, kSettingsBlockSize>;
using ScreenImage = std::array<uint8_t, kScreenSize>;
using NameField = std::array<uint8_t, 11>;
/// Characters a name field holds at most.
inline constexpr int kNameChars = 10;

/// CRC-16/ARC (reflected 0x8005, initial 0, no final XOR), table driven. `crc` continues a
/// running value.
uint16_t Crc16(std::span<const uint8_t> bytes, uint16_t crc = 0);

enum class Command : uint8_t {
    ReadVersion = 0x01,
    ReadHeader = 0x02,
    ReadRecord = 0x03,
    ReadSettings = 0x04,
    WriteSettings = 0x05,
    ReadScreen = 0x06,
};

/// A two-byte command: the code and its complement (01 FE ... 06 F9).
std::array<uint8_t, 2> CommandFrame(Command command);
/// The record request: 03 FC, then the index low byte first.
std::array<uint8_t, 4> RecordFrame(uint16_t index);

/// The 4-byte little-endian length that precedes every reply body.
uint32_t DecodeLength(std::span<const uint8_t, kLengthSize> bytes);
std::array<uint8_t, kLengthSize> EncodeLength(uint32_t length);

uint16_t ReadU16(const uint8_t* p);
int16_t ReadI16(const uint8_t* p);
void WriteU16(uint8_t* p, uint16_t v);

// ---- Archive header ----
/// Number of 1 bits in the record bitmap (bytes 0..219); 0..1760.
uint32_t CountRecords(const HeaderBuffer& header);
/// The header has no checksum; only its marker at offset 7264 is checked.
bool IsHeaderValid(const HeaderBuffer& header);

// ---- Archive record ----
struct ArchiveRecord {
    uint8_t second = 0;
    uint8_t minute = 0;
    uint8_t hour = 0;
    uint8_t day = 0;
    uint8_t month = 0;
    uint8_t yearSince2000 = 0;
    uint8_t pointNumber = 0;
    uint8_t seriesNumber = 0;
    int16_t rangeLow = 0;
    int16_t rangeHigh = 0;
    uint8_t objectIndex = 0;
    uint8_t mode = 0;
    uint8_t stepX = 0;
    uint8_t stepY = 0;
    double value = 0;
    uint16_t seriesLength = 0;
    uint8_t sensorType = 0;
    uint8_t reserved = 0; ///< byte 27, not interpreted

    bool operator==(const ArchiveRecord&) const = default;
};

/// A record is accepted when the CRC over all 32 bytes is 0 and its marker is 0xAAAA.
bool IsRecordValid(const RecordBytes& bytes);
ArchiveRecord DecodeRecord(const RecordBytes& bytes);
/// The 32 bytes of `record` with marker and CRC filled in.
RecordBytes EncodeRecord(const ArchiveRecord& record);

// ---- Object settings ----
/// Name field: byte 0 the length (1..10 valid), then Windows-1251 characters.
QString DecodeName(const NameField& field);
/// Copies at most 10 characters (a character 0 ends the text); byte 0 := count, a 0 byte
/// follows when fewer than 10 were copied, the remaining bytes keep their contents.
/// Characters outside Windows-1251 become one '?' each (a surrogate pair is one character).
void EncodeName(const QString& text, NameField& field);

struct ObjectSettings {
    uint8_t seriesLength = 0;
    uint8_t stepX = 0;
    uint8_t stepY = 0;
    int16_t potentialMin = 0;
    int16_t potentialMax = 0;
    int16_t resistanceMin = 0;
    int16_t resistanceMax = 0;
    QString nameRu;
    QString nameEn;

    bool operator==(const ObjectSettings&) const = default;
};

inline constexpr std::size_t EntryOffset(std::size_t k) { return k * kSettingsEntrySize; }
// Entry functions take k in 0..19; any other k is not an entry (invalid, empty, untouched).
/// Entry k (0..19): CRC over its 38 bytes is 0 and the marker at offset 34 is 0xAAAA.
bool IsSettingsEntryValid(const SettingsBlock& block, std::size_t k);
ObjectSettings DecodeSettingsEntry(const SettingsBlock& block, std::size_t k);
/// Writes the fields of entry k, keeping byte 3, the marker and the unused name bytes as
/// they are, then recomputes the entry's CRC over bytes 0..35.
void EncodeSettingsEntry(SettingsBlock& block, std::size_t k, const ObjectSettings& settings);
/// Recomputes the CRC of entry k (bytes 36..37, low byte first) from bytes 0..35.
void SealSettingsEntry(SettingsBlock& block, std::size_t k);

// ---- Firmware version ----
enum class FirmwareDate { Accepted, Outdated, Unreadable };
/// The date rule over the last 10 of the `length` bytes received (length cut to 32):
/// DD.MM.YYYY, value day + 30*month + 365*year compared with 12.09.2012. Shorter than 10
/// bytes, or a non-digit in day, month or year: Unreadable.
FirmwareDate CheckFirmwareDate(const VersionBuffer& reply, std::size_t length);
/// True unless the date is accepted (an unreadable date counts as outdated).
bool IsFirmwareOutdated(const VersionBuffer& reply, std::size_t length);

// ---- Screen image ----
inline constexpr int kScreenWidth = 128;
inline constexpr int kScreenHeight = 64;
/// Whether display pixel (x, y) is ink; x 0..127 left to right, y 0..63 top to bottom.
/// Pixels outside the display are background.
bool ScreenPixel(const ScreenImage& image, int x, int y);
