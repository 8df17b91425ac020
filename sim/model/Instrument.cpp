#include "model/Instrument.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace lm11sim {

namespace {

constexpr double kWriteIdleMs = 2000; // a settings write left unfinished this long is dropped

const char* ReplyName(Reply r)
{
    static const char* names[] = {"version", "header", "record", "settings", "screen"};
    return names[int(r)];
}

std::string Ep(int endpoint)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", unsigned(endpoint) & 0xFF);
    return buf;
}

bool FaultHits(std::map<int, int>::iterator it, std::map<int, int>& counts, int key)
{
    const int limit = it->second;
    return limit < 0 || counts[key]++ < limit;
}

} // namespace

Transcript::Transcript(const std::string& path)
{
    if (!path.empty()) {
        file_ = std::fopen(path.c_str(), "w");
        if (!file_) std::fprintf(stderr, "lm11sim: cannot write the transcript %s\n", path.c_str());
    }
}

Transcript::~Transcript()
{
    if (file_) std::fclose(file_);
}

void Transcript::line(double at, const std::string& call, const std::string& text)
{
    if (!file_) return;
    std::fprintf(file_, "%10.3f  %-22s %s\n", at, call.c_str(), text.c_str());
    std::fflush(file_); // tests read the file while the library is still loaded
}

Instrument::Instrument(Scenario scenario, Archive archive)
    : scenario_(std::move(scenario)), archive_(std::move(archive)), transcript_(scenario_.transcriptPath)
{
    // The instrument that answers is the first one in bus order, then list order.
    for (std::size_t i = 0; i < scenario_.devices.size(); ++i) {
        const DeviceSpec& d = scenario_.devices[i];
        if (d.vendor == 0x03EB && d.product == 0x0202 &&
            (primary_ < 0 || d.bus < scenario_.devices[std::size_t(primary_)].bus))
            primary_ = int(i);
    }
    if (!scenario_.statePath.empty()) {
        std::ifstream in(scenario_.statePath, std::ios::binary);
        SettingsBlock saved{};
        if (in.read(reinterpret_cast<char*>(saved.data()), saved.size()) &&
            in.gcount() == std::streamsize(saved.size()))
            archive_.settings = saved;
    }
}

void Instrument::note(double at, const std::string& call, const std::string& text)
{
    transcript_.line(at, call, text);
}

std::vector<PresentDevice> Instrument::look(double at)
{
    ++looks_;
    std::vector<PresentDevice> out;
    std::map<int, int> addresses;
    for (std::size_t i = 0; i < scenario_.devices.size(); ++i) {
        const DeviceSpec& d = scenario_.devices[i];
        const int address = 2 + addresses[d.bus]++; // stays the same whether the device is present
        if (present(int(i))) out.push_back({int(i), d.bus, address, d.vendor, d.product});
    }
    (void)at;
    return out;
}

bool Instrument::present(int device) const
{
    if (device < 0 || device >= int(scenario_.devices.size())) return false;
    if (device != primary_) return true;
    return looks_ > scenario_.appearAfter && !unplugged_;
}

int Instrument::open(int device, double at, const std::string& name)
{
    if (!present(device)) {
        note(at, "usb_open", "dev=" + name + " -> none (device gone)");
        return kNoDevice;
    }
    if (scenario_.denyOpen) {
        note(at, "usb_open", "dev=" + name + " -> none (errno " + std::to_string(scenario_.denyOpen) + ")");
        return -scenario_.denyOpen;
    }
    const int h = nextHandle_++;
    handles_[h] = {device};
    note(at, "usb_open", "dev=" + name + " -> handle " + std::to_string(h));
    return h;
}

int Instrument::close(int handle, double at)
{
    if (!handles_.erase(handle)) {
        note(at, "usb_close", "handle " + std::to_string(handle) + " -> -9 (not open)");
        return kBadHandle;
    }
    note(at, "usb_close", "handle " + std::to_string(handle) + " -> 0");
    return 0;
}

int Instrument::setConfiguration(int handle, int configuration, double at)
{
    int result = 0;
    const auto it = handles_.find(handle);
    if (it == handles_.end())
        result = kBadHandle;
    else if (!present(it->second.device))
        result = kNoDevice;
    else if (configuration != 1)
        result = kInvalid; // the instrument has one configuration
    note(at, "usb_set_configuration",
         "handle " + std::to_string(handle) + " configuration=" + std::to_string(configuration) + " -> " +
             std::to_string(result));
    return result;
}

