#include "ScreenPicture.h"

#include "exchange/SyncedSave.h"

#include <QImageWriter>
#include <QSaveFile>

ScreenMatrix BuildScreenMatrix(std::span<const uint8_t, kScreenBlockSize> block)
{
    ScreenMatrix m{};
    // The frame sits on the outermost rows and columns, so a picture of an empty display
    // still shows where the display ends.
    for (int x = 0; x < kPictureWidth; ++x)
        for (int y = 0; y < kPictureHeight; ++y)
            m[x][y] = (x == 0 || y == 0 || x == kPictureWidth - 1 || y == kPictureHeight - 1) ? 1 : 0;
    for (std::size_t k = 0; k < kScreenBlockSize / 2; ++k) {
        const uint8_t v = block[2 * k]; // low byte of word k
        const std::size_t page = k / 128;
        const std::size_t column = k % 128;
        for (int b = 0; b < 8; ++b)
            m[kDisplayOffset + column][kDisplayOffset + 8 * page + std::size_t(b)] = uint8_t((v >> b) & 1);
    }
    return m;
}

QImage PaintScreenMatrix(const ScreenMatrix& matrix, QColor ink, QColor background)
{
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    const QRgb inkRgb = ink.rgb();
    const QRgb backgroundRgb = background.rgb();
    for (int x = 0; x < kPictureWidth; ++x)
        for (int y = 0; y < kPictureHeight; ++y) image.setPixel(x, y, matrix[x][y] ? inkRgb : backgroundRgb);
    return image;
}

bool SaveScreenPicture(const QImage& picture, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QImageWriter writer(&file, "bmp");
    if (!writer.write(picture)) {
        file.cancelWriting();
        return false;
    }
    return CommitSynced(file);
}
