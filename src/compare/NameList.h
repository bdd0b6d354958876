// Name list files: one account name, or one whole list item with its
// detail, per line, as people keep them in a text editor or as the main
// window's "Copy to clipboard" buttons write them. Read by the advanced
// comparison and by zentory-cli's --names, so both take the same lines
// from the same file. Qt Core only.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// The lines of a file's bytes. A byte-order mark selects UTF-8, UTF-16 LE or
// UTF-16 BE; without one the bytes are in the system's legacy encoding (the
// ANSI code page on Windows, UTF-8 elsewhere). Lines end with CR LF, LF or
// CR; a break at the very end makes no empty last line. Bytes that are not
// valid in the encoding become U+FFFD and the rest is read all the same.
QStringList DecodeNameList(QByteArrayView bytes);

// Reads and decodes a whole file in one go. False, with lines untouched and
// error set to a message that names the file and gives the system's reason,
// when it cannot be opened or read. Only regular files are read: a pipe or a
// device would block the window or never end.
bool ReadNameList(const QString& path, QStringList& lines, QString& error);

// What a line is matched by: every character up to U+0020 taken off both
// ends (a no-break space stays, as it belongs to a list item's separator).
QStringView TrimNameLine(QStringView line);

// The form in which two texts are equal when case is ignored.
QString NameListKey(QStringView text);

struct NameListMatch {
    // Indices into the entries, in the order they were taken: the reverse
    // of the order of their lines in the file.
    std::vector<int> taken;
    // The lines that took nothing, untrimmed, in file order.
    QStringList notFound;
};

// Matches a name list against the texts of a list. The lines are walked from
// the last to the first; each trimmed line takes the first entry not taken
// yet whose whole text equals it, case ignored. So a name on several lines
// is taken once, by its last line, and its other lines are not found.
// Entries are looked up by key in a hash: a file of several hundred thousand
// lines against a large domain takes a moment, not a scan per line.
NameListMatch MatchNameList(const QStringList& lines, const QStringList& entries);
