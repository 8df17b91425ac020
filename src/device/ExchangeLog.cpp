#include "device/ExchangeLog.h"

// Debug and info lines are off until a logging rule turns them on.
Q_LOGGING_CATEGORY(lcLink, "lm11.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcExchange, "lm11.exchange", QtWarningMsg)

const char* StepLogName(uint8_t step)
{
    static const char* const names[] = {"connect",       "read version",   "read header", "read records",
                                        "read settings", "write settings", "read screen", "finish"};
    return step < std::size(names) ? names[step] : "state out of range";
}

const char* StatusLogName(uint8_t status)
{
    static const char* const names[] = {
        "ok",         "driver missing", "firmware outdated", "check connection",
        "link error", "no data",        "invalid value",     "no permission"};
    return status < std::size(names) ? names[status] : "unknown status";
}

const char* FrameLogName(const uint8_t* bytes, std::size_t length)
{
    if (length == 2 && bytes[0] + bytes[1] == 0xFF) {
        switch (bytes[0]) {
        case 0x01: return "command read version";
        case 0x02: return "command read header";
        case 0x04: return "command read settings";
        case 0x05: return "command write settings";
        case 0x06: return "command read screen";
        default: break;
        }
    }
    if (length == 4 && bytes[0] == 0x03 && bytes[1] == 0xFC) return "command read record";
    if (length == 4) return "length";
    return "";
}
