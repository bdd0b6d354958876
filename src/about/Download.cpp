#include "Download.h"

#include <QDir>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <memory>

bool DownloadURLToFile(const QString& pURL, const QString& pFileName,
                       std::chrono::milliseconds deadline) {
    try {
        const QUrl url(pURL, QUrl::StrictMode);
        if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https") ||
            url.host().isEmpty()) {
            return false;
        }
        // Written beside the destination and renamed over it at the end, so
        // the destination holds either the old file or the whole new one.
        QSaveFile out(pFileName);
        if (!out.open(QIODevice::WriteOnly)) {
            return false;
        }

        QNetworkAccessManager manager;
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                             QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CookieSaveControlAttribute,
                             QNetworkRequest::Manual);
        std::unique_ptr<QNetworkReply> reply(manager.get(request));

        bool writeFailed = false;
        bool timedOut = false;
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        // A byte now and then would keep an inactivity timeout from ever
        // firing: the deadline is for the whole transfer.
        QObject::connect(&timer, &QTimer::timeout, reply.get(), [&] {
            timedOut = true;
            reply->abort();
        });
        QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), [&] {
            if (!writeFailed && out.write(reply->readAll()) < 0) {
                writeFailed = true;
                reply->abort();
            }
        });
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        timer.start(deadline);
        if (!reply->isFinished()) {
            // Input waits: the user cannot close the window that is waiting
            // here, nor start the same download again.
            loop.exec(QEventLoop::ExcludeUserInputEvents);
        }
        timer.stop();
        if (!writeFailed && !timedOut && reply->error() == QNetworkReply::NoError) {
            const QByteArray rest = reply->readAll();
            if (!rest.isEmpty() && out.write(rest) < 0) {
                writeFailed = true;
            }
        }
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (writeFailed || timedOut || reply->error() != QNetworkReply::NoError || status < 200 ||
            status > 299) {
            out.cancelWriting();
            return false;
        }
        return out.commit();
    } catch (...) {
        return false;
    }
}

QString MakeTempFileName(const QString& pExtension) {
    // An empty path (a temporary folder that does not exist) would put
    // the file in the root folder.
    const QString folder = QDir::tempPath();
    if (folder.isEmpty()) {
        return {};
    }
    // The unique part comes before the extension, which is then replaced.
    QTemporaryFile placeholder(folder + QStringLiteral("/XXXXXXXX.tmp"));
    if (!placeholder.open()) {
        return {};
    }
    const QString name = placeholder.fileName();
    placeholder.remove();
    const qsizetype dot = name.lastIndexOf(u'.');
    return name.first(dot) + pExtension;
}
