#include "RegistryHive.h"


std::vector<uint8_t> EncodeRegSz(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(2 * text.size() + 2);
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::u16string DecodeRegSz(const std::vector<uint8_t>& bytes) {
    std::u16string text;
    // An odd last byte is half a code unit: not text, and left out.
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t c = char16_t(bytes[i] | bytes[i + 1] << 8);
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}
