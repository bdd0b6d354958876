// A REGEDIT4 file standing in for the current user's registry hive where
// there is none: the text regedit writes for an export, read and rewritten
// in place so that everything the program does not know about stays as it
// was.
//
// What the reader understands, line by line:
//   - line 1, REGEDIT4 (an UTF-8 byte-order mark before it is kept);
//   - blank lines and comments (";"), kept as they are;
//   - [KEY PATH], a key; [-KEY PATH], regedit's deletion of a key;
//   - "NAME"=... and @=... (the key's unnamed value), with the data
//     "TEXT" (\\ and \" the only escapes), dword:XXXXXXXX, hex:XX,XX,... and
//     hex(T):XX,... of any type T, a hex list continuing over lines ending
//     in "\", and - (regedit's deletion of a value).
// Anything else cannot be parsed and makes the whole file a broken one
// (SettingsFileError, with the line): a line that is none of the above, a
// value before the first key, a name or text without its closing quotation
// mark, another escape, a bad digit, a hex list continuing past the end.
//
// Lines that are understood but not the program's (other keys, other
// values, hex(2) and other types, comments, deletions) are kept verbatim
// and written back as they were read; deletions are not acted on. Only the
// lines of the values the program writes are replaced, each in its place;
// new values go after the last value of their key, new keys at the end.
// Nothing is removed. Key paths and value names are matched without regard
// to case, as the registry matches them; when a value is given twice, the
// later one counts, as it would when the file is imported.
//
// The text is UTF-8 (regedit writes REGEDIT4 in the ANSI code page, which
// could not hold every face name); bytes that are not UTF-8 make the file a
// broken one rather than being replaced. Lines end as the file's first line
// ends; a new file gets regedit's CR LF. Texts that hold a line break or
// another control character, which "TEXT" cannot carry, are written in the
// other REGEDIT4 form of a REG_SZ, hex(1): with their bytes in the file's
// encoding (UTF-8) and a terminating 00.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

#include "RegistryHive.h"

class RegFile {
public:
    // A new file: the REGEDIT4 line, nothing else.
    RegFile();

    // Throws SettingsFileError, naming fileName and the line. An empty file
    // (nothing but white space) is a new one: it holds nothing to lose.
    static RegFile parse(const QByteArray& bytes, const QString& fileName);
    QByteArray serialize() const;

    // Paths here are complete, hive included ("HKEY_CURRENT_USER\\Software").
    // A key exists when the file names it or any key below it.
    bool keyExists(QStringView path) const;
    void createKey(QStringView path);
    std::optional<RegData> value(QStringView path, QStringView name) const;
    // Creates the key when the file has no [path] line for it.
    void setValue(QStringView path, QStringView name, const RegData& data);

private:
    enum class Kind { Header, Blank, Comment, Key, DeletedKey, Value, DeletedValue };
    struct Entry {
        Kind kind;
        QStringList lines;  // as read, or as last written
        QString path;       // Key
        QString name;       // Value, DeletedValue
        RegData data;       // Value
    };

    // The value line at lines[i] and the lines that continue it; i ends on
    // the last of them.
    static Entry parseValue(const QStringList& lines, qsizetype& i, const QString& fileName);
    // The last [path] line, or -1.
    int lastKeyEntry(QStringView path) const;
    void appendKey(QStringView path);

    std::vector<Entry> m_entries;
    bool m_byteOrderMark = false;
    QString m_lineEnd = QStringLiteral("\r\n");
};

// The hive of a RegFile: what the settings store reads and writes, paths
// below HKEY_CURRENT_USER.
class RegFileHive : public RegistryHive {
public:
    explicit RegFileHive(RegFile& file) : m_file(file) {}
    std::unique_ptr<RegistryKey> openKey(std::u16string_view path) override;
    std::unique_ptr<RegistryKey> createKey(std::u16string_view path) override;

private:
    RegFile& m_file;
};
