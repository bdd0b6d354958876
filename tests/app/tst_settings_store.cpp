// The settings record and its store: defaults, version codes, and loading
// and saving through the settings file, including every way a stored value
// or the whole file can be wrong.
// The file texts are escaped the ordinary way, not as raw strings: Qt 6.4's
// moc loses the test class after a raw string that holds a quotation mark.
#include <QtTest>

#include <cmath>
#include <functional>

#include "RegFile.h"
#include "SettingsStore.h"

Q_DECLARE_METATYPE(tyConfig)
Q_DECLARE_METATYPE(tyListFont)

namespace {

constexpr tyDateTime kToday = 46000.0;  // 2025-12-10

const QString kKeyPath = QStringLiteral("HKEY_CURRENT_USER\\Software\\zentory.example\\Zentory");

QString fullPath(const QString& subkey) {
    return subkey.isEmpty() ? kKeyPath : kKeyPath + u'\\' + subkey;
}
QString keyLine(const QString& subkey) {
    return u'[' + fullPath(subkey) + u']';
}

tyConfig defaults() {
    tyConfig c;
    SetDefaultConfigValues(c, kToday);
    return c;
}

// Every stored Boolean, with the name of its key and value, its default,
// and its field written out here independently of the store's own table:
// the field names come from the stringized member, so a name and a field
// cannot be paired wrongly on both sides at once.
struct BooleanSetting {
    QString key;
    QString name;
    bool byDefault;
    std::function<bool&(tyConfig&)> field;
};

#define MAIN(NAME, FIELD, DEF) {"", NAME, DEF, [](tyConfig& c) -> bool& { return c.FIELD; }}
#define VALCHECK(FIELD, DEF) \
    {"ValCheck", #FIELD, DEF, [](tyConfig& c) -> bool& { return c.ValCheck.FIELD; }}
#define FLAG(FIELD, DEF) \
    {"ValCheck\\Flags", #FIELD, DEF, [](tyConfig& c) -> bool& { return c.ValCheck.Flags.FIELD; }}
#define AUTHFLAG(FIELD) \
    {"ValCheck\\AuthFlags", #FIELD, false, [](tyConfig& c) -> bool& { return c.ValCheck.AuthFlags.FIELD; }}

const std::vector<BooleanSetting>& booleanSettings() {
    static const std::vector<BooleanSetting> all = {
        MAIN("MainShowFullName", MainDet.ShowFullName, false),
        MAIN("MainShowComment", MainDet.ShowComment, false),
        MAIN("CompShowFullName", CompDet.ShowFullName, true),
        MAIN("CompShowComment", CompDet.ShowComment, true),
        MAIN("WarnDCnotFound", ShowWarnDCNotFound, true),
        MAIN("WarnUsrUnkn", ShowWarnUserUnkn, true),
        MAIN("WarnGrpUnkn", ShowWarnGrpUnkn, true),
        MAIN("AutoSelectGroup", AutoSelectGroup, false),
        MAIN("AutoSelectUser", AutoSelectUser, false),
        VALCHECK(Name, true), VALCHECK(PasswordAge, true), VALCHECK(Priv, false),
        VALCHECK(HomeDir, false), VALCHECK(Comment, true), VALCHECK(ScriptPath, false),
        VALCHECK(FullName, true), VALCHECK(UsrComment, true), VALCHECK(Workstations, false),
        VALCHECK(LastLogon, true), VALCHECK(LastLogoff, true), VALCHECK(AcctExpires, true),
        VALCHECK(MaxStorage, false), VALCHECK(UnitsPerWeek, false), VALCHECK(LogonHours, false),
        VALCHECK(BadPwCount, true), VALCHECK(NumLogons, true), VALCHECK(LogonServer, false),
        VALCHECK(CountryCode, false), VALCHECK(CodePage, false), VALCHECK(UserId, false),
        VALCHECK(PrimaryGroupId, false), VALCHECK(Profile, false), VALCHECK(HomeDirDrive, false),
        VALCHECK(PasswordExpired, false),
        FLAG(SCRIPT, false), FLAG(ACCOUNTDISABLE, true), FLAG(HOMEDIR_REQUIRED, false),
        FLAG(PASSWD_NOTREQD, true), FLAG(PASSWD_CANT_CHANGE, true), FLAG(LOCKOUT, false),
        FLAG(DONT_EXPIRE_PASSWD, true), FLAG(ENCRYPTED_TEXT_PASSWORD_ALLOWED, false),
        FLAG(NOT_DELEGATED, false), FLAG(SMARTCARD_REQUIRED, false), FLAG(USE_DES_KEY_ONLY, false),
        FLAG(DONT_REQUIRE_PREAUTH, false), FLAG(TRUSTED_FOR_DELEGATION, false),
        FLAG(PASSWORD_EXPIRED, true), FLAG(TRUSTED_TO_AUTHENTICATE_FOR_DELEGATION, false),
        FLAG(NORMAL_ACCOUNT, false), FLAG(TEMP_DUPLICATE_ACCOUNT, false),
        FLAG(WORKSTATION_TRUST_ACCOUNT, false), FLAG(SERVER_TRUST_ACCOUNT, false),
        FLAG(INTERDOMAIN_TRUST_ACCOUNT, false),
        AUTHFLAG(PRINT), AUTHFLAG(COMM), AUTHFLAG(SERVER), AUTHFLAG(ACCOUNTS),
    };
    return all;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A settings file: REGEDIT4, then the lines given, CR LF.
QByteArray regFile(const QStringList& lines) {
    return (QStringList{"REGEDIT4", ""} + lines).join("\r\n").toUtf8() + "\r\n";
}

QByteArray crlfFromFixture(const QString& name) {
    QByteArray bytes = readAll(QFINDTESTDATA(name));
    bytes.replace("\r\n", "\n");
    bytes.replace("\n", "\r\n");
    return bytes;
}

RegData dword(uint32_t n) {
    return {kRegDword, {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)}};
}

}  // namespace

// What QCOMPARE prints when two of these differ.
char* toString(const RegData& d) {
    QByteArray hex;
    for (uint8_t b : d.bytes) hex += QByteArray::number(b, 16).rightJustified(2, '0') + ',';
    hex.chop(1);
    return qstrdup("type " + QByteArray::number(d.type) + ": " + hex);
}

char* toString(const tyConfig& config) {
    tyConfig c = config;
    QByteArray text = "FirstExec " + QByteArray::number(c.FirstExec, 'f', 4) + ", NbExecution " +
                      QByteArray::number(c.NbExecution) + ", True:";
    for (const BooleanSetting& s : booleanSettings()) {
        if (s.field(c)) text += ' ' + (s.key.isEmpty() ? s.name : s.key + '\\' + s.name).toUtf8();
    }
    return qstrdup(text);
}

char* toString(const tyListFont& f) {
    return qstrdup(QStringLiteral("%1 %2pt colour %3 %4%5%6%7")
                       .arg(QString::fromStdU16String(f.Name))
                       .arg(f.Size)
                       .arg(f.Color, 8, 16, QLatin1Char('0'))
                       .arg(f.Bold ? "B" : "-", f.Italic ? "I" : "-", f.Underline ? "U" : "-",
                            f.StrikeOut ? "S" : "-")
                       .toUtf8());
}

class TestSettingsStore : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

    SettingsStore store() const { return SettingsStore(m_path); }

    // The value as the last save left it; type 0 when there is none.
    RegData savedValue(const QString& subkey, const QString& name) const {
        return RegFile::parse(readAll(m_path), m_path).value(fullPath(subkey), name).value_or(RegData{});
    }

    // Loads the settings file into the defaults.
    std::pair<tyConfig, tyListFont> load(std::string_view version = "206") const {
        std::pair<tyConfig, tyListFont> r{defaults(), tyListFont{}};
        store().LoadConfig(r.first, r.second, version);
        return r;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath("settings.reg");
    }

    // ---- the record and the version code --------------------------------

    void defaultsOfTheRecord() {
        const tyConfig c = defaults();
        QCOMPARE(c.FirstExec, kToday);
        QCOMPARE(c.NbExecution, 0);
        for (const BooleanSetting& s : booleanSettings()) {
            tyConfig copy = c;
            QVERIFY2(s.field(copy) == s.byDefault, qPrintable(s.key + u'\\' + s.name));
        }
        QCOMPARE(int(booleanSettings().size()), 9 + 49);
    }

    void defaultsOverwriteEverything() {
        tyConfig c;
        SetDefaultConfigValues(c, 1.0);
        c.NbExecution = 7;
        c.ValCheck.Flags.LOCKOUT = true;
        c.MainDet.ShowComment = true;
        SetDefaultConfigValues(c, kToday);
        QCOMPARE(c, defaults());
    }

    void currentDateIsTodayAtMidnight() {
        const QDate epoch(1899, 12, 30);
        const qint64 before = epoch.daysTo(QDate::currentDate());
        const tyDateTime today = CurrentDate();
        const qint64 after = epoch.daysTo(QDate::currentDate());
        QCOMPARE(today, std::floor(today));
        QVERIFY(today == double(before) || today == double(after));
    }

    void versionCode_data() {
        QTest::addColumn<uint>("major");
        QTest::addColumn<uint>("minor");
        QTest::addColumn<QString>("code");
        QTest::newRow("2.6") << 2u << 6u << "206";
        QTest::newRow("2.15") << 2u << 15u << "215";
        QTest::newRow("2.99") << 2u << 99u << "299";
        QTest::newRow("2.100") << 2u << 100u << "2100";
        QTest::newRow("2.106") << 2u << 106u << "2106";
        QTest::newRow("21.6") << 21u << 6u << "2106";
        QTest::newRow("2.150") << 2u << 150u << "2150";
        QTest::newRow("2.999") << 2u << 999u << "2999";
        QTest::newRow("2.1000") << 2u << 1000u << "21000";
        QTest::newRow("3.1200") << 3u << 1200u << "31200";
        QTest::newRow("2.9999") << 2u << 9999u << "29999";
        QTest::newRow("2.10000") << 2u << 10000u << "210000";
        QTest::newRow("0.0") << 0u << 0u << "0";
        QTest::newRow("1.0") << 1u << 0u << "100";
        QTest::newRow("65535.65535") << 65535u << 65535u << "6553565535";
    }
    void versionCode() {
        QFETCH(uint, major);
        QFETCH(uint, minor);
        QFETCH(QString, code);
        QCOMPARE(QString::fromStdString(VersionCode(major, minor)), code);
    }

    void defaultFileIsInTheConfigurationFolder() {
        QVERIFY(QStandardPaths::isTestModeEnabled());
        QCOMPARE(DefaultSettingsFilePath(),
                 QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                     "/zentory/settings.reg");
#ifndef _WIN32
        QCOMPARE(SettingsStore().filePath(), DefaultSettingsFilePath());
#endif
    }

    // ---- first run and the run counter ------------------------------------

    void noFileLeavesTheDefaults() {
        tyListFont font;
        font.Bold = true;  // not the design font: nothing may touch it
        tyConfig c = defaults();
        store().LoadConfig(c, font, "206");
        QCOMPARE(c, defaults());
        tyListFont bold;
        bold.Bold = true;
        QCOMPARE(font, bold);
        QVERIFY(!QFile::exists(m_path));
    }

    void firstSaveWritesTheFiveKeys() {
        QVERIFY(store().SaveConfig(defaults(), tyListFont{}, "206"));
        const QByteArray saved = readAll(m_path);
        QCOMPARE(saved, crlfFromFixture("settings_first_save_206.reg"));
        // And it loads as it was saved, the counter one up.
        auto [c, font] = load();
        tyConfig expected = defaults();
        expected.NbExecution = 1;
        QCOMPARE(c, expected);
        QCOMPARE(font, tyListFont{});
    }

    void emptyFileIsLikeNoFile() {
        writeAll(m_path, "");
        QCOMPARE(load().first, defaults());
        QVERIFY(store().SaveConfig(defaults(), tyListFont{}, "206"));
        QCOMPARE(readAll(m_path), crlfFromFixture("settings_first_save_206.reg"));
    }

    void runCounterIsOneAboveTheLoadedCount() {
        writeAll(m_path, regFile({keyLine(""), "\"NbExecution_206\"=dword:00000031", ""}));
        auto [c, font] = load();
        QCOMPARE(c.NbExecution, 49);
        for (int save = 0; save < 3; ++save) {
            QVERIFY(store().SaveConfig(c, font, "206"));
            QCOMPARE(c.NbExecution, 49);
            QCOMPARE(savedValue("", "NbExecution_206"), dword(50));
        }
        QCOMPARE(load().first.NbExecution, 50);
    }

    void versionsKeepTheirOwnCounters() {
        tyConfig v26 = defaults();
        v26.FirstExec = 45271.0;
        v26.NbExecution = 4;
        QVERIFY(store().SaveConfig(v26, tyListFont{}, VersionCode(2, 6)));

        // 2.7 starts from today and 0, and sees the shared values of 2.6.
        tyConfig v27 = defaults();
        tyListFont font;
        v27.MainDet.ShowComment = true;  // about to be overwritten by the stored False
        store().LoadConfig(v27, font, VersionCode(2, 7));
        QCOMPARE(v27, defaults());
        v27.MainDet.ShowComment = true;
        v27.ValCheck.Priv = true;
        QVERIFY(store().SaveConfig(v27, font, VersionCode(2, 7)));

        QCOMPARE(savedValue("", "NbExecution_206"), dword(5));
        QCOMPARE(savedValue("", "NbExecution_207"), dword(1));
        QCOMPARE(savedValue("", "FirstExec_206").bytes.size(), size_t(8));
        QCOMPARE(savedValue("", "FirstExec_207").bytes.size(), size_t(8));

        const tyConfig again26 = load(VersionCode(2, 6)).first;
        QCOMPARE(again26.FirstExec, 45271.0);
        QCOMPARE(again26.NbExecution, 5);
        QVERIFY(again26.MainDet.ShowComment);
        QVERIFY(again26.ValCheck.Priv);
        const tyConfig again27 = load(VersionCode(2, 7)).first;
        QCOMPARE(again27.FirstExec, kToday);
        QCOMPARE(again27.NbExecution, 1);
    }

    void versionsWithOneCodeShareTheCounter() {
        tyConfig c = defaults();
        c.NbExecution = 9;
        QVERIFY(store().SaveConfig(c, tyListFont{}, VersionCode(2, 106)));
        QCOMPARE(load(VersionCode(21, 6)).first.NbExecution, 10);
    }

    void firstExecRoundTrips() {
        tyConfig c = defaults();
        c.FirstExec = 45271.5;  // a time of day is kept too
        QVERIFY(store().SaveConfig(c, tyListFont{}, "206"));
        QCOMPARE(savedValue("", "FirstExec_206"),
                 (RegData{kRegBinary, {0x00, 0x00, 0x00, 0x00, 0xf0, 0x1a, 0xe6, 0x40}}));
        QCOMPARE(load().first.FirstExec, 45271.5);
    }

    // ---- values one by one -------------------------------------------------

    void eachBooleanHasItsNameAndField_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(booleanSettings().size()); ++i) {
            const auto& s = booleanSettings()[size_t(i)];
            QTest::newRow(qPrintable(s.key + u'\\' + s.name)) << i;
        }
    }
    // A key holding that value alone, turned away from its default: only its
    // field is loaded, every other keeps its default; and saving the field
    // writes it under that name.
    void eachBooleanHasItsNameAndField() {
        QFETCH(int, index);
        const BooleanSetting& s = booleanSettings()[size_t(index)];
        writeAll(m_path, regFile({keyLine(s.key),
                                  QStringLiteral("\"%1\"=dword:0000000%2").arg(s.name).arg(s.byDefault ? 0 : 1),
                                  ""}));
        tyConfig expected = defaults();
        s.field(expected) = !s.byDefault;
        const tyConfig loaded = load().first;
        QCOMPARE(loaded, expected);

        QVERIFY(store().SaveConfig(loaded, tyListFont{}, "206"));
        const bool alwaysTrue = s.key == "ValCheck" && s.name == "Name";
        QCOMPARE(savedValue(s.key, s.name), dword(alwaysTrue || !s.byDefault ? 1 : 0));
    }

