// The ldif back-end's answers, read through the directory queries as the
// program reads them, on tidewater.ldif: each account and group of that file
// stands for one way the mapping from Active Directory can go wrong.
#include <QtTest>

#include <memory>

#include "LdifBackend.h"
#include "LdifTestSupport.h"
#include "Queries.h"

class TestLdifAnswers : public QObject {
    Q_OBJECT

    std::unique_ptr<LdifBackend> backend;
    RecordingReporter reporter;
    std::unique_ptr<DirectoryQueries> queries;

private slots:
    void initTestCase() {
        backend = std::make_unique<LdifBackend>(fixturePath("tidewater.ldif").toStdString());
        queries = std::make_unique<DirectoryQueries>(*backend, reporter);
    }
    void cleanup() {
        QCOMPARE(backend->outstanding(), size_t(0));
        reporter.errors.clear();
    }

    void domainAndController_data() {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<QString>("dcName");
        QTest::newRow("the domain's NetBIOS name") << "TIDEWATER"
                                                   << "\\\\DC1";
        QTest::newRow("in another case") << "tidewater"
                                         << "\\\\DC1";
        QTest::newRow("the DNS name") << "tide.test"
                                      << "\\\\DC1";
        QTest::newRow("the primary domain") << ""
                                            << "\\\\DC1";
        QTest::newRow("another domain") << "OCEAN"
                                        << "#2453";
    }
    void domainAndController() {
        QFETCH(QString, domain);
        QFETCH(QString, dcName);
        QCOMPARE(q(queries->GetDomainName()), QString("TIDEWATER"));
        QCOMPARE(q(queries->GetDCName(domain.toStdU16String())), dcName);
        QVERIFY(reporter.errors.isEmpty());
    }

    // Disabled accounts are users; computers and trust accounts are not, and
    // a deleted object is not an account at all.
    void users() {
        tyArrUsers users{u"stale"};
        queries->GetUsers(u"\\\\DC1", users);
        QCOMPARE(namesOf(users),
                 (QStringList{"Administrator", "Guest", "Anna.Berg", "lock.out", "expired.pw",
                              "no.expiry", "disabled.user", "nested.admin", "primary.admin",
                              "dist.nested", "élodie.Dupré", "printer.op", "text.sid"}));
    }

    // Global and universal security groups, with their descriptions; not the
    // domain-local, builtin or distribution groups.
    void groups() {
        tyArrGroup1 groups;
        queries->GetGroups(u"", groups);
        QStringList listed;
        for (const auto& g : groups) {
            listed << q(g.Name) + " | " + q(g.Comment);
        }
        QCOMPARE(listed, (QStringList{
                             "Domain Admins | Designated administrators of the domain",
                             "Domain Users | All domain users",
                             "Domain Guests | ",
                             "Domain Computers | ",
                             "Domain Controllers | ",
                             "Sales | Sales, \"North\" & South",
                             "Everyone Universal | A universal security group",
                             "Helpdesk | ",
                             "Tier1 | ",
                             "Ops | Primary group of primary.admin",
                             "Server Team | ",
                             "Empty | ",
                         }));
    }

