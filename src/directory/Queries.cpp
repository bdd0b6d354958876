#include "Queries.h"

#include "Decoding.h"
#include "Text.h"

namespace {

// An empty server name addresses the local computer, which the platform
// functions take as a null server.
net::Text serverArg(const std::u16string& server) {
    return server.empty() ? nullptr : server.c_str();
}

// Releases the buffer when the scope ends, also when copying throws.
class BufferGuard {
public:
    BufferGuard(DirectoryBackend& backend, void* buffer) : m_backend(backend), m_buffer(buffer) {}
    ~BufferGuard() {
        if (m_buffer != nullptr) {
            m_backend.NetApiBufferFree(m_buffer);
        }
    }
    BufferGuard(const BufferGuard&) = delete;
    BufferGuard& operator=(const BufferGuard&) = delete;

private:
    DirectoryBackend& m_backend;
    void* m_buffer;
};

}  // namespace

std::u16string DirectoryQueries::GetDomainName() {
    void* buffer = nullptr;
    const uint32_t status = m_backend.NetWkstaGetInfo(nullptr, 101, &buffer);
    BufferGuard guard(m_backend, buffer);
    if (status == net::Success) {
        if (buffer == nullptr) {
            return {};
        }
        return TextOf(static_cast<const net::WKSTA_INFO_101*>(buffer)->wki101_langroup);
    }
    switch (status) {
    case net::AccessDenied:
        m_reporter.showError(u"The user does not have access to the requested information.");
        break;
    case net::InvalidLevel:
        m_reporter.showError(u"The value specified for the level parameter is invalid.");
        break;
    default:
        m_reporter.showError(DecimalText(status));
        break;
    }
    return {};
}

std::u16string DirectoryQueries::GetDCName(const std::u16string& domain) {
    void* buffer = nullptr;
    const uint32_t status = m_backend.NetGetDCName(nullptr, domain.c_str(), &buffer);
    BufferGuard guard(m_backend, buffer);
    if (status == net::Success) {
        return buffer ? std::u16string(static_cast<const char16_t*>(buffer)) : std::u16string();
    }
    switch (status) {
    case net::NotSupported:
        m_reporter.showError(u"#50: Request is not supported.");
        return {};
    case net::BadNetPath:
        m_reporter.showError(u"#53: Network path not found.");
        return {};
    case net::InvalidName:
        m_reporter.showError(u"#123: Incorrect directory name.");
        return {};
    case net::DCNotFound:
        return kDCNotFoundMarker;
    default:
        return {};
    }
}

void DirectoryQueries::GetUsers(const std::u16string& server, tyArrUsers& users) {
    users.clear();
    uint32_t resume = 0;
    uint32_t status;
    do {
        void* buffer = nullptr;
        uint32_t read = 0;
        uint32_t total = 0;
        status = m_backend.NetUserEnum(serverArg(server), 0, net::FilterNormalAccount, &buffer,
                                       net::MaxPreferredLength, &read, &total, &resume);
        BufferGuard guard(m_backend, buffer);
        if ((status == net::Success || status == net::MoreData) && buffer != nullptr) {
            const auto* entries = static_cast<const net::USER_INFO_0*>(buffer);
            users.reserve(users.size() + read);
            for (uint32_t i = 0; i < read; ++i) {
                users.push_back(TextOf(entries[i].usri0_name));
            }
        }
    } while (status == net::MoreData);
}

void DirectoryQueries::ReadUserInfo3(const std::u16string& server, const std::u16string& userName,
                                     tyUserInfo3& info) {
    void* buffer = nullptr;
    const uint32_t status =
        m_backend.NetUserGetInfo(serverArg(server), userName.c_str(), 3, &buffer);
    BufferGuard guard(m_backend, buffer);
    if (status == net::Success) {
        if (buffer != nullptr) {
            // Decode into a copy first, so that a failure while copying
            // cannot leave the caller's record half assigned.
            tyUserInfo3 decoded;
            DecodeUserInfo3(*static_cast<const net::USER_INFO_3*>(buffer), decoded);
            info = std::move(decoded);
        }
        return;
    }
    switch (status) {
    case net::AccessDenied:
        m_reporter.showError(u"The user does not have access to the requested information.");
        break;
    case net::BadNetPath:
        m_reporter.showError(
            u"The network path specified in the servername parameter was not found.");
        break;
    case net::InvalidLevel:
        m_reporter.showError(u"The value specified for the level parameter is invalid.");
        break;
    case net::RpcServerUnavailable:
        m_reporter.showError(u"The RPC server is unavailable.");
        break;
    case net::UserNotFound:
        m_reporter.showError(u"The user name could not be found.");
        break;
    case net::InvalidComputer:
        m_reporter.showError(u"The computer name is invalid.");
        break;
    default:
        m_reporter.showError(DecimalText(status));
        break;
    }
}

void DirectoryQueries::GetGroups(const std::u16string& server, tyArrGroup1& groups) {
    groups.clear();
    uintptr_t resume = 0;
    uint32_t status;
    do {
        void* buffer = nullptr;
        uint32_t read = 0;
        uint32_t total = 0;
        status = m_backend.NetGroupEnum(serverArg(server), 1, &buffer, net::MaxPreferredLength,
                                        &read, &total, &resume);
        BufferGuard guard(m_backend, buffer);
        if ((status == net::Success || status == net::MoreData) && buffer != nullptr) {
            const auto* entries = static_cast<const net::GROUP_INFO_1*>(buffer);
            groups.reserve(groups.size() + read);
            for (uint32_t i = 0; i < read; ++i) {
                groups.push_back(DecodeGroup1(entries[i]));
            }
        }
    } while (status == net::MoreData);
}

void DirectoryQueries::GetGroupUsers(const std::u16string& server,
                                     const std::u16string& groupName,
                                     tyArrGroupUsersInfo1& members) {
    members.clear();
    uintptr_t resume = 0;
    uint32_t status;
    do {
        void* buffer = nullptr;
        uint32_t read = 0;
        uint32_t total = 0;
        status = m_backend.NetGroupGetUsers(serverArg(server), groupName.c_str(), 1, &buffer,
                                            net::MaxPreferredLength, &read, &total, &resume);
        BufferGuard guard(m_backend, buffer);
        if ((status == net::Success || status == net::MoreData) && buffer != nullptr) {
            const auto* entries = static_cast<const net::GROUP_USERS_INFO_1*>(buffer);
            members.reserve(members.size() + read);
            for (uint32_t i = 0; i < read; ++i) {
                members.push_back(DecodeGroupUsersInfo1(entries[i]));
            }
        }
    } while (status == net::MoreData);
}

void DirectoryQueries::GetUserGroups(const std::u16string& server, const std::u16string& userName,
                                     tyArrGroupUsersInfo1& groups) {
    groups.clear();
    void* buffer = nullptr;
    uint32_t read = 0;
    uint32_t total = 0;
    // With no limit on the length the platform gives every group in one
    // answer, so there is no resume handle to follow.
    const uint32_t status = m_backend.NetUserGetGroups(serverArg(server), userName.c_str(), 1,
                                                       &buffer, net::MaxPreferredLength, &read,
                                                       &total);
    BufferGuard guard(m_backend, buffer);
    if ((status == net::Success || status == net::MoreData) && buffer != nullptr) {
        const auto* entries = static_cast<const net::GROUP_USERS_INFO_1*>(buffer);
        groups.reserve(read);
        for (uint32_t i = 0; i < read; ++i) {
            groups.push_back(DecodeGroupUsersInfo1(entries[i]));
        }
    }
}
