#include "addresslist/RowText.h"

#include <QVarLengthArray>

#include <algorithm>

namespace RowText {

namespace {
// The quotes inside a cell that must be quoted, or -1 when it is written as it stands.
// U+2028 ends a line of a saved list; quoted, it stays inside its cell there.
qsizetype innerQuotes(const QString& cell)
{
    bool quoted = false;
    qsizetype quotes = 0;
    for (QChar c : cell) {
        const char16_t u = c.unicode();
        quoted |= u <= 0x20 || u == u',' || u == 0x2028;
        quotes += u == u'"';
    }
    return quoted || quotes > 0 ? quotes : -1;
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
    QVarLengthArray<qsizetype, 64> quotes(cells.size());
    qsizetype length = cells.size() - 1;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        quotes[i] = innerQuotes(cells[i]);
        length += cells[i].size() + (quotes[i] >= 0 ? 2 + quotes[i] : 0);
    }
    QString out(length, Qt::Uninitialized);
    QChar* p = out.data();
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            *p++ = u',';
        const QString& cell = cells[i];
        if (quotes[i] > 0) {
            *p++ = u'"';
            for (QChar c : cell) {
                if (c == u'"')
                    *p++ = u'"';
                *p++ = c;
            }
            *p++ = u'"';
        } else if (quotes[i] == 0) {
            *p++ = u'"';
            p = std::copy(cell.begin(), cell.end(), p);
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
