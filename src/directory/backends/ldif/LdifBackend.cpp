#include "LdifBackend.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "AdAccount.h"
#include "LdifReader.h"
#include "NameFold.h"
#include "Text.h"

namespace {

using ad::UserAttribute;
using ad::UserAttributes;

constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr uint32_t kGroupBit = 0x80000000u;
// SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED: what a
// controller gives for every membership in a global group.
constexpr uint32_t kMembershipAttributes = 0x7;

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

// Distinguished names (folded) to the numbers that stand for them. Member
// values make this the busiest index of a load, a million lookups in a large
// export, so it is open addressing with part of the hash in the slot: a
// lookup reads one slot and, when that part matches, one key.
class DnIndex {
public:
    // The key's number; a new one, size() before the call, for a new key
    // (copied into the arena).
    uint32_t findOrAdd(std::string_view key, Arena& arena) {
        if ((m_keys.size() + 1) * 2 > m_slots.size()) {
            grow();
        }
        const uint64_t h = std::hash<std::string_view>()(key);
        const auto tag = static_cast<uint32_t>(h >> 32);
        const size_t mask = m_slots.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.id == kNone) {
                slot = {tag, static_cast<uint32_t>(m_keys.size())};
                m_keys.push_back(arena.copy(key));
                return slot.id;
            }
            if (slot.tag == tag && m_keys[slot.id] == key) {
                return slot.id;
            }
        }
    }
    size_t size() const { return m_keys.size(); }

private:
    struct Slot {
        uint32_t tag = 0;
        uint32_t id = kNone;
    };

    void grow() {
        std::vector<Slot> slots(std::max<size_t>(1024, m_slots.size() * 2));
        const size_t mask = slots.size() - 1;
        for (uint32_t id = 0; id < m_keys.size(); ++id) {
            const uint64_t h = std::hash<std::string_view>()(m_keys[id]);
            size_t i = h & mask;
            while (slots[i].id != kNone) {
                i = (i + 1) & mask;
            }
            slots[i] = {static_cast<uint32_t>(h >> 32), id};
        }
        m_slots.swap(slots);
    }

    std::vector<Slot> m_slots;
    std::vector<std::string_view> m_keys;
};

