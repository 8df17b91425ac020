#pragma once
// The byte pipe to the instrument as the exchange sees it. UsbLink is the real one; tests
// of the exchange put a scripted fake in its place.
#include <cstdint>

class Link {
public:
    virtual ~Link() = default;
    /// 0 loaded (also when already loaded), 1 library missing, 2 an entry point missing.
    virtual int load() = 0;
    /// 0 instrument open, 1 not found, 2 found but this user may not open it.
    virtual int open() = 0;
    /// True when the instrument took the bytes.
    virtual bool write(const uint8_t* bytes, int length) = 0;
    /// Bytes received (a short transfer counts), or -1 on failure.
    virtual int read(uint8_t* buffer, int length) = 0;
    /// Closes the instrument if it is open; harmless otherwise.
    virtual void close() = 0;
};
