#include "UsbdevfsInstrument.h"

#include "model/Instrument.h"

#include <cstdio>
#include <map>

namespace lm11::usbdevfs {

// One device of the scenario. A session is one opened device file: the program's
// usb_open ... usb_close, which the model knows as a handle.
class UsbdevfsInstrument::Port final : public BulkModel {
public:
    Port(lm11sim::Instrument& instrument, const lm11sim::PresentDevice& device, int timeoutMs)
        : instrument_(instrument), device_(device.id), timeoutMs_(timeoutMs)
    {
        char name[16];
        std::snprintf(name, sizeof name, "%03d/%03d", device.bus, device.address);
        name_ = name;
    }

    void opened(int session, double at) override
    {
        handles_[session] = instrument_.open(device_, at, name_ + " (usbdevfs)");
    }
    void closed(int session, double at) override
    {
        if (const int h = handle(session); h > 0) instrument_.close(h, at);
        handles_.erase(session);
    }
    int configure(int session, int configuration, double at) override
    {
        return instrument_.setConfiguration(handle(session), configuration, at);
    }
    int claim(int session, int interface, double at) override
    {
        return instrument_.claimInterface(handle(session), interface, at);
    }
    int release(int session, int interface, double at) override
    {
        return instrument_.releaseInterface(handle(session), interface, at);
    }
    BulkResult write(int session, std::uint8_t endpoint, const std::uint8_t* bytes, int size,
                     double at) override
    {
        const lm11sim::Completion c =
            instrument_.bulkWrite(handle(session), endpoint, bytes, size, timeoutMs_, at);
        return {c.result, c.doneAt};
    }
    BulkResult read(int session, std::uint8_t endpoint, std::uint8_t* out, int size, double at) override
    {
        const lm11sim::Completion c =
            instrument_.bulkRead(handle(session), endpoint, out, size, timeoutMs_, at);
        return {c.result, c.doneAt};
    }

private:
    int handle(int session) const
    {
        const auto it = handles_.find(session);
        return it == handles_.end() ? -1 : it->second;
    }

    lm11sim::Instrument& instrument_;
    int device_;
    int timeoutMs_;
    std::string name_;
    std::map<int, int> handles_; // session -> model handle (-1 when the device was gone)
};

UsbdevfsInstrument::UsbdevfsInstrument(lm11sim::Instrument& instrument, int hostTimeoutMs)
    : instrument_(instrument), testbed_(std::make_unique<UsbdevfsTestbed>())
{
    // The testbed shows the devices present at its start; they stay for its whole life.
    for (const lm11sim::PresentDevice& d : instrument.look(testbed_->now())) {
        ports_.push_back(std::make_unique<Port>(instrument, d, hostTimeoutMs));
        testbed_->addDevice(
            UsbIdentity{.vendor = d.vendor, .product = d.product, .bus = d.bus, .address = d.address},
            *ports_.back());
    }
}

UsbdevfsInstrument::~UsbdevfsInstrument() { testbed_.reset(); }

void UsbdevfsInstrument::withInstrument(const std::function<void(lm11sim::Instrument&)>& f)
{
    testbed_->withLock([&] { f(instrument_); });
}

} // namespace lm11::usbdevfs
