#include "UsbdevfsTestbed.h"

#include <umockdev.h>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <limits>
#include <map>
#include <span>
#include <stdexcept>

namespace lm11::usbdevfs {

namespace {

std::string Hex(std::span<const std::uint8_t> bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (std::uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

std::string Printf(const char* format, auto... args)
{
    char line[160];
    std::snprintf(line, sizeof line, format, args...);
    return line;
}

std::string DevPath(const UsbIdentity& id) { return Printf("/dev/bus/usb/%03d/%03d", id.bus, id.address); }

// Granularity of transfers the device completes later: short next to the host's time-outs
// (hundreds of ms), long enough not to spin the handler thread.
constexpr guint kPollMs = 2;

} // namespace

std::vector<std::uint8_t> Descriptors(const UsbIdentity& id)
{
    const auto lo = [](unsigned v) { return static_cast<std::uint8_t>(v & 0xFF); };
    const auto hi = [](unsigned v) { return static_cast<std::uint8_t>(v >> 8); };
    std::vector<std::uint8_t> d = {// device: USB 1.1, class per interface, EP0 of 64 bytes, one configuration
                                   18, 0x01, 0x10, 0x01, 0x00, 0x00, 0x00, 64, lo(id.vendor), hi(id.vendor),
                                   lo(id.product), hi(id.product), 0x00, 0x01, 0, 0, 0, 1,
                                   // configuration 1: 32 bytes in all, one interface, self-powered
                                   9, 0x02, 32, 0, 1, 1, 0, 0xC0, 50,
                                   // interface 0: two endpoints, vendor class
                                   9, 0x04, 0, 0, 2, 0xFF, 0x00, 0x00, 0,
                                   // bulk OUT, bulk IN, 64-byte packets
                                   7, 0x05, id.outEndpoint, 0x02, 64, 0, 0, 7, 0x05, id.inEndpoint, 0x02, 64,
                                   0, 0};
    return d;
}

// One emulated device node: answers what libusb's Linux backend asks of usbdevfs.
// Runs on umockdev's handler thread; every member is guarded by the testbed's mutex.
class DeviceNode {
public:
    DeviceNode(const UsbIdentity& id, BulkModel& model, std::mutex& lock,
               std::vector<std::pair<double, std::string>>& trace, std::function<double()> clock)
        : id_(id), descriptors_(Descriptors(id)), model_(model), lock_(lock), trace_(trace),
          clock_(std::move(clock))
    {
        handler_ = umockdev_ioctl_base_new();
        g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&DeviceNode::OnIoctl), this);
        g_signal_connect(handler_, "handle-read", G_CALLBACK(&DeviceNode::OnRead), this);
        g_signal_connect(handler_, "handle-write", G_CALLBACK(&DeviceNode::OnWrite), this);
        g_signal_connect(handler_, "client-vanished", G_CALLBACK(&DeviceNode::OnVanished), this);
    }

    ~DeviceNode()
    {
        std::lock_guard guard(lock_);
        closing_ = true;
        if (poll_) {
            g_source_destroy(poll_);
            g_source_unref(poll_);
            poll_ = nullptr;
        }
        for (auto& urb : pending_) Drop(urb);
        for (auto& urb : done_) Drop(urb);
        for (auto& [client, waiter] : reapers_) g_object_unref(waiter);
        g_signal_handlers_disconnect_by_data(handler_, this);
        g_object_unref(handler_);
    }

    UMockdevIoctlBase* handler() const { return handler_; }

private:
    static constexpr double kNever = std::numeric_limits<double>::infinity();

    struct Urb {
        UMockdevIoctlClient* client;
        UMockdevIoctlData* urb;    // the client's struct usbdevfs_urb, kept for the reap
        UMockdevIoctlData* buffer; // its data buffer
        double dueAt = kNever;     // when the device completes it
        int result = 0;            // bytes moved or -errno, once due
    };

    static usbdevfs_urb* Fields(const Urb& u) { return reinterpret_cast<usbdevfs_urb*>(u.urb->data); }

