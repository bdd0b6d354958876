// The update control file is read as the Windows INI reader
// (GetPrivateProfileStringW) reads it: the server's file is written for
// that reader, so every other system must read it by the same rules,
// which QSettings' INI format does not follow (it unescapes backslashes,
// splits values at commas and merges repeated keys).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Values are cut to this many UTF-16 code units, as by the system reader
// with its 2048-character buffer.
inline constexpr qsizetype kProfileValueMax = 2047;

class IniFile {
public:
    // The text of a file: UTF-16 or UTF-8 after a byte-order mark, UTF-8
    // without one, or Windows-1252 when the bytes are not UTF-8 (the
    // system reader takes the ANSI code page there).
    static IniFile fromBytes(const QByteArray& data);
    // A file that cannot be read reads as an empty one.
    static IniFile load(const QString& fileName);

    // Sections and keys are matched without regard to case, and the first
    // one of a name wins: later sections or keys of the same name are not
    // read. Blanks around the value are trimmed and one pair of matching
    // quotes around it removed; backslashes, commas and semicolons are
    // plain text.
    QString value(const QString& pSection, const QString& pKey,
                  const QString& pDefault = QString()) const;

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        QList<Entry> entries;
    };
    QList<Section> m_sections;
};

// One value of an INI file: GetPrivateProfileStringW on Windows, IniFile
// elsewhere.
QString ReadProfileString(const QString& pFileName, const QString& pSection, const QString& pKey,
                          const QString& pDefault = QString());
