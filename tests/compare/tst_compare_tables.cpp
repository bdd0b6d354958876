// The comparison tables as values, built without a window from a small
// directory and from the demo domain: their cells, header rows and columns,
// the order of names, the attribute columns and their texts.

#include <QtTest>

#include "CompareTable.h"
#include "DirectoryAccounts.h"
#include "FakeDirectory.h"
#include "LdifBackend.h"
#include "Queries.h"
#include "TestSupport.h"

namespace {

using Rows = QList<QStringList>;

QStringList row(const tyCompareTable& t, int r) {
    QStringList cells;
    for (int c = 0; c < t.ColCount; ++c) {
        cells << t.Cells(c, r);
    }
    return cells;
}

Rows rows(const tyCompareTable& t) {
    Rows all;
    for (int r = 0; r < t.RowCount; ++r) {
        all << row(t, r);
    }
    return all;
}

QStringList column(const tyCompareTable& t, int c) {
    QStringList cells;
    for (int r = 0; r < t.RowCount; ++r) {
        cells << t.Cells(c, r);
    }
    return cells;
}

tyConfig defaults() {
    tyConfig c;
    SetDefaultConfigValues(c, 45000.0);
    return c;
}

// A directory and the lookups over it, loaded as the main window loads.
struct Tables {
    FakeDirectory directory;
    RecordingReporter reporter;
    DirectoryQueries queries{directory, reporter};
    std::unique_ptr<DirectoryAccounts> accounts;

    Tables() {
        directory.addUser(u"bob", u"Bob Builder");
        directory.addUser(u"alice", u"Alice Smith");
        directory.addUser(u"carol", u"Carol King");
        directory.addGroup(u"Sales", u"Sales team", {u"bob", u"alice"});
        directory.addGroup(u"Admins", u"", {u"Alice", u"carol"});
    }
    DirectoryAccounts& load(const tyConfig& config = defaults()) {
        accounts = std::make_unique<DirectoryAccounts>(queries, config);
        accounts->Load();
        directory.calls.clear();
        directory.servers.clear();
        return *accounts;
    }
    static tyArrGroup1 groups(
        std::initializer_list<std::pair<std::u16string, std::u16string>> list) {
        tyArrGroup1 r;
        for (const auto& [name, comment] : list) {
            r.push_back({name, comment});
        }
        return r;
    }
};

QString demo() {
    return qEnvironmentVariable("ZENTORY_SOURCE_DIR") + "/data/demo/demo-domain.ldif";
}

}  // namespace

