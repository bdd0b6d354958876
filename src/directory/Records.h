// The account records that carry users, groups and memberships through the
// program, as plain values: copying one copies its texts, and none keeps a
// pointer into an answer buffer of the directory.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Days since 1899-12-30 00:00 UTC; the fraction is the time of day.
// 0.0 means "no date"; 4294967295.0 in AcctExpires means "never".
using tyDateTime = double;

inline constexpr double kDateNone = 0.0;
inline constexpr double kDateNever = 4294967295.0;
// Day number of 1970-01-01 in that count.
inline constexpr double kUnixEpochDay = 25569.0;

// Account-control flags, in the order in which every window lists them
// (which is not the order of their bit masks).
struct tyUi3Flags {
    bool SCRIPT = false;
    bool ACCOUNTDISABLE = false;
    bool HOMEDIR_REQUIRED = false;
    bool PASSWD_NOTREQD = false;
    bool PASSWD_CANT_CHANGE = false;
    bool LOCKOUT = false;
    bool DONT_EXPIRE_PASSWD = false;
    bool ENCRYPTED_TEXT_PASSWORD_ALLOWED = false;
    bool NOT_DELEGATED = false;
    bool SMARTCARD_REQUIRED = false;
    bool USE_DES_KEY_ONLY = false;
    bool DONT_REQUIRE_PREAUTH = false;
    bool TRUSTED_FOR_DELEGATION = false;
    bool PASSWORD_EXPIRED = false;
    bool TRUSTED_TO_AUTHENTICATE_FOR_DELEGATION = false;
    bool NORMAL_ACCOUNT = false;
    bool TEMP_DUPLICATE_ACCOUNT = false;
    bool WORKSTATION_TRUST_ACCOUNT = false;
    bool SERVER_TRUST_ACCOUNT = false;
    bool INTERDOMAIN_TRUST_ACCOUNT = false;

    bool operator==(const tyUi3Flags&) const = default;
};

// Operator privileges.
struct tyUi3AuthFlags {
    bool PRINT = false;
    bool COMM = false;
    bool SERVER = false;
    bool ACCOUNTS = false;

    bool operator==(const tyUi3AuthFlags&) const = default;
};

// One user account's level-3 details.
struct tyUserInfo3 {
    std::u16string Name;
    uint32_t PasswordAge = 0;
    std::u16string Priv;
    std::u16string HomeDir;
    std::u16string Comment;
    tyUi3Flags Flags;
    std::u16string ScriptPath;
    tyUi3AuthFlags AuthFlags;
    std::u16string FullName;
    std::u16string UsrComment;
    std::u16string Workstations;
    tyDateTime LastLogon = 0.0;
    tyDateTime LastLogoff = 0.0;
    tyDateTime AcctExpires = 0.0;
    uint32_t MaxStorage = 0;
    std::u16string UnitsPerWeek;
    uint32_t LogonHours = 0;
    uint32_t BadPwCount = 0;
    uint32_t NumLogons = 0;
    std::u16string LogonServer;
    uint32_t CountryCode = 0;
    uint32_t CodePage = 0;
    uint32_t UserId = 0;
    uint32_t PrimaryGroupId = 0;
    std::u16string Profile;
    std::u16string HomeDirDrive;
    uint32_t PasswordExpired = 0;

    bool operator==(const tyUserInfo3&) const = default;
};

// One global group with its comment.
struct tyGroup1 {
    std::u16string Name;
    std::u16string Comment;

    bool operator==(const tyGroup1&) const = default;
};

struct tyGroupUsersInfo1Attributes {
    bool MANDATORY = false;
    bool ENABLED_BY_DEFAULT = false;
    bool ENABLED = false;
    bool OWNER = false;
    bool USE_FOR_DENY_ONLY = false;
    bool INTEGRITY = false;
    bool INTEGRITY_ENABLED = false;
    bool LOGON_ID = false;
    bool RESOURCE = false;

    bool operator==(const tyGroupUsersInfo1Attributes&) const = default;
};

// One membership entry: a member of a group, or a group of a user.
struct tyGroupUsersInfo1 {
    std::u16string Name;
    tyGroupUsersInfo1Attributes Attributes;

    bool operator==(const tyGroupUsersInfo1&) const = default;
};

using tyArrUsers = std::vector<std::u16string>;
using tyArrUserInfo3 = std::vector<tyUserInfo3>;
using tyArrGroup1 = std::vector<tyGroup1>;
using tyArrGroupUsersInfo1 = std::vector<tyGroupUsersInfo1>;

// Name, bit mask and field of every flag, in field order. The settings store,
// the configuration dialog, the comparison and the details window all walk
// these tables, so the names and their order are written down once.
template <class Record>
struct FlagField {
    std::string_view name;
    uint32_t mask;
    bool Record::*field;
};

extern const std::array<FlagField<tyUi3Flags>, 20> kUi3FlagFields;
extern const std::array<FlagField<tyUi3AuthFlags>, 4> kUi3AuthFlagFields;
extern const std::array<FlagField<tyGroupUsersInfo1Attributes>, 9> kGroupUsersAttributeFields;
