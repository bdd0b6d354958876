#include "AnsiText.h"

#include <array>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The characters of bytes 0x80 to 0x9F; the rest of the code page is
// Latin-1. A zero marks the undefined bytes, which Windows maps to the C1
// control of the same value.
// clang-format off
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
// clang-format on

char windows1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return char(c);
    }
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        const char16_t mapped = kHighControls[i] ? kHighControls[i] : char16_t(0x80 + i);
        if (c == mapped) {
            return char(0x80 + i);
        }
    }
    return '?';
}

}  // namespace

QByteArray Windows1252Bytes(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;  // no character beyond the first plane is in the code page
            out.append('?');
        } else if (c.isSurrogate()) {
            out.append('?');
        } else {
            out.append(windows1252Byte(c.unicode()));
        }
    }
    return out;
}

QByteArray AnsiBytes(const QString& text) {
#ifdef _WIN32
    if (text.isEmpty()) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int length = int(text.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    QByteArray out(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), size, nullptr, nullptr);
    return out;
#else
    return Windows1252Bytes(text);
#endif
}
