#include "LdifBackend.h"

#include <algorithm>
#include <vector>

#include "AdAccount.h"
#include "LdifDirectory.h"
#include "NameFold.h"

namespace {

using ldif::Directory;
using ldif::kGroupBit;
using ldif::kNone;

// SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED: what a
// controller gives for every membership in a global group.
constexpr uint32_t kMembershipAttributes = 0x7;

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
    ldif::Load(*directory, path);
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
    const uint32_t status =
        pageOut<net::USER_INFO_0>(m_buffers, chosen.size(), prefMaxLen, resume, buffer, entriesRead,
                                  totalEntries, [&](AnswerOf<net::USER_INFO_0>& block, size_t i) {
                                      const auto name = d.accounts[chosen[i]].name;
                                      block.entries.push_back({block.text(name)});
                                      return sizeof(net::USER_INFO_0) + textBytes(name);
                                  });
    if (resumeHandle) {
        *resumeHandle = static_cast<uint32_t>(resume);
    }
    return status;
}

uint32_t LdifBackend::NetUserGetInfo(net::Text, net::Text userName, uint32_t level, void** buffer) {
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
    for (const auto& alias : ldif::kBuiltinAliases) {
        if (account.aliases & alias.bit) {
            facts.administrator |= alias.bit == ldif::kAdministratorsBit;
            facts.authFlags |= alias.authFlag;
        }
    }
    auto block = AnswerBuffers::create<net::USER_INFO_3>();
    block->entries.push_back(
        ad::MapUserInfo3(ldif::UnpackAttributes(account.attributes), facts, *block));
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

uint32_t LdifBackend::NetUserGetGroups(net::Text, net::Text userName, uint32_t level, void** buffer,
                                       uint32_t prefMaxLen, uint32_t* entriesRead,
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
