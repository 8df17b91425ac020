// The USB link's own code against the simulator library, loaded as the program loads it.
#include "device/UsbLink.h"
#include "sim/SimHarness.h"

#include <usb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

using namespace simtest;

namespace {

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LinkReset();
        ASSERT_TRUE(sim_.ok()) << dlerror();
        transcript_ = TempFile("transcript.txt");
        setenv("LM11_LIBUSB", SimLibrary().c_str(), 1);
    }
    void TearDown() override
    {
        LinkReset();
        unsetenv("LM11_LIBUSB");
    }
    /// Loads a scenario that writes the transcript of this test.
    void scenario(const std::string& text)
    {
        sim_.load("transcript " + transcript_ + "\nprepare all 0\n" + text);
    }
    std::vector<TranscriptLine> transcript() const { return ReadTranscript(transcript_); }
    std::string openedDevice() const
    {
        auto* deviceOf = sim_.symbol<struct usb_device*(usb_dev_handle*)>("usb_device");
        struct usb_device* d = LibUSB.device ? deviceOf(LibUSB.device) : nullptr;
        return d ? std::string(d->bus->dirname) + "/" + d->filename : "none";
    }

    SimHandle sim_;
    std::string transcript_;
};

TEST_F(LinkTest, WithoutTheLibraryEveryCallFails)
{
    setenv("LM11_LIBUSB", "/nonexistent/libusb-0.1.so.4", 1);
    EXPECT_EQ(LinkLoad(), 1);
    EXPECT_EQ(LinkLoad(), 1) << "a failed load is tried again from the start";
    EXPECT_EQ(LibUSB.library, nullptr);
    EXPECT_EQ(LinkOpen(), 1);
    const uint8_t frame[] = {0x01, 0xFE};
    uint8_t buffer[4];
    EXPECT_FALSE(LinkWrite(frame, 2));
    EXPECT_EQ(LinkRead(buffer, 4), -1);
    LinkClose();

    // Once the library is there, the very next call loads it.
    setenv("LM11_LIBUSB", SimLibrary().c_str(), 1);
    scenario("");
    EXPECT_EQ(LinkLoad(), 0);
    EXPECT_EQ(LinkOpen(), 0);
}

TEST_F(LinkTest, LoadsOnceAndCallsUsbInitOnce)
{
    scenario("");
    EXPECT_EQ(LinkLoad(), 0);
    void* library = LibUSB.library;
    EXPECT_NE(library, nullptr);
    EXPECT_EQ(LinkLoad(), 0);
    EXPECT_EQ(LibUSB.library, library);
    EXPECT_EQ(Calls(transcript(), "usb_init").size(), 1u);
}

class MissingEntryTest : public LinkTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MissingEntryTest, LibraryLackingANeededEntryPointIsRefused)
{
    const std::string variant = SimLibrary(std::string("no") + GetParam());
    SimHandle lacking(variant);
    ASSERT_NE(lacking.handle(), nullptr) << dlerror();
    // The variant really lacks exactly one of the ten.
    int missing = 0;
    for (const char* name :
         {"usb_init", "usb_find_busses", "usb_find_devices", "usb_get_busses", "usb_open",
          "usb_set_configuration", "usb_claim_interface", "usb_bulk_write", "usb_bulk_read", "usb_close"})
        missing += dlsym(lacking.handle(), name) == nullptr;
    ASSERT_EQ(missing, 1);

