#pragma once
// What a USB front end needs from an emulated instrument: bytes in on an OUT endpoint,
// bytes out on an IN endpoint. No USB library types, so any front end can serve it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace lm11::usbdevfs {

class BulkModel {
public:
    virtual ~BulkModel() = default;

    /// A bulk OUT transfer the host completed on `endpoint` (0x01 ...).
    virtual void received(std::uint8_t endpoint, std::span<const std::uint8_t> bytes) = 0;

    /// The next bulk IN transfer on `endpoint` (0x82 ...), at most `max` bytes; nullopt while
    /// the device has nothing ready, which leaves the host's transfer pending (the front end
    /// asks again a little later until the host gives up).
    virtual std::optional<std::vector<std::uint8_t>> reply(std::uint8_t endpoint, std::size_t max) = 0;

    /// The host set a configuration or claimed/released an interface.
    virtual void configured(int /*configuration*/) {}
    virtual void claimed(int /*interface*/) {}
    virtual void released(int /*interface*/) {}
};

} // namespace lm11::usbdevfs