int Instrument::claimInterface(int handle, int interface, double at)
{
    int result = 0;
    const auto it = handles_.find(handle);
    if (it == handles_.end())
        result = kBadHandle;
    else if (!present(it->second.device))
        result = kNoDevice;
    else if (interface != 0)
        result = kNoEntry;
    else if (scenario_.denyClaim)
        result = -scenario_.denyClaim;
    else {
        for (const auto& [h, other] : handles_)
            if (h != handle && other.device == it->second.device && other.claimed) result = kBusy;
        if (result == 0) it->second.claimed = true;
    }
    note(at, "usb_claim_interface",
         "handle " + std::to_string(handle) + " interface=" + std::to_string(interface) + " -> " +
             std::to_string(result));
    return result;
}

int Instrument::releaseInterface(int handle, int interface, double at)
{
    int result = 0;
    const auto it = handles_.find(handle);
    if (it == handles_.end())
        result = kBadHandle;
    else if (interface != 0 || !it->second.claimed)
        result = kInvalid;
    else
        it->second.claimed = false;
    note(at, "usb_release_interface",
         "handle " + std::to_string(handle) + " interface=" + std::to_string(interface) + " -> " +
             std::to_string(result));
    return result;
}

int Instrument::deviceOf(int handle) const
{
    const auto it = handles_.find(handle);
    return it == handles_.end() ? -1 : it->second.device;
}

void Instrument::unplug(double at)
{
    unplugged_ = true;
    inPipe_.clear();
    mode_ = Mode::Command;
    note(at, "!", "instrument unplugged");
}

// Checks shared by both directions. Sets `handled` when the transfer ends here.
Completion Instrument::transferChecks(int handle, int endpoint, int size, int timeoutMs, double at, bool out,
                                      bool& handled)
{
    handled = true;
    const auto it = handles_.find(handle);
    if (it == handles_.end()) return {kBadHandle, at};
    ++transfers_;
    const int device = it->second.device;
    if (device == primary_ && !unplugged_ && scenario_.unplugAfter >= 0 && transfers_ > scenario_.unplugAfter)
        unplug(at);
    if (!present(device)) return {kNoDevice, at};
    if (size < 0) return {kInvalid, at};
    if (endpoint != (out ? kEndpointOut : kEndpointIn)) {
        note(at, "!", "no bulk " + std::string(out ? "OUT" : "IN") + " endpoint " + Ep(endpoint));
        return {kNoEntry, at};
    }
    if (!it->second.claimed) {
        // usbfs claims the interface on first use, unless another handle holds it
        for (const auto& [h, other] : handles_)
            if (h != handle && other.device == device && other.claimed) return {kBusy, at};
        note(at, "!", "interface 0 used without usb_claim_interface");
        it->second.claimed = true;
    }
    if (const auto fault = scenario_.transferFaults.find(transfers_);
        fault != scenario_.transferFaults.end()) {
        note(at, "!", "transfer " + std::to_string(transfers_) + " fails as the scenario asks");
        const int error = fault->second.error;
        return {error, error == kTimedOut ? at + timeoutMs : at};
    }
    if (device != primary_) {
        note(at, "!", "this device does not answer");
        return {kTimedOut, at + timeoutMs};
    }
    handled = false;
    return {0, at};
}

Completion Instrument::bulkWrite(int handle, int endpoint, const uint8_t* bytes, int size, int timeoutMs,
                                 double at)
{
    bool handled = false;
    Completion c = transferChecks(handle, endpoint, size, timeoutMs, at, true, handled);
    if (!handled) {
        // While it prepares, the instrument NAKs: the transfer waits, up to its time-out.
        const double acceptAt = std::max(at, busyUntil_);
        if (acceptAt > at + timeoutMs) {
            note(at, "!", "instrument busy for " + std::to_string(busyUntil_ - at) + " ms");
            c = {kTimedOut, at + timeoutMs};
        } else {
            if (acceptAt > at)
                note(at, "!", "instrument busy, write waited " + std::to_string(acceptAt - at) + " ms");
            c = {size, acceptAt};
        }
    }
    const Bytes data(bytes, bytes + std::max(size, 0));
    transcript_.line(at, "usb_bulk_write",
                     "ep=" + Ep(endpoint) + " size=" + std::to_string(size) +
                         " timeout=" + std::to_string(timeoutMs) + " -> " + std::to_string(c.result) +
                         " after " + std::to_string(int(c.doneAt - at)) + " ms : " + Hex(data));
    if (c.result >= 0) receive(data, c.doneAt);
    return c;
}

