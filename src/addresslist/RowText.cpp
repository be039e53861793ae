#include "addresslist/RowText.h"

namespace RowText {

namespace {
bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 0x20;
}

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
    if (cells.size() == 1 && cells.front().isEmpty())
        return QStringLiteral("\"\"");
    QString out;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out += u',';
        const QString& cell = cells[i];
        if (needsQuotes(cell)) {
            out += u'"';
            for (QChar c : cell) {
                if (c == u'"')
                    out += u'"';
                out += c;
            }
            out += u'"';
        } else {
            out += cell;
        }
    }
    return out;
}

QStringList read(QStringView text, bool spaceSplits, qsizetype maxCells)
{
    QStringList cells;
    // Outside quotes a NUL ends the text, as it ends the string the row was kept in; an
    // unquoted cell could otherwise never move past it.
    const qsizetype n = text.size();
    qsizetype p = 0;
    auto atEnd = [&] { return p >= n || text[p].unicode() == 0; };
    auto skipBlanks = [&] {
        while (p < n && isBlank(text[p]))
            ++p;
    };
    const auto unit = [&](qsizetype i) { return text[i].unicode(); };
    const auto lineBreakAt = [&](qsizetype i) {
        return text[i] == u'\r' || text[i] == u'\n' || text[i].unicode() == 0x2028;
    };
    skipBlanks();
    while (!atEnd() && cells.size() != maxCells) {
        QString cell;
        if (text[p] == u'"' && (spaceSplits || ListQuoteEnd(n, p, unit, lineBreakAt) >= 0)) {
            ++p;
            while (p < n) {
                if (text[p] == u'"') {
                    if (p + 1 < n && text[p + 1] == u'"') {
                        cell += u'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                cell += text[p++];
            }
        } else if (spaceSplits) {
            const qsizetype start = p;
            while (p < n && text[p].unicode() > 0x20 && text[p] != u',')
                ++p;
            cell = text.mid(start, p - start).toString();
        } else {
            const qsizetype start = p;
            while (p < n && text[p] != u',' && text[p].unicode() != 0)
                ++p;
            qsizetype end = p;
            while (end > start && text[end - 1].unicode() <= 0x20)
                --end;
            cell = text.mid(start, end - start).toString();
        }
        cells.append(cell);
        skipBlanks();
        if (p < n && text[p] == u',') {
            ++p;
            if (atEnd()) {
                if (cells.size() != maxCells)
                    cells.append(QString());
                break;
            }
            skipBlanks();
        }
    }
    return cells;
}

} // namespace RowText
