#pragma once

#include <QByteArrayView>
#include <QStringList>

// The bytes of a delimited list file turned into its lines of text.
namespace DelimitedText {

enum class Encoding
{
    Utf16LE,      // FF FE
    Utf16BE,      // FE FF
    Utf8WithMark, // EF BB BF
    Utf8,         // no mark, valid UTF-8 holding bytes above 0x7F
    Cp932         // any other file without a mark
};

// The encoding from the first bytes; *markLength receives the size of the byte-order mark.
Encoding DetectEncoding(QByteArrayView bytes, qsizetype* markLength = nullptr);

struct Lines
{
    QStringList lines;
    Encoding encoding = Encoding::Cp932;
    bool truncated = false; // lines were left out (more than maxLines, or an incomplete input)
};

// Lines end at CR LF, CR, LF or U+2028; a break after the last line adds no empty line. A
// line break inside a quoted cell (a double quote opening a cell, closed by a quote that a
// delimiter or a line end follows, RowText::ListQuoteEnd) belongs to the cell, so cells
// holding line breaks read back as written; a quote that never closes so ends with its line. At
// most maxLines lines are returned. `complete` is false when `bytes` is only the start of a longer
// file: the last, possibly cut, line is then left out. Odd-length UTF-16 loses its last byte;
// invalid bytes decode to replacement characters.
Lines ReadLines(QByteArrayView bytes, int maxLines, bool complete = true);

} // namespace DelimitedText
