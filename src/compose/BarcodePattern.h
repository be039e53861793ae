#pragma once

#include <QLatin1StringView>
#include <QString>

// The bars of a customer barcode text, one letter per bar: F long, A upper semi-long,
// D lower semi-long, T timing.
namespace BarcodePattern {

// Bars of one character of a barcode text: "(" start and ")" stop (two bars), "0"-"9", "-"
// and "A"-"H" for the control codes CC1-CC8 (three bars). Any other character has no bars.
QLatin1StringView symbolBars(QChar c);

// Bars of a whole barcode text, symbol after symbol; characters without bars are left out.
QString bars(QStringView barcodeText);

} // namespace BarcodePattern
