#include "CompareCsv.h"

#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <vector>

QString CsvField(const QString& text) {
    const bool hadQuote = text.contains(u'"');
    QString field = text;
    field.replace(u'"', QStringLiteral("\"\""));
    bool enclosed = false;
    if (hadQuote && !field.contains(u',')) {
        field = u'"' + field + u'"';
        enclosed = true;
    }
    if (field.isEmpty()) {
        return QStringLiteral("\"\"");
    }
    // A line feed without a carriage return ends the line for every reader
    // of the file just as CR LF does, so it is enclosed as well: left bare it
    // would cut the row in two.
    if (field.contains(u',') || field.contains(u'\r') || field.contains(u'\n')) {
        if (enclosed) {
            field.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        } else {
            // The spreadsheet's own line break inside a cell.
            field.replace(QStringLiteral("\r\n"), QString(QChar(0x0B)));
            field = u'"' + field + u'"';
        }
    }
    return field;
}

namespace {

// The field of a text as UTF-8, a comma after it. Most texts are account
// names of plain ASCII that need no quoting; they are copied as they are.
void appendField(QByteArray& out, const QString& text) {
    bool plain = !text.isEmpty();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 || u == u'"' || u == u',' || u == u'\r' || u == u'\n') {
            plain = false;
            break;
        }
    }
    if (plain) {
        for (const QChar c : text) {
            out.append(char(c.unicode()));
        }
    } else {
        out += CsvField(text).toUtf8();
    }
    out.append(',');
}

// Hands the file's bytes to sink a buffer at a time; false as soon as sink
// fails. Each distinct text becomes its field once, all fields in one
// buffer; the cells then only copy their field's bytes. A comparison of
// fifty large groups has five million cells and some 100 000 texts, and is
// written without holding the whole file in memory.
template <class Sink>
bool writeCsv(const tyCompareTable& table, Sink&& sink) {
    struct Piece {
        qsizetype offset;
        qsizetype size;
    };
    constexpr qsizetype kShort = 16;  // copied as a fixed block: no call
    QByteArray fields;
    std::vector<Piece> pieces;
    pieces.reserve(table.texts().size());
    for (const QString& text : table.texts()) {
        const qsizetype offset = fields.size();
        appendField(fields, text);
        pieces.push_back({offset, fields.size() - offset});
    }
    fields.append(kShort, '\0');
    const char* source = fields.constData();

    constexpr qsizetype kBuffer = qsizetype(1) << 20;
    std::vector<char> buffer(size_t(kBuffer + kShort + 2));
    char* const begin = buffer.data();
    char* const limit = begin + kBuffer;
    char* p = begin;
    const auto flush = [&] {
        const bool ok = sink(begin, qsizetype(p - begin));
        p = begin;
        return ok;
    };
    std::memcpy(p, "\xEF\xBB\xBF", 3);
    p += 3;

    const tyCompareTable::CellArray& cells = table.cellTexts();
    const size_t cols = size_t(std::max(table.ColCount, 0));
    for (int row = 0; row < table.RowCount; ++row) {
        const uint32_t* cell = cells.data() + size_t(row) * cols;
        for (size_t col = 0; col < cols; ++col) {
            const Piece& piece = pieces[cell[col]];
            if (piece.size <= kShort) {
                if (p >= limit && !flush()) {
                    return false;
                }
                std::memcpy(p, source + piece.offset, kShort);
                p += piece.size;
            } else {
                if (p + piece.size > limit + kShort && !flush()) {
                    return false;
                }
                if (piece.size > kBuffer) {
                    // A text longer than the buffer: all of it but its
                    // comma straight out.
                    if (!sink(source + piece.offset, piece.size - 1)) {
                        return false;
                    }
                    *p++ = ',';
                } else {
                    std::memcpy(p, source + piece.offset, size_t(piece.size));
                    p += piece.size;
                }
            }
        }
        // The last comma of a row, always in the buffer, gives way to CR LF.
        if (cols > 0) {
            --p;
        }
        *p++ = '\r';
        *p++ = '\n';
    }
    return flush();
}

}  // namespace

QByteArray CompareTableCsv(const tyCompareTable& table) {
    QByteArray out;
    writeCsv(table, [&out](const char* data, qsizetype size) {
        out.append(data, size);
        return true;
    });
    return out;
}

bool WriteCompareCsv(const tyCompareTable& table, const QString& fileName, QString& error) {
    QSaveFile file(fileName);
    // Never written in place, not even where no temporary file can be made
    // beside the target: a failure then would leave part of a file.
    file.setDirectWriteFallback(false);
    const bool written =
        file.open(QIODevice::WriteOnly) &&
        writeCsv(table, [&file](const char* data,
                                qsizetype size) { return file.write(data, size) == size; }) &&
        file.commit();
    if (!written) {
        error = QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}
