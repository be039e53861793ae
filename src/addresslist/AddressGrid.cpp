#include "addresslist/AddressGrid.h"

#include "addresslist/RowText.h"

AddressGrid::AddressGrid(QObject* parent) : QObject(parent)
{
    m_widths.assign(InitialColumns, DefaultColumnWidth);
    setRowCount(InitialRows);
}

void AddressGrid::setRowCount(int rows)
{
    rows = qMax(rows, 0);
    m_cells.resize(size_t(rows));
    m_rowsAbove = 0;
    changed(-1, -1);
}

void AddressGrid::dropTopRows(int count)
{
    count = qBound(0, count, rowCount());
    if (count == 0)
        return;
    m_cells.erase(m_cells.begin(), m_cells.begin() + count);
    m_rowsAbove += count;
    changed(-1, -1);
}

void AddressGrid::setColumnCount(int columns)
{
    columns = qMax(columns, 1);
    if (columns == m_columns)
        return;
    for (QStringList& row : m_cells)
        if (row.size() > columns)
            row.resize(columns);
    m_widths.resize(size_t(columns), DefaultColumnWidth);
    m_columns = columns;
    changed(-1, -1);
}

QString AddressGrid::cell(int column, int row) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columns)
        return QString();
    const QStringList& cells = m_cells[size_t(row)];
    return column < cells.size() ? cells[column] : QString();
}

int AddressGrid::lastUsedRow() const
{
    for (int row = rowCount() - 1; row > 0; --row) {
        const QStringList& cells = m_cells[size_t(row)];
        for (qsizetype column = 1; column < cells.size(); ++column)
            if (!cells[column].trimmed().isEmpty())
                return row;
    }
    return 0;
}

void AddressGrid::setCell(int column, int row, const QString& text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columns)
        return;
    QStringList& cells = m_cells[size_t(row)];
    if (column >= cells.size())
        cells.resize(column + 1);
    cells[column] = text;
    changed(column, row);
}

QString AddressGrid::rowText(int row) const
{
    QStringList cells = row < 0 || row >= rowCount() ? QStringList() : m_cells[size_t(row)];
    cells.resize(m_columns);
    return RowText::write(cells);
}

void AddressGrid::setRowText(int row, QStringView text, bool spaceSplits)
{
    // Cells beyond the last column are dropped anyway; a long garbage line need not be split
    // any further.
    setRowCells(row, RowText::read(text, spaceSplits, m_columns));
}

void AddressGrid::setRowCells(int row, const QStringList& cells)
{
    if (row < 0 || row >= rowCount())
        return;
    QStringList& target = m_cells[size_t(row)];
    target.resize(qMin<qsizetype>(cells.size(), m_columns));
    for (qsizetype c = 0; c < target.size(); ++c)
        target[c] = cells[c].isEmpty() ? QStringLiteral(" ") : cells[c];
    changed(-1, row);
}

void AddressGrid::clearRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_cells[size_t(row)].clear();
    changed(-1, row);
}

int AddressGrid::columnWidth(int column) const
{
    if (column < 0 || column >= int(m_widths.size()))
        return DefaultColumnWidth;
    return m_widths[size_t(column)];
}

void AddressGrid::setColumnWidth(int column, int width)
{
    if (column < 0 || column >= int(m_widths.size()))
        return;
    m_widths[size_t(column)] = width;
    changed(-1, -1);
}

void AddressGrid::beginUpdate()
{
    ++m_updateDepth;
}

void AddressGrid::endUpdate()
{
    if (m_updateDepth > 0 && --m_updateDepth == 0 && m_dirty) {
        m_dirty = false;
        Q_EMIT reset();
    }
}

void AddressGrid::changed(int column, int row)
{
    if (m_updateDepth > 0) {
        m_dirty = true;
        return;
    }
    if (column >= 0 && row >= 0) {
        Q_EMIT cellChanged(column, row);
    } else if (row >= 0) {
        Q_EMIT rowChanged(row);
    } else {
        Q_EMIT reset();
    }
}
