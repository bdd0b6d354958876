#include "NameFold.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

struct FoldRange {
    char16_t first;
    char16_t last;
    uint8_t stride;
    int32_t delta;
};

constexpr FoldRange kFoldRanges[] = {
#include "NameFoldTable.inc"
};

// FNV-1a over the folded code units.
constexpr size_t kHashOffset = sizeof(size_t) == 8 ? size_t(14695981039346656037ull) : 2166136261u;
constexpr size_t kHashPrime = sizeof(size_t) == 8 ? size_t(1099511628211ull) : 16777619u;

}  // namespace

char16_t FoldNameUnit(char16_t c) {
    if (c < 0x80) {
        return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
    }
    auto it = std::upper_bound(std::begin(kFoldRanges), std::end(kFoldRanges), c,
                               [](char16_t v, const FoldRange& r) { return v < r.first; });
    if (it == std::begin(kFoldRanges)) {
        return c;
    }
    const FoldRange& r = *std::prev(it);
    if (c > r.last || (c - r.first) % r.stride != 0) {
        return c;
    }
    return static_cast<char16_t>(c + r.delta);
}

size_t FoldedNameHash(std::u16string_view name) {
    size_t h = kHashOffset;
    for (char16_t c : name) {
        const char16_t f = FoldNameUnit(c);
        h = (h ^ (f & 0xFF)) * kHashPrime;
        h = (h ^ (f >> 8)) * kHashPrime;
    }
    return h;
}

bool FoldedNameEqual(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && FoldNameUnit(a[i]) != FoldNameUnit(b[i])) {
            return false;
        }
    }
    return true;
}

bool EqualAsciiNoCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

bool IsUtf8(std::string_view s) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        char32_t cp;
        char32_t min;
        if ((c & 0xE0) == 0xC0) {
            len = 2, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, cp = c & 0x07, min = 0x10000;
        } else {
            return false;
        }
        if (i + len > n) {
            return false;
        }
        for (size_t k = 1; k < len; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += len;
    }
    return true;
}

void AppendFoldedUtf8(std::string& out, std::string_view s) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20)
                                                 : static_cast<char>(c));
            ++i;
            continue;
        }
        // Only the Basic Multilingual Plane folds; four-byte sequences are
        // copied as they are.
        if ((c & 0xF0) == 0xF0) {
            out.append(s.substr(i, 4));
            i += 4;
            continue;
        }
        const size_t len = (c & 0xE0) == 0xC0 ? 2 : 3;
        char32_t cp = len == 2 ? (c & 0x1F) : (c & 0x0F);
        for (size_t k = 1; k < len; ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        }
        const char16_t f = FoldNameUnit(static_cast<char16_t>(cp));
        if (f < 0x80) {
            out.push_back(static_cast<char>(f));
        } else if (f < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (f >> 6)));
            out.push_back(static_cast<char>(0x80 | (f & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (f >> 12)));
            out.push_back(static_cast<char>(0x80 | ((f >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (f & 0x3F)));
        }
        i += len;
    }
}
