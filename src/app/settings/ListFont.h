// The font of the main window's four account lists, as the settings store
// keeps it. Plain C++ like tyConfig: the toolkit's font is made from it at
// the window (ListFontQt.h), so the store needs no GUI library.
#pragma once

#include <cstdint>
#include <string>

// Colours are kept in the platform's 32-bit encoding: an RGB value
// 0x00BBGGRR (a COLORREF), or 0xFF0000nn, a reference to system colour nn
// (a COLOR_* index of GetSysColor). Stored settings carry these numbers, so
// they are kept as they are and resolved only where a list is painted.
using tyColor = uint32_t;

inline constexpr tyColor kSystemColorFlag = 0xFF000000;
inline constexpr tyColor kColorWindowText = kSystemColorFlag | 8;  // COLOR_WINDOWTEXT

constexpr bool IsSystemColor(tyColor c) {
    return (c & 0xFF000000) == kSystemColorFlag;
}
constexpr tyColor RgbColor(uint8_t red, uint8_t green, uint8_t blue) {
    return tyColor(red) | tyColor(green) << 8 | tyColor(blue) << 16;
}

// Defaults: the window's design font.
struct tyListFont {
    tyColor Color = kColorWindowText;
    std::u16string Name = u"Tahoma";
    int32_t Size = 8;  // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    bool operator==(const tyListFont&) const = default;
};
