#pragma once
// The instrument's memory as it would send it: records, archive header, settings block and
// display image, built from a scenario's compact description.
#include "model/Bytes.h"
#include "model/Scenario.h"

#include <array>
#include <optional>
#include <string>

namespace lm11sim {

inline constexpr std::size_t kHeaderBytes = 7268;
inline constexpr std::size_t kRecordBytes = 32;
inline constexpr std::size_t kSettingsBytes = 760;
inline constexpr std::size_t kEntryBytes = 38;
inline constexpr std::size_t kScreenBytes = 2048;
inline constexpr std::size_t kSlots = 1760;

using Record = std::array<uint8_t, kRecordBytes>;
using SettingsBlock = std::array<uint8_t, kSettingsBytes>;

struct Archive {
    std::vector<Record> records; ///< in the order the program asks for them (index 0..n-1)
    Bytes header;                ///< 7268 bytes, one bitmap bit per stored record
    SettingsBlock settings{};
    Bytes screen; ///< 2048 bytes
};

/// Builds the archive; fails (with `error`) on more than 1760 records or an unreadable screen file.
std::optional<Archive> BuildArchive(const Scenario& scenario, std::string& error);
/// One 38-byte settings entry with its marker and CRC.
void WriteSettingsEntry(SettingsBlock& block, int k, const ObjectSpec& object);
/// A settings entry is whole when its CRC over 38 bytes is 0 and its marker is AA AA.
bool SettingsEntryWhole(const SettingsBlock& block, int k);

} // namespace lm11sim
