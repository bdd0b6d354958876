#include "CompareCsv.h"

#include <QSaveFile>

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

QByteArray CompareTableCsv(const tyCompareTable& table) {
    QString text;
    for (int row = 0; row < table.RowCount; ++row) {
        for (int col = 0; col < table.ColCount; ++col) {
            if (col > 0) {
                text += u',';
            }
            text += CsvField(table.Cells(col, row));
        }
        text += QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

bool WriteCompareCsv(const tyCompareTable& table, const QString& fileName, QString& error) {
    QSaveFile file(fileName);
    // Never written in place, not even where no temporary file can be made
    // beside the target: a failure then would leave part of a file.
    file.setDirectWriteFallback(false);
    const QByteArray bytes = CompareTableCsv(table);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}
