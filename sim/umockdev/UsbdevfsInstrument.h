#pragma once
// The simulator's instrument model behind the usbdevfs front end: every device of its
// scenario becomes a device file of a umockdev testbed, and every request the real
// libusb-0.1 makes of it reaches the same model the simulator library serves.

#include "UsbdevfsTestbed.h"

#include <functional>
#include <memory>
#include <vector>

namespace lm11sim {
class Instrument;
}

namespace lm11::usbdevfs {

class UsbdevfsInstrument {
public:
    /// `hostTimeoutMs` is the time-out the program gives each transfer. The model decides
    /// against it whether a transfer completes; the library enforces it on its own clock.
    explicit UsbdevfsInstrument(lm11sim::Instrument& instrument, int hostTimeoutMs = 500);
    ~UsbdevfsInstrument();
    UsbdevfsInstrument(const UsbdevfsInstrument&) = delete;
    UsbdevfsInstrument& operator=(const UsbdevfsInstrument&) = delete;

    UsbdevfsTestbed& testbed() { return *testbed_; }
    /// Runs `f` while no request of the program is being served.
    void withInstrument(const std::function<void(lm11sim::Instrument&)>& f);

private:
    class Port;
    lm11sim::Instrument& instrument_;
    std::vector<std::unique_ptr<Port>> ports_;
    std::unique_ptr<UsbdevfsTestbed> testbed_; // goes first, before the ports it calls
};

} // namespace lm11::usbdevfs
