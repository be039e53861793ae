#include "addresslist/SendMarks.h"

#include "addresslist/AddressGrid.h"
#include "common/TextHelpers.h"

namespace {

// The cell as the user reads it: quotes and blanks around it do not count.
QString plain(const QString& cell)
{
    return TrimBlanks(StripQuotes(cell));
}

} // namespace

QString SendMarks::Reason::text() const
{
    return header + u'「' + value + u'」';
}

SendMarks::SendMarks(const AddressGrid& grid) : m_grid(grid)
{
    if (grid.rowCount() < 1)
        return;
    for (int column = 1; column < grid.columnCount(); ++column)
        if (IsMarkingHeader(grid.cell(column, 0)))
            m_columns << column;
}

bool SendMarks::IsMarkingHeader(const QString& headerCell)
{
    // Exact names only: "印刷コード" holds "印刷" but is the barcode's column.
    const QString name = plain(headerCell.section(u'|', 0, 0));
    return name == u"印刷" || name == u"送付" || name == u"喪中";
}

bool SendMarks::IsNoValue(const QString& cell)
{
    const QString value = plain(cell);
    // The full-width zero is what a Japanese input method types for 0.
    return value == u"×" || value == u"0" || value == u"０" || value == u"しない" ||
           value == u"不要" || value == u"喪中";
}

std::optional<SendMarks::Reason> SendMarks::reason(int row) const
{
    if (row < 1 || row >= m_grid.rowCount())
        return std::nullopt;
    for (const int column : m_columns) {
        const QString cell = m_grid.cell(column, row);
        if (IsNoValue(cell))
            return Reason{plain(m_grid.cell(column, 0).section(u'|', 0, 0)), plain(cell)};
    }
    return std::nullopt;
}

QString SendMarks::LeftOutMessage(const QList<QPair<int, Reason>>& rows)
{
    // A long list is cut: the count says how many there are.
    constexpr qsizetype MaxRowsNamed = 10;
    QStringList named;
    for (qsizetype i = 0; i < rows.size() && i < MaxRowsNamed; ++i)
        named << QStringLiteral("行 %1 %2").arg(rows[i].first).arg(rows[i].second.text());
    if (rows.size() > MaxRowsNamed)
        named << QStringLiteral("…");
    return QStringLiteral("%1 件は送らない行として印刷しません（%2）")
        .arg(rows.size())
        .arg(named.join(u'、'));
}
