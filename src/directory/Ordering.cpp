#include "Ordering.h"

#include <algorithm>
#include <utility>

namespace {

inline char16_t fold(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

const std::u16string& nameOf(const std::u16string& user) { return user; }
const std::u16string& nameOf(const tyGroup1& group) { return group.Name; }
const std::u16string& nameOf(const tyUserInfo3& info) { return info.Name; }

// The partition sort of the account lists. Its exact steps decide where
// elements with equal keys end up, so they are kept as they are; only the
// order in which the two finished ranges are sorted differs from plain
// recursion: the smaller range is sorted by a recursive call and the larger
// one by looping, which leaves every element where recursion would have put
// it (the ranges are disjoint) while bounding the depth for any input.
template <class T>
void partitionSort(std::vector<T>& a, int first, int last) {
    while (true) {
        const std::u16string pivot = NameKey(nameOf(a[static_cast<size_t>((first + last) / 2)]));
        int i = first;
        int j = last;
        do {
            while (CompareNameKeys(nameOf(a[static_cast<size_t>(i)]), pivot) < 0) {
                ++i;
            }
            while (CompareNameKeys(pivot, nameOf(a[static_cast<size_t>(j)])) < 0) {
                --j;
            }
            if (i <= j) {
                if (i != j) {
                    std::swap(a[static_cast<size_t>(i)], a[static_cast<size_t>(j)]);
                }
                ++i;
                --j;
            }
        } while (i <= j);

        const bool left = first < j;
        const bool right = i < last;
        if (left && right) {
            if (j - first < last - i) {
                partitionSort(a, first, j);
                first = i;
            } else {
                partitionSort(a, i, last);
                last = j;
            }
        } else if (left) {
            last = j;
        } else if (right) {
            first = i;
        } else {
            return;
        }
    }
}

template <class T>
void sortAll(std::vector<T>& a, int first, int last) {
    if (first == 0 && last == 0) {
        if (a.empty()) {
            return;
        }
        last = static_cast<int>(a.size()) - 1;
    }
    if (first < last) {
        partitionSort(a, first, last);
    }
}

template <class T>
int bisect(const std::vector<T>& a, std::u16string_view name) {
    const std::u16string key = NameKey(name);
    int low = 0;
    int high = static_cast<int>(a.size()) - 1;
    while (low <= high) {
        const int mid = (low + high) / 2;
        const int c = CompareNameKeys(nameOf(a[static_cast<size_t>(mid)]), key);
        if (c == 0) {
            return mid;
        }
        if (c > 0) {
            high = mid - 1;
        } else {
            low = mid + 1;
        }
    }
    return -1;
}

}  // namespace

std::u16string NameKey(std::u16string_view name) {
    std::u16string key(name);
    for (char16_t& c : key) {
        c = fold(c);
    }
    return key;
}

int CompareNameKeys(std::u16string_view a, std::u16string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t k = 0; k < n; ++k) {
        const char16_t x = fold(a[k]);
        const char16_t y = fold(b[k]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

void SortUsers(tyArrUsers& users, int first, int last) {
    sortAll(users, first, last);
}

void SortGroups(tyArrGroup1& groups, int first, int last) {
    sortAll(groups, first, last);
}

void SortUsersInfo3(tyArrUserInfo3& infos, int first, int last) {
    sortAll(infos, first, last);
}

void InsertUserInfo3Sorted(tyArrUserInfo3& infos, const tyUserInfo3& info) {
    auto at = std::upper_bound(infos.begin(), infos.end(), info,
                               [](const tyUserInfo3& a, const tyUserInfo3& b) {
                                   return CompareNameKeys(a.Name, b.Name) < 0;
                               });
    infos.insert(at, info);
}

int FindGroup(const tyArrGroup1& groups, std::u16string_view name) {
    return bisect(groups, name);
}

int FindUserInfo3(const tyArrUserInfo3& infos, std::u16string_view name) {
    return bisect(infos, name);
}

std::u16string_view TrimText(std::u16string_view s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && s[b] <= u' ') {
        ++b;
    }
    while (e > b && s[e - 1] <= u' ') {
        --e;
    }
    return s.substr(b, e - b);
}

std::u16string ExtractUserName(std::u16string_view item) {
    std::u16string_view s = TrimText(item);
    const size_t sep = s.find(kDetailSeparator);
    if (sep != std::u16string_view::npos) {
        s = s.substr(0, sep);
    }
    return std::u16string(TrimText(s));
}

std::u16string ExtractGroupName(std::u16string_view item) {
    return ExtractUserName(item);
}

std::u16string AccountListItem(std::u16string_view name, std::u16string_view detail) {
    std::u16string item(name);
    if (!detail.empty()) {
        item.append(kDetailSeparator);
        item.append(detail);
        item.push_back(u')');
    }
    return item;
}
