#include "addresslist/DelimitedText.h"

#include "addresslist/RowText.h"
#include "common/cp932.h"

namespace DelimitedText {

namespace {

struct Range
{
    qsizetype begin;
    qsizetype end;
};

enum class CellState
{
    Start,    // before a cell: blanks, a quote or the cell's first character
    Unquoted, // runs to the next ","
    Ignored   // after a NUL outside quotes: the row reader stops there
};

// Finds the lines of `n` units. `unit(i)` gives unit i (a byte or a UTF-16 code unit) and
// `separatorWidth(i)` the number of units of a U+2028 starting at i (0 when there is none).
// The cell states follow the row reader that later splits each line, so a quoted cell that
// it reads whole is the one that lets a line break through here.
template <typename UnitAt, typename SeparatorWidth>
QList<Range> splitLines(qsizetype n, UnitAt unit, SeparatorWidth separatorWidth, int maxLines,
                        bool* truncated)
{
    QList<Range> lines;
    if (maxLines <= 0) {
        *truncated = *truncated || n > 0;
        return lines;
    }
    const auto lineBreakAt = [&](qsizetype i) {
        return unit(i) == u'\r' || unit(i) == u'\n' || separatorWidth(i) > 0;
    };

    CellState state = CellState::Start;
    qsizetype begin = 0;
    qsizetype i = 0;
    while (i < n) {
        const char32_t c = unit(i);
        qsizetype breakWidth = 0;
        if (c == u'\r')
            breakWidth = (i + 1 < n && unit(i + 1) == u'\n') ? 2 : 1;
        else if (c == u'\n')
            breakWidth = 1;
        else
            breakWidth = separatorWidth(i);
        if (breakWidth > 0) {
            lines.append({begin, i});
            i += breakWidth;
            begin = i;
            state = CellState::Start;
            if (lines.size() == maxLines) {
                *truncated = *truncated || i < n;
                return lines;
            }
            continue;
        }
        switch (state) {
        case CellState::Start:
            if (c == u'"') {
                // A closed quoted cell keeps its line breaks; an unclosed quote is text.
                const qsizetype close = RowText::ListQuoteEnd(n, i, unit, lineBreakAt);
                if (close >= 0) {
                    i = close + 1;
                    continue;
                }
                state = CellState::Unquoted;
            } else if (c == 0) {
                state = CellState::Ignored;
            } else if (c != u',' && c > 0x20) {
                state = CellState::Unquoted;
            }
            break;
        case CellState::Unquoted:
            if (c == u',')
                state = CellState::Start;
            else if (c == 0)
                state = CellState::Ignored;
            break;
        case CellState::Ignored:
            break;
        }
        ++i;
    }
    if (begin < n)
        lines.append({begin, n});
    return lines;
}

qsizetype markLengthOf(QByteArrayView bytes, Encoding* encoding)
{
    if (bytes.startsWith("\xFF\xFE")) {
        *encoding = Encoding::Utf16LE;
        return 2;
    }
    if (bytes.startsWith("\xFE\xFF")) {
        *encoding = Encoding::Utf16BE;
        return 2;
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        *encoding = Encoding::Utf8WithMark;
        return 3;
    }
    *encoding = Encoding::Cp932;
    return 0;
}

bool isUtf8Text(QByteArrayView bytes)
{
    bool high = false;
    for (char c : bytes) {
        if (quint8(c) > 0x7F) {
            high = true;
            break;
        }
    }
    return high && bytes.isValidUtf8();
}

// Without its end, a cut UTF-8 text would fail the validity test on its last character.
QByteArrayView withoutCutSequence(QByteArrayView bytes)
{
    qsizetype e = bytes.size();
    qsizetype k = 0;
    while (k < 3 && e - k > 0 && (quint8(bytes[e - k - 1]) & 0xC0) == 0x80)
        ++k;
    if (e - k > 0 && quint8(bytes[e - k - 1]) >= 0xC0)
        return bytes.first(e - k - 1);
    return bytes;
}

char16_t utf16At(QByteArrayView bytes, qsizetype unit, bool bigEndian)
{
    const quint8 a = quint8(bytes[unit * 2]);
    const quint8 b = quint8(bytes[unit * 2 + 1]);
    return bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
}

Lines readUtf16(QByteArrayView text, bool bigEndian, int maxLines, bool complete)
{
    Lines result;
    qsizetype units = text.size() / 2;
    auto unit = [&](qsizetype i) -> char32_t { return utf16At(text, i, bigEndian); };
    if (!complete) {
        qsizetype e = units;
        while (e > 0 && unit(e - 1) != u'\n' && unit(e - 1) != u'\r' && unit(e - 1) != 0x2028)
            --e;
        if (e > 0)
            units = e;
        result.truncated = true;
    }
    const QList<Range> ranges = splitLines(
        units, unit, [&](qsizetype i) { return unit(i) == 0x2028 ? 1 : 0; }, maxLines,
        &result.truncated);
    result.lines.reserve(ranges.size());
    for (const Range& r : ranges) {
        QString line(r.end - r.begin, Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(line.data());
        for (qsizetype i = r.begin; i < r.end; ++i)
            *out++ = utf16At(text, i, bigEndian);
        result.lines.append(line);
    }
    return result;
}

Lines readBytes(QByteArrayView text, bool utf8, int maxLines)
{
    Lines result;
    auto unit = [&](qsizetype i) -> char32_t { return quint8(text[i]); };
    auto separatorWidth = [&](qsizetype i) -> qsizetype {
        return utf8 && quint8(text[i]) == 0xE2 && i + 2 < text.size() &&
                       quint8(text[i + 1]) == 0x80 && quint8(text[i + 2]) == 0xA8
                   ? 3
                   : 0;
    };
    const QList<Range> ranges =
        splitLines(text.size(), unit, separatorWidth, maxLines, &result.truncated);
    result.lines.reserve(ranges.size());
    for (const Range& r : ranges) {
        const QByteArrayView line = text.sliced(r.begin, r.end - r.begin);
        result.lines.append(utf8 ? QString::fromUtf8(line) : cp932::toUnicode(line));
    }
    return result;
}

} // namespace

Encoding DetectEncoding(QByteArrayView bytes, qsizetype* markLength)
{
    Encoding encoding;
    const qsizetype mark = markLengthOf(bytes, &encoding);
    if (markLength)
        *markLength = mark;
    if (mark == 0 && isUtf8Text(bytes))
        encoding = Encoding::Utf8;
    return encoding;
}

Lines ReadLines(QByteArrayView bytes, int maxLines, bool complete)
{
    Encoding encoding;
    const qsizetype mark = markLengthOf(bytes, &encoding);
    QByteArrayView text = bytes.sliced(mark);
    if (encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE) {
        Lines result = readUtf16(text, encoding == Encoding::Utf16BE, maxLines, complete);
        result.encoding = encoding;
        return result;
    }
    bool cut = false;
    if (!complete) {
        // Only whole lines of a file that goes on; one line alone keeps what was read of it.
        const qsizetype lastBreak = qMax(text.lastIndexOf('\n'), text.lastIndexOf('\r'));
        text = lastBreak >= 0 ? text.first(lastBreak + 1) : withoutCutSequence(text);
        cut = true;
    }
    if (encoding == Encoding::Cp932 && isUtf8Text(text))
        encoding = Encoding::Utf8;
    Lines result = readBytes(text, encoding != Encoding::Cp932, maxLines);
    result.encoding = encoding;
    result.truncated = result.truncated || cut;
    return result;
}

} // namespace DelimitedText
