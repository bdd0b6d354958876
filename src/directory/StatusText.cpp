#include "StatusText.h"

#include "Text.h"

namespace {

// Windows writes the security layer's failures (0x8009030E) in hex.
std::u16string number(uint32_t status) {
    if (status < 0x80000000u) {
        return DecimalText(status);
    }
    static const char16_t digits[] = u"0123456789ABCDEF";
    std::u16string s = u"0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        s.push_back(digits[(status >> shift) & 0xF]);
    }
    return s;
}

}  // namespace

std::u16string StatusText(uint32_t status) {
    const char16_t* words = nullptr;
    switch (status) {
    case net::Success:
        words = u"The operation completed successfully.";
        break;
    case net::AccessDenied:
        words = u"Access is denied.";
        break;
    case net::NotEnoughMemory:
        words = u"Not enough memory to complete the operation.";
        break;
    case net::NotSupported:
        words = u"The request is not supported.";
        break;
    case net::BadNetPath:
        words = u"The domain controller cannot be reached.";
        break;
    case net::InvalidParameter:
        words = u"A parameter is incorrect.";
        break;
    case net::InvalidName:
        words = u"The name is not valid.";
        break;
    case net::InvalidLevel:
        words = u"The information level is not valid.";
        break;
    case net::LogonFailure:
        words = u"The user name or password is incorrect.";
        break;
    case net::AccountRestriction:
        words = u"Account restrictions prevent this user from signing in.";
        break;
    case net::InvalidLogonHours:
        words = u"The account may not sign in at this time of day.";
        break;
    case net::InvalidWorkstation:
        words = u"The account may not sign in from this computer.";
        break;
    case net::PasswordExpired:
        words = u"The password of the account has expired.";
        break;
    case net::AccountDisabled:
        words = u"The account is disabled.";
        break;
    case net::AccountExpired:
        words = u"The account has expired.";
        break;
    case net::PasswordMustChange:
        words = u"The password must be changed before the account can sign in.";
        break;
    case net::AccountLockedOut:
        words = u"The account is locked out.";
        break;
    case net::NoSuchDomain:
        words = u"The domain does not exist or cannot be contacted.";
        break;
    case net::RpcServerUnavailable:
        words = u"The RPC server is unavailable.";
        break;
    case net::GroupNotFound:
        words = u"The group name could not be found.";
        break;
    case net::UserNotFound:
        words = u"The user name could not be found.";
        break;
    case net::InvalidComputer:
        words = u"The computer name is invalid.";
        break;
    case net::NoCredentials:
        words = u"No Kerberos ticket is available: sign in with kinit, or name an account.";
        break;
    case net::DCNotFound:
        words = u"No domain controller was found for the domain.";
        break;
    default:
        return u"Error " + number(status);
    }
    return std::u16string(words) + u" (" + number(status) + u")";
}

uint32_t StatusWatch::NetWkstaGetInfo(net::Text server, uint32_t level, void** buffer) {
    return note(m_inner.NetWkstaGetInfo(server, level, buffer));
}

uint32_t StatusWatch::NetGetDCName(net::Text server, net::Text domain, void** buffer) {
    return note(m_inner.NetGetDCName(server, domain, buffer));
}

uint32_t StatusWatch::NetUserEnum(net::Text server, uint32_t level, uint32_t filter,
                                  void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                  uint32_t* totalEntries, uint32_t* resumeHandle) {
    return note(m_inner.NetUserEnum(server, level, filter, buffer, prefMaxLen, entriesRead,
                                    totalEntries, resumeHandle));
}

uint32_t StatusWatch::NetUserGetInfo(net::Text server, net::Text userName, uint32_t level,
                                     void** buffer) {
    return note(m_inner.NetUserGetInfo(server, userName, level, buffer));
}

uint32_t StatusWatch::NetGroupEnum(net::Text server, uint32_t level, void** buffer,
                                   uint32_t prefMaxLen, uint32_t* entriesRead,
                                   uint32_t* totalEntries, uintptr_t* resumeHandle) {
    return note(m_inner.NetGroupEnum(server, level, buffer, prefMaxLen, entriesRead,
                                     totalEntries, resumeHandle));
}

uint32_t StatusWatch::NetGroupGetUsers(net::Text server, net::Text groupName, uint32_t level,
                                       void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                       uint32_t* totalEntries, uintptr_t* resumeHandle) {
    return note(m_inner.NetGroupGetUsers(server, groupName, level, buffer, prefMaxLen,
                                         entriesRead, totalEntries, resumeHandle));
}

uint32_t StatusWatch::NetUserGetGroups(net::Text server, net::Text userName, uint32_t level,
                                       void** buffer, uint32_t prefMaxLen, uint32_t* entriesRead,
                                       uint32_t* totalEntries) {
    return note(m_inner.NetUserGetGroups(server, userName, level, buffer, prefMaxLen,
                                         entriesRead, totalEntries));
}
