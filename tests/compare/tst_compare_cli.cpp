// zentory-cli's comparisons write what the comparison window saves, byte
// for byte, for the same accounts of the demo domain and the same settings;
// and say what is wrong when they cannot.

#include <QtTest>

#include "../app/MainWindowFixture.h"
#include "CompareCsv.h"
#include "LdifBackend.h"
#include "SettingsFile.h"
#include "uCompare.h"

namespace {

QString demo() {
    return qEnvironmentVariable("ZENTORY_SOURCE_DIR") + "/data/demo/demo-domain.ldif";
}

std::string versionCode() {
    return VersionCode(ZENTORY_VERSION_MAJOR, ZENTORY_VERSION_MINOR);
}

struct Run {
    int exitCode = -1;
    QByteArray output;
    QString errors;
};

// The console program with its settings where the window of the test keeps
// them.
Run cli(const QString& configHome, const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", configHome);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ZENTORY_CLI), QStringList{"--directory", demo()} + args);
    Run r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.errors = "timed out";
        return r;
    }
    r.exitCode = p.exitCode();
    r.output = p.readAllStandardOutput();
    r.errors = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QStringList kGroups = {"Purchasing", "Print Room", "Sales", "Project Lighthouse",
                             "Domain Admins"};
const QStringList kUsers = {"rené.lefèvre", "zoe.okafor",  "lars.nielsen",
                            "chiara.rossi", "priya.patel", "Guest"};

}  // namespace

