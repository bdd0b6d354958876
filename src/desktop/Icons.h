// Button pictures: the desktop's icon theme where it has the icon, the
// style's own standard icons otherwise, so every button has a picture of
// one consistent set on any desktop.
#pragma once

#include <QApplication>
#include <QIcon>
#include <QStyle>

inline QIcon themedIcon(const char* themeName, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QLatin1String(themeName), QApplication::style()->standardIcon(fallback));
}