class TestCompareTables : public QObject {
    Q_OBJECT

private slots:
    void groupsUsersExample_data() {
        QTest::addColumn<bool>("fullName");
        QTest::addColumn<bool>("comment");
        QTest::addColumn<int>("fixedRows");
        QTest::addColumn<int>("fixedCols");
        QTest::addColumn<Rows>("expected");
        QTest::newRow("full names and comments")
            << true << true << 2 << 2
            << Rows{{"", "", "alice", "bob", "carol"},
                    {"", "", "Alice Smith", "Bob Builder", "Carol King"},
                    {"Sales", "Sales team", "X", "X", ""},
                    {"Admins", "", "X", "", "X"}};
        QTest::newRow("neither") << false << false << 1 << 1
                                 << Rows{{"", "alice", "bob", "carol"},
                                         {"Sales", "X", "X", ""},
                                         {"Admins", "X", "", "X"}};
        // A comment is a header column here, a full name a header row.
        QTest::newRow("comments only") << false << true << 1 << 2
                                       << Rows{{"", "", "alice", "bob", "carol"},
                                               {"Sales", "Sales team", "X", "X", ""},
                                               {"Admins", "", "X", "", "X"}};
        QTest::newRow("full names only") << true << false << 2 << 1
                                         << Rows{{"", "alice", "bob", "carol"},
                                                 {"", "Alice Smith", "Bob Builder", "Carol King"},
                                                 {"Sales", "X", "X", ""},
                                                 {"Admins", "X", "", "X"}};
    }
    // Admins lists "Alice", Sales "alice": one column, headed by the form
    // met first, and Admins marked in it.
    void groupsUsersExample() {
        QFETCH(bool, fullName);
        QFETCH(bool, comment);
        QFETCH(int, fixedRows);
        QFETCH(int, fixedCols);
        QFETCH(Rows, expected);
        Tables f;
        tyConfig config = defaults();
        config.CompDet = {fullName, comment};
        DirectoryAccounts& a = f.load(config);
        const tyCompareTable t = BuildGroupsUsers(
            a, "\\\\DC1", Tables::groups({{u"Sales", u"Sales team"}, {u"Admins", u""}}));
        QCOMPARE(t.Title, QString("Groups's users comparison"));
        QCOMPARE(t.FixedRows, fixedRows);
        QCOMPARE(t.FixedCols, fixedCols);
        QCOMPARE(t.RowCount, int(expected.size()));
        QCOMPARE(t.ColCount, int(expected.first().size()));
        QCOMPARE(rows(t), expected);
        // One membership query per group, to the server handed in.
        QCOMPARE(f.directory.calls["NetGroupGetUsers"], 2);
        for (const auto& s : f.directory.servers) {
            QCOMPARE(q(s), QString("\\\\DC1"));
        }
        // Full names through the details cache: read once per user, also
        // when the table is built again.
        BuildGroupsUsers(a, "\\\\DC1", Tables::groups({{u"Sales", u""}, {u"Admins", u""}}));
        QCOMPARE(a.detailReads(), fullName ? 3 : 0);
    }

    void firstFormHeadsTheColumn() {
        Tables f;
        tyConfig config = defaults();
        config.CompDet = {false, false};
        DirectoryAccounts& a = f.load(config);
        const tyCompareTable t =
            BuildGroupsUsers(a, "\\\\DC1", Tables::groups({{u"Admins", u""}, {u"Sales", u""}}));
        QCOMPARE(row(t, 0), (QStringList{"", "Alice", "bob", "carol"}));
        QCOMPARE(row(t, 2), (QStringList{"Sales", "X", "X", ""}));
    }

    void usersGroupsSortsTheUsers() {
        Tables f;
        DirectoryAccounts& a = f.load();
        tyArrUsers users = {u"bob", u"Alice"};
        const tyCompareTable t = BuildUsersGroups(a, "\\\\DC1", users);
        QCOMPARE(users, (tyArrUsers{u"Alice", u"bob"}));
        QCOMPARE(t.Title, QString("User's groups comparison"));
        QCOMPARE(t.FixedRows, 2);
        QCOMPARE(t.FixedCols, 2);
        QCOMPARE(rows(t), (Rows{{"", "", "Admins", "Sales"},
                                {"", "", "", "Sales team"},
                                {"Alice", "Alice Smith", "X", "X"},
                                {"bob", "Bob Builder", "", "X"}}));
        QCOMPARE(f.directory.calls["NetUserGetGroups"], 2);
    }

    void usersGroupsHeaders_data() {
        QTest::addColumn<bool>("fullName");
        QTest::addColumn<bool>("comment");
        QTest::addColumn<int>("fixedRows");
        QTest::addColumn<int>("fixedCols");
        QTest::newRow("neither") << false << false << 1 << 1;
        QTest::newRow("comments add a row") << false << true << 2 << 1;
        QTest::newRow("full names add a column") << true << false << 1 << 2;
        QTest::newRow("both") << true << true << 2 << 2;
    }
    void usersGroupsHeaders() {
        QFETCH(bool, fullName);
        QFETCH(bool, comment);
        QFETCH(int, fixedRows);
        QFETCH(int, fixedCols);
        Tables f;
        tyConfig config = defaults();
        config.CompDet = {fullName, comment};
        DirectoryAccounts& a = f.load(config);
        tyArrUsers users = {u"carol", u"bob"};
        const tyCompareTable t = BuildUsersGroups(a, "\\\\DC1", users);
        QCOMPARE(t.FixedRows, fixedRows);
        QCOMPARE(t.FixedCols, fixedCols);
        QCOMPARE(t.RowCount, 2 + fixedRows);
        QCOMPARE(t.ColCount, 2 + fixedCols);
        QCOMPARE(column(t, 0).mid(fixedRows), (QStringList{"bob", "carol"}));
        QCOMPARE(row(t, 0).mid(fixedCols), (QStringList{"Admins", "Sales"}));
    }

