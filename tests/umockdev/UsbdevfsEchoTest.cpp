// The usbdevfs front end against the real libusb-0.1, with a device that echoes what it gets.
// Runs under umockdev-wrapper.

#include "UsbdevfsTestbed.h"

#include <gtest/gtest.h>
#include <usb.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <set>
#include <thread>

using lm11::usbdevfs::BulkModel;
using lm11::usbdevfs::BulkResult;
using lm11::usbdevfs::UsbdevfsTestbed;
using lm11::usbdevfs::UsbIdentity;

namespace {

// Sends back every OUT transfer on the IN endpoint, cut into pieces of at most `chunk`,
// each `delayMs` after the write.
class EchoModel : public BulkModel {
public:
    BulkResult write(int, std::uint8_t, const std::uint8_t* bytes, int size, double at) override
    {
        for (int i = 0; i < size; i += chunk)
            queue.push_back(
                {std::vector<std::uint8_t>(bytes + i, bytes + std::min(size, i + chunk)), at + delayMs});
        return {size, at};
    }
    BulkResult read(int, std::uint8_t, std::uint8_t* out, int size, double at) override
    {
        if (queue.empty()) return {-ETIMEDOUT, at};
        auto [bytes, readyAt] = std::move(queue.front());
        queue.pop_front();
        const int n = std::min(size, int(bytes.size())); // the rest of a packet is lost
        std::memcpy(out, bytes.data(), std::size_t(n));
        return {n, std::max(at, readyAt)};
    }
    int claim(int session, int interface, double) override
    {
        claimedInterface = interface;
        sessions.insert(session);
        return interface == 0 ? 0 : -ENOENT;
    }
    void closed(int session, double) override { sessions.erase(session); }

    int chunk = 1024;
    double delayMs = 0;
    std::deque<std::pair<std::vector<std::uint8_t>, double>> queue;
    int claimedInterface = -1;
    std::set<int> sessions;
};

struct usb_device* Find(std::uint16_t vendor, std::uint16_t product)
{
    // libusb-0.1 picks its device folder once, in usb_init, and finds nothing for the rest of
    // the run if /dev/bus/usb is missing then: initialise only once a testbed holds a device.
    static const bool initialised = (usb_init(), true);
    (void)initialised;
    usb_find_busses();
    usb_find_devices();
    for (usb_bus* bus = usb_get_busses(); bus; bus = bus->next)
        for (struct usb_device* dev = bus->devices; dev; dev = dev->next)
            if (dev->descriptor.idVendor == vendor && dev->descriptor.idProduct == product) return dev;
    return nullptr;
}

class UsbdevfsEcho : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::getenv("LD_PRELOAD") &&
                    std::string(std::getenv("LD_PRELOAD")).find("umockdev") != std::string::npos)
            << "run this test under umockdev-wrapper";
    }

    usb_dev_handle* Open(UsbdevfsTestbed& bed, EchoModel& model)
    {
        bed.addDevice(UsbIdentity{}, model);
        struct usb_device* dev = Find(0x03EB, 0x0202);
        if (!dev) return nullptr;
        usb_dev_handle* h = usb_open(dev);
        if (!h) return nullptr;
        EXPECT_EQ(usb_set_configuration(h, 1), 0);
        EXPECT_EQ(usb_claim_interface(h, 0), 0);
        return h;
    }
};

TEST_F(UsbdevfsEcho, LibraryFindsTheDeviceWithItsDescriptors)
{
    EchoModel model;
    UsbdevfsTestbed bed;
    bed.addDevice(UsbIdentity{}, model);
    struct usb_device* dev = Find(0x03EB, 0x0202);
    ASSERT_NE(dev, nullptr);
    EXPECT_STREQ(dev->bus->dirname, "001");
    EXPECT_STREQ(dev->filename, "002");
    ASSERT_NE(dev->config, nullptr);
    EXPECT_EQ(dev->config[0].bConfigurationValue, 1);
    ASSERT_EQ(dev->config[0].bNumInterfaces, 1);
    const usb_interface_descriptor& intf = dev->config[0].interface[0].altsetting[0];
    ASSERT_EQ(intf.bNumEndpoints, 2);
    EXPECT_EQ(intf.endpoint[0].bEndpointAddress, 0x01);
    EXPECT_EQ(intf.endpoint[1].bEndpointAddress, 0x82);
    EXPECT_EQ(intf.endpoint[1].bmAttributes, USB_ENDPOINT_TYPE_BULK);
}

TEST_F(UsbdevfsEcho, AnotherProductIdIsNotTheInstrument)
{
    EchoModel model;
    UsbdevfsTestbed bed;
    // A new address, as a re-plugged device gets: libusb keeps what it read from a device
    // file it already knows.
    bed.addDevice(UsbIdentity{.vendor = 0x03EB, .product = 0x0203, .address = 3}, model);
    EXPECT_EQ(Find(0x03EB, 0x0202), nullptr);
    EXPECT_NE(Find(0x03EB, 0x0203), nullptr);
}