class TestCompareCli : public QObject {
    Q_OBJECT

private slots:
    void sameBytesAsTheWindow_data() {
        QTest::addColumn<bool>("changedSettings");
        QTest::newRow("default settings") << false;
        QTest::newRow("comments only, MaxStorage instead of Comment") << true;
    }
    void sameBytesAsTheWindow() {
        QFETCH(bool, changedSettings);
        QTemporaryDir home;
        const QString settingsPath = home.filePath("zentory/settings.reg");
        if (changedSettings) {
            tyConfig c;
            SetDefaultConfigValues(c, 45000);
            c.CompDet = {false, true};
            c.ValCheck.MaxStorage = true;
            c.ValCheck.Comment = false;
            QVERIFY(SettingsStore(settingsPath).SaveConfig(c, tyListFont{}, versionCode()));
        }

        LdifBackend backend(demo().toStdString());
        RecordingDesktop desktop;
        DesktopReporter reporter(desktop);
        DirectoryQueries queries(backend, reporter);
        SettingsFile settings(settingsPath, versionCode());
        TfrmMain main(queries, desktop, &settings);
        main.FormShow();
        QCOMPARE(main.FConfig.CompDet.ShowFullName, !changedSettings);

        // The windows as the main window's compare buttons open them.
        tyArrGroup1 groups;
        for (const QString& g : kGroups) {
            groups.push_back({g.toStdU16String(), main.GetGroupComment(g).toStdU16String()});
        }
        tyArrUsers users;
        for (const QString& u : kUsers) {
            users.push_back(u.toStdU16String());
        }
        struct Case {
            QString command;
            std::unique_ptr<TfrmCompare> window;
            QStringList names;
        };
        std::vector<Case> cases;
        cases.push_back(
            {"compare-groups",
             MakeCompareGroupsUsers(main, main.dcName(), groups),
             {"purchasing", "Print Room", "SALES", "Project Lighthouse", "Domain Admins"}});
        cases.push_back({"compare-users",
                         MakeCompareUsersGroups(main, main.dcName(), users),
                         {"RENÉ.LEFÈVRE", "zoe.okafor", "lars.nielsen", "chiara.rossi",
                          "priya.patel", "guest"}});
        cases.push_back(
            {"compare-attributes", MakeCompareUsersAttributes(main, main.dcName(), users), kUsers});
        for (Case& c : cases) {
            const QString saved = home.filePath(c.command + ".csv");
            desktop.fileNames = {saved};
            c.window->bbtCSVClick();
            const QByteArray window = readAll(saved);
            QVERIFY(window.startsWith("\xEF\xBB\xBF"));
            const Run r = cli(home.path(), QStringList{c.command} + c.names);
            QVERIFY2(r.exitCode == 0, qPrintable(r.errors));
            QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors));
            QCOMPARE(r.output, window);
        }
        QVERIFY(desktop.messages.isEmpty());
        // The console program reads the settings and never writes them.
        QCOMPARE(QFile::exists(settingsPath), changedSettings);
    }

    // --names and -o: the same table from a name list file, into a file.
    void namesFileAndOutputFile() {
        QTemporaryDir home;
        const QString list = home.filePath("names.txt");
        {
            QFile f(list);
            QVERIFY(f.open(QIODevice::WriteOnly));
            // UTF-16 with its mark, CR LF, a list item as the main window's
            // "Copy to clipboard" writes it, blanks and an empty line.
            const QString text = QString("zoe.okafor\r\n  lars.nielsen") + QString(3, QChar(0xA0)) +
                                 "(Lars Nielsen)\r\n\r\nrené.lefèvre  \r\n";
            f.write("\xFF\xFE");
            f.write(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        }
        const Run direct =
            cli(home.path(), {"compare-users", "zoe.okafor", "lars.nielsen", "rené.lefèvre"});
        QCOMPARE(direct.exitCode, 0);
        const QString out = home.filePath("out.csv");
        const Run fromFile = cli(home.path(), {"compare-users", "--names", list, "-o", out});
        QVERIFY2(fromFile.exitCode == 0, qPrintable(fromFile.errors));
        QVERIFY(fromFile.output.isEmpty());
        QCOMPARE(readAll(out), direct.output);
        QVERIFY(direct.output.contains("\r\nlars.nielsen,Lars Nielsen,"));
    }

    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown user") << QStringList{"compare-users", "lars.nielsen", "nobody"} << 1
                                      << "no user \"nobody\" in the domain";
        QTest::newRow("unknown group") << QStringList{"compare-groups", "No Such Group"} << 1
                                       << "no group \"No Such Group\" in the domain";
        QTest::newRow("no group") << QStringList{"compare-groups"} << 2
                                  << "Select at least one group.";
        QTest::newRow("no user") << QStringList{"compare-attributes"} << 2
                                 << "Select at least one user.";
        QTest::newRow("output in a missing folder")
            << QStringList{"compare-groups", "Sales", "-o", "/nonexistent/folder/out.csv"} << 1
            << "Cannot create file \"/nonexistent/folder/out.csv\". ";
        QTest::newRow("missing name list")
            << QStringList{"compare-users", "--names", "/nonexistent/names.txt"} << 1
            << "Cannot open file \"/nonexistent/names.txt\". ";
        QTest::newRow("names without a comparison")
            << QStringList{"users", "--names", "x"} << 2 << "--output and --names go with";
    }
    void failures() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir home;
        const Run r = cli(home.path(), args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY(r.output.isEmpty());
        QVERIFY2(r.errors.startsWith("zentory-cli: "), qPrintable(r.errors));
        QVERIFY2(r.errors.contains(message), qPrintable(r.errors));
    }

    void helpNamesTheComparisons() {
        QProcess p;
        p.start(QStringLiteral(ZENTORY_CLI), {"--help"});
        QVERIFY(p.waitForFinished(30000));
        const QString help = QString::fromUtf8(p.readAllStandardOutput());
        for (const char* text :
             {"compare-groups GROUP...", "compare-users USER...", "compare-attributes USER...",
              "--names <FILE>", "--output <FILE>"}) {
            QVERIFY2(help.contains(QLatin1String(text)), text);
        }
    }
};

QTEST_MAIN(TestCompareCli)
#include "tst_compare_cli.moc"