    static void Drop(Urb& u)
    {
        g_object_unref(u.buffer);
        g_object_unref(u.urb);
        g_object_unref(u.client);
    }

    void Log(std::string line)
    {
        if (std::getenv("LM11_UMOCKDEV_TRACE")) std::fprintf(stderr, "usbdevfs: %s\n", line.c_str());
        trace_.emplace_back(clock_(), std::move(line));
    }

    // The model's session of a client, opened on the first request that needs the device.
    int Session(UMockdevIoctlClient* client)
    {
        auto [it, added] = sessions_.emplace(client, nextSession_);
        if (added) {
            g_object_ref(client);
            ++nextSession_;
            model_.opened(it->second, clock_());
        }
        return it->second;
    }

    static gboolean OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self)
    {
        auto* node = static_cast<DeviceNode*>(self);
        std::lock_guard guard(node->lock_);
        node->Sweep();
        // The kernel serves the cached descriptors from the current file position; libusb
        // reads them once per open, from the start.
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        auto [at, added] = node->readPos_.emplace(client, 0);
        if (added) g_object_ref(client);
        std::size_t& pos = at->second;
        const std::size_t size = node->descriptors_.size();
        const std::size_t n = std::min<std::size_t>(std::size_t(arg->data_len), size - std::min(pos, size));
        if (n) std::memcpy(arg->data, node->descriptors_.data() + pos, n);
        pos += n;
        node->Log(Printf("read len=%d -> %zu", arg->data_len, n));
        umockdev_ioctl_client_complete(client, glong(n), 0);
        return TRUE;
    }

