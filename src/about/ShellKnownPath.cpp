#include "ShellKnownPath.h"

#include <QStandardPaths>

QString KnownFolderPath(const KnownFolderId& pId) {
#ifdef Q_OS_WIN
    return QString::fromStdWString(KnownFolderPathWin32(pId));
#else
    // The known folders that have a counterpart among the desktop's
    // locations (XDG user directories); the rest are Windows' own.
    struct Location {
        KnownFolderId id;
        QStandardPaths::StandardLocation location;
    };
    static constexpr Location kLocations[] = {
        {kFolderDownloads, QStandardPaths::DownloadLocation},
        {kFolderDesktop, QStandardPaths::DesktopLocation},
        {kFolderDocuments, QStandardPaths::DocumentsLocation},
        {kFolderMusic, QStandardPaths::MusicLocation},
        {kFolderPictures, QStandardPaths::PicturesLocation},
        {kFolderVideos, QStandardPaths::MoviesLocation},
        {kFolderProfile, QStandardPaths::HomeLocation},
    };
    for (const auto& l : kLocations) {
        if (l.id == pId) {
            return QStandardPaths::writableLocation(l.location);
        }
    }
    return {};
#endif
}