    void groupMembers_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QStringList>("members");
        // Accounts and computers named in member, not the nested group, the
        // foreign principal or the DN that is not in the file; the base64
        // member value matches its entry in another case.
        QTest::newRow("members of several kinds")
            << "Sales" << QStringList{"Anna.Berg", "WS1$", "élodie.Dupré"};
        QTest::newRow("group name in another case")
            << "SALES" << QStringList{"Anna.Berg", "WS1$", "élodie.Dupré"};
        // Member values first; then everyone whose primary group it is, each
        // account once (text.sid is both).
        QTest::newRow("primary group members")
            << "Domain Users"
            << QStringList{"primary.admin", "text.sid",    "Administrator", "Anna.Berg",
                           "lock.out",      "expired.pw",  "no.expiry",     "disabled.user",
                           "nested.admin",  "dist.nested", "élodie.Dupré",  "printer.op",
                           "TRUSTDOM$"};
        QTest::newRow("only a primary group member") << "Ops" << QStringList{"primary.admin"};
        QTest::newRow("computers by primary group") << "Domain Computers" << QStringList{"WS1$"};
        QTest::newRow("controllers by primary group")
            << "Domain Controllers" << QStringList{"DC1$"};
        QTest::newRow("universal group")
            << "Everyone Universal" << QStringList{"Anna.Berg", "lock.out"};
        QTest::newRow("only a nested group") << "Tier1" << QStringList{};
        QTest::newRow("no members") << "Empty" << QStringList{};
    }
    void groupMembers() {
        QFETCH(QString, group);
        QFETCH(QStringList, members);
        tyArrGroupUsersInfo1 result{{u"stale", {}}};
        queries->GetGroupUsers(u"\\\\DC1", group.toStdU16String(), result);
        QCOMPARE(namesOf(result), members);
        for (const auto& m : result) {
            // SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED
            QVERIFY(m.Attributes.MANDATORY && m.Attributes.ENABLED_BY_DEFAULT &&
                    m.Attributes.ENABLED);
            QVERIFY(!m.Attributes.OWNER && !m.Attributes.RESOURCE);
        }
    }

    void userGroups_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("groups");
        // Global and universal groups holding the account, then its primary
        // group; not the domain-local or distribution groups.
        QTest::newRow("member groups and the primary group")
            << "Anna.Berg" << QStringList{"Sales", "Everyone Universal", "Domain Users"};
        QTest::newRow("user name in another case")
            << "anna.berg" << QStringList{"Sales", "Everyone Universal", "Domain Users"};
        QTest::newRow("non-ASCII user name in another case")
            << "ÉLODIE.DUPRÉ" << QStringList{"Sales", "Domain Users"};
        QTest::newRow("a primary group other than Domain Users")
            << "primary.admin" << QStringList{"Domain Users", "Ops"};
        QTest::newRow("primary group also a member value")
            << "text.sid" << QStringList{"Domain Users"};
        QTest::newRow("direct memberships only")
            << "nested.admin" << QStringList{"Helpdesk", "Domain Users"};
        QTest::newRow("a computer") << "ws1$" << QStringList{"Sales", "Domain Computers"};
        QTest::newRow("guest") << "Guest" << QStringList{"Domain Guests"};
    }
    void userGroups() {
        QFETCH(QString, user);
        QFETCH(QStringList, groups);
        tyArrGroupUsersInfo1 result;
        queries->GetUserGroups(u"\\\\DC1", user.toStdU16String(), result);
        QCOMPARE(namesOf(result), groups);
    }

    void userInfo3_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* user, const char* field, QString expected) {
            QTest::newRow(name) << QString::fromUtf8(user) << field << expected;
        };
        row("name as stored, asked in another case", "ANNA.BERG", "Name", "Anna.Berg");
        row("non-ASCII name as stored", "ÉLODIE.dupré", "Name", "élodie.Dupré");
        row("non-ASCII full name from base64", "élodie.Dupré", "FullName", "Élodie Dupré");
        row("full name", "Anna.Berg", "FullName", "Anna Berg");
        row("description unfolded", "Anna.Berg", "Comment",
            "Account manager for the northern region, based in the Bergen office");
        row("comment", "Anna.Berg", "UsrComment", "Prefers email");
        row("home folder", "Anna.Berg", "HomeDir", "\\\\fs\\home\\anna");
        row("home drive", "Anna.Berg", "HomeDirDrive", "H:");
        row("logon script", "Anna.Berg", "ScriptPath", "logon.bat");
        row("profile", "Anna.Berg", "Profile", "\\\\fs\\profiles\\anna");
        row("workstations", "Anna.Berg", "Workstations", "WS1,WS2");
        row("text not set", "nested.admin", "FullName", "");
        row("logon server", "Anna.Berg", "LogonServer", "\\\\*");

        // UF_SCRIPT is in every account's flags, as netapi32 gives them.
        row("normal account", "Anna.Berg", "Flags", "SCRIPT|NORMAL_ACCOUNT");
        row("locked out by lockoutTime", "lock.out", "Flags", "SCRIPT|LOCKOUT|NORMAL_ACCOUNT");
        row("password last set never: expired", "expired.pw", "Flags",
            "SCRIPT|PASSWORD_EXPIRED|NORMAL_ACCOUNT");
        row("password that cannot expire", "no.expiry", "Flags",
            "SCRIPT|DONT_EXPIRE_PASSWD|NORMAL_ACCOUNT");
        row("disabled", "disabled.user", "Flags", "SCRIPT|ACCOUNTDISABLE|NORMAL_ACCOUNT");
        row("guest account", "Guest", "Flags",
            "SCRIPT|ACCOUNTDISABLE|PASSWD_NOTREQD|DONT_EXPIRE_PASSWD|NORMAL_ACCOUNT");
        // Trust accounts' passwords never expire, also when never set.
        row("workstation", "WS1$", "Flags", "SCRIPT|WORKSTATION_TRUST_ACCOUNT");
        row("workstation's password never expired", "WS1$", "PasswordExpired", "0");
        row("domain controller", "DC1$", "Flags",
            "SCRIPT|TRUSTED_FOR_DELEGATION|SERVER_TRUST_ACCOUNT");
        row("trusted domain", "TRUSTDOM$", "Flags",
            "SCRIPT|PASSWD_NOTREQD|INTERDOMAIN_TRUST_ACCOUNT");
        row("password expired", "expired.pw", "PasswordExpired", "1");
        row("password not expired", "Anna.Berg", "PasswordExpired", "0");
        row("password of no expiry never expired", "no.expiry", "PasswordExpired", "0");

        row("last logon", "Anna.Berg", "LastLogon", "1717142400");
        row("last logon not set", "nested.admin", "LastLogon", "none");
        row("last logoff 0", "Anna.Berg", "LastLogoff", "none");
        row("expires 0x7FFFFFFFFFFFFFFF: never", "Anna.Berg", "AcctExpires", "never");
        row("expires 0: never", "lock.out", "AcctExpires", "never");
        row("expires not set: never", "nested.admin", "AcctExpires", "never");
        row("expires on a date", "expired.pw", "AcctExpires", "1735686000");
        row("password age up to the newest whenChanged", "Anna.Berg", "PasswordAge", "2678400");
        row("password age of another account", "Administrator", "PasswordAge", "864000");
        row("password age when it must be changed", "expired.pw", "PasswordAge", "0");

        row("administrator through Domain Admins", "Administrator", "Priv", "Administrator");
        row("administrator through nested groups", "nested.admin", "Priv", "Administrator");
        row("administrator through the primary group", "primary.admin", "Priv", "Administrator");
        row("a distribution group grants nothing", "dist.nested", "Priv", "User");
        row("guest by RID 501", "Guest", "Priv", "Guest");
        row("user", "Anna.Berg", "Priv", "User");
        row("operator flags, direct and nested", "printer.op", "AuthFlags", "PRINT|SERVER");
        row("no operator flags", "Administrator", "AuthFlags", "");

        row("RID of a binary SID", "Anna.Berg", "UserId", "1101");
        row("RID of a SID in text", "text.sid", "UserId", "1111");
        row("RID of the guest", "Guest", "UserId", "501");
        row("primary group", "primary.admin", "PrimaryGroupId", "1207");
        row("bad password count", "lock.out", "BadPwCount", "5");
        row("logon count", "Anna.Berg", "NumLogons", "42");
        row("country code", "Anna.Berg", "CountryCode", "578");
        row("code page", "Anna.Berg", "CodePage", "850");
        row("storage not set: unlimited", "Anna.Berg", "MaxStorage", "4294967295");
        row("storage limit", "text.sid", "MaxStorage", "1000");
        row("units per week", "Anna.Berg", "UnitsPerWeek", "HOURS (24*7=168)");
        row("logon hours not set: every hour", "Anna.Berg", "LogonHours", "255");
        row("logon hours", "text.sid", "LogonHours", "0");
    }
    void userInfo3() {
        QFETCH(QString, user);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        tyUserInfo3 info;
        queries->ReadUserInfo3(u"\\\\DC1", user.toStdU16String(), info);
        QCOMPARE(reporter.errors, QStringList{});
        QCOMPARE(fieldText(info, field), expected);
    }

    // The record keeps only the first byte of the logon hours; the answer
    // has all 21.
    void logonHoursHaveEveryByte_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QByteArray>("hours");
        QTest::newRow("as stored")
            << "text.sid" << QByteArray::fromHex("000000F0FF0FF0FF0FF0FF0FF0FF0FF0FF0F000000");
        QTest::newRow("not set") << "Anna.Berg" << QByteArray(21, char(0xFF));
    }
    void logonHoursHaveEveryByte() {
        QFETCH(QString, user);
        QFETCH(QByteArray, hours);
        void* buffer = nullptr;
        const std::u16string name = user.toStdU16String();
        QCOMPARE(backend->NetUserGetInfo(nullptr, name.c_str(), 3, &buffer), net::Success);
        const auto* info = static_cast<const net::USER_INFO_3*>(buffer);
        QCOMPARE(info->usri3_units_per_week, 168u);
        const QByteArray got(reinterpret_cast<const char*>(info->usri3_logon_hours), 21);
        QCOMPARE(backend->NetApiBufferFree(buffer), net::Success);
        QCOMPARE(got.toHex(), hours.toHex());
    }

    void notFound_data() {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("status");
        QTest::newRow("domain-local group") << "NetGroupGetUsers"
                                            << "Shares" << 2220u;
        QTest::newRow("builtin alias") << "NetGroupGetUsers"
                                       << "Administrators" << 2220u;
        QTest::newRow("universal distribution group") << "NetGroupGetUsers"
                                                      << "Newsletter" << 2220u;
        QTest::newRow("global distribution group") << "NetGroupGetUsers"
                                                   << "Team List" << 2220u;
        QTest::newRow("no such group") << "NetGroupGetUsers"
                                       << "Harbour" << 2220u;
        QTest::newRow("a user is no group") << "NetGroupGetUsers"
                                            << "Anna.Berg" << 2220u;
        QTest::newRow("groups of no such user") << "NetUserGetGroups"
                                                << "nobody" << 2221u;
        QTest::newRow("groups of a deleted user") << "NetUserGetGroups"
                                                  << "gone" << 2221u;
        QTest::newRow("groups of a group") << "NetUserGetGroups"
                                           << "Sales" << 2221u;
        QTest::newRow("info of no such user") << "NetUserGetInfo"
                                              << "nobody" << 2221u;
        QTest::newRow("info of a contact") << "NetUserGetInfo"
                                           << "Supplier Contact" << 2221u;
    }
    void notFound() {
        QFETCH(QString, op);
        QFETCH(QString, name);
        QFETCH(uint, status);
        const std::u16string n = name.toStdU16String();
        void* buffer = reinterpret_cast<void*>(1);
        uint32_t read = 7;
        uint32_t total = 7;
        uintptr_t resume = 0;
        uint32_t got;
        if (op == "NetGroupGetUsers") {
            got = backend->NetGroupGetUsers(nullptr, n.c_str(), 1, &buffer, net::MaxPreferredLength,
                                            &read, &total, &resume);
        } else if (op == "NetUserGetGroups") {
            got = backend->NetUserGetGroups(nullptr, n.c_str(), 1, &buffer, net::MaxPreferredLength,
                                            &read, &total);
        } else {
            got = backend->NetUserGetInfo(nullptr, n.c_str(), 3, &buffer);
        }
        QCOMPARE(got, status);
        QCOMPARE(buffer, nullptr);
    }

    void unknownUserThroughTheQueries() {
        tyUserInfo3 info;
        info.NumLogons = 4;
        queries->ReadUserInfo3(u"", u"nobody", info);
        QCOMPARE(reporter.errors, QStringList{"The user name could not be found."});
        QCOMPARE(info.NumLogons, 4u);
        tyArrGroupUsersInfo1 groups{{u"stale", {}}};
        queries->GetUserGroups(u"", u"nobody", groups);
        QVERIFY(groups.empty());
    }

    // MAX_PREFERRED_LENGTH gives everything in one answer; a small preferred
    // length gives pages that the resume handle walks through, and together
    // they are the same list.
    void paging_data() {
        QTest::addColumn<QString>("op");
        QTest::newRow("users") << "NetUserEnum";
        QTest::newRow("groups") << "NetGroupEnum";
        QTest::newRow("members") << "NetGroupGetUsers";
    }
    void paging() {
        QFETCH(QString, op);
        uint32_t status = 0;
        const QStringList whole = page(op, net::MaxPreferredLength, &status);
        QCOMPARE(status, net::Success);
        QVERIFY(whole.size() > 5);
        QCOMPARE(page(op, 40, &status), whole);
    }

