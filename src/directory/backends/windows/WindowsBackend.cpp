#include "WindowsBackend.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

// After our own headers: NetApi.h spells every Windows constant it needs
// in namespace net, so nothing in it collides with the macros below. Never
// include Records.h (or Queries.h) here: <lmaccess.h> defines
// PASSWORD_EXPIRED, the name of one of the record's flags.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <lm.h>

namespace {

// ---------------------------------------------------------------------------
// What the copying below relies on.

// wchar_t strings are UTF-16 code units on Windows, so a wide string
// becomes a char16_t string code unit for code unit, losing nothing.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be UTF-16 code units");
static_assert(std::is_unsigned_v<wchar_t>, "code units must convert without sign extension");

// DWORD (unsigned long) and uint32_t (unsigned int) are distinct types of
// the same range: values are copied between them, pointers never are.
static_assert(std::is_unsigned_v<DWORD> && sizeof(DWORD) == sizeof(uint32_t));
static_assert(std::numeric_limits<DWORD>::max() == std::numeric_limits<uint32_t>::max());
// The same for the group functions' resume handles.
static_assert(std::is_unsigned_v<DWORD_PTR> && sizeof(DWORD_PTR) == sizeof(uintptr_t));
// Statuses come back as NET_API_STATUS and are handed on unchanged.
static_assert(std::is_same_v<NET_API_STATUS, DWORD>);

// The queries compare the statuses and pass the constants that NetApi.h
// spells out; they must be Windows' own numbers, since nothing here maps
// one to another.
static_assert(NERR_Success == net::Success);
static_assert(ERROR_ACCESS_DENIED == net::AccessDenied);
static_assert(ERROR_NOT_ENOUGH_MEMORY == net::NotEnoughMemory);
static_assert(ERROR_NOT_SUPPORTED == net::NotSupported);
static_assert(ERROR_BAD_NETPATH == net::BadNetPath);
static_assert(ERROR_INVALID_PARAMETER == net::InvalidParameter);
static_assert(ERROR_INVALID_NAME == net::InvalidName);
static_assert(ERROR_INVALID_LEVEL == net::InvalidLevel);
static_assert(ERROR_MORE_DATA == net::MoreData);
static_assert(ERROR_NO_SUCH_USER == net::NoSuchUserAlias);
static_assert(ERROR_NO_SUCH_GROUP == net::NoSuchGroupAlias);
static_assert(ERROR_LOGON_FAILURE == net::LogonFailure);
static_assert(ERROR_ACCOUNT_RESTRICTION == net::AccountRestriction);
static_assert(ERROR_INVALID_LOGON_HOURS == net::InvalidLogonHours);
static_assert(ERROR_INVALID_WORKSTATION == net::InvalidWorkstation);
static_assert(ERROR_PASSWORD_EXPIRED == net::PasswordExpired);
static_assert(ERROR_ACCOUNT_DISABLED == net::AccountDisabled);
static_assert(ERROR_NONE_MAPPED == net::NoneMapped);
static_assert(ERROR_NO_SUCH_DOMAIN == net::NoSuchDomain);
static_assert(RPC_S_SERVER_UNAVAILABLE == net::RpcServerUnavailable);
static_assert(ERROR_ACCOUNT_EXPIRED == net::AccountExpired);
static_assert(ERROR_PASSWORD_MUST_CHANGE == net::PasswordMustChange);
static_assert(ERROR_ACCOUNT_LOCKED_OUT == net::AccountLockedOut);
static_assert(NERR_GroupNotFound == net::GroupNotFound);
static_assert(NERR_UserNotFound == net::UserNotFound);
static_assert(NERR_InvalidComputer == net::InvalidComputer);
static_assert(NERR_DCNotFound == net::DCNotFound);
static_assert(static_cast<uint32_t>(SEC_E_NO_CREDENTIALS) == net::NoCredentials);

static_assert(MAX_PREFERRED_LENGTH == net::MaxPreferredLength);
static_assert(FILTER_NORMAL_ACCOUNT == net::FilterNormalAccount);
static_assert(TIMEQ_FOREVER == net::TimeqForever);
static_assert(USER_MAXSTORAGE_UNLIMITED == net::UserMaxStorageUnlimited);
static_assert(USER_PRIV_GUEST == net::UserPrivGuest);
static_assert(USER_PRIV_USER == net::UserPrivUser);
static_assert(USER_PRIV_ADMIN == net::UserPrivAdmin);
static_assert((UNITS_PER_WEEK) == net::UnitsPerWeekHours);
static_assert((UNITS_PER_WEEK) / 8 == net::LogonHoursBytes);
static_assert(PLATFORM_ID_NT == net::PlatformIdNT);

// The only levels the interface defines answers for; the copying knows no
// others.
constexpr uint32_t kWkstaLevel = 101;
constexpr uint32_t kUserEnumLevel = 0;
constexpr uint32_t kUserInfoLevel = 3;
constexpr uint32_t kGroupEnumLevel = 1;
constexpr uint32_t kGroupUsersLevel = 1;

// ---------------------------------------------------------------------------
// Strings in and out.

// A name for netapi32: the caller's char16_t string copied into a wchar_t
// one. Copying code unit by code unit, rather than handing the char16_t
// array on as a wchar_t pointer, stays within the aliasing rules (the two
// are distinct types of equal size). A null name stays null, which is what
// the functions take for "the local computer".
class WideArg {
public:
    explicit WideArg(net::Text s) : m_null(s == nullptr) {
        if (s != nullptr) {
            for (; *s != u'\0'; ++s) {
                m_text.push_back(static_cast<wchar_t>(*s));
            }
        }
    }

