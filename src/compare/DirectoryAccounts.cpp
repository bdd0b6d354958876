#include "DirectoryAccounts.h"

#include "Ordering.h"

namespace {

QString q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}
std::u16string u(const QString& s) {
    return s.toStdU16String();
}

// What the known-name sets compare: the name key, case-folded (KnownNames).
QString knownKey(std::u16string_view name) {
    return q(NameKey(name)).toCaseFolded();
}

}  // namespace

bool DirectoryAccounts::Load() {
    FDomainName = q(m_queries.GetDomainName());
    FDCName = q(m_queries.GetDCName(u(FDomainName)));
    const bool found = FDCName != QString::fromUtf16(kDCNotFoundMarker);
    if (!found) {
        FDCName.clear();
    }
    FAllUsers.clear();
    m_queries.GetUsers(u(FDCName), FAllUsers);
    SortUsers(FAllUsers, 0, 0);
    FKnownUsers.clear();
    m_listedUsers.clear();
    for (const auto& name : FAllUsers) {
        // A user listed with blanks at an end is known by the trimmed name,
        // as in the main window.
        const std::u16string_view trimmed = TrimText(name);
        FKnownUsers.add(q(NameKey(trimmed)));
        m_listedUsers.insert(knownKey(trimmed), q(name));
    }
    FAllGroupsInfo1.clear();
    m_queries.GetGroups(u(FDCName), FAllGroupsInfo1);
    SortGroups(FAllGroupsInfo1, 0, 0);
    FKnownGroups.clear();
    m_listedGroups.clear();
    for (const auto& g : FAllGroupsInfo1) {
        FKnownGroups.add(q(NameKey(g.Name)));
        m_listedGroups.insert(knownKey(g.Name), q(g.Name));
    }
    FAllUsersInfo3.clear();
    return found;
}

QString DirectoryAccounts::ListedUserName(const QString& pUsername) const {
    return m_listedUsers.value(knownKey(u(pUsername)));
}

QString DirectoryAccounts::ListedGroupName(const QString& pGroupName) const {
    return m_listedGroups.value(knownKey(u(pGroupName)));
}

bool DirectoryAccounts::UserExist(const QString& pUsername) {
    return FKnownUsers.contains(q(NameKey(u(pUsername))));
}

bool DirectoryAccounts::GroupExists(const QString& pGroupName) {
    return FKnownGroups.contains(q(NameKey(u(pGroupName))));
}

QString DirectoryAccounts::GetGroupComment(const QString& pGroupName) {
    const int i = FindGroup(FAllGroupsInfo1, u(pGroupName));
    return i >= 0 ? q(FAllGroupsInfo1[size_t(i)].Comment) : QString();
}

void DirectoryAccounts::GetUserInfo3(const QString& pUsername, tyUserInfo3& info) {
    if (!UserExist(pUsername)) {
        return;
    }
    const std::u16string name = u(pUsername);
    const int i = FindUserInfo3(FAllUsersInfo3, name);
    if (i >= 0) {
        info = FAllUsersInfo3[size_t(i)];
        return;
    }
    ++m_detailReads;
    m_queries.ReadUserInfo3(u(FDCName), name, info);
    // After a failed read the copy holds what the caller passed, so the
    // user is still not found and the next request reads again, as in the
    // main window's cache.
    InsertUserInfo3Sorted(FAllUsersInfo3, info);
}

QString DirectoryAccounts::GetFullName(const QString& pUsername) {
    if (!UserExist(pUsername)) {
        return {};
    }
    tyUserInfo3 info;
    GetUserInfo3(pUsername, info);
    return q(info.FullName);
}

void DirectoryAccounts::PrefetchUserInfo3(const QStringList& pUsernames) {
    std::vector<std::u16string> missing;
    for (const QString& name : pUsernames) {
        const std::u16string n = u(name);
        if (UserExist(name) && FindUserInfo3(FAllUsersInfo3, n) < 0) {
            missing.push_back(n);
        }
    }
    m_queries.PrefetchUserInfo3(u(FDCName), missing);
}
