#pragma once
// The USB link: libusb-0.1 loaded at run time, the instrument found, opened and claimed, and
// bulk transfers to and from it. The library file is named by LM11_LIBUSB, else the
// platform's libusb-0.1. Process-wide and unlocked: only the exchange in progress uses it.
#include "device/Link.h"

#include <array>
#include <cstdint>

struct usb_dev_handle;

inline constexpr uint16_t kInstrumentVendor = 0x03EB;
inline constexpr uint16_t kInstrumentProduct = 0x0202;
inline constexpr int kEndpointWrite = 0x01;
inline constexpr int kEndpointRead = 0x82;
inline constexpr int kTransferTimeoutMs = 500;
/// Every libusb-0.1 name the link looks up, in lookup order.
inline constexpr int kEntryPointCount = 43;
extern const std::array<const char*, kEntryPointCount> kEntryPointNames;

struct LibUsbBinding {
    void* library = nullptr;          ///< dlopen handle, or none
    usb_dev_handle* device = nullptr; ///< the open instrument, or none
    std::array<void*, kEntryPointCount> entries{};
};

/// The one binding of the program.
extern LibUsbBinding LibUSB;

/// 0 loaded (also when already loaded), 1 library missing, 2 a needed entry point missing.
/// The first successful load calls usb_init; the library then stays loaded.
int LinkLoad();
/// 0 instrument open, 1 not found, 2 found but usb_open or usb_claim_interface was refused
/// for lack of permission. Keeps the held handle when the bus has not changed.
int LinkOpen();
/// Bulk write to endpoint 0x01, 500 ms; false without an open instrument.
bool LinkWrite(const uint8_t* bytes, int length);
/// Bulk read from endpoint 0x82, 500 ms, into the start of `buffer`: bytes read or -1.
int LinkRead(uint8_t* buffer, int length);
/// Closes the instrument if one is open.
void LinkClose();
/// Closes the instrument, forgets the entry points and unloads the library (program start).
void LinkReset();

/// The link over LibUSB, for the exchange.
class UsbLink final : public Link {
public:
    int load() override { return LinkLoad(); }
    int open() override { return LinkOpen(); }
    bool write(const uint8_t* bytes, int length) override { return LinkWrite(bytes, length); }
    int read(uint8_t* buffer, int length) override { return LinkRead(buffer, length); }
    void close() override { LinkClose(); }
};
