// zentory-cli as a script would use it: its output, its exit codes and its
// messages, against the demo domain and the live test domain controller.

#include <QtTest>

#include "LdifBackend.h"
#include "Ordering.h"
#include "Queries.h"
#include "TestDc.h"
#include "TestSupport.h"

namespace {

struct Run {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

Run cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(ZENTORY_CLI), args);
    Run r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.errors = "timed out";
        return r;
    }
    r.exitCode = p.exitCode();
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    r.lines = out.split('\n');
    if (!r.lines.isEmpty() && r.lines.last().isEmpty()) {
        r.lines.removeLast();
    }
    r.errors = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString demo() {
    return qEnvironmentVariable("ZENTORY_SOURCE_DIR") + "/data/demo/demo-domain.ldif";
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void helpDocumentsEveryOption() {
        const Run r = cli({"--help"});
        QCOMPARE(r.exitCode, 0);
        const QString help = r.lines.join('\n');
        for (const char* text : {"--directory", "--user", "-U", "--authentication-file", "-A",
                                 "--kerberos", "-k", "--server", "--version", "domain", "users",
                                 "groups", "members GROUP", "groups-of USER", "info USER"}) {
            QVERIFY2(help.contains(QLatin1String(text)), text);
        }
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"frobnicate"};
        QTest::newRow("missing name") << QStringList{"--directory", demo(), "members"};
        QTest::newRow("extra argument") << QStringList{"--directory", demo(), "users", "x"};
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.lines.isEmpty());
        QVERIFY(r.errors.startsWith("zentory-cli: "));
    }

    void passwordNeverFromTheCommandLine() {
        const Run r = cli({"-U", "HARBOR\\jdoe%secret", "users"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.errors.contains("never taken from the command line"));
    }

    void brokenDirectoryFile() {
        QTemporaryFile f;
        QVERIFY(f.open());
        f.write("dn: CN=x,DC=example,DC=com\nthis line has no colon\n");
        f.close();
        const Run r = cli({"--directory", f.fileName(), "users"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.errors.contains(f.fileName() + ":2:"), qPrintable(r.errors));
    }

    // The console prints what the queries answer, sorted by name.
    void demoDomainMatchesTheQueries() {
        LdifBackend backend(demo().toStdString());
        RecordingReporter reporter;
        DirectoryQueries queries(backend, reporter);
        const std::u16string dc = u"\\\\DC01";

        Run r = cli({"--directory", demo(), "domain"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lines, (QStringList{"Domain = HARBOR", "Domain controller = \\\\DC01"}));

        tyArrUsers users;
        queries.GetUsers(dc, users);
        SortUsers(users, 0, 0);
        QStringList expected;
        for (const auto& u : users) {
            expected << q(u);
        }
        r = cli({"--directory", demo(), "users"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lines, expected);

        r = cli({"--directory", demo(), "groups"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.lines.contains("Purchasing\tBuyers, \"North\" and \"South\" regions"));

        r = cli({"--directory", demo(), "members", "All Staff"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lines.size(), 207);

        r = cli({"--directory", demo(), "groups-of", "lars.nielsen"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.lines.contains("Domain Admins"));
    }

    void info() {
        const Run r = cli({"--directory", demo(), "info", "tom.hughes"});
        QCOMPARE(r.exitCode, 0);
        // Every field of the record, the flags one per line.
        QCOMPARE(r.lines.size(), 49);
        QCOMPARE(r.lines.first(), QString("Name = tom.hughes"));
        QVERIFY(r.lines.contains("Flag LOCKOUT = True"));
        QVERIFY(r.lines.contains("AuthFlags PRINT = False"));
        QVERIFY(r.lines.last().startsWith("PasswordExpired = "));
    }

    void unknownNames_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("user") << QStringList{"info", "nobody"}
                              << "The user name could not be found.";
        QTest::newRow("group") << QStringList{"members", "No Such Group"}
                               << "The group name could not be found.";
        QTest::newRow("groups of") << QStringList{"groups-of", "nobody"}
                                   << "The user name could not be found.";
    }
    void unknownNames() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = cli(QStringList{"--directory", demo()} + args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.lines.isEmpty());
        QVERIFY2(r.errors.contains(message), qPrintable(r.errors));
    }

    void liveController() {
        QString error;
        if (!loadTestDc(error)) {
            QFAIL(qPrintable(error));
        }
        const QString auth = testDcValue("ZENTORY_TEST_AUTHFILE");
        Run r = cli({"-A", auth, "domain"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lines, (QStringList{"Domain = ZENTORY", "Domain controller = \\\\DC1"}));
        r = cli({"-A", auth, "members", "Big5000"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lines.size(), 5000);
        r = cli({"-A", auth, "info", "jdoe"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.lines.contains("FullName = John Doe"));
        QVERIFY(r.lines.contains("AcctExpires = Never"));
        r = cli({"-A", auth, "info", "expiring"});
        QVERIFY(r.lines.contains("AcctExpires = 2030-06-30 00:00:00"));
        // Nothing libnetapi prints reaches the output.
        QVERIFY(r.lines.first().startsWith("Name = "));

        QTemporaryFile bad;
        QVERIFY(bad.open());
        bad.write("username = asmith\npassword = wrong\ndomain = ZENTORY\n");
        bad.close();
        r = cli({"-A", bad.fileName(), "users"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.lines.isEmpty());
        QVERIFY2(r.errors.contains("The user name or password is incorrect."), qPrintable(r.errors));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
