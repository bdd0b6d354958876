#include <QtTest>

#include "Decoding.h"
#include "TestSupport.h"
#include "Text.h"

namespace {

QStringList trueFlags(const tyUi3Flags& f) {
    QStringList names;
    for (const auto& field : kUi3FlagFields) {
        if (f.*field.field) {
            names << QString::fromLatin1(field.name.data(), qsizetype(field.name.size()));
        }
    }
    return names;
}

template <class Record, size_t N>
QStringList trueNames(const std::array<FlagField<Record>, N>& fields, const Record& r) {
    QStringList names;
    for (const auto& field : fields) {
        if (r.*field.field) {
            names << QString::fromLatin1(field.name.data(), qsizetype(field.name.size()));
        }
    }
    return names;
}

}  // namespace

class TestDecoding : public QObject {
    Q_OBJECT

private slots:
    void userFlags_data() {
        QTest::addColumn<uint>("value");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("disabled normal") << 0x202u << QStringList{"ACCOUNTDISABLE", "NORMAL_ACCOUNT"};
        QTest::newRow("locked, no expiry")
            << 0x10010u << QStringList{"LOCKOUT", "DONT_EXPIRE_PASSWD"};
        QTest::newRow("none") << 0u << QStringList{};
        // Field order, not mask order: LOCKOUT (0x10) after PASSWD_CANT_CHANGE
        // (0x40), NORMAL_ACCOUNT (0x200) before TEMP_DUPLICATE_ACCOUNT (0x100).
        QTest::newRow("order")
            << 0x370u
            << QStringList{"PASSWD_NOTREQD", "PASSWD_CANT_CHANGE", "LOCKOUT", "NORMAL_ACCOUNT",
                           "TEMP_DUPLICATE_ACCOUNT"};
        QTest::newRow("high bits")
            << 0x1E43800u
            << QStringList{"SMARTCARD_REQUIRED", "USE_DES_KEY_ONLY", "DONT_REQUIRE_PREAUTH",
                           "PASSWORD_EXPIRED", "TRUSTED_TO_AUTHENTICATE_FOR_DELEGATION",
                           "WORKSTATION_TRUST_ACCOUNT", "SERVER_TRUST_ACCOUNT",
                           "INTERDOMAIN_TRUST_ACCOUNT"};
        QTest::newRow("all twenty") << 0xFFFFFFFFu
                                    << [] {
                                           QStringList all;
                                           for (const auto& f : kUi3FlagFields) {
                                               all << QString::fromLatin1(f.name.data(),
                                                                          qsizetype(f.name.size()));
                                           }
                                           return all;
                                       }();
    }
    void userFlags() {
        QFETCH(uint, value);
        QFETCH(QStringList, expected);
        QCOMPARE(trueFlags(DecodeUi3Flags(value)), expected);
    }

    void authFlags() {
        QCOMPARE(trueNames(kUi3AuthFlagFields, DecodeUi3AuthFlags(0x5)),
                 (QStringList{"PRINT", "SERVER"}));
        QCOMPARE(trueNames(kUi3AuthFlagFields, DecodeUi3AuthFlags(0xA)),
                 (QStringList{"COMM", "ACCOUNTS"}));
    }

    void membershipAttributes_data() {
        QTest::addColumn<uint>("value");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("0x7") << 0x7u
                             << QStringList{"MANDATORY", "ENABLED_BY_DEFAULT", "ENABLED"};
        // Either bit of the two-bit logon-id mask sets the flag.
        QTest::newRow("logon id high bit") << 0x80000000u << QStringList{"LOGON_ID"};
        QTest::newRow("logon id low bit") << 0x40000000u << QStringList{"LOGON_ID"};
        QTest::newRow("resource, integrity")
            << 0x20000060u << QStringList{"INTEGRITY", "INTEGRITY_ENABLED", "RESOURCE"};
    }
    void membershipAttributes() {
        QFETCH(uint, value);
        QFETCH(QStringList, expected);
        QCOMPARE(trueNames(kGroupUsersAttributeFields, DecodeGroupUsersAttributes(value)),
                 expected);
    }

