// Scenario files and the archive generator.
#include "model/Scenario.h"
#include "model/Archive.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <map>

using namespace lm11sim;

namespace {

Archive Build(const std::string& text)
{
    std::string error;
    auto s = ParseScenario(text, ".", error);
    EXPECT_TRUE(s) << error;
    if (!s) return {};
    auto a = BuildArchive(*s, error);
    EXPECT_TRUE(a) << error;
    return a ? *a : Archive{};
}

int BitmapCount(const Bytes& header)
{
    int n = 0;
    for (std::size_t i = 0; i < 220; ++i) n += std::popcount(header[i]);
    return n;
}

double ValueOf(const Record& r)
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | r[std::size_t(16 + i)];
    return std::bit_cast<double>(bits);
}

TEST(ScenarioTest, MistakesAreReportedWithTheirLine)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"device printer", "line 1: device is instrument or other"},
        {"# fine\nprepare version x", "line 2: not a number: x"},
        {"prepare modem 5", "line 1: unknown reply modem"},
        {"object 21 name=X", "line 1: 21 is outside 1..20"},
        {"series sensor=potential", "line 1: series needs object="},
        {"series object=1 sensor=ph", "line 1: sensor is potential or resistance"},
        {"start 2014-02-30 10:00:00", "line 1: no such date"},
        {"fail_transfer 3 maybe", "line 1: fail_transfer N error"},
        {"deny write", "line 1: deny open|claim"},
        {"deny open 0", "line 1: 0 is outside 1..200"},
        {"frobnicate", "line 1: unknown word frobnicate"},
        {"field", "line 1: field needs 1 argument(s)"},
        {"field base=-150", "line 1: field needs a name"},
        {"field deck hotspot=(3,4,2)", "line 1: hotspot (x,y,radius,depth) wants 4 numbers"},
        {"field deck\nfield deck hotspot=(3,4,0,-300)", "line 2: a hotspot's radius must be above 0"},
        {"field deck gradient=1", "line 1: gradient wants 2 numbers"},
        {"field deck noise=loud", "line 1: not a number: loud"},
        {"field deck wet=0", "line 1: 0 is outside 0..100000"},
        {"field deck humidity=90", "line 1: unknown field option humidity"},
        {"series object=1 field=deck", "line 1: no field named deck above this line"},
        {"field deck\nseries object=1 field=deck values=1..2", "line 2: series takes values= or field="},
        {"field deck\nseries object=1 field=deck row=0", "line 2: 0 is outside 1..255"},
        {"archive order=sideways", "line 1: order is oldest-first or newest-first"},
        {"archive numbering=global", "line 1: numbering is object or sensor"},
        {"archive seed=-1", "line 1: -1 is outside 0..4294967295"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseScenario(c.text, ".", error)) << c.text;
        EXPECT_EQ(error.substr(0, std::strlen(c.error)), c.error) << c.text;
    }
}

