// The simulator library through its libusb-0.1 entry points, in real time.
#include "sim/SimHarness.h"

#include <usb.h>

#include <chrono>
#include <fstream>
#include <thread>

using namespace simtest;

namespace {

class SimLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim_.ok()) << dlerror();
        init = sim_.symbol<void()>("usb_init");
        findBusses = sim_.symbol<int()>("usb_find_busses");
        findDevices = sim_.symbol<int()>("usb_find_devices");
        getBusses = sim_.symbol<usb_bus*()>("usb_get_busses");
        open = sim_.symbol<usb_dev_handle*(struct usb_device*)>("usb_open");
        claim = sim_.symbol<int(usb_dev_handle*, int)>("usb_claim_interface");
        bulkWrite = sim_.symbol<int(usb_dev_handle*, int, const char*, int, int)>("usb_bulk_write");
        bulkRead = sim_.symbol<int(usb_dev_handle*, int, char*, int, int)>("usb_bulk_read");
        close = sim_.symbol<int(usb_dev_handle*)>("usb_close");
        reset = sim_.symbol<void()>("lm11sim_reset");
        loadFile = sim_.symbol<int(const char*)>("lm11sim_load_scenario");
        lastError = sim_.symbol<const char*()>("lm11sim_last_error");
    }
    void TearDown() override
    {
        unsetenv("LM11_SIM_SCENARIO");
        reset();
    }
    /// Opens the first device on the first bus.
    usb_dev_handle* openFirst()
    {
        init();
        findBusses();
        findDevices();
        usb_bus* bus = getBusses();
        if (!bus || !bus->devices) return nullptr;
        usb_dev_handle* h = open(bus->devices);
        if (h) claim(h, 0);
        return h;
    }

    SimHandle sim_;
    void (*init)() = nullptr;
    int (*findBusses)() = nullptr;
    int (*findDevices)() = nullptr;
    usb_bus* (*getBusses)() = nullptr;
    usb_dev_handle* (*open)(struct usb_device*) = nullptr;
    int (*claim)(usb_dev_handle*, int) = nullptr;
    int (*bulkWrite)(usb_dev_handle*, int, const char*, int, int) = nullptr;
    int (*bulkRead)(usb_dev_handle*, int, char*, int, int) = nullptr;
    int (*close)(usb_dev_handle*) = nullptr;
    void (*reset)() = nullptr;
    int (*loadFile)(const char*) = nullptr;
    const char* (*lastError)() = nullptr;
};

TEST_F(SimLibraryTest, TranscriptHoldsExactBytesAndTheWaits)
{
    const std::string transcript = TempFile("transcript.txt");
    sim_.load("transcript " + transcript + "\nprepare header 50\nbad_header_marker\n");
    usb_dev_handle* h = openFirst();
    ASSERT_NE(h, nullptr);

    ASSERT_EQ(bulkWrite(h, 0x01, "\x01\xFE", 2, 500), 2);
    char length[4];
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(bulkRead(h, 0x82, length, 4, 500), 4);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(75))
        << "the version takes 80 ms";
    char body[32];
    ASSERT_EQ(bulkRead(h, 0x82, body, 32, 500), 25);

    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    ASSERT_EQ(bulkWrite(h, 0x01, "\x02\xFD", 2, 500), 2);
    ASSERT_EQ(bulkRead(h, 0x82, length, 4, 500), 4);
    EXPECT_EQ(close(h), 0);

    const auto all = ReadTranscript(transcript);
    const auto writes = Calls(all, "usb_bulk_write");
    const auto reads = Calls(all, "usb_bulk_read");
    ASSERT_EQ(writes.size(), 2u);
    ASSERT_EQ(reads.size(), 3u);
    EXPECT_EQ(writes[0].bytes, "01 FE");
    EXPECT_EQ(reads[0].bytes, "19 00 00 00");
    EXPECT_EQ(reads[1].bytes, "4C 4D 2D 31 2E 31 20 66 77 20 32 2E 30 34 20 31 35 2E 30 33 2E 32 30 31 33");
    EXPECT_EQ(writes[1].bytes, "02 FD");
    EXPECT_EQ(reads[2].bytes, "64 1C 00 00");
    // The read of the version's length was issued at once and had to wait for the reply.
    EXPECT_LT(reads[0].at - writes[0].at, 75);
    EXPECT_NE(reads[0].text.find("-> 4 after 7"), std::string::npos) << reads[0].text;
    // The pause the caller kept before the header command shows in the times.
    EXPECT_GE(writes[1].at - reads[1].at, 59);
    EXPECT_EQ(Calls(all, "usb_close").size(), 1u);
}

TEST_F(SimLibraryTest, ScenarioNamedInTheEnvironmentIsReadAtInit)
{
    const std::string transcript = TempFile("transcript.txt");
    const std::string file = TempFile("scenario.txt");
    std::ofstream(file) << "transcript " << transcript << "\ndevice other\ndevice instrument bus=3\n";
    setenv("LM11_SIM_SCENARIO", file.c_str(), 1);
    reset();
    init();
    EXPECT_EQ(findBusses(), 2);
    EXPECT_EQ(findBusses(), 0);
    EXPECT_EQ(findDevices(), 2);
    EXPECT_EQ(findDevices(), 0);
    usb_bus* bus = getBusses();
    ASSERT_NE(bus, nullptr);
    EXPECT_STREQ(bus->dirname, "001");
    ASSERT_NE(bus->devices, nullptr);
    EXPECT_EQ(bus->devices->descriptor.idProduct, 0x0100);
    ASSERT_NE(bus->next, nullptr);
    EXPECT_STREQ(bus->next->dirname, "003");
    ASSERT_NE(bus->next->devices, nullptr);
    EXPECT_EQ(bus->next->devices->descriptor.idVendor, 0x03EB);
    EXPECT_EQ(bus->next->devices->descriptor.idProduct, 0x0202);
    EXPECT_EQ(Calls(ReadTranscript(transcript), "usb_init").size(), 1u);
}

TEST_F(SimLibraryTest, UnreadableScenarioShowsAnEmptyBus)
{
    const std::string file = TempFile("scenario.txt");
    std::ofstream(file) << "device instrument\nprepare version soon\n";
    EXPECT_EQ(loadFile(file.c_str()), -1);
    EXPECT_NE(std::string(lastError()).find("line 2: not a number: soon"), std::string::npos) << lastError();
    EXPECT_EQ(loadFile("/nonexistent/scenario.txt"), -1);

    setenv("LM11_SIM_SCENARIO", file.c_str(), 1);
    reset();
    init();
    findBusses();
    findDevices();
    ASSERT_NE(getBusses(), nullptr);
    EXPECT_EQ(getBusses()->devices, nullptr);
}

} // namespace