    LPCWSTR get() const { return m_null ? nullptr : m_text.c_str(); }
    // NetWkstaGetInfo takes its server name as LMSTR, not const; it does
    // not write to it, but this copy may be written to anyway.
    LMSTR mutableGet() { return m_null ? nullptr : m_text.data(); }

private:
    bool m_null;
    std::wstring m_text;
};

// Copies Windows' wide strings into an answer block as char16_t strings,
// through one reused scratch string. A null string stays null: the
// directory did not give it.
class TextCopier {
public:
    explicit TextCopier(AnswerBlock& block) : m_block(block) {}

    net::Text operator()(const wchar_t* s) {
        if (s == nullptr) {
            return nullptr;
        }
        m_scratch.clear();
        for (; *s != L'\0'; ++s) {
            m_scratch.push_back(static_cast<char16_t>(*s));
        }
        return m_block.text(std::u16string_view(m_scratch));
    }

private:
    AnswerBlock& m_block;
    std::u16string m_scratch;
};

// ---------------------------------------------------------------------------
// Windows' buffers.

// One buffer netapi32 hands out, freed with its own NetApiBufferFree
// exactly once when the scope ends: after the copy, after a failure status
// that came with a buffer, and when the copy runs out of memory.
class WindowsBuffer {
public:
    WindowsBuffer() = default;
    ~WindowsBuffer() {
        if (m_buffer != nullptr) {
            ::NetApiBufferFree(m_buffer);
        }
    }
    WindowsBuffer(const WindowsBuffer&) = delete;
    WindowsBuffer& operator=(const WindowsBuffer&) = delete;

    // For the function's LPBYTE* bufptr; only once per object, so that no
    // buffer is overwritten before it is freed.
    LPBYTE* out() { return &m_buffer; }
    bool empty() const { return m_buffer == nullptr; }

    // The buffer as the SDK structure the called level answers with: the
    // memory is netapi32's, written by it as that type.
    template <class T>
    const T* as() const {
        return reinterpret_cast<const T*>(m_buffer);
    }

private:
    LPBYTE m_buffer = nullptr;
};

// The statuses that come with entries to read.
bool hasEntries(NET_API_STATUS status) {
    return status == NERR_Success || status == ERROR_MORE_DATA;
}

// Runs one operation; running out of memory while copying an answer is
// Windows' own "not enough memory" rather than an exception through the
// queries. Whatever the operation had copied is freed with it (the buffer
// is handed out last, by a call that leaves nothing behind when it throws).
template <class F>
uint32_t guarded(F&& f) {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        return net::NotEnoughMemory;
    } catch (const std::length_error&) {
        return net::NotEnoughMemory;
    }
}

