// The maker's web server of the about tests: http_server.py, started on
// loopback for one test program, serving the files the test puts under
// its root and logging every request line it gets.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>

class LoopbackServer {
public:
    LoopbackServer() = default;
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;
    ~LoopbackServer() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();  // our own child, by its process id
            m_process.waitForFinished();
        }
    }

    // Empty on success, otherwise what went wrong.
    QString start() {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty()) {
            return QStringLiteral("python3 not found");
        }
        const QString script =
            qEnvironmentVariable("ZENTORY_SOURCE_DIR") + QStringLiteral("/tests/about/http_server.py");
        if (!m_dir.isValid() || !QDir().mkpath(root())) {
            return QStringLiteral("no folder for the server");
        }
        m_process.setProgram(python);
        m_process.setArguments({script, root(), logFile()});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted()) {
            return QStringLiteral("python3 did not start");
        }
        // The script prints its port as soon as it listens.
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(30000)) {
                return QStringLiteral("the server printed no port");
            }
        }
        m_port = QString::fromLatin1(m_process.readLine()).trimmed().toInt();
        return m_port > 0 ? QString() : QStringLiteral("the server printed no port");
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }
    QString root() const { return m_dir.filePath(QStringLiteral("www")); }

    void put(const QString& path, const QByteArray& content) const {
        const QString file = root() + path;
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(content);
        }
    }
    void remove(const QString& path) const { QFile::remove(root() + path); }
    // Removes every served file.
    void clearFiles() const {
        QDir(root()).removeRecursively();
        QDir().mkpath(root());
    }

    // The request lines received so far ("GET /files/x HTTP/1.1").
    QStringList requests() const {
        QFile f(logFile());
        if (!f.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    void clearRequests() const { QFile::remove(logFile()); }

    // An address on loopback where nothing listens.
    static QString refusingUrl() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        return QStringLiteral("http://127.0.0.1:%1").arg(port);
    }

private:
    QString logFile() const { return m_dir.filePath(QStringLiteral("requests.log")); }

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};