TEST_F(UsbdevfsEcho, BulkWriteComesBackOnTheInEndpoint)
{
    EchoModel model;
    UsbdevfsTestbed bed;
    usb_dev_handle* h = Open(bed, model);
    ASSERT_NE(h, nullptr);
    bed.withLock([&] { EXPECT_EQ(model.claimedInterface, 0); });

    char out[] = {0x03, static_cast<char>(0xFC), 0x2C, 0x01};
    ASSERT_EQ(usb_bulk_write(h, 0x01, out, 4, 500), 4);
    char in[64] = {};
    ASSERT_EQ(usb_bulk_read(h, 0x82, in, sizeof in, 500), 4);
    EXPECT_EQ(std::vector<char>(in, in + 4), std::vector<char>(out, out + 4));
    EXPECT_LT(usb_claim_interface(h, 1), 0);

    usb_close(h);

    // The next open is a new session, and the model heard of the first one's end by then.
    usb_dev_handle* again = usb_open(Find(0x03EB, 0x0202));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(usb_claim_interface(again, 0), 0);
    bed.withLock([&] { EXPECT_EQ(model.sessions, std::set<int>{2}); });
    usb_close(again);
}

TEST_F(UsbdevfsEcho, ReplyReadyLaterCompletesTheWaitingRead)
{
    EchoModel model;
    model.delayMs = 150;
    UsbdevfsTestbed bed;
    usb_dev_handle* h = Open(bed, model);
    ASSERT_NE(h, nullptr);
    char out[] = {0x02, char(0xFD)};
    ASSERT_EQ(usb_bulk_write(h, 0x01, out, 2, 500), 2);
    char in[8] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(usb_bulk_read(h, 0x82, in, sizeof in, 500), 2);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(in[1], char(0xFD));
    EXPECT_GE(waited, std::chrono::milliseconds(140));
    EXPECT_LT(waited, std::chrono::seconds(20));
    usb_close(h);
}

TEST_F(UsbdevfsEcho, ShortAndCutReplies)
{
    EchoModel model;
    model.chunk = 10;
    UsbdevfsTestbed bed;
    usb_dev_handle* h = Open(bed, model);
    ASSERT_NE(h, nullptr);
    std::vector<char> out(25);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char>(i + 1);
    ASSERT_EQ(usb_bulk_write(h, 0x01, out.data(), 25, 500), 25);

    // The device sends 10, 10 and 5 bytes: a read of 64 takes one transfer, not all 25.
    char in[64] = {};
    EXPECT_EQ(usb_bulk_read(h, 0x82, in, 64, 500), 10);
    EXPECT_EQ(in[9], 10);
    // A read of 4 gets the first 4 bytes of the next transfer only.
    EXPECT_EQ(usb_bulk_read(h, 0x82, in, 4, 500), 4);
    EXPECT_EQ(in[0], 11);
    EXPECT_EQ(in[3], 14);
    EXPECT_EQ(usb_bulk_read(h, 0x82, in, 64, 500), 5);
    EXPECT_EQ(in[0], 21);
    usb_close(h);
}

TEST_F(UsbdevfsEcho, ReadWithNothingToSendTimesOutAndTheLinkStaysUsable)
{
    EchoModel model;
    UsbdevfsTestbed bed;
    usb_dev_handle* h = Open(bed, model);
    ASSERT_NE(h, nullptr);
    char in[32] = {};
    const auto start = std::chrono::steady_clock::now();
    const int r = usb_bulk_read(h, 0x82, in, sizeof in, 300);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r, -ETIMEDOUT);
    EXPECT_GE(waited, std::chrono::milliseconds(290));
    EXPECT_LT(waited, std::chrono::seconds(20));

    // The abandoned transfer must not swallow the next reply.
    char out[] = {0x01, static_cast<char>(0xFE)};
    ASSERT_EQ(usb_bulk_write(h, 0x01, out, 2, 500), 2);
    EXPECT_EQ(usb_bulk_read(h, 0x82, in, sizeof in, 500), 2);
    EXPECT_EQ(in[0], 0x01);
    usb_close(h);
}

TEST_F(UsbdevfsEcho, TestbedFolderIsRemoved)
{
    EchoModel model;
    std::string root;
    {
        UsbdevfsTestbed bed;
        bed.addDevice(UsbIdentity{}, model);
        root = bed.rootDir();
        ASSERT_TRUE(std::filesystem::exists(root));
    }
    EXPECT_FALSE(std::filesystem::exists(root));
}

} // namespace
