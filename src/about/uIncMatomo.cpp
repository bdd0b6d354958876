#include "uIncMatomo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "AboutBuild.h"
#include "Download.h"
#include "ZentoryBuild.h"

QString ProgramsSite() {
    return QStringLiteral(ZENTORY_PROGRAMS_SITE);
}

QString UsagePingUrl(const QString& webServer, const QString& programsSite,
                     const QString& executableFileName) {
    // The file name goes in as it is when a URL allows it as it is (a name
    // like Zentory.exe); anything else in it (a blank, "&", "#", a letter
    // beyond ASCII) is percent-encoded from UTF-8, so that the tracker
    // sees the whole name as the one page it is.
    return webServer + QStringLiteral("/statistiques/piwik.php?idsite=15&rec=1&url=") +
           QString::fromLatin1(QUrl::toPercentEncoding(programsSite)) +
           QString::fromLatin1(QUrl::toPercentEncoding(executableFileName));
}

void SendUsagePing(const QString& webServer, const QString& programsSite,
                   const QString& executablePath) {
    const QString tempFile = MakeTempFileName(QStringLiteral(".tmp"));
    if (tempFile.isEmpty()) {
        return;
    }
    const QString url =
        UsagePingUrl(webServer, programsSite, QFileInfo(executablePath).fileName());
    if (DownloadURLToFile(url, tempFile, kSmallDownloadDeadline) && QFile::exists(tempFile)) {
        QFile::remove(tempFile);
    }
}

void SendUsagePing() {
    SendUsagePing(QStringLiteral(ZENTORY_WEB_SERVER), ProgramsSite(),
                  QCoreApplication::applicationFilePath());
}
