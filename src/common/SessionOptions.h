#pragma once

#include "common/SenderInfo.h"

#include <QString>

#include <array>

// The option switches of one session that composition and printing read. The options dialog
// writes the "read directly" boxes straight into this object (so Cancel keeps a change), and
// the settings file loads and saves it.
struct SessionOptions
{
    bool useDefaultHonorifics = true;  // chkKeisho: default honorifics in the preview
    bool spaceBetweenName = true;      // chkMakeBlankBitweenName
    bool joinByHyphen = false;         // chkUseHyphone
    std::array<bool, 4> useZipBoxes{}; // TT, TY, YT, YY: the card has printed postal-code boxes
    std::array<bool, 4> zipInBoxes{};  // TT, TY, YT, YY: each digit in Japan Post's printed box
    bool useNonUnicodeFont = true;     // chkUseNonYunicodeFont: "－" becomes "─" (else "❘")
    bool useCustomerBarcode = false;   // chkUseCBC
    bool barcodeFromAddress = false;   // chkBarCodeFromAddress: data from the address

    // Values of the main window that the options dialog replaces on OK; they start as the
    // dialog's fields do.
    QString nameSpacingText = QStringLiteral(" ");
    QString defaultHonorific1 = QStringLiteral("様"); // for a blank "敬称"
    // For a blank "敬称2": the joint name on a family card is a person too.
    QString defaultHonorific2 = QStringLiteral("様");

    SenderInfo sender;
};
