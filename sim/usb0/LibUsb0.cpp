// The libusb-0.1 interface over the instrument model. The program loads this file in place
// of libusb-0.1.so.4 and cannot tell the difference. Build variants leave out one entry
// point (LM11SIM_OMIT_<name>) to show how the program copes with an incomplete library.
#include "model/Instrument.h"

#include <usb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#define LM11SIM_EXPORT extern "C" __attribute__((visibility("default")))

// usb.h declares it outside its extern "C" block; global variable names are not mangled.
__attribute__((visibility("default"))) struct usb_bus* usb_busses = nullptr;

// Opaque to the program; it only passes the pointer back.
struct usb_dev_handle {
    int handle;
};

namespace {

using Clock = std::chrono::steady_clock;

struct Simulator {
    std::mutex mutex;
    bool loaded = false;
    std::unique_ptr<lm11sim::Instrument> instrument;
    Clock::time_point start = Clock::now();
    std::string lastError;
    // libusb hands out structures that stay valid; devices are kept for the whole run and
    // only relinked when a look finds a different set.
    std::map<int, std::unique_ptr<usb_bus>> busses;
    std::map<int, std::unique_ptr<struct usb_device>> devices;
    std::vector<int> presentIds;
    bool bussesReported = false;
    std::map<usb_dev_handle*, std::unique_ptr<usb_dev_handle>> handles;
};

Simulator& Sim()
{
    static Simulator* sim = new Simulator; // outlives every caller, also at process exit
    return *sim;
}

double Now(Simulator& s) { return std::chrono::duration<double, std::milli>(Clock::now() - s.start).count(); }

void SleepUntil(Simulator& s, double at)
{
    std::this_thread::sleep_until(
        s.start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(at)));
}

void Forget(Simulator& s)
{
    s.instrument.reset();
    s.loaded = false;
    s.handles.clear();
    s.presentIds.clear();
    s.bussesReported = false;
    for (auto& [n, bus] : s.busses) bus->devices = nullptr;
    usb_busses = nullptr;
    s.busses.clear();
    s.devices.clear();
}

bool Install(Simulator& s, std::optional<lm11sim::Scenario> scenario)
{
    Forget(s);
    if (!scenario) return false;
    auto archive = lm11sim::BuildArchive(*scenario, s.lastError);
    if (!archive) return false;
    s.start = Clock::now();
    s.instrument = std::make_unique<lm11sim::Instrument>(std::move(*scenario), std::move(*archive));
    s.loaded = true;
    return true;
}

bool LoadDefault(Simulator& s)
{
    const char* path = std::getenv("LM11_SIM_SCENARIO");
    if (path && *path) {
        if (Install(s, lm11sim::LoadScenarioFile(path, s.lastError))) return true;
        std::fprintf(stderr, "lm11sim: %s; simulating an empty bus\n", s.lastError.c_str());
        return Install(s, lm11sim::ParseScenario("devices none", ".", s.lastError));
    }
    return Install(s, lm11sim::ParseScenario("", ".", s.lastError));
}

lm11sim::Instrument* Model(Simulator& s)
{
    if (!s.loaded) LoadDefault(s);
    return s.instrument.get();
}

[[maybe_unused]] std::string Name(const struct usb_device* d)
{
    return std::string(d->bus->dirname) + "/" + d->filename;
}

int HandleOf(Simulator& s, usb_dev_handle* h) { return h && s.handles.count(h) ? h->handle : -1; }

} // namespace

// ---- Extra entry points for tests: switch scenarios inside one process ----

/// Loads a scenario file; 0 on success, -1 with lm11sim_last_error() telling why.
LM11SIM_EXPORT int lm11sim_load_scenario(const char* path)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    return Install(s, lm11sim::LoadScenarioFile(path ? path : "", s.lastError)) ? 0 : -1;
}

/// Loads a scenario from text; relative paths in it are taken from the current directory.
LM11SIM_EXPORT int lm11sim_load_scenario_text(const char* text)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    return Install(s, lm11sim::ParseScenario(text ? text : "", ".", s.lastError)) ? 0 : -1;
}

/// Forgets the scenario and every handle; the next call reads LM11_SIM_SCENARIO again.
LM11SIM_EXPORT void lm11sim_reset()
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    Forget(s);
}

LM11SIM_EXPORT const char* lm11sim_last_error() { return Sim().lastError.c_str(); }

// ---- libusb-0.1 ----

#ifndef LM11SIM_OMIT_usb_init
LM11SIM_EXPORT void usb_init(void)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    // A scenario chosen by a test before the library's first use stays in force.
    if (auto* m = Model(s)) m->note(Now(s), "usb_init");
}
#endif

