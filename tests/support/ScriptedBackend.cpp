#include "ScriptedBackend.h"

namespace {

std::optional<std::u16string> optText(net::Text s) {
    return s ? std::optional<std::u16string>(s) : std::nullopt;
}

}  // namespace

template <class Entry>
ScriptedBackend::Answer ScriptedBackend::makeAnswer(uint32_t status,
                                                    std::unique_ptr<AnswerOf<Entry>> block) {
    Answer a;
    a.status = status;
    if (block) {
        a.count = static_cast<uint32_t>(block->entries.size());
        a.block = std::move(block);
        a.handOut = [](AnswerBuffers& buffers, std::unique_ptr<AnswerBlock> b) -> void* {
            return buffers.handOut(std::unique_ptr<AnswerOf<Entry>>(
                static_cast<AnswerOf<Entry>*>(b.release())));
        };
    }
    return a;
}

void ScriptedBackend::scriptWkstaGetInfo(uint32_t status, std::optional<std::u16string> langroup) {
    std::unique_ptr<AnswerOf<net::WKSTA_INFO_101>> block;
    if (langroup) {
        block = AnswerBuffers::create<net::WKSTA_INFO_101>();
        net::WKSTA_INFO_101 e;
        e.wki101_platform_id = net::PlatformIdNT;
        e.wki101_computername = block->text(u"WS01");
        e.wki101_langroup = block->text(*langroup);
        block->entries.push_back(e);
    }
    queue("NetWkstaGetInfo").push_back(makeAnswer(status, std::move(block)));
}

void ScriptedBackend::scriptGetDCName(uint32_t status, std::optional<std::u16string> dcName) {
    std::unique_ptr<AnswerOf<char16_t>> block;
    if (dcName) {
        block = AnswerBuffers::create<char16_t>();
        block->entries.assign(dcName->begin(), dcName->end());
        block->entries.push_back(u'\0');
    }
    queue("NetGetDCName").push_back(makeAnswer(status, std::move(block)));
}

void ScriptedBackend::scriptUserEnum(uint32_t status,
                                     std::optional<std::vector<std::u16string>> names) {
    std::unique_ptr<AnswerOf<net::USER_INFO_0>> block;
    if (names) {
        block = AnswerBuffers::create<net::USER_INFO_0>();
        for (const auto& n : *names) {
            block->entries.push_back({block->text(n)});
        }
    }
    queue("NetUserEnum").push_back(makeAnswer(status, std::move(block)));
}

void ScriptedBackend::scriptUserGetInfo(uint32_t status, std::optional<net::USER_INFO_3> info) {
    std::unique_ptr<AnswerOf<net::USER_INFO_3>> block;
    if (info) {
        block = AnswerBuffers::create<net::USER_INFO_3>();
        block->entries.push_back(copyInto(*block, *info));
    }
    queue("NetUserGetInfo").push_back(makeAnswer(status, std::move(block)));
}

void ScriptedBackend::scriptGroupEnum(uint32_t status, std::optional<std::vector<Group>> groups) {
    std::unique_ptr<AnswerOf<net::GROUP_INFO_1>> block;
    if (groups) {
        block = AnswerBuffers::create<net::GROUP_INFO_1>();
        for (const auto& [name, comment] : *groups) {
            block->entries.push_back({block->text(name), block->text(comment)});
        }
    }
    queue("NetGroupEnum").push_back(makeAnswer(status, std::move(block)));
}

void ScriptedBackend::scriptGroupGetUsers(uint32_t status,
                                          std::optional<std::vector<Member>> members) {
    std::unique_ptr<AnswerOf<net::GROUP_USERS_INFO_1>> block;
    if (members) {
        block = AnswerBuffers::create<net::GROUP_USERS_INFO_1>();
        for (const auto& [name, attributes] : *members) {
            block->entries.push_back({block->text(name), attributes});
        }
    }
    queue("NetGroupGetUsers").push_back(makeAnswer(status, std::move(block)));
}

void ScriptedBackend::scriptUserGetGroups(uint32_t status,
                                          std::optional<std::vector<Member>> groups) {
    std::unique_ptr<AnswerOf<net::GROUP_USERS_INFO_1>> block;
    if (groups) {
        block = AnswerBuffers::create<net::GROUP_USERS_INFO_1>();
        for (const auto& [name, attributes] : *groups) {
            block->entries.push_back({block->text(name), attributes});
        }
    }
    queue("NetUserGetGroups").push_back(makeAnswer(status, std::move(block)));
}