    void dates_data() {
        QTest::addColumn<uint>("seconds");
        QTest::addColumn<double>("logon");
        QTest::addColumn<double>("expires");
        QTest::newRow("no date") << 0u << 0.0 << 0.0;
        QTest::newRow("1970-01-02") << 86400u << 25570.0 << 25570.0;
        QTest::newRow("01:00 that day") << 90000u << 25569.0 + 90000.0 / 86400.0
                                        << 25569.0 + 90000.0 / 86400.0;
        // TIMEQ_FOREVER means "never" only for the expiry; as a logon time
        // it is just a (far) date.
        QTest::newRow("forever") << 4294967295u << 25569.0 + 4294967295.0 / 86400.0
                                 << 4294967295.0;
    }
    void dates() {
        QFETCH(uint, seconds);
        QFETCH(double, logon);
        QFETCH(double, expires);
        QCOMPARE(SecondsSince1970ToDateTime(seconds), logon);
        QCOMPARE(AcctExpiresToDateTime(seconds), expires);
    }

    void texts_data() {
        QTest::addColumn<uint>("value");
        QTest::addColumn<QString>("priv");
        QTest::addColumn<QString>("units");
        QTest::newRow("0") << 0u << "Guest" << "";
        QTest::newRow("1") << 1u << "User" << "";
        QTest::newRow("2") << 2u << "Administrator" << "";
        QTest::newRow("3") << 3u << "" << "";
        QTest::newRow("7") << 7u << "" << "DAY (7)";
        QTest::newRow("52") << 52u << "" << "";
        QTest::newRow("168") << 168u << "" << "HOURS (24*7=168)";
        QTest::newRow("10080") << 10080u << "" << "MINUTES (60*24*7=10080)";
    }
    void texts() {
        QFETCH(uint, value);
        QFETCH(QString, priv);
        QFETCH(QString, units);
        QCOMPARE(q(PrivToText(value)), priv);
        QCOMPARE(q(UnitsPerWeekToText(value)), units);
    }

    void userInfo3() {
        uint8_t hours[21];
        std::fill(std::begin(hours), std::end(hours), uint8_t{0x00});
        hours[0] = 0xFF;
        net::USER_INFO_3 u;
        u.usri3_name = u"jdoe";
        u.usri3_password = u"must not be read";
        u.usri3_password_age = 3600;
        u.usri3_priv = 2;
        u.usri3_home_dir = u"\\\\fs1\\home\\jdoe";
        u.usri3_comment = nullptr;
        u.usri3_flags = 0x202;
        u.usri3_auth_flags = 0x5;
        u.usri3_full_name = u"John Doe";
        u.usri3_last_logon = 86400;
        u.usri3_last_logoff = 0;
        u.usri3_acct_expires = net::TimeqForever;
        u.usri3_max_storage = 4294967295u;
        u.usri3_units_per_week = 168;
        u.usri3_logon_hours = hours;
        u.usri3_bad_pw_count = 3;
        u.usri3_num_logons = 17;
        u.usri3_logon_server = u"\\\\*";
        u.usri3_country_code = 33;
        u.usri3_code_page = 1252;
        u.usri3_user_id = 1104;
        u.usri3_primary_group_id = 513;
        u.usri3_profile = u"\\\\fs1\\profiles\\jdoe";
        u.usri3_home_dir_drive = u"H:";
        u.usri3_password_expired = 1;

        // Every field is assigned, also the ones the answer leaves empty.
        tyUserInfo3 info;
        info.Comment = u"stale";
        info.UsrComment = u"stale";
        DecodeUserInfo3(u, info);

        QCOMPARE(q(info.Name), QString("jdoe"));
        QCOMPARE(info.PasswordAge, 3600u);
        QCOMPARE(q(info.Priv), QString("Administrator"));
        QCOMPARE(q(info.HomeDir), QString("\\\\fs1\\home\\jdoe"));
        QCOMPARE(q(info.Comment), QString());
        QVERIFY(info.Flags.ACCOUNTDISABLE && info.Flags.NORMAL_ACCOUNT && !info.Flags.SCRIPT);
        QVERIFY(info.AuthFlags.PRINT && info.AuthFlags.SERVER && !info.AuthFlags.COMM);
        QCOMPARE(q(info.ScriptPath), QString());
        QCOMPARE(q(info.FullName), QString("John Doe"));
        QCOMPARE(q(info.UsrComment), QString());
        QCOMPARE(info.LastLogon, 25570.0);
        QCOMPARE(info.LastLogoff, 0.0);
        QCOMPARE(info.AcctExpires, 4294967295.0);
        QCOMPARE(info.MaxStorage, 4294967295u);
        QCOMPARE(q(info.UnitsPerWeek), QString("HOURS (24*7=168)"));
        QCOMPARE(info.LogonHours, 255u);
        QCOMPARE(info.BadPwCount, 3u);
        QCOMPARE(info.NumLogons, 17u);
        QCOMPARE(q(info.LogonServer), QString("\\\\*"));
        QCOMPARE(info.CountryCode, 33u);
        QCOMPARE(info.CodePage, 1252u);
        QCOMPARE(info.UserId, 1104u);
        QCOMPARE(info.PrimaryGroupId, 513u);
        QCOMPARE(q(info.Profile), QString("\\\\fs1\\profiles\\jdoe"));
        QCOMPARE(q(info.HomeDirDrive), QString("H:"));
        QCOMPARE(info.PasswordExpired, 1u);
    }

