#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "LdifDirectory.h"
#include "LdifReader.h"
#include "Text.h"

namespace ldif {

namespace {

using ad::UserAttribute;
using ad::UserAttributes;

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

bool startsAscii(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualAsciiNoCase(s.substr(0, prefix.size()), prefix);
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
            if (EqualAsciiNoCase(type, "objectClass")) {
                classes |= EqualAsciiNoCase(v.value, "user")        ? User
                           : EqualAsciiNoCase(v.value, "group")     ? Group
                           : EqualAsciiNoCase(v.value, "domainDNS") ? DomainDns
                           : EqualAsciiNoCase(v.value, "crossRef")  ? CrossRef
                                                                    : 0u;
            } else if (EqualAsciiNoCase(type, "isDeleted")) {
                deleted = EqualAsciiNoCase(v.value, "TRUE");
            } else if (EqualAsciiNoCase(type, "objectSid")) {
                hasSid = true;
            } else if (EqualAsciiNoCase(type, "whenChanged")) {
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
                if (EqualAsciiNoCase(baseType(v.type), "operatingSystemVersion")) {
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
        a.userAccountControl = static_cast<uint32_t>(
            *ad::ParseInteger(*attributes.get(UserAttribute::userAccountControl)));
        const auto primary = attributes.get(UserAttribute::primaryGroupID);
        a.primaryGroupId = primary ? static_cast<uint32_t>(*ad::ParseInteger(*primary)) : 0;
        packAttributes(attributes, m_scratch);
        a.attributes = m_d.arena.copy(std::string_view(m_scratch)).data();

        if (const auto [it, added] = m_d.accountByName.emplace(a.name, index); !added) {
            fail(r.line, "the account name " +
                             quoted(*attributes.get(UserAttribute::sAMAccountName)) +
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
            if (EqualAsciiNoCase(base, "member")) {
                if (base.size() != v.type.size()) {
                    memberOptions(v);
                    if (rangeLine == 0) {
                        rangeLine = v.line;
                    }
                }
                m_d.members.push_back(dnId(v.value, v.line));
                continue;
            }
            std::optional<std::string_view>* slot = nullptr;
            if (EqualAsciiNoCase(base, "sAMAccountName")) {
                slot = &name;
            } else if (EqualAsciiNoCase(base, "groupType")) {
                slot = &type;
            } else if (EqualAsciiNoCase(base, "objectSid")) {
                slot = &sid;
            } else if (EqualAsciiNoCase(base, "description")) {
                slot = &description;
            }
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
        for (auto [required, what] :
             {std::pair{&name, "sAMAccountName"}, std::pair{&type, "groupType"},
              std::pair{&sid, "objectSid"}}) {
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
            const auto high = highText == "*"
                                  ? std::optional<int64_t>(std::numeric_limits<int64_t>::max())
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
        fail(line,
             "the group's members are only partly in the file (member;range=...): export "
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
            std::string* slot = EqualAsciiNoCase(type, "nCName")        ? &c.namingContext
                                : EqualAsciiNoCase(type, "nETBIOSName") ? &c.netbiosName
                                : EqualAsciiNoCase(type, "dnsRoot")     ? &c.dnsRoot
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
            const uint32_t otherLine =
                (other & kGroupBit) ? m_groupLines[other & ~kGroupBit] : m_accountLines[other];
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

}  // namespace

void Load(Directory& d, const std::string& path) {
    Loader(d, path).run();
}

UserAttributes UnpackAttributes(const char* p) {
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

}  // namespace ldif
