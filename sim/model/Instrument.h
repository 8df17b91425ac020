#pragma once
// The instrument as seen from the USB bus: which devices are plugged in, what it does with
// every bulk transfer, when its replies are ready, and a transcript of all of it. Times are
// milliseconds since the scenario was loaded and are passed in, so the model never sleeps;
// a front end waits until the completion time it returns.
#include "model/Archive.h"
#include "model/Scenario.h"

#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>

namespace lm11sim {

// Results as libusb-0.1 on Linux reports them (negative errno).
inline constexpr int kTimedOut = -110;
inline constexpr int kNoDevice = -19;
inline constexpr int kNoEntry = -2;
inline constexpr int kBusy = -16;
inline constexpr int kInvalid = -22;
inline constexpr int kBadHandle = -9;
inline constexpr int kOverflow = -75;

inline constexpr int kEndpointOut = 0x01;
inline constexpr int kEndpointIn = 0x82;
/// Full-speed bulk packet size; the instrument's OUT buffer holds one packet.
inline constexpr int kPacket = 64;

struct PresentDevice {
    int id; ///< index in the scenario's device list, stable across looks
    int bus;
    int address; ///< device number on its bus
    uint16_t vendor, product;
};

struct Completion {
    int result;    ///< bytes moved, or a negative errno
    double doneAt; ///< when the transfer completes
};

class Transcript {
public:
    explicit Transcript(const std::string& path);
    ~Transcript();
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;
    /// "   123.456  usb_bulk_write         <text>"
    void line(double at, const std::string& call, const std::string& text);

private:
    std::FILE* file_ = nullptr;
};

class Instrument {
public:
    /// `archive` must come from BuildArchive(scenario); the state file, when named and
    /// readable, replaces the settings block.
    Instrument(Scenario scenario, Archive archive);

    /// Any call worth a transcript line that does not go through the methods below.
    void note(double at, const std::string& call, const std::string& text = {});

    /// One look at the bus (usb_find_devices): the devices present now, in list order.
    std::vector<PresentDevice> look(double at);
    bool present(int device) const;

    /// Returns a handle number (> 0), or minus the errno the open fails with (device gone, denied).
    int open(int device, double at, const std::string& name);
    int close(int handle, double at);
    int setConfiguration(int handle, int configuration, double at);
    int claimInterface(int handle, int interface, double at);
    int releaseInterface(int handle, int interface, double at);
    int deviceOf(int handle) const;

    Completion bulkWrite(int handle, int endpoint, const uint8_t* bytes, int size, int timeoutMs, double at);
    /// Copies the bytes to `out` only on success.
    Completion bulkRead(int handle, int endpoint, uint8_t* out, int size, int timeoutMs, double at);

    const SettingsBlock& settings() const { return archive_.settings; }
    const Scenario& scenario() const { return scenario_; }

private:
    struct Handle {
        int device;
        bool claimed = false;
    };
    struct Pending {
        Bytes bytes;
        double readyAt;
    };
    enum class Mode { Command, ExpectLength, ExpectBlock };

    Completion transferChecks(int handle, int endpoint, int size, int timeoutMs, double at, bool out,
                              bool& handled);
    void receive(const Bytes& bytes, double at);
    void command(const Bytes& bytes, double at);
    void queueReply(Reply kind, Bytes body, double at);
    void abandonWrite(double at, const std::string& why);
    void finishWrite(double at);
    void unplug(double at);

    Scenario scenario_;
    Archive archive_;
    Transcript transcript_;
    std::map<int, Handle> handles_;
    int nextHandle_ = 1;
    int primary_ = -1; ///< device id of the instrument that answers
    int looks_ = 0;
    int transfers_ = 0;
    bool unplugged_ = false;
    std::deque<Pending> inPipe_;
    double busyUntil_ = 0;
    double lastOut_ = 0;
    Mode mode_ = Mode::Command;
    Bytes block_;
    int headerReplies_ = 0;
    std::map<int, int> settingsReplies_;
};

} // namespace lm11sim
