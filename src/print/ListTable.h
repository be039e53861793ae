#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class AddressGrid;

// What list printing takes from the grid: the used rows and columns, one width per column,
// the sheet's name.
struct ListTable
{
    // Index of the last used grid row; rows 0 to rowTotal are printed.
    int rowTotal = 0;
    // The first used grid column; the printout starts there.
    int firstColumn = 0;
    // Number of columns from the first to the last used one.
    int columnTotal = 0;
    // In pixels of the grid's font, one per column from the first used one; 0 for a column
    // without a non-blank text.
    QList<int> widths;
    QString sheetName;
    // Cells of rows 0 to rowTotal, columns from the first used one, columnTotal each.
    QList<QStringList> rows;
    // Per row of `rows`: why it is not to be sent (喪中「喪中」), empty for a row to send.
    QStringList notSent;

    // The grid's font: the window's "ＭＳ 明朝" at 12 pixels.
    static QFont DefaultGridFont();

    // The used area of `grid` measured in `gridFont`; nothing when it holds too little to
    // print (one cell only, or nothing at all).
    static std::optional<ListTable> FromGrid(const AddressGrid& grid, const QFont& gridFont,
                                             const QString& sheetName);

    // A header cell is shown up to its first "|" ("氏名|ふりがな" shows "氏名").
    static QString HeaderText(const QString& cell);
};
