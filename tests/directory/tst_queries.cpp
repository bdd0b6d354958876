#include <QtTest>

#include "Queries.h"
#include "ScriptedBackend.h"
#include "TestSupport.h"

using Names = std::vector<std::u16string>;

class TestQueries : public QObject {
    Q_OBJECT

    ScriptedBackend* backend = nullptr;
    RecordingReporter* reporter = nullptr;
    DirectoryQueries* queries = nullptr;

private slots:
    void init() {
        backend = new ScriptedBackend;
        reporter = new RecordingReporter;
        queries = new DirectoryQueries(*backend, *reporter);
    }
    void cleanup() {
        // Whatever a test did, every buffer handed out came back exactly once.
        QCOMPARE(backend->outstanding(), size_t(0));
        QCOMPARE(backend->badReleases(), size_t(0));
        delete queries;
        delete reporter;
        delete backend;
    }

    void domainName_data() {
        QTest::addColumn<uint>("status");
        QTest::addColumn<bool>("withBuffer");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("success") << 0u << true << "ZENTORY" << QStringList{};
        QTest::newRow("success, no buffer") << 0u << false << "" << QStringList{};
        QTest::newRow("access denied")
            << 5u << false << ""
            << QStringList{"The user does not have access to the requested information."};
        QTest::newRow("invalid level")
            << 124u << true << ""
            << QStringList{"The value specified for the level parameter is invalid."};
        QTest::newRow("other") << 2351u << false << "" << QStringList{"2351"};
    }
    void domainName() {
        QFETCH(uint, status);
        QFETCH(bool, withBuffer);
        QFETCH(QString, result);
        QFETCH(QStringList, errors);
        backend->scriptWkstaGetInfo(status, withBuffer ? std::optional<std::u16string>(u"ZENTORY")
                                                       : std::nullopt);
        QCOMPARE(q(queries->GetDomainName()), result);
        QCOMPARE(reporter->errors, errors);
        QCOMPARE(backend->calls().size(), size_t(1));
        QVERIFY(!backend->calls()[0].server.has_value());
        QCOMPARE(backend->calls()[0].level, 101u);
        QCOMPARE(backend->released(), size_t(withBuffer ? 1 : 0));
    }

    void dcName_data() {
        QTest::addColumn<uint>("status");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("found") << 0u << "\\\\DC1" << QStringList{};
        QTest::newRow("50") << 50u << "" << QStringList{"#50: Request is not supported."};
        QTest::newRow("53") << 53u << "" << QStringList{"#53: Network path not found."};
        QTest::newRow("123") << 123u << "" << QStringList{"#123: Incorrect directory name."};
        QTest::newRow("no controller") << 2453u << "#2453" << QStringList{};
        QTest::newRow("no such domain") << 1355u << "" << QStringList{};
        QTest::newRow("access denied") << 5u << "" << QStringList{};
    }
    void dcName() {
        QFETCH(uint, status);
        QFETCH(QString, result);
        QFETCH(QStringList, errors);
        // A failing call may still hand out a buffer; it is released and
        // its contents are not the result.
        backend->scriptGetDCName(status, u"\\\\DC1");
        QCOMPARE(q(queries->GetDCName(u"ZENTORY")), result);
        QCOMPARE(reporter->errors, errors);
        QCOMPARE(backend->calls().size(), size_t(1));
        QVERIFY(!backend->calls()[0].server.has_value());
        QCOMPARE(q(backend->calls()[0].name), QString("ZENTORY"));
        QCOMPARE(backend->released(), size_t(1));
    }

    // The three paged enumerations follow one pattern; each row names one.
    void pagingCollectsEveryAnswerInOrder_data() { addOps(); }
    void pagingFirstCallFails_data() { addOps(); }
    void pagingKeepsWhatCameBeforeAFailure_data() { addOps(); }
    void pagingEmptyAnswer_data() { addOps(); }

    void pagingCollectsEveryAnswerInOrder() {
        QFETCH(QString, op);
        script(op, 234, Names{u"a", u"b"});
        script(op, 234, Names{u"c"});
        script(op, 0, Names{u"d", u"e"});
        QCOMPARE(run(op), (QStringList{"a", "b", "c", "d", "e"}));
        QCOMPARE(backend->released(), size_t(3));
        QCOMPARE(backend->calls().size(), size_t(3));
        for (size_t k = 0; k < 3; ++k) {
            const auto& c = backend->calls()[k];
            QCOMPARE(QString::fromStdString(c.op), op);
            QCOMPARE(q(*c.server), QString("\\\\DC1"));
            QCOMPARE(c.prefMaxLen, 0xFFFFFFFFu);
            QVERIFY(c.hasResume);
            // Starts at 0 and goes on with the handle as the platform set it.
            QCOMPARE(c.resumeIn, uint64_t(k));
            QCOMPARE(c.level, op == "NetUserEnum" ? 0u : 1u);
            if (op == "NetUserEnum") {
                QCOMPARE(c.filter, 2u);
            }
            if (op == "NetGroupGetUsers") {
                QCOMPARE(q(c.name), QString("Sales"));
            }
        }
        QVERIFY(reporter->errors.isEmpty());
    }

