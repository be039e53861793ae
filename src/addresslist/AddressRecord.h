#pragma once

#include "addresslist/HeaderColumns.h"

#include <QString>

#include <array>
#include <optional>

class AddressGrid;

// The eleven cells of one data row, in HeaderNames order, each without one pair of enclosing
// quotes. All are QString: the three code page 932 fields (postal code, barcode data, printed
// barcode) hold their text after the trip through code page 932 and back, so a character
// without a code there is already "?" and a look-alike is already the Windows character, as
// composition and the barcode count them.
struct AddressRecord
{
    int row = -1;
    std::array<QString, HeaderColumns::Count> fields;

    const QString& operator[](int field) const { return fields[size_t(field)]; }
};

// Whether grid row `row` is addressed to someone: its name cell, or else its company cell, is
// not blank (nothing above U+0020; an ideographic space is a name). A company without a
// person gets its card too.
bool HasAddressee(const AddressGrid& grid, const HeaderColumns& columns, int row);

// The record of grid row `row`, or nothing when it has no addressee. A postal code that lost
// its leading zero in a spreadsheet ("400001") has it back ("040-0001").
std::optional<AddressRecord> ReadAddressRecord(const AddressGrid& grid,
                                               const HeaderColumns& columns, int row);
