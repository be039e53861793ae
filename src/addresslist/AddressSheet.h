#pragma once

#include <QStringList>

#include <array>

// One sheet slot of a loaded workbook: its rows as row texts, the column widths and the
// highest column that received a cell.
struct AddressSheet
{
    // BIFF's 256 columns (A to IV).
    static constexpr int Columns = 256;
    static constexpr int DefaultColumnWidth = 64;

    QStringList rows; // row r holds sheet row r; row 0 is the header row
    std::array<int, Columns> columnWidths;
    int highestColumn = 0;

    AddressSheet() { clear(); }
    void clear()
    {
        rows.clear();
        columnWidths.fill(DefaultColumnWidth);
        highestColumn = 0;
    }
};
