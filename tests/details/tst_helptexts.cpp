// The explanations by help index: the fixed texts word for word, the
// written ones short and plain, and no text where the window asks for an
// index that has none.

#include <QtTest>

#include "HelpTexts.h"

class TestHelpTexts : public QObject {
    Q_OBJECT

private slots:
    void fixedTexts_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        const QList<QPair<int, const char*>> texts = {
            {1, "Name of the user account."},
            {2, "The number of seconds that have elapsed since the password was last changed."},
            {3,
             "The level of privilege assigned. The possible values are: Guest, User or "
             "Administrator."},
            {4, "Path of the home directory of the user."},
            {5, "Comment to associate with the user account."},
            {6, "Path for the user's logon script file."},
            {7, "Full name of the user."},
            {8, "User comment"},
            {12, "The date and time when the account expires."},
            {13, "The maximum amount of disk space the user can use."},
            {18, "The country/region code for the user's language of choice."},
            {19, "The code page for the user's language of choice."},
            {21, "The RID of the Primary Global Group for the user."},
            {22, "Path to the user's profile."},
            {23, "Drive letter assigned to the user's home directory for logon purposes."},
            {24, "Password expiration information."},
            {101, "The logon script executed. This value must be set."},
            {102, "The user's account is disabled."},
            {103, "The home directory is required."},
            {104, "No password is required."},
            {105, "The user cannot change the password."},
            {106, "The account is currently locked out."},
            {107, "The password should never expire on the account."},
            {108,
             "The user's password is stored under reversible encryption in the Active "
             "Directory."},
            {110, "Requires the user to log on to the user account with a smart card."},
            {111,
             "Restrict this principal to use only Data Encryption Standard (DES) "
             "encryption types for keys."},
            {112, "This account does not require Kerberos preauthentication for logon."},
            {114, "The user's password has expired."},
            {116, "This is a default account type that represents a typical user."},
            {118, "This is a computer account for a computer that is a member of this domain."},
            {119,
             "This is a computer account for a backup domain controller that is a member "
             "of this domain."},
            {120, "This is a permit to trust account for a domain that trusts other domains."},
            {201, "The print operator privilege is enabled."},
            {202, "The communications operator privilege is enabled."},
            {203, "The server operator privilege is enabled."},
            {204, "The accounts operator privilege is enabled."},
        };
        for (const auto& [index, text] : texts) {
            QTest::addRow("%d", index) << index << QString::fromUtf8(text);
        }
    }
    void fixedTexts() {
        QFETCH(int, index);
        QFETCH(QString, text);
        QCOMPARE(HelpText(index), text);
    }

    // The texts written for this program: one to three sentences, each
    // saying what its row or flag is about.
    void writtenTexts_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("9 Workstations") << 9 << QStringList{"workstations", "commas", "eight"};
        QTest::newRow("10 LastLogon") << 10 << QStringList{"last logged on", "BDC", "largest"};
        QTest::newRow("11 LastLogoff") << 11 << QStringList{"last logged off", "BDC", "largest"};
        QTest::newRow("14 UnitsPerWeek") << 14 << QStringList{"week", "logon-hours"};
        QTest::newRow("15 BadPwCount")
            << 15 << QStringList{"wrong password", "PDC", "BDC", "largest"};
        QTest::newRow("16 NumLogons") << 16 << QStringList{"successfully", "BDC", "sum"};
        QTest::newRow("17 LogonServer")
            << 17 << QStringList{"logon requests", "\\\\*", "NULL", "domain controller"};
        QTest::newRow("20 UserId") << 20 << QStringList{"RID", "SAM", "unique", "domain"};
        QTest::newRow("109 NOT_DELEGATED") << 109 << QStringList{"sensitive", "delegates"};
        QTest::newRow("113 TRUSTED_FOR_DELEGATION")
            << 113 << QStringList{"delegation", "identity", "security-sensitive"};
        QTest::newRow("115 TRUSTED_TO_AUTHENTICATE_FOR_DELEGATION")
            << 115 << QStringList{"Kerberos", "constrained delegation", "security-sensitive"};
        QTest::newRow("117 TEMP_DUPLICATE_ACCOUNT")
            << 117 << QStringList{"another domain", "trust", "local user account"};
    }
    void writtenTexts() {
        QFETCH(int, index);
        QFETCH(QStringList, words);
        const QString text = HelpText(index);
        for (const QString& w : words) {
            QVERIFY2(text.contains(w), qPrintable(w + " not in: " + text));
        }
        QVERIFY(text.endsWith('.'));
        // Sentences end in ". " or at the end; "(\\*)" and "(RID)" are no ends.
        const qsizetype sentences = text.count(". ") + 1;
        QVERIFY2(sentences >= 1 && sentences <= 3, qPrintable(text));
        QVERIFY(!text.contains("  "));
    }

    void noText_data() {
        QTest::addColumn<int>("index");
        for (int i : {-201, -1, 0, 25, 99, 100, 121, 199, 200, 205, 300, 100000}) {
            QTest::addRow("%d", i) << i;
        }
    }
    void noText() {
        QFETCH(int, index);
        QCOMPARE(HelpText(index), QString());
    }

    void exactlyTheFortyEightIndicesHaveTexts() {
        QList<int> indices;
        for (int i = -300; i <= 1000; ++i) {
            if (!HelpText(i).isEmpty()) {
                indices << i;
            }
        }
        QCOMPARE(indices.size(), 48);
        QCOMPARE(indices.first(), 1);
        QCOMPARE(indices.at(23), 24);
        QCOMPARE(indices.at(24), 101);
        QCOMPARE(indices.at(43), 120);
        QCOMPARE(indices.at(44), 201);
        QCOMPARE(indices.last(), 204);
    }
};

QTEST_APPLESS_MAIN(TestHelpTexts)
#include "tst_helptexts.moc"