    static gboolean OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self)
    {
        auto* node = static_cast<DeviceNode*>(self);
        std::lock_guard guard(node->lock_);
        node->Log("write -> EINVAL");
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return TRUE;
    }

    static void OnVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self)
    {
        auto* node = static_cast<DeviceNode*>(self);
        std::lock_guard guard(node->lock_);
        node->Forget(client);
    }

    // umockdev 0.17 does not signal a closed device file; it only marks the client as no
    // longer connected. Every request therefore first lets go of the clients that are gone,
    // so the model sees the program's usb_close before its next usb_open.
    void Sweep()
    {
        std::vector<UMockdevIoctlClient*> gone;
        for (const auto& [client, session] : sessions_)
            if (!umockdev_ioctl_client_get_connected(client)) gone.push_back(client);
        for (const auto& [client, pos] : readPos_)
            if (!umockdev_ioctl_client_get_connected(client)) gone.push_back(client);
        std::sort(gone.begin(), gone.end());
        gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
        for (UMockdevIoctlClient* client : gone) Forget(client);
    }

    void Forget(UMockdevIoctlClient* client)
    {
        g_object_ref(client); // the maps below may hold the last references
        if (readPos_.erase(client)) g_object_unref(client);
        if (auto it = sessions_.find(client); it != sessions_.end()) {
            Log("close");
            model_.closed(it->second, clock_());
            g_object_unref(client);
            sessions_.erase(it);
        }
        // Closing the file cancels whatever the client left in flight, as the kernel does.
        auto ofClient = [client](const Urb& u) { return u.client == client; };
        for (auto* list : {&pending_, &done_}) {
            for (auto& u : *list)
                if (ofClient(u)) Drop(u);
            std::erase_if(*list, ofClient);
        }
        if (auto it = reapers_.find(client); it != reapers_.end()) {
            g_object_unref(it->second);
            reapers_.erase(it);
        }
        g_object_unref(client);
    }

    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self)
    {
        auto* node = static_cast<DeviceNode*>(self);
        std::lock_guard guard(node->lock_);
        if (node->closing_) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        node->Sweep();
        node->Ioctl(client);
        return TRUE;
    }

    // Reads an int argument passed by address (SETCONFIGURATION, CLAIMINTERFACE, ...).
    static bool IntArg(UMockdevIoctlClient* client, int& value)
    {
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        UMockdevIoctlData* v = umockdev_ioctl_data_resolve(arg, 0, sizeof(int), nullptr);
        if (!v) return false;
        std::memcpy(&value, v->data, sizeof value);
        return true;
    }

    void Ioctl(UMockdevIoctlClient* client)
    {
        const gulong request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        int value = 0;
        switch (request) {
        case USBDEVFS_CONNECTINFO: {
            UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_connectinfo), nullptr);
            if (!d) return Fail(client, "CONNECTINFO", EFAULT);
            auto* info = reinterpret_cast<usbdevfs_connectinfo*>(d->data);
            info->devnum = unsigned(id_.address);
            info->slow = 0;
            Log("CONNECTINFO");
            return umockdev_ioctl_client_complete(client, 0, 0);
        }
        case USBDEVFS_IOCTL:
            // The hub port query libusb makes on every device file; this is no hub.
            return Fail(client, "IOCTL", ENOSYS);
        case USBDEVFS_SETCONFIGURATION:
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE: {
            const char* name = request == USBDEVFS_SETCONFIGURATION ? "SETCONFIGURATION"
                               : request == USBDEVFS_CLAIMINTERFACE ? "CLAIMINTERFACE"
                                                                    : "RELEASEINTERFACE";
            if (!IntArg(client, value)) return Fail(client, name, EFAULT);
            const int session = Session(client);
            const double at = clock_();
            const int r = request == USBDEVFS_SETCONFIGURATION ? model_.configure(session, value, at)
                          : request == USBDEVFS_CLAIMINTERFACE ? model_.claim(session, value, at)
                                                               : model_.release(session, value, at);
            Log(Printf("%s %d -> %d", name, value, r));
            return umockdev_ioctl_client_complete(client, r < 0 ? -1 : 0, r < 0 ? -r : 0);
        }
        case USBDEVFS_SUBMITURB: return Submit(client, arg);
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY: return Reap(client, request == USBDEVFS_REAPURB);
        case USBDEVFS_DISCARDURB: return Discard(client, arg);
        default: return Fail(client, Printf("ioctl 0x%lx", request).c_str(), ENOTTY);
        }
    }

    void Fail(UMockdevIoctlClient* client, const char* what, int error)
    {
        Log(Printf("%s -> %s", what, std::strerror(error)));
        umockdev_ioctl_client_complete(client, -1, error);
    }

    void Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
    {
        UMockdevIoctlData* urbData = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
        if (!urbData) return Fail(client, "SUBMITURB", EFAULT);
        auto* urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
        const std::uint8_t ep = urb->endpoint;
        if (urb->type != USBDEVFS_URB_TYPE_BULK || urb->buffer_length < 0) {
            return Fail(client, Printf("SUBMITURB type=%d ep=%02X", urb->type, ep).c_str(), EINVAL);
        }
        UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(urbData, offsetof(usbdevfs_urb, buffer),
                                                                gsize(urb->buffer_length), nullptr);
        if (!buffer) return Fail(client, "SUBMITURB buffer", EFAULT);
        const int session = Session(client);
        const double at = clock_();
        const int size = urb->buffer_length;
        const bool out = (ep & 0x80) == 0;
        // The model decides now, as the library's own call would; the transfer then
        // completes on the testbed's clock at the time it names.
        std::vector<std::uint8_t> bytes(buffer->data, buffer->data + size);
        const BulkResult r = out ? model_.write(session, ep, bytes.data(), size, at)
                                 : model_.read(session, ep, bytes.data(), size, at);
        if (out)
            Log(Printf("SUBMITURB ep=%02X len=%d -> %d at +%.0f ms ", ep, size, r.result, r.doneAt - at) +
                Hex(bytes));
        else {
            // Appended, not "" + Hex(..): GCC 12 at -O3 takes that concatenation for an
            // overlapping copy.
            std::string line =
                Printf("SUBMITURB ep=%02X len=%d -> %d at +%.0f ms", ep, size, r.result, r.doneAt - at);
            if (r.result > 0) {
                line += ' ';
                line += Hex(std::span(bytes).first(std::size_t(std::min(r.result, size))));
            }
            Log(line);
        }
        if (!out && r.result > 0)
            std::memcpy(buffer->data, bytes.data(), std::size_t(std::min(r.result, size)));
        urb->status = -EINPROGRESS;
        urb->actual_length = 0;
        g_object_ref(client);
        g_object_ref(urbData);
        g_object_ref(buffer);
        Urb u{client, urbData, buffer, r.result == -ETIMEDOUT ? kNever : r.doneAt, std::min(r.result, size)};
        umockdev_ioctl_client_complete(client, 0, 0);
        pending_.push_back(u);
        Progress();
    }

    // Completes every pending transfer that is due; keeps a short timer running while some
    // are waiting for a later time.
    void Progress()
    {
        const double now = clock_();
        bool waiting = false;
        for (auto it = pending_.begin(); it != pending_.end();) {
            if (it->dueAt > now) {
                waiting = waiting || it->dueAt != kNever;
                ++it;
                continue;
            }
            usbdevfs_urb* f = Fields(*it);
            f->status = it->result < 0 ? it->result : 0;
            f->actual_length = it->result < 0 ? 0 : it->result;
            Urb u = *it;
            it = pending_.erase(it);
            Finish(u);
        }
        if (waiting && !poll_) {
            poll_ = g_timeout_source_new(kPollMs);
            g_source_set_callback(poll_, &DeviceNode::OnPoll, this, nullptr);
            g_source_attach(poll_, g_main_context_get_thread_default());
        }
    }

    static gboolean OnPoll(gpointer self)
    {
        auto* node = static_cast<DeviceNode*>(self);
        std::lock_guard guard(node->lock_);
        if (node->closing_) return G_SOURCE_REMOVE;
        node->Sweep();
        g_source_unref(node->poll_);
        node->poll_ = nullptr;
        node->Progress(); // starts a new timer if still needed
        return G_SOURCE_REMOVE;
    }

    // Hands a finished URB to a client blocked in REAPURB, if any.
    void Finish(const Urb& u)
    {
        done_.push_back(u);
        if (auto it = reapers_.find(u.client); it != reapers_.end()) {
            UMockdevIoctlClient* waiter = it->second;
            reapers_.erase(it);
            Reap(waiter, true);
            g_object_unref(waiter);
        }
    }

    void Reap(UMockdevIoctlClient* client, bool wait)
    {
        auto it =
            std::find_if(done_.begin(), done_.end(), [client](const Urb& u) { return u.client == client; });
        if (it == done_.end()) {
            if (!wait) return umockdev_ioctl_client_complete(client, -1, EAGAIN);
            // Completed later, from Finish, when the transfer is due or discarded.
            reapers_.emplace(client, client);
            g_object_ref(client);
            return;
        }
        Urb u = *it;
        done_.erase(it);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), nullptr);
        if (!slot || !umockdev_ioctl_data_set_ptr(slot, 0, u.urb)) {
            Drop(u);
            return Fail(client, "REAPURB", EFAULT);
        }
        const usbdevfs_urb* f = Fields(u);
        Log(Printf("%s ep=%02X status=%d actual=%d", wait ? "REAPURB" : "REAPURBNDELAY", f->endpoint,
                   f->status, f->actual_length));
        umockdev_ioctl_client_complete(client, 0, 0);
        Drop(u);
    }

    void Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg)
    {
        gulong address = 0;
        std::memcpy(&address, arg->data, std::min<std::size_t>(sizeof address, std::size_t(arg->data_len)));
        auto it = std::find_if(pending_.begin(), pending_.end(), [&](const Urb& u) {
            return u.client == client && u.urb->client_addr == address;
        });
        if (it == pending_.end()) return Fail(client, "DISCARDURB", EINVAL);
        Urb u = *it;
        pending_.erase(it);
        Fields(u)->status = -ENOENT;
        Fields(u)->actual_length = 0;
        Log(Printf("DISCARDURB ep=%02X", Fields(u)->endpoint));
        umockdev_ioctl_client_complete(client, 0, 0);
        Finish(u);
    }

    UsbIdentity id_;
    std::vector<std::uint8_t> descriptors_;
    BulkModel& model_;
    std::mutex& lock_;
    std::vector<std::pair<double, std::string>>& trace_;
    std::function<double()> clock_;
    UMockdevIoctlBase* handler_ = nullptr;
    GSource* poll_ = nullptr;
    bool closing_ = false;
    std::deque<Urb> pending_; // submitted, not complete yet
    std::deque<Urb> done_;    // complete, not reaped yet
    std::map<UMockdevIoctlClient*, UMockdevIoctlClient*> reapers_;
    std::map<UMockdevIoctlClient*, std::size_t> readPos_;
    std::map<UMockdevIoctlClient*, int> sessions_;
    int nextSession_ = 1;
};