    // Columns follow the collation (the underscore before letters), rows the
    // name key (Z, 0x5A, before the underscore, 0x5F).
    void columnsByCollationRowsByNameKey() {
        Tables f;
        f.directory.addUser(u"_svc");
        f.directory.addUser(u"ZED");
        f.directory.addGroup(u"Zeta", u"", {u"_svc", u"ZED"});
        f.directory.addGroup(u"_Ops", u"", {u"ZED", u"_svc"});
        tyConfig config = defaults();
        config.CompDet = {false, false};
        DirectoryAccounts& a = f.load(config);
        tyArrUsers users = {u"_svc", u"ZED"};
        tyCompareTable t = BuildUsersGroups(a, "\\\\DC1", users);
        QCOMPARE(column(t, 0), (QStringList{"", "ZED", "_svc"}));
        QCOMPARE(row(t, 0), (QStringList{"", "_Ops", "Zeta"}));
        t = BuildGroupsUsers(a, "\\\\DC1", Tables::groups({{u"Zeta", u""}}));
        QCOMPARE(row(t, 0), (QStringList{"", "_svc", "ZED"}));
    }

    // Nothing to put in a column: the header columns alone, a row per group
    // or user, as the window shows it.
    void noMemberAtAll() {
        Tables f;
        f.directory.addGroup(u"Empty", u"nobody", {});
        f.directory.addGroup(u"Void", u"", {});
        f.directory.addUser(u"loner", u"Lone Ranger");
        DirectoryAccounts& a = f.load();
        tyCompareTable t =
            BuildGroupsUsers(a, "\\\\DC1", Tables::groups({{u"Empty", u"nobody"}, {u"Void", u""}}));
        QCOMPARE(t.ColCount, 2);
        QCOMPARE(t.FixedCols, 2);
        QCOMPARE(rows(t), (Rows{{"", ""}, {"", ""}, {"Empty", "nobody"}, {"Void", ""}}));
        tyArrUsers users = {u"loner"};
        t = BuildUsersGroups(a, "\\\\DC1", users);
        QCOMPARE(rows(t), (Rows{{"", ""}, {"", ""}, {"loner", "Lone Ranger"}}));
    }

    void attributesKeepTheUsersOrder() {
        Tables f;
        DirectoryAccounts& a = f.load();
        const tyCompareTable t = BuildUsersAttributes(a, {u"bob", u"Alice"});
        QCOMPARE(t.Title, QString("User's attributes comparison"));
        QCOMPARE(t.FixedRows, 1);
        QCOMPARE(t.FixedCols, 0);
        QCOMPARE(column(t, 0), (QStringList{"Name", "bob", "alice"}));
        QCOMPARE(column(t, 1), (QStringList{"FullName", "Bob Builder", "Alice Smith"}));
    }

    void defaultAttributeColumns() {
        Tables f;
        DirectoryAccounts& a = f.load();
        const tyCompareTable t = BuildUsersAttributes(a, {u"bob"});
        QCOMPARE(row(t, 0), (QStringList{"Name", "FullName", "PasswordAge", "Comment",
                                         "Flag ACCOUNTDISABLE", "Flag PASSWD_NOTREQD",
                                         "Flag PASSWD_CANT_CHANGE", "Flag DONT_EXPIRE_PASSWD",
                                         "Flag PASSWORD_EXPIRED", "UsrComment", "LastLogon",
                                         "LastLogoff", "AcctExpires", "BadPwCount", "NumLogons"}));
    }