Completion Instrument::bulkRead(int handle, int endpoint, uint8_t* out, int size, int timeoutMs, double at)
{
    bool handled = false;
    Completion c = transferChecks(handle, endpoint, size, timeoutMs, at, false, handled);
    Bytes data;
    if (!handled) {
        if (inPipe_.empty() || inPipe_.front().readyAt > at + timeoutMs) {
            c = {kTimedOut, at + timeoutMs};
        } else {
            Pending& front = inPipe_.front();
            c.doneAt = std::max(at, front.readyAt);
            const int available = int(front.bytes.size());
            if (size >= available) {
                data = std::move(front.bytes);
                inPipe_.pop_front();
            } else if (size % kPacket == 0) {
                // Whole packets: the rest of the reply waits for the next read.
                data.assign(front.bytes.begin(), front.bytes.begin() + size);
                front.bytes.erase(front.bytes.begin(), front.bytes.begin() + size);
            } else {
                note(at, "!",
                     "read of " + std::to_string(size) + " bytes cannot hold the " +
                         std::to_string(available) + "-byte transfer: overflow, transfer lost");
                inPipe_.pop_front();
                c.result = kOverflow;
            }
            if (c.result == 0) {
                c.result = int(data.size());
                std::memcpy(out, data.data(), data.size());
            }
        }
    }
    transcript_.line(at, "usb_bulk_read",
                     "ep=" + Ep(endpoint) + " size=" + std::to_string(size) +
                         " timeout=" + std::to_string(timeoutMs) + " -> " + std::to_string(c.result) +
                         " after " + std::to_string(int(c.doneAt - at)) + " ms : " + Hex(data));
    return c;
}

void Instrument::receive(const Bytes& bytes, double at)
{
    if (mode_ != Mode::Command && at - lastOut_ > kWriteIdleMs)
        abandonWrite(at, "no data for " + std::to_string(int(at - lastOut_)) + " ms");
    lastOut_ = at;
    if (mode_ == Mode::Command) {
        command(bytes, at);
    } else if (mode_ == Mode::ExpectLength) {
        if (bytes == Bytes{0xF8, 0x02, 0x00, 0x00}) {
            mode_ = Mode::ExpectBlock;
            block_.clear();
        } else if (bytes == Bytes{0x05, 0xFA}) {
            note(at, "!", "settings write started again");
            busyUntil_ = at + scenario_.settingsPrepareMs;
        } else {
            abandonWrite(at, "expected the length F8 02 00 00, got " + Hex(bytes));
        }
    } else {
        if (bytes.size() > std::size_t(kPacket)) {
            abandonWrite(at, "piece of " + std::to_string(bytes.size()) + " bytes, more than 64");
        } else if (block_.size() + bytes.size() > kSettingsBytes) {
            abandonWrite(at, "more than 760 bytes");
        } else {
            block_.insert(block_.end(), bytes.begin(), bytes.end());
            busyUntil_ = at + scenario_.settingsPieceMs;
            if (block_.size() == kSettingsBytes) finishWrite(at);
        }
    }
}

void Instrument::abandonWrite(double at, const std::string& why)
{
    note(at, "!", "settings write abandoned: " + why);
    mode_ = Mode::Command;
    block_.clear();
}

void Instrument::finishWrite(double at)
{
    mode_ = Mode::Command;
    SettingsBlock incoming;
    std::copy(block_.begin(), block_.end(), incoming.begin());
    block_.clear();
    for (int k = 0; k < 20; ++k) {
        if (!SettingsEntryWhole(incoming, k)) {
            note(at, "!", "settings block rejected: entry " + std::to_string(k) + " has a bad CRC or marker");
            return;
        }
    }
    archive_.settings = incoming;
    note(at, "!", "settings block stored");
    if (!scenario_.statePath.empty()) {
        std::ofstream state(scenario_.statePath, std::ios::binary | std::ios::trunc);
        state.write(reinterpret_cast<const char*>(incoming.data()), std::streamsize(incoming.size()));
        if (!state) note(at, "!", "cannot write the state file " + scenario_.statePath);
    }
}

