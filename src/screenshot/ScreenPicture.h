#pragma once
// The instrument's display block turned into the screenshot bitmap: the 128 x 64 display
// inside a one-pixel frame and a one-pixel background ring. No window code.
#include "bytes/InstrumentSizes.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <span>

inline constexpr int kPictureWidth = 132;
inline constexpr int kPictureHeight = 68;
/// Where display pixel (0, 0) lands in the bitmap.
inline constexpr int kDisplayOffset = 2;
inline constexpr std::size_t kScreenBlockSize = 2048;
static_assert(kScreenBlockSize == kInstrumentScreenBytes);

/// 1 marks an ink pixel, 0 a background pixel; indexed [x][y], x 0..131, y 0..67.
using ScreenMatrix = std::array<std::array<uint8_t, kPictureHeight>, kPictureWidth>;

/// The block is 1024 little-endian words; word k's low byte is display column k % 128 of
/// page k / 128 (bit b = row 8 * page + b). High bytes carry nothing. Every word is used.
ScreenMatrix BuildScreenMatrix(std::span<const uint8_t, kScreenBlockSize> block);

/// The 132 x 68 picture of `matrix` in exactly the two colours given.
QImage PaintScreenMatrix(const ScreenMatrix& matrix, QColor ink, QColor background);

/// Writes `picture` as a BMP file through a temporary file beside it, so a failed save
/// never leaves a half-written picture under `path` and keeps the file that was there.
/// False when it could not be written.
bool SaveScreenPicture(const QImage& picture, const QString& path);
