#include <QtTest>

#include <algorithm>
#include <random>

#include "Ordering.h"
#include "TestSupport.h"

namespace {

tyArrUsers users(const QStringList& names) {
    tyArrUsers r;
    for (const auto& n : names) {
        r.push_back(n.toStdU16String());
    }
    return r;
}

QStringList names(const tyArrUsers& a) {
    QStringList r;
    for (const auto& n : a) {
        r << q(n);
    }
    return r;
}

const QString nbsp3 = QString(3, QChar(0x00A0));

}  // namespace

class TestOrdering : public QObject {
    Q_OBJECT

private slots:
    void nameKeyFoldsAsciiOnly() {
        QCOMPARE(q(NameKey(u"jdoe_Émile-ß-z")), QString::fromUtf8("JDOE_ÉMILE-ß-Z"));
        QCOMPARE(q(NameKey(u"émile")), QString::fromUtf8("éMILE"));
    }

    void sort_data() {
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("case folded")
            << QStringList{"bob", "Alice", "carol", "ALICE2"}
            << QStringList{"Alice", "ALICE2", "bob", "carol"};
        QTest::newRow("digits by code unit")
            << QStringList{"user2", "user10", "user1"} << QStringList{"user1", "user10", "user2"};
        // Z is 0x5A, the underscore 0x5F: folding to capitals puts ZED first.
        QTest::newRow("underscore after letters")
            << QStringList{"_svc", "ZED", "zeta"} << QStringList{"ZED", "zeta", "_svc"};
        QTest::newRow("digits before letters")
            << QStringList{"b", "9", "A", "0"} << QStringList{"0", "9", "A", "b"};
        QTest::newRow("non-ASCII after ASCII")
            << QStringList{QString::fromUtf8("Émile"), "zoe", "_x", "~t"}
            << QStringList{"zoe", "_x", "~t", QString::fromUtf8("Émile")};
        // Folding is ASCII only: é (0xE9) stays above É (0xC9).
        QTest::newRow("accented case not folded")
            << QStringList{QString::fromUtf8("émile"), QString::fromUtf8("Émile")}
            << QStringList{QString::fromUtf8("Émile"), QString::fromUtf8("émile")};
        QTest::newRow("prefix first") << QStringList{"abc", "ab", "a"} << QStringList{"a", "ab", "abc"};
        QTest::newRow("empty") << QStringList{} << QStringList{};
        QTest::newRow("one") << QStringList{"x"} << QStringList{"x"};
    }
    void sort() {
        QFETCH(QStringList, input);
        QFETCH(QStringList, expected);
        auto a = users(input);
        SortUsers(a, 0, 0);
        QCOMPARE(names(a), expected);
    }

    // The partition steps decide where equal keys end up; this pins them.
    void equalKeysFollowThePartitionSteps() {
        auto a = users({"b", "B", "a", "A", "b"});
        SortUsers(a, 0, 0);
        QCOMPARE(names(a), (QStringList{"a", "A", "b", "b", "B"}));
    }

    void sortsASubrange() {
        auto a = users({"d", "c", "b", "a"});
        SortUsers(a, 1, 2);
        QCOMPARE(names(a), (QStringList{"d", "b", "c", "a"}));
    }

    void sortsLargeInputsOfAnyShape_data() {
        QTest::addColumn<QString>("shape");
        QTest::newRow("random") << "random";
        QTest::newRow("sorted") << "sorted";
        QTest::newRow("reversed") << "reversed";
        QTest::newRow("all equal") << "equal";
    }
    void sortsLargeInputsOfAnyShape() {
        QFETCH(QString, shape);
        tyArrUsers a;
        for (int k = 0; k < 100000; ++k) {
            a.push_back(shape == "equal" ? std::u16string(u"same")
                                         : QString::asprintf("u%06d", k).toStdU16String());
        }
        if (shape == "random") {
            std::mt19937 rng(42);
            std::shuffle(a.begin(), a.end(), rng);
        } else if (shape == "reversed") {
            std::reverse(a.begin(), a.end());
        }
        SortUsers(a, 0, 0);
        QVERIFY(std::is_sorted(a.begin(), a.end(), [](const auto& x, const auto& y) {
            return CompareNameKeys(x, y) < 0;
        }));
    }

