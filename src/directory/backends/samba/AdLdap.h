// The LDAP side of the samba back-end: what libnetapi cannot answer as a
// Windows domain controller does (a group's members with the accounts whose
// primary group it is, and groups of any size) is read over LDAP, signed
// and sealed by SASL GSSAPI. A password becomes a Kerberos ticket held in
// memory for this connection only; nothing is written to the user's cache.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AdLdapLogon {
    std::string host;      // the controller's DNS name
    std::string realm;     // Kerberos realm (the DNS domain, upper case)
    std::string user;      // empty: use the default ticket cache
    std::string password;
};

class AdLdap {
public:
    AdLdap();
    ~AdLdap();
    AdLdap(const AdLdap&) = delete;
    AdLdap& operator=(const AdLdap&) = delete;

    // Connects and binds when not yet connected. Windows statuses: 0, 53
    // (controller unreachable), 1326 (bad user or password), 1331 (account
    // disabled or locked out), or another failure.
    uint32_t connect(const AdLdapLogon& logon);
    void disconnect();
    bool connected() const;

    // The direct user and computer members of a security-enabled global or
    // universal group, and the accounts whose primary group it is, by
    // sAMAccountName. 2220 when no such group exists.
    uint32_t groupMembers(const std::string& groupName, std::vector<std::string>& names);

    // A readable reason for the last failure, for the log of a front end.
    const std::string& lastError() const { return m_lastError; }

private:
    struct Impl;
    std::unique_ptr<Impl> m;
    std::string m_lastError;
};