// The logon hours: a bit string of usri3_units_per_week bits. The net::
// structure promises net::LogonHoursBytes (168 bits); a controller that
// divides the week otherwise (days: 1 byte, minutes: 1260) gives its own
// bytes, padded with zeros to that length when shorter, so that a reader
// of the structure never reads past the copy.
const uint8_t* copyLogonHours(AnswerBlock& block, const ::USER_INFO_3& s) {
    if (s.usri3_logon_hours == nullptr || s.usri3_units_per_week == 0) {
        return nullptr;
    }
    const size_t given = (static_cast<size_t>(s.usri3_units_per_week) + 7) / 8;
    std::vector<uint8_t> bytes(std::max<size_t>(given, net::LogonHoursBytes), 0);
    for (size_t i = 0; i < given; ++i) {
        bytes[i] = s.usri3_logon_hours[i];
    }
    return block.bytes(bytes.data(), bytes.size());
}

}  // namespace

uint32_t WindowsBackend::NetWkstaGetInfo(net::Text server, uint32_t level, void** buffer) {
    *buffer = nullptr;
    if (level != kWkstaLevel) {
        return net::InvalidLevel;
    }
    return guarded([&]() -> uint32_t {
        WideArg serverName(server);
        WindowsBuffer raw;
        const NET_API_STATUS status =
            ::NetWkstaGetInfo(serverName.mutableGet(), kWkstaLevel, raw.out());
        if (status != NERR_Success || raw.empty()) {
            return status;
        }
        const ::WKSTA_INFO_101& s = *raw.as<::WKSTA_INFO_101>();
        auto block = AnswerBuffers::create<net::WKSTA_INFO_101>();
        TextCopier text(*block);
        net::WKSTA_INFO_101 e;
        e.wki101_platform_id = s.wki101_platform_id;
        e.wki101_computername = text(s.wki101_computername);
        e.wki101_langroup = text(s.wki101_langroup);
        e.wki101_ver_major = s.wki101_ver_major;
        e.wki101_ver_minor = s.wki101_ver_minor;
        e.wki101_lanroot = text(s.wki101_lanroot);
        block->entries.push_back(e);
        *buffer = m_buffers.handOut(std::move(block));
        return status;
    });
}

uint32_t WindowsBackend::NetGetDCName(net::Text server, net::Text domain, void** buffer) {
    *buffer = nullptr;
    return guarded([&]() -> uint32_t {
        const WideArg serverName(server);
        const WideArg domainName(domain);
        WindowsBuffer raw;
        const NET_API_STATUS status = ::NetGetDCName(serverName.get(), domainName.get(), raw.out());
        if (status != NERR_Success || raw.empty()) {
            return status;
        }
        // The buffer is one zero-terminated wide string, "\\NAME".
        std::u16string name;
        for (const wchar_t* p = raw.as<wchar_t>(); *p != L'\0'; ++p) {
            name.push_back(static_cast<char16_t>(*p));
        }
        *buffer = m_buffers.handOutText(name);
        return status;
    });
}

