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
QStringList read(QStringView text, bool spaceSplits = true, qsizetype maxCells = -1);

} // namespace RowText