    void pagingFirstCallFails() {
        QFETCH(QString, op);
        script(op, 5, std::nullopt);
        QCOMPARE(run(op, {"stale"}), QStringList{});
        QCOMPARE(backend->calls().size(), size_t(1));
        QVERIFY(reporter->errors.isEmpty());
    }

    void pagingKeepsWhatCameBeforeAFailure() {
        QFETCH(QString, op);
        script(op, 234, Names{u"a", u"b"});
        script(op, 1722, Names{u"never taken"});
        QCOMPARE(run(op), (QStringList{"a", "b"}));
        QCOMPARE(backend->released(), size_t(2));
        QVERIFY(reporter->errors.isEmpty());
    }

    void pagingEmptyAnswer() {
        QFETCH(QString, op);
        script(op, 0, Names{});
        QCOMPARE(run(op, {"stale"}), QStringList{});
        script(op, 0, std::nullopt);
        QCOMPARE(run(op, {"stale"}), QStringList{});
        QCOMPARE(backend->released(), size_t(1));
    }

    void groupsCarryComments() {
        backend->scriptGroupEnum(0, std::vector<ScriptedBackend::Group>{
                                        {u"Sales", u"Sales, north \"East\""}, {u"Empty", u""}});
        tyArrGroup1 groups;
        queries->GetGroups(u"", groups);
        QCOMPARE(groups.size(), size_t(2));
        QCOMPARE(q(groups[0].Comment), QString("Sales, north \"East\""));
        QCOMPARE(q(groups[1].Comment), QString());
        // An empty server name addresses the local computer: a null server.
        QVERIFY(!backend->calls()[0].server.has_value());
    }

    void membersCarryAttributes() {
        backend->scriptGroupGetUsers(
            0, std::vector<ScriptedBackend::Member>{{u"jdoe", 0x7}, {u"WS01$", 0}});
        tyArrGroupUsersInfo1 members;
        queries->GetGroupUsers(u"\\\\DC1", u"Sales", members);
        QCOMPARE(members.size(), size_t(2));
        QVERIFY(members[0].Attributes.MANDATORY && members[0].Attributes.ENABLED);
        QVERIFY(!members[1].Attributes.MANDATORY);
    }

    void userGroups_data() {
        QTest::addColumn<uint>("status");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("success") << 0u << QStringList{"Sales", "Domain Users"};
        QTest::newRow("more data is taken as it is") << 234u << QStringList{"Sales", "Domain Users"};
        QTest::newRow("failure") << 2221u << QStringList{};
    }
    void userGroups() {
        QFETCH(uint, status);
        QFETCH(QStringList, expected);
        backend->scriptUserGetGroups(
            status, std::vector<ScriptedBackend::Member>{{u"Sales", 7}, {u"Domain Users", 7}});
        tyArrGroupUsersInfo1 groups{{u"stale", {}}};
        queries->GetUserGroups(u"\\\\DC1", u"jdoe", groups);
        QStringList names;
        for (const auto& g : groups) {
            names << q(g.Name);
        }
        QCOMPARE(names, expected);
        // One request, never a second page, and no error box.
        QCOMPARE(backend->calls().size(), size_t(1));
        QCOMPARE(backend->calls()[0].level, 1u);
        QCOMPARE(backend->calls()[0].prefMaxLen, 0xFFFFFFFFu);
        QCOMPARE(q(backend->calls()[0].name), QString("jdoe"));
        QCOMPARE(backend->released(), size_t(1));
        QVERIFY(reporter->errors.isEmpty());
    }

