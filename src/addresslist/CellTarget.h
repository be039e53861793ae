#pragma once

#include <QStringView>

#include <string_view>

// Takes a workbook's cells as they are read, for whoever passes every cell straight on
// (tayori-cli cells): one call a cell, a shared string's text only the first time its index
// comes, and a number in general format as the ASCII it is, never made into a QString.
class CellTarget
{
public:
    virtual ~CellTarget() = default;

    virtual void text(int sheetNo, int row, int col, QStringView text) = 0;
    // A cell holding shared string `index`, whose text is the same for every cell with that
    // index in one read. False when the target does not know that text yet: the reader then
    // gives it with sharedText.
    virtual bool shared(int sheetNo, int row, int col, qsizetype index) = 0;
    virtual void sharedText(int sheetNo, int row, int col, qsizetype index, QStringView text) = 0;
    // Printable ASCII without a backslash: digits, signs, '.', 'E', "INF", "NAN".
    virtual void number(int sheetNo, int row, int col, std::string_view ascii) = 0;
};