TEST(ScenarioTest, SeriesLinesBecomeValidRecordsWithTheirFields)
{
    const Archive a =
        Build("object 3 series=12 step=20x30 potential=-500..500\n"
              "start 2014-05-17 23:59:50\n"
              "series object=3 sensor=potential points=7 values=-235.5,-240 mode=manual interval=20\n"
              "series object=2..3 sensor=resistance count=2 length=4 range=0..999\n");
    ASSERT_EQ(a.records.size(), 7u + 2 * 2 * 4);
    EXPECT_EQ(BitmapCount(a.header), int(a.records.size()));
    EXPECT_EQ(GetU16(&a.header[7264]), 0xAAAA);
    for (const Record& r : a.records) {
        EXPECT_EQ(Crc16(r), 0);
        EXPECT_EQ(GetU16(&r[28]), 0xAAAA);
    }
    // The broken-off series: 7 points of 12, on object index 2, steps and range of the object.
    const Record& first = a.records[0];
    EXPECT_EQ(first[12], 2);
    EXPECT_EQ(first[6], 1); // point 1
    EXPECT_EQ(first[7], 1); // series 1
    EXPECT_EQ(GetU16(&first[24]), 12);
    EXPECT_EQ(first[13], 0); // manual
    EXPECT_EQ(first[14], 20);
    EXPECT_EQ(first[15], 30);
    EXPECT_EQ(int16_t(GetU16(&first[8])), -500);
    EXPECT_EQ(ValueOf(first), -235.5);
    EXPECT_EQ(ValueOf(a.records[1]), -240);
    EXPECT_EQ(a.records[6][6], 7);
    // Time runs over midnight into the next day.
    EXPECT_EQ((std::array<int, 6>{first[5], first[4], first[3], first[2], first[1], first[0]}),
              (std::array<int, 6>{14, 5, 17, 23, 59, 50}));
    EXPECT_EQ((std::array<int, 3>{a.records[1][3], a.records[1][2], a.records[1][0]}),
              (std::array<int, 3>{18, 0, 10}));
    // Series numbers go on per object; object 3 already has series 1.
    EXPECT_EQ(a.records[7][12], 1);
    EXPECT_EQ(a.records[7][7], 1);
    EXPECT_EQ(a.records[15][12], 2);
    EXPECT_EQ(a.records[15][7], 2);
    EXPECT_EQ(a.records[15][26], 1); // resistance sensor
}

TEST(ScenarioTest, SettingsEntriesCarryNamesInWindows1251)
{
    const Archive a = Build("object 5 name=\"Мост\" en=\"Bridge\" series=5 step=20x30 potential=-500..500 "
                            "resistance=0..999\nobject 6 name=\"Очень длинное имя\"\n");
    const uint8_t expected[38] = {0x05, 0x14, 0x1E, 0x00, 0x0C, 0xFE, 0xF4, 0x01, 0x00, 0x00,
                                  0xE7, 0x03, 0x04, 0xCC, 0xEE, 0xF1, 0xF2, 0x00, 0x00, 0x00,
                                  0x00, 0x00, 0x00, 0x06, 0x42, 0x72, 0x69, 0x64, 0x67, 0x65,
                                  0x00, 0x00, 0x00, 0x00, 0xAA, 0xAA, 0x46, 0xE3};
    EXPECT_EQ(0, std::memcmp(&a.settings[4 * 38], expected, 38));
    for (int k = 0; k < 20; ++k) EXPECT_TRUE(SettingsEntryWhole(a.settings, k)) << k;
    EXPECT_EQ(a.settings[5 * 38 + 12], 10); // cut to ten characters
    EXPECT_EQ(a.settings[0 * 38 + 23], 8);  // "Object 1"
}

TEST(ScenarioTest, BitmapCanLeaveGapsAndTheArchiveStopsAt1760)
{
    const Archive spread = Build("bitmap spread\nseries object=1 sensor=potential length=3\n");
    EXPECT_EQ(BitmapCount(spread.header), 3);
    EXPECT_EQ(spread.header[0] & 1, 0) << "slot 0 stays empty, so the bits are not the first three";

    std::string error;
    auto s = ParseScenario("series object=1..20 sensor=potential count=4 length=22\n"
                           "series object=1 sensor=potential length=1\n",
                           ".", error);
    ASSERT_TRUE(s) << error;
    EXPECT_FALSE(BuildArchive(*s, error));
    EXPECT_EQ(error, "the archive holds at most 1760 records");
}

std::array<int, 6> TimeOf(const Record& r) { return {r[5], r[4], r[3], r[2], r[1], r[0]}; }

/// The records of one object and sensor as (series, point) -> value; of one year (two digits)
/// only when `year` is given.
std::map<std::pair<int, int>, double> Grid(const Archive& a, int object, int sensor, int year = -1)
{
    std::map<std::pair<int, int>, double> out;
    for (const Record& r : a.records)
        if (r[12] == object && r[26] == sensor && (year < 0 || TimeOf(r)[0] == year))
            out[{r[7], r[6]}] = ValueOf(r);
    return out;
}