private:
    // Every name an enumeration gives, following the resume handle; status
    // is the first call's, and with one call all entries must be in it.
    QStringList page(const QString& op, uint32_t prefMaxLen, uint32_t* firstStatus) {
        QStringList names;
        uint64_t resume = 0;
        int calls = 0;
        uint32_t status;
        do {
            void* buffer = nullptr;
            uint32_t read = 0;
            uint32_t total = 0;
            if (op == "NetUserEnum") {
                uint32_t r = static_cast<uint32_t>(resume);
                status = backend->NetUserEnum(nullptr, 0, net::FilterNormalAccount, &buffer,
                                              prefMaxLen, &read, &total, &r);
                resume = r;
                for (uint32_t i = 0; i < read; ++i) {
                    names << q(static_cast<const net::USER_INFO_0*>(buffer)[i].usri0_name);
                }
            } else if (op == "NetGroupEnum") {
                uintptr_t r = resume;
                status = backend->NetGroupEnum(nullptr, 1, &buffer, prefMaxLen, &read, &total, &r);
                resume = r;
                for (uint32_t i = 0; i < read; ++i) {
                    names << q(static_cast<const net::GROUP_INFO_1*>(buffer)[i].grpi1_name);
                }
            } else {
                uintptr_t r = resume;
                status = backend->NetGroupGetUsers(nullptr, u"Domain Users", 1, &buffer, prefMaxLen,
                                                   &read, &total, &r);
                resume = r;
                for (uint32_t i = 0; i < read; ++i) {
                    names << q(static_cast<const net::GROUP_USERS_INFO_1*>(buffer)[i].grui1_name);
                }
            }
            if (calls == 0) {
                *firstStatus = status;
                if (status == net::Success) {
                    if (read != total) {
                        names << "(entries read differ from the total)";
                    }
                }
            }
            backend->NetApiBufferFree(buffer);
            if (++calls > 100) {
                names << "(does not end)";
                break;
            }
        } while (status == net::MoreData);
        if (status != net::Success || resume != 0) {
            names << "(ends with status " + QString::number(status) + ")";
        }
        if (prefMaxLen != net::MaxPreferredLength && calls < 2) {
            names << "(a small preferred length gave one answer)";
        }
        return names;
    }
};

QTEST_APPLESS_MAIN(TestLdifAnswers)
#include "tst_ldif_answers.moc"
