// The spreadsheet where there is no Excel to automate: an .xlsx file.

#include <xlsxwriter.h>
#include <QDir>
#include <QFileInfo>

#include "Spreadsheet.h"

bool WriteXlsxWorkbook(const tyCompareTable& table, const QString& path, QString& error) {
    if (const QString problem = SheetSizeProblem(table); !problem.isEmpty()) {
        error = problem;
        return false;
    }
    const QByteArray file = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    // Row by row into temporary files next to the workbook: a table of a
    // million cells is not held in memory a second time.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(folder.constData());
    lxw_workbook* workbook = workbook_new_opt(file.constData(), &options);
    if (!workbook) {
        error = QStringLiteral("Cannot create file \"%1\".").arg(QDir::toNativeSeparators(path));
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_format* asText = workbook_add_format(workbook);
    // Excel's built-in "Text" format ("@"), the one a user picks by hand.
    format_set_num_format_index(asText, 49);
    lxw_error failed = LXW_NO_ERROR;
    if (sheet && table.ColCount > 0) {
        // The empty cells are text too, for what the user types into them.
        failed = worksheet_set_column(sheet, 0, lxw_col_t(table.ColCount - 1), LXW_DEF_COL_WIDTH,
                                      asText);
    }
    for (int row = 0; sheet && failed == LXW_NO_ERROR && row < table.RowCount; ++row) {
        for (int col = 0; failed == LXW_NO_ERROR && col < table.ColCount; ++col) {
            const QString& text = table.Cells(col, row);
            if (!text.isEmpty()) {
                failed = worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(col),
                                                text.toUtf8().constData(), asText);
            }
        }
    }
    const lxw_error closed = workbook_close(workbook);
    if (!sheet || failed != LXW_NO_ERROR || closed != LXW_NO_ERROR) {
        const lxw_error why = !sheet                   ? LXW_ERROR_MEMORY_MALLOC_FAILED
                              : failed != LXW_NO_ERROR ? failed
                                                       : closed;
        error = QStringLiteral("Cannot create file \"%1\". %2")
                    .arg(QDir::toNativeSeparators(path), QString::fromUtf8(lxw_strerror(why)));
        QFile::remove(path);
        return false;
    }
    return true;
}