    void everyAttributeAndItsText() {
        Tables f;
        f.directory.addUser(u"off", u"Switched Off").flags = 0x202;  // disabled
        tyConfig config = defaults();
        for (const auto& field : kValidCheckFields) {
            config.ValCheck.*field.field = true;
        }
        for (const auto& flag : kUi3FlagFields) {
            config.ValCheck.Flags.*flag.field = true;
        }
        for (const auto& flag : kUi3AuthFlagFields) {
            config.ValCheck.AuthFlags.*flag.field = true;
        }
        DirectoryAccounts& a = f.load(config);
        const tyCompareTable t = BuildUsersAttributes(a, {u"off"});
        const QStringList headers = {"Name",
                                     "FullName",
                                     "PasswordAge",
                                     "Priv",
                                     "HomeDir",
                                     "Comment",
                                     "Flag SCRIPT",
                                     "Flag ACCOUNTDISABLE",
                                     "Flag HOMEDIR_REQUIRED",
                                     "Flag PASSWD_NOTREQD",
                                     "Flag PASSWD_CANT_CHANGE",
                                     "Flag LOCKOUT",
                                     "Flag DONT_EXPIRE_PASSWD",
                                     "Flag ENCRYPTED_TEXT_PASSWORD_ALLOWED",
                                     "Flag NOT_DELEGATED",
                                     "Flag SMARTCARD_REQUIRED",
                                     "Flag USE_DES_KEY_ONLY",
                                     "Flag DONT_REQUIRE_PREAUTH",
                                     "Flag TRUSTED_FOR_DELEGATION",
                                     "Flag PASSWORD_EXPIRED",
                                     "Flag TRUSTED_TO_AUTHENTICATE_FOR_DELEGATION",
                                     "Flag NORMAL_ACCOUNT",
                                     "Flag TEMP_DUPLICATE_ACCOUNT",
                                     "Flag WORKSTATION_TRUST_ACCOUNT",
                                     "Flag SERVER_TRUST_ACCOUNT",
                                     "Flag INTERDOMAIN_TRUST_ACCOUNT",
                                     "ScriptPath",
                                     "AuthFlag PRINT",
                                     "AuthFlag COMM",
                                     "AuthFlag SERVER",
                                     "AuthFlag ACCOUNTS",
                                     "UsrComment",
                                     "Workstations",
                                     "LastLogon",
                                     "LastLogoff",
                                     "AcctExpires",
                                     "MaxStorage",
                                     "UnitsPerWeek",
                                     "LogonHours",
                                     "BadPwCount",
                                     "NumLogons",
                                     "LogonServer",
                                     "CountryCode",
                                     "CodePage",
                                     "UserId",
                                     "PrimaryGroupId",
                                     "Profile",
                                     "HomeDirDrive",
                                     "PasswordExpired"};
        QCOMPARE(row(t, 0), headers);
        auto cell = [&](const char* header) { return t.Cells(int(headers.indexOf(header)), 1); };
        QCOMPARE(cell("Name"), QString("off"));
        QCOMPARE(cell("Flag ACCOUNTDISABLE"), QString("True"));
        QCOMPARE(cell("Flag NORMAL_ACCOUNT"), QString("True"));
        QCOMPARE(cell("Flag LOCKOUT"), QString("False"));
        QCOMPARE(cell("AuthFlag PRINT"), QString("False"));
        QCOMPARE(cell("AcctExpires"), QString("Never"));
        QCOMPARE(cell("LastLogon"), QString(""));
        QCOMPARE(cell("MaxStorage"), QString("4294967295"));
        QCOMPARE(cell("PasswordAge"), QString("0"));
    }

