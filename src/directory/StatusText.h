// Words for the statuses a back-end answers, for the front ends that must
// say why something failed (the console program, the sign-in dialog).
#pragma once

#include <cstdint>
#include <string>

#include "NetApi.h"

// "The user name or password is incorrect. (1326)"-style text; statuses
// without words of their own give "Error 1234".
std::u16string StatusText(uint32_t status);

// Forwards every operation to another back-end and remembers the last
// status that was a failure (anything but success and "more data"), so a
// front end can tell an empty answer from a failed one.
class StatusWatch : public DirectoryBackend {
public:
    explicit StatusWatch(DirectoryBackend& inner) : m_inner(inner) {}

    void reset() { m_lastFailure = net::Success; }
    uint32_t lastFailure() const { return m_lastFailure; }

    uint32_t NetWkstaGetInfo(net::Text server, uint32_t level, void** buffer) override;
    uint32_t NetGetDCName(net::Text server, net::Text domain, void** buffer) override;
    uint32_t NetUserEnum(net::Text server, uint32_t level, uint32_t filter, void** buffer,
                         uint32_t prefMaxLen, uint32_t* entriesRead, uint32_t* totalEntries,
                         uint32_t* resumeHandle) override;
    uint32_t NetUserGetInfo(net::Text server, net::Text userName, uint32_t level,
                            void** buffer) override;
    uint32_t NetGroupEnum(net::Text server, uint32_t level, void** buffer, uint32_t prefMaxLen,
                          uint32_t* entriesRead, uint32_t* totalEntries,
                          uintptr_t* resumeHandle) override;
    uint32_t NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t level, void** buffer,
                              uint32_t prefMaxLen, uint32_t* entriesRead, uint32_t* totalEntries,
                              uintptr_t* resumeHandle) override;
    uint32_t NetUserGetGroups(net::Text server, net::Text userName, uint32_t level, void** buffer,
                              uint32_t prefMaxLen, uint32_t* entriesRead,
                              uint32_t* totalEntries) override;
    uint32_t NetApiBufferFree(void* buffer) override { return m_inner.NetApiBufferFree(buffer); }
    void PrefetchUserInfo3(net::Text server,
                           const std::vector<std::u16string>& userNames) override {
        m_inner.PrefetchUserInfo3(server, userNames);
    }
    void PrefetchGroupMembersInfo3(net::Text server, net::Text groupName) override {
        m_inner.PrefetchGroupMembersInfo3(server, groupName);
    }

private:
    uint32_t note(uint32_t status) {
        if (status != net::Success && status != net::MoreData) {
            m_lastFailure = status;
        }
        return status;
    }

    DirectoryBackend& m_inner;
    uint32_t m_lastFailure = net::Success;
};
