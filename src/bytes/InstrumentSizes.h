#pragma once
// What the instrument holds, counted once: every layer that keeps a copy of it (the shared
// state, the wire formats, the settings editor, the screen picture, the simulator) names its
// own size and checks it against these at compile time. Header only, no Qt.
#include <cstddef>

/// Objects the instrument keeps settings and a name for.
inline constexpr int kInstrumentObjects = 20;
/// Bytes of one settings entry and of the whole settings block.
inline constexpr std::size_t kInstrumentEntryBytes = 38;
inline constexpr std::size_t kInstrumentSettingsBytes = kInstrumentObjects * kInstrumentEntryBytes;
/// Bytes of the display image (1024 words for the 128 x 64 display).
inline constexpr std::size_t kInstrumentScreenBytes = 2048;
