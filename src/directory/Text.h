// Text helpers of the directory layer, standard C++ only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Unsigned decimal, no sign, grouping or leading zeros.
std::u16string DecimalText(uint64_t value);

// UTF-8 to UTF-16; a byte sequence that is not UTF-8 becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view s);

// The text with A-Z made a-z and every other byte left as it is: how LDAP
// and the account database compare names and host names alike.
std::string AsciiLower(std::string s);

// ASCII-only text literal to UTF-16 (for names that come as std::string_view).
std::u16string AsciiToUtf16(std::string_view s);
