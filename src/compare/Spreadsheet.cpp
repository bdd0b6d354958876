#include "Spreadsheet.h"

QString SheetSizeProblem(const tyCompareTable& table) {
    if (table.ColCount > kSheetMaxColumns) {
        return QStringLiteral("The table has %1 columns; a worksheet holds at most %2.")
            .arg(table.ColCount)
            .arg(kSheetMaxColumns);
    }
    if (table.RowCount > kSheetMaxRows) {
        return QStringLiteral("The table has %1 rows; a worksheet holds at most %2.")
            .arg(table.RowCount)
            .arg(kSheetMaxRows);
    }
    return {};
}