bool sameAscii(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

bool startsAscii(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && sameAscii(s.substr(0, prefix.size()), prefix);
}

// The attribute type without its options ("member" of "member;range=0-1499").
std::string_view baseType(std::string_view description) {
    return description.substr(0, description.find(';'));
}

std::string quoted(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

// The relative distinguished names of a DN, split at the commas that are not
// escaped.
std::vector<std::string_view> splitDn(std::string_view dn) {
    std::vector<std::string_view> rdns;
    size_t start = 0;
    for (size_t i = 0; i < dn.size(); ++i) {
        if (dn[i] == '\\') {
            ++i;
        } else if (dn[i] == ',') {
            rdns.push_back(dn.substr(start, i - start));
            start = i + 1;
        }
    }
    rdns.push_back(dn.substr(start));
    for (auto& rdn : rdns) {
        while (!rdn.empty() && rdn.front() == ' ') {
            rdn.remove_prefix(1);
        }
    }
    return rdns;
}

// The DN of the domain an object is in: its DN from the first "DC=" part on.
std::string_view domainPart(std::string_view dn) {
    size_t start = 0;
    for (size_t i = 0; i <= dn.size(); ++i) {
        if (i == dn.size() || dn[i] == ',') {
            size_t at = start;
            while (at < dn.size() && dn[at] == ' ') {
                ++at;
            }
            if (startsAscii(dn.substr(at), "DC=")) {
                return dn.substr(at);
            }
            start = i + 1;
        } else if (dn[i] == '\\') {
            ++i;
        }
    }
    return {};
}

std::u16string upperName(std::u16string_view s) {
    std::u16string r(s);
    for (auto& c : r) {
        c = FoldNameUnit(c);
    }
    return r;
}

// An account's attributes for its level-3 answer, packed one after the other
// as: attribute number, length (one byte, or 0xFF and four), value; 0xFF ends.
void packAttributes(const UserAttributes& attributes, std::string& out) {
    out.clear();
    for (size_t i = 0; i < ad::kUserAttributeCount; ++i) {
        const auto v = attributes.get(static_cast<UserAttribute>(i));
        if (!v) {
            continue;
        }
        out.push_back(static_cast<char>(i));
        if (v->size() < 0xFF) {
            out.push_back(static_cast<char>(v->size()));
        } else {
            const auto n = static_cast<uint32_t>(v->size());
            out.push_back(static_cast<char>(0xFF));
            out.append(reinterpret_cast<const char*>(&n), sizeof n);
        }
        out.append(*v);
    }
    out.push_back(static_cast<char>(0xFF));
}

UserAttributes unpackAttributes(const char* p) {
    UserAttributes attributes;
    for (;;) {
        const auto id = static_cast<unsigned char>(*p++);
        if (id == 0xFF) {
            return attributes;
        }
        uint32_t size = static_cast<unsigned char>(*p++);
        if (size == 0xFF) {
            std::memcpy(&size, p, sizeof size);
            p += sizeof size;
        }
        attributes.set(static_cast<UserAttribute>(id), std::string_view(p, size));
        p += size;
    }
}

}  // namespace

struct LdifBackend::Directory {
    struct Account {
        std::u16string_view name;
        const char* attributes;  // packed, see packAttributes
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

namespace {

using Directory = LdifBackend::Directory;

class Loader {
public:
    Loader(Directory& d, const std::string& path) : m_d(d), m_reader(path) {}

    void run() {
        LdifRecord record;
        while (m_reader.next(record)) {
            entry(record);
        }
        finish();
    }

private:
    // Computers are users too: their objectClass lists "user".
    static constexpr unsigned User = 1;
    static constexpr unsigned Group = 2;
    static constexpr unsigned DomainDns = 4;
    static constexpr unsigned CrossRef = 8;

    [[noreturn]] void fail(unsigned long line, std::string reason) const {
        m_reader.fail(line, std::move(reason));
    }

    void entry(const LdifRecord& r) {
        unsigned classes = 0;
        bool deleted = false;
        bool hasSid = false;
        for (const auto& v : r.values) {
            const auto type = baseType(v.type);
            if (sameAscii(type, "objectClass")) {
                classes |= sameAscii(v.value, "user")        ? User
                           : sameAscii(v.value, "group")     ? Group
                           : sameAscii(v.value, "domainDNS") ? DomainDns
                           : sameAscii(v.value, "crossRef")  ? CrossRef
                                                             : 0u;
            } else if (sameAscii(type, "isDeleted")) {
                deleted = sameAscii(v.value, "TRUE");
            } else if (sameAscii(type, "objectSid")) {
                hasSid = true;
            } else if (sameAscii(type, "whenChanged")) {
                const auto t = ad::ParseGeneralizedTime(v.value);
                if (!t) {
                    fail(v.line, "whenChanged: " + quoted(v.value) +
                                     " is not a time (\"20240315123000.0Z\")");
                }
                m_d.asOf = std::max(m_d.asOf, *t);
            }
        }
        if (deleted) {
            return;
        }
        if (classes & User) {
            account(r);
        } else if (classes & Group) {
            group(r);
        } else if ((classes & DomainDns) && hasSid) {
            // Application partitions (DomainDnsZones, ForestDnsZones) have
            // domainDNS heads too, but only a domain has a SID.
            domain(r);
        } else if (classes & CrossRef) {
            crossRef(r);
        }
    }

    void account(const LdifRecord& r) {
        UserAttributes attributes;
        std::string_view osVersion;
        for (const auto& v : r.values) {
            const auto a = UserAttributes::byName(v.type);
            if (!a) {
                if (sameAscii(baseType(v.type), "operatingSystemVersion")) {
                    osVersion = v.value;
                }
                continue;
            }
            if (attributes.get(*a)) {
                fail(v.line, std::string(UserAttributes::nameOf(*a)) + " is given twice");
            }
            if (const auto problem = UserAttributes::problem(*a, v.value); !problem.empty()) {
                fail(v.line, std::string(UserAttributes::nameOf(*a)) + ": " + problem);
            }
            attributes.set(*a, v.value);
        }
        for (auto required : {UserAttribute::sAMAccountName, UserAttribute::userAccountControl,
                              UserAttribute::objectSid}) {
            if (!attributes.get(required)) {
                fail(r.line, "the account has no " + std::string(UserAttributes::nameOf(required)));
            }
        }

        const auto index = static_cast<uint32_t>(m_d.accounts.size());
        Directory::Account a;
        a.name = m_d.arena.copy(
            std::u16string_view(Utf8ToUtf16(*attributes.get(UserAttribute::sAMAccountName))));
        a.userAccountControl =
            static_cast<uint32_t>(*ad::ParseInteger(*attributes.get(UserAttribute::userAccountControl)));
        const auto primary = attributes.get(UserAttribute::primaryGroupID);
        a.primaryGroupId = primary ? static_cast<uint32_t>(*ad::ParseInteger(*primary)) : 0;
        packAttributes(attributes, m_scratch);
        a.attributes = m_d.arena.copy(std::string_view(m_scratch)).data();

        if (const auto [it, added] = m_d.accountByName.emplace(a.name, index); !added) {
            fail(r.line, "the account name " + quoted(*attributes.get(UserAttribute::sAMAccountName)) +
                             " is that of the account at line " +
                             std::to_string(m_accountLines[it->second]) + " too");
        }
        place(r, index);
        m_d.accounts.push_back(a);
        m_accountLines.push_back(static_cast<uint32_t>(r.line));

        if ((a.userAccountControl & ad::UfServerTrustAccount) && m_controller == kNone) {
            m_controller = index;
            controllerVersion(osVersion);
        }
    }

    void controllerVersion(std::string_view os) {
        // "10.0 (20348)"
        const size_t dot = os.find('.');
        if (dot == std::string_view::npos) {
            return;
        }
        const size_t end = std::min(os.find(' ', dot), os.size());
        const auto major = ad::ParseInteger(os.substr(0, dot));
        const auto minor = ad::ParseInteger(os.substr(dot + 1, end - dot - 1));
        if (major && minor && *major >= 0 && *minor >= 0 && *major <= 0xFFFF && *minor <= 0xFFFF) {
            m_d.controllerVersionMajor = static_cast<uint32_t>(*major);
            m_d.controllerVersionMinor = static_cast<uint32_t>(*minor);
        }
    }

    void group(const LdifRecord& r) {
        std::optional<std::string_view> name, type, sid, description;
        const auto firstMember = static_cast<uint32_t>(m_d.members.size());
        m_ranges.clear();
        unsigned long rangeLine = 0;
        for (const auto& v : r.values) {
            const auto base = baseType(v.type);
            if (sameAscii(base, "member")) {
                if (base.size() != v.type.size()) {
                    memberOptions(v);
                    if (rangeLine == 0) {
                        rangeLine = v.line;
                    }
                }
                m_d.members.push_back(dnId(v.value, v.line));
                continue;
            }
            std::optional<std::string_view>* slot = sameAscii(base, "sAMAccountName") ? &name
                                                    : sameAscii(base, "groupType")    ? &type
                                                    : sameAscii(base, "objectSid")    ? &sid
                                                    : sameAscii(base, "description")  ? &description
                                                                                      : nullptr;
            if (slot == nullptr) {
                continue;
            }
            if (*slot) {
                fail(v.line, std::string(base) + " is given twice");
            }
            *slot = v.value;
            std::string problem;
            if (slot == &name || slot == &description) {
                if (!IsUtf8(v.value)) {
                    problem = "not UTF-8 text";
                } else if (slot == &name && v.value.empty()) {
                    problem = "empty";
                }
            } else if (slot == &type) {
                const auto n = ad::ParseInteger(v.value);
                if (!n || *n < std::numeric_limits<int32_t>::min() ||
                    *n > std::numeric_limits<uint32_t>::max()) {
                    problem = "not a 32-bit integer";
                }
            } else if (!ad::ParseSid(v.value)) {
                problem = "not a security identifier";
            }
            if (!problem.empty()) {
                fail(v.line, std::string(base) + ": " + problem);
            }
        }
        if (!m_ranges.empty()) {
            checkRanges(rangeLine);
        }
        for (auto [required, what] : {std::pair{&name, "sAMAccountName"},
                                      std::pair{&type, "groupType"}, std::pair{&sid, "objectSid"}}) {
            if (!*required) {
                fail(r.line, std::string("the group has no ") + what);
            }
        }

        const auto index = static_cast<uint32_t>(m_d.groups.size());
        const ad::Sid parsedSid = *ad::ParseSid(*sid);
        Directory::Group g;
        g.name = m_d.arena.copy(std::u16string_view(Utf8ToUtf16(*name)));
        g.comment = description ? m_d.arena.copy(std::u16string_view(Utf8ToUtf16(*description)))
                                : std::u16string_view();
        g.rid = parsedSid.rid();
        g.builtinRid = parsedSid.builtinRid();
        g.groupType = static_cast<uint32_t>(*ad::ParseInteger(*type));
        g.firstMember = firstMember;
        g.memberCount = static_cast<uint32_t>(m_d.members.size()) - firstMember;
        if (const auto [it, added] = m_d.groupByName.emplace(g.name, index); !added) {
            fail(r.line, "the group name " + quoted(*name) + " is that of the group at line " +
                             std::to_string(m_groupLines[it->second]) + " too");
        }
        place(r, index | kGroupBit);
        m_d.groups.push_back(g);
        m_groupLines.push_back(static_cast<uint32_t>(r.line));
    }

    // A directory gives a large group's members in ranges ("member;range=
    // 0-1499"), and ldapsearch writes only the first; a group with part of
    // its members would be a wrong answer, so every range must be there.
    void memberOptions(const LdifValue& v) {
        std::string_view options = v.type.substr(v.type.find(';') + 1);
        while (!options.empty()) {
            const size_t semicolon = std::min(options.find(';'), options.size());
            const std::string_view option = options.substr(0, semicolon);
            options.remove_prefix(std::min(semicolon + 1, options.size()));
            if (!startsAscii(option, "range=")) {
                continue;
            }
            const std::string_view range = option.substr(6);
            const size_t dash = range.find('-');
            const auto low = ad::ParseInteger(range.substr(0, dash));
            const std::string_view highText =
                dash == std::string_view::npos ? std::string_view() : range.substr(dash + 1);
            const auto high = highText == "*" ? std::optional<int64_t>(
                                                    std::numeric_limits<int64_t>::max())
                                              : ad::ParseInteger(highText);
            if (!low || !high || *low < 0 || *high < *low) {
                fail(v.line, "member: " + quoted(option) + " is not a range of values");
            }
            if (m_ranges.empty() || m_ranges.back() != std::pair{*low, *high}) {
                m_ranges.emplace_back(*low, *high);
            }
        }
    }

    void checkRanges(unsigned long line) {
        std::sort(m_ranges.begin(), m_ranges.end());
        int64_t next = 0;
        for (const auto& [low, high] : m_ranges) {
            if (low != next) {
                break;
            }
            if (high == std::numeric_limits<int64_t>::max()) {
                return;
            }
            next = high + 1;
        }
        fail(line, "the group's members are only partly in the file (member;range=...): export "
                   "it with a tool that reads every range, such as ldifde");
    }

    void domain(const LdifRecord& r) {
        if (!IsUtf8(r.dn)) {
            fail(r.line, "the dn is not UTF-8 text");
        }
        if (!m_domainDn.empty()) {
            fail(r.line, "a second domain, " + quoted(r.dn) + ", after " + quoted(m_domainDn) +
                             " at line " + std::to_string(m_domainLine) +
                             ": an export holds one domain");
        }
        m_domainDn = r.dn;
        m_domainLine = r.line;
    }

    void crossRef(const LdifRecord& r) {
        CrossReference c;
        for (const auto& v : r.values) {
            const auto type = baseType(v.type);
            std::string* slot = sameAscii(type, "nCName")        ? &c.namingContext
                                : sameAscii(type, "nETBIOSName") ? &c.netbiosName
                                : sameAscii(type, "dnsRoot")     ? &c.dnsRoot
                                                                 : nullptr;
            if (slot != nullptr && slot->empty()) {
                if (!IsUtf8(v.value)) {
                    fail(v.line, std::string(type) + ": not UTF-8 text");
                }
                *slot = v.value;
            }
        }
        if (!c.namingContext.empty() && !c.netbiosName.empty()) {
            m_crossRefs.push_back(std::move(c));
        }
    }

    // The number standing for a DN, under which its entry and every member
    // value naming it meet.
    uint32_t dnId(std::string_view dn, unsigned long line) {
        if (!IsUtf8(dn)) {
            fail(line, "the DN " + quoted(dn) + " is not UTF-8 text");
        }
        m_key.clear();
        AppendFoldedUtf8(m_key, dn);
        const uint32_t id = m_dnIds.findOrAdd(m_key, m_keys);
        if (id == m_dnTargets.size()) {
            m_dnTargets.push_back(kNone);
        }
        return id;
    }

    void place(const LdifRecord& r, uint32_t target) {
        const uint32_t id = dnId(r.dn, r.line);
        if (m_dnTargets[id] != kNone) {
            const uint32_t other = m_dnTargets[id];
            const uint32_t otherLine = (other & kGroupBit) ? m_groupLines[other & ~kGroupBit]
                                                           : m_accountLines[other];
            fail(r.line, "the entry " + quoted(r.dn) + " is in the file at line " +
                             std::to_string(otherLine) + " already");
        }
        m_dnTargets[id] = target;
        const std::string_view domain = domainPart(r.dn);
        if (domain.empty()) {
            fail(r.line, "the DN " + quoted(r.dn) + " has no DC= part, so its domain is unknown");
        }
        m_key.clear();
        AppendFoldedUtf8(m_key, domain);
        if (m_entryDomains.empty() || m_entryDomains.back().key != m_key) {
            m_entryDomains.push_back({m_key, std::string(domain), static_cast<uint32_t>(r.line)});
        }
    }

    void finish() {
        if (m_domainDn.empty()) {
            if (m_entryDomains.empty()) {
                fail(0, "holds no Active Directory domain: no domain, user or group entry");
            }
            m_domainDn = m_entryDomains.front().dn;
        }
        std::string domainKey;
        AppendFoldedUtf8(domainKey, m_domainDn);
        for (const auto& e : m_entryDomains) {
            if (e.key != domainKey) {
                fail(e.line, "the entry is in the domain " + quoted(e.dn) + ", not in " +
                                 quoted(m_domainDn) + ": an export holds one domain");
            }
        }
        names(domainKey);

        for (auto& m : m_d.members) {
            m = m_dnTargets[m];
        }
        indexGroups();
        resolveAliases();

        if (m_controller != kNone) {
            std::u16string_view name = m_d.accounts[m_controller].name;
            if (!name.empty() && name.back() == u'$') {
                name.remove_suffix(1);
            }
            m_d.controller = name;
        }
    }

    void names(const std::string& domainKey) {
        std::vector<std::string_view> labels;
        for (auto rdn : splitDn(m_domainDn)) {
            if (startsAscii(rdn, "DC=")) {
                labels.push_back(rdn.substr(3));
            }
        }
        for (const auto& c : m_crossRefs) {
            std::string key;
            AppendFoldedUtf8(key, c.namingContext);
            if (key == domainKey) {
                m_d.netbiosName = Utf8ToUtf16(c.netbiosName);
                m_d.dnsName = Utf8ToUtf16(c.dnsRoot);
                break;
            }
        }
        if (m_d.netbiosName.empty() && !labels.empty()) {
            m_d.netbiosName = upperName(Utf8ToUtf16(labels.front()));
        }
        if (m_d.dnsName.empty()) {
            std::string dns;
            for (const auto& l : labels) {
                dns += (dns.empty() ? "" : ".") + std::string(l);
            }
            m_d.dnsName = Utf8ToUtf16(dns);
        }
    }

    void indexGroups() {
        auto& d = m_d;
        for (uint32_t g = 0; g < d.groups.size(); ++g) {
            const auto& group = d.groups[g];
            if (!group.listed() || group.builtinRid != 0) {
                continue;
            }
            if (const auto [it, added] = d.listedGroupByRid.emplace(group.rid, g); !added) {
                fail(m_groupLines[g], "the group's RID " + std::to_string(group.rid) +
                                          " is that of the group at line " +
                                          std::to_string(m_groupLines[it->second]) + " too");
            }
        }

        // Both lists are built as one array with a start per owner: two
        // passes, counting and then filling, and no vector per account.
        const size_t accountCount = d.accounts.size();
        d.groupsOfStart.assign(accountCount + 1, 0);
        for (const auto& group : d.groups) {
            if (!group.listed()) {
                continue;
            }
            for (uint32_t k = 0; k < group.memberCount; ++k) {
                const uint32_t t = d.members[group.firstMember + k];
                if (t != kNone && !(t & kGroupBit)) {
                    ++d.groupsOfStart[t + 1];
                }
            }
        }
        for (size_t a = 0; a < accountCount; ++a) {
            d.groupsOfStart[a + 1] += d.groupsOfStart[a];
        }
        d.groupsOf.resize(d.groupsOfStart[accountCount]);
        std::vector<uint32_t> fill(d.groupsOfStart.begin(), d.groupsOfStart.end() - 1);
        for (uint32_t g = 0; g < d.groups.size(); ++g) {
            const auto& group = d.groups[g];
            if (!group.listed()) {
                continue;
            }
            for (uint32_t k = 0; k < group.memberCount; ++k) {
                const uint32_t t = d.members[group.firstMember + k];
                if (t != kNone && !(t & kGroupBit)) {
                    d.groupsOf[fill[t]++] = g;
                }
            }
        }

        const size_t groupCount = d.groups.size();
        d.primaryStart.assign(groupCount + 1, 0);
        std::vector<uint32_t> primaryOf(accountCount);
        for (size_t a = 0; a < accountCount; ++a) {
            primaryOf[a] = d.primaryGroupOf(d.accounts[a]);
            if (primaryOf[a] != kNone) {
                ++d.primaryStart[primaryOf[a] + 1];
            }
        }
        for (size_t g = 0; g < groupCount; ++g) {
            d.primaryStart[g + 1] += d.primaryStart[g];
        }
        d.primaryMembers.resize(d.primaryStart[groupCount]);
        fill.assign(d.primaryStart.begin(), d.primaryStart.end() - 1);
        for (uint32_t a = 0; a < accountCount; ++a) {
            if (primaryOf[a] != kNone) {
                d.primaryMembers[fill[primaryOf[a]]++] = a;
            }
        }
    }

    // Marks the accounts that are members of the BUILTIN aliases, directly,
    // through security groups nested to any depth, or through a primary
    // group that is such a member. Distribution groups grant nothing.
    void resolveAliases() {
        auto& d = m_d;
        std::vector<bool> seen;
        std::vector<uint32_t> pending;
        for (const auto& alias : kBuiltinAliases) {
            const auto start = std::find_if(d.groups.begin(), d.groups.end(), [&](const auto& g) {
                return g.builtinRid == alias.rid;
            });
            if (start == d.groups.end()) {
                continue;
            }
            seen.assign(d.groups.size(), false);
            pending.assign(1, static_cast<uint32_t>(start - d.groups.begin()));
            seen[pending.back()] = true;
            while (!pending.empty()) {
                const uint32_t g = pending.back();
                pending.pop_back();
                const auto& group = d.groups[g];
                for (uint32_t k = 0; k < group.memberCount; ++k) {
                    const uint32_t t = d.members[group.firstMember + k];
                    if (t == kNone) {
                        continue;
                    }
                    if (!(t & kGroupBit)) {
                        d.accounts[t].aliases |= alias.bit;
                        continue;
                    }
                    const uint32_t nested = t & ~kGroupBit;
                    if (!seen[nested] &&
                        (d.groups[nested].groupType & ad::GroupTypeSecurityEnabled) != 0) {
                        seen[nested] = true;
                        pending.push_back(nested);
                    }
                }
                for (uint32_t k = d.primaryStart[g]; k < d.primaryStart[g + 1]; ++k) {
                    d.accounts[d.primaryMembers[k]].aliases |= alias.bit;
                }
            }
        }
    }

    struct CrossReference {
        std::string namingContext;
        std::string netbiosName;
        std::string dnsRoot;
    };
    struct EntryDomain {
        std::string key;
        std::string dn;
        uint32_t line;
    };

    Directory& m_d;
    LdifReader m_reader;
    // Only while loading: the DNs (folded) and what each stands for.
    Arena m_keys;
    DnIndex m_dnIds;
    std::vector<uint32_t> m_dnTargets;
    std::vector<uint32_t> m_accountLines;
    std::vector<uint32_t> m_groupLines;
    std::vector<EntryDomain> m_entryDomains;  // each change of domain along the file
    std::vector<CrossReference> m_crossRefs;
    std::vector<std::pair<int64_t, int64_t>> m_ranges;
    std::string m_domainDn;
    unsigned long m_domainLine = 0;
    uint32_t m_controller = kNone;
    std::string m_key;
    std::string m_scratch;
};

bool validOut(void** buffer) {
    if (buffer == nullptr) {
        return false;
    }
    *buffer = nullptr;
    return true;
}

size_t textBytes(std::u16string_view s) {
    return (s.size() + 1) * sizeof(char16_t);
}

// Hands out the entries from the resume position on as one answer, as many
// as the preferred length asks for: all with MAX_PREFERRED_LENGTH, otherwise
// about that many bytes but at least one entry, so that a caller paging on
// always gets further. add() appends entry i and tells its size.
template <class Entry, class Add>
uint32_t pageOut(AnswerBuffers& buffers, size_t count, uint32_t prefMaxLen, uint64_t& resume,
                 void** buffer, uint32_t* entriesRead, uint32_t* totalEntries, Add add) {
    auto block = AnswerBuffers::create<Entry>();
    const size_t start = std::min<uint64_t>(resume, count);
    size_t i = start;
    size_t used = 0;
    const bool unlimited = prefMaxLen == net::MaxPreferredLength;
    if (unlimited) {
        block->entries.reserve(count - start);
    }
    for (; i < count; ++i) {
        if (!unlimited && i > start && used >= prefMaxLen) {
            break;
        }
        used += add(*block, i);
    }
    *entriesRead = static_cast<uint32_t>(block->entries.size());
    *totalEntries = static_cast<uint32_t>(count - start);
    *buffer = buffers.handOut(std::move(block));
    const bool more = i < count;
    resume = more ? i : 0;
    return more ? net::MoreData : net::Success;
}

// userAccountControl bits of the account kinds that a NetUserEnum filter
// (FILTER_*) asks for.
constexpr std::pair<uint32_t, uint32_t> kEnumFilters[] = {
    {0x0001, 0x0100},  // FILTER_TEMP_DUPLICATE_ACCOUNT
    {0x0002, ad::UfNormalAccount},
    {0x0008, ad::UfInterdomainTrustAccount},
    {0x0010, ad::UfWorkstationTrustAccount},
    {0x0020, ad::UfServerTrustAccount},
};

}  // namespace

LdifBackend::LdifBackend(const std::string& path) {
    auto directory = std::make_unique<Directory>();
    Loader(*directory, path).run();
    m_directory = std::move(directory);
}

LdifBackend::~LdifBackend() = default;

const std::u16string& LdifBackend::domainName() const {
    return m_directory->netbiosName;
}

const std::u16string& LdifBackend::dnsDomainName() const {
    return m_directory->dnsName;
}

const std::u16string& LdifBackend::controllerName() const {
    return m_directory->controller;
}

size_t LdifBackend::accountCount() const {
    return m_directory->accounts.size();
}

size_t LdifBackend::groupCount() const {
    return m_directory->groups.size();
}

uint32_t LdifBackend::NetWkstaGetInfo(net::Text, uint32_t level, void** buffer) {
    if (!validOut(buffer)) {
        return net::InvalidParameter;
    }
    if (level != 101) {
        return net::InvalidLevel;
    }
    const Directory& d = *m_directory;
    auto block = AnswerBuffers::create<net::WKSTA_INFO_101>();
    net::WKSTA_INFO_101 info;
    info.wki101_platform_id = net::PlatformIdNT;
    // The file is read as if on its domain controller.
    info.wki101_computername = block->text(std::u16string_view(d.controller));
    info.wki101_langroup = block->text(std::u16string_view(d.netbiosName));
    info.wki101_ver_major = d.controllerVersionMajor;
    info.wki101_ver_minor = d.controllerVersionMinor;
    info.wki101_lanroot = block->text(std::u16string_view());
    block->entries.push_back(info);
    *buffer = m_buffers.handOut(std::move(block));
    return net::Success;
}

uint32_t LdifBackend::NetGetDCName(net::Text, net::Text domain, void** buffer) {
    if (!validOut(buffer)) {
        return net::InvalidParameter;
    }
    const Directory& d = *m_directory;
    const std::u16string_view asked = domain ? std::u16string_view(domain) : std::u16string_view();
    if (!asked.empty() && !FoldedNameEqual(asked, d.netbiosName) &&
        !FoldedNameEqual(asked, d.dnsName)) {
        return net::DCNotFound;
    }
    if (d.controller.empty()) {
        return net::DCNotFound;
    }
    *buffer = m_buffers.handOutText(u"\\\\" + d.controller);
    return net::Success;
}

uint32_t LdifBackend::NetUserEnum(net::Text, uint32_t level, uint32_t filter, void** buffer,
                                  uint32_t prefMaxLen, uint32_t* entriesRead,
                                  uint32_t* totalEntries, uint32_t* resumeHandle) {
    if (!validOut(buffer) || entriesRead == nullptr || totalEntries == nullptr) {
        return net::InvalidParameter;
    }
    if (level != 0) {
        return net::InvalidLevel;
    }
    uint32_t wanted = 0;
    uint32_t rest = filter;
    for (const auto& [bit, kind] : kEnumFilters) {
        if (filter & bit) {
            wanted |= kind;
            rest &= ~bit;
        }
    }
    if (rest != 0) {
        return net::InvalidParameter;
    }
    const Directory& d = *m_directory;
    std::vector<uint32_t> chosen;
    for (uint32_t a = 0; a < d.accounts.size(); ++a) {
        // No filter lists every kind of account.
        if (filter == 0 || (d.accounts[a].userAccountControl & wanted) != 0) {
            chosen.push_back(a);
        }
    }
    uint64_t resume = resumeHandle ? *resumeHandle : 0;
    const uint32_t status = pageOut<net::USER_INFO_0>(
        m_buffers, chosen.size(), prefMaxLen, resume, buffer, entriesRead, totalEntries,
        [&](AnswerOf<net::USER_INFO_0>& block, size_t i) {
            const auto name = d.accounts[chosen[i]].name;
            block.entries.push_back({block.text(name)});
            return sizeof(net::USER_INFO_0) + textBytes(name);
        });
    if (resumeHandle) {
        *resumeHandle = static_cast<uint32_t>(resume);
    }
    return status;
}

uint32_t LdifBackend::NetUserGetInfo(net::Text, net::Text userName, uint32_t level,
                                     void** buffer) {
    if (!validOut(buffer) || userName == nullptr) {
        return net::InvalidParameter;
    }
    if (level != 3) {
        return net::InvalidLevel;
    }
    const Directory& d = *m_directory;
    const auto it = d.accountByName.find(std::u16string_view(userName));
    if (it == d.accountByName.end()) {
        return net::UserNotFound;
    }
    const auto& account = d.accounts[it->second];
    ad::AccountFacts facts;
    facts.asOf = d.asOf;
    for (const auto& alias : kBuiltinAliases) {
        if (account.aliases & alias.bit) {
            facts.administrator |= alias.bit == kAdministratorsBit;
            facts.authFlags |= alias.authFlag;
        }
    }
    auto block = AnswerBuffers::create<net::USER_INFO_3>();
    block->entries.push_back(
        ad::MapUserInfo3(unpackAttributes(account.attributes), facts, *block));
    *buffer = m_buffers.handOut(std::move(block));
    return net::Success;
}

uint32_t LdifBackend::NetGroupEnum(net::Text, uint32_t level, void** buffer, uint32_t prefMaxLen,
                                   uint32_t* entriesRead, uint32_t* totalEntries,
                                   uintptr_t* resumeHandle) {
    if (!validOut(buffer) || entriesRead == nullptr || totalEntries == nullptr) {
        return net::InvalidParameter;
    }
    if (level != 1) {
        return net::InvalidLevel;
    }
    const Directory& d = *m_directory;
    std::vector<uint32_t> listed;
    for (uint32_t g = 0; g < d.groups.size(); ++g) {
        if (d.groups[g].listed()) {
            listed.push_back(g);
        }
    }
    uint64_t resume = resumeHandle ? *resumeHandle : 0;
    const uint32_t status = pageOut<net::GROUP_INFO_1>(
        m_buffers, listed.size(), prefMaxLen, resume, buffer, entriesRead, totalEntries,
        [&](AnswerOf<net::GROUP_INFO_1>& block, size_t i) {
            const auto& g = d.groups[listed[i]];
            block.entries.push_back({block.text(g.name), block.text(g.comment)});
            return sizeof(net::GROUP_INFO_1) + textBytes(g.name) + textBytes(g.comment);
        });
    if (resumeHandle) {
        *resumeHandle = static_cast<uintptr_t>(resume);
    }
    return status;
}

uint32_t LdifBackend::NetGroupGetUsers(net::Text, net::Text groupName, uint32_t level,
                                       void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                       uint32_t* totalEntries, uintptr_t* resumeHandle) {
    if (!validOut(buffer) || groupName == nullptr || entriesRead == nullptr ||
        totalEntries == nullptr) {
        return net::InvalidParameter;
    }
    if (level != 1) {
        return net::InvalidLevel;
    }
    const Directory& d = *m_directory;
    const auto it = d.groupByName.find(std::u16string_view(groupName));
    if (it == d.groupByName.end() || !d.groups[it->second].listed()) {
        return net::GroupNotFound;
    }
    const uint32_t g = it->second;
    const auto& group = d.groups[g];
    // The member values that are accounts (nested groups are not members
    // here), then the accounts that have the group as their primary group.
    std::vector<uint32_t> accounts;
    for (uint32_t k = 0; k < group.memberCount; ++k) {
        const uint32_t t = d.members[group.firstMember + k];
        if (t != kNone && !(t & kGroupBit)) {
            accounts.push_back(t);
        }
    }
    for (uint32_t k = d.primaryStart[g]; k < d.primaryStart[g + 1]; ++k) {
        const uint32_t a = d.primaryMembers[k];
        if (!d.explicitMember(a, g)) {
            accounts.push_back(a);
        }
    }
    uint64_t resume = resumeHandle ? *resumeHandle : 0;
    const uint32_t status = pageOut<net::GROUP_USERS_INFO_1>(
        m_buffers, accounts.size(), prefMaxLen, resume, buffer, entriesRead, totalEntries,
        [&](AnswerOf<net::GROUP_USERS_INFO_1>& block, size_t i) {
            const auto name = d.accounts[accounts[i]].name;
            block.entries.push_back({block.text(name), kMembershipAttributes});
            return sizeof(net::GROUP_USERS_INFO_1) + textBytes(name);
        });
    if (resumeHandle) {
        *resumeHandle = static_cast<uintptr_t>(resume);
    }
    return status;
}

uint32_t LdifBackend::NetUserGetGroups(net::Text, net::Text userName, uint32_t level,
                                       void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                       uint32_t* totalEntries) {
    if (!validOut(buffer) || userName == nullptr || entriesRead == nullptr ||
        totalEntries == nullptr) {
        return net::InvalidParameter;
    }
    if (level != 1) {
        return net::InvalidLevel;
    }
    const Directory& d = *m_directory;
    const auto it = d.accountByName.find(std::u16string_view(userName));
    if (it == d.accountByName.end()) {
        return net::UserNotFound;
    }
    const uint32_t a = it->second;
    std::vector<uint32_t> groups(d.groupsOf.begin() + d.groupsOfStart[a],
                                 d.groupsOf.begin() + d.groupsOfStart[a + 1]);
    const uint32_t primary = d.primaryGroupOf(d.accounts[a]);
    if (primary != kNone && !d.explicitMember(a, primary)) {
        groups.push_back(primary);
    }
    // Without a resume handle a shorter answer is all the caller gets.
    uint64_t resume = 0;
    return pageOut<net::GROUP_USERS_INFO_1>(
        m_buffers, groups.size(), prefMaxLen, resume, buffer, entriesRead, totalEntries,
        [&](AnswerOf<net::GROUP_USERS_INFO_1>& block, size_t i) {
            const auto name = d.groups[groups[i]].name;
            block.entries.push_back({block.text(name), kMembershipAttributes});
            return sizeof(net::GROUP_USERS_INFO_1) + textBytes(name);
        });
}

uint32_t LdifBackend::NetApiBufferFree(void* buffer) {
    if (buffer == nullptr) {
        return net::Success;
    }
    return m_buffers.release(buffer);
}
