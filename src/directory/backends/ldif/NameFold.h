// Account names and distinguished names as Active Directory matches them:
// ignoring case, width and kana type, one UTF-16 code unit at a time. This is
// not the program's own name order (Ordering.h), which folds only a-z.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

char16_t FoldNameUnit(char16_t c);

// Hash and equality under the fold, computed on the fly so that an index
// over stored names needs no second, folded copy of each.
size_t FoldedNameHash(std::u16string_view name);
bool FoldedNameEqual(std::u16string_view a, std::u16string_view b);

struct FoldedNameHasher {
    size_t operator()(std::u16string_view s) const { return FoldedNameHash(s); }
};
struct FoldedNameEquality {
    bool operator()(std::u16string_view a, std::u16string_view b) const {
        return FoldedNameEqual(a, b);
    }
};

// Appends the folded form of UTF-8 text, itself UTF-8: the key under which
// two spellings of one distinguished name meet. The text must be valid
// UTF-8 (IsUtf8).
void AppendFoldedUtf8(std::string& out, std::string_view utf8);

bool IsUtf8(std::string_view s);

// LDAP's comparison of attribute names and of values such as objectClass:
// ASCII letters in either case.
bool EqualAsciiNoCase(std::string_view a, std::string_view b);