    void anyNonZeroIsTrueAndSavedAsOne_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("2") << "00000002";
        QTest::newRow("all bits") << "ffffffff";
        QTest::newRow("high bit") << "80000000";
    }
    void anyNonZeroIsTrueAndSavedAsOne() {
        QFETCH(QString, stored);
        writeAll(m_path, regFile({keyLine(""), "\"MainShowFullName\"=dword:" + stored,
                                  "\"WarnDCnotFound\"=dword:00000000", ""}));
        const auto [c, font] = load();
        QVERIFY(c.MainDet.ShowFullName);
        QVERIFY(!c.ShowWarnDCNotFound);
        QVERIFY(store().SaveConfig(c, font, "206"));
        QCOMPARE(savedValue("", "MainShowFullName"), dword(1));
        QCOMPARE(savedValue("", "WarnDCnotFound"), dword(0));
    }

    void valCheckNameIsAlwaysStoredTrue() {
        writeAll(m_path, regFile({keyLine("ValCheck"), "\"Name\"=dword:00000000", ""}));
        const auto [c, font] = load();
        QVERIFY(!c.ValCheck.Name);
        QVERIFY(store().SaveConfig(c, font, "206"));
        QCOMPARE(savedValue("ValCheck", "Name"), dword(1));
        QVERIFY(!c.ValCheck.Name);
    }

    void valuesAreMatchedWithoutCase() {
        writeAll(m_path, regFile({"[" + fullPath("valcheck\\FLAGS").toUpper() + "]",
                                  "\"lockout\"=dword:00000001", ""}));
        QVERIFY(load().first.ValCheck.Flags.LOCKOUT);
    }

    // ---- the list font -----------------------------------------------------

    void listFont_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<tyListFont>("before");
        QTest::addColumn<tyListFont>("expected");

        tyListFont styled;
        styled.Bold = styled.Italic = styled.Underline = styled.StrikeOut = true;
        tyListFont courier;
        courier.Name = u"Courier New";
        QTest::newRow("no Font key: unchanged, styles too")
            << QStringList{keyLine(""), "\"MainShowFullName\"=dword:00000001"} << styled << styled;
        QTest::newRow("only Name: that face, design size and colour, no style")
            << QStringList{keyLine("Font"), "\"Name\"=\"Courier New\""} << styled << courier;
        QTest::newRow("empty Font key: styles cleared")
            << QStringList{keyLine("Font")} << styled << tyListFont{};

        tyListFont full;
        full.Color = RgbColor(0x12, 0x34, 0x56);
        full.Name = u"Verdana";
        full.Size = 11;
        full.Italic = full.StrikeOut = true;
        QTest::newRow("every value")
            << QStringList{keyLine("Font"), "\"Color\"=dword:00563412", "\"Name\"=\"Verdana\"",
                           "\"Size\"=dword:0000000b", "\"Style.Bold\"=dword:00000000",
                           "\"Style.Italic\"=dword:00000001", "\"Style.Underline\"=dword:00000000",
                           "\"Style.StrikeOut\"=dword:00000007"}
            << tyListFont{} << full;
        tyListFont onlyBold;
        onlyBold.Bold = true;
        QTest::newRow("one style stored: the others cleared")
            << QStringList{keyLine("Font"), "\"Style.Bold\"=dword:00000001"} << styled << onlyBold;
        tyListFont system;
        system.Color = 0xFF00000F;  // button face
        QTest::newRow("a system colour") << QStringList{keyLine("Font"), "\"Color\"=dword:ff00000f"}
                                         << tyListFont{} << system;
    }
    void listFont() {
        QFETCH(QStringList, lines);
        QFETCH(tyListFont, before);
        QFETCH(tyListFont, expected);
        writeAll(m_path, regFile(lines + QStringList{""}));
        tyConfig c = defaults();
        tyListFont font = before;
        store().LoadConfig(c, font, "206");
        QCOMPARE(font, expected);

        // What is loaded is saved and loads the same.
        QVERIFY(store().SaveConfig(c, font, "206"));
        tyListFont again;
        store().LoadConfig(c, again, "206");
        QCOMPARE(again, expected);
    }

    void texts_data() {
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("line");  // as it stands in the file; empty: not checked
        QTest::newRow("backslash") << "Back\\slash" << "\"Name\"=\"Back\\\\slash\"";
        QTest::newRow("quotes") << "The \"Font\"" << "\"Name\"=\"The \\\"Font\\\"\"";
        QTest::newRow("both at the ends") << "\\\"x\"\\" << "\"Name\"=\"\\\\\\\"x\\\"\\\\\"";
        QTest::newRow("non-ASCII") << QString::fromUtf8("Ärger 字体 😀")
                                   << QString::fromUtf8("\"Name\"=\"Ärger 字体 😀\"");
        QTest::newRow("empty") << "" << "\"Name\"=\"\"";
        QTest::newRow("line break") << "two\nlines" << "\"Name\"=hex(1):74,77,6f,0a,6c,69,6e,65,73,00";
        QTest::newRow("trailing spaces") << "Tahoma  " << "\"Name\"=\"Tahoma  \"";
    }
    void texts() {
        QFETCH(QString, face);
        QFETCH(QString, line);
        tyListFont font;
        font.Name = face.toStdU16String();
        QVERIFY(store().SaveConfig(defaults(), font, "206"));
        QVERIFY2(QString::fromUtf8(readAll(m_path)).split("\r\n").contains(line),
                 qPrintable(QString::fromUtf8(readAll(m_path))));
        tyConfig c = defaults();
        tyListFont again;
        store().LoadConfig(c, again, "206");
        QCOMPARE(QString::fromStdU16String(again.Name), face);
    }

    // ---- values of the wrong type -----------------------------------------

    void wrongType_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("message");
        QTest::addColumn<tyConfig>("expectedConfig");
        QTest::addColumn<tyListFont>("expectedFont");
        QTest::addColumn<QString>("badKey");
        QTest::addColumn<QString>("badName");

        const QStringList laterKeys = {keyLine("ValCheck"), "\"Priv\"=dword:00000001", "",
                                       keyLine("ValCheck\\AuthFlags"), "\"PRINT\"=dword:00000001"};
        tyConfig c = defaults();
        c.MainDet.ShowFullName = true;
        QTest::newRow("text for a Boolean")
            << QStringList{keyLine(""), "\"MainShowFullName\"=dword:00000001",
                           "\"MainShowComment\"=\"yes\"", "\"CompShowFullName\"=dword:00000000", ""} +
                   laterKeys
            << "Invalid data type for 'MainShowComment'" << c << tyListFont{} << "" << "MainShowComment";

        c = defaults();
        c.ShowWarnUserUnkn = false;
        QTest::newRow("Boolean in a dword of two bytes")
            << QStringList{keyLine(""), "\"WarnDCnotFound\"=dword:00000001",
                           "\"WarnUsrUnkn\"=dword:00000000", "\"WarnGrpUnkn\"=hex(4):01,00",
                           "\"AutoSelectGroup\"=dword:00000001"}
            << "Invalid data type for 'WarnGrpUnkn'" << c << tyListFont{} << "" << "WarnGrpUnkn";

        c = defaults();
        c.AutoSelectUser = true;
        for (const auto& [row, data] : std::vector<std::pair<const char*, QString>>{
                 {"date-time of 4 bytes", "hex:00,00,80,3f"},
                 {"date-time of 9 bytes", "hex:00,00,00,00,00,76,e6,40,00"},
                 {"date-time as a dword", "dword:0000b3b0"},
                 {"date-time as text", "\"2025-12-10\""},
                 {"date-time of another binary type", "hex(b):00,00,00,00,00,76,e6,40"}}) {
            QTest::newRow(row) << QStringList{keyLine(""), "\"AutoSelectUser\"=dword:00000001",
                                              "\"FirstExec_206\"=" + data,
                                              "\"NbExecution_206\"=dword:00000005", ""} +
                                      laterKeys
                               << "Invalid data type for 'FirstExec_206'" << c << tyListFont{}
                               << "" << "FirstExec_206";
        }

        c = defaults();
        c.FirstExec = 45271.5;
        QTest::newRow("run counter as text")
            << QStringList{keyLine(""), "\"FirstExec_206\"=hex:00,00,00,00,f0,1a,e6,40",
                           "\"NbExecution_206\"=\"49\""}
            << "Invalid data type for 'NbExecution_206'" << c << tyListFont{} << "" << "NbExecution_206";
        QTest::newRow("run counter as binary")
            << QStringList{keyLine(""), "\"FirstExec_206\"=hex:00,00,00,00,f0,1a,e6,40",
                           "\"NbExecution_206\"=hex:31,00,00,00"}
            << "Invalid data type for 'NbExecution_206'" << c << tyListFont{} << "" << "NbExecution_206";

        tyListFont f;
        f.Color = 0xff;
        QTest::newRow("face name as a dword")
            << QStringList{keyLine("Font"), "\"Color\"=dword:000000ff", "\"Name\"=dword:00000001",
                           "\"Size\"=dword:0000000c", ""} +
                   laterKeys
            << "Invalid data type for 'Name'" << defaults() << f << "Font" << "Name";
        QTest::newRow("face name as expandable text")
            << QStringList{keyLine("Font"), "\"Color\"=dword:000000ff", "\"Name\"=hex(2):41,00",
                           "\"Size\"=dword:0000000c"}
            << "Invalid data type for 'Name'" << defaults() << f << "Font" << "Name";
        f = tyListFont{};
        f.Name = u"Arial";
        QTest::newRow("size as text")
            << QStringList{keyLine("Font"), "\"Name\"=\"Arial\"", "\"Size\"=\"10\"",
                           "\"Style.Bold\"=dword:00000001"}
            << "Invalid data type for 'Size'" << defaults() << f << "Font" << "Size";
        f = tyListFont{};
        f.Bold = true;
        QTest::newRow("style as text")
            << QStringList{keyLine("Font"), "\"Style.Bold\"=dword:00000001", "\"Style.Italic\"=\"no\"",
                           "\"Style.Underline\"=dword:00000001"}
            << "Invalid data type for 'Style.Italic'" << defaults() << f << "Font" << "Style.Italic";

        c = defaults();
        c.ValCheck.Flags.SCRIPT = true;
        QTest::newRow("flag as text")
            << QStringList{keyLine("ValCheck\\Flags"), "\"SCRIPT\"=dword:00000001",
                           "\"LOCKOUT\"=\"1\"", "\"NORMAL_ACCOUNT\"=dword:00000001", "",
                           keyLine("ValCheck\\AuthFlags"), "\"PRINT\"=dword:00000001"}
            << "Invalid data type for 'LOCKOUT'" << c << tyListFont{} << "ValCheck\\Flags" << "LOCKOUT";
        c = defaults();
        QTest::newRow("attribute as binary")
            << QStringList{keyLine("ValCheck"), "\"Name\"=hex:01", "\"Priv\"=dword:00000001"}
            << "Invalid data type for 'Name'" << c << tyListFont{} << "ValCheck" << "Name";
    }
    // Loading stops at the value: what was read before it stays, the rest
    // keeps its default; the next save stores the value with its right type.
    void wrongType() {
        QFETCH(QStringList, lines);
        QFETCH(QString, message);
        QFETCH(tyConfig, expectedConfig);
        QFETCH(tyListFont, expectedFont);
        QFETCH(QString, badKey);
        QFETCH(QString, badName);
        writeAll(m_path, regFile(lines + QStringList{""}));

        tyConfig c = defaults();
        tyListFont font;
        try {
            store().LoadConfig(c, font, "206");
            QFAIL("loaded");
        } catch (const SettingsTypeError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), message);
            QCOMPARE(QString::fromStdU16String(e.valueName()), badName);
        }
        QCOMPARE(c, expectedConfig);
        QCOMPARE(font, expectedFont);

        QVERIFY(store().SaveConfig(c, font, "206"));
        const RegData saved = savedValue(badKey, badName);
        const uint32_t rightType = badName.startsWith("FirstExec") ? kRegBinary
                                   : badKey == "Font" && badName == "Name" ? kRegSz
                                                                           : kRegDword;
        QCOMPARE(saved.type, rightType);
        tyConfig again = defaults();
        tyListFont againFont;
        store().LoadConfig(again, againFont, "206");  // no error any more
        expectedConfig.NbExecution += 1;
        QCOMPARE(again, expectedConfig);
        QCOMPARE(againFont, expectedFont);
    }

    // ---- the file ---------------------------------------------------------

    void brokenFileLoadsNothingAndIsKept_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("line");
        QTest::newRow("not a .reg file") << QByteArray("hello world\nsecond line\n") << 1;
        QTest::newRow("a malformed line after good values")
            << regFile({keyLine(""), "\"MainShowFullName\"=dword:00000001", "\"Bad=dword:0"}) << 5;
        QTest::newRow("not UTF-8") << regFile({keyLine("Font")}) + "\"Name\"=\"\xC4rger\"\r\n" << 4;
    }
    void brokenFileLoadsNothingAndIsKept() {
        QFETCH(QByteArray, content);
        QFETCH(int, line);
        writeAll(m_path, content);

        tyConfig c = defaults();
        tyListFont font;
        try {
            store().LoadConfig(c, font, "206");
            QFAIL("loaded");
        } catch (const SettingsFileError& e) {
            QCOMPARE(e.fileName(), m_path);
            QCOMPARE(e.line(), line);
            const QString text = QString::fromUtf8(e.what());
            QVERIFY2(text.contains(QDir::toNativeSeparators(m_path)) &&
                         text.contains(QStringLiteral("line %1").arg(line)),
                     qPrintable(text));
        }
        QCOMPARE(c, defaults());
        QCOMPARE(font, tyListFont{});
        QVERIFY(!QFile::exists(m_path + ".broken"));  // loading changes nothing on disk
        QCOMPARE(readAll(m_path), content);

        c.MainDet.ShowComment = true;
        QVERIFY(store().SaveConfig(c, font, "206"));
        QCOMPARE(readAll(m_path + ".broken"), content);
        QVERIFY(load().first.MainDet.ShowComment);
    }

    void brokenCopiesAreNeverOverwritten() {
        writeAll(m_path + ".broken", "older copy");
        const auto breakAndSave = [this](const QByteArray& content) {
            writeAll(m_path, content);
            QVERIFY(store().SaveConfig(defaults(), tyListFont{}, "206"));
        };
        breakAndSave("first");
        QCOMPARE(readAll(m_path + ".broken"), QByteArray("older copy"));
        QCOMPARE(readAll(m_path + ".broken.2"), QByteArray("first"));
        breakAndSave("first");  // the same content again: kept once
        QVERIFY(!QFile::exists(m_path + ".broken.3"));
        breakAndSave("second");
        QCOMPARE(readAll(m_path + ".broken.3"), QByteArray("second"));
        QCOMPARE(BrokenCopyPath(m_path, "first"), m_path + ".broken.2");
        QCOMPARE(BrokenCopyPath(m_path, "third"), m_path + ".broken.4");
    }

    void unreadableFileIsReportedAndLeftAlone() {
        QVERIFY(QDir().mkpath(m_path));  // a folder where the file should be
        tyConfig c = defaults();
        tyListFont font;
        try {
            store().LoadConfig(c, font, "206");
            QFAIL("loaded");
        } catch (const SettingsFileError& e) {
            QCOMPARE(e.line(), 0);
            QVERIFY2(QString::fromUtf8(e.what()).contains(QDir::toNativeSeparators(m_path)), e.what());
        }
        QVERIFY(!store().SaveConfig(c, font, "206"));
        QVERIFY(QFileInfo(m_path).isDir());
        QVERIFY(!QFile::exists(m_path + ".broken"));
    }

    void whatTheProgramDoesNotKnowSurvives() {
        QByteArray original = readAll(QFINDTESTDATA("settings_foreign.reg"));
        original.replace("\r\n", "\n");  // the test is of a file with LF line ends
        QVERIFY(!original.isEmpty());
        writeAll(m_path, original);
        auto [c, font] = load();
        QVERIFY(c.MainDet.ShowFullName);
        QCOMPARE(c.NbExecution, 49);
        QCOMPARE(QString::fromStdU16String(font.Name), QStringLiteral("Segoe UI"));
        QVERIFY(font.Bold);
        QVERIFY(c.ValCheck.Flags.LOCKOUT);

        QVERIFY(store().SaveConfig(c, font, "206"));
        const QStringList before = QString::fromUtf8(original).split('\n');
        const QStringList after = QString::fromUtf8(readAll(m_path)).split('\n');
        // Every line of the original is still there, in its order; only the
        // run counter's line changed, in its place.
        qsizetype at = 0;
        for (const QString& line : before) {
            const QString expected = line == "\"NbExecution_206\"=dword:00000031"
                                         ? "\"NbExecution_206\"=dword:00000032"
                                         : line;
            while (at < after.size() && after[at] != expected) ++at;
            QVERIFY2(at < after.size(), qPrintable("lost: " + line));
            ++at;
        }
        QVERIFY(after.contains("\"Order\"=hex(7):4e,61,6d,65,00,46,75,6c,6c,4e,61,6d,65,00,00"));
        const qsizetype counter = after.indexOf("\"NbExecution_206\"=dword:00000032");
        QCOMPARE(after[counter - 1], QStringLiteral("  79,00"));  // after the continued value
        // The new values of a key go after its last value.
        const qsizetype bold = after.indexOf("\"Style.Bold\"=dword:00000001");
        QCOMPARE(after[bold + 1], QStringLiteral("\"Color\"=dword:ff000008"));
        // The file was LF; it stays so.
        QVERIFY(!readAll(m_path).contains('\r'));
        auto [c2, font2] = load();
        c.NbExecution = 50;
        QCOMPARE(c2, c);
        QCOMPARE(font2, font);
    }

    void saveCreatesTheFolder() {
        const QString path = m_dir->filePath("not/yet/there/settings.reg");
        QVERIFY(SettingsStore(path).SaveConfig(defaults(), tyListFont{}, "206"));
        QCOMPARE(readAll(path), crlfFromFixture("settings_first_save_206.reg"));
        // Nothing but the file is left behind: the temporary one was renamed.
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"settings.reg"});
    }

    void saveIntoAFileThatCannotBeWrittenFails() {
        // A file where the folder should be: nothing can be created below it.
        writeAll(m_dir->filePath("blocked"), "x");
        const QString path = m_dir->filePath("blocked/settings.reg");
        QVERIFY(!SettingsStore(path).SaveConfig(defaults(), tyListFont{}, "206"));
        QCOMPARE(readAll(m_dir->filePath("blocked")), QByteArray("x"));
    }

    void keyThatCannotBeCreatedIsSkipped() {
        // A hive that refuses one key, as a registry key without write access does.
        class Refusing : public RegistryHive {
        public:
            explicit Refusing(RegFile& f) : m_inner(f) {}
            std::unique_ptr<RegistryKey> openKey(std::u16string_view p) override { return m_inner.openKey(p); }
            std::unique_ptr<RegistryKey> createKey(std::u16string_view p) override {
                return p.ends_with(u"\\Font") ? nullptr : m_inner.createKey(p);
            }

        private:
            RegFileHive m_inner;
        };
        RegFile file;
        Refusing hive(file);
        QVERIFY(!SaveConfigTo(hive, "206", defaults(), tyListFont{}));
        QVERIFY(!file.keyExists(fullPath("Font")));
        QCOMPARE(file.value(fullPath("ValCheck\\AuthFlags"), u"ACCOUNTS").value_or(RegData{}), dword(0));
        QCOMPARE(file.value(fullPath(""), u"NbExecution_206").value_or(RegData{}), dword(1));
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settings_store.moc"
