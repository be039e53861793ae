#include "print/ListTable.h"

#include "addresslist/AddressGrid.h"
#include "addresslist/SendMarks.h"
#include "common/TextHelpers.h"

#include <QFontMetrics>

QFont ListTable::DefaultGridFont()
{
    QFont font(QStringLiteral("ＭＳ 明朝"));
    font.setPixelSize(12);
    return font;
}

QString ListTable::HeaderText(const QString& cell)
{
    const qsizetype bar = cell.indexOf(u'|');
    return bar < 0 ? cell : cell.left(bar);
}

std::optional<ListTable> ListTable::FromGrid(const AddressGrid& grid, const QFont& gridFont,
                                             const QString& sheetName)
{
    const auto usedRow = [&](int row) { return !grid.rowText(row).remove(u',').isEmpty(); };
    int firstRow = 0;
    int lastRow = 0;
    for (int row = 0; row < grid.rowCount(); ++row)
        if (usedRow(row)) {
            firstRow = row;
            break;
        }
    for (int row = grid.rowCount() - 1; row >= 0; --row)
        if (usedRow(row)) {
            lastRow = row;
            break;
        }

    const auto usedColumn = [&](int column) {
        for (int row = firstRow; row <= lastRow; ++row)
            if (!grid.cell(column, row).isEmpty())
                return true;
        return false;
    };
    int firstColumn = 0;
    int lastColumn = 0;
    for (int column = 0; column < grid.columnCount(); ++column)
        if (usedColumn(column)) {
            firstColumn = column;
            break;
        }
    for (int column = grid.columnCount() - 1; column >= 0; --column)
        if (usedColumn(column)) {
            lastColumn = column;
            break;
        }

    if ((lastRow - firstRow + 1) + (lastColumn - firstColumn + 1) < 3)
        return std::nullopt;
    // A list of its header alone (the row numbers of the fixed column aside) has nothing to
    // print but an empty table.
    const auto dataRow = [&](int row) {
        for (int column = 1; column < grid.columnCount(); ++column)
            if (!IsBlankText(grid.cell(column, row)))
                return true;
        return false;
    };
    bool anyData = false;
    for (int row = qMax(firstRow, 1); row <= lastRow && !anyData; ++row)
        anyData = dataRow(row);
    if (!anyData)
        return std::nullopt;

    ListTable table;
    table.rowTotal = lastRow;
    table.firstColumn = firstColumn;
    table.columnTotal = lastColumn - firstColumn + 1;
    table.sheetName = sheetName;
    table.widths = QList<int>(table.columnTotal, 0);
    const QFontMetrics metrics(gridFont);
    for (int row = firstRow; row <= lastRow; ++row)
        for (int i = 0; i < table.columnTotal; ++i) {
            const QString cell = grid.cell(firstColumn + i, row);
            const QString text = row == 0 ? HeaderText(cell) : cell;
            // The printout pads a cell by 2 on each side: the longest text (a row number of
            // five digits too) fits inside them.
            const int width = metrics.horizontalAdvance(text) + 4;
            if (width > table.widths[i] && !IsBlankText(text))
                table.widths[i] = std::max(width, 30);
        }
    const SendMarks marks(grid);
    for (int row = 0; row <= lastRow; ++row) {
        const std::optional<SendMarks::Reason> reason = marks.reason(row);
        table.notSent << (reason ? reason->text() : QString());
        QStringList cells;
        cells.reserve(table.columnTotal);
        for (int i = 0; i < table.columnTotal; ++i)
            cells << grid.cell(firstColumn + i, row);
        table.rows << cells;
    }
    return table;
}
