// The account lists' order: the ranks that stand in for collation keys of
// ASCII names must order every name exactly as the collation does.

#include <QtTest>

#include <algorithm>
#include <random>

#include "AccountCollator.h"

namespace {

QStringList names(int count, unsigned seed) {
    // Letters of both cases, digits and the punctuation account names carry,
    // with some names that differ only in case and some non-ASCII ones.
    const QString ascii = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ._-$'@#&()+,");
    const QStringList accented = {QString::fromUtf8("é"), QString::fromUtf8("Å"),
                                  QString::fromUtf8("ß"), QString::fromUtf8("ø"),
                                  QString::fromUtf8("ñ"), QString::fromUtf8("Ω")};
    std::mt19937 rng(seed);
    QStringList r;
    for (int i = 0; i < count; ++i) {
        QString n;
        const int len = 1 + int(rng() % 8);
        for (int k = 0; k < len; ++k) {
            n += (rng() % 12 == 0) ? accented[int(rng() % accented.size())]
                                   : QString(ascii[int(rng() % ascii.size())]);
        }
        r << n;
        if (rng() % 5 == 0) {
            r << n.toUpper();
        }
    }
    return r;
}

}  // namespace

class TestAccountOrder : public QObject {
    Q_OBJECT

private slots:
    void ordersAsTheCollation_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("C") << "C";
        QTest::newRow("en_US") << "en_US";
        QTest::newRow("de_DE") << "de_DE";
        QTest::newRow("fr_FR") << "fr_FR";
        QTest::newRow("sv_SE") << "sv_SE";
        // Locales whose rules join ASCII letters: the order falls back to
        // the collation's own keys, with the same result.
        QTest::newRow("cs_CZ") << "cs_CZ";
        QTest::newRow("da_DK") << "da_DK";
    }
    void ordersAsTheCollation() {
        QFETCH(QString, locale);
        const AccountOrder order{QLocale(locale)};
        const QCollator& collator = order.collator();
        const QStringList input = names(3000, 7);
        std::vector<std::pair<AccountSortKey, QString>> keyed;
        for (const QString& n : input) {
            keyed.emplace_back(order.sortKey(n), n);
        }
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
            return a.first.compare(b.first) < 0;
        });
        for (size_t i = 1; i < keyed.size(); ++i) {
            const int byKey = keyed[i - 1].first.compare(keyed[i].first);
            const int byCollation = collator.compare(keyed[i - 1].second, keyed[i].second);
            QVERIFY2(byCollation <= 0 && (byKey == 0) == (byCollation == 0),
                     qPrintable(keyed[i - 1].second + " / " + keyed[i].second));
        }
    }

    void ranksWhereTheLocaleAllows() {
        QVERIFY(AccountOrder(QLocale("en_US")).ranksAscii());
        QVERIFY(AccountOrder(QLocale::c()).ranksAscii());
        // Czech "ch" sorts after "h".
        QVERIFY(!AccountOrder(QLocale("cs_CZ")).ranksAscii());
    }

    void caseIsIgnored() {
        const AccountOrder order{QLocale("en_US")};
        QCOMPARE(order.sortKey("JDoe").compare(order.sortKey("jdoe")), 0);
        QVERIFY(order.sortKey("alice").compare(order.sortKey("Bob")) < 0);
        QVERIFY(order.sortKey(QString::fromUtf8("émile")).compare(order.sortKey("Emily")) < 0);
        QCOMPARE(order.sortKey(QString::fromUtf8("ÉMILE")).compare(order.sortKey(QString::fromUtf8("émile"))), 0);
    }
};

QTEST_GUILESS_MAIN(TestAccountOrder)
#include "tst_accountorder.moc"
