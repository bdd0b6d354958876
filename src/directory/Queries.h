// The seven directory queries, written once against the back-end interface.
// None returns a status: a failure either shows an error box through the
// reporter or leaves an empty (or shortened) result.
#pragma once

#include <string>

#include "NetApi.h"
#include "Records.h"

// What GetDCName answers when the platform finds no controller for the
// domain; a marker for the caller, never a server name.
inline constexpr char16_t kDCNotFoundMarker[] = u"#2453";

class DirectoryQueries {
public:
    DirectoryQueries(DirectoryBackend& backend, ErrorReporter& reporter)
        : m_backend(backend), m_reporter(reporter) {}

    DirectoryBackend& backend() const { return m_backend; }

    // The workstation's domain or workgroup; empty on failure.
    std::u16string GetDomainName();
    // The domain controller's name; kDCNotFoundMarker when none was found;
    // empty after any other failure.
    std::u16string GetDCName(const std::u16string& domain);
    // The names of all normal user accounts, in the order given.
    void GetUsers(const std::u16string& server, tyArrUsers& users);
    // On success every field of info is assigned; on failure info is left
    // as it was and the error box has been shown.
    void ReadUserInfo3(const std::u16string& server, const std::u16string& userName,
                       tyUserInfo3& info);
    // Tells the back-end that these users' details are about to be read
    // one by one (see DirectoryBackend::PrefetchUserInfo3): no box, no
    // change to what the reads answer, only to how fast.
    void PrefetchUserInfo3(const std::u16string& server,
                           const std::vector<std::u16string>& userNames) {
        if (!userNames.empty()) {
            m_backend.PrefetchUserInfo3(server.empty() ? nullptr : server.c_str(), userNames);
        }
    }
    void PrefetchGroupMembersInfo3(const std::u16string& server, const std::u16string& groupName) {
        m_backend.PrefetchGroupMembersInfo3(server.empty() ? nullptr : server.c_str(),
                                            groupName.c_str());
    }
    // All global groups with their comments, in the order given.
    void GetGroups(const std::u16string& server, tyArrGroup1& groups);
    // The members of a group, in the order given.
    void GetGroupUsers(const std::u16string& server, const std::u16string& groupName,
                       tyArrGroupUsersInfo1& members);
    // The global groups of a user, in the order given.
    void GetUserGroups(const std::u16string& server, const std::u16string& userName,
                       tyArrGroupUsersInfo1& groups);

private:
    DirectoryBackend& m_backend;
    ErrorReporter& m_reporter;
};