uint32_t WindowsBackend::NetUserEnum(net::Text server, uint32_t level, uint32_t filter,
                                     void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                     uint32_t* totalEntries, uint32_t* resumeHandle) {
    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != kUserEnumLevel) {
        return net::InvalidLevel;
    }
    return guarded([&]() -> uint32_t {
        const WideArg serverName(server);
        WindowsBuffer raw;
        DWORD read = 0;
        DWORD total = 0;
        DWORD resume = resumeHandle != nullptr ? *resumeHandle : 0;
        const NET_API_STATUS status =
            ::NetUserEnum(serverName.get(), kUserEnumLevel, filter, raw.out(), prefMaxLen, &read,
                          &total, resumeHandle != nullptr ? &resume : nullptr);
        if (resumeHandle != nullptr) {
            *resumeHandle = resume;
        }
        *totalEntries = total;
        if (!hasEntries(status) || raw.empty()) {
            return status;
        }
        const auto* entries = raw.as<::USER_INFO_0>();
        auto block = AnswerBuffers::create<net::USER_INFO_0>();
        TextCopier text(*block);
        block->entries.reserve(read);
        for (DWORD i = 0; i < read; ++i) {
            net::USER_INFO_0 e;
            e.usri0_name = text(entries[i].usri0_name);
            block->entries.push_back(e);
        }
        *buffer = m_buffers.handOut(std::move(block));
        *entriesRead = read;
        return status;
    });
}

uint32_t WindowsBackend::NetUserGetInfo(net::Text server, net::Text userName, uint32_t level,
                                        void** buffer) {
    *buffer = nullptr;
    if (level != kUserInfoLevel) {
        return net::InvalidLevel;
    }
    return guarded([&]() -> uint32_t {
        const WideArg serverName(server);
        const WideArg user(userName);
        WindowsBuffer raw;
        const NET_API_STATUS status =
            ::NetUserGetInfo(serverName.get(), user.get(), kUserInfoLevel, raw.out());
        if (status != NERR_Success || raw.empty()) {
            return status;
        }
        const ::USER_INFO_3& s = *raw.as<::USER_INFO_3>();
        auto block = AnswerBuffers::create<net::USER_INFO_3>();
        TextCopier text(*block);
        net::USER_INFO_3 u;
        u.usri3_name = text(s.usri3_name);
        u.usri3_password = text(s.usri3_password);  // Windows never gives it
        u.usri3_password_age = s.usri3_password_age;
        u.usri3_priv = s.usri3_priv;
        u.usri3_home_dir = text(s.usri3_home_dir);
        u.usri3_comment = text(s.usri3_comment);
        u.usri3_flags = s.usri3_flags;
        u.usri3_script_path = text(s.usri3_script_path);
        u.usri3_auth_flags = s.usri3_auth_flags;
        u.usri3_full_name = text(s.usri3_full_name);
        u.usri3_usr_comment = text(s.usri3_usr_comment);
        u.usri3_parms = text(s.usri3_parms);
        u.usri3_workstations = text(s.usri3_workstations);
        u.usri3_last_logon = s.usri3_last_logon;
        u.usri3_last_logoff = s.usri3_last_logoff;
        u.usri3_acct_expires = s.usri3_acct_expires;
        u.usri3_max_storage = s.usri3_max_storage;
        u.usri3_units_per_week = s.usri3_units_per_week;
        u.usri3_logon_hours = copyLogonHours(*block, s);
        u.usri3_bad_pw_count = s.usri3_bad_pw_count;
        u.usri3_num_logons = s.usri3_num_logons;
        u.usri3_logon_server = text(s.usri3_logon_server);
        u.usri3_country_code = s.usri3_country_code;
        u.usri3_code_page = s.usri3_code_page;
        u.usri3_user_id = s.usri3_user_id;
        u.usri3_primary_group_id = s.usri3_primary_group_id;
        u.usri3_profile = text(s.usri3_profile);
        u.usri3_home_dir_drive = text(s.usri3_home_dir_drive);
        u.usri3_password_expired = s.usri3_password_expired;
        block->entries.push_back(u);
        *buffer = m_buffers.handOut(std::move(block));
        return status;
    });
}

