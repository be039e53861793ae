#pragma once

#include <QStringList>

// A row of cells held as one string in comma-text form: the in-memory form of sheet and grid
// rows and the line form of CSVU files.
namespace RowText {

// Cells separated by ","; a cell holding a character up to U+0020, a quote, a comma or a
// line separator (U+2028) is quoted with inner quotes doubled. One empty cell alone is
// written as "".
QString write(const QStringList& cells);

// Reads cells back. Characters U+0001..U+0020 around a cell are skipped; an unquoted cell
// ends at the next "," or at a character up to U+0020 (so an unquoted space separates
// cells) unless `spaceSplits` is false, when it runs to the next "," with the blanks at its
// end dropped. A "," as last character adds one empty cell. Outside quotes a NUL ends the
// text. Reading stops after `maxCells` cells when that is not negative.
// With `spaceSplits` false (the lines of a list file) a quote opens a quoted cell only when
// the cell closes by ListQuoteEnd; otherwise the quote is part of an unquoted cell.
QStringList read(QStringView text, bool spaceSplits = true, qsizetype maxCells = -1);

// The cells `read` gives, each passed to `cell` as a view instead of kept: into `text`, or
// into `scratch` for a quoted cell with doubled quotes (valid until the next cell).
template <typename Cell>
void ForEachCell(QStringView text, bool spaceSplits, qsizetype maxCells, QString& scratch,
                 Cell cell);

// Where the quoted cell of a list file that opens at unit `open` closes: the index of its
// closing quote, which only a delimiter ("," after blanks), a line break (`lineBreakAt`), a
// NUL or the end of the `n` units may follow; a doubled quote stands for one quote. -1 when
// the cell never closes so, at a lone quote followed by other text or at the end: the quote
// that opened it is then plain text, so a stray quote cannot swallow the following lines.
template <typename UnitAt, typename LineBreakAt>
qsizetype ListQuoteEnd(qsizetype n, qsizetype open, UnitAt unit, LineBreakAt lineBreakAt)
{
    for (qsizetype j = open + 1; j < n; ++j) {
        if (unit(j) != u'"')
            continue;
        if (j + 1 < n && unit(j + 1) == u'"') {
            ++j;
            continue;
        }
        qsizetype k = j + 1;
        while (k < n && (unit(k) == u' ' || unit(k) == u'\t'))
            ++k;
        return k == n || unit(k) == u',' || unit(k) == 0 || lineBreakAt(k) ? j : -1;
    }
    return -1;
}

template <typename Cell>
void ForEachCell(QStringView text, bool spaceSplits, qsizetype maxCells, QString& scratch,
                 Cell cell)
{
    // Outside quotes a NUL ends the text, as it ends the string the row was kept in; an
    // unquoted cell could otherwise never move past it.
    const qsizetype n = text.size();
    const QChar* units = text.data();
    qsizetype p = 0;
    qsizetype count = 0;
    auto isBlank = [](QChar c) { return c.unicode() >= 1 && c.unicode() <= 0x20; };
    auto atEnd = [&] { return p >= n || units[p].unicode() == 0; };
    auto skipBlanks = [&] {
        while (p < n && isBlank(units[p]))
            ++p;
    };
    const auto unit = [&](qsizetype i) { return units[i].unicode(); };
    const auto lineBreakAt = [&](qsizetype i) {
        return units[i] == u'\r' || units[i] == u'\n' || units[i].unicode() == 0x2028;
    };
    skipBlanks();
    while (!atEnd() && count != maxCells) {
        if (units[p] == u'"' && (spaceSplits || ListQuoteEnd(n, p, unit, lineBreakAt) >= 0)) {
            const qsizetype start = ++p;
            while (p < n && units[p] != u'"')
                ++p;
            if (p + 1 >= n || units[p + 1] != u'"') {
                // No doubled quote: the cell is the text up to the closing quote ("" is a
                // null cell, as `read` has always given it).
                cell(p > start ? text.sliced(start, p - start) : QStringView());
                if (p < n)
                    ++p;
            } else {
                scratch.clear();
                scratch.append(units + start, p - start);
                while (p < n) {
                    if (units[p] == u'"') {
                        if (p + 1 < n && units[p + 1] == u'"') {
                            scratch += u'"';
                            p += 2;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    scratch += units[p++];
                }
                cell(QStringView(scratch));
            }
        } else if (spaceSplits) {
            const qsizetype start = p;
            while (p < n && units[p].unicode() > 0x20 && units[p] != u',')
                ++p;
            cell(text.sliced(start, p - start));
        } else {
            const qsizetype start = p;
            while (p < n && units[p] != u',' && units[p].unicode() != 0)
                ++p;
            qsizetype end = p;
            while (end > start && units[end - 1].unicode() <= 0x20)
                --end;
            cell(text.sliced(start, end - start));
        }
        ++count;
        skipBlanks();
        if (p < n && units[p] == u',') {
            ++p;
            if (atEnd()) {
                if (count != maxCells)
                    cell(QStringView());
                break;
            }
            skipBlanks();
        }
    }
}

} // namespace RowText
