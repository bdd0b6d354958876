// The directory back-end interface: the network management operations that
// the queries call, shaped as the Windows functions are (server, level,
// filter, preferred length and resume handle in; a status and an answer
// buffer out), so that netapi32 itself, Samba's libnetapi or an LDIF export
// can stand behind the same queries.
//
// The answer structures mirror the Windows SDK's, with UTF-16 strings; a
// null string is a string the directory did not give. Names live in
// namespace net so that they do not collide with <lm.h> or <netapi.h> in the
// back-ends that include those.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace net {

using Text = const char16_t*;

// Statuses the queries tell apart, and the ones back-ends map to.
inline constexpr uint32_t Success = 0;                  // NERR_Success
inline constexpr uint32_t AccessDenied = 5;             // ERROR_ACCESS_DENIED
inline constexpr uint32_t NotEnoughMemory = 8;          // ERROR_NOT_ENOUGH_MEMORY
inline constexpr uint32_t NotSupported = 50;            // ERROR_NOT_SUPPORTED
inline constexpr uint32_t BadNetPath = 53;              // ERROR_BAD_NETPATH
inline constexpr uint32_t InvalidParameter = 87;        // ERROR_INVALID_PARAMETER
inline constexpr uint32_t InvalidName = 123;            // ERROR_INVALID_NAME
inline constexpr uint32_t InvalidLevel = 124;           // ERROR_INVALID_LEVEL
inline constexpr uint32_t MoreData = 234;               // ERROR_MORE_DATA
inline constexpr uint32_t NoSuchUserAlias = 1317;       // ERROR_NO_SUCH_USER (Samba's answer)
inline constexpr uint32_t NoSuchGroupAlias = 1319;      // ERROR_NO_SUCH_GROUP (Samba's answer)
inline constexpr uint32_t LogonFailure = 1326;          // ERROR_LOGON_FAILURE
inline constexpr uint32_t AccountRestriction = 1327;    // ERROR_ACCOUNT_RESTRICTION
inline constexpr uint32_t InvalidLogonHours = 1328;     // ERROR_INVALID_LOGON_HOURS
inline constexpr uint32_t InvalidWorkstation = 1329;    // ERROR_INVALID_WORKSTATION
inline constexpr uint32_t PasswordExpired = 1330;       // ERROR_PASSWORD_EXPIRED
inline constexpr uint32_t AccountDisabled = 1331;       // ERROR_ACCOUNT_DISABLED
inline constexpr uint32_t NoneMapped = 1332;            // ERROR_NONE_MAPPED (Samba's answer)
inline constexpr uint32_t NoSuchDomain = 1355;          // ERROR_NO_SUCH_DOMAIN
inline constexpr uint32_t RpcServerUnavailable = 1722;  // RPC_S_SERVER_UNAVAILABLE
inline constexpr uint32_t AccountExpired = 1793;        // ERROR_ACCOUNT_EXPIRED
inline constexpr uint32_t PasswordMustChange = 1907;    // ERROR_PASSWORD_MUST_CHANGE
inline constexpr uint32_t AccountLockedOut = 1909;      // ERROR_ACCOUNT_LOCKED_OUT
inline constexpr uint32_t GroupNotFound = 2220;         // NERR_GroupNotFound
inline constexpr uint32_t UserNotFound = 2221;          // NERR_UserNotFound
inline constexpr uint32_t InvalidComputer = 2351;       // NERR_InvalidComputer
inline constexpr uint32_t DCNotFound = 2453;            // NERR_DCNotFound
inline constexpr uint32_t NoCredentials = 0x8009030Eu;  // SEC_E_NO_CREDENTIALS

inline constexpr uint32_t MaxPreferredLength = 0xFFFFFFFFu;  // MAX_PREFERRED_LENGTH
inline constexpr uint32_t FilterNormalAccount = 0x0002;      // FILTER_NORMAL_ACCOUNT
inline constexpr uint32_t TimeqForever = 0xFFFFFFFFu;        // TIMEQ_FOREVER
inline constexpr uint32_t UserMaxStorageUnlimited = 0xFFFFFFFFu;
inline constexpr uint32_t UserPrivGuest = 0;
inline constexpr uint32_t UserPrivUser = 1;
inline constexpr uint32_t UserPrivAdmin = 2;
inline constexpr uint32_t UnitsPerWeekHours = 168;  // UNITS_PER_WEEK
inline constexpr uint32_t LogonHoursBytes = 21;     // 168 bits
inline constexpr uint32_t PlatformIdNT = 500;       // PLATFORM_ID_NT

struct WKSTA_INFO_101 {
    uint32_t wki101_platform_id = 0;
    Text wki101_computername = nullptr;
    Text wki101_langroup = nullptr;
    uint32_t wki101_ver_major = 0;
    uint32_t wki101_ver_minor = 0;
    Text wki101_lanroot = nullptr;
};

