#include "device/UsbLink.h"

#include "device/ExchangeLog.h"

#include <usb.h>

#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <initializer_list>
#include <string_view>

LibUsbBinding LibUSB;

namespace {

constexpr std::size_t IndexOf(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(kEntryPoints); ++i)
        if (name == kEntryPoints[i].name) return i;
    return std::size(kEntryPoints);
}

// Where the calls the link makes are in the lookup table.
constexpr std::size_t BulkRead = IndexOf("usb_bulk_read");
constexpr std::size_t BulkWrite = IndexOf("usb_bulk_write");
constexpr std::size_t ClaimInterface = IndexOf("usb_claim_interface");
constexpr std::size_t Close = IndexOf("usb_close");
constexpr std::size_t FindBusses = IndexOf("usb_find_busses");
constexpr std::size_t FindDevices = IndexOf("usb_find_devices");
constexpr std::size_t GetBusses = IndexOf("usb_get_busses");
constexpr std::size_t Init = IndexOf("usb_init");
constexpr std::size_t Open = IndexOf("usb_open");
constexpr std::size_t SetConfiguration = IndexOf("usb_set_configuration");

constexpr bool AllRequired(std::initializer_list<std::size_t> called)
{
    std::size_t required = 0;
    for (const EntryPoint& e : kEntryPoints) required += e.required;
    for (std::size_t i : called)
        if (i >= std::size(kEntryPoints) || !kEntryPoints[i].required) return false;
    return required == called.size();
}
static_assert(AllRequired({BulkRead, BulkWrite, ClaimInterface, Close, FindBusses, FindDevices, GetBusses,
                           Init, Open, SetConfiguration}),
              "the table's required entries are exactly the calls the link makes");

template <class F> F* Call(std::size_t e) { return reinterpret_cast<F*>(LibUSB.entries[e]); }

// What libusb-compat reports when the device node is not the user's to open.
bool Refused(int error) { return error == EACCES || error == EPERM; }

bool Loaded() { return LibUSB.library != nullptr; }

const char* LibraryFile()
{
    const char* named = std::getenv("LM11_LIBUSB");
    return named && *named ? named : "libusb-0.1.so.4";
}

} // namespace

int LinkLoad()
{
    if (LibUSB.library) return 0;
    void* library = dlopen(LibraryFile(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        qCDebug(lcLink, "cannot load %s: %s", LibraryFile(), why ? why : "no reason given");
        return 1;
    }
    for (std::size_t i = 0; i < std::size(kEntryPoints); ++i) {
        LibUSB.entries[i] = dlsym(library, kEntryPoints[i].name);
        if (!LibUSB.entries[i] && kEntryPoints[i].required) {
            qCDebug(lcLink, "%s lacks %s", LibraryFile(), kEntryPoints[i].name);
            // The library stays mapped, but nothing may call into it through a half-filled table.
            LibUSB.entries.fill(nullptr);
            LibUSB.library = nullptr;
            return 2;
        }
    }
    LibUSB.library = library;
    qCDebug(lcLink, "loaded %s", LibraryFile());
    Call<void()>(Init)();
    return 0;
}

int LinkOpen()
{
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
            if (!LibUSB.device) {
                const int error = errno;
                qCDebug(lcLink, "bus %s device %s: open failed, errno %d", bus->dirname, dev->filename,
                        error);
                return Refused(error) ? 2 : 1;
            }
            // Other failures here show up as failing transfers, which the exchange reports;
            // a refused claim would only ever give "Link Error" and hide the real cause.
            Call<int(usb_dev_handle*, int)>(SetConfiguration)(LibUSB.device, 1);
            if (const int claim = Call<int(usb_dev_handle*, int)>(ClaimInterface)(LibUSB.device, 0);
                Refused(-claim)) {
                qCDebug(lcLink, "bus %s device %s: interface 0 refused (%d)", bus->dirname, dev->filename,
                        claim);
                LinkClose();
                return 2;
            }
            qCDebug(lcLink, "bus %s device %s: opened", bus->dirname, dev->filename);
            return 0;
        }
    }
    // The instrument is gone: its handle is of no further use.
    LinkClose();
    return 1;
}

bool LinkWrite(const uint8_t* bytes, int length)
{
    if (!Loaded() || !LibUSB.device) return false;
    return Call<int(usb_dev_handle*, int, const char*, int, int)>(BulkWrite)(
               LibUSB.device, kEndpointWrite, reinterpret_cast<const char*>(bytes), length,
               kTransferTimeoutMs) >= 0;
}

int LinkRead(uint8_t* buffer, int length)
{
    if (!Loaded() || !LibUSB.device) return -1;
    const int got = Call<int(usb_dev_handle*, int, char*, int, int)>(BulkRead)(
        LibUSB.device, kEndpointRead, reinterpret_cast<char*>(buffer), length, kTransferTimeoutMs);
    return got >= 0 ? got : -1;
}

void LinkClose()
{
    if (!LibUSB.device) return;
    if (Loaded()) Call<int(usb_dev_handle*)>(Close)(LibUSB.device);
    LibUSB.device = nullptr;
}

void LinkReset()
{
    LinkClose();
    LibUSB.entries.fill(nullptr);
    if (LibUSB.library) dlclose(LibUSB.library);
    LibUSB.library = nullptr;
}
