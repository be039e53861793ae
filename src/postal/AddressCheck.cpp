#include "postal/AddressCheck.h"

#include "addresslist/AddressGrid.h"
#include "addresslist/AddressRecord.h"
#include "addresslist/HeaderColumns.h"
#include "common/TextHelpers.h"
#include "compose/CustomerBarcode.h"
#include "postal/AddressNumber.h"
#include "postal/AddressText.h"
#include "postal/PostalIndex.h"

QList<AddressCheck::Finding> AddressCheck::run(const PostalIndex& index, const AddressGrid& grid,
                                               const HeaderColumns& columns, int first, int last,
                                               const std::function<void(int)>& progress)
{
    QList<Finding> findings;
    first = std::max(first, 1);
    if (last < 0 || last >= grid.rowCount())
        last = grid.rowCount() - 1;
    int percent = -1;
    for (int row = first; row <= last; ++row) {
        if (progress && (row - first + 1) * 100 / (last - first + 1) != percent) {
            percent = (row - first + 1) * 100 / (last - first + 1);
            progress(percent);
        }
        const std::optional<AddressRecord> record = ReadAddressRecord(grid, columns, row);
        if (!record)
            continue;
        const AddressMatch::Result m = AddressMatch::match(
            index, (*record)[HeaderColumns::PostalCode], AddressNumber::joinedAddress(*record));
        if (m.status != AddressMatch::Status::Match)
            findings.append({row, m.status, m.message});
        if (const QString code = StaleBarcodeCode(*record); !code.isEmpty()) {
            const QString postal = PostalCodeDigits((*record)[HeaderColumns::PostalCode]);
            findings.append({row, AddressMatch::Status::StaleCode,
                             QStringLiteral("コードは郵便番号 %1 のものです（郵便番号は %2）")
                                 .arg(AddressText::formatPostalCode(code.toUInt()),
                                      AddressText::formatPostalCode(postal.toUInt()))});
        }
    }
    return findings;
}

QString AddressCheck::StaleBarcodeCode(const AddressRecord& record)
{
    const QString code = BarcodeDataPostalCode(record[HeaderColumns::BarcodeData]);
    const QString postal = PostalCodeDigits(record[HeaderColumns::PostalCode]);
    return !code.isEmpty() && !postal.isEmpty() && code != postal ? code : QString();
}

int AddressCheck::count(const AddressGrid& grid, const HeaderColumns& columns, int first, int last)
{
    const PostalIndex& index = PostalIndex::shared();
    return index.isLoaded() ? int(run(index, grid, columns, first, last).size()) : 0;
}

QString AddressCheck::summary(qsizetype findings)
{
    return findings == 0
               ? QStringLiteral("住所はすべて郵便番号と一致しています")
               : QString::number(findings) + QStringLiteral(" 件の住所を確認してください");
}