TEST(ScenarioTest, FieldSurveyHasAPassiveBackgroundACorrodingAreaAndResistivityThatFollowsIt)
{
    // Each sensor counts its own series, so both grids have rows 1..8.
    const std::string text = "archive numbering=sensor\n"
                             "object 1 series=12 potential=-800..200 resistance=0..500\n"
                             "object 2 series=12 resistance=0..50\n"
                             "field deck base=-150 hotspot=(8,4,3,-350) noise=4 dry=140 wet=9\n"
                             "series object=1 sensor=potential count=8 field=deck\n"
                             "series object=1 sensor=resistance count=8 field=deck\n"
                             "series object=2 sensor=resistance count=8 field=deck\n";
    const Archive a = Build(text);
    ASSERT_EQ(a.records.size(), 3u * 8 * 12);
    const auto potential = Grid(a, 0, 0), resistance = Grid(a, 0, 1), capped = Grid(a, 1, 1);
    ASSERT_EQ(potential.size(), 96u);
    for (const Record& r : a.records) {
        const double v = ValueOf(r);
        EXPECT_DOUBLE_EQ(v, std::round(v * 10) / 10) << "stored to a tenth, as the instrument does";
    }
    // The centre reads the depth below the background, give or take the noise; places beyond
    // the radius read the background alone.
    EXPECT_NEAR(potential.at({4, 8}), -500, 20);
    for (const auto& [place, v] : potential) {
        const auto [series, point] = place;
        if (std::hypot(point - 8, series - 4) >= 3) {
            EXPECT_NEAR(v, -150, 20) << series << "|" << point;
        }
        EXPECT_LE(v, -130) << "no place reads above the passive background";
    }
    // The edge falls smoothly: halfway out the reading is between background and centre.
    EXPECT_LT(potential.at({4, 8}), potential.at({4, 9}));
    EXPECT_LT(potential.at({4, 9}), potential.at({4, 10}));
    // Resistivity is low where the potential says the steel corrodes, and high elsewhere.
    EXPECT_LT(resistance.at({4, 8}), 15);
    EXPECT_GT(resistance.at({1, 1}), 100);
    for (const auto& [p, v] : potential)
        for (const auto& [q, w] : potential)
            if (v < w - 100) {
                EXPECT_LT(resistance.at(p), resistance.at(q)) << "the more active place conducts better";
            }
    // The object's range caps the reading.
    for (const auto& [place, v] : capped) EXPECT_LE(v, 50);
    EXPECT_EQ(capped.at({1, 1}), 50);
    // Noise is there, but the same seed always gives the same archive.
    EXPECT_NE(potential.at({1, 1}), potential.at({1, 12}));
    EXPECT_EQ(Build(text).records, a.records);
    EXPECT_NE(Build("archive seed=7\n" + text).records, a.records);
}

TEST(ScenarioTest, ArchiveOrderAndSeriesNumbering)
{
    const std::string survey = "object 1 series=3\n"
                               "series object=1 sensor=potential count=2 values=1\n"
                               "series object=1 sensor=resistance count=2 values=2\n"
                               "series object=1 sensor=potential number=1 values=3\n"
                               "series object=1 sensor=potential values=4\n";
    const struct {
        const char* archive;
        std::vector<int> series; // of the records in archive order, one per series
        bool newestFirst;
    } cases[] = {
        {"", {1, 2, 3, 4, 1, 5}, false},
        {"archive order=oldest-first numbering=object", {1, 2, 3, 4, 1, 5}, false},
        {"archive numbering=sensor", {1, 2, 1, 2, 1, 3}, false},
        {"archive order=newest-first", {5, 1, 4, 3, 2, 1}, true},
        {"archive order=newest-first numbering=sensor", {3, 1, 2, 1, 2, 1}, true},
    };
    for (const auto& c : cases) {
        const Archive a = Build(std::string(c.archive) + "\n" + survey);
        ASSERT_EQ(a.records.size(), 18u) << c.archive;
        std::vector<int> series;
        for (std::size_t i = 0; i < a.records.size(); i += 3) {
            series.push_back(a.records[i][7]);
            // Points of a series stay in the order they were measured in, reversed with the rest.
            EXPECT_EQ(a.records[i][6], c.newestFirst ? 3 : 1) << c.archive;
        }
        EXPECT_EQ(series, c.series) << c.archive;
        EXPECT_EQ(TimeOf(a.records.front()) > TimeOf(a.records.back()), c.newestFirst) << c.archive;
        EXPECT_EQ(BitmapCount(a.header), 18) << c.archive;
    }
}

