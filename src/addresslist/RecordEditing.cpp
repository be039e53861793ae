#include "addresslist/RecordEditing.h"

#include "addresslist/AddressGrid.h"
#include "addresslist/AddressSheet.h"
#include "addresslist/RowText.h"
#include "common/FieldText.h"
#include "common/TextHelpers.h"

namespace RecordEditing {

namespace {

// The columns of a record; a row is never written shorter, so an emptied cell among them
// keeps its space.
constexpr int SheetRowColumns = 11;

// QuoteField neither doubles an inner double quote nor quotes a line break or another
// control character, and the row reader would cut such a cell apart; those cells take the
// row text's own quoting, which reads back whole.
QString SheetCell(const QString& cell)
{
    for (QChar c : cell)
        if (c == u'"' || (c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x2028)
            return RowText::write({cell});
    return QuoteField(cell);
}

} // namespace

QString OpeningText(const QString& value)
{
    return TrimBlanks(value).isEmpty() ? QString() : value;
}

void WriteBack(AddressGrid& grid, const HeaderColumns& columns, int row,
               const AddressRecord& edited)
{
    for (int field : WriteOrder)
        grid.setCell(columns[field], row, edited[field]);
}

QString SheetRow(const AddressGrid& grid, int row)
{
    // Every column that holds something: a note column beyond the record's cells stays.
    int last = SheetRowColumns;
    for (int c = grid.columnCount() - 1; c > last; --c)
        if (!grid.cell(c, row).isEmpty()) {
            last = c;
            break;
        }
    QString text;
    for (int c = 1; c <= last; ++c)
        text += SheetCell(grid.cell(c, row)) + u',';
    return text + QStringLiteral("\" \"");
}

void ReplaceSheetRow(AddressSheet& sheet, int row, const QString& text)
{
    if (row < 0)
        return;
    while (sheet.rows.size() <= row)
        sheet.rows.append(QStringLiteral(" "));
    sheet.rows[row] = text;
}

int CountDataRows(const AddressGrid& grid)
{
    int count = 0;
    for (int row = 1; row < grid.rowCount(); ++row) {
        if (TrimBlanks(grid.cell(1, row)).isEmpty())
            break;
        ++count;
    }
    return count;
}

} // namespace RecordEditing
