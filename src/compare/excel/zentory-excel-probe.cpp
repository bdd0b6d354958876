// zentory-excel-probe.exe: sends a small table to Excel as the comparison
// window's "Excel" button does, for checking the automation on a machine
// with Excel. Expected: a new workbook, A1:E3 filled, every cell text
// ("007" keeps its zeros, "=1+1" is no formula), Excel visible.

#include <cstdio>
#include <string>
#include <vector>

#include "ExcelAutomation.h"

int wmain() {
    const std::vector<std::vector<std::u16string>> table = {
        {u"", u"", u"alice", u"bob", u"carol"},
        {u"Sales", u"Sales team", u"X", u"X", u""},
        {u"Admins", u"=1+1", u"X", u"007", u"X"},
    };
    std::u16string error;
    if (!SendTableToExcel(
            table.size(), table[0].size(),
            [&](std::size_t r, std::size_t c) { return table[r][c]; }, error)) {
        std::fwprintf(stderr, L"zentory-excel-probe: %ls\n",
                      reinterpret_cast<const wchar_t*>(error.c_str()));
        return 1;
    }
    return 0;
}
