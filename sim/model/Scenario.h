#pragma once
// What the simulated instrument holds and how it misbehaves, read from a small text file.
// The format is described in sim/README.md.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lm11sim {

/// The five replies the instrument can send.
enum class Reply { Version = 0, Header, Record, Settings, Screen };
inline constexpr int kReplyKinds = 5;

struct DateTime {
    int year = 2014, month = 5, day = 17, hour = 9, minute = 0, second = 0;
    void addSeconds(long seconds);
};

struct DeviceSpec {
    uint16_t vendor = 0x03EB;
    uint16_t product = 0x0202;
    int bus = 1;
};

struct ObjectSpec {
    uint8_t seriesLength = 10;
    uint8_t stepX = 10;
    uint8_t stepY = 10;
    uint8_t byte3 = 0;
    int16_t potentialMin = -999, potentialMax = 999;
    int16_t resistanceMin = 0, resistanceMax = 999;
    std::string nameRu, nameEn; ///< UTF-8
};

/// A corroding area: potential drops by `depth` mV at (x, y) and fades smoothly to nothing at
/// `radius` grid steps.
struct Hotspot {
    double x = 0, y = 0, radius = 1, depth = -300;
};

/// A survey field over a grid of (point, series row): the potential a half-cell would read and
/// the resistivity a Wenner probe would, both from the same corrosion activity.
struct FieldSpec {
    double base = -150;                  ///< passive concrete, mV
    double gradientX = 0, gradientY = 0; ///< mV per point / per series row
    std::vector<Hotspot> hotspots;
    double noise = 3;              ///< potential noise, mV (standard deviation)
    double dry = 120, wet = 8;     ///< resistivity of sound concrete / at a hotspot's centre
    double resistanceNoise = 0.06; ///< relative resistivity noise (standard deviation)
};

struct SeriesSpec {
    int objectFirst = 1, objectLast = 1; ///< 1..20
    int sensor = 0;                      ///< 0 potential, 1 resistance
    int number = -1;                     ///< first series number; -1: next free for the object
    int count = 1;                       ///< consecutive series made from this line
    int length = -1;                     ///< announced series length; -1: the object's
    int points = -1;                     ///< records stored per series; fewer than length = incomplete
    std::optional<std::pair<double, double>> valueRange;
    std::vector<double> values;
    int mode = 1;
    std::optional<DateTime> start;
    int interval = 20; ///< seconds between points
    int stepX = -1, stepY = -1;
    std::optional<std::pair<int, int>> range;
    std::string field; ///< values from this field instead of `values`
    int row = 1;       ///< grid row of the first series in the field
};

/// How the instrument lists its records and counts series.
enum class ArchiveOrder { OldestFirst, NewestFirst };
enum class SeriesNumbering { PerObject, PerSensor };

struct TransferFault {
    int error = -5; ///< negative errno returned; -110 waits the whole time-out first
};

struct Scenario {
    std::string directory; ///< relative paths are taken from here

    std::vector<DeviceSpec> devices{DeviceSpec{}};
    int appearAfter = 0;  ///< the instrument is missing from the first N device looks
    int unplugAfter = -1; ///< the instrument vanishes after N transfers (-1 never)
    int denyOpen = 0;     ///< usb_open gives no handle and sets errno to this (0 never)
    int denyClaim = 0;    ///< usb_claim_interface gives minus this (0 never)

    std::array<int, kReplyKinds> prepareMs{80, 50, 50, 0, 0};
    int settingsPrepareMs = 300; ///< after 05 FA the instrument takes no data for this long
    int settingsPieceMs = 15;    ///< and this long after every piece of the block

    std::array<int64_t, kReplyKinds> announce{-1, -1, -1, -1, -1}; ///< forced length word
    std::array<int, kReplyKinds> shortBody{-1, -1, -1, -1, -1};    ///< body cut to n bytes

    std::string versionText = "LM-1.1 fw 2.04 15.03.2013";

    std::array<ObjectSpec, 20> objects;
    std::vector<SeriesSpec> series;
    std::map<std::string, FieldSpec> fields;
    DateTime start;
    bool spreadBitmap = false;
    ArchiveOrder order = ArchiveOrder::OldestFirst;
    SeriesNumbering numbering = SeriesNumbering::PerObject;
    uint32_t seed = 1; ///< measurement noise: the same seed gives the same archive

    std::vector<int> badRecordCrc, badRecordMarker;
    int badHeaderMarker = 0;                     ///< replies with a bad marker; -1 every one
    std::map<int, int> badSettingsCrc;           ///< entry -> replies affected (-1 every one)
    std::map<int, TransferFault> transferFaults; ///< by transfer number, 1-based

    std::string screen = "border"; ///< border | blank | full | file path
    std::string transcriptPath, statePath;
};

/// Parses a scenario; on failure returns nothing and sets `error` to "line N: ...".
std::optional<Scenario> ParseScenario(std::string_view text, const std::string& directory,
                                      std::string& error);
std::optional<Scenario> LoadScenarioFile(const std::string& path, std::string& error);
/// Names of the replies as scenarios write them: version, header, record, settings, screen.
std::optional<Reply> ReplyByName(std::string_view name);

} // namespace lm11sim
