// The comparison handed to a spreadsheet: a new workbook whose first
// worksheet holds the table from its first cell on, one grid cell per
// worksheet cell, every cell a text (a name like "=cmd" or "0012" stays
// what it is). On Windows Excel itself by automation (ExcelAutomation.h);
// elsewhere a new .xlsx file that the desktop's default application opens.
#pragma once

#include <QString>

#include "CompareTable.h"

// What one worksheet holds, in Excel as in an .xlsx file.
inline constexpr int kSheetMaxColumns = 16384;
inline constexpr int kSheetMaxRows = 1048576;

// Empty when the table fits in a worksheet; otherwise the message that says
// why it does not.
QString SheetSizeProblem(const tyCompareTable& table);

#ifndef _WIN32
// Writes the table as the first worksheet of a new .xlsx file at path,
// every cell and every column formatted as text. False with the message for
// the error box.
bool WriteXlsxWorkbook(const tyCompareTable& table, const QString& path, QString& error);
#endif
