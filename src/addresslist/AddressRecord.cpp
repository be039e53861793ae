#include "addresslist/AddressRecord.h"

#include "addresslist/AddressGrid.h"
#include "common/TextHelpers.h"
#include "common/cp932.h"

bool HasAddressee(const AddressGrid& grid, const HeaderColumns& columns, int row)
{
    return !IsBlankText(grid.cell(columns[HeaderColumns::Name], row)) ||
           !IsBlankText(grid.cell(columns[HeaderColumns::Company], row));
}

std::optional<AddressRecord> ReadAddressRecord(const AddressGrid& grid,
                                               const HeaderColumns& columns, int row)
{
    if (!HasAddressee(grid, columns, row))
        return std::nullopt;
    AddressRecord record;
    record.row = row;
    for (int i = 0; i < HeaderColumns::Count; ++i) {
        QString text = grid.cell(columns[i], row);
        if (HeaderColumns::IsCp932Field(i))
            text = cp932::toUnicode(cp932::fromUnicode(text));
        record.fields[size_t(i)] = StripQuotes(text);
    }
    // Every reader of the record (card, barcode, address check, edit) sees the code as it is.
    QString& postalCode = record.fields[HeaderColumns::PostalCode];
    if (const QString restored = RestoredPostalCode(postalCode); !restored.isEmpty())
        postalCode = restored;
    return record;
}
