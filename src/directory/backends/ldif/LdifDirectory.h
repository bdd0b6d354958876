// What the ldif back-end knows of an export once it is read: accounts and
// groups in the file's order, their memberships resolved to indexes, and the
// indexes by name and RID that make each answer a lookup. Internal to the
// back-end.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "AdAccount.h"
#include "NameFold.h"

namespace ldif {

constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr uint32_t kGroupBit = 0x80000000u;

// The BUILTIN aliases whose members (direct, through nested security groups
// or through their primary group) get the Administrator privilege or an
// operator flag (AF_OP_*).
struct BuiltinAlias {
    uint32_t rid;
    uint8_t bit;
    uint32_t authFlag;
};
constexpr uint8_t kAdministratorsBit = 1;
constexpr BuiltinAlias kBuiltinAliases[] = {
    {544, kAdministratorsBit, 0},  // Administrators
    {548, 2, 0x8},                 // Account Operators: AF_OP_ACCOUNTS
    {549, 4, 0x4},                 // Server Operators: AF_OP_SERVER
    {550, 8, 0x1},                 // Print Operators: AF_OP_PRINT
};

// Where the loaded names and values live: a few large blocks rather than a
// heap allocation for each.
class Arena {
public:
    std::u16string_view copy(std::u16string_view s) {
        auto* p = static_cast<char16_t*>(allocate(s.size() * sizeof(char16_t), alignof(char16_t)));
        std::copy(s.begin(), s.end(), p);
        return {p, s.size()};
    }
    std::string_view copy(std::string_view s) {
        auto* p = static_cast<char*>(allocate(s.size(), 1));
        std::copy(s.begin(), s.end(), p);
        return {p, s.size()};
    }

private:
    void* allocate(size_t size, size_t align) {
        size_t offset = (m_used + align - 1) / align * align;
        if (m_chunks.empty() || offset + size > m_capacity) {
            const size_t capacity = std::max(kChunk, size);
            // Not zeroed: every byte is written before it is read.
            m_chunks.emplace_back(new std::byte[capacity]);
            m_capacity = capacity;
            offset = 0;
        }
        m_used = offset + size;
        return m_chunks.back().get() + offset;
    }

    static constexpr size_t kChunk = size_t(1) << 20;
    std::vector<std::unique_ptr<std::byte[]>> m_chunks;
    size_t m_used = 0;
    size_t m_capacity = 0;
};

struct Directory {
    struct Account {
        std::u16string_view name;
        const char* attributes;  // packed: UnpackAttributes reads them
        uint32_t userAccountControl;
        uint32_t primaryGroupId;
        uint8_t aliases = 0;  // kBuiltinAliases bits
    };
    struct Group {
        std::u16string_view name;
        std::u16string_view comment;
        uint32_t rid;
        uint32_t groupType;
        uint32_t builtinRid;
        uint32_t firstMember;
        uint32_t memberCount;
        bool listed() const { return ad::IsGlobalSecurityGroup(groupType); }
    };
    using NameIndex =
        std::unordered_map<std::u16string_view, uint32_t, FoldedNameHasher, FoldedNameEquality>;

    Arena arena;
    std::vector<Account> accounts;  // in the file's order
    std::vector<Group> groups;      // in the file's order
    // Each group's member values: an account index, a group index with
    // kGroupBit, or kNone for an object the file does not hold as either.
    std::vector<uint32_t> members;
    // For each account, the listed groups that hold it in member, in the
    // file's order: groupsOf[groupsOfStart[a] .. groupsOfStart[a + 1]).
    std::vector<uint32_t> groupsOfStart;
    std::vector<uint32_t> groupsOf;
    // For each group, the accounts whose primary group it is.
    std::vector<uint32_t> primaryStart;
    std::vector<uint32_t> primaryMembers;
    NameIndex accountByName;
    NameIndex groupByName;
    std::unordered_map<uint32_t, uint32_t> listedGroupByRid;

    std::u16string netbiosName;
    std::u16string dnsName;
    std::u16string controller;
    uint32_t controllerVersionMajor = 0;
    uint32_t controllerVersionMinor = 0;
    int64_t asOf = 0;  // the newest whenChanged, as a FILETIME

    uint32_t primaryGroupOf(const Account& a) const {
        const auto it = listedGroupByRid.find(a.primaryGroupId);
        return it == listedGroupByRid.end() ? kNone : it->second;
    }
    bool explicitMember(uint32_t account, uint32_t group) const {
        const auto* first = groupsOf.data() + groupsOfStart[account];
        const auto* last = groupsOf.data() + groupsOfStart[account + 1];
        return std::find(first, last, group) != last;
    }
};

// Reads the export at path into d. Throws LdifError.
void Load(Directory& d, const std::string& path);

// An account's attributes as Load packed them.
ad::UserAttributes UnpackAttributes(const char* packed);

}  // namespace ldif
