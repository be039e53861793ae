#pragma once

#include "postal/AddressMatch.h"

#include <QList>
#include <QString>

#include <functional>

class AddressGrid;
struct AddressRecord;
class HeaderColumns;
class PostalIndex;

// The address check of a list: every data row with a name whose postal code is missing,
// unknown or another place's, and every row whose customer code ("コード") was made for
// another postal code than its own.
class AddressCheck
{
public:
    struct Finding
    {
        int row = 0; // grid row, the header being row 0
        AddressMatch::Status status = AddressMatch::Status::Missing;
        QString message;
    };

    // Rows `first`..`last` (clamped to the grid). `progress` (if any) gets the percentage done.
    static QList<Finding> run(const PostalIndex& index, const AddressGrid& grid,
                              const HeaderColumns& columns, int first = 1, int last = -1,
                              const std::function<void(int)>& progress = {});

    // The postal code that the row's "コード" starts with when it is not the row's own, else
    // empty.
    static QString StaleBarcodeCode(const AddressRecord& record);

    // The number of findings in rows `first`..`last` with the program's table (none without
    // it), for the print run's confirmation.
    static int count(const AddressGrid& grid, const HeaderColumns& columns, int first, int last);

    // "3 件の住所を確認してください" or "住所はすべて郵便番号と一致しています".
    static QString summary(qsizetype findings);
};
