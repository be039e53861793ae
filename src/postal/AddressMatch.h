#pragma once

#include "postal/PostalIndex.h"

#include <QString>
#include <QStringView>

// Does an address belong to its postal code? The prefecture may be left out; the city (a
// designated city with its ward, a town with or without its 郡) and the town must follow.
// Widths, 「ヶ/ケ/が」, 「ノ/の」, kanji or Arabic numerals and a 大字/字 before the town do
// not matter.
class AddressMatch
{
public:
    enum class Status
    {
        Match,
        Missing,  // no postal code
        Unknown,  // not a postal code of the table (or not seven digits)
        Mismatch, // the code is another place's
        // Not an address's: the customer code ("コード") starts with another postal code
        // than the row's (the address check's own finding).
        StaleCode,
    };

    struct Result
    {
        Status status = Status::Missing;
        QString message;  // for the user, empty on a match
        quint32 code = 0; // the parsed code, when there is one
        // Where the town name ends in the address (the start of what follows it), or -1 when
        // the town was not found. Also set on a Mismatch that only lacks the city.
        int townEnd = -1;
        PostalIndex::Town town; // the code's town that matched (or the first one)
    };

    // The reason words of `tayori-cli check`.
    static QString statusWord(Status status);

    static Result match(const PostalIndex& index, QStringView postalCode, QStringView address);
};
