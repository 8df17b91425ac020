#include "device/UsbLink.h"

#include <usb.h>

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>

const std::array<const char*, kEntryPointCount> kEntryPointNames = {
    "usb_bulk_read",
    "usb_bulk_setup_async",
    "usb_bulk_write",
    "usb_cancel_async",
    "usb_claim_interface",
    "usb_clear_halt",
    "usb_close",
    "usb_control_msg",
    "usb_device",
    "usb_find_busses",
    "usb_find_devices",
    "usb_free_async",
    "usb_get_busses",
    "usb_get_descriptor",
    "usb_get_descriptor_by_endpoint",
    "usb_get_string",
    "usb_get_string_simple",
    "usb_get_version",
    "usb_init",
    "usb_install_driver_np",
    "usb_install_driver_np_rundll",
    "usb_install_needs_restart_np",
    "usb_install_service_np",
    "usb_install_service_np_rundll",
    "usb_interrupt_read",
    "usb_interrupt_setup_async",
    "usb_interrupt_write",
    "usb_isochronous_setup_async",
    "usb_open",
    "usb_reap_async",
    "usb_reap_async_nocancel",
    "usb_release_interface",
    "usb_reset",
    "usb_resetep",
    "usb_set_altinterface",
    "usb_set_configuration",
    "usb_set_debug",
    "usb_strerror",
    "usb_submit_async",
    "usb_touch_inf_file_np",
    "usb_touch_inf_file_np_rundll",
    "usb_uninstall_service_np",
    "usb_uninstall_service_np_rundll",
};

LibUsbBinding LibUSB;

namespace {

// Indices into the lookup list of the ten calls the link makes. The others are looked up
// too, but Linux's libusb-0.1 lacks the Windows and async ones, so they may be missing.
enum Entry {
    BulkRead = 0,
    BulkWrite = 2,
    ClaimInterface = 4,
    Close = 6,
    FindBusses = 9,
    FindDevices = 10,
    GetBusses = 12,
    Init = 18,
    Open = 28,
    SetConfiguration = 35,
};
constexpr Entry kRequired[] = {BulkRead,    BulkWrite, ClaimInterface, Close, FindBusses,
                               FindDevices, GetBusses, Init,           Open,  SetConfiguration};

template <class F> F* Call(Entry e) {
    return reinterpret_cast<F*>(LibUSB.entries[e]);
}

bool Required(int index) {
    for (Entry e : kRequired)
        if (e == index) return true;
    return false;
}

// What libusb-compat reports when the device node is not the user's to open.
bool Refused(int error) {
    return error == EACCES || error == EPERM;
}

bool Loaded() {
    return LibUSB.library != nullptr;
}

const char* LibraryFile() {
    const char* named = std::getenv("LM11_LIBUSB");
    return named && *named ? named : "libusb-0.1.so.4";
}

} // namespace

int LinkLoad() {
    if (LibUSB.library) return 0;
    void* library = dlopen(LibraryFile(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return 1;
    for (int i = 0; i < kEntryPointCount; ++i) {
        LibUSB.entries[std::size_t(i)] = dlsym(library, kEntryPointNames[std::size_t(i)]);
        if (!LibUSB.entries[std::size_t(i)] && Required(i)) {
            // The library stays mapped, but nothing may call into it through a half-filled table.
            LibUSB.entries.fill(nullptr);
            LibUSB.library = nullptr;
            return 2;
        }
    }
    LibUSB.library = library;
    Call<void()>(Init)();
    return 0;
}

int LinkOpen() {
    if (!Loaded()) return 1;
    const int changedBusses = Call<int()>(FindBusses)();
    const int changedDevices = Call<int()>(FindDevices)();
    for (usb_bus* bus = Call<usb_bus*()>(GetBusses)(); bus; bus = bus->next) {
        for (struct usb_device* dev = bus->devices; dev; dev = dev->next) {
            if (dev->descriptor.idVendor != kInstrumentVendor ||
                dev->descriptor.idProduct != kInstrumentProduct)
                continue;
            if (changedBusses == 0 && changedDevices == 0 && LibUSB.device) return 0;
            // A handle still held from before the change would keep interface 0 claimed and
            // make the new handle's transfers fail; let it go first.
            LinkClose();
            errno = 0;
            LibUSB.device = Call<usb_dev_handle*(struct usb_device*)>(Open)(dev);
            if (!LibUSB.device) return Refused(errno) ? 2 : 1;
            // Other failures here show up as failing transfers, which the exchange reports;
            // a refused claim would only ever give "Link Error" and hide the real cause.
            Call<int(usb_dev_handle*, int)>(SetConfiguration)(LibUSB.device, 1);
            if (Refused(-Call<int(usb_dev_handle*, int)>(ClaimInterface)(LibUSB.device, 0))) {
                LinkClose();
                return 2;
            }
            return 0;
        }
    }
    // The instrument is gone: its handle is of no further use.
    LinkClose();
    return 1;
}

bool LinkWrite(const uint8_t* bytes, int length) {
    if (!Loaded() || !LibUSB.device) return false;
    return Call<int(usb_dev_handle*, int, const char*, int, int)>(BulkWrite)(
               LibUSB.device, kEndpointWrite, reinterpret_cast<const char*>(bytes), length,
               kTransferTimeoutMs) >= 0;
}

int LinkRead(uint8_t* buffer, int length) {
    if (!Loaded() || !LibUSB.device) return -1;
    const int got = Call<int(usb_dev_handle*, int, char*, int, int)>(BulkRead)(
        LibUSB.device, kEndpointRead, reinterpret_cast<char*>(buffer), length, kTransferTimeoutMs);
    return got >= 0 ? got : -1;
}

void LinkClose() {
    if (!LibUSB.device) return;
    if (Loaded()) Call<int(usb_dev_handle*)>(Close)(LibUSB.device);
    LibUSB.device = nullptr;
}

void LinkReset() {
    LinkClose();
    LibUSB.entries.fill(nullptr);
    if (LibUSB.library) dlclose(LibUSB.library);
    LibUSB.library = nullptr;
}