struct UsbdevfsTestbed::Impl {
    UMockdevTestbed* bed = nullptr;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    mutable std::mutex lock;
    std::vector<std::pair<double, std::string>> trace;
    std::vector<std::unique_ptr<DeviceNode>> nodes;
    std::vector<std::string> devPaths;
};

UsbdevfsTestbed::UsbdevfsTestbed() : impl_(std::make_unique<Impl>())
{
    impl_->bed = umockdev_testbed_new();
    if (!impl_->bed) throw std::runtime_error("umockdev: no testbed");
}

UsbdevfsTestbed::~UsbdevfsTestbed()
{
    for (const auto& path : impl_->devPaths) umockdev_testbed_detach_ioctl(impl_->bed, path.c_str(), nullptr);
    // Releasing the testbed removes its folder and stops its handler thread; the nodes go
    // after it so no handler can still be running on them.
    g_object_unref(impl_->bed);
    impl_->nodes.clear();
}

void UsbdevfsTestbed::addDevice(const UsbIdentity& id, BulkModel& model)
{
    const std::string dev = DevPath(id);
    const std::string record =
        Printf("P: /devices/pci0000:00/0000:00:1d.0/usb%d/%d-%d\n", id.bus, id.bus, id.address) +
        "N: " + dev.substr(5) + "=" + Hex(Descriptors(id)) + "\n" +
        "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n" + "E: DEVNAME=" + dev + "\n" +
        Printf("E: BUSNUM=%03d\nE: DEVNUM=%03d\nE: PRODUCT=%x/%x/100\n", id.bus, id.address, id.vendor,
               id.product) +
        Printf("A: idVendor=%04x\nA: idProduct=%04x\nA: busnum=%d\nA: devnum=%d\n", id.vendor, id.product,
               id.bus, id.address) +
        "A: speed=12\nA: bConfigurationValue=1\nA: bNumInterfaces= 1\n";
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(impl_->bed, record.c_str(), &error)) {
        std::string why = error ? error->message : "?";
        g_clear_error(&error);
        throw std::runtime_error("umockdev: cannot add " + dev + ": " + why);
    }
    auto node = std::make_unique<DeviceNode>(id, model, impl_->lock, impl_->trace, [this] { return now(); });
    if (!umockdev_testbed_attach_ioctl(impl_->bed, dev.c_str(), node->handler(), &error)) {
        std::string why = error ? error->message : "?";
        g_clear_error(&error);
        throw std::runtime_error("umockdev: cannot attach " + dev + ": " + why);
    }
    impl_->nodes.push_back(std::move(node));
    impl_->devPaths.push_back(dev);
}

void UsbdevfsTestbed::withLock(const std::function<void()>& f)
{
    std::lock_guard guard(impl_->lock);
    f();
}

std::vector<std::string> UsbdevfsTestbed::trace() const
{
    std::lock_guard guard(impl_->lock);
    std::vector<std::string> lines;
    for (const auto& [at, line] : impl_->trace) lines.push_back(line);
    return lines;
}

std::vector<std::pair<double, std::string>> UsbdevfsTestbed::timedTrace() const
{
    std::lock_guard guard(impl_->lock);
    return impl_->trace;
}

double UsbdevfsTestbed::now() const
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - impl_->start).count();
}

std::string UsbdevfsTestbed::rootDir() const
{
    gchar* dir = umockdev_testbed_get_root_dir(impl_->bed);
    std::string s = dir ? dir : "";
    g_free(dir);
    return s;
}

} // namespace lm11::usbdevfs
