// A directory read from an LDIF export of an Active Directory domain, as
// ldifde -f or ldapsearch -LLL write one. It answers the network management
// operations as the domain's controller would for the same data: the users
// and computers, the global and universal security groups with their
// members (primary-group members included), and the domain and controller
// names.
//
// The whole file is read and indexed when the back-end is made; afterwards
// nothing touches the file. Answers depend only on the file: the password
// age is counted up to the newest whenChanged in it, not up to the clock.
// The server argument of every operation is accepted as it comes: the file
// is the one directory there is.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "AnswerBuffers.h"
#include "LdifError.h"
#include "NetApi.h"

namespace ldif {
struct Directory;
}

class LdifBackend : public DirectoryBackend {
public:
    // Reads the export. Throws LdifError ("FILE:LINE: reason") for a file
    // that cannot be read, a record that cannot be parsed, an account or
    // group that lacks what the answers need, or a file without a domain.
    explicit LdifBackend(const std::string& path);
    ~LdifBackend() override;
    LdifBackend(const LdifBackend&) = delete;
    LdifBackend& operator=(const LdifBackend&) = delete;

    // The domain's NetBIOS name (NetWkstaGetInfo's wki101_langroup) and its
    // DNS name.
    const std::u16string& domainName() const;
    const std::u16string& dnsDomainName() const;
    // The domain controller's NetBIOS name, empty when the file holds none.
    const std::u16string& controllerName() const;
    // User and computer accounts; groups of every kind.
    size_t accountCount() const;
    size_t groupCount() const;

    // Answer buffers handed out and not yet released.
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
    uint32_t NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t level, void** buffer,
                              uint32_t prefMaxLen, uint32_t* entriesRead, uint32_t* totalEntries,
                              uintptr_t* resumeHandle) override;
    uint32_t NetUserGetGroups(net::Text server, net::Text userName, uint32_t level, void** buffer,
                              uint32_t prefMaxLen, uint32_t* entriesRead,
                              uint32_t* totalEntries) override;
    uint32_t NetApiBufferFree(void* buffer) override;

private:
    std::unique_ptr<const ldif::Directory> m_directory;
    AnswerBuffers m_buffers;
};