uint32_t ScriptedBackend::answer(const char* op, ScriptedCall call, void** buffer,
                                 uint32_t* entriesRead, uint32_t* totalEntries) {
    call.op = op;
    m_calls.push_back(std::move(call));
    *buffer = nullptr;
    auto& q = queue(op);
    if (q.empty()) {
        ++m_unscripted;
        return net::NotSupported;
    }
    Answer a = std::move(q.front());
    q.pop_front();
    if (a.block) {
        *buffer = a.handOut(m_buffers, std::move(a.block));
    }
    if (entriesRead) {
        *entriesRead = a.count;
    }
    if (totalEntries) {
        *totalEntries = a.count;
    }
    return a.status;
}

uint32_t ScriptedBackend::NetWkstaGetInfo(net::Text server, uint32_t level, void** buffer) {
    ScriptedCall c;
    c.server = optText(server);
    c.level = level;
    return answer("NetWkstaGetInfo", std::move(c), buffer, nullptr, nullptr);
}

uint32_t ScriptedBackend::NetGetDCName(net::Text server, net::Text domain, void** buffer) {
    ScriptedCall c;
    c.server = optText(server);
    c.name = domain ? domain : u"";
    return answer("NetGetDCName", std::move(c), buffer, nullptr, nullptr);
}

uint32_t ScriptedBackend::NetUserEnum(net::Text server, uint32_t level, uint32_t filter,
                                      void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                      uint32_t* totalEntries, uint32_t* resumeHandle) {
    ScriptedCall c;
    c.server = optText(server);
    c.level = level;
    c.filter = filter;
    c.prefMaxLen = prefMaxLen;
    c.hasResume = resumeHandle != nullptr;
    c.resumeIn = resumeHandle ? *resumeHandle : 0;
    const uint32_t status = answer("NetUserEnum", std::move(c), buffer, entriesRead, totalEntries);
    if (resumeHandle && status == net::MoreData) {
        ++*resumeHandle;
    }
    return status;
}

uint32_t ScriptedBackend::NetUserGetInfo(net::Text server, net::Text userName, uint32_t level,
                                         void** buffer) {
    ScriptedCall c;
    c.server = optText(server);
    c.name = userName ? userName : u"";
    c.level = level;
    return answer("NetUserGetInfo", std::move(c), buffer, nullptr, nullptr);
}

uint32_t ScriptedBackend::NetGroupEnum(net::Text server, uint32_t level, void** buffer,
                                       uint32_t prefMaxLen, uint32_t* entriesRead,
                                       uint32_t* totalEntries, uintptr_t* resumeHandle) {
    ScriptedCall c;
    c.server = optText(server);
    c.level = level;
    c.prefMaxLen = prefMaxLen;
    c.hasResume = resumeHandle != nullptr;
    c.resumeIn = resumeHandle ? *resumeHandle : 0;
    const uint32_t status =
        answer("NetGroupEnum", std::move(c), buffer, entriesRead, totalEntries);
    if (resumeHandle && status == net::MoreData) {
        ++*resumeHandle;
    }
    return status;
}

uint32_t ScriptedBackend::NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t level,
                                           void** buffer, uint32_t prefMaxLen,
                                           uint32_t* entriesRead, uint32_t* totalEntries,
                                           uintptr_t* resumeHandle) {
    ScriptedCall c;
    c.server = optText(server);
    c.name = groupName ? groupName : u"";
    c.level = level;
    c.prefMaxLen = prefMaxLen;
    c.hasResume = resumeHandle != nullptr;
    c.resumeIn = resumeHandle ? *resumeHandle : 0;
    const uint32_t status =
        answer("NetGroupGetUsers", std::move(c), buffer, entriesRead, totalEntries);
    if (resumeHandle && status == net::MoreData) {
        ++*resumeHandle;
    }
    return status;
}

uint32_t ScriptedBackend::NetUserGetGroups(net::Text server, net::Text userName, uint32_t level,
                                           void** buffer, uint32_t prefMaxLen,
                                           uint32_t* entriesRead, uint32_t* totalEntries) {
    ScriptedCall c;
    c.server = optText(server);
    c.name = userName ? userName : u"";
    c.level = level;
    c.prefMaxLen = prefMaxLen;
    return answer("NetUserGetGroups", std::move(c), buffer, entriesRead, totalEntries);
}

uint32_t ScriptedBackend::NetApiBufferFree(void* buffer) {
    const uint32_t status = m_buffers.release(buffer);
    if (status == net::Success) {
        ++m_released;
    } else {
        ++m_badReleases;
    }
    return status;
}
