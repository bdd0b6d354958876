// Versions: the running program's, the one the maker's server offers, and
// the texts of the about window (program, operating system, compiler).
#pragma once

#include <QString>
#include <QtGlobal>

// Four unsigned 16-bit numbers, as in a Windows version resource.
struct FileVersion {
    quint16 major = 0;
    quint16 minor = 0;
    quint16 release = 0;
    quint16 build = 0;

    friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

// "major.minor.release.build". A part whose point is missing stays 0 and
// the rest of the text goes to the build ("2.7" is 2.0.0.7); a part that
// is not a decimal integer is 0; each part keeps its low 16 bits
// (67645 is 2109).
FileVersion ParseVersion(const QString& pText);
// pNew is later than pRunning: at the first part where they differ,
// major to build, the new one is larger.
bool IsNewerVersion(const FileVersion& pNew, const FileVersion& pRunning);
// "%d.%d.%d.%d".
QString FormatVersion(const FileVersion& pVersion);

// The running program's version: its version resource on Windows (a
// std::runtime_error with the system's message when that cannot be read),
// the build's project version elsewhere.
FileVersion GetFileVersion();
QString GetFileVersionText();

// What the operating-system line of the about window is made of.
struct OsVersion {
    QString productName;
    int servicePackMajor = 0;  // 0: none installed
    int major = 0;
    int minor = 0;
    QString build;  // Windows: the build number; elsewhere the kernel release
    bool is64Bit = false;
};
OsVersion CurrentOsVersion();
// "Windows 7 Service Pack 1 (Version 6.1, Build 7601, 64-bit Edition)".
QString OsVersionText(const OsVersion& pVersion);

// The compiler that built the program, with its version ("GCC 12.2.0").
QString CompilerVersionText();
