// The instrument model on its own, with times given by the test.
#include "model/Instrument.h"
#include "sim/SimHarness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using namespace lm11sim;

namespace {

struct Read {
    int result;
    double doneAt;
    Bytes bytes;
};

class InstrumentTest : public ::testing::Test {
public: // the refusal table drives the fixture from lambdas
    void make(const std::string& text)
    {
        transcript_ = simtest::TempFile("transcript.txt");
        std::string error;
        auto s = ParseScenario("transcript " + transcript_ + "\n" + text, ".", error);
        ASSERT_TRUE(s) << error;
        auto a = BuildArchive(*s, error);
        ASSERT_TRUE(a) << error;
        instrument_ = std::make_unique<Instrument>(std::move(*s), std::move(*a));
        instrument_->look(0);
        handle_ = instrument_->open(0, 0, "001/002");
        ASSERT_GT(handle_, 0);
        ASSERT_EQ(instrument_->claimInterface(handle_, 0, 0), 0);
    }
    Completion write(const Bytes& b, double at)
    {
        return instrument_->bulkWrite(handle_, 0x01, b.data(), int(b.size()), 500, at);
    }
    Read read(int size, double at)
    {
        Bytes buffer(std::size_t(size), 0xEE);
        const auto c = instrument_->bulkRead(handle_, 0x82, buffer.data(), size, 500, at);
        buffer.resize(c.result > 0 ? std::size_t(c.result) : 0);
        return {c.result, c.doneAt, buffer};
    }
    /// Asks and reads a whole reply: the length word, then the body of min(length, max) bytes.
    Bytes ask(const Bytes& command, int max, double& at)
    {
        EXPECT_EQ(write(command, at).result, int(command.size()));
        const Read length = read(4, at);
        EXPECT_EQ(length.result, 4);
        at = length.doneAt;
        const uint32_t n =
            length.bytes[0] | length.bytes[1] << 8 | length.bytes[2] << 16 | uint32_t(length.bytes[3]) << 24;
        const Read body = read(int(std::min<uint32_t>(n, uint32_t(max))), at);
        at = body.doneAt;
        return body.bytes;
    }
    std::vector<simtest::TranscriptLine> notes() const
    {
        return simtest::Calls(simtest::ReadTranscript(transcript_), "!");
    }
    bool noted(const std::string& words) const
    {
        for (const auto& n : notes())
            if (n.text.find(words) != std::string::npos) return true;
        return false;
    }
    /// A settings block as the program would send it: every entry sealed, with a new name.
    Bytes settingsBlock()
    {
        SettingsBlock block = instrument_->settings();
        ObjectSpec o;
        o.nameRu = "Мост";
        o.nameEn = "Bridge";
        WriteSettingsEntry(block, 4, o);
        return Bytes(block.begin(), block.end());
    }
    /// 05 FA, the length word and the block in pieces, each at the instrument's own pace.
    void sendSettings(const Bytes& block, double& at, std::size_t piece = 64,
                      Bytes length = {0xF8, 0x02, 0x00, 0x00})
    {
        at = write({0x05, 0xFA}, at).doneAt + 300;
        at = write(length, at).doneAt;
        for (std::size_t sent = 0; sent < block.size(); sent += piece) {
            const auto end = std::min(block.size(), sent + piece);
            at = write(Bytes(block.begin() + long(sent), block.begin() + long(end)), at).doneAt + 15;
        }
    }

