// The lookups of the comparison tables without a window: the start-up load
// of the main window (domain, controller, every user and group), the known
// names, the group comments and a cache of user details, over a directory
// and a settings record. zentory-cli builds its comparisons on it, and
// tests build tables from a directory with it.
#pragma once

#include <QHash>
#include <QString>

#include "KnownNames.h"
#include "MainServices.h"
#include "Queries.h"

class DirectoryAccounts : public AccountServices {
public:
    DirectoryAccounts(DirectoryQueries& queries, const tyConfig& config)
        : m_queries(queries), m_config(config) {}

    // The domain, its controller, all users and all groups with their
    // comments, as the main window loads them at start. False when no
    // domain controller was found (the lists are then what the directory
    // answers without one, normally nothing).
    bool Load();

    const QString& domainName() const { return FDomainName; }
    // Empty when no controller was found.
    const QString& dcName() const { return FDCName; }
    const tyArrUsers& allUsers() const { return FAllUsers; }
    const tyArrGroup1& allGroups() const { return FAllGroupsInfo1; }
    // How many user details were read from the directory so far.
    int detailReads() const { return m_detailReads; }

    // The name as the directory lists it, for a known name given in any
    // case; empty for a name that is not known.
    QString ListedUserName(const QString& pUsername) const;
    QString ListedGroupName(const QString& pGroupName) const;

    // AccountServices, answering as the main window does.
    bool UserExist(const QString& pUsername) override;
    bool GroupExists(const QString& pGroupName) override;
    QString GetGroupComment(const QString& pGroupName) override;
    void GetUserInfo3(const QString& pUsername, tyUserInfo3& info) override;
    QString GetFullName(const QString& pUsername) override;
    void PrefetchUserInfo3(const QStringList& pUsernames) override;
    tyConfig& config() override { return m_config; }
    DirectoryQueries& queries() override { return m_queries; }

private:
    DirectoryQueries& m_queries;
    tyConfig m_config;
    QString FDomainName;
    QString FDCName;
    tyArrUsers FAllUsers;
    tyArrGroup1 FAllGroupsInfo1;
    KnownNames FKnownUsers;
    KnownNames FKnownGroups;
    QHash<QString, QString> m_listedUsers;
    QHash<QString, QString> m_listedGroups;
    tyArrUserInfo3 FAllUsersInfo3;
    int m_detailReads = 0;
};
