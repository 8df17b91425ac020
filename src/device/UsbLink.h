#pragma once
// The USB link: libusb-0.1 loaded at run time, the instrument found, opened and claimed, and
// bulk transfers to and from it. The library file is named by LM11_LIBUSB, else the
// platform's libusb-0.1. Process-wide and unlocked: only the exchange in progress uses it.
#include "device/Link.h"

#include <array>
#include <cstdint>
#include <iterator>

struct usb_dev_handle;

inline constexpr uint16_t kInstrumentVendor = 0x03EB;
inline constexpr uint16_t kInstrumentProduct = 0x0202;
inline constexpr int kEndpointWrite = 0x01;
inline constexpr int kEndpointRead = 0x82;
inline constexpr int kTransferTimeoutMs = 500;
/// A libusb-0.1 name the link looks up, and whether the link cannot work without it.
struct EntryPoint {
    const char* name;
    bool required;
};
/// Every name the link looks up, in lookup order. The ten calls the link makes are
/// required; the rest are looked up too, but Linux's libusb-0.1 lacks the Windows and async
/// ones, so they may be missing.
inline constexpr EntryPoint kEntryPoints[] = {
    {"usb_bulk_read", true},
    {"usb_bulk_setup_async", false},
    {"usb_bulk_write", true},
    {"usb_cancel_async", false},
    {"usb_claim_interface", true},
    {"usb_clear_halt", false},
    {"usb_close", true},
    {"usb_control_msg", false},
    {"usb_device", false},
    {"usb_find_busses", true},
    {"usb_find_devices", true},
    {"usb_free_async", false},
    {"usb_get_busses", true},
    {"usb_get_descriptor", false},
    {"usb_get_descriptor_by_endpoint", false},
    {"usb_get_string", false},
    {"usb_get_string_simple", false},
    {"usb_get_version", false},
    {"usb_init", true},
    {"usb_install_driver_np", false},
    {"usb_install_driver_np_rundll", false},
    {"usb_install_needs_restart_np", false},
    {"usb_install_service_np", false},
    {"usb_install_service_np_rundll", false},
    {"usb_interrupt_read", false},
    {"usb_interrupt_setup_async", false},
    {"usb_interrupt_write", false},
    {"usb_isochronous_setup_async", false},
    {"usb_open", true},
    {"usb_reap_async", false},
    {"usb_reap_async_nocancel", false},
    {"usb_release_interface", false},
    {"usb_reset", false},
    {"usb_resetep", false},
    {"usb_set_altinterface", false},
    {"usb_set_configuration", true},
    {"usb_set_debug", false},
    {"usb_strerror", false},
    {"usb_submit_async", false},
    {"usb_touch_inf_file_np", false},
    {"usb_touch_inf_file_np_rundll", false},
    {"usb_uninstall_service_np", false},
    {"usb_uninstall_service_np_rundll", false},
};
inline constexpr int kEntryPointCount = int(std::size(kEntryPoints));

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
