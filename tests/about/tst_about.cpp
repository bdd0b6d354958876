// The about window against a real HTTP server on loopback: the check for
// a new version, the news, the download into the Downloads folder, the
// links, and one modal round trip through ShowAbout.
#include <QtTest>

#include "FileVersion.h"
#include "LoopbackServer.h"
#include "RecordingDesktop.h"
#include "uAbout102.h"

using Kind = DesktopServices::MessageKind;
using Button = DesktopServices::Button;

namespace {

QByteArray readAll(const QString& fileName) {
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no file>");
}

QByteArray controlFile(const QString& newVersion, const QString& descr,
                       const QString& runBefore) {
    return QStringLiteral("[file1]\r\nnewversion=%1\r\n[update]\r\ndescr=%2\r\n"
                          "[action]\r\nrunbefore=%3\r\n")
        .arg(newVersion, descr, runBefore)
        .toUtf8();
}

}  // namespace

class TestAbout : public QObject {
    Q_OBJECT

    LoopbackServer server;
    QTemporaryDir home;
    QTemporaryDir temp;
    RecordingDesktop desktop;

    // The executable the tests pretend to run as, and where its files sit
    // on the server.
    const QString exe = "/opt/zentory/Zentory.exe";
    const QString inf = "/files/Zentory.INF";

