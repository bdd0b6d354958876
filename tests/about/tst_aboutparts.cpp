// The pieces of the about window that need no server: the INI reader the
// control file is read with, versions and their comparison, the names of
// downloaded files, the known-folder table and the system line.
#include <QtTest>
#include <set>

#include "FileVersion.h"
#include "IniFile.h"
#include "KnownFolders.h"
#include "uAbout102.h"

Q_DECLARE_METATYPE(FileVersion)
Q_DECLARE_METATYPE(OsVersion)

namespace {

QByteArray utf16le(const QString& text) {
    QByteArray b("\xFF\xFE");
    for (QChar c : text) {
        b.append(char(c.unicode() & 0xFF));
        b.append(char(c.unicode() >> 8));
    }
    return b;
}

}  // namespace

class TestAboutParts : public QObject {
    Q_OBJECT

private slots:
    void iniValue_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray control = "[file1]\r\nnewversion=2.6.2109.314\r\n"
                                   "[update]\r\ndescr=Fixed\\nNew\r\n"
                                   "[action]\r\nrunbefore=C:\\Setup\\ZentorySetup.exe\r\n";
        QTest::newRow("value") << control << "file1" << "newversion" << "2.6.2109.314";
        QTest::newRow("section case") << control << "FILE1" << "newversion" << "2.6.2109.314";
        QTest::newRow("key case") << control << "file1" << "NewVersion" << "2.6.2109.314";
        QTest::newRow("file's own case") << QByteArray("[File1]\nNEWVERSION=3\n") << "file1"
                                         << "newversion" << "3";
        QTest::newRow("backslashes kept") << control << "action" << "runbefore"
                                          << "C:\\Setup\\ZentorySetup.exe";
        QTest::newRow("backslash-n kept") << control << "update" << "descr" << "Fixed\\nNew";
        QTest::newRow("commas and semicolons kept")
            << QByteArray("[update]\ndescr=one, two; three\n") << "update" << "descr"
            << "one, two; three";
        QTest::newRow("blanks trimmed") << QByteArray("  [ update ]  \n \t descr \t=  a  b \t\n")
                                        << "update" << "descr" << "a  b";
        QTest::newRow("matching quotes removed")
            << QByteArray("[update]\ndescr=\" padded \"\n") << "update" << "descr" << " padded ";
        QTest::newRow("single quotes removed")
            << QByteArray("[update]\ndescr='x'\n") << "update" << "descr" << "x";
        QTest::newRow("unmatched quotes kept")
            << QByteArray("[update]\ndescr=\"x'\n") << "update" << "descr" << "\"x'";
        QTest::newRow("first key wins") << QByteArray("[a]\nk=first\nK=second\n") << "a" << "k"
                                        << "first";
        QTest::newRow("first section wins")
            << QByteArray("[a]\nk=first\n[A]\nk=second\nother=x\n") << "a" << "k" << "first";
        QTest::newRow("later section of the name not read")
            << QByteArray("[a]\nk=first\n[A]\nother=x\n") << "a" << "other" << "";
        QTest::newRow("key of another section")
            << QByteArray("[a]\nk=1\n[b]\nj=2\n") << "a" << "j" << "";
        QTest::newRow("missing section") << control << "nothing" << "newversion" << "";
        QTest::newRow("before any section") << QByteArray("k=1\n[a]\n") << "a" << "k" << "";
        QTest::newRow("empty value") << QByteArray("[action]\nrunbefore=\n") << "action"
                                     << "runbefore" << "";
        QTest::newRow("key without equals sign")
            << QByteArray("[action]\nrunbefore\n") << "action" << "runbefore" << "";
        QTest::newRow("equals sign in value") << QByteArray("[a]\nk=x=y\n") << "a" << "k" << "x=y";
        QTest::newRow("LF endings") << QByteArray("[a]\nk=1\n") << "a" << "k" << "1";
        QTest::newRow("CR endings") << QByteArray("[a]\rk=1\rj=2") << "a" << "j" << "2";
        QTest::newRow("no final line end") << QByteArray("[a]\r\nk=last") << "a" << "k" << "last";
        QTest::newRow("section without bracket")
            << QByteArray("[a\nk=1\n") << "a" << "k" << "1";
        QTest::newRow("UTF-8") << QByteArray("[update]\ndescr=Caf\xC3\xA9\n") << "update"
                               << "descr" << QString::fromUtf8("Caf\xC3\xA9");
        QTest::newRow("UTF-8 with mark")
            << QByteArray("\xEF\xBB\xBF[update]\ndescr=Caf\xC3\xA9\n") << "update" << "descr"
            << QString::fromUtf8("Caf\xC3\xA9");
        QTest::newRow("ANSI") << QByteArray("[update]\ndescr=Caf\xE9 \x80\n") << "update"
                              << "descr" << QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC");
        QTest::newRow("UTF-16 with mark")
            << utf16le(QString::fromUtf8("[update]\r\ndescr=\xCE\xA9 ok\r\n")) << "update"
            << "descr" << QString::fromUtf8("\xCE\xA9 ok");
        QTest::newRow("empty file") << QByteArray() << "a" << "k" << "";
    }
    void iniValue() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QCOMPARE(IniFile::fromBytes(file).value(section, key), expected);
    }

    void iniValueLength_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("expected");
        QTest::newRow("2046") << 2046 << 2046;
        QTest::newRow("2047") << 2047 << 2047;
        QTest::newRow("2048 cut") << 2048 << 2047;
        QTest::newRow("5000 cut") << 5000 << 2047;
    }
    void iniValueLength() {
        QFETCH(int, length);
        QFETCH(int, expected);
        QString value;
        for (int i = 0; i < length; ++i) {
            value += QChar(u'a' + i % 26);
        }
        const QByteArray file = "[update]\ndescr=" + value.toLatin1() + "\nnext=1\n";
        const IniFile ini = IniFile::fromBytes(file);
        QCOMPARE(ini.value("update", "descr"), value.left(expected));
        QCOMPARE(ini.value("update", "next"), QString("1"));
    }

    // The default comes back for what is not there, and a file that does
    // not exist reads as empty.
    void iniDefaultsAndFiles() {
        QCOMPARE(IniFile::fromBytes("[a]\n").value("a", "k", "dflt"), QString("dflt"));
        QCOMPARE(IniFile::fromBytes("[a]\nk=\n").value("a", "k", "dflt"), QString());
        QTemporaryDir dir;
        QCOMPARE(ReadProfileString(dir.filePath("none.ini"), "a", "k"), QString());
        QFile f(dir.filePath("z.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Action]\r\nRunBefore = \\\\server\\share\\setup.exe \r\n");
        f.close();
        QCOMPARE(ReadProfileString(f.fileName(), "action", "runbefore"),
                 QString("\\\\server\\share\\setup.exe"));
    }

    void parseVersion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<FileVersion>("expected");
        QTest::newRow("four parts") << "2.6.2109.314" << FileVersion{2, 6, 2109, 314};
        QTest::newRow("one part is the build") << "3" << FileVersion{0, 0, 0, 3};
        QTest::newRow("two parts") << "2.7" << FileVersion{2, 0, 0, 7};
        QTest::newRow("three parts") << "2.6.5" << FileVersion{2, 6, 0, 5};
        QTest::newRow("empty") << "" << FileVersion{0, 0, 0, 0};
        QTest::newRow("low 16 bits") << "2.6.67645.0" << FileVersion{2, 6, 2109, 0};
        QTest::newRow("65535 and 65536") << "65535.65536.1.1" << FileVersion{65535, 0, 1, 1};
        QTest::newRow("not a number") << "2.six.1.1" << FileVersion{2, 0, 1, 1};
        QTest::newRow("text") << "latest" << FileVersion{0, 0, 0, 0};
        QTest::newRow("five parts") << "1.2.3.4.5" << FileVersion{1, 2, 3, 0};
        QTest::newRow("hexadecimal") << "0x10.1.1.1" << FileVersion{0, 1, 1, 1};
        QTest::newRow("beyond 32 bits") << "1.1.1.99999999999" << FileVersion{1, 1, 1, 0};
        QTest::newRow("empty parts") << "..." << FileVersion{0, 0, 0, 0};
    }
    void parseVersion() {
        QFETCH(QString, text);
        QFETCH(FileVersion, expected);
        const FileVersion v = ParseVersion(text);
        QCOMPARE(FormatVersion(v), FormatVersion(expected));
    }

    void newerVersion_data() {
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("running");
        QTest::addColumn<bool>("newer");
        QTest::newRow("build") << "2.6.2109.314" << "2.6.2109.313" << true;
        QTest::newRow("same") << "2.6.2109.313" << "2.6.2109.313" << false;
        QTest::newRow("older major, larger rest") << "2.5.9999.9999" << "2.6.2109.313" << false;
        QTest::newRow("major") << "3.0.0.0" << "2.6.2109.313" << true;
        QTest::newRow("minor") << "2.7.0.0" << "2.6.2109.313" << true;
        QTest::newRow("release") << "2.6.2110.0" << "2.6.2109.313" << true;
        QTest::newRow("older build") << "2.6.2109.312" << "2.6.2109.313" << false;
        QTest::newRow("3 is 0.0.0.3") << "3" << "2.6.2109.313" << false;
        QTest::newRow("cut to 2109, same") << "2.6.67645.313" << "2.6.2109.313" << false;
        QTest::newRow("unsigned 65535") << "2.6.65535.0" << "2.6.2109.313" << true;
        QTest::newRow("empty") << "" << "0.0.0.0" << false;
    }
    void newerVersion() {
        QFETCH(QString, offered);
        QFETCH(QString, running);
        QFETCH(bool, newer);
        QCOMPARE(IsNewerVersion(ParseVersion(offered), ParseVersion(running)), newer);
    }

    // The running version of this build is the project's four numbers.
    void runningVersionText() {
        QCOMPARE(GetFileVersionText(), QString(ZENTORY_VERSION));
        QCOMPARE(FormatVersion(GetFileVersion()).count(u'.'), 3);
    }

    void fileNamePart_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bare") << "ZentorySetup.exe" << "ZentorySetup.exe";
        QTest::newRow("Windows path") << "C:\\Program Files\\Zentory\\ZentorySetup.exe"
                                      << "ZentorySetup.exe";
        QTest::newRow("drive only") << "D:setup.exe" << "setup.exe";
        QTest::newRow("share") << "\\\\srv\\share\\setup.exe" << "setup.exe";
        QTest::newRow("slashes") << "../../setup.exe" << "setup.exe";
        QTest::newRow("folder only") << "C:\\Setups\\" << "";
        QTest::newRow("dot dot") << "C:\\Setups\\.." << "";
        QTest::newRow("dot") << "." << "";
        QTest::newRow("empty") << "" << "";
    }
    void fileNamePart() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(FileNamePart(name), expected);
    }

    void knownFolderTable() {
        const auto table = KnownFolderToCSIDLTable();
        QCOMPARE(table.size(), std::size_t(50));
        std::set<std::string> ids;
        for (const auto& e : table) {
            ids.insert(KnownFolderIdText(e.id));
        }
        QCOMPARE(ids.size(), std::size_t(50));
        QCOMPARE(QString(table.front().name), QString("AdminTools"));
        QCOMPARE(QString(table.back().name), QString("Windows"));
    }

    void knownFolderToCSIDL_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("csidl");
        // Values as shlobj.h defines them.
        QTest::newRow("AdminTools") << "AdminTools" << 0x30;
        QTest::newRow("Desktop is 0") << "Desktop" << 0x00;
        QTest::newRow("Fonts") << "Fonts" << 0x14;
        QTest::newRow("Profile") << "Profile" << 0x28;
        QTest::newRow("ProgramData") << "ProgramData" << 0x23;
        QTest::newRow("PublicDesktop") << "PublicDesktop" << 0x19;
        QTest::newRow("RoamingAppData") << "RoamingAppData" << 0x1a;
        QTest::newRow("Windows") << "Windows" << 0x24;
    }
    void knownFolderToCSIDL() {
        QFETCH(QString, name);
        QFETCH(int, csidl);
        for (const auto& e : KnownFolderToCSIDLTable()) {
            if (name == QLatin1String(e.name)) {
                QCOMPARE(KnownFolderToCSIDL(e.id), csidl);
                return;
            }
        }
        QFAIL("not in the table");
    }

    void downloadsHasNoCSIDL() {
        QCOMPARE(KnownFolderToCSIDL(kFolderDownloads), 0);
        QCOMPARE(KnownFolderIdText(kFolderDownloads),
                 std::string("{374DE290-123F-4565-9164-39C4925E467B}"));
    }

    void osVersionText_data() {
        QTest::addColumn<OsVersion>("version");
        QTest::addColumn<QString>("expected");
        QTest::newRow("service pack")
            << OsVersion{"Windows 7", 1, 6, 1, "7601", true}
            << "Windows 7 Service Pack 1 (Version 6.1, Build 7601, 64-bit Edition)";
        QTest::newRow("no service pack")
            << OsVersion{"Windows 10 Pro", 0, 10, 0, "19045", false}
            << "Windows 10 Pro (Version 10.0, Build 19045, 32-bit Edition)";
        QTest::newRow("Linux")
            << OsVersion{"Debian GNU/Linux 12 (bookworm)", 0, 6, 1, "6.1.0-26-amd64", true}
            << "Debian GNU/Linux 12 (bookworm) (Version 6.1, Build 6.1.0-26-amd64, 64-bit Edition)";
    }
    void osVersionText() {
        QFETCH(OsVersion, version);
        QFETCH(QString, expected);
        QCOMPARE(OsVersionText(version), expected);
    }

    // This system's line: the kernel's release as the build, its first two
    // numbers as the version.
    void currentOsVersion() {
        const OsVersion v = CurrentOsVersion();
        QCOMPARE(v.productName, QSysInfo::prettyProductName());
        QCOMPARE(v.build, QSysInfo::kernelVersion());
        QVERIFY2(v.build.startsWith(QStringLiteral("%1.%2").arg(v.major).arg(v.minor)),
                 qPrintable(v.build));
        QVERIFY(v.major > 0);
    }
};


QTEST_GUILESS_MAIN(TestAboutParts)
#include "tst_aboutparts.moc"
