#pragma once
// What a usbdevfs front end needs from an emulated device: the outcome of every bulk
// transfer and the time it completes. No USB library types, so any front end can serve it.

#include <cstdint>

namespace lm11::usbdevfs {

/// Outcome of one transfer: bytes moved (>= 0) or a negative errno, and when it completes,
/// in ms on the testbed's clock. -ETIMEDOUT means the device never completes it: the
/// transfer stays pending until the host abandons it on its own clock.
struct BulkResult {
    int result;
    double doneAt;
};

/// Calls carry a session: one per opened device file, so a model can tell the program's
/// handles apart. Every call comes from the testbed's handler thread with its lock held.
class BulkModel {
public:
    virtual ~BulkModel() = default;

    /// The session's first request that needs the device (the library opens device files
    /// to read descriptors too; those never reach the model).
    virtual void opened(int /*session*/, double /*at*/) {}
    virtual void closed(int /*session*/, double /*at*/) {}
    /// Return 0 or a negative errno.
    virtual int configure(int /*session*/, int configuration, double /*at*/)
    {
        return configuration == 1 ? 0 : -22;
    }
    virtual int claim(int /*session*/, int interface, double /*at*/) { return interface == 0 ? 0 : -2; }
    virtual int release(int /*session*/, int interface, double /*at*/) { return interface == 0 ? 0 : -22; }

    virtual BulkResult write(int session, std::uint8_t endpoint, const std::uint8_t* bytes, int size,
                             double at) = 0;
    /// Fills `out` (room for `size` bytes) only on success.
    virtual BulkResult read(int session, std::uint8_t endpoint, std::uint8_t* out, int size, double at) = 0;
};

} // namespace lm11::usbdevfs
