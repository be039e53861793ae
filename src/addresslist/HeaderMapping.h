#pragma once

#include "addresslist/HeaderColumns.h"

#include <QList>
#include <QStringList>

#include <array>
#include <optional>

class AddressGrid;

// How a list with other headers ("氏名", "〒", "First Name", "Address 1 - Street", ...) maps
// onto the program's eleven header names: each name takes one column of the list, several
// joined (姓 + 名 → 宛先 with a space; 都道府県 + 市区町村 + 番地 → 住所１), or none. The
// guess reads the header texts against a table of Japanese and English synonyms.
class HeaderMapping
{
public:
    // Grid columns per HeaderNames entry, joined in this order.
    std::array<QList<int>, HeaderColumns::Count> columns;

    // The guess for a header row (grid row 0, cell per grid column).
    static HeaderMapping Guess(const QStringList& header);
    // The guess found a name, a postal code and an address: a list of addresses that needs no
    // question.
    bool isConfident() const;
    bool isEmpty() const;

    // Rewrites the grid (never the file): the eleven names in grid columns 1 to 11, each
    // filled from its columns, then the list's columns that no name took. Grid column 0 keeps
    // what it held unless a name took it.
    void Apply(AddressGrid& grid) const;
    // The text that Apply gives `field` in grid row `row`.
    QString valueOf(const AddressGrid& grid, int field, int row) const;

    // When the grid's header row lacks "宛先" and the guess is confident, applies it; true then.
    static bool ApplyGuess(AddressGrid& grid);

    // Grid row 0, each cell trimmed, without the empty cells at its end.
    static QStringList HeaderRow(const AddressGrid& grid);
    // The header row holds the program's "宛先" as a whole cell: it needs no mapping. A cell
    // that merely contains it ("宛先 (自宅/会社)") is no such cell.
    static bool HasOwnNames(const QStringList& header);

    // Rows looked at for the header row: a title and a few blank lines stand above it.
    static constexpr int HeaderSearchRows = 10;
    // How many of `cells` read as a column's header: a header the guess knows (the program's
    // names among them), or a cell holding "宛先".
    static int HeaderLikeCells(const QStringList& cells);
    // The grid row among the first HeaderSearchRows with the most header-like cells (the first
    // of equals); 0 when none has more than row 0.
    static int FindHeaderRow(const AddressGrid& grid);
    // Makes the found header row grid row 0: the rows above it leave the grid (they are no
    // addresses). The fixed column is numbered anew. Returns how many rows left.
    static int TakeHeaderRow(AddressGrid& grid);
    // The columns a mapping may take: those up to the last one with a header text or a value
    // in the first rows.
    static int UsedColumns(const AddressGrid& grid);
    // Every column it takes lies within `width` columns.
    bool fits(int width) const;

    // "0+1,2,3+4+5,,,,,,,," : the eleven entries in HeaderNames order, each its grid columns
    // joined by "+". Text that is no such list gives nothing.
    QString toText() const;
    static std::optional<HeaderMapping> FromText(const QString& text);

    bool operator==(const HeaderMapping& other) const = default;

private:
    QString joined(int field, const QStringList& row) const;
};
