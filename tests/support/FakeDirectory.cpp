#include "FakeDirectory.h"

#include "Ordering.h"

namespace {

bool sameName(const std::u16string& a, net::Text b) {
    return b && CompareNameKeys(a, b) == 0;
}

}  // namespace

FakeDirectory::User& FakeDirectory::addUser(const std::u16string& name,
                                            const std::u16string& fullName,
                                            const std::u16string& comment) {
    users.push_back({name, fullName, comment});
    return users.back();
}

FakeDirectory::Group& FakeDirectory::addGroup(const std::u16string& name,
                                              const std::u16string& comment,
                                              std::vector<std::u16string> members) {
    groups.push_back({name, comment, std::move(members)});
    return groups.back();
}

void FakeDirectory::note(const char* op, net::Text server) {
    ++calls[op];
    servers.push_back(server ? server : u"");
}

const FakeDirectory::User* FakeDirectory::findUser(net::Text name) const {
    for (const auto& u : users) {
        if (sameName(u.name, name)) {
            return &u;
        }
    }
    return nullptr;
}

const FakeDirectory::Group* FakeDirectory::findGroup(net::Text name) const {
    for (const auto& g : groups) {
        if (sameName(g.name, name)) {
            return &g;
        }
    }
    return nullptr;
}

uint32_t FakeDirectory::NetWkstaGetInfo(net::Text server, uint32_t, void** buffer) {
    note("NetWkstaGetInfo", server);
    auto block = AnswerBuffers::create<net::WKSTA_INFO_101>();
    net::WKSTA_INFO_101 e;
    e.wki101_langroup = block->text(domain);
    block->entries.push_back(e);
    *buffer = m_buffers.handOut(std::move(block));
    return net::Success;
}

uint32_t FakeDirectory::NetGetDCName(net::Text server, net::Text, void** buffer) {
    note("NetGetDCName", server);
    *buffer = nullptr;
    if (!hasController) {
        return net::DCNotFound;
    }
    *buffer = m_buffers.handOutText(controller);
    return net::Success;
}

uint32_t FakeDirectory::NetUserEnum(net::Text server, uint32_t, uint32_t, void** buffer, uint32_t,
                                    uint32_t* entriesRead, uint32_t* totalEntries, uint32_t*) {
    note("NetUserEnum", server);
    auto block = AnswerBuffers::create<net::USER_INFO_0>();
    for (const auto& u : users) {
        block->entries.push_back({block->text(u.name)});
    }
    *entriesRead = *totalEntries = uint32_t(block->entries.size());
    *buffer = m_buffers.handOut(std::move(block));
    return net::Success;
}

uint32_t FakeDirectory::NetUserGetInfo(net::Text server, net::Text userName, uint32_t,
                                       void** buffer) {
    note("NetUserGetInfo", server);
    detailReads.push_back(userName ? userName : u"");
    *buffer = nullptr;
    for (const auto& [name, status] : failingReads) {
        if (sameName(name, userName)) {
            return status;
        }
    }
    const User* u = findUser(userName);
    if (!u) {
        return net::UserNotFound;
    }
    auto block = AnswerBuffers::create<net::USER_INFO_3>();
    net::USER_INFO_3 e;
    e.usri3_name = block->text(u->name);
    e.usri3_full_name = block->text(u->fullName);
    e.usri3_comment = block->text(u->comment);
    e.usri3_flags = u->flags;
    e.usri3_priv = net::UserPrivUser;
    e.usri3_acct_expires = net::TimeqForever;
    e.usri3_max_storage = net::UserMaxStorageUnlimited;
    e.usri3_units_per_week = net::UnitsPerWeekHours;
    block->entries.push_back(e);
    *buffer = m_buffers.handOut(std::move(block));
    return net::Success;
}

uint32_t FakeDirectory::NetGroupEnum(net::Text server, uint32_t, void** buffer, uint32_t,
                                     uint32_t* entriesRead, uint32_t* totalEntries, uintptr_t*) {
    note("NetGroupEnum", server);
    auto block = AnswerBuffers::create<net::GROUP_INFO_1>();
    for (const auto& g : groups) {
        block->entries.push_back({block->text(g.name), block->text(g.comment)});
    }
    *entriesRead = *totalEntries = uint32_t(block->entries.size());
    *buffer = m_buffers.handOut(std::move(block));
    return net::Success;
}

uint32_t FakeDirectory::NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t,
                                         void** buffer, uint32_t, uint32_t* entriesRead,
                                         uint32_t* totalEntries, uintptr_t*) {
    note("NetGroupGetUsers", server);
    *buffer = nullptr;
    *entriesRead = *totalEntries = 0;
    const Group* g = findGroup(groupName);
    if (!g) {
        return net::GroupNotFound;
    }
    auto block = AnswerBuffers::create<net::GROUP_USERS_INFO_1>();
    for (const auto& m : g->members) {
        block->entries.push_back({block->text(m), 0x7});
    }
    *entriesRead = *totalEntries = uint32_t(block->entries.size());
    *buffer = m_buffers.handOut(std::move(block));
    return net::Success;
}

uint32_t FakeDirectory::NetUserGetGroups(net::Text server, net::Text userName, uint32_t,
                                         void** buffer, uint32_t, uint32_t* entriesRead,
                                         uint32_t* totalEntries) {
    note("NetUserGetGroups", server);
    *buffer = nullptr;
    *entriesRead = *totalEntries = 0;
    auto block = AnswerBuffers::create<net::GROUP_USERS_INFO_1>();
    for (const auto& g : groups) {
        for (const auto& m : g.members) {
            if (sameName(m, userName)) {
                block->entries.push_back({block->text(g.name), 0x7});
                break;
            }
        }
    }
    *entriesRead = *totalEntries = uint32_t(block->entries.size());
    *buffer = m_buffers.handOut(std::move(block));
    return net::Success;
}
