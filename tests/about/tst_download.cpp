// One URL into one file, temporary names and the usage hit, against a real
// HTTP server on loopback (and one address where nothing listens).
#include <QtTest>
#include <chrono>

#include "Download.h"
#include "LoopbackServer.h"
#include "uIncMatomo.h"

using namespace std::chrono_literals;

namespace {

QByteArray readAll(const QString& fileName) {
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no file>");
}

void write(const QString& fileName, const QByteArray& content) {
    QFile f(fileName);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// The temporary folder of the process, for as long as a test needs one
// of its own.
class TempFolder {
public:
    TempFolder() : m_old(qgetenv("TMPDIR")) { qputenv("TMPDIR", m_dir.path().toLocal8Bit()); }
    ~TempFolder() { qputenv("TMPDIR", m_old); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

}  // namespace

class TestDownload : public QObject {
    Q_OBJECT

    LoopbackServer server;
    QByteArray blob;

private slots:
    void initTestCase() {
        const QString failure = server.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        // Large enough to arrive in many pieces.
        QRandomGenerator random(20240611);
        for (int i = 0; i < 300 * 1024; ++i) {
            blob.append(char(random.bounded(256)));
        }
        server.put("/files/blob.bin", blob);
        server.put("/files/empty.txt", "");
        server.put("/statistiques/piwik.php", QByteArray::fromHex(
            "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b"));
    }

    // The destination holds the whole answer after a success, and after
    // a failure exactly what it held before; nothing else is left beside it.
    void downloadURLToFile_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("fetched");
        QTest::addColumn<QByteArray>("content");
        const QString s = server.url();
        QTest::newRow("file") << s + "/files/blob.bin" << true << blob;
        QTest::newRow("empty file") << s + "/files/empty.txt" << true << QByteArray();
        QTest::newRow("missing (404)") << s + "/files/none.bin" << false << QByteArray("old");
        QTest::newRow("cut short") << s + "/truncated/x" << false << QByteArray("old");
        QTest::newRow("never answers") << s + "/silent/x" << false << QByteArray("old");
        QTest::newRow("trickles") << s + "/trickle/x" << false << QByteArray("old");
        QTest::newRow("nothing listens")
            << LoopbackServer::refusingUrl() + "/files/blob.bin" << false << QByteArray("old");
        QTest::newRow("not http") << "ftp://127.0.0.1/files/blob.bin" << false
                                  << QByteArray("old");
        QTest::newRow("no address") << "" << false << QByteArray("old");
        QTest::newRow("not an address") << "http://[::1" << false << QByteArray("old");
    }
    void downloadURLToFile() {
        QFETCH(QString, url);
        QFETCH(bool, fetched);
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString file = dir.filePath("answer.bin");
        write(file, "old");
        // A deadline that a loopback answer meets with room to spare, and
        // that ends the two servers that never finish.
        QCOMPARE(DownloadURLToFile(url, file, 3s), fetched);
        QCOMPARE(readAll(file), content);
        QCOMPARE(entries(dir.path()), QStringList{"answer.bin"});
    }

    void downloadIntoNewFile() {
        QTemporaryDir dir;
        const QString file = dir.filePath("new.bin");
        QVERIFY(!DownloadURLToFile(server.url() + "/files/none.bin", file));
        QVERIFY(!QFile::exists(file));
        QVERIFY(DownloadURLToFile(server.url() + "/files/blob.bin", file));
        QCOMPARE(readAll(file), blob);
    }

    // A file that cannot be written is a failure, and the server is not
    // even asked.
    void downloadToUnwritablePlace() {
        QTemporaryDir dir;
        server.clearRequests();
        QVERIFY(!DownloadURLToFile(server.url() + "/files/blob.bin",
                                   dir.filePath("no-such-folder/blob.bin")));
        QVERIFY(!QFile::exists(dir.filePath("no-such-folder")));
        QCOMPARE(server.requests(), QStringList());
    }

    void makeTempFileName() {
        TempFolder temp;
        const QString a = MakeTempFileName(".tmp");
        const QString b = MakeTempFileName(".tmp");
        const QString c = MakeTempFileName(".INF");
        QCOMPARE(QFileInfo(a).absolutePath(), QDir(temp.path()).canonicalPath());
        QVERIFY2(a.endsWith(".tmp") && c.endsWith(".INF"), qPrintable(a + " " + c));
        QVERIFY(QFileInfo(a).completeBaseName().size() >= 6);
        QVERIFY(a != b);
        // The placeholder is gone: only the name is kept.
        QCOMPARE(entries(temp.path()), QStringList());
    }

    void makeTempFileNameWithoutFolder() {
        TempFolder temp;
        const QString notAFolder = temp.path() + "/file";
        write(notAFolder, "x");
        qputenv("TMPDIR", notAFolder.toLocal8Bit());
        QCOMPARE(MakeTempFileName(".tmp"), QString());
        qputenv("TMPDIR", (temp.path() + "/missing").toLocal8Bit());
        QCOMPARE(MakeTempFileName(".tmp"), QString());
    }

    void usagePing_data() {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("request");
        const QString prefix =
            "GET /statistiques/piwik.php?idsite=15&rec=1&url=https%3A%2F%2Fprograms.zentory.example%2F";
        QTest::newRow("Tool.exe") << "/opt/zentory/Tool.exe" << prefix + "Tool.exe HTTP/1.1";
        QTest::newRow("renamed") << "/opt/zentory/Zentory-2.exe"
                                 << prefix + "Zentory-2.exe HTTP/1.1";
        QTest::newRow("no extension") << "/usr/bin/zentory" << prefix + "zentory HTTP/1.1";
        QTest::newRow("blank") << "/opt/My Tools/My Tool.exe" << prefix + "My%20Tool.exe HTTP/1.1";
        QTest::newRow("query characters")
            << "/opt/a&b#c?.exe" << prefix + "a%26b%23c%3F.exe HTTP/1.1";
        QTest::newRow("non-ASCII") << QString::fromUtf8("/opt/Zent\xC3\xB6ry.exe")
                                   << prefix + "Zent%C3%B6ry.exe HTTP/1.1";
    }
    void usagePing() {
        QFETCH(QString, executable);
        QFETCH(QString, request);
        TempFolder temp;
        server.clearRequests();
        SendUsagePing(server.url(), "https://programs.zentory.example/", executable);
        QCOMPARE(server.requests(), QStringList{request});
        QCOMPARE(entries(temp.path()), QStringList());
    }

    // Failures are silent and leave nothing behind: nothing listening, a
    // server that never answers, and the compiled server, which cannot be
    // reached from the tests' network.
    void usagePingFailures_data() {
        QTest::addColumn<QString>("webServer");
        QTest::newRow("nothing listens") << LoopbackServer::refusingUrl();
        QTest::newRow("error status") << server.url() + "/missing";
        QTest::newRow("compiled server") << QString();
    }
    void usagePingFailures() {
        QFETCH(QString, webServer);
        TempFolder temp;
        if (webServer.isEmpty()) {
            SendUsagePing();
        } else {
            SendUsagePing(webServer, ProgramsSite(), "/opt/zentory/Zentory.exe");
        }
        QCOMPARE(entries(temp.path()), QStringList());
    }

    // The page address the hit reports is an https address ending in a
    // slash, as the tracker's site is configured.
    void programsSite() {
        QVERIFY2(ProgramsSite().startsWith("https://") && ProgramsSite().endsWith("/"),
                 qPrintable(ProgramsSite()));
    }
};

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_download.moc"