    setenv("LM11_LIBUSB", variant.c_str(), 1);
    EXPECT_EQ(LinkLoad(), 2);
    EXPECT_EQ(LinkLoad(), 2);
    EXPECT_EQ(LibUSB.library, nullptr);
    EXPECT_EQ(LibUSB.device, nullptr);
    EXPECT_EQ(LinkOpen(), 1);
    EXPECT_EQ(LibUSB.device, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Variants, MissingEntryTest,
                         ::testing::Values("init", "findbusses", "finddevices", "getbusses", "open",
                                           "setconfiguration", "claiminterface", "bulkwrite", "bulkread",
                                           "close"));

TEST_F(LinkTest, OpensTheFirstInstrumentInBusAndDeviceOrder)
{
    scenario("device instrument bus=2\n"
             "device other bus=1\n"
             "device instrument bus=1\n"
             "device instrument bus=1\n");
    ASSERT_EQ(LinkLoad(), 0);
    ASSERT_EQ(LinkOpen(), 0);
    EXPECT_EQ(openedDevice(), "001/003");
    const auto opens = Calls(transcript(), "usb_open");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].text.substr(0, 11), "dev=001/003");
    // Configuration 1 and interface 0, once each.
    const auto all = transcript();
    ASSERT_EQ(Calls(all, "usb_set_configuration").size(), 1u);
    EXPECT_NE(Calls(all, "usb_set_configuration")[0].text.find("configuration=1 -> 0"), std::string::npos);
    ASSERT_EQ(Calls(all, "usb_claim_interface").size(), 1u);
    EXPECT_NE(Calls(all, "usb_claim_interface")[0].text.find("interface=0 -> 0"), std::string::npos);
}

TEST_F(LinkTest, AnotherProductOfTheSameVendorIsIgnored)
{
    scenario("device other product=0x0201\ndevice other product=0x0203\n");
    ASSERT_EQ(LinkLoad(), 0);
    EXPECT_EQ(LinkOpen(), 1);
    EXPECT_EQ(LibUSB.device, nullptr);
    EXPECT_TRUE(Calls(transcript(), "usb_open").empty());
}

TEST_F(LinkTest, SecondOpenWithoutChangesKeepsTheHandle)
{
    scenario("device other\ndevice instrument\n");
    ASSERT_EQ(LinkLoad(), 0);
    ASSERT_EQ(LinkOpen(), 0);
    usb_dev_handle* first = LibUSB.device;
    ASSERT_EQ(LinkOpen(), 0);
    EXPECT_EQ(LibUSB.device, first);
    EXPECT_EQ(Calls(transcript(), "usb_open").size(), 1u);
    EXPECT_EQ(Calls(transcript(), "usb_find_devices").size(), 2u);
}

// A device node the user may not open must not pass for an absent instrument: the user
// would look for a cable fault while the fix is the udev rule.
TEST_F(LinkTest, PermissionRefusalIsToldApartFromOtherOpenFailures)
{
    struct Case {
        const char* scenario;
        int result;
        bool held;  // a handle stays held afterwards
        int closes; // handles given back
    };
    for (const Case& c : {Case{"deny open\n", 2, false, 0},       // EACCES
                          Case{"deny open 1\n", 2, false, 0},     // EPERM
                          Case{"deny open 19\n", 1, false, 0},    // ENODEV: gone, not refused
                          Case{"deny claim\n", 2, false, 1},      // EACCES: handle given back
                          Case{"deny claim 1\n", 2, false, 1},    // EPERM
                          Case{"deny claim 16\n", 0, true, 0}}) { // EBUSY: left to the transfers
        SCOPED_TRACE(c.scenario);
        LinkReset();
        scenario(c.scenario);
        ASSERT_EQ(LinkLoad(), 0);
        EXPECT_EQ(LinkOpen(), c.result);
        EXPECT_EQ(LibUSB.device != nullptr, c.held);
        EXPECT_EQ(Calls(transcript(), "usb_close").size(), std::size_t(c.closes));
        // The next look tries again rather than keeping a verdict.
        EXPECT_EQ(LinkOpen(), c.result);
        EXPECT_EQ(Calls(transcript(), "usb_open").size(), c.result == 0 ? 1u : 2u);
    }
}

