#pragma once
// A umockdev testbed that shows emulated USB devices to a program through Linux usbdevfs
// (/dev/bus/usb/BBB/DDD), so that an unmodified libusb-0.1 finds, opens and talks to them.
// The process must run under umockdev-wrapper (LD_PRELOAD of libumockdev-preload) for the
// redirection to take effect; the testbed itself lives in this process.

#include "BulkModel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace lm11::usbdevfs {

struct UsbIdentity {
    std::uint16_t vendor = 0x03EB;
    std::uint16_t product = 0x0202;
    int bus = 1;
    int address = 2;
    /// Bulk endpoints of interface 0 of configuration 1 (max packet 64).
    std::uint8_t outEndpoint = 0x01;
    std::uint8_t inEndpoint = 0x82;
};

/// Device, configuration, interface and endpoint descriptors as the device node returns
/// them to read(): the layout the kernel serves from usbdevfs.
std::vector<std::uint8_t> Descriptors(const UsbIdentity& id);

class UsbdevfsTestbed {
public:
    /// Creates the testbed folder (under $TMPDIR) and its handler thread. Throws
    /// std::runtime_error when umockdev refuses.
    UsbdevfsTestbed();
    /// Removes every device and the testbed folder.
    ~UsbdevfsTestbed();
    UsbdevfsTestbed(const UsbdevfsTestbed&) = delete;
    UsbdevfsTestbed& operator=(const UsbdevfsTestbed&) = delete;

    /// Adds a device served by `model`, which must outlive the testbed. The model is only
    /// called with the testbed's lock held (see withLock).
    void addDevice(const UsbIdentity& id, BulkModel& model);

    /// Runs `f` with the lock under which the handler thread calls the models, so a test can
    /// look at or change a model while the program talks to it.
    void withLock(const std::function<void()>& f);

    /// Every request the handler saw, one line each ("SUBMITURB ep=82 len=4", ...), for
    /// checking what the library did on the wire.
    std::vector<std::string> trace() const;
    /// The same lines with the time each was logged, on the testbed's clock (ms).
    std::vector<std::pair<double, std::string>> timedTrace() const;

    std::string rootDir() const;

    /// The testbed's clock: ms since it was created. Models get their times on it.
    double now() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace lm11::usbdevfs
