#pragma once
// Diagnostics of the USB link and of each exchange, for support when a read fails at a site.
// Silent unless asked for: QT_LOGGING_RULES="lm11.*.debug=true" (or "lm11.link.debug=true",
// "lm11.exchange.debug=true") writes them to standard error, where the user may keep them.
// The program itself keeps no log file. The lines name states, commands, lengths, statuses
// and timings, never a measured value, an object name or a setting.
#include <QLoggingCategory>

#include <cstdint>

Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcExchange)

/// "connect", "read version" … for the worker's state numbers; "state N" for others.
const char* StepLogName(uint8_t step);
/// "ok", "driver missing", "link error" … for the link status codes.
const char* StatusLogName(uint8_t status);
/// What a frame of at most four bytes is ("command read record"); empty for other frames.
const char* FrameLogName(const uint8_t* bytes, std::size_t length);
