// A small directory for the window tests, answered from tables the test
// fills: users with their details, groups with comments and members, and
// whether a domain controller is found. It counts the calls of every
// operation and keeps the names of the details read, so a test sees how
// often the directory was asked. Names are matched without regard to the
// case of ASCII letters, as a domain controller matches them.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "AnswerBuffers.h"
#include "NetApi.h"

class FakeDirectory : public DirectoryBackend {
public:
    struct User {
        std::u16string name;
        std::u16string fullName;
        std::u16string comment;
        uint32_t flags = 0x201;  // UF_SCRIPT | UF_NORMAL_ACCOUNT
    };
    struct Group {
        std::u16string name;
        std::u16string comment;
        std::vector<std::u16string> members;
    };

    std::u16string domain = u"ZENTORY";
    bool hasController = true;
    std::u16string controller = u"\\\\DC1";
    std::vector<User> users;
    std::vector<Group> groups;
    // Users whose details read fails, with the status it fails with.
    std::map<std::u16string, uint32_t> failingReads;

    std::map<std::string, int> calls;
    std::vector<std::u16string> detailReads;
    std::vector<std::u16string> servers;  // the server of every call, "" for none

    User& addUser(const std::u16string& name, const std::u16string& fullName = {},
                  const std::u16string& comment = {});
    Group& addGroup(const std::u16string& name, const std::u16string& comment = {},
                    std::vector<std::u16string> members = {});
    size_t outstanding() const { return m_buffers.outstanding(); }

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
    uint32_t NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t level,
                              void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                              uint32_t* totalEntries, uintptr_t* resumeHandle) override;
    uint32_t NetUserGetGroups(net::Text server, net::Text userName, uint32_t level,
                              void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                              uint32_t* totalEntries) override;
    uint32_t NetApiBufferFree(void* buffer) override { return m_buffers.release(buffer); }

private:
    void note(const char* op, net::Text server);
    const User* findUser(net::Text name) const;
    const Group* findGroup(net::Text name) const;

    AnswerBuffers m_buffers;
};
