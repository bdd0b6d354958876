// The demo domain shipped with the program (data/demo/demo-domain.ldif)
// loads and answers as data/demo/README.md describes it.
#include <QtTest>

#include <memory>

#include "LdifBackend.h"
#include "LdifTestSupport.h"
#include "Queries.h"

class TestLdifDemo : public QObject {
    Q_OBJECT

    std::unique_ptr<LdifBackend> backend;
    RecordingReporter reporter;
    std::unique_ptr<DirectoryQueries> queries;

private slots:
    void initTestCase() {
        backend =
            std::make_unique<LdifBackend>(sourcePath("data/demo/demo-domain.ldif").toStdString());
        queries = std::make_unique<DirectoryQueries>(*backend, reporter);
    }
    void cleanup() {
        QCOMPARE(backend->outstanding(), size_t(0));
        QCOMPARE(reporter.errors, QStringList{});
    }

    void domain() {
        QCOMPARE(q(queries->GetDomainName()), QString("HARBOR"));
        QCOMPARE(q(backend->dnsDomainName()), QString("harbor.example"));
        QCOMPARE(q(queries->GetDCName(u"HARBOR")), QString("\\\\DC01"));
    }

    void users() {
        tyArrUsers users;
        queries->GetUsers(u"", users);
        const QStringList names = namesOf(users);
        QCOMPARE(names.size(), 212);
        QCOMPARE(names.mid(0, 3), (QStringList{"Administrator", "Guest", "krbtgt"}));
        QVERIFY(names.contains("svc-backup"));
        QVERIFY(names.contains("rené.lefèvre"));
        QVERIFY(!names.contains("DC01$"));
        QVERIFY(!names.contains("FS01$"));
    }

    void groups() {
        tyArrGroup1 groups;
        queries->GetGroups(u"", groups);
        QCOMPARE(groups.size(), size_t(44));
        const QStringList names = namesOf(groups);
        for (const char* listed : {"Domain Admins", "Domain Users", "Domain Guests",
                                   "Domain Computers", "Domain Controllers", "Enterprise Admins",
                                   "All Staff", "Project Lighthouse", "Purchasing"}) {
            QVERIFY2(names.contains(listed), listed);
        }
        for (const char* left : {"Administrators", "Cert Publishers", "DnsAdmins", "Share Readers",
                                 "Harborline News"}) {
            QVERIFY2(!names.contains(left), left);
        }
        const auto purchasing = std::find_if(groups.begin(), groups.end(),
                                             [](const auto& g) { return g.Name == u"Purchasing"; });
        QCOMPARE(q(purchasing->Comment), QString("Buyers, \"North\" and \"South\" regions"));
    }

    void memberCounts_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("count");
        QTest::newRow("the large group") << "All Staff" << 207;
        QTest::newRow("everyone but the guest, by primary group") << "Domain Users" << 211;
        QTest::newRow("seasonal staff") << "Seasonal Pickers" << 60;
        QTest::newRow("computers") << "Domain Computers" << 5;
        QTest::newRow("nested groups left out") << "Sales" << 1;
        QTest::newRow("no members") << "Project Lighthouse" << 0;
    }
    void memberCounts() {
        QFETCH(QString, group);
        QFETCH(int, count);
        tyArrGroupUsersInfo1 members;
        queries->GetGroupUsers(u"\\\\DC01", group.toStdU16String(), members);
        QCOMPARE(int(members.size()), count);
    }

    void members_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QStringList>("members");
        QTest::newRow("administrators")
            << "Domain Admins" << QStringList{"lars.nielsen", "nina.berg", "Administrator"};
        QTest::newRow("controllers") << "Domain Controllers" << QStringList{"DC01$"};
        QTest::newRow("computers as members")
            << "Print Room" << QStringList{"wei.chen", "WS-FRONT01$", "WS-WH01$"};
        QTest::newRow("contractors, by primary group")
            << "Contractors" << QStringList{"diego.santos", "chiara.rossi"};
    }
    void members() {
        QFETCH(QString, group);
        QFETCH(QStringList, members);
        tyArrGroupUsersInfo1 result;
        queries->GetGroupUsers(u"\\\\DC01", group.toStdU16String(), result);
        QCOMPARE(namesOf(result), members);
    }

    void notableAccounts_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* user, const char* field, const char* expected) {
            QTest::newRow(qPrintable(QString::fromUtf8(user) + " " + field))
                << QString::fromUtf8(user) << field << QString::fromUtf8(expected);
        };
        row("Administrator", "Priv", "Administrator");
        row("Administrator", "Flags", "SCRIPT|DONT_EXPIRE_PASSWD|NORMAL_ACCOUNT");
        row("Administrator", "PasswordAge", "34590500");
        row("Guest", "Priv", "Guest");
        row("lars.nielsen", "Priv", "Administrator");
        row("lars.nielsen", "AuthFlags", "SERVER");
        row("nina.berg", "Priv", "Administrator");
        row("wei.chen", "AuthFlags", "PRINT");
        row("åsa.lindström", "AuthFlags", "ACCOUNTS");
        row("tom.hughes", "Flags", "SCRIPT|LOCKOUT|NORMAL_ACCOUNT");
        row("tom.hughes", "BadPwCount", "5");
        row("ella.murphy", "Flags", "SCRIPT|LOCKOUT|NORMAL_ACCOUNT");
        row("oliver.grant", "Flags", "SCRIPT|ACCOUNTDISABLE|NORMAL_ACCOUNT");
        row("priya.patel", "Flags", "SCRIPT|PASSWORD_EXPIRED|NORMAL_ACCOUNT");
        row("priya.patel", "LastLogon", "none");
        row("chiara.rossi", "AcctExpires", "1738364400");
        row("diego.santos", "AcctExpires", "1759269600");
        row("svc-backup", "Flags", "SCRIPT|DONT_EXPIRE_PASSWD|NORMAL_ACCOUNT");
        row("RENÉ.LEFÈVRE", "Name", "rené.lefèvre");
        row("RENÉ.LEFÈVRE", "FullName", "René Lefèvre");
        row("JÜRGEN.WEIß", "Name", "jürgen.weiß");
        row("malgorzata.wisniewska", "FullName", "Małgorzata Wiśniewska");
        row("zoe.okafor", "FullName", "Zoë Okafor");
    }
    void notableAccounts() {
        QFETCH(QString, user);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        tyUserInfo3 info;
        queries->ReadUserInfo3(u"\\\\DC01", user.toStdU16String(), info);
        QCOMPARE(fieldText(info, field), expected);
    }

    // Seasonal pickers may log on only on the depot's kiosks and in its
    // shifts (no Sunday hours); most are off season.
    void seasonalPickers() {
        tyArrGroupUsersInfo1 members;
        queries->GetGroupUsers(u"", u"Seasonal Pickers", members);
        int disabled = 0;
        for (const auto& m : members) {
            tyUserInfo3 info;
            queries->ReadUserInfo3(u"", m.Name, info);
            QCOMPARE(q(info.Workstations), QString("WS-WH01,WS-WH02"));
            QCOMPARE(info.LogonHours, 0u);
            disabled += info.Flags.ACCOUNTDISABLE;
        }
        QCOMPARE(disabled, 42);
    }
};

QTEST_APPLESS_MAIN(TestLdifDemo)
#include "tst_ldif_demo.moc"
