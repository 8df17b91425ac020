#include "UsbdevfsTestbed.h"

#include <umockdev.h>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <stdexcept>

namespace lm11::usbdevfs {

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (std::uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

std::string Printf(const char* format, auto... args) {
    char line[160];
    std::snprintf(line, sizeof line, format, args...);
    return line;
}

std::string DevPath(const UsbIdentity& id) {
    return Printf("/dev/bus/usb/%03d/%03d", id.bus, id.address);
}

// Time a pending IN transfer waits before the model is asked again. Short next to the
// host's own time-outs (hundreds of ms), long enough not to spin the handler thread.
constexpr guint kPollMs = 2;

} // namespace

std::vector<std::uint8_t> Descriptors(const UsbIdentity& id) {
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
    DeviceNode(const UsbIdentity& id, BulkModel& model, std::mutex& lock, std::vector<std::string>& trace)
        : id_(id), descriptors_(Descriptors(id)), model_(model), lock_(lock), trace_(trace) {
        handler_ = umockdev_ioctl_base_new();
        g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&DeviceNode::OnIoctl), this);
        g_signal_connect(handler_, "handle-read", G_CALLBACK(&DeviceNode::OnRead), this);
        g_signal_connect(handler_, "handle-write", G_CALLBACK(&DeviceNode::OnWrite), this);
        g_signal_connect(handler_, "client-vanished", G_CALLBACK(&DeviceNode::OnVanished), this);
    }

    ~DeviceNode() {
        std::lock_guard guard(lock_);
        closing_ = true;
        if (poll_) {
            g_source_destroy(poll_);
            g_source_unref(poll_);
            poll_ = nullptr;
        }
        for (auto& urb : pending_)
            Drop(urb);
        for (auto& urb : done_)
            Drop(urb);
        for (auto& [client, waiter] : reapers_)
            g_object_unref(waiter);
        g_signal_handlers_disconnect_by_data(handler_, this);
        g_object_unref(handler_);
    }

    UMockdevIoctlBase* handler() const { return handler_; }

