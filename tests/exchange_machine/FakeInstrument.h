#pragma once
// A scripted instrument for exchange tests: replies to the commands it receives, logs every
// call in order together with the worker's pauses, and fails the calls it is told to fail.
// Used from one thread at a time.
#include "device/Exchange.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fake {

inline std::string Hex(const uint8_t* p, int n)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (int i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

inline RecordBytes Record(uint8_t point)
{
    ArchiveRecord r;
    r.day = 17;
    r.month = 5;
    r.yearSince2000 = 14;
    r.pointNumber = point;
    r.seriesNumber = 2;
    r.value = -235.5 - point;
    r.seriesLength = 10;
    return EncodeRecord(r);
}

inline SettingsBlock ValidSettings()
{
    SettingsBlock block{};
    for (std::size_t k = 0; k < kSettingsEntries; ++k) {
        uint8_t* e = &block[EntryOffset(k)];
        e[3] = uint8_t(0x40 + k);              // not written by the program
        block[EntryOffset(k) + 12 + 9] = 0x77; // unused name byte, must survive
        WriteU16(e + 34, kMarker);
        ObjectSettings s;
        s.seriesLength = uint8_t(5 + k);
        s.stepX = 20;
        s.stepY = 30;
        s.potentialMin = -500;
        s.potentialMax = 500;
        s.resistanceMin = 0;
        s.resistanceMax = 999;
        s.nameRu = QString("Мост %1").arg(k + 1);
        s.nameEn = QString("Bridge %1").arg(k + 1);
        EncodeSettingsEntry(block, k, s);
    }
    return block;
}

class FakeInstrument : public Link, public ExchangeClock {
public:
    std::vector<std::string> log;
    int loadResults = 0; // calls to load() that fail with loadCode before it succeeds
    int loadCode = 1;
    int openFailures = 0;
    int openFailure = 1;                       // what a failing open answers
    std::set<int> failingWrites, failingReads; // by running call number, from 0
    std::optional<uint32_t> announce;          // replaces every announced length
    std::string date = "12.09.2012";
    HeaderBuffer header{};
    std::vector<RecordBytes> records;
    SettingsBlock settings = ValidSettings();
    ScreenImage screen{};
    std::vector<uint8_t> written; // bytes after the settings write command
    int totalPause = 0;

    FakeInstrument() { WriteU16(&header[kHeaderMarkerOffset], kMarker); }

    void setRecords(int n)
    {
        records.clear();
        for (int i = 0; i < n; ++i) records.push_back(Record(uint8_t(i + 1)));
        std::fill(header.begin(), header.begin() + kRecordBitmapSize, 0);
        // Bits anywhere in the bitmap: only their number counts.
        for (int i = 0; i < n; ++i) header[std::size_t(i * 7 % 200)] |= uint8_t(1 << (i % 8));
    }

    int load() override
    {
        log.push_back("load");
        if (loadResults > 0) {
            --loadResults;
            return loadCode;
        }
        return 0;
    }
    int open() override
    {
        log.push_back("open");
        if (openFailures > 0) {
            --openFailures;
            return openFailure;
        }
        return 0;
    }
    bool write(const uint8_t* bytes, int length) override
    {
        const int n = writes++;
        log.push_back(length <= 4 ? "W " + Hex(bytes, length) : "W[" + std::to_string(length) + "]");
        if (failingWrites.count(n)) return false;
        if (writingSettings && !lengthSeen && length == 4) {
            lengthSeen = true; // the block length, checked in the log
            return true;
        }
        if (writingSettings) {
            written.insert(written.end(), bytes, bytes + length);
            return true;
        }
        switch (bytes[0]) {
        case 0x01: {
            const std::string text = "LM-11 v1.02 " + date;
            reply(std::vector<uint8_t>(text.begin(), text.end()));
            break;
        }
        case 0x02: reply({header.begin(), header.end()}); break;
        case 0x03: {
            const int index = bytes[2] | bytes[3] << 8;
            reply({records.at(std::size_t(index)).begin(), records.at(std::size_t(index)).end()});
            break;
        }
        case 0x04: reply({settings.begin(), settings.end()}); break;
        case 0x05: writingSettings = true; break;
        case 0x06: reply({screen.begin(), screen.end()}); break;
        }
        return true;
    }
    int read(uint8_t* buffer, int length) override
    {
        const int n = reads++;
        log.push_back("R " + std::to_string(length));
        if (failingReads.count(n) || pending.empty()) return -1;
        const std::vector<uint8_t> next = pending.front();
        pending.pop_front();
        const int count = std::min<int>(length, int(next.size()));
        std::copy(next.begin(), next.begin() + count, buffer);
        return count;
    }
    void close() override { log.push_back("close"); }
    void pause(int ms) override
    {
        log.push_back("P " + std::to_string(ms));
        totalPause += ms;
    }

    std::vector<std::string> writesOnly() const
    {
        std::vector<std::string> w;
        for (const auto& line : log)
            if (line[0] == 'W') w.push_back(line);
        return w;
    }

private:
    void reply(std::vector<uint8_t> body)
    {
        const auto length = EncodeLength(announce.value_or(uint32_t(body.size())));
        pending.assign({{length.begin(), length.end()}, std::move(body)});
    }
    std::deque<std::vector<uint8_t>> pending;
    int writes = 0, reads = 0;
    bool writingSettings = false, lengthSeen = false;
};

} // namespace fake