    void noAttributeSelected() {
        Tables f;
        tyConfig config = defaults();
        config.ValCheck = tyValidCheck{};
        DirectoryAccounts& a = f.load(config);
        const tyCompareTable t = BuildUsersAttributes(a, {u"bob", u"alice", u"carol"});
        QCOMPARE(t.ColCount, 1);
        QCOMPARE(t.RowCount, 4);
        QCOMPARE(column(t, 0), (QStringList{"", "", "", ""}));
    }

    void userWithoutDetails_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("errorBox");
        QTest::newRow("read fails") << "carol" << true;
        QTest::newRow("not a known user") << "nobody" << false;
    }
    // An empty record's values; the failed read has shown its box and the
    // build went on.
    void userWithoutDetails() {
        QFETCH(QString, name);
        QFETCH(bool, errorBox);
        Tables f;
        f.directory.failingReads[u"carol"] = 5;  // access denied
        DirectoryAccounts& a = f.load();
        const tyCompareTable t = BuildUsersAttributes(a, {name.toStdU16String(), u"bob"});
        QCOMPARE(row(t, 1), (QStringList{"", "", "0", "", "False", "False", "False", "False",
                                         "False", "", "", "", "", "0", "0"}));
        QCOMPARE(t.Cells(0, 2), QString("bob"));
        QCOMPARE(f.reporter.errors.size(), errorBox ? 1 : 0);
    }

    void dateOrNever_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        const double jan31 = double(QDate(1899, 12, 30).daysTo(QDate(2025, 1, 31)));
        QTest::newRow("no date") << 0.0 << QDate() << "";
        QTest::newRow("less than a day") << 0.75 << QDate() << "";
        QTest::newRow("truncated toward zero") << -0.75 << QDate() << "";
        QTest::newRow("never") << 4294967295.0 << QDate() << "Never";
        QTest::newRow("never, with a time") << 4294967295.5 << QDate() << "Never";
        QTest::newRow("first day") << 1.0 << QDate(1899, 12, 31) << "";
        // 23:59 UTC stays on its day: no time zone is applied.
        QTest::newRow("late in the day") << jan31 + 0.999 << QDate(2025, 1, 31) << "";
        QTest::newRow("before the epoch") << -1.5 << QDate(1899, 12, 29) << "";
    }
    void dateOrNever() {
        QFETCH(double, value);
        QFETCH(QDate, date);
        QFETCH(QString, text);
        const QString expected =
            date.isValid() ? QLocale().toString(date, QLocale::ShortFormat) : text;
        QCOMPARE(DateOrNever(value), expected);
    }

    // The demo domain through the ldif back-end: dates as the directory
    // keeps them.
    void demoDomainAttributes() {
        LdifBackend backend(demo().toStdString());
        RecordingReporter reporter;
        DirectoryQueries queries(backend, reporter);
        DirectoryAccounts a(queries, defaults());
        QVERIFY(a.Load());
        const tyCompareTable t =
            BuildUsersAttributes(a, {u"chiara.rossi", u"priya.patel", u"svc-backup"});
        const QStringList headers = row(t, 0);
        auto cell = [&](int r, const char* header) {
            return t.Cells(int(headers.indexOf(header)), r);
        };
        // Expired 2025-01-31 23:00 UTC: that day, whatever the local zone.
        QCOMPARE(cell(1, "AcctExpires"),
                 QLocale().toString(QDate(2025, 1, 31), QLocale::ShortFormat));
        QCOMPARE(cell(2, "LastLogon"), QString(""));
        QCOMPARE(cell(2, "Flag PASSWORD_EXPIRED"), QString("True"));
        QCOMPARE(cell(3, "AcctExpires"), QString("Never"));
        QCOMPARE(cell(3, "Flag DONT_EXPIRE_PASSWD"), QString("True"));
        QVERIFY(reporter.errors.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCompareTables)
#include "tst_compare_tables.moc"
