#pragma once
// The program's widget style: the platform's own, except for pictures that would otherwise
// be decoded from image files while the main window is being built.
#include <QProxyStyle>

class AppStyle final : public QProxyStyle {
public:
    /// Wraps the style the platform would choose.
    AppStyle();
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

/// Makes AppStyle the application's style, once per process, before the first window.
void InstallAppStyle();
