// The program's style: its own pictures are drawn and visible, everything else is the
// platform style's.
#include "ui/AppStyle.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMenuBar>
#include <QPixmap>
#include <QStyleFactory>
#include <QToolButton>

#include <memory>

namespace {

// Whether an image format plug-in has been loaded into this process.
bool ImagePluginLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/imageformats/");
}

int OpaquePixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 128;
    return count;
}

TEST(AppStyle, ExtensionPicturesAreDrawnAndPointTheirWay)
{
    InstallAppStyle();
    QStyle* style = QApplication::style();
    ASSERT_NE(dynamic_cast<AppStyle*>(style), nullptr);
    const QImage right =
        style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16, 16).toImage();
    const QImage down =
        style->standardIcon(QStyle::SP_ToolBarVerticalExtensionButton).pixmap(16, 16).toImage();
    ASSERT_EQ(right.size(), QSize(16, 16));
    EXPECT_GT(OpaquePixels(right), 10);
    EXPECT_GT(OpaquePixels(down), 10);
    // The down-pointing picture is the other turned a quarter, not the same picture.
    EXPECT_NE(right, down);
    EXPECT_EQ(right.transformed(QTransform().rotate(90)).size(), down.size());

    // A menu bar made under the style shows the drawn picture on its extension button,
    // and making it loaded no image plug-in (the style's own picture would have).
    ASSERT_FALSE(ImagePluginLoaded()) << "run this test first in its process";
    QMenuBar bar;
    EXPECT_FALSE(ImagePluginLoaded());
    auto* extension = bar.findChild<QToolButton*>();
    ASSERT_NE(extension, nullptr);
    EXPECT_GT(OpaquePixels(extension->icon().pixmap(16, 16).toImage()), 10);
}

TEST(AppStyle, OtherPicturesAndLooksComeFromThePlatformStyle)
{
    InstallAppStyle();
    auto* style = dynamic_cast<AppStyle*>(QApplication::style());
    ASSERT_NE(style, nullptr);
    std::unique_ptr<QStyle> plain(QStyleFactory::create(style->baseStyle()->name()));
    ASSERT_TRUE(plain);
    const QImage ours = style->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32).toImage();
    const QImage theirs = plain->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32).toImage();
    EXPECT_FALSE(ours.isNull());
    EXPECT_EQ(ours.convertToFormat(QImage::Format_ARGB32), theirs.convertToFormat(QImage::Format_ARGB32));
    EXPECT_EQ(style->pixelMetric(QStyle::PM_ButtonMargin), plain->pixelMetric(QStyle::PM_ButtonMargin));
}

} // namespace
