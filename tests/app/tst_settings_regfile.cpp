// The REGEDIT4 file that stands in for the registry: what it reads, what it
// refuses (with the line), and that it writes back everything it does not
// own exactly as it was.
// The file texts are escaped the ordinary way, not as raw strings: Qt 6.4's
// moc loses the test class after a raw string that holds a quotation mark.
#include <QtTest>

#include "RegFile.h"
#include "SettingsErrors.h"

Q_DECLARE_METATYPE(RegData)

namespace {

const QString kKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\zentory.example\\Zentory");

QByteArray crlf(const QStringList& lines) {
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

QByteArray lf(const QStringList& lines) {
    return (lines.join(u'\n') + u'\n').toUtf8();
}

RegData dword(uint32_t n) {
    return {kRegDword, {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)}};
}

RegData sz(const QString& text) {
    return {kRegSz, EncodeRegSz(text.toStdU16String())};
}

RegData bin(uint32_t type, std::vector<uint8_t> bytes) {
    return {type, std::move(bytes)};
}

// A file of one key holding the given value lines.
QByteArray oneKey(const QStringList& valueLines) {
    return crlf(QStringList{"REGEDIT4", "", "[" + kKey + "]"} + valueLines + QStringList{""});
}

}  // namespace

class TestSettingsRegFile : public QObject {
    Q_OBJECT

private slots:
    void readsTheFormsRegeditWrites_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("name");
        QTest::addColumn<RegData>("expected");