    void readUserInfo3Success() {
        net::USER_INFO_3 u;
        u.usri3_name = u"jdoe";
        u.usri3_full_name = u"John Doe";
        u.usri3_flags = 0x202;
        backend->scriptUserGetInfo(0, u);
        tyUserInfo3 info;
        info.Comment = u"stale";
        queries->ReadUserInfo3(u"\\\\DC1", u"JDOE", info);
        QCOMPARE(q(info.Name), QString("jdoe"));
        QCOMPARE(q(info.FullName), QString("John Doe"));
        QCOMPARE(q(info.Comment), QString());
        QVERIFY(info.Flags.ACCOUNTDISABLE);
        QCOMPARE(q(backend->calls()[0].name), QString("JDOE"));
        QCOMPARE(backend->calls()[0].level, 3u);
        QCOMPARE(backend->released(), size_t(1));
        QVERIFY(reporter->errors.isEmpty());
    }

    void readUserInfo3Failure_data() {
        QTest::addColumn<uint>("status");
        QTest::addColumn<QString>("error");
        QTest::newRow("5") << 5u << "The user does not have access to the requested information.";
        QTest::newRow("53")
            << 53u << "The network path specified in the servername parameter was not found.";
        QTest::newRow("124") << 124u << "The value specified for the level parameter is invalid.";
        QTest::newRow("1722") << 1722u << "The RPC server is unavailable.";
        QTest::newRow("2221") << 2221u << "The user name could not be found.";
        QTest::newRow("2351") << 2351u << "The computer name is invalid.";
        QTest::newRow("87") << 87u << "87";
        QTest::newRow("1326") << 1326u << "1326";
    }
    void readUserInfo3Failure() {
        QFETCH(uint, status);
        QFETCH(QString, error);
        net::USER_INFO_3 u;
        u.usri3_name = u"intruder";
        backend->scriptUserGetInfo(status, u);
        tyUserInfo3 info;
        info.Name = u"before";
        info.NumLogons = 4;
        info.Flags.LOCKOUT = true;
        const tyUserInfo3 before = info;
        queries->ReadUserInfo3(u"\\\\DC1", u"nobody", info);
        QVERIFY(info == before);
        QCOMPARE(reporter->errors, QStringList{error});
        QCOMPARE(backend->released(), size_t(1));
    }

    void readUserInfo3SuccessWithoutAnswerChangesNothing() {
        backend->scriptUserGetInfo(0, std::nullopt);
        tyUserInfo3 info;
        info.Name = u"before";
        const tyUserInfo3 before = info;
        queries->ReadUserInfo3(u"", u"jdoe", info);
        QVERIFY(info == before);
        QVERIFY(reporter->errors.isEmpty());
    }

private:
    static void addOps() {
        QTest::addColumn<QString>("op");
        QTest::newRow("users") << "NetUserEnum";
        QTest::newRow("groups") << "NetGroupEnum";
        QTest::newRow("members") << "NetGroupGetUsers";
    }

    void script(const QString& op, uint32_t status, std::optional<Names> names) {
        if (op == "NetUserEnum") {
            backend->scriptUserEnum(status, names);
            return;
        }
        if (op == "NetGroupEnum") {
            std::optional<std::vector<ScriptedBackend::Group>> groups;
            if (names) {
                groups.emplace();
                for (const auto& n : *names) {
                    groups->push_back({n, u"comment of " + n});
                }
            }
            backend->scriptGroupEnum(status, groups);
            return;
        }
        std::optional<std::vector<ScriptedBackend::Member>> members;
        if (names) {
            members.emplace();
            for (const auto& n : *names) {
                members->push_back({n, 7});
            }
        }
        backend->scriptGroupGetUsers(status, members);
    }

    // Runs the enumeration on an array that already holds something, which
    // the query must throw away first.
    QStringList run(const QString& op, const QStringList& before = {"stale"}) {
        QStringList names;
        if (op == "NetUserEnum") {
            tyArrUsers users;
            for (const auto& b : before) {
                users.push_back(b.toStdU16String());
            }
            queries->GetUsers(u"\\\\DC1", users);
            for (const auto& u : users) {
                names << q(u);
            }
        } else if (op == "NetGroupEnum") {
            tyArrGroup1 groups;
            for (const auto& b : before) {
                groups.push_back({b.toStdU16String(), {}});
            }
            queries->GetGroups(u"\\\\DC1", groups);
            for (const auto& g : groups) {
                names << q(g.Name);
                if (q(g.Comment) != "comment of " + q(g.Name)) {
                    names << "(wrong comment)";
                }
            }
        } else {
            tyArrGroupUsersInfo1 members;
            for (const auto& b : before) {
                members.push_back({b.toStdU16String(), {}});
            }
            queries->GetGroupUsers(u"\\\\DC1", u"Sales", members);
            for (const auto& m : members) {
                names << q(m.Name);
            }
        }
        return names;
    }
};

QTEST_APPLESS_MAIN(TestQueries)
#include "tst_queries.moc"
