#include "model/Archive.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>

namespace lm11sim {

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

    std::array<int, 20> nextSeries{};
    nextSeries.fill(1);
    DateTime clock = sc.start;
    for (const SeriesSpec& s : sc.series) {
        for (int object = s.objectFirst; object <= s.objectLast; ++object) {
            const ObjectSpec& o = sc.objects[std::size_t(object - 1)];
            int number = s.number >= 0 ? s.number : nextSeries[std::size_t(object - 1)];
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
                    a.records.push_back(MakeRecord(clock, p + 1, number, range.first, range.second,
                                                   object - 1, s.mode, s.stepX >= 0 ? s.stepX : o.stepX,
                                                   s.stepY >= 0 ? s.stepY : o.stepY,
                                                   Value(s, p, number, object), length, s.sensor));
                    clock.addSeconds(s.interval);
                }
                clock.addSeconds(600); // the operator moves to the next grid
            }
            nextSeries[std::size_t(object - 1)] = number;
        }
    }

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
