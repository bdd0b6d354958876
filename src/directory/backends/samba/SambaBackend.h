// The directory on Linux: Samba's libnetapi against a domain controller,
// adapted so that every operation answers with Windows' statuses and
// semantics, and LDAP for what libnetapi cannot answer as Windows does.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "AnswerBuffers.h"
#include "NetApi.h"
#include "SambaConfig.h"

struct SambaOptions {
    // The account; without one, the user's Kerberos ticket is used.
    std::optional<SambaCredentials> credentials;
    // A controller to use as it is, skipping discovery (--server).
    std::string server;
    std::string smbConfPath = "/etc/samba/smb.conf";
    // Colon-separated, as KRB5_CONFIG; empty means KRB5_CONFIG or
    // /etc/krb5.conf.
    std::string krb5ConfPaths;
};

class SambaBackend : public DirectoryBackend {
public:
    explicit SambaBackend(SambaOptions options);
    ~SambaBackend() override;
    SambaBackend(const SambaBackend&) = delete;
    SambaBackend& operator=(const SambaBackend&) = delete;

    // Starts libnetapi. False, with a message, when it cannot start (it
    // needs /etc/samba/smb.conf, for one).
    bool start(std::string& error);

    // Finds the domain's controller and signs in to it once, the way the
    // queries will: 0, or a Windows status that says why not (53 controller
    // unreachable, 1326 wrong user or password, 1331 disabled, 1909 locked
    // out, 1907 password must change, 2453 no controller found, NoCredentials
    // when there is no Kerberos ticket to sign in with, ...).
    // detail receives the underlying message for a log.
    uint32_t checkLogon(std::string& detail);

    // The domain as the workstation sees it: NetBIOS and DNS names.
    std::string flatDomain();
    std::string dnsDomain();

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
    // Reads the accounts over LDAP, a few hundred a search; the
    // NetUserGetInfo calls for them that follow are answered from what was
    // read, each once, with the values the controller's account database
    // gives at the moment of the call.
    void PrefetchUserInfo3(net::Text server, const std::vector<std::u16string>& userNames) override;
    // Lists the group's members over LDAP with their accounts' details, in
    // the one search that listing them takes anyway; the NetGroupGetUsers
    // call for the group that follows, and the NetUserGetInfo calls for its
    // members, are answered from it.
    void PrefetchGroupMembersInfo3(net::Text server, net::Text groupName) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};