#ifndef LM11SIM_OMIT_usb_find_busses
LM11SIM_EXPORT int usb_find_busses(void)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    auto* m = Model(s);
    if (!m) return 0;
    int added = 0;
    auto need = [&](int n) {
        if (s.busses.count(n)) return;
        auto bus = std::make_unique<usb_bus>();
        std::memset(bus.get(), 0, sizeof(usb_bus));
        std::snprintf(bus->dirname, sizeof bus->dirname, "%03d", n);
        bus->location = uint32_t(n);
        s.busses[n] = std::move(bus);
        ++added;
    };
    need(1);
    for (const auto& d : m->scenario().devices) need(d.bus);
    usb_bus* prev = nullptr;
    usb_busses = nullptr;
    for (auto& [n, bus] : s.busses) {
        bus->prev = prev;
        bus->next = nullptr;
        if (prev)
            prev->next = bus.get();
        else
            usb_busses = bus.get();
        prev = bus.get();
    }
    m->note(Now(s), "usb_find_busses", "-> " + std::to_string(added));
    return added;
}
#endif

#ifndef LM11SIM_OMIT_usb_find_devices
LM11SIM_EXPORT int usb_find_devices(void)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    auto* m = Model(s);
    if (!m) return 0;
    const auto present = m->look(Now(s));
    std::vector<int> ids;
    for (const auto& p : present) ids.push_back(p.id);
    int changes = 0;
    for (int id : ids) changes += std::count(s.presentIds.begin(), s.presentIds.end(), id) ? 0 : 1;
    for (int id : s.presentIds) changes += std::count(ids.begin(), ids.end(), id) ? 0 : 1;
    s.presentIds = ids;
    for (auto& [n, bus] : s.busses) bus->devices = nullptr;
    std::map<int, struct usb_device*> last;
    for (const auto& p : present) {
        auto& slot = s.devices[p.id];
        if (!slot) {
            slot = std::make_unique<struct usb_device>();
            std::memset(slot.get(), 0, sizeof(struct usb_device));
            std::snprintf(slot->filename, sizeof slot->filename, "%03d", p.address);
            slot->descriptor.bLength = USB_DT_DEVICE_SIZE;
            slot->descriptor.bDescriptorType = USB_DT_DEVICE;
            slot->descriptor.bcdUSB = 0x0110;
            slot->descriptor.bMaxPacketSize0 = 8;
            slot->descriptor.idVendor = p.vendor;
            slot->descriptor.idProduct = p.product;
            slot->descriptor.bNumConfigurations = 1;
            slot->devnum = uint8_t(p.address);
        }
        const auto busIt = s.busses.find(p.bus);
        if (busIt == s.busses.end()) continue; // its bus has not been found yet
        struct usb_device* d = slot.get();
        d->bus = busIt->second.get();
        d->next = nullptr;
        d->prev = last[p.bus];
        if (d->prev)
            d->prev->next = d;
        else
            d->bus->devices = d;
        last[p.bus] = d;
    }
    m->note(Now(s), "usb_find_devices", "-> " + std::to_string(changes));
    return changes;
}
#endif

#ifndef LM11SIM_OMIT_usb_get_busses
LM11SIM_EXPORT struct usb_bus* usb_get_busses(void) { return usb_busses; }
#endif

#ifndef LM11SIM_OMIT_usb_open
LM11SIM_EXPORT usb_dev_handle* usb_open(struct usb_device* dev)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    auto* m = Model(s);
    if (!m || !dev) return nullptr;
    int id = -1;
    for (const auto& [i, d] : s.devices)
        if (d.get() == dev) id = i;
    const int h = m->open(id, Now(s), Name(dev));
    if (h < 0) {
        errno = -h; // as libusb-compat reports why the open failed
        return nullptr;
    }
    auto handle = std::make_unique<usb_dev_handle>(usb_dev_handle{h});
    auto* raw = handle.get();
    s.handles[raw] = std::move(handle);
    return raw;
}
#endif

#ifndef LM11SIM_OMIT_usb_close
LM11SIM_EXPORT int usb_close(usb_dev_handle* dev)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    auto* m = Model(s);
    const int h = HandleOf(s, dev);
    if (!m || h < 0) return -9;
    const int result = m->close(h, Now(s));
    s.handles.erase(dev);
    return result;
}
#endif

#ifndef LM11SIM_OMIT_usb_set_configuration
LM11SIM_EXPORT int usb_set_configuration(usb_dev_handle* dev, int configuration)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    auto* m = Model(s);
    return m ? m->setConfiguration(HandleOf(s, dev), configuration, Now(s)) : -9;
}
#endif