    std::string transcript_;
    std::unique_ptr<Instrument> instrument_;
    int handle_ = 0;
};

TEST_F(InstrumentTest, ReplyIsReadyOnlyAfterItsPreparationTime)
{
    make("series object=1 sensor=potential length=3\n");
    ASSERT_EQ(write({0x01, 0xFE}, 1000).result, 2);
    // A read that comes early waits for the reply, as a pending transfer does.
    Read early = read(4, 1010);
    EXPECT_EQ(early.result, 4);
    EXPECT_EQ(early.doneAt, 1080);
    EXPECT_EQ(early.bytes, (Bytes{25, 0, 0, 0}));

    ASSERT_EQ(write({0x03, 0xFC, 0x02, 0x00}, 2000).result, 4);
    // Within a 20 ms time-out the record is not ready: the read fails and the reply stays.
    const Completion tooSoon = [&] {
        uint8_t buffer[4];
        return instrument_->bulkRead(handle_, 0x82, buffer, 4, 20, 2000);
    }();
    EXPECT_EQ(tooSoon.result, kTimedOut);
    EXPECT_EQ(tooSoon.doneAt, 2020);
    const Read length = read(4, 2060);
    EXPECT_EQ(length.doneAt, 2060);
    EXPECT_EQ(length.bytes, (Bytes{32, 0, 0, 0}));
    const Read body = read(32, 2060);
    ASSERT_EQ(body.result, 32);
    EXPECT_EQ(body.bytes[6], 3); // point 3 of the series
    EXPECT_EQ(Crc16(body.bytes), 0);
}

TEST_F(InstrumentTest, RefusedRequestsGetNoReplyAndANote)
{
    const struct {
        Bytes frame;
        const char* note;
    } cases[] = {
        {{0x07, 0xF8}, "unknown command 07 F8"},
        {{0x01, 0xFF}, "not a command: 01 FF"},
        {{0x03, 0xFC}, "not a command: 03 FC"},
        {{0x01, 0xFE, 0x00}, "not a command: 01 FE 00"},
        {{}, "not a command: (empty)"},
        {{0x03, 0xFC, 0x02, 0x00}, "record 2 beyond the archive of 2"},
        {{0x03, 0xFC, 0x00, 0x01}, "record 256 beyond the archive of 2"},
        {{0xF8, 0x02, 0x00, 0x00}, "not a command: F8 02 00 00"},
    };
    for (const auto& c : cases) {
        make("prepare all 0\nseries object=1 sensor=potential length=2\n");
        EXPECT_EQ(write(c.frame, 100).result, int(c.frame.size()));
        const Read r = read(4, 100);
        EXPECT_EQ(r.result, kTimedOut) << c.note;
        EXPECT_EQ(r.doneAt, 600) << c.note;
        EXPECT_TRUE(noted(c.note)) << c.note;
    }
}

TEST_F(InstrumentTest, ScenarioFaultsShapeTheReplies)
{
    make("prepare all 0\nseries object=1 sensor=potential length=3\n"
         "bad_record_crc 1\nbad_record_marker 2\nbad_header_marker 1\nbad_settings_crc 7 1\n"
         "announce record 100000\nshort_body screen 100\nfirmware_date 11.09.2012\n");
    double at = 0;
    // A header with a bad marker once, then a good one.
    EXPECT_EQ(GetU16(&ask({0x02, 0xFD}, 7268, at)[7264]), 0xAAA5);
    EXPECT_EQ(GetU16(&ask({0x02, 0xFD}, 7268, at)[7264]), 0xAAAA);

    // The length word announces 100000, the body keeps its 32 bytes.
    ASSERT_EQ(write({0x03, 0xFC, 0x00, 0x00}, at).result, 4);
    EXPECT_EQ(read(4, at).bytes, (Bytes{0xA0, 0x86, 0x01, 0x00}));
    EXPECT_EQ(read(32, at).result, 32);
    const Bytes badCrc = ask({0x03, 0xFC, 0x01, 0x00}, 32, at);
    EXPECT_NE(Crc16(badCrc), 0);
    EXPECT_EQ(GetU16(&badCrc[28]), 0xAAAA);
    const Bytes badMarker = ask({0x03, 0xFC, 0x02, 0x00}, 32, at);
    EXPECT_EQ(Crc16(badMarker), 0);
    EXPECT_NE(GetU16(&badMarker[28]), 0xAAAA);

    SettingsBlock first{}, second{};
    const Bytes s1 = ask({0x04, 0xFB}, 760, at), s2 = ask({0x04, 0xFB}, 760, at);
    std::copy(s1.begin(), s1.end(), first.begin());
    std::copy(s2.begin(), s2.end(), second.begin());
    EXPECT_FALSE(SettingsEntryWhole(first, 7));
    EXPECT_TRUE(SettingsEntryWhole(first, 6));
    EXPECT_TRUE(SettingsEntryWhole(second, 7));

    // A short body: the length says 2048, the transfer holds 100 bytes.
    ASSERT_EQ(write({0x06, 0xF9}, at).result, 2);
    EXPECT_EQ(read(4, at).bytes, (Bytes{0x00, 0x08, 0x00, 0x00}));
    EXPECT_EQ(read(2048, at).result, 100);

    const Bytes version = ask({0x01, 0xFE}, 32, at);
    EXPECT_EQ(std::string(version.end() - 10, version.end()), "11.09.2012");
}

TEST_F(InstrumentTest, TransferFaultsAndUnplugging)
{
    make("prepare all 0\nfail_transfer 2 error 71\nfail_transfer 3 timeout\nunplug_after 5\n");
    EXPECT_EQ(write({0x01, 0xFE}, 0).result, 2); // 1
    const Read failed = read(4, 10);             // 2
    EXPECT_EQ(failed.result, -71);
    EXPECT_EQ(failed.doneAt, 10);
    const Read timedOut = read(4, 20); // 3
    EXPECT_EQ(timedOut.result, kTimedOut);
    EXPECT_EQ(timedOut.doneAt, 520);
    EXPECT_EQ(read(4, 600).result, 4) << "a failed transfer leaves the reply in place"; // 4
    EXPECT_GT(read(32, 600).result, 0);                                                 // 5
    EXPECT_EQ(write({0x01, 0xFE}, 700).result, kNoDevice);                              // 6: gone
    EXPECT_TRUE(instrument_->look(800).empty());
    EXPECT_EQ(instrument_->open(0, 800, "001/002"), kNoDevice);
}

TEST_F(InstrumentTest, ReadTooShortForTheTransferOverflows)
{
    make("prepare all 0\n");
    ASSERT_EQ(write({0x02, 0xFD}, 0).result, 2);
    ASSERT_EQ(read(4, 0).result, 4);
    EXPECT_EQ(read(32, 0).result, kOverflow);
    EXPECT_TRUE(noted("overflow"));
    // Whole packets are fine: the rest waits for the next read.
    ASSERT_EQ(write({0x02, 0xFD}, 10).result, 2);
    ASSERT_EQ(read(4, 10).result, 4);
    EXPECT_EQ(read(64, 10).result, 64);
    EXPECT_EQ(read(7268, 10).result, 7268 - 64);
}

TEST_F(InstrumentTest, WrittenSettingsAreStoredAndReadBack)
{
    make("prepare all 0\n");
    const Bytes block = settingsBlock();
    double at = 0;
    sendSettings(block, at);
    EXPECT_TRUE(noted("settings block stored"));
    EXPECT_EQ(ask({0x04, 0xFB}, 760, at), block);
}

TEST_F(InstrumentTest, SettingsWritesAnInstrumentWouldRefuseLeaveTheOldSettings)
{
    struct Case {
        const char* what;
        std::function<void(InstrumentTest&, Bytes&, double&)> send;
        const char* note;
    };
    const Case cases[] = {
        {"entry with a bad CRC",
         [](InstrumentTest& t, Bytes& b, double& at) {
             b[4 * 38 + 36] ^= 1;
             t.sendSettings(b, at);
         },
         "rejected: entry 4 has a bad CRC or marker"},
        {"entry with a bad marker and a matching CRC",
         [](InstrumentTest& t, Bytes& b, double& at) {
             b[19 * 38 + 34] = 0xAB;
             PutU16(&b[19 * 38 + 36], Crc16(std::span<const uint8_t>(&b[19 * 38], 36)));
             t.sendSettings(b, at);
         },
         "rejected: entry 19"},
        {"pieces of 128 bytes", [](InstrumentTest& t, Bytes& b, double& at) { t.sendSettings(b, at, 128); },
         "piece of 128 bytes"},
        {"length word 761",
         [](InstrumentTest& t, Bytes& b, double& at) {
             t.sendSettings(b, at, 64, {0xF9, 0x02, 0x00, 0x00});
         },
         "expected the length F8 02 00 00, got F9 02 00 00"},
        {"20 bytes too many",
         [](InstrumentTest& t, Bytes& b, double& at) {
             b.resize(780, 0);
             t.sendSettings(b, at);
         },
         "more than 760 bytes"},
        {"block left unfinished",
         [](InstrumentTest& t, Bytes& b, double& at) {
             b.resize(700);
             t.sendSettings(b, at);
             at += 3000;
             // Two seconds later the instrument is back to taking commands.
             EXPECT_EQ(t.ask({0x01, 0xFE}, 32, at).size(), 25u);
         },
         "no data for"},
    };
    for (const Case& c : cases) {
        make("prepare all 0\n");
        const SettingsBlock before = instrument_->settings();
        Bytes block = settingsBlock();
        double at = 0;
        c.send(*this, block, at);
        EXPECT_TRUE(noted(c.note)) << c.what;
        EXPECT_FALSE(noted("settings block stored")) << c.what;
        const Bytes after = ask({0x04, 0xFB}, 760, at);
        EXPECT_EQ(after, Bytes(before.begin(), before.end())) << c.what;
    }
}

TEST_F(InstrumentTest, SettingsDataWaitsWhileTheInstrumentPrepares)
{
    make("prepare all 0\n");
    ASSERT_EQ(write({0x05, 0xFA}, 1000).result, 2);
    // Sent at once instead of after the pause: the instrument takes it only at 1300.
    const Completion length = write({0xF8, 0x02, 0x00, 0x00}, 1000);
    EXPECT_EQ(length.result, 4);
    EXPECT_EQ(length.doneAt, 1300);
    EXPECT_TRUE(noted("instrument busy, write waited 300"));
    const Bytes block = settingsBlock();
    const Completion piece = write(Bytes(block.begin(), block.begin() + 64), 1300);
    EXPECT_EQ(piece.doneAt, 1300);
    EXPECT_EQ(write(Bytes(block.begin() + 64, block.begin() + 128), 1301).doneAt, 1315);

    make("prepare all 0\nsettings_timing prepare=800\n");
    ASSERT_EQ(write({0x05, 0xFA}, 0).result, 2);
    const Completion tooLong = write({0xF8, 0x02, 0x00, 0x00}, 0);
    EXPECT_EQ(tooLong.result, kTimedOut);
    EXPECT_EQ(tooLong.doneAt, 500);
}

TEST_F(InstrumentTest, StateFileKeepsWrittenSettingsForTheNextRun)
{
    const std::string state = simtest::TempFile("state.bin");
    std::remove(state.c_str());
    make("prepare all 0\nstate " + state + "\n");
    const Bytes block = settingsBlock();
    double at = 0;
    sendSettings(block, at);
    ASSERT_TRUE(noted("settings block stored"));

    make("prepare all 0\nstate " + state + "\n");
    at = 0;
    EXPECT_EQ(ask({0x04, 0xFB}, 760, at), block);
    std::remove(state.c_str());
}

TEST_F(InstrumentTest, OnlyTheFirstInstrumentAnswersAndInterfacesAreExclusive)
{
    make("prepare all 0\ndevice instrument\ndevice instrument\n");
    const int second = instrument_->open(1, 0, "001/003");
    ASSERT_GT(second, 0);
    uint8_t frame[] = {0x01, 0xFE};
    EXPECT_EQ(instrument_->bulkWrite(second, 0x01, frame, 2, 500, 0).result, kTimedOut);

    const int again = instrument_->open(0, 0, "001/002");
    EXPECT_EQ(instrument_->claimInterface(again, 0, 0), kBusy);
    EXPECT_EQ(instrument_->bulkWrite(again, 0x01, frame, 2, 500, 0).result, kBusy);
    EXPECT_EQ(instrument_->bulkWrite(handle_, 0x02, frame, 2, 500, 0).result, kNoEntry);
    EXPECT_EQ(instrument_->setConfiguration(handle_, 2, 0), kInvalid);
    EXPECT_EQ(instrument_->close(handle_, 0), 0);
    EXPECT_EQ(instrument_->bulkWrite(handle_, 0x01, frame, 2, 500, 0).result, kBadHandle);
}

} // namespace
