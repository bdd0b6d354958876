// The LDAP side of the samba back-end: what libnetapi cannot answer as a
// Windows domain controller does (a group's members with the accounts whose
// primary group it is, and groups of any size) is read over LDAP, signed
// and sealed by SASL GSSAPI. A password becomes a Kerberos ticket held in
// memory for this connection only; nothing is written to the user's cache.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "AdAccount.h"

struct AdLdapLogon {
    std::string host;   // the controller's DNS name
    std::string realm;  // Kerberos realm (the DNS domain, upper case)
    std::string user;   // empty: use the default ticket cache
    std::string password;
};

// What the level-3 information of one account is made of, as read in a
// search of many accounts: the first value of each attribute that
// MapUserInfo3 maps, and what the controller adds to them when it answers.
struct AdUserRecord {
    std::array<std::string, ad::kUserAttributeCount> values;
    std::bitset<ad::kUserAttributeCount> present;
    int64_t badPasswordTime = 0;
    // msDS-User-Account-Control-Computed: the lockout and password expiry
    // bits as of the search.
    uint32_t computedFlags = 0;
    bool hasComputedFlags = false;
    // Operator aliases (AF_OP_*) the account is a direct member of.
    uint32_t authFlags = 0;

    ad::UserAttributes attributes() const;
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
    // The same search, reading each member's level-3 record as well (as
    // userRecords does).
    uint32_t groupMembers(const std::string& groupName, std::vector<std::string>& names,
                          std::vector<AdUserRecord>* records, int64_t* observationWindow);

    // The accounts of these names (users and computers), as many searches
    // as needed of a few hundred names each; names without an account are
    // left out. observationWindow: the domain's lockOutObservationWindow
    // (100 ns units, negative as stored). Windows statuses as above.
    uint32_t userRecords(const std::vector<std::string>& names, std::vector<AdUserRecord>& records,
                         int64_t& observationWindow);

    // A readable reason for the last failure, for the log of a front end.
    const std::string& lastError() const { return m_lastError; }

private:
    uint32_t failedSearch(int rc);
    uint32_t accountFacts(std::map<std::string, uint32_t>& aliasFlags, int64_t& observationWindow);

    struct Impl;
    std::unique_ptr<Impl> m;
    std::string m_lastError;
};