    AboutSite site(const QString& running = "2.6.2109.313") const {
        AboutSite s;
        s.webServer = server.url();
        s.donateUrl = "https://pay.example/donate?to=zentory";
        s.executablePath = exe;
        s.runningVersion = ParseVersion(running);
        return s;
    }
    QString downloads() const { return home.filePath("Downloads"); }

private slots:
    void initTestCase() {
        // The Downloads folder is the desktop's (XDG) one, under a home of
        // the test's own; it does not exist until a download makes it.
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(".config").toLocal8Bit());
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation), downloads());
        QGuiApplication::setApplicationDisplayName("Zentory & Co");
        const QString failure = server.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void init() {
        server.clearFiles();
        server.clearRequests();
        desktop = RecordingDesktop();
        QDir(downloads()).removeRecursively();
        QFile::remove(downloads());  // the plain file of downloadFails
    }

    // The window's fixed texts and pictures.
    void window() {
        server.put(inf, controlFile("2.6.2109.314", "", ""));
        auto w = MakeAbout(nullptr, desktop, site());
        QCOMPARE(w->windowTitle(), QString("About"));
        QCOMPARE(w->size(), QSize(450, 288));
        QVERIFY(!(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(w->lblApplicationTitle->text(), QString("Zentory & Co"));
        QCOMPARE(w->lblApplicationTitle->textFormat(), Qt::PlainText);
        QCOMPARE(w->lblVersion->text(), QString("Version 2.6.2109.313"));
        QCOMPARE(w->lblVersionHistory->text(), QString("Version History"));
        QCOMPARE(w->lblNewVersion->text(), QString("New version available"));
        QCOMPARE(w->lblWindowsVersion->text(), OsVersionText(CurrentOsVersion()));
        QCOMPARE(w->lblCompilerVersion->text(), "Compiled with " + CompilerVersionText());
        QVERIFY2(w->lblCompilerVersion->text().startsWith("Compiled with GCC 12"),
                 qPrintable(w->lblCompilerVersion->text()));
        QCOMPARE(w->lblWebSite->text(), QString("127.0.0.1"));
        QCOMPARE(w->BitBtn1->text(), QString("&Close"));
        QCOMPARE(w->Image1->pixmap().size(), QSize(450, 288));
        QCOMPARE(w->imgDonate->pixmap().size(), QSize(74, 21));
        QVERIFY(w->imgDonate->pixmap().hasAlphaChannel());
        QCOMPARE(w->menSetup->text(), QString("Installation program"));
        QCOMPARE(w->menCAB->text(), QString("Executable only"));
        // Right-aligned to x = 442.
        QCOMPARE(w->lblNewVersion->geometry().right() + 1, 442);
        QCOMPARE(w->lblWebSite->geometry().right() + 1, 442);
        QCOMPARE(w->memNews->geometry(), QRect(170, 80, 272, 137));
        QVERIFY(w->memNews->isReadOnly());
        // The check waited under the hourglass.
        QCOMPARE(desktop.cursorEvents, QStringList({"hourglass", "normal"}));
    }

    void newVersion_data() {
        QTest::addColumn<QString>("offered");
        QTest::addColumn<QString>("running");
        QTest::addColumn<bool>("available");
        QTest::newRow("one build later") << "2.6.2109.314" << "2.6.2109.313" << true;
        QTest::newRow("same") << "2.6.2109.313" << "2.6.2109.313" << false;
        QTest::newRow("older major") << "2.5.9999.9999" << "2.6.2109.313" << false;
        QTest::newRow("3 is 0.0.0.3") << "3" << "2.6.2109.313" << false;
        QTest::newRow("3 against 0.0.0.2") << "3" << "0.0.0.2" << true;
        QTest::newRow("67645 is 2109") << "2.6.67645.0" << "2.6.2109.0" << false;
        QTest::newRow("67645 is 2109, later") << "2.6.67645.0" << "2.6.2108.9" << true;
        QTest::newRow("not a version") << "soon" << "2.6.2109.313" << false;
        QTest::newRow("no value") << "" << "0.0.0.0" << false;
    }
    void newVersion() {
        QFETCH(QString, offered);
        QFETCH(QString, running);
        QFETCH(bool, available);
        server.put(inf, controlFile(offered, "News", "setup.exe"));
        auto w = MakeAbout(nullptr, desktop, site(running));
        QCOMPARE(w->newVersionAvailable(), available);
        QCOMPARE(!w->lblNewVersion->isHidden(), available);
        QCOMPARE(w->lblVersion->text(), "Version " + running);
        // News and installation program are read whatever the version.
        QCOMPARE(w->memNews->toPlainText(), QString("News"));
        QVERIFY(w->menSetup->isEnabled());
        QVERIFY(desktop.messages.isEmpty());
    }

    void news_data() {
        QTest::addColumn<QString>("descr");
        QTest::addColumn<QString>("shown");
        QTest::newRow("one line") << "Faster start" << "Faster start";
        QTest::newRow("backslash-n") << "first\\nsecond" << "first\nsecond";
        QTest::newRow("backslash-N") << "first\\Nsecond" << "first\nsecond";
        QTest::newRow("several") << "a\\nb\\N\\nc" << "a\nb\n\nc";
        QTest::newRow("other backslashes") << "C:\\temp\\x" << "C:\\temp\\x";
        QTest::newRow("doubled backslash") << "a\\\\nb" << "a\\\nb";
        QTest::newRow("quoted") << "\"  two words \"" << "  two words ";
    }
    void news() {
        QFETCH(QString, descr);
        QFETCH(QString, shown);
        server.put(inf, controlFile("2.6.2109.314", descr, ""));
        auto w = MakeAbout(nullptr, desktop, site());
        QCOMPARE(w->news(), shown);
        QCOMPARE(w->memNews->toPlainText(), shown);
        QCOMPARE(w->memNews->document()->blockCount(), int(shown.count(u'\n')) + 1);
    }

    void controlFileValues_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("news");
        QTest::addColumn<QString>("setup");
        QTest::newRow("no runbefore")
            << controlFile("2.6.2109.314", "News", "") << true << "News" << "";
        QTest::newRow("Windows path")
            << controlFile("2.6.2109.314", "", "C:\\Program Files\\Zentory\\ZentorySetup.exe")
            << true << "" << "C:\\Program Files\\Zentory\\ZentorySetup.exe";
        QTest::newRow("no newversion")
            << QByteArray("[update]\ndescr=Only news\n[action]\nrunbefore=setup.exe\n") << false
            << "Only news" << "setup.exe";
        QTest::newRow("names in another case")
            << QByteArray("[FILE1]\nNewVersion=9.0.0.0\n[Update]\nDESCR=x\n") << true << "x"
            << "";
        QTest::newRow("not an INI file") << QByteArray("<html>Moved</html>") << false << ""
                                         << "";
    }
    void controlFileValues() {
        QFETCH(QByteArray, file);
        QFETCH(bool, available);
        QFETCH(QString, news);
        QFETCH(QString, setup);
        server.put(inf, file);
        auto w = MakeAbout(nullptr, desktop, site());
        QCOMPARE(w->newVersionAvailable(), available);
        QCOMPARE(w->news(), news);
        QCOMPARE(w->exeSetup(), setup);
        QCOMPARE(w->menSetup->isEnabled(), !setup.isEmpty());
        QVERIFY(w->menCAB->isEnabled());
    }

    // No control file, or no server: no news, nothing offered, no message.
    void checkFails_data() {
        QTest::addColumn<QString>("webServer");
        QTest::newRow("missing control file (404)") << QString();
        QTest::newRow("nothing listens") << LoopbackServer::refusingUrl();
    }
    void checkFails() {
        QFETCH(QString, webServer);
        AboutSite s = site();
        if (!webServer.isEmpty()) {
            s.webServer = webServer;
        }
        auto w = MakeAbout(nullptr, desktop, s);
        QVERIFY(!w->newVersionAvailable());
        QVERIFY(w->lblNewVersion->isHidden());
        QCOMPARE(w->memNews->toPlainText(), QString());
        QVERIFY(!w->menSetup->isEnabled());
        QVERIFY(w->menCAB->isEnabled());
        QVERIFY(desktop.messages.isEmpty());
        QCOMPARE(QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    // The control file is named after the executable, whatever its name,
    // and its temporary copy does not remain.
    void controlFileName_data() {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("request");
        QTest::newRow("Zentory.exe") << "/opt/zentory/Zentory.exe" << "GET /files/Zentory.INF HTTP/1.1";
        QTest::newRow("renamed") << "/opt/zentory/Tool.exe" << "GET /files/Tool.INF HTTP/1.1";
        QTest::newRow("two points") << "/opt/zentory/zen.tory.exe"
                                    << "GET /files/zen.tory.INF HTTP/1.1";
        QTest::newRow("no extension") << "/usr/bin/zentory" << "GET /files/zentory.INF HTTP/1.1";
        QTest::newRow("this program") << "" << "GET /files/tst_about.INF HTTP/1.1";
    }
    void controlFileName() {
        QFETCH(QString, executable);
        QFETCH(QString, request);
        server.put(request.section(' ', 1, 1), controlFile("9.9.9.9", "Found", ""));
        AboutSite s = site();
        s.executablePath = executable;
        auto w = MakeAbout(nullptr, desktop, s);
        QCOMPARE(server.requests(), QStringList{request});
        QVERIFY(w->newVersionAvailable());
        QCOMPARE(w->news(), QString("Found"));
        QCOMPARE(QDir(temp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    // Either file from the menu into the Downloads folder, made when
    // missing; then the question, and the file shown on Yes.
    void download_data() {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("runBefore");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("answer");
        QTest::newRow("installation program, Yes")
            << exe << "ZentorySetup.exe" << "menSetup" << "ZentorySetup.exe" << int(Button::Yes);
        QTest::newRow("installation program, No")
            << exe << "ZentorySetup.exe" << "menSetup" << "ZentorySetup.exe" << int(Button::No);
        QTest::newRow("Windows path: the name after the last backslash")
            << exe << "C:\\Program Files\\Zentory\\ZentorySetup-2.6.exe" << "menSetup"
            << "ZentorySetup-2.6.exe" << int(Button::Yes);
        QTest::newRow("slashes do not leave the folder")
            << exe << "../../escape.exe" << "menSetup" << "escape.exe" << int(Button::Yes);
        QTest::newRow("executable only") << exe << "" << "menCAB" << "Zentory.CAB"
                                         << int(Button::Yes);
        QTest::newRow("executable only, renamed")
            << "/opt/zentory/Tool.exe" << "setup.exe" << "menCAB" << "Tool.CAB" << int(Button::No);
    }
    void download() {
        QFETCH(QString, executable);
        QFETCH(QString, runBefore);
        QFETCH(QString, item);
        QFETCH(QString, fileName);
        QFETCH(int, answer);
        AboutSite s = site();
        s.executablePath = executable;
        server.put("/files/" + QFileInfo(executable).completeBaseName() + ".INF",
                   controlFile("2.6.2109.314", "", runBefore));
        const QByteArray content = "MZ the new version of " + fileName.toUtf8();
        server.put("/files/" + fileName, content);
        auto w = MakeAbout(nullptr, desktop, s);
        server.clearRequests();
        desktop.clear();
        QVERIFY(!QFileInfo::exists(downloads()));
        desktop.answers.push_back(Button(answer));

        w->findChild<QAction*>(item)->trigger();

        const QString file = downloads() + "/" + fileName;
        QCOMPARE(server.requests(), QStringList{"GET /files/" + fileName + " HTTP/1.1"});
        QCOMPARE(readAll(file), content);
        QCOMPARE(QDir(downloads()).entryList(QDir::Files), QStringList{fileName});
        QCOMPARE(desktop.messages.size(), 1);
        QCOMPARE(desktop.messages[0].kind, Kind::Confirmation);
        QCOMPARE(desktop.messages[0].text,
                 QString("File downloaded successfuly.\nOpen the download folder ?"));
        QCOMPARE(desktop.messages[0].buttons, Button::Yes | Button::No);
        QCOMPARE(desktop.shownFiles,
                 answer == int(Button::Yes) ? QStringList{file} : QStringList());
        QCOMPARE(desktop.cursorEvents, QStringList({"hourglass", "normal"}));
    }

    // A failed download says so, and leaves what the Downloads folder held.
    void downloadFails_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("blockFolder");
        QTest::newRow("installation program not on the server") << "menSetup" << false;
        QTest::newRow("archive not on the server") << "menCAB" << false;
        QTest::newRow("Downloads cannot be made") << "menCAB" << true;
    }
    void downloadFails() {
        QFETCH(QString, item);
        QFETCH(bool, blockFolder);
        server.put(inf, controlFile("2.6.2109.314", "", "ZentorySetup.exe"));
        const QString file = downloads() + "/" + (item == "menSetup" ? "ZentorySetup.exe"
                                                                     : "Zentory.CAB");
        if (blockFolder) {
            // A plain file where the folder should be.
            server.put("/files/Zentory.CAB", "new");
            QFile f(downloads());
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QDir().mkpath(downloads()));
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("the version downloaded before");
        }
        auto w = MakeAbout(nullptr, desktop, site());
        desktop.clear();

        w->findChild<QAction*>(item)->trigger();

        QCOMPARE(desktop.messages.size(), 1);
        QCOMPARE(desktop.messages[0].kind, Kind::Error);
        QCOMPARE(desktop.messages[0].text, QString("Unable to download the new version"));
        QCOMPARE(desktop.messages[0].buttons, DesktopServices::Buttons(Button::Ok));
        QVERIFY(desktop.shownFiles.isEmpty());
        if (blockFolder) {
            QVERIFY(QFileInfo(downloads()).isFile());
        } else {
            QCOMPARE(readAll(file), QByteArray("the version downloaded before"));
            QCOMPARE(QDir(downloads()).entryList(QDir::Files),
                     QStringList{QFileInfo(file).fileName()});
        }
        QVERIFY(w->isEnabled());
    }

    // A name without a file part ends the handler quietly, and so does an
    // item with another tag.
    void nothingToDownload_data() {
        QTest::addColumn<QString>("runBefore");
        QTest::addColumn<int>("tag");
        QTest::newRow("folder only") << "C:\\Setups\\" << 1;
        QTest::newRow("dot dot") << "C:\\Setups\\.." << 1;
        QTest::newRow("other tag") << "setup.exe" << 3;
    }
    void nothingToDownload() {
        QFETCH(QString, runBefore);
        QFETCH(int, tag);
        server.put(inf, controlFile("2.6.2109.314", "", runBefore));
        auto w = MakeAbout(nullptr, desktop, site());
        server.clearRequests();
        desktop.clear();
        QAction item;
        item.setProperty("Tag", tag);
        w->menNewVersionClick(&item);
        QVERIFY(desktop.messages.isEmpty());
        QCOMPARE(server.requests(), QStringList());
        QVERIFY(!QFileInfo::exists(downloads()));
    }

    // A click opens the menu under the label; the right button where it
    // was pressed.
    void newVersionMenu() {
        server.put(inf, controlFile("2.6.2109.314", "", "setup.exe"));
        auto w = MakeAbout(nullptr, desktop, site());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(w->lblNewVersion->isVisible());

        QTest::mouseClick(w->lblNewVersion, Qt::LeftButton);
        QTRY_VERIFY(w->pmNewVersion->isVisible());
        QCOMPARE(w->pmNewVersion->pos(),
                 w->lblNewVersion->mapToGlobal(QPoint(0, w->lblNewVersion->height())));
        w->pmNewVersion->hide();

        const QPoint at(5, 3);
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at,
                                     w->lblNewVersion->mapToGlobal(at));
        QApplication::sendEvent(w->lblNewVersion, &rightClick);
        QTRY_VERIFY(w->pmNewVersion->isVisible());
        QCOMPARE(w->pmNewVersion->pos(), w->lblNewVersion->mapToGlobal(at));
        w->pmNewVersion->hide();
    }

    void links_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("url");
        QTest::newRow("web site") << "lblWebSite" << "/wiki/doku.php";
        QTest::newRow("donate") << "imgDonate" << "https://pay.example/donate?to=zentory";
    }
    void links() {
        QFETCH(QString, link);
        QFETCH(QString, url);
        auto w = MakeAbout(nullptr, desktop, site());
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QTest::mouseClick(w->findChild<QLabel*>(link), Qt::LeftButton);
        const QString expected = url.startsWith('/') ? server.url() + url : url;
        QCOMPARE(desktop.openedUrls, QList<QUrl>{QUrl(expected)});
        QVERIFY(desktop.messages.isEmpty());
        // Another tag opens nothing.
        QLabel other;
        other.setProperty("Tag", 3);
        w->WebLinkClick(&other);
        QCOMPARE(desktop.openedUrls.size(), 1);
    }

    // ShowAbout opens the window modally, after the check, and destroys
    // it once it is closed.
    void showAbout() {
        server.put(inf, controlFile("2.6.2109.314", "Line one\\nLine two", ""));
        QPointer<TfrmAbout102> shown;
        bool wasModal = false;
        QString news;
        bool newVersionVisible = false;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* w = qobject_cast<TfrmAbout102*>(QApplication::activeModalWidget());
            if (!w || !w->isVisible()) {
                return;
            }
            poll.stop();
            shown = w;
            wasModal = w->isModal();
            news = w->memNews->toPlainText();
            newVersionVisible = w->lblNewVersion->isVisible();
            w->BitBtn1->click();
        });
        poll.start();
        ShowAbout(nullptr, desktop, site());
        QVERIFY(!poll.isActive());
        QVERIFY(wasModal);
        QCOMPARE(news, QString("Line one\nLine two"));
        QVERIFY(newVersionVisible);
        QVERIFY(shown.isNull());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
