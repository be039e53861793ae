#pragma once

#include <QObject>
#include <QStringList>

#include <vector>

// The grid's cells: the working copy of the shown list that header recognition, composition,
// printing, editing and saving read. Column 0 is the fixed column, row 0 the header row. No
// widget: a table model shows it.
class AddressGrid : public QObject
{
    Q_OBJECT
public:
    static constexpr int InitialRows = 500;
    static constexpr int InitialColumns = 32;
    static constexpr int DefaultColumnWidth = 64;
    static constexpr int DefaultRowHeight = 16;

    explicit AddressGrid(QObject* parent = nullptr);

    int rowCount() const { return int(m_cells.size()); }
    int columnCount() const { return m_columns; }
    // A new row count means a new list is drawn: no rows stand above it (rowsAbove is 0).
    void setRowCount(int rows);

    // Rows of the list above grid row 0 that the grid leaves out (a title, blank lines above
    // the header row): grid row r shows row r + rowsAbove() of the list.
    int rowsAbove() const { return m_rowsAbove; }
    // Takes rows 0 to count - 1 out of the grid; row `count` becomes row 0.
    void dropTopRows(int count);
    void setColumnCount(int columns);

    // Cells are addressed (column, row). Out-of-range reads give an empty text and
    // out-of-range writes are ignored.
    QString cell(int column, int row) const;
    // The last row with a cell other than blanks in a data column (1 on); 0 when there is none.
    // Rows below it are the grid's empty tail.
    int lastUsedRow() const;
    void setCell(int column, int row, const QString& text);

    // The whole row as row text, every column from the fixed one to the last.
    QString rowText(int row) const;
    // Empties the row, then places the cells of `text` from column 0 on; an empty cell is
    // stored as " ", cells beyond the last column are dropped.
    void setRowText(int row, QStringView text, bool spaceSplits = true);
    void setRowCells(int row, const QStringList& cells);
    void clearRow(int row);

    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);

    // Batches many changes into one `reset` signal.
    void beginUpdate();
    void endUpdate();

Q_SIGNALS:
    void cellChanged(int column, int row);
    void rowChanged(int row);
    void reset(); // shape, widths or many cells changed

private:
    void changed(int column, int row);

    // Per row, the cells up to its last one set (at most m_columns); the others read empty. A
    // sheet of 65536 rows and 256 columns with a few cells costs its cells, not 16 million.
    std::vector<QStringList> m_cells;
    std::vector<int> m_widths;
    int m_columns = InitialColumns;
    int m_rowsAbove = 0;
    int m_updateDepth = 0;
    bool m_dirty = false;
};
