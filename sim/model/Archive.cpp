#include "model/Archive.h"

#include "bytes/InstrumentSizes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>
#include <random>

namespace lm11sim {

// The simulated instrument keeps what the program expects of the real one.
static_assert(kScreenBytes == kInstrumentScreenBytes && kSettingsBytes == kInstrumentSettingsBytes &&
              kEntryBytes == kInstrumentEntryBytes);
static_assert(std::tuple_size_v<decltype(Scenario::objects)> == std::size_t(kInstrumentObjects));

namespace {

void WriteName(uint8_t* field, const std::string& utf8)
{
    std::string text = Utf8ToCp1251(utf8);
    if (text.size() > 10) text.resize(10);
    std::memset(field, 0, 11);
    field[0] = uint8_t(text.size());
    std::memcpy(field + 1, text.data(), text.size());
}

Record MakeRecord(const DateTime& when, int point, int series, int rangeLow, int rangeHigh, int object,
                  int mode, int stepX, int stepY, double value, int seriesLength, int sensor)
{
    Record r{};
    r[0] = uint8_t(when.second);
    r[1] = uint8_t(when.minute);
    r[2] = uint8_t(when.hour);
    r[3] = uint8_t(when.day);
    r[4] = uint8_t(when.month);
    r[5] = uint8_t(when.year - 2000);
    r[6] = uint8_t(point);
    r[7] = uint8_t(series);
    PutU16(&r[8], uint16_t(int16_t(rangeLow)));
    PutU16(&r[10], uint16_t(int16_t(rangeHigh)));
    r[12] = uint8_t(object);
    r[13] = uint8_t(mode);
    r[14] = uint8_t(stepX);
    r[15] = uint8_t(stepY);
    const auto bits = std::bit_cast<uint64_t>(value);
    for (int i = 0; i < 8; ++i) r[16 + i] = uint8_t(bits >> (8 * i));
    PutU16(&r[24], uint16_t(seriesLength));
    r[26] = uint8_t(sensor);
    r[27] = 0;
    PutU16(&r[28], 0xAAAA);
    PutU16(&r[30], Crc16(std::span(r).first(30)));
    return r;
}

/// A smooth surface over the series so the diagram shows hills rather than noise.
double Value(const SeriesSpec& s, int point, int series, int object)
{
    if (!s.values.empty()) return s.values[std::size_t(point) % s.values.size()];
    const auto [lo, hi] =
        s.valueRange.value_or(s.sensor == 0 ? std::pair{-450.0, -100.0} : std::pair{5.0, 60.0});
    const double f = 0.5 + 0.5 * std::sin(point * 0.9 + series * 1.3 + object * 0.7);
    return std::round((lo + (hi - lo) * f) * 10.0) / 10.0;
}

/// Measurement noise that comes out the same on every machine: the engine's output is fixed
/// by the standard, the distributions are not, so the normal transform is done here.
class Noise {
public:
    explicit Noise(uint32_t seed) : engine_(seed) {}
    double normal()
    {
        const double u1 = (double(engine_()) + 0.5) / 4294967296.0;
        const double u2 = (double(engine_()) + 0.5) / 4294967296.0;
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    }

private:
    std::mt19937 engine_;
};

double Tenths(double v) { return std::round(v * 10.0) / 10.0; }

/// Corrosion activity at grid place (x, y): 1 at a hotspot's centre, fading smoothly (a raised
/// cosine) to 0 at its radius; overlapping hotspots add up to at most 1.
double Activity(const FieldSpec& f, double x, double y)
{
    double a = 0;
    for (const Hotspot& h : f.hotspots) {
        const double d = std::hypot(x - h.x, y - h.y) / h.radius;
        if (d < 1) a += 0.5 + 0.5 * std::cos(std::numbers::pi * d);
    }
    return std::min(a, 1.0);
}

/// Potential (mV) or resistivity (kOhm·cm) measured at point x of grid row y, kept inside the
/// range the object allows and rounded to the tenth the instrument stores.
double FieldValue(const FieldSpec& f, int sensor, double x, double y, std::pair<int, int> range, Noise& noise)
{
    double v;
    if (sensor == 0) {
        v = f.base + f.gradientX * (x - 1) + f.gradientY * (y - 1);
        for (const Hotspot& h : f.hotspots) {
            const double d = std::hypot(x - h.x, y - h.y) / h.radius;
            if (d < 1) v += h.depth * (0.5 + 0.5 * std::cos(std::numbers::pi * d));
        }
        v += f.noise * noise.normal();
    } else {
        // Wet, chloride-laden concrete where the steel corrodes conducts well: the resistivity
        // falls from `dry` to `wet` (geometrically) as the activity rises.
        v = f.dry * std::pow(f.wet / f.dry, Activity(f, x, y)) * (1.0 + f.resistanceNoise * noise.normal());
    }
    const double lo = std::min(range.first, range.second), hi = std::max(range.first, range.second);
    return Tenths(std::clamp(v, sensor == 0 ? lo : std::min(std::max(lo, 0.1), hi), hi));
}

void DrawScreen(Bytes& screen, const std::string& kind)
{
    screen.assign(kScreenBytes, 0);
    auto ink = [&](int x, int y) { screen[std::size_t(((y / 8) * 128 + x) * 2)] |= uint8_t(1 << (y % 8)); };
    if (kind == "blank") return;
    for (int x = 0; x < 128; ++x)
        for (int y = 0; y < 64; ++y) {
            const bool border = x == 0 || x == 127 || y == 0 || y == 63;
            const bool diagonal = x / 2 == y;
            if (kind == "full" || border || diagonal) ink(x, y);
        }
}

} // namespace

void WriteSettingsEntry(SettingsBlock& block, int k, const ObjectSpec& o)
{
    uint8_t* e = &block[std::size_t(k) * kEntryBytes];
    e[0] = o.seriesLength;
    e[1] = o.stepX;
    e[2] = o.stepY;
    e[3] = o.byte3;
    PutU16(e + 4, uint16_t(o.potentialMin));
    PutU16(e + 6, uint16_t(o.potentialMax));
    PutU16(e + 8, uint16_t(o.resistanceMin));
    PutU16(e + 10, uint16_t(o.resistanceMax));
    WriteName(e + 12, o.nameRu);
    WriteName(e + 23, o.nameEn);
    PutU16(e + 34, 0xAAAA);
    PutU16(e + 36, Crc16(std::span<const uint8_t>(e, 36)));
}

bool SettingsEntryWhole(const SettingsBlock& block, int k)
{
    const uint8_t* e = &block[std::size_t(k) * kEntryBytes];
    return Crc16(std::span<const uint8_t>(e, kEntryBytes)) == 0 && GetU16(e + 34) == 0xAAAA;
}

std::optional<Archive> BuildArchive(const Scenario& sc, std::string& error)
{
    Archive a;
    for (int k = 0; k < 20; ++k) WriteSettingsEntry(a.settings, k, sc.objects[std::size_t(k)]);

    // The next free series number of each object, or of each object's sensor.
    std::array<std::array<int, 2>, 20> nextSeries;
    for (auto& n : nextSeries) n.fill(1);
    const auto counter = [&](int object, int sensor) -> int& {
        return nextSeries[std::size_t(object - 1)][sc.numbering == SeriesNumbering::PerSensor ? sensor : 0];
    };
    Noise noise(sc.seed);
    DateTime clock = sc.start;
    for (const SeriesSpec& s : sc.series) {
        const FieldSpec* field = s.field.empty() ? nullptr : &sc.fields.at(s.field);
        for (int object = s.objectFirst; object <= s.objectLast; ++object) {
            const ObjectSpec& o = sc.objects[std::size_t(object - 1)];
            int number = s.number >= 0 ? s.number : counter(object, s.sensor);
            if (s.start) clock = *s.start;
            for (int c = 0; c < s.count; ++c, ++number) {
                const int length = s.length >= 0 ? s.length : o.seriesLength;
                const int points = s.points >= 0 ? s.points : length;
                const auto range =
                    s.range.value_or(s.sensor == 0 ? std::pair<int, int>{o.potentialMin, o.potentialMax}
                                                   : std::pair<int, int>{o.resistanceMin, o.resistanceMax});
                for (int p = 0; p < points; ++p) {
                    if (a.records.size() == kSlots) {
                        error = "the archive holds at most 1760 records";
                        return std::nullopt;
                    }
                    const double value = field ? FieldValue(*field, s.sensor, p + 1, s.row + c, range, noise)
                                               : Value(s, p, number, object);
                    a.records.push_back(MakeRecord(clock, p + 1, number, range.first, range.second,
                                                   object - 1, s.mode, s.stepX >= 0 ? s.stepX : o.stepX,
                                                   s.stepY >= 0 ? s.stepY : o.stepY, value, length,
                                                   s.sensor));
                    clock.addSeconds(s.interval);
                }
                clock.addSeconds(600); // the operator moves to the next grid
            }
            // A re-measured series (an earlier number=) does not give its number out again.
            counter(object, s.sensor) = std::max(counter(object, s.sensor), number);
        }
    }
    if (sc.order == ArchiveOrder::NewestFirst) std::reverse(a.records.begin(), a.records.end());

    a.header.assign(kHeaderBytes, 0);
    for (std::size_t i = 0; i < a.records.size(); ++i) {
        // Spread: slots of deleted records stay empty, so set bits are not the first n.
        const std::size_t slot = sc.spreadBitmap ? (i * 7 + 3) % kSlots : i;
        a.header[slot / 8] |= uint8_t(1 << (slot % 8));
    }
    PutU16(&a.header[7264], 0xAAAA);
    PutU16(&a.header[7266], Crc16(std::span(a.header).first(7266)));

    if (sc.screen == "border" || sc.screen == "blank" || sc.screen == "full") {
        DrawScreen(a.screen, sc.screen);
    } else {
        std::ifstream in(sc.screen, std::ios::binary);
        a.screen.assign(std::istreambuf_iterator<char>(in), {});
        if (a.screen.size() != kScreenBytes) {
            error = "screen file " + sc.screen + " must hold 2048 bytes";
            return std::nullopt;
        }
    }
    return a;
}

} // namespace lm11sim
