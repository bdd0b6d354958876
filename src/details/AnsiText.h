// Text for the files that Windows programs of the desktop read as "ANSI":
// one byte per character in the system's 8-bit code page, no byte-order
// mark.
#pragma once

#include <QByteArray>
#include <QString>

// In Windows' ANSI code page where there is one; elsewhere in Windows-1252,
// the code page of the Western-language Windows systems these files are
// most often read on.
QByteArray AnsiBytes(const QString& text);

// Windows-1252, a character it lacks becoming '?' as Windows' conversion
// makes it: one '?' per character, a pair of surrogates being one
// character. The five bytes that Windows-1252 leaves undefined stand for
// U+0081, U+008D, U+008F, U+0090 and U+009D, as in Windows' own table.
QByteArray Windows1252Bytes(const QString& text);