TEST(ScenarioTest, FieldScenarioTellsATwoDaySurveyAndItsReturnVisit)
{
    std::string error;
    auto s = LoadScenarioFile(std::string(LM11_SOURCE_DIR) + "/sim/scenarios/field.txt", error);
    ASSERT_TRUE(s) << error;
    auto a = BuildArchive(*s, error);
    ASSERT_TRUE(a) << error;
    // Listed from the latest measurement back: the return visit a year later comes first.
    EXPECT_EQ(TimeOf(a->records.front())[0], 15);
    EXPECT_EQ(TimeOf(a->records.back()), (std::array<int, 6>{14, 5, 17, 9, 12, 5}));
    for (std::size_t i = 1; i < a->records.size(); ++i)
        ASSERT_GE(TimeOf(a->records[i - 1]), TimeOf(a->records[i])) << i;

    // Bridge deck: resistivity and potential on the same 12 x 6 grid; the return visit a year
    // later numbers its series from 1 again (a new survey) and finds the corroding area deeper.
    const auto potential = Grid(*a, 0, 0, 14), resistance = Grid(*a, 0, 1, 14), again = Grid(*a, 0, 0, 15);
    ASSERT_EQ(potential.size(), 72u);
    ASSERT_EQ(resistance.size(), 72u);
    ASSERT_EQ(again.size(), 72u);
    for (const auto& [place, v] : resistance) EXPECT_TRUE(potential.contains(place));
    for (const auto& [place, v] : again) EXPECT_TRUE(potential.contains(place));
    EXPECT_LT(again.at({4, 8}), potential.at({4, 8}));
    EXPECT_LT(potential.at({4, 8}), -400);
    EXPECT_GT(potential.at({1, 1}), -200);
    EXPECT_LT(resistance.at({4, 8}), 20);
    EXPECT_GT(resistance.at({1, 1}), 80);

    // Parking deck: series 3 measured twice (16 points each), so 6 series of records on 5 numbers.
    int parking = 0, series3 = 0;
    for (const Record& r : a->records)
        if (r[12] == 1) {
            ++parking;
            series3 += r[7] == 3;
            EXPECT_EQ(GetU16(&r[24]), 16);
        }
    EXPECT_EQ(parking, 6 * 16);
    EXPECT_EQ(series3, 2 * 16);

    // Column: the fourth series broken off after 5 of its 8 points.
    const auto column = Grid(*a, 2, 0);
    EXPECT_EQ(column.size(), 3u * 8 + 5);
    EXPECT_TRUE(column.contains({4, 5}));
    EXPECT_FALSE(column.contains({4, 6}));
}

TEST(ScenarioTest, SampleScenariosLoad)
{
    const struct {
        const char* file;
        std::size_t records;
    } samples[] = {{"field.txt", 341}, {"empty.txt", 0}, {"largest.txt", 1760}};
    for (const auto& sample : samples) {
        std::string error;
        auto s = LoadScenarioFile(std::string(LM11_SOURCE_DIR) + "/sim/scenarios/" + sample.file, error);
        ASSERT_TRUE(s) << error;
        auto a = BuildArchive(*s, error);
        ASSERT_TRUE(a) << error;
        EXPECT_EQ(a->records.size(), sample.records) << sample.file;
        EXPECT_EQ(BitmapCount(a->header), int(sample.records)) << sample.file;
    }
}

} // namespace