TEST_F(LinkTest, InstrumentPluggedInLaterIsFoundOnALaterLook)
{
    scenario("appear_after 2\n");
    ASSERT_EQ(LinkLoad(), 0);
    EXPECT_EQ(LinkOpen(), 1);
    EXPECT_EQ(LinkOpen(), 1);
    EXPECT_EQ(LinkOpen(), 0);
    EXPECT_NE(LibUSB.device, nullptr);
}

TEST_F(LinkTest, UnpluggedInstrumentFailsTransfersAndIsNotFoundAgain)
{
    scenario("unplug_after 1\n");
    ASSERT_EQ(LinkLoad(), 0);
    ASSERT_EQ(LinkOpen(), 0);
    const uint8_t frame[] = {0x01, 0xFE};
    EXPECT_TRUE(LinkWrite(frame, 2));
    EXPECT_FALSE(LinkWrite(frame, 2));
    EXPECT_EQ(LinkOpen(), 1);
    EXPECT_EQ(LibUSB.device, nullptr);
    // The stale handle was given back rather than dropped.
    EXPECT_EQ(Calls(transcript(), "usb_close").size(), 1u);
}

TEST_F(LinkTest, WithoutAnOpenInstrumentCloseDoesNothingAndTransfersFail)
{
    scenario("");
    ASSERT_EQ(LinkLoad(), 0);
    LinkClose();
    const uint8_t frame[] = {0x01, 0xFE};
    uint8_t buffer[32];
    EXPECT_FALSE(LinkWrite(frame, 2));
    EXPECT_EQ(LinkRead(buffer, 32), -1);
    const auto all = transcript();
    EXPECT_TRUE(Calls(all, "usb_close").empty());
    EXPECT_TRUE(Calls(all, "usb_bulk_write").empty());
    EXPECT_TRUE(Calls(all, "usb_bulk_read").empty());

    ASSERT_EQ(LinkOpen(), 0);
    LinkClose();
    EXPECT_EQ(LibUSB.device, nullptr);
    LinkClose();
    EXPECT_EQ(Calls(transcript(), "usb_close").size(), 1u);
}

TEST_F(LinkTest, VersionExchangeUsesBothEndpointsWithTheirTimeOut)
{
    scenario("firmware_date 12.09.2012\n");
    ASSERT_EQ(LinkLoad(), 0);
    ASSERT_EQ(LinkOpen(), 0);
    const uint8_t frame[] = {0x01, 0xFE};
    ASSERT_TRUE(LinkWrite(frame, 2));
    uint8_t length[4];
    ASSERT_EQ(LinkRead(length, 4), 4);
    const uint32_t n = length[0] | length[1] << 8 | length[2] << 16 | uint32_t(length[3]) << 24;
    ASSERT_EQ(n, 25u);
    uint8_t body[64] = {};
    // A read larger than the transfer ends short, and that is success.
    ASSERT_EQ(LinkRead(body, 32), 25);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(body) + 15, 10), "12.09.2012");

    const auto all = transcript();
    const auto writes = Calls(all, "usb_bulk_write");
    const auto reads = Calls(all, "usb_bulk_read");
    ASSERT_EQ(writes.size(), 1u);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(writes[0].text.substr(0, 30), "ep=0x01 size=2 timeout=500 -> ");
    EXPECT_EQ(writes[0].bytes, "01 FE");
    EXPECT_EQ(reads[0].text.substr(0, 30), "ep=0x82 size=4 timeout=500 -> ");
    EXPECT_EQ(reads[0].bytes, "19 00 00 00");
}

TEST_F(LinkTest, ReadWithNothingToSendFailsAfterTheTransferTimeOut)
{
    scenario("");
    ASSERT_EQ(LinkLoad(), 0);
    ASSERT_EQ(LinkOpen(), 0);
    uint8_t buffer[4];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LinkRead(buffer, 4), -1);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(490));
    EXPECT_LT(waited, std::chrono::seconds(10));
    const auto reads = Calls(transcript(), "usb_bulk_read");
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_NE(reads[0].text.find("-> -110"), std::string::npos);
}

} // namespace
