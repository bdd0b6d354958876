#include "TestDc.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {

QString sourceDir() {
    return qEnvironmentVariable("ZENTORY_SOURCE_DIR");
}

QString envFile() {
    const QString dir = qEnvironmentVariable("ZENTORY_TESTDC_DIR");
    return (dir.isEmpty() ? sourceDir() + "/build/testdc" : dir) + "/env";
}

// Undoes the shell quoting scripts/testdc writes: 'single quoted' or bare.
QString unquote(QString v) {
    if (v.size() >= 2 && v.startsWith('\'') && v.endsWith('\'')) {
        v = v.mid(1, v.size() - 2);
        v.replace("'\\''", "'");
    }
    return v;
}

}  // namespace

bool loadTestDc(QString& error) {
    QFile f(envFile());
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = "the test domain controller is not running (no " + f.fileName() +
                "); start it with scripts/testdc start";
        return false;
    }
    static const QRegularExpression line("^export ([A-Z0-9_]+)=(.*)$");
    while (!f.atEnd()) {
        const QString l = QString::fromUtf8(f.readLine()).trimmed();
        const auto m = line.match(l);
        if (m.hasMatch()) {
            qputenv(m.captured(1).toLatin1(), unquote(m.captured(2)).toUtf8());
        }
    }
    return true;
}

QString testDcValue(const char* name) {
    return qEnvironmentVariable(name);
}

bool runTestDc(const QString& subcommand, QString& output) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(sourceDir() + "/scripts/testdc", {subcommand});
    const bool finished = p.waitForFinished(180000);
    output = QString::fromUtf8(p.readAll());
    return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool kinit(const QString& user, const QString& password, QString& output) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("kinit", {user + "@" + testDcValue("ZENTORY_TEST_REALM")});
    p.waitForStarted();
    p.write(password.toUtf8() + "\n");
    p.closeWriteChannel();
    const bool finished = p.waitForFinished(30000);
    output = QString::fromUtf8(p.readAll());
    return finished && p.exitCode() == 0;
}

bool kdestroy() {
    return QProcess::execute("kdestroy", {}) == 0;
}