void Instrument::command(const Bytes& b, double at)
{
    // The record command is only whole with its index.
    const bool frame2 = b.size() == 2 && b[1] == uint8_t(0xFF - b[0]) && b[0] != 0x03;
    const bool record = b.size() == 4 && b[0] == 0x03 && b[1] == 0xFC;
    if (!frame2 && !record) {
        note(at, "!", "not a command: " + (b.empty() ? std::string("(empty)") : Hex(b)) + "; no reply");
        return;
    }
    if (!inPipe_.empty()) {
        std::size_t left = 0;
        for (const auto& p : inPipe_) left += p.bytes.size();
        note(at, "!", "new command, " + std::to_string(left) + " unread reply bytes dropped");
        inPipe_.clear();
    }
    if (record) {
        const int index = b[2] | b[3] << 8;
        if (index >= int(archive_.records.size())) {
            note(at, "!",
                 "record " + std::to_string(index) + " beyond the archive of " +
                     std::to_string(archive_.records.size()) + "; no reply");
            return;
        }
        Record r = archive_.records[std::size_t(index)];
        const auto has = [index](const std::vector<int>& v) {
            return std::find(v.begin(), v.end(), index) != v.end();
        };
        if (has(scenario_.badRecordMarker)) {
            r[28] = 0x55;
            PutU16(&r[30], Crc16(std::span(r).first(30))); // only the marker is wrong
        }
        if (has(scenario_.badRecordCrc)) r[30] ^= 0xFF;
        queueReply(Reply::Record, Bytes(r.begin(), r.end()), at);
        return;
    }
    switch (b[0]) {
    case 0x01: {
        queueReply(Reply::Version, Bytes(scenario_.versionText.begin(), scenario_.versionText.end()), at);
        break;
    }
    case 0x02: {
        Bytes header = archive_.header;
        if (scenario_.badHeaderMarker < 0 || headerReplies_ < scenario_.badHeaderMarker) header[7264] = 0xA5;
        ++headerReplies_;
        queueReply(Reply::Header, std::move(header), at);
        break;
    }
    case 0x04: {
        SettingsBlock block = archive_.settings;
        for (auto it = scenario_.badSettingsCrc.begin(); it != scenario_.badSettingsCrc.end(); ++it)
            if (FaultHits(it, settingsReplies_, it->first))
                block[std::size_t(it->first) * kEntryBytes + 36] ^= 0xFF;
        queueReply(Reply::Settings, Bytes(block.begin(), block.end()), at);
        break;
    }
    case 0x05:
        mode_ = Mode::ExpectLength;
        busyUntil_ = at + scenario_.settingsPrepareMs;
        break;
    case 0x06: queueReply(Reply::Screen, archive_.screen, at); break;
    default: note(at, "!", "unknown command " + Hex(b) + "; no reply");
    }
}

void Instrument::queueReply(Reply kind, Bytes body, double at)
{
    const int k = int(kind);
    const double ready = at + scenario_.prepareMs[std::size_t(k)];
    const auto announced = scenario_.announce[std::size_t(k)] >= 0
                               ? uint32_t(scenario_.announce[std::size_t(k)])
                               : uint32_t(body.size());
    if (scenario_.shortBody[std::size_t(k)] >= 0 &&
        std::size_t(scenario_.shortBody[std::size_t(k)]) < body.size())
        body.resize(std::size_t(scenario_.shortBody[std::size_t(k)]));
    Bytes length(4);
    PutU32(length.data(), announced);
    note(at, "!",
         std::string(ReplyName(kind)) + " reply ready at " + std::to_string(int(ready)) + " ms: length " +
             std::to_string(announced) + ", body " + std::to_string(body.size()) + " bytes");
    inPipe_.push_back({std::move(length), ready});
    inPipe_.push_back({std::move(body), ready});
}

} // namespace lm11sim