private:
    struct Urb {
        UMockdevIoctlClient* client;
        UMockdevIoctlData* urb;    // the client's struct usbdevfs_urb, kept for the reap
        UMockdevIoctlData* buffer; // its data buffer
    };

    static usbdevfs_urb* Fields(const Urb& u) { return reinterpret_cast<usbdevfs_urb*>(u.urb->data); }

    static void Drop(Urb& u) {
        g_object_unref(u.buffer);
        g_object_unref(u.urb);
        g_object_unref(u.client);
    }

    void Log(std::string line) {
        if (std::getenv("LM11_UMOCKDEV_TRACE")) std::fprintf(stderr, "usbdevfs: %s\n", line.c_str());
        trace_.push_back(std::move(line));
    }

    static gboolean OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        auto* node = static_cast<DeviceNode*>(self);
        std::lock_guard guard(node->lock_);
        // The kernel serves the cached descriptors from the current file position; libusb
        // reads them once per open, from the start.
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        std::size_t& pos = node->readPos_[client];
        const std::size_t n = std::min<std::size_t>(
            arg->data_len, node->descriptors_.size() - std::min(pos, node->descriptors_.size()));
        if (n) std::memcpy(arg->data, node->descriptors_.data() + pos, n);
        pos += n;
        node->Log(Printf("read len=%d -> %zu", arg->data_len, n));
        umockdev_ioctl_client_complete(client, static_cast<glong>(n), 0);
        return TRUE;
    }

    static gboolean OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        auto* node = static_cast<DeviceNode*>(self);
        std::lock_guard guard(node->lock_);
        node->Log("write -> EINVAL");
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return TRUE;
    }

    static void OnVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        auto* node = static_cast<DeviceNode*>(self);
        std::lock_guard guard(node->lock_);
        node->Log("close");
        node->readPos_.erase(client);
        // Closing the node cancels whatever the client left in flight, as the kernel does.
        auto ofClient = [client](const Urb& u) { return u.client == client; };
        for (auto* list : {&node->pending_, &node->done_}) {
            for (auto& u : *list)
                if (ofClient(u)) Drop(u);
            std::erase_if(*list, ofClient);
        }
        if (auto it = node->reapers_.find(client); it != node->reapers_.end()) {
            g_object_unref(it->second);
            node->reapers_.erase(it);
        }
    }

    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        auto* node = static_cast<DeviceNode*>(self);
        std::lock_guard guard(node->lock_);
        if (node->closing_) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        node->Ioctl(client);
        return TRUE;
    }

    // Reads an int argument passed by address (SETCONFIGURATION, CLAIMINTERFACE, ...).
    static bool IntArg(UMockdevIoctlClient* client, int& value) {
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        UMockdevIoctlData* v = umockdev_ioctl_data_resolve(arg, 0, sizeof(int), nullptr);
        if (!v) return false;
        std::memcpy(&value, v->data, sizeof value);
        return true;
    }

    void Ioctl(UMockdevIoctlClient* client) {
        const gulong request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        int value = 0;
        switch (request) {
        case USBDEVFS_CONNECTINFO: {
            UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_connectinfo), nullptr);
            if (!d) return Fail(client, "CONNECTINFO", EFAULT);
            auto* info = reinterpret_cast<usbdevfs_connectinfo*>(d->data);
            info->devnum = static_cast<unsigned>(id_.address);
            info->slow = 0;
            Log("CONNECTINFO");
            return umockdev_ioctl_client_complete(client, 0, 0);
        }
        case USBDEVFS_IOCTL:
            // The hub port query libusb makes on every node; a device is no hub.
            return Fail(client, "IOCTL", ENOSYS);
        case USBDEVFS_SETCONFIGURATION:
            if (!IntArg(client, value)) return Fail(client, "SETCONFIGURATION", EFAULT);
            Log(Printf("SETCONFIGURATION %d", value));
            if (value != 1) return Fail(client, "SETCONFIGURATION", EINVAL);
            model_.configured(value);
            return umockdev_ioctl_client_complete(client, 0, 0);
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE: {
            const bool claim = request == USBDEVFS_CLAIMINTERFACE;
            const char* name = claim ? "CLAIMINTERFACE" : "RELEASEINTERFACE";
            if (!IntArg(client, value)) return Fail(client, name, EFAULT);
            Log(Printf("%s %d", name, value));
            if (value != 0) return Fail(client, name, ENOENT);
            claim ? model_.claimed(value) : model_.released(value);
            return umockdev_ioctl_client_complete(client, 0, 0);
        }
        case USBDEVFS_SUBMITURB:
            return Submit(client, arg);
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            return Reap(client, request == USBDEVFS_REAPURB);
        case USBDEVFS_DISCARDURB:
            return Discard(client, arg);
        default:
            return Fail(client, Printf("ioctl 0x%lx", request).c_str(), ENOTTY);
        }
    }

    void Fail(UMockdevIoctlClient* client, const char* what, int error) {
        Log(Printf("%s -> %s", what, std::strerror(error)));
        umockdev_ioctl_client_complete(client, -1, error);
    }

    void Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        UMockdevIoctlData* urbData = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
        if (!urbData) return Fail(client, "SUBMITURB", EFAULT);
        auto* urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
        const std::uint8_t ep = urb->endpoint;
        const bool known = ep == id_.outEndpoint || ep == id_.inEndpoint;
        if (urb->type != USBDEVFS_URB_TYPE_BULK || !known || urb->buffer_length < 0) {
            return Fail(client, Printf("SUBMITURB type=%d ep=%02X", urb->type, ep).c_str(), EINVAL);
        }
        UMockdevIoctlData* buffer = umockdev_ioctl_data_resolve(
            urbData, offsetof(usbdevfs_urb, buffer), static_cast<gsize>(urb->buffer_length), nullptr);
        if (!buffer) return Fail(client, "SUBMITURB buffer", EFAULT);
        Urb u{client, urbData, buffer};
        g_object_ref(client);
        g_object_ref(urbData);
        g_object_ref(buffer);
        urb->status = -EINPROGRESS;
        urb->actual_length = 0;
        if (ep == id_.outEndpoint) {
            std::vector<std::uint8_t> bytes(buffer->data, buffer->data + urb->buffer_length);
            Log(Printf("SUBMITURB ep=%02X len=%d ", ep, urb->buffer_length) + Hex(bytes));
            model_.received(ep, bytes);
            urb->status = 0;
            urb->actual_length = urb->buffer_length;
            umockdev_ioctl_client_complete(client, 0, 0);
            Finish(u);
        } else {
            Log(Printf("SUBMITURB ep=%02X len=%d", ep, urb->buffer_length));
            umockdev_ioctl_client_complete(client, 0, 0);
            pending_.push_back(u);
            ServePending();
        }
    }

    // Hands the next finished URB to a client blocked in REAPURB, if any.
    void Finish(const Urb& u) {
        done_.push_back(u);
        if (auto it = reapers_.find(u.client); it != reapers_.end()) {
            UMockdevIoctlClient* waiter = it->second;
            reapers_.erase(it);
            Reap(waiter, true);
            g_object_unref(waiter);
        }
    }

    void Reap(UMockdevIoctlClient* client, bool wait) {
        auto it =
            std::find_if(done_.begin(), done_.end(), [client](const Urb& u) { return u.client == client; });
        if (it == done_.end()) {
            if (!wait) return umockdev_ioctl_client_complete(client, -1, EAGAIN);
            // Completed later, from Finish, when the model answers or the URB is discarded.
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

    void Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        gulong address = 0;
        std::memcpy(&address, arg->data, std::min<std::size_t>(sizeof address, arg->data_len));
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

    // Asks the model for every IN transfer still waiting; keeps a short timer running while
    // any remain, because the model's replies may become ready with time alone.
    void ServePending() {
        for (auto it = pending_.begin(); it != pending_.end();) {
            usbdevfs_urb* f = Fields(*it);
            auto reply = model_.reply(f->endpoint, static_cast<std::size_t>(f->buffer_length));
            if (!reply) {
                ++it;
                continue;
            }
            const std::size_t n = std::min(reply->size(), static_cast<std::size_t>(f->buffer_length));
            if (n) std::memcpy(it->buffer->data, reply->data(), n);
            f->actual_length = static_cast<int>(n);
            f->status = 0;
            reply->resize(n);
            Log(Printf("IN ep=%02X %zu ", f->endpoint, n) + Hex(*reply));
            Urb u = *it;
            it = pending_.erase(it);
            Finish(u);
        }
        if (!pending_.empty() && !poll_) {
            poll_ = g_timeout_source_new(kPollMs);
            g_source_set_callback(poll_, &DeviceNode::OnPoll, this, nullptr);
            g_source_attach(poll_, g_main_context_get_thread_default());
        }
    }

    static gboolean OnPoll(gpointer self) {
        auto* node = static_cast<DeviceNode*>(self);
        std::lock_guard guard(node->lock_);
        if (node->closing_) return G_SOURCE_REMOVE;
        node->ServePending();
        if (!node->pending_.empty()) return G_SOURCE_CONTINUE;
        g_source_unref(node->poll_);
        node->poll_ = nullptr;
        return G_SOURCE_REMOVE;
    }

    UsbIdentity id_;
    std::vector<std::uint8_t> descriptors_;
    BulkModel& model_;
    std::mutex& lock_;
    std::vector<std::string>& trace_;
    UMockdevIoctlBase* handler_ = nullptr;
    GSource* poll_ = nullptr;
    bool closing_ = false;
    std::deque<Urb> pending_; // IN transfers the model has not answered yet
    std::deque<Urb> done_;    // finished transfers not reaped yet
    std::map<UMockdevIoctlClient*, UMockdevIoctlClient*> reapers_;
    std::map<UMockdevIoctlClient*, std::size_t> readPos_;
};

struct UsbdevfsTestbed::Impl {
    UMockdevTestbed* bed = nullptr;
    mutable std::mutex lock;
    std::vector<std::string> trace;
    std::vector<std::unique_ptr<DeviceNode>> nodes;
    std::vector<std::string> devPaths;
};

UsbdevfsTestbed::UsbdevfsTestbed() : impl_(std::make_unique<Impl>()) {
    impl_->bed = umockdev_testbed_new();
    if (!impl_->bed) throw std::runtime_error("umockdev: no testbed");
}

UsbdevfsTestbed::~UsbdevfsTestbed() {
    for (const auto& path : impl_->devPaths)
        umockdev_testbed_detach_ioctl(impl_->bed, path.c_str(), nullptr);
    // Releasing the testbed removes its folder and stops its handler thread; the nodes go
    // after it so no handler can still be running on them.
    g_object_unref(impl_->bed);
    impl_->nodes.clear();
}

void UsbdevfsTestbed::addDevice(const UsbIdentity& id, BulkModel& model) {
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
    auto node = std::make_unique<DeviceNode>(id, model, impl_->lock, impl_->trace);
    if (!umockdev_testbed_attach_ioctl(impl_->bed, dev.c_str(), node->handler(), &error)) {
        std::string why = error ? error->message : "?";
        g_clear_error(&error);
        throw std::runtime_error("umockdev: cannot attach " + dev + ": " + why);
    }
    impl_->nodes.push_back(std::move(node));
    impl_->devPaths.push_back(dev);
}

void UsbdevfsTestbed::withLock(const std::function<void()>& f) {
    std::lock_guard guard(impl_->lock);
    f();
}

std::vector<std::string> UsbdevfsTestbed::trace() const {
    std::lock_guard guard(impl_->lock);
    return impl_->trace;
}

std::string UsbdevfsTestbed::rootDir() const {
    gchar* dir = umockdev_testbed_get_root_dir(impl_->bed);
    std::string s = dir ? dir : "";
    g_free(dir);
    return s;
}

} // namespace lm11::usbdevfs
