// Reading LDIF exports: the forms that exporting tools write are read alike,
// and a file that cannot be read or a record that cannot be parsed stops the
// load with the file's name and the offending line.
#include <QtTest>

#include "LdifBackend.h"
#include "LdifTestSupport.h"
#include "Queries.h"

namespace {

// A domain head and one user, the context most cases need; 9 lines.
const QByteArray kDomain =
    "dn: DC=harbor,DC=example\n"
    "objectClass: domainDNS\n"
    "objectSid: S-1-5-21-7-8-9\n"
    "\n"
    "dn: CN=Ann,CN=Users,DC=harbor,DC=example\n"
    "objectClass: user\n"
    "sAMAccountName: ann\n"
    "userAccountControl: 512\n"
    "objectSid: S-1-5-21-7-8-9-1000\n";

QByteArray user(const QByteArray& name, int rid, const QByteArray& more = {}) {
    return "\ndn: CN=" + name +
           ",CN=Users,DC=harbor,DC=example\n"
           "objectClass: user\n"
           "sAMAccountName: " +
           name +
           "\n"
           "userAccountControl: 512\n"
           "objectSid: S-1-5-21-7-8-9-" +
           QByteArray::number(rid) + "\n" + more;
}

}  // namespace

class TestLdifReading : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void acceptedForms_data() {
        QTest::addColumn<QByteArray>("ldif");
        QTest::addColumn<QStringList>("users");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QStringList>("members");
        const QStringList both{"ann", "bob"};
        QTest::newRow("ldapsearch -LLL")
            << kDomain + user("bob", 1001) << both << "" << QStringList{};
        QTest::newRow("ldifde, with changetype: add")
            << QByteArray(kDomain).replace("objectClass: user",
                                           "changetype: add\nobjectClass: user") +
                   user("bob", 1001)
            << both << "" << QStringList{};
        QTest::newRow("version line before the first entry")
            << "version: 1\n" + kDomain + user("bob", 1001) << both << "" << QStringList{};
        QTest::newRow("version line as a record of its own")
            << "version: 1\n\n" + kDomain + user("bob", 1001) << both << "" << QStringList{};
        QTest::newRow("CRLF line ends")
            << QByteArray(kDomain + user("bob", 1001)).replace("\n", "\r\n") << both << ""
            << QStringList{};
        QTest::newRow("UTF-8 byte order mark")
            << "\xEF\xBB\xBF" + kDomain + user("bob", 1001) << both << "" << QStringList{};
        QTest::newRow("no line end at the end of the file")
            << kDomain + user("bob", 1001).chopped(1) << both << "" << QStringList{};
        // ldapsearch without -LLL: comments, a continuation reference and the
        // search's result after each page.
        QTest::newRow("ldapsearch's comments, references and result")
            << "# extended LDIF\n#\n# LDAPv3\n\nversion: 1\n\n# harbor.example\n" + kDomain +
                   "\n# search reference\nref: ldap://other.harbor.example/DC=other,DC=harbor,"
                   "DC=example\n\n# bob, Users\n" +
                   user("bob", 1001).mid(1) +
                   "\n# search result\nsearch: 2\nresult: 0 Success\n\n# numResponses: 3\n"
            << both << "" << QStringList{};
        QTest::newRow("attribute names in any case")
            << kDomain +
                   "\ndn: CN=bob,CN=Users,DC=harbor,DC=example\nOBJECTCLASS: User\n"
                   "samaccountname: bob\nUSERACCOUNTCONTROL: 512\nObjectSid: "
                   "S-1-5-21-7-8-9-1001\n"
            << both << "" << QStringList{};
        QTest::newRow("other objects and deleted accounts left out")
            << kDomain +
                   "\ndn: OU=Staff,DC=harbor,DC=example\nobjectClass: organizationalUnit\n"
                   "\ndn: CN=Printer,OU=Staff,DC=harbor,DC=example\nobjectClass: printQueue\n"
                   "description: no account\n" +
                   user("bob", 1001, "isDeleted: TRUE\n")
            << QStringList{"ann"} << "" << QStringList{};
        // A large group comes in ranges; all of them together are the group.
        QTest::newRow("member ranges that cover every value")
            << kDomain + user("bob", 1001) + user("cy", 1002) +
                   "\ndn: CN=Big,CN=Users,DC=harbor,DC=example\nobjectClass: group\n"
                   "sAMAccountName: Big\ngroupType: -2147483646\n"
                   "objectSid: S-1-5-21-7-8-9-1100\n"
                   "member;range=0-1: CN=Ann,CN=Users,DC=harbor,DC=example\n"
                   "member;range=0-1: CN=bob,CN=Users,DC=harbor,DC=example\n"
                   "member;range=2-*: CN=cy,CN=Users,DC=harbor,DC=example\n"
            << QStringList{"ann", "bob", "cy"} << "Big" << QStringList{"ann", "bob", "cy"};
    }
    void acceptedForms() {
        QFETCH(QByteArray, ldif);
        QFETCH(QStringList, users);
        QFETCH(QString, group);
        QFETCH(QStringList, members);
        const QString path = writeFile(dir, "export.ldif", ldif);
        LdifBackend backend(path.toStdString());
        RecordingReporter reporter;
        DirectoryQueries queries(backend, reporter);
        QCOMPARE(q(queries.GetDomainName()), QString("HARBOR"));
        tyArrUsers names;
        queries.GetUsers(u"", names);
        QCOMPARE(namesOf(names), users);
        if (!group.isEmpty()) {
            tyArrGroupUsersInfo1 result;
            queries.GetGroupUsers(u"", group.toStdU16String(), result);
            QCOMPARE(namesOf(result), members);
        }
        QVERIFY(reporter.errors.isEmpty());
        QCOMPARE(backend.outstanding(), size_t(0));
    }

    // Each case names the text of the offending line ("at"); the message must
    // give that line's number. An empty "at" is a fault of the whole file.
    void rejected_data() {
        QTest::addColumn<QByteArray>("ldif");
        QTest::addColumn<QByteArray>("at");
        QTest::addColumn<QString>("reason");
        auto row = [](const char* name, const QByteArray& ldif, const QByteArray& at,
                      const QString& reason) { QTest::newRow(name) << ldif << at << reason; };

        row("a line without a colon", kDomain + user("bob", 1001, "this line has none\n"),
            "this line has none", "not an attribute line (\"name: value\")");
        row("broken base64", kDomain + user("bob", 1001, "displayName:: ***=\n"),
            "displayName:: ***=", "not a valid base64 value");
        row("a record without dn", kDomain + "\nobjectClass: user\nsAMAccountName: x\n",
            "objectClass: user\nsAMAccountName: x", "the record does not begin with \"dn:\"");
        row("a change record",
            kDomain +
                "\ndn: CN=Ann,CN=Users,DC=harbor,DC=example\n"
                "changetype: modify\nreplace: description\n",
            "changetype: modify",
            "a change record (changetype: modify), not an entry of an export");
        row("a value by URL", kDomain + user("bob", 1001, "jpegPhoto:< file:///etc/passwd\n"),
            "jpegPhoto:<",
            "a value given by URL (\":<\"), which is not fetched: an export holds "
            "its values");
        row("an include line", kDomain + "\n# more\n\ninclude: file:///nonexistent.ldif\n",
            "include:",
            "an \"include:\" line, which is not followed: an export is read from one "
            "file");
        row("an include line of a file that exists",
            kDomain + "\n\n# more\ninclude: file://%DIR%/other.ldif\n" + user("cy", 1002),
            "include:",
            "an \"include:\" line, which is not followed: an export is read from one "
            "file");
        row("an LDIF version not known", "version: 2\n" + kDomain, "version: 2",
            "LDIF version 2 is not known; version 1 is");
        row("a flag word that is no number",
            QByteArray(kDomain).replace("userAccountControl: 512", "userAccountControl: twelve"),
            "userAccountControl: twelve", "userAccountControl: not a 32-bit integer");
        row("a flag word beyond 32 bits",
            QByteArray(kDomain).replace("userAccountControl: 512",
                                        "userAccountControl: 4294967808"),
            "userAccountControl: 4294967808", "userAccountControl: not a 32-bit integer");
        row("a SID that is none",
            kDomain + user("bob", 1001, "objectSid:: AQID\n")
                          .replace("objectSid: S-1-5-21-7-8-9-1001\n", ""),
            "objectSid:: AQID", "objectSid: not a security identifier");
        row("logon hours of the wrong length", kDomain + user("bob", 1001, "logonHours:: AAAA\n"),
            "logonHours::", "logonHours: holds 3 bytes, not the 21 of a week's hours");
        row("an attribute given twice",
            kDomain + user("bob", 1001, "pwdLastSet: 0\npwdLastSet: 1\n"), "pwdLastSet: 1",
            "pwdLastSet is given twice");
        row("text that is not UTF-8", kDomain + user("bob", 1001, "displayName: Jos\xE9\n"),
            "displayName: Jos", "displayName: not UTF-8 text");
        row("a member DN that is not UTF-8",
            kDomain +
                "\ndn: CN=G,CN=Users,DC=harbor,DC=example\nobjectClass: group\n"
                "sAMAccountName: G\ngroupType: -2147483646\nobjectSid: S-1-5-21-7-8-9-1100\n"
                "member: CN=Jos\xE9,CN=Users,DC=harbor,DC=example\n",
            "member: CN=Jos",
            "the DN \"CN=Jos\xE9,CN=Users,DC=harbor,DC=example\" is not UTF-8 text");
        row("a time that is none", kDomain + user("bob", 1001, "whenChanged: yesterday\n"),
            "whenChanged: yesterday",
            "whenChanged: \"yesterday\" is not a time (\"20240315123000.0Z\")");
        row("an account without its name",
            kDomain +
                "\ndn: CN=nosam,CN=Users,DC=harbor,DC=example\nobjectClass: user\n"
                "userAccountControl: 512\nobjectSid: S-1-5-21-7-8-9-1001\n",
            "dn: CN=nosam", "the account has no sAMAccountName");
        row("an account without a SID",
            kDomain + user("bob", 1001).replace("objectSid: S-1-5-21-7-8-9-1001\n", ""),
            "dn: CN=bob", "the account has no objectSid");
        row("a group without its type",
            kDomain +
                "\ndn: CN=G,CN=Users,DC=harbor,DC=example\nobjectClass: group\n"
                "sAMAccountName: G\nobjectSid: S-1-5-21-7-8-9-1100\n",
            "dn: CN=G", "the group has no groupType");
        row("an account name twice, in another case",
            kDomain +
                "\ndn: CN=Ann2,CN=Users,DC=harbor,DC=example\nobjectClass: user\n"
                "sAMAccountName: ANN\nuserAccountControl: 512\n"
                "objectSid: S-1-5-21-7-8-9-1001\n",
            "dn: CN=Ann2", "the account name \"ANN\" is that of the account at line 5 too");
        row("an entry twice",
            kDomain +
                "\ndn: cn=ann,cn=users,dc=harbor,dc=example\nobjectClass: user\n"
                "sAMAccountName: ann2\nuserAccountControl: 512\n"
                "objectSid: S-1-5-21-7-8-9-1001\n",
            "dn: cn=ann",
            "the entry \"cn=ann,cn=users,dc=harbor,dc=example\" is in the file at "
            "line 5 already");
        row("a group RID twice",
            kDomain +
                "\ndn: CN=G,CN=Users,DC=harbor,DC=example\nobjectClass: group\n"
                "sAMAccountName: G\ngroupType: -2147483646\nobjectSid: S-1-5-21-7-8-9-1100\n"
                "\ndn: CN=H,CN=Users,DC=harbor,DC=example\nobjectClass: group\n"
                "sAMAccountName: H\ngroupType: -2147483646\nobjectSid: S-1-5-21-7-8-9-1100\n",
            "dn: CN=H", "the group's RID 1100 is that of the group at line 11 too");
        row("a group's members only in part",
            kDomain +
                "\ndn: CN=G,CN=Users,DC=harbor,DC=example\nobjectClass: group\n"
                "sAMAccountName: G\ngroupType: -2147483646\nobjectSid: S-1-5-21-7-8-9-1100\n"
                "member;range=0-1499: CN=Ann,CN=Users,DC=harbor,DC=example\n",
            "member;range=0-1499",
            "the group's members are only partly in the file (member;range=...): export it with "
            "a tool that reads every range, such as ldifde");
        row("a search that was cut short",
            kDomain + "\n# search result\nsearch: 2\nresult: 4 Size limit exceeded\n", "result: 4",
            "the export was cut short: its search ended with \"result: 4 Size limit "
            "exceeded\"");
        row("two domains",
            kDomain +
                "\ndn: DC=other,DC=example\nobjectClass: domainDNS\n"
                "objectSid: S-1-5-21-4-5-6\n",
            "dn: DC=other",
            "a second domain, \"DC=other,DC=example\", after "
            "\"DC=harbor,DC=example\" at line 1: an export holds one domain");
        row("an account of another domain",
            kDomain +
                "\ndn: CN=bob,CN=Users,DC=other,DC=example\nobjectClass: user\n"
                "sAMAccountName: bob\nuserAccountControl: 512\n"
                "objectSid: S-1-5-21-4-5-6-1001\n",
            "dn: CN=bob",
            "the entry is in the domain \"DC=other,DC=example\", not in "
            "\"DC=harbor,DC=example\": an export holds one domain");
        row("an account outside any domain",
            "dn: uid=ann,ou=people,o=harbor\nobjectClass: user\nsAMAccountName: ann\n"
            "userAccountControl: 512\nobjectSid: S-1-5-21-7-8-9-1000\n",
            "dn: uid=ann",
            "the DN \"uid=ann,ou=people,o=harbor\" has no DC= part, so its domain is unknown");
        // Line numbers count every physical line: folded ones, comments and
        // blank lines before the record.
        row("the line after folds and comments",
            kDomain + "\n\n# a comment\n" +
                user("bob", 1001,
                     "description: a long\n  description folded\n over lines\n# inside\n"
                     "displayName:: ***=\n")
                    .mid(1),
            "displayName:: ***=", "not a valid base64 value");
        row("no domain in the file",
            "dn: OU=Staff,DC=harbor,DC=example\nobjectClass: organizationalUnit\n", "",
            "holds no Active Directory domain: no domain, user or group entry");
        row("an empty file", "", "",
            "holds no Active Directory domain: no domain, user or group "
            "entry");
        row("UTF-16 text", QByteArray("\xFF\xFE") + QByteArray("d\0n\0:\0 \0", 8), "",
            "is UTF-16 text; LDIF is read as UTF-8 (ldifde writes that without -u)");
    }
    void rejected() {
        QFETCH(QByteArray, ldif);
        QFETCH(QByteArray, at);
        QFETCH(QString, reason);
        writeFile(dir, "other.ldif", user("dan", 1003).mid(1));
        const QString path =
            writeFile(dir, "export.ldif", QByteArray(ldif).replace("%DIR%", dir.path().toUtf8()));
        unsigned long line = 0;
        if (!at.isEmpty()) {
            const qsizetype offset = ldif.indexOf(at);
            QVERIFY2(offset >= 0, "the case's \"at\" is not in its text");
            line = static_cast<unsigned long>(ldif.left(offset).count('\n') + 1);
        }
        try {
            LdifBackend backend(path.toStdString());
            QFAIL("the file was read");
        } catch (const LdifError& e) {
            QCOMPARE(QString::fromStdString(e.file()), path);
            QCOMPARE(e.line(), line);
            QCOMPARE(QString::fromUtf8(e.reason()), reason);
            const QString where = line ? path + ":" + QString::number(line) : path;
            QCOMPARE(QString::fromUtf8(e.what()), where + ": " + reason);
        }
    }

    void unreadable_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such file") << "missing.ldif"
                                      << "cannot be opened: No such file or directory";
        QTest::newRow("a folder") << "folder"
                                  << "cannot be read: Is a directory";
    }
    void unreadable() {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QVERIFY(QDir(dir.path()).mkpath("folder"));
        const QString path = dir.filePath(name);
        try {
            LdifBackend backend(path.toStdString());
            QFAIL("the file was read");
        } catch (const LdifError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), path + ": " + reason);
            QCOMPARE(e.line(), 0ul);
        }
    }
};

QTEST_APPLESS_MAIN(TestLdifReading)
#include "tst_ldif_reading.moc"
