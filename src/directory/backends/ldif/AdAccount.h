// Active Directory account entries as the network management functions
// answer for them: what a domain controller makes of an account's
// attributes. Nothing here knows where the attributes came from, so an entry
// of an LDIF export and one of an LDAP search map alike.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "AnswerBuffers.h"
#include "NetApi.h"

namespace ad {

// userAccountControl bits that the mapping itself looks at.
inline constexpr uint32_t UfScript = 0x1;
inline constexpr uint32_t UfLockout = 0x10;
inline constexpr uint32_t UfNormalAccount = 0x200;
inline constexpr uint32_t UfInterdomainTrustAccount = 0x800;
inline constexpr uint32_t UfWorkstationTrustAccount = 0x1000;
inline constexpr uint32_t UfServerTrustAccount = 0x2000;
inline constexpr uint32_t UfDontExpirePasswd = 0x10000;
inline constexpr uint32_t UfSmartcardRequired = 0x40000;
inline constexpr uint32_t UfPasswordExpired = 0x800000;

// groupType bits.
inline constexpr uint32_t GroupTypeGlobal = 0x2;
inline constexpr uint32_t GroupTypeDomainLocal = 0x4;
inline constexpr uint32_t GroupTypeUniversal = 0x8;
inline constexpr uint32_t GroupTypeSecurityEnabled = 0x80000000u;

// What NetGroupEnum lists and NetUserGetGroups reports: the groups that the
// account database holds as groups. Domain-local groups are aliases there,
// and distribution groups are not in it at all.
inline bool IsGlobalSecurityGroup(uint32_t groupType) {
    return (groupType & GroupTypeSecurityEnabled) != 0 &&
           (groupType & (GroupTypeGlobal | GroupTypeUniversal)) != 0;
}

// The attributes that an account's level-3 information is made of.
enum class UserAttribute : uint8_t {
    sAMAccountName,
    userAccountControl,
    objectSid,
    primaryGroupID,
    homeDirectory,
    description,
    scriptPath,
    displayName,
    comment,
    userWorkstations,
    profilePath,
    homeDrive,
    lastLogon,
    lastLogoff,
    accountExpires,
    pwdLastSet,
    lockoutTime,
    badPwdCount,
    logonCount,
    countryCode,
    codePage,
    maxStorage,
    logonHours,
};
inline constexpr size_t kUserAttributeCount = 23;

// The first value of each of those attributes, as the directory gives it:
// UTF-8 text, a decimal integer, or the bytes of a binary value. Holds views:
// the values belong to the caller.
class UserAttributes {
public:
    // The attribute an LDAP attribute description stands for, compared as
    // LDAP compares them (ASCII case ignored, options such as ";binary"
    // left out); nullopt for every other attribute.
    static std::optional<UserAttribute> byName(std::string_view description);
    static std::string_view nameOf(UserAttribute a);

    // Why the value cannot be a value of the attribute, or an empty text.
    static std::string problem(UserAttribute a, std::string_view value);

    void set(UserAttribute a, std::string_view value) {
        m_values[index(a)] = value;
        m_present.set(index(a));
    }
    std::optional<std::string_view> get(UserAttribute a) const {
        return m_present.test(index(a)) ? std::optional(m_values[index(a)]) : std::nullopt;
    }

private:
    static size_t index(UserAttribute a) { return static_cast<size_t>(a); }

    std::array<std::string_view, kUserAttributeCount> m_values{};
    std::bitset<kUserAttributeCount> m_present;
};

// What the entry alone does not tell.
struct AccountFacts {
    // From the account's memberships in BUILTIN\Administrators and the
    // operator aliases (usri3_priv, usri3_auth_flags).
    bool administrator = false;
    uint32_t authFlags = 0;
    // The moment the answers are as of, as a FILETIME; the password's age is
    // counted up to it. 0 when not known: the age is then 0.
    int64_t asOf = 0;
};

// The level-3 information a domain controller gives for the account; texts
// and bytes are copied into block. Values that problem() rejects count as
// absent.
net::USER_INFO_3 MapUserInfo3(const UserAttributes& attributes, const AccountFacts& facts,
                              AnswerBlock& block);

// A security identifier.
struct Sid {
    uint8_t revision = 0;
    uint64_t authority = 0;
    uint8_t count = 0;
    std::array<uint32_t, 15> subAuthorities{};

    // The last sub-authority: the account's or group's relative identifier.
    uint32_t rid() const { return count ? subAuthorities[count - 1] : 0; }
    // S-1-5-32-RID, an alias of the BUILTIN domain; 0 for any other SID.
    uint32_t builtinRid() const {
        return authority == 5 && count == 2 && subAuthorities[0] == 32 ? subAuthorities[1] : 0;
    }
    bool operator==(const Sid&) const = default;
};

// A SID as the directory gives it (binary) or as Samba's tools print it
// ("S-1-5-21-..."); nullopt when it is neither.
std::optional<Sid> ParseSid(std::string_view value);

// A decimal integer as LDAP gives one ("-2147483646", "133515264000000000").
std::optional<int64_t> ParseInteger(std::string_view value);

// An LDAP GeneralizedTime ("20240315123000.0Z") as a FILETIME.
std::optional<int64_t> ParseGeneralizedTime(std::string_view value);

// A FILETIME (100 ns since 1601-01-01 UTC) as seconds since 1970; 0 stays 0,
// and so does every moment before 1970. Past 2106 it is 0xFFFFFFFF.
uint32_t FileTimeToSeconds1970(int64_t fileTime);

}  // namespace ad
