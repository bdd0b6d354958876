// The one order of account names throughout the program, the searches that
// rely on it, and the list-item text of an account with its detail.
#pragma once

#include <string>
#include <string_view>

#include "Records.h"

// The four characters between an account's name and its detail in a list
// item: three NO-BREAK SPACEs and "(". Ordinary spaces are never part of it.
inline constexpr std::u16string_view kDetailSeparator = u"\u00A0\u00A0\u00A0(";

// The name with the 26 ASCII letters a-z folded to capitals; every other
// character, accented and non-Latin letters included, unchanged.
std::u16string NameKey(std::u16string_view name);

// Orders two names by their keys, code unit by code unit as unsigned 16-bit
// values, the shorter first when one begins the other: <0, 0 or >0. Folds on
// the fly, so no key is built.
int CompareNameKeys(std::u16string_view a, std::u16string_view b);

// Sort in place by name key. first = last = 0 means the whole array. Not
// stable: equal keys may change their relative order.
void SortUsers(tyArrUsers& users, int first, int last);
void SortGroups(tyArrGroup1& groups, int first, int last);
void SortUsersInfo3(tyArrUserInfo3& infos, int first, int last);

// Adds a record to an array kept sorted by SortUsersInfo3, where appending
// it and sorting the whole array again would put it (after the records of
// equal key), without sorting again.
void InsertUserInfo3Sorted(tyArrUserInfo3& infos, const tyUserInfo3& info);

// Bisection in an array sorted by the matching sort: the index of the
// element whose name has the key of name, or -1.
int FindGroup(const tyArrGroup1& groups, std::u16string_view name);
int FindUserInfo3(const tyArrUserInfo3& infos, std::u16string_view name);

// Removes every character up to U+0020 from both ends (U+00A0 stays).
std::u16string_view TrimText(std::u16string_view s);

// The name in an account list item: trimmed, cut at the first separator,
// trimmed again. Both give the same result for every item.
std::u16string ExtractGroupName(std::u16string_view item);
std::u16string ExtractUserName(std::u16string_view item);

// The list item of an account: the bare name when the detail is empty,
// otherwise name, separator, detail and ")".
std::u16string AccountListItem(std::u16string_view name, std::u16string_view detail);