        QTest::newRow("dword") << QStringList{"\"V\"=dword:00000001"} << "V" << dword(1);
        QTest::newRow("dword, all bits") << QStringList{"\"V\"=dword:ffffffff"} << "V"
                                         << dword(0xffffffff);
        QTest::newRow("dword, short and upper case") << QStringList{"\"V\"=dword:A"} << "V"
                                                     << dword(10);
        QTest::newRow("text") << QStringList{"\"V\"=\"Tahoma\""} << "V" << sz("Tahoma");
        QTest::newRow("empty text") << QStringList{"\"V\"=\"\""} << "V" << sz("");
        QTest::newRow("escapes") << QStringList{"\"V\"=\"a\\\\b\\\"c\\\\\""} << "V" << sz("a\\b\"c\\");
        QTest::newRow("name with escapes")
            << QStringList{"\"a\\\\b\\\"c\"=dword:00000002"} << "a\\b\"c" << dword(2);
        QTest::newRow("non-ASCII") << QStringList{QString::fromUtf8("\"V\"=\"Ärger 字体 😀\"")}
                                   << "V" << sz(QString::fromUtf8("Ärger 字体 😀"));
        QTest::newRow("binary") << QStringList{"\"V\"=hex:00,01,fe,FF"} << "V"
                                << bin(kRegBinary, {0x00, 0x01, 0xfe, 0xff});
        QTest::newRow("empty binary") << QStringList{"\"V\"=hex:"} << "V" << bin(kRegBinary, {});
        QTest::newRow("binary over lines")
            << QStringList{"\"V\"=hex:01,02,\\", "  03,04,\\", "  05"} << "V"
            << bin(kRegBinary, {1, 2, 3, 4, 5});
        QTest::newRow("other type, hex digits") << QStringList{"\"V\"=hex(b):01,00,00,00,00,00,00,00"}
                                                << "V" << bin(0xb, {1, 0, 0, 0, 0, 0, 0, 0});
        QTest::newRow("expandable text kept as bytes")
            << QStringList{"\"V\"=hex(2):25,54,45,4d,50,25,00"} << "V"
            << bin(2, {0x25, 0x54, 0x45, 0x4d, 0x50, 0x25, 0x00});
        // hex(1) is a text in the file's own encoding: UTF-8 here.
        QTest::newRow("text as hex(1)") << QStringList{"\"V\"=hex(1):c3,84,0a,42,00"} << "V"
                                        << sz(QString::fromUtf8("Ä\nB"));
        QTest::newRow("spaces around =") << QStringList{"  \"V\" = dword:00000003  "} << "V"
                                         << dword(3);
        QTest::newRow("unnamed value") << QStringList{"@=\"default\""} << "" << sz("default");
        QTest::newRow("name matched without case") << QStringList{"\"MainShowComment\"=dword:1"}
                                                   << "MAINSHOWCOMMENT" << dword(1);
        QTest::newRow("the later of two counts")
            << QStringList{"\"V\"=dword:00000001", "\"V\"=dword:00000002"} << "V" << dword(2);
    }
    void readsTheFormsRegeditWrites() {
        QFETCH(QStringList, lines);
        QFETCH(QString, name);
        QFETCH(RegData, expected);
        const RegFile file = RegFile::parse(oneKey(lines), "t.reg");
        const auto got = file.value(kKey, name);
        QVERIFY(got.has_value());
        QCOMPARE(got->type, expected.type);
        QCOMPARE(got->bytes, expected.bytes);
    }

    void deletionsAreNotActedOn() {
        const RegFile file = RegFile::parse(
            crlf({"REGEDIT4", "", "[-" + kKey + "]", "\"V\"=dword:00000001", "", "[" + kKey + "]",
                  "\"W\"=-", ""}),
            "t.reg");
        QVERIFY(file.keyExists(kKey));
        QVERIFY(!file.value(kKey, u"V").has_value());  // it sits under the deletion line
        QVERIFY(!file.value(kKey, u"W").has_value());
    }

    void keysExistThroughTheirSubkeys() {
        const RegFile file =
            RegFile::parse(crlf({"REGEDIT4", "", "[" + kKey + "\\ValCheck\\Flags]", ""}), "t.reg");
        QVERIFY(file.keyExists(kKey + "\\ValCheck\\Flags"));
        QVERIFY(file.keyExists(kKey + "\\valcheck"));
        QVERIFY(file.keyExists(kKey));
        QVERIFY(!file.keyExists(kKey + "\\Val"));
        QVERIFY(!file.keyExists(kKey + "\\Font"));
    }

    void emptyFileIsANewOne_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("nothing") << QByteArray();
        QTest::newRow("white space") << QByteArray(" \r\n\n\t");
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF\r\n");
    }
    void emptyFileIsANewOne() {
        QFETCH(QByteArray, bytes);
        const RegFile file = RegFile::parse(bytes, "t.reg");
        QVERIFY(!file.keyExists(u"HKEY_CURRENT_USER"));
        QVERIFY(file.serialize().endsWith("REGEDIT4\r\n"));
    }

    void refusesWhatItCannotParse_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("reason");

        const QString begin = "[" + kKey + "]";
        QTest::newRow("not a .reg file") << QByteArray("hello world\n") << 1 << "REGEDIT4";
        QTest::newRow("regedit 5 header")
            << crlf({"Windows Registry Editor Version 5.00", "", begin}) << 1 << "REGEDIT4";
        QTest::newRow("UTF-16 file") << QByteArray("\xFF\xFER\0E\0", 6) << 1 << "REGEDIT4";
        QTest::newRow("blank line before the header") << crlf({"", "REGEDIT4"}) << 1 << "REGEDIT4";
        QTest::newRow("value before the first key")
            << crlf({"REGEDIT4", "", "\"V\"=dword:00000001"}) << 3 << "before the first key";
        QTest::newRow("key not closed") << crlf({"REGEDIT4", "", "[" + kKey}) << 3 << "]";
        QTest::newRow("junk line") << crlf({"REGEDIT4", "", begin, "\"A\"=dword:0", "junk"}) << 5
                                   << "not a key, a value or a comment";
        QTest::newRow("hash comment") << crlf({"REGEDIT4", "# note"}) << 2
                                      << "not a key, a value or a comment";
        QTest::newRow("name not closed") << crlf({"REGEDIT4", begin, "\"V=dword:0"}) << 3 << "name";
        QTest::newRow("no =") << crlf({"REGEDIT4", begin, "\"V\" dword:0"}) << 3 << "=";
        QTest::newRow("text not closed") << crlf({"REGEDIT4", begin, "\"V\"=\"abc"}) << 3 << "text";
        QTest::newRow("single backslash") << crlf({"REGEDIT4", begin, "\"V\"=\"C:\\Temp\""}) << 3
                                          << "escape";
        QTest::newRow("after the text") << crlf({"REGEDIT4", begin, "\"V\"=\"a\"b"}) << 3 << "text";
        QTest::newRow("dword not hex") << crlf({"REGEDIT4", begin, "\"V\"=dword:xyz"}) << 3
                                       << "dword";
        QTest::newRow("dword of 9 digits") << crlf({"REGEDIT4", begin, "\"V\"=dword:123456789"})
                                           << 3 << "dword";
        QTest::newRow("dword empty") << crlf({"REGEDIT4", begin, "\"V\"=dword:"}) << 3 << "dword";
        QTest::newRow("hex not a byte") << crlf({"REGEDIT4", begin, "\"V\"=hex:01,zz"}) << 3
                                        << "bytes";
        QTest::newRow("hex of 3 digits") << crlf({"REGEDIT4", begin, "\"V\"=hex:001"}) << 3
                                         << "bytes";
        QTest::newRow("hex with an empty byte") << crlf({"REGEDIT4", begin, "\"V\"=hex:01,,02"})
                                                << 3 << "bytes";
        QTest::newRow("hex type not hex") << crlf({"REGEDIT4", begin, "\"V\"=hex(zz):00"}) << 3
                                          << "hex(type)";
        QTest::newRow("hex without colon") << crlf({"REGEDIT4", begin, "\"V\"=hex01"}) << 3
                                           << "hex(type)";
        QTest::newRow("bad byte on a continued line")
            << crlf({"REGEDIT4", begin, "\"V\"=hex:01,\\", "  0g"}) << 4 << "bytes";
        QTest::newRow("continued past the end")
            << crlf({"REGEDIT4", begin, "\"A\"=dword:1", "\"V\"=hex:01,\\"}) << 4
            << "past the end";
        QTest::newRow("unknown data") << crlf({"REGEDIT4", begin, "\"V\"=qword:1"}) << 3
                                      << "none of";
        QTest::newRow("not UTF-8")
            << QByteArray("REGEDIT4\r\n\r\n[X]\r\n\"V\"=\"\xC4rger\"\r\n") << 4 << "UTF-8";
    }
    void refusesWhatItCannotParse() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(QString, reason);
        try {
            RegFile::parse(bytes, "/some/where/settings.reg");
            QFAIL("parsed");
        } catch (const SettingsFileError& e) {
            QCOMPARE(e.fileName(), QStringLiteral("/some/where/settings.reg"));
            QCOMPARE(e.line(), line);
            QVERIFY2(e.reason().contains(reason), qPrintable(e.reason()));
            QVERIFY2(e.message().contains("/some/where/settings.reg") &&
                         e.message().contains(QStringLiteral("line %1").arg(line)),
                     qPrintable(e.message()));
        }
    }

    // What is read is written back byte for byte, whatever the program does
    // not understand in it.
    void writesBackWhatItRead_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QStringList rich = {
            "REGEDIT4",
            "",
            "; exported by hand",
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]",
            "\"Path\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,00",
            "\"List\"=hex(7):61,00,62,00,00",
            "",
            "[" + kKey + "]",
            "\"FirstExec_205\"=hex:00,00,00,00,f0,1a,e6,40",
            "  \"Odd\"  =  dword:1  ",
            "@=\"unnamed\"",
            "\"Gone\"=-",
            "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\",
            "  16,17,18",
            "",
            "[-HKEY_CURRENT_USER\\Software\\Old]",
            "",
        };
        QTest::newRow("CR LF") << crlf(rich);
        QTest::newRow("LF") << lf(rich);
        QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + crlf(rich);
        QTest::newRow("non-ASCII") << crlf({"REGEDIT4", "[" + kKey + "]",
                                            QString::fromUtf8("\"Schrift\"=\"Grüße 😀\"")});
    }
    void writesBackWhatItRead() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(RegFile::parse(bytes, "t.reg").serialize(), bytes);
    }

    void lastLineGetsItsEnd() {
        QCOMPARE(RegFile::parse("REGEDIT4\n[X]", "t.reg").serialize(), QByteArray("REGEDIT4\n[X]\n"));
    }

    void writesValuesAsRegeditDoes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<RegData>("data");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("dword") << "V" << dword(0xff000008) << QStringList{"\"V\"=dword:ff000008"};
        QTest::newRow("text") << "Name" << sz("Tahoma") << QStringList{"\"Name\"=\"Tahoma\""};
        QTest::newRow("text with escapes")
            << "Name" << sz("\\\\srv\\\"x\"") << QStringList{"\"Name\"=\"\\\\\\\\srv\\\\\\\"x\\\"\""};
        QTest::newRow("name with escapes") << "a\"b\\" << dword(1)
                                           << QStringList{"\"a\\\"b\\\\\"=dword:00000001"};
        QTest::newRow("unnamed") << "" << sz("d") << QStringList{"@=\"d\""};
        QTest::newRow("non-ASCII text")
            << "N" << sz(QString::fromUtf8("字体")) << QStringList{QString::fromUtf8("\"N\"=\"字体\"")};
        QTest::newRow("text with a line break")
            << "N" << sz("a\r\nb") << QStringList{"\"N\"=hex(1):61,0d,0a,62,00"};
        QTest::newRow("binary") << "FirstExec_206" << bin(kRegBinary, {0, 0, 0, 0, 0, 0x76, 0xe6, 0x40})
                                << QStringList{"\"FirstExec_206\"=hex:00,00,00,00,00,76,e6,40"};
        QTest::newRow("empty binary") << "B" << bin(kRegBinary, {}) << QStringList{"\"B\"=hex:"};
        QTest::newRow("other type") << "Q" << bin(0xb, {1, 0, 0, 0, 0, 0, 0, 0})
                                    << QStringList{"\"Q\"=hex(b):01,00,00,00,00,00,00,00"};
        QTest::newRow("dword of another size") << "D" << bin(kRegDword, {1, 2})
                                               << QStringList{"\"D\"=hex(4):01,02"};
        std::vector<uint8_t> many(30);
        for (size_t i = 0; i < many.size(); ++i) many[i] = uint8_t(i);
        QTest::newRow("long binary, broken at 80 columns")
            << "Long" << bin(kRegBinary, many)
            << QStringList{
                   "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\",
                   "  16,17,18,19,1a,1b,1c,1d"};
    }
    void writesValuesAsRegeditDoes() {
        QFETCH(QString, name);
        QFETCH(RegData, data);
        QFETCH(QStringList, lines);
        RegFile file;
        file.setValue(kKey, name, data);
        QCOMPARE(file.serialize(), crlf(QStringList{"REGEDIT4", "", "[" + kKey + "]"} + lines +
                                        QStringList{""}));
        for (const QString& line : lines) {
            QVERIFY(line.size() <= 80);
        }
        // And reads it back as it was written.
        const auto again = RegFile::parse(file.serialize(), "t.reg").value(kKey, name);
        QVERIFY(again.has_value());
        if (data.type == kRegSz) {
            QCOMPARE(DecodeRegSz(again->bytes), DecodeRegSz(data.bytes));
        } else {
            QCOMPARE(again->bytes, data.bytes);
        }
    }

    void replacesValuesInTheirPlace() {
        RegFile file = RegFile::parse(
            lf({"REGEDIT4", "", "[" + kKey + "]", "\"a\"=dword:00000000", "; note",
                "\"b\"=\"keep\"", "", "; the next key", "[" + kKey + "\\Font]", "\"c\"=dword:1", ""}),
            "t.reg");
        file.setValue(kKey, u"A", dword(5));            // matched without case, spelling kept
        file.setValue(kKey, u"new", dword(6));          // after the key's last value
        file.setValue(kKey + "\\Font", u"d", sz("x"));  // in the later key
        file.setValue(kKey + "\\ValCheck", u"Name", dword(1));  // a new key at the end
        QCOMPARE(file.serialize(),
                 lf({"REGEDIT4", "", "[" + kKey + "]", "\"a\"=dword:00000005", "; note",
                     "\"b\"=\"keep\"", "\"new\"=dword:00000006", "", "; the next key",
                     "[" + kKey + "\\Font]", "\"c\"=dword:1", "\"d\"=\"x\"", "",
                     "[" + kKey + "\\ValCheck]", "\"Name\"=dword:00000001", ""}));
    }

    void replacesTheValueThatCounts() {
        RegFile file = RegFile::parse(
            crlf({"REGEDIT4", "[" + kKey + "]", "\"V\"=dword:1", "[" + kKey + "]", "\"V\"=dword:2"}),
            "t.reg");
        file.setValue(kKey, u"V", dword(3));
        QCOMPARE(file.serialize(), crlf({"REGEDIT4", "[" + kKey + "]", "\"V\"=dword:1",
                                         "[" + kKey + "]", "\"V\"=dword:00000003"}));
        QCOMPARE(file.value(kKey, u"V")->bytes, dword(3).bytes);
    }

    void createKeyAddsAnEmptyKeyOnce() {
        RegFile file;
        file.createKey(kKey);
        file.createKey(kKey.toLower());
        QCOMPARE(file.serialize(), crlf({"REGEDIT4", "", "[" + kKey + "]", ""}));
        QVERIFY(file.keyExists(kKey));
    }
};

QTEST_GUILESS_MAIN(TestSettingsRegFile)
#include "tst_settings_regfile.moc"
