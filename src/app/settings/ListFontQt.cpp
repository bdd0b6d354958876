#include "ListFontQt.h"

#include <QString>
#include <array>
#include <cmath>

namespace {

struct SystemColor {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// GetSysColor's indices 0 to 30 (COLOR_SCROLLBAR to COLOR_MENUBAR), each
// with the palette entry closest to it in purpose.
constexpr std::array<SystemColor, 31> kSystemColors = {{
    {QPalette::Active, QPalette::Button},           // scroll bar
    {QPalette::Active, QPalette::Window},           // desktop
    {QPalette::Active, QPalette::Highlight},        // active caption
    {QPalette::Inactive, QPalette::Window},         // inactive caption
    {QPalette::Active, QPalette::Window},           // menu
    {QPalette::Active, QPalette::Base},             // window
    {QPalette::Active, QPalette::Shadow},           // window frame
    {QPalette::Active, QPalette::WindowText},       // menu text
    {QPalette::Active, QPalette::Text},             // window text
    {QPalette::Active, QPalette::HighlightedText},  // caption text
    {QPalette::Active, QPalette::Window},           // active border
    {QPalette::Inactive, QPalette::Window},         // inactive border
    {QPalette::Active, QPalette::Dark},             // application work space
    {QPalette::Active, QPalette::Highlight},        // highlight
    {QPalette::Active, QPalette::HighlightedText},  // highlight text
    {QPalette::Active, QPalette::Button},           // button face
    {QPalette::Active, QPalette::Dark},             // button shadow
    {QPalette::Disabled, QPalette::Text},           // grey text
    {QPalette::Active, QPalette::ButtonText},       // button text
    {QPalette::Disabled, QPalette::WindowText},     // inactive caption text
    {QPalette::Active, QPalette::Light},            // button highlight
    {QPalette::Active, QPalette::Shadow},           // 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},         // 3-D light
    {QPalette::Active, QPalette::ToolTipText},      // info text
    {QPalette::Active, QPalette::ToolTipBase},      // info background
    {QPalette::Active, QPalette::Text},             // (unused index)
    {QPalette::Active, QPalette::Link},             // hot light
    {QPalette::Active, QPalette::Highlight},        // gradient active caption
    {QPalette::Inactive, QPalette::Window},         // gradient inactive caption
    {QPalette::Active, QPalette::Highlight},        // menu highlight
    {QPalette::Active, QPalette::Window},           // menu bar
}};

}  // namespace

QFont ToQFont(const tyListFont& font) {
    QFont f(QString::fromStdU16String(font.Name));
    f.setPointSize(font.Size > 0 ? font.Size : tyListFont{}.Size);
    f.setBold(font.Bold);
    f.setItalic(font.Italic);
    f.setUnderline(font.Underline);
    f.setStrikeOut(font.StrikeOut);
    return f;
}

tyListFont FromQFont(const QFont& font, tyColor color) {
    tyListFont f;
    f.Color = color;
    f.Name = font.family().toStdU16String();
    if (font.pointSize() > 0) {
        f.Size = font.pointSize();
    } else if (font.pixelSize() > 0) {
        f.Size = int32_t(std::lround(font.pixelSize() * 72.0 / 96.0));
    }
    f.Bold = font.bold();
    f.Italic = font.italic();
    f.Underline = font.underline();
    f.StrikeOut = font.strikeOut();
    return f;
}

QColor ToQColor(tyColor color, const QPalette& palette) {
    if (IsSystemColor(color)) {
        const uint32_t index = color & 0xFF;
        const SystemColor sys = index < kSystemColors.size() ? kSystemColors[index]
                                                             : SystemColor{QPalette::Active, QPalette::Text};
        return palette.color(sys.group, sys.role);
    }
    return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
}

tyColor FromQColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return RgbColor(uint8_t(rgb.red()), uint8_t(rgb.green()), uint8_t(rgb.blue()));
}
