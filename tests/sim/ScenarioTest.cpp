// Scenario files and the archive generator.
#include "model/Scenario.h"
#include "model/Archive.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

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

TEST(ScenarioTest, SampleScenariosLoad)
{
    const struct {
        const char* file;
        std::size_t records;
    } samples[] = {{"field.txt", 156}, {"empty.txt", 0}, {"largest.txt", 1760}};
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