#ifndef LM11SIM_OMIT_usb_claim_interface
LM11SIM_EXPORT int usb_claim_interface(usb_dev_handle* dev, int interface)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    auto* m = Model(s);
    return m ? m->claimInterface(HandleOf(s, dev), interface, Now(s)) : -9;
}
#endif

LM11SIM_EXPORT int usb_release_interface(usb_dev_handle* dev, int interface)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    auto* m = Model(s);
    return m ? m->releaseInterface(HandleOf(s, dev), interface, Now(s)) : -9;
}

// The lock is held while the transfer "runs": the instrument has one pipe each way.
#ifndef LM11SIM_OMIT_usb_bulk_write
LM11SIM_EXPORT int usb_bulk_write(usb_dev_handle* dev, int ep, const char* bytes, int size, int timeout)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    auto* m = Model(s);
    if (!m) return -9;
    if (!bytes && size > 0) return -14; // EFAULT, as the kernel answers
    const auto c =
        m->bulkWrite(HandleOf(s, dev), ep, reinterpret_cast<const uint8_t*>(bytes), size, timeout, Now(s));
    SleepUntil(s, c.doneAt);
    return c.result;
}
#endif

#ifndef LM11SIM_OMIT_usb_bulk_read
LM11SIM_EXPORT int usb_bulk_read(usb_dev_handle* dev, int ep, char* bytes, int size, int timeout)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    auto* m = Model(s);
    if (!m) return -9;
    if (!bytes && size > 0) return -14;
    const auto c =
        m->bulkRead(HandleOf(s, dev), ep, reinterpret_cast<uint8_t*>(bytes), size, timeout, Now(s));
    SleepUntil(s, c.doneAt);
    return c.result;
}
#endif

// ---- The rest of libusb-0.1 on Linux: present, recorded, and of no use to the program ----

namespace {
int Unsupported(const char* call)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    if (auto* m = Model(s)) m->note(Now(s), call, "-> -38 (not simulated)");
    return -38; // ENOSYS
}
} // namespace

LM11SIM_EXPORT int usb_get_string(usb_dev_handle*, int, int, char*, size_t)
{
    return Unsupported("usb_get_string");
}
LM11SIM_EXPORT int usb_get_string_simple(usb_dev_handle*, int, char*, size_t)
{
    return Unsupported("usb_get_string_simple");
}
LM11SIM_EXPORT int usb_get_descriptor_by_endpoint(usb_dev_handle*, int, unsigned char, unsigned char, void*,
                                                  int)
{
    return Unsupported("usb_get_descriptor_by_endpoint");
}
LM11SIM_EXPORT int usb_get_descriptor(usb_dev_handle*, unsigned char, unsigned char, void*, int)
{
    return Unsupported("usb_get_descriptor");
}
LM11SIM_EXPORT int usb_interrupt_write(usb_dev_handle*, int, const char*, int, int)
{
    return Unsupported("usb_interrupt_write");
}
LM11SIM_EXPORT int usb_interrupt_read(usb_dev_handle*, int, char*, int, int)
{
    return Unsupported("usb_interrupt_read");
}
LM11SIM_EXPORT int usb_control_msg(usb_dev_handle*, int, int, int, int, char*, int, int)
{
    return Unsupported("usb_control_msg");
}
LM11SIM_EXPORT int usb_set_altinterface(usb_dev_handle*, int) { return Unsupported("usb_set_altinterface"); }
LM11SIM_EXPORT int usb_resetep(usb_dev_handle*, unsigned int) { return Unsupported("usb_resetep"); }
LM11SIM_EXPORT int usb_clear_halt(usb_dev_handle*, unsigned int) { return Unsupported("usb_clear_halt"); }
LM11SIM_EXPORT int usb_reset(usb_dev_handle*) { return Unsupported("usb_reset"); }
LM11SIM_EXPORT int usb_get_driver_np(usb_dev_handle*, int, char*, unsigned int)
{
    return Unsupported("usb_get_driver_np");
}
LM11SIM_EXPORT int usb_detach_kernel_driver_np(usb_dev_handle*, int)
{
    return Unsupported("usb_detach_kernel_driver_np");
}
LM11SIM_EXPORT char* usb_strerror(void)
{
    static char text[] = "simulated instrument";
    return text;
}
LM11SIM_EXPORT void usb_set_debug(int) {}
LM11SIM_EXPORT struct usb_device* usb_device(usb_dev_handle* dev)
{
    auto& s = Sim();
    std::lock_guard lock(s.mutex);
    const int h = HandleOf(s, dev);
    if (h < 0 || !s.instrument) return nullptr;
    const auto it = s.devices.find(s.instrument->deviceOf(h));
    return it == s.devices.end() ? nullptr : it->second.get();
}
