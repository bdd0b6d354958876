#include "FileVersion.h"

#include <QSysInfo>
#include <tuple>

#include "ZentoryBuild.h"

namespace {

quint16 versionPart(QStringView text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? static_cast<quint16>(static_cast<unsigned>(value) & 0xFFFFu) : 0;
}

}  // namespace

FileVersion ParseVersion(const QString& pText) {
    QStringView rest(pText);
    quint16 parts[3] = {0, 0, 0};
    for (quint16& part : parts) {
        const qsizetype dot = rest.indexOf(u'.');
        if (dot < 0) {
            break;
        }
        part = versionPart(rest.first(dot));
        rest = rest.sliced(dot + 1);
    }
    return {parts[0], parts[1], parts[2], versionPart(rest)};
}

bool IsNewerVersion(const FileVersion& pNew, const FileVersion& pRunning) {
    return std::tie(pNew.major, pNew.minor, pNew.release, pNew.build) >
           std::tie(pRunning.major, pRunning.minor, pRunning.release, pRunning.build);
}

QString FormatVersion(const FileVersion& pVersion) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(pVersion.major)
        .arg(pVersion.minor)
        .arg(pVersion.release)
        .arg(pVersion.build);
}

QString GetFileVersionText() {
    return FormatVersion(GetFileVersion());
}

QString OsVersionText(const OsVersion& pVersion) {
    QString text = pVersion.productName;
    if (pVersion.servicePackMajor > 0) {
        text += QStringLiteral(" Service Pack %1").arg(pVersion.servicePackMajor);
    }
    text += QStringLiteral(" (Version %1.%2, Build %3, %4)")
                .arg(pVersion.major)
                .arg(pVersion.minor)
                .arg(pVersion.build,
                     pVersion.is64Bit ? QStringLiteral("64-bit Edition")
                                      : QStringLiteral("32-bit Edition"));
    return text;
}

QString CompilerVersionText() {
#if defined(__clang__)
    return QStringLiteral("Clang ") + QStringLiteral(__clang_version__).trimmed();
#elif defined(__GNUC__)
    return QStringLiteral("GCC ") + QStringLiteral(__VERSION__);
#elif defined(_MSC_VER)
    return QStringLiteral("Microsoft Visual C++ %1").arg(_MSC_FULL_VER);
#else
    return QStringLiteral("an unknown C++ compiler");
#endif
}

#ifndef Q_OS_WIN
FileVersion GetFileVersion() {
    return {ZENTORY_VERSION_MAJOR, ZENTORY_VERSION_MINOR, ZENTORY_VERSION_PATCH,
            ZENTORY_VERSION_TWEAK};
}

OsVersion CurrentOsVersion() {
    // The kernel stands where Windows' own version stands: "Version" is
    // its major.minor, "Build" its full release text.
    OsVersion v;
    v.productName = QSysInfo::prettyProductName();
    v.build = QSysInfo::kernelVersion();
    const QStringList numbers = v.build.section(u'-', 0, 0).split(u'.');
    v.major = numbers.value(0).toInt();
    v.minor = numbers.value(1).toInt();
    // The system's architecture, not the program's: a 32-bit build on a
    // 64-bit system still reports a 64-bit edition.
    const QString arch = QSysInfo::currentCpuArchitecture();
    v.is64Bit = arch.contains(QStringLiteral("64")) || arch == u"sparcv9" || arch == u"s390x";
    return v;
}
#endif