    void sortMovesWholeRecords() {
        tyArrGroup1 groups{{u"zeta", u"last"}, {u"Alpha", u"first"}, {u"mid", u"middle"}};
        SortGroups(groups, 0, 0);
        QCOMPARE(q(groups[0].Name), QString("Alpha"));
        QCOMPARE(q(groups[0].Comment), QString("first"));
        QCOMPARE(q(groups[2].Comment), QString("last"));

        tyArrUserInfo3 infos(3);
        infos[0].Name = u"carol";
        infos[0].NumLogons = 3;
        infos[1].Name = u"alice";
        infos[1].NumLogons = 1;
        infos[2].Name = u"Bob";
        infos[2].NumLogons = 2;
        SortUsersInfo3(infos, 0, 0);
        QCOMPARE(infos[0].NumLogons, 1u);
        QCOMPARE(infos[1].NumLogons, 2u);
        QCOMPARE(infos[2].NumLogons, 3u);
    }

    void find_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("exact") << "bob" << 1;
        QTest::newRow("ascii case ignored") << "ALICE" << 0;
        QTest::newRow("accented case not ignored") << QString::fromUtf8("ÉMILE") << -1;
        QTest::newRow("accented exact") << QString::fromUtf8("émile") << 3;
        QTest::newRow("before first") << "aaa" << -1;
        QTest::newRow("after last") << QString::fromUtf8("ü") << -1;
        QTest::newRow("between") << "bobby" << -1;
        QTest::newRow("empty name") << "" << -1;
    }
    void find() {
        QFETCH(QString, name);
        QFETCH(int, index);
        tyArrUserInfo3 infos(4);
        infos[0].Name = u"alice";
        infos[1].Name = u"bob";
        infos[2].Name = u"zed";
        infos[3].Name = u"émile";
        SortUsersInfo3(infos, 0, 0);
        QCOMPARE(FindUserInfo3(infos, name.toStdU16String()), index);

        tyArrGroup1 groups;
        for (const auto& i : infos) {
            groups.push_back({i.Name, {}});
        }
        QCOMPARE(FindGroup(groups, name.toStdU16String()), index);
    }

    void findInEmptyArray() {
        QCOMPARE(FindUserInfo3({}, u"x"), -1);
        QCOMPARE(FindGroup({}, u"x"), -1);
    }

    void extract_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("name");
        QTest::newRow("item with detail") << "  jdoe" + nbsp3 + "(John Doe)  " << "jdoe";
        QTest::newRow("ordinary space is no separator") << "jdoe (John Doe)" << "jdoe (John Doe)";
        QTest::newRow("bare name") << "Domain Admins" << "Domain Admins";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("control characters trimmed") << "\t\r\njdoe\x01 " << "jdoe";
        QTest::newRow("no-break space is not trimmed")
            << QString(QChar(0x00A0)) + "jdoe" << QString(QChar(0x00A0)) + "jdoe";
        QTest::newRow("separator in the detail")
            << "a" + nbsp3 + "(b" + nbsp3 + "(c))" << "a";
        QTest::newRow("blank before separator") << "jdoe " + nbsp3 + "(J)" << "jdoe";
        QTest::newRow("two no-break spaces only") << "jdoe" + QString(2, QChar(0xA0)) + "(J)"
                                                  << "jdoe" + QString(2, QChar(0xA0)) + "(J)";
    }
    void extract() {
        QFETCH(QString, item);
        QFETCH(QString, name);
        QCOMPARE(q(ExtractUserName(item.toStdU16String())), name);
        QCOMPARE(q(ExtractGroupName(item.toStdU16String())), name);
    }

    void listItem() {
        QCOMPARE(q(AccountListItem(u"bob", u"Bob Smith")), "bob" + nbsp3 + "(Bob Smith)");
        QCOMPARE(q(AccountListItem(u"bob", u"")), QString("bob"));
        QCOMPARE(q(ExtractUserName(AccountListItem(u"bob", u"Bob (Smith)"))), QString("bob"));
    }
};

QTEST_APPLESS_MAIN(TestOrdering)
#include "tst_ordering.moc"
