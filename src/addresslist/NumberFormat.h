#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The number formats that change how an address reads: a whole number shown through a
// zero-padded pattern ("0000000", "000-0000", "00000") or Excel's conditional postal-code
// format ("[<=999]000;[<=99999]000-00;000-0000") keeps its leading zeros and hyphen, so
// 600001 formatted 000-0000 reads 060-0001 as the spreadsheet shows it. Every other format
// (and "@", which shows a number as it is) leaves the general form.
namespace numberformat {

// The text `formatCode` gives `value`, or nothing when the general form stands.
std::optional<QString> addressText(QStringView formatCode, double value);

} // namespace numberformat
