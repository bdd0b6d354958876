// A table handed to Excel by OLE automation: a new instance of
// "Excel.Application", a new workbook, the table in its first worksheet
// from A1 on, Excel made visible with the workbook left open and unsaved.
// Plain Win32 and COM (IDispatch), no toolkit, so that it builds with
// mingw-w64 like the directory library.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// cell(row, column), both from 0, gives each cell's text. The range is
// formatted as text before the values go in, so that no text is taken for
// a number, a date or a formula. False, with the automation layer's
// message in error, when Excel cannot be started or a call fails; an Excel
// that was started is then closed again.
bool SendTableToExcel(
    std::size_t rows, std::size_t columns,
    const std::function<std::u16string(std::size_t row, std::size_t column)>& cell,
    std::u16string& error);