    void logonHours_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("rest");
        QTest::addColumn<uint>("expected");
        QTest::newRow("0xFF, rest zero") << 0xFF << 0x00 << 255u;
        QTest::newRow("zero, rest 0xFF") << 0x00 << 0xFF << 0u;
        QTest::newRow("sunday 00-02") << 0x07 << 0xFF << 7u;
    }
    void logonHours() {
        QFETCH(int, first);
        QFETCH(int, rest);
        QFETCH(uint, expected);
        uint8_t hours[21];
        std::fill(std::begin(hours), std::end(hours), uint8_t(rest));
        hours[0] = uint8_t(first);
        net::USER_INFO_3 u;
        u.usri3_logon_hours = hours;
        tyUserInfo3 info;
        DecodeUserInfo3(u, info);
        QCOMPARE(info.LogonHours, expected);
    }

    void missingLogonHoursMeanAllHours() {
        net::USER_INFO_3 u;
        tyUserInfo3 info;
        DecodeUserInfo3(u, info);
        QCOMPARE(info.LogonHours, 255u);
    }

    void groupAndMembership() {
        net::GROUP_INFO_1 g{u"Sales", nullptr};
        QCOMPARE(q(DecodeGroup1(g).Name), QString("Sales"));
        QCOMPARE(q(DecodeGroup1(g).Comment), QString());
        net::GROUP_USERS_INFO_1 m{u"bob", 0x7};
        const auto r = DecodeGroupUsersInfo1(m);
        QCOMPARE(q(r.Name), QString("bob"));
        QVERIFY(r.Attributes.MANDATORY && r.Attributes.ENABLED && !r.Attributes.OWNER);
    }

    void utf8_data() {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QString>("utf16");
        QTest::newRow("ascii") << QByteArray("jdoe") << "jdoe";
        QTest::newRow("accents") << QByteArray("\xC3\x89mile") << QString::fromUtf8("Émile");
        QTest::newRow("astral") << QByteArray("\xF0\x9F\x98\x80") << QString::fromUtf8("😀");
        QTest::newRow("stray continuation") << QByteArray("a\x80z") << QString::fromUtf8("a\uFFFDz");
        QTest::newRow("truncated") << QByteArray("a\xE2\x82") << QString::fromUtf8("a\uFFFD");
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << QString::fromUtf8("\uFFFD");
    }
    void utf8() {
        QFETCH(QByteArray, utf8);
        QFETCH(QString, utf16);
        QCOMPARE(q(Utf8ToUtf16(std::string_view(utf8.constData(), size_t(utf8.size())))), utf16);
        if (!utf16.contains(QChar(0xFFFD))) {
            QCOMPARE(QByteArray::fromStdString(Utf16ToUtf8(utf16.toStdU16String())), utf8);
        }
    }
};

QTEST_APPLESS_MAIN(TestDecoding)
#include "tst_decoding.moc"
