#include "addresslist/RowText.h"

#include <algorithm>

namespace RowText {

namespace {
bool needsQuotes(const QString& cell)
{
    // U+2028 ends a line of a saved list; quoted, it stays inside its cell there.
    for (QChar c : cell)
        if (c.unicode() <= 0x20 || c == u'"' || c == u',' || c.unicode() == 0x2028)
            return true;
    return false;
}
} // namespace

QString write(const QStringList& cells)
{
    if (cells.isEmpty())
        return {};
    if (cells.size() == 1 && cells.front().isEmpty())
        return QStringLiteral("\"\"");
    // Sized exactly, once: rows are written millions of times when a workbook loads, and
    // kept.
    qsizetype length = cells.size() - 1;
    for (const QString& cell : cells)
        length += cell.size() + (needsQuotes(cell) ? 2 + cell.count(u'"') : 0);
    QString out(length, Qt::Uninitialized);
    QChar* p = out.data();
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            *p++ = u',';
        const QString& cell = cells[i];
        if (needsQuotes(cell)) {
            *p++ = u'"';
            for (QChar c : cell) {
                if (c == u'"')
                    *p++ = u'"';
                *p++ = c;
            }
            *p++ = u'"';
        } else {
            p = std::copy(cell.begin(), cell.end(), p);
        }
    }
    return out;
}

QStringList read(QStringView text, bool spaceSplits, qsizetype maxCells)
{
    QStringList cells;
    QString scratch;
    ForEachCell(text, spaceSplits, maxCells, scratch,
                [&](QStringView cell) { cells.append(cell.toString()); });
    return cells;
}

} // namespace RowText