struct USER_INFO_0 {
    Text usri0_name = nullptr;
};

struct USER_INFO_3 {
    Text usri3_name = nullptr;
    Text usri3_password = nullptr;
    uint32_t usri3_password_age = 0;
    uint32_t usri3_priv = 0;
    Text usri3_home_dir = nullptr;
    Text usri3_comment = nullptr;
    uint32_t usri3_flags = 0;
    Text usri3_script_path = nullptr;
    uint32_t usri3_auth_flags = 0;
    Text usri3_full_name = nullptr;
    Text usri3_usr_comment = nullptr;
    Text usri3_parms = nullptr;
    Text usri3_workstations = nullptr;
    uint32_t usri3_last_logon = 0;
    uint32_t usri3_last_logoff = 0;
    uint32_t usri3_acct_expires = 0;
    uint32_t usri3_max_storage = 0;
    uint32_t usri3_units_per_week = 0;
    const uint8_t* usri3_logon_hours = nullptr;
    uint32_t usri3_bad_pw_count = 0;
    uint32_t usri3_num_logons = 0;
    Text usri3_logon_server = nullptr;
    uint32_t usri3_country_code = 0;
    uint32_t usri3_code_page = 0;
    uint32_t usri3_user_id = 0;
    uint32_t usri3_primary_group_id = 0;
    Text usri3_profile = nullptr;
    Text usri3_home_dir_drive = nullptr;
    uint32_t usri3_password_expired = 0;
};

struct GROUP_INFO_1 {
    Text grpi1_name = nullptr;
    Text grpi1_comment = nullptr;
};

struct GROUP_USERS_INFO_1 {
    Text grui1_name = nullptr;
    uint32_t grui1_attributes = 0;
};

}  // namespace net

// One directory: the eight platform operations. A server of nullptr means
// the local computer. Every answer buffer a call hands out, also one that
// comes with a failure status, is released through NetApiBufferFree.
class DirectoryBackend {
public:
    virtual ~DirectoryBackend() = default;

    // Level 101 gives one net::WKSTA_INFO_101.
    virtual uint32_t NetWkstaGetInfo(net::Text server, uint32_t level, void** buffer) = 0;
    // The buffer holds one char16_t string: the controller's name, "\\NAME".
    virtual uint32_t NetGetDCName(net::Text server, net::Text domain, void** buffer) = 0;
    // Level 0 gives net::USER_INFO_0 entries.
    virtual uint32_t NetUserEnum(net::Text server, uint32_t level, uint32_t filter, void** buffer,
                                 uint32_t prefMaxLen, uint32_t* entriesRead, uint32_t* totalEntries,
                                 uint32_t* resumeHandle) = 0;
    // Level 3 gives one net::USER_INFO_3.
    virtual uint32_t NetUserGetInfo(net::Text server, net::Text userName, uint32_t level,
                                    void** buffer) = 0;
    // Level 1 gives net::GROUP_INFO_1 entries.
    virtual uint32_t NetGroupEnum(net::Text server, uint32_t level, void** buffer,
                                  uint32_t prefMaxLen, uint32_t* entriesRead,
                                  uint32_t* totalEntries, uintptr_t* resumeHandle) = 0;
    // Level 1 gives net::GROUP_USERS_INFO_1 entries, one per member.
    virtual uint32_t NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t level,
                                      void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                      uint32_t* totalEntries, uintptr_t* resumeHandle) = 0;
    // Level 1 gives net::GROUP_USERS_INFO_1 entries, one per group.
    virtual uint32_t NetUserGetGroups(net::Text server, net::Text userName, uint32_t level,
                                      void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                      uint32_t* totalEntries) = 0;
    virtual uint32_t NetApiBufferFree(void* buffer) = 0;

    // A hint that the level-3 information of these users is about to be
    // read one by one: a back-end that can read many accounts at once (one
    // directory search rather than a call per account) may do so now and
    // answer the NetUserGetInfo calls that follow from what it read, each
    // record once and exactly as the call itself would answer it. Whatever
    // it did not read, or cannot, the calls read as ever; a failure here is
    // never seen. By default it does nothing.
    virtual void PrefetchUserInfo3(net::Text server, const std::vector<std::u16string>& userNames) {
        (void)server;
        (void)userNames;
    }
    // The same hint for a group whose members are about to be listed and
    // each member's details read: a back-end may read the list and the
    // details in one go, and answer the NetGroupGetUsers call that follows
    // (once) and the NetUserGetInfo calls from that read.
    virtual void PrefetchGroupMembersInfo3(net::Text server, net::Text groupName) {
        (void)server;
        (void)groupName;
    }
};

// Where the queries send their error boxes. The window layer shows them as
// modal error message boxes with a single OK button; the console front end
// prints them.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void showError(const std::u16string& text) = 0;
};