uint32_t WindowsBackend::NetGroupEnum(net::Text server, uint32_t level, void** buffer,
                                      uint32_t prefMaxLen, uint32_t* entriesRead,
                                      uint32_t* totalEntries, uintptr_t* resumeHandle) {
    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != kGroupEnumLevel) {
        return net::InvalidLevel;
    }
    return guarded([&]() -> uint32_t {
        const WideArg serverName(server);
        WindowsBuffer raw;
        DWORD read = 0;
        DWORD total = 0;
        DWORD_PTR resume = resumeHandle != nullptr ? *resumeHandle : 0;
        const NET_API_STATUS status =
            ::NetGroupEnum(serverName.get(), kGroupEnumLevel, raw.out(), prefMaxLen, &read, &total,
                           resumeHandle != nullptr ? &resume : nullptr);
        if (resumeHandle != nullptr) {
            *resumeHandle = resume;
        }
        *totalEntries = total;
        if (!hasEntries(status) || raw.empty()) {
            return status;
        }
        const auto* entries = raw.as<::GROUP_INFO_1>();
        auto block = AnswerBuffers::create<net::GROUP_INFO_1>();
        TextCopier text(*block);
        block->entries.reserve(read);
        for (DWORD i = 0; i < read; ++i) {
            net::GROUP_INFO_1 g;
            g.grpi1_name = text(entries[i].grpi1_name);
            g.grpi1_comment = text(entries[i].grpi1_comment);
            block->entries.push_back(g);
        }
        *buffer = m_buffers.handOut(std::move(block));
        *entriesRead = read;
        return status;
    });
}

namespace {

// NetGroupGetUsers and NetUserGetGroups answer with the same entries.
void* copyGroupUsers(AnswerBuffers& buffers, const WindowsBuffer& raw, DWORD read) {
    const auto* entries = raw.as<::GROUP_USERS_INFO_1>();
    auto block = AnswerBuffers::create<net::GROUP_USERS_INFO_1>();
    TextCopier text(*block);
    block->entries.reserve(read);
    for (DWORD i = 0; i < read; ++i) {
        net::GROUP_USERS_INFO_1 e;
        e.grui1_name = text(entries[i].grui1_name);
        e.grui1_attributes = entries[i].grui1_attributes;
        block->entries.push_back(e);
    }
    return buffers.handOut(std::move(block));
}

}  // namespace

uint32_t WindowsBackend::NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t level,
                                          void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                          uint32_t* totalEntries, uintptr_t* resumeHandle) {
    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != kGroupUsersLevel) {
        return net::InvalidLevel;
    }
    return guarded([&]() -> uint32_t {
        const WideArg serverName(server);
        const WideArg group(groupName);
        WindowsBuffer raw;
        DWORD read = 0;
        DWORD total = 0;
        DWORD_PTR resume = resumeHandle != nullptr ? *resumeHandle : 0;
        const NET_API_STATUS status = ::NetGroupGetUsers(
            serverName.get(), group.get(), kGroupUsersLevel, raw.out(), prefMaxLen, &read, &total,
            resumeHandle != nullptr ? &resume : nullptr);
        if (resumeHandle != nullptr) {
            *resumeHandle = resume;
        }
        *totalEntries = total;
        if (!hasEntries(status) || raw.empty()) {
            return status;
        }
        *buffer = copyGroupUsers(m_buffers, raw, read);
        *entriesRead = read;
        return status;
    });
}

uint32_t WindowsBackend::NetUserGetGroups(net::Text server, net::Text userName, uint32_t level,
                                          void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                          uint32_t* totalEntries) {
    *buffer = nullptr;
    *entriesRead = 0;
    *totalEntries = 0;
    if (level != kGroupUsersLevel) {
        return net::InvalidLevel;
    }
    return guarded([&]() -> uint32_t {
        const WideArg serverName(server);
        const WideArg user(userName);
        WindowsBuffer raw;
        DWORD read = 0;
        DWORD total = 0;
        const NET_API_STATUS status = ::NetUserGetGroups(
            serverName.get(), user.get(), kGroupUsersLevel, raw.out(), prefMaxLen, &read, &total);
        *totalEntries = total;
        if (!hasEntries(status) || raw.empty()) {
            return status;
        }
        *buffer = copyGroupUsers(m_buffers, raw, read);
        *entriesRead = read;
        return status;
    });
}

uint32_t WindowsBackend::NetApiBufferFree(void* buffer) {
    return m_buffers.release(buffer);
}
