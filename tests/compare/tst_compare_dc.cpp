// Comparisons built from the live test domain controller through the samba
// back-end: memberships, full names, comments and dates as the controller
// answers them.

#include <QtTest>

#include "CompareCsv.h"
#include "DirectoryAccounts.h"
#include "DirectorySession.h"
#include "TestDc.h"
#include "TestSupport.h"

class TestCompareDc : public QObject {
    Q_OBJECT

    std::unique_ptr<DirectorySession> session;
    RecordingReporter reporter;
    std::unique_ptr<DirectoryQueries> queries;
    std::unique_ptr<DirectoryAccounts> accounts;

private slots:
    void initTestCase() {
        QString error;
        if (!loadTestDc(error)) {
            QFAIL(qPrintable(error));
        }
        DirectoryOptions options;
        options.authFile = testDcValue("ZENTORY_TEST_AUTHFILE");
        session = DirectorySession::open(options, error);
        QVERIFY2(session, qPrintable(error));
        queries = std::make_unique<DirectoryQueries>(session->backend(), reporter);
        tyConfig config;
        SetDefaultConfigValues(config, 45000);
        accounts = std::make_unique<DirectoryAccounts>(*queries, config);
        QVERIFY(accounts->Load());
        QCOMPARE(accounts->dcName(), QString("\\\\DC1"));
    }
    void cleanupTestCase() {
        accounts.reset();
        queries.reset();
        session.reset();
    }

    void groupsUsersFromTheController() {
        const tyCompareTable t = BuildGroupsUsers(
            *accounts, accounts->dcName(),
            {{u"Sales", accounts->GetGroupComment("Sales").toStdU16String()},
             {u"Helpdesk", accounts->GetGroupComment("Helpdesk").toStdU16String()}});
        // The computer WS01$ is a member too; it has no full name.
        QCOMPARE(CompareTableCsv(t), QByteArray("\xEF\xBB\xBF"
                                                "\"\",\"\",asmith,jdoe,WS01$\r\n"
                                                "\"\",\"\",Alice Smith,John Doe,\"\"\r\n"
                                                "Sales,\"Sales, north \"\"East\"\"\",X,X,X\r\n"
                                                "Helpdesk,First line,\"\",X,\"\"\r\n"));
        QVERIFY(reporter.errors.isEmpty());
    }

    void attributesFromTheController() {
        const tyCompareTable t =
            BuildUsersAttributes(*accounts, {u"jdoe", u"expiring", u"bwayne", u"nevermind"});
        QStringList headers;
        for (int c = 0; c < t.ColCount; ++c) {
            headers << t.Cells(c, 0);
        }
        auto cell = [&](int r, const char* header) {
            return t.Cells(int(headers.indexOf(header)), r);
        };
        QCOMPARE(cell(1, "FullName"), QString("John Doe"));
        QCOMPARE(cell(1, "AcctExpires"), QString("Never"));
        QCOMPARE(cell(2, "AcctExpires"),
                 QLocale().toString(QDate(2030, 6, 30), QLocale::ShortFormat));
        QCOMPARE(cell(3, "Flag ACCOUNTDISABLE"), QString("True"));
        QCOMPARE(cell(4, "AcctExpires"), QString("Never"));
        QCOMPARE(cell(4, "FullName"), QString(""));
        QVERIFY(reporter.errors.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCompareDc)
#include "tst_compare_dc.moc"
