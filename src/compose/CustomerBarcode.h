#pragma once

#include <QByteArray>
#include <QString>

// The Japan Post customer barcode text of one address: "(" start, 20 data characters of
// "0123456789-ABCDEFGH" ("A"-"H" stand for the control codes CC1-CC8), a modulo-19 check
// character and ")" stop. Capital letters of the data become a control code and a digit,
// short data is padded with CC4, long data is cut at 20 characters.

// The barcode of the code page 932 bytes `data`, byte by byte: 23 bytes, or empty for empty
// data. Bytes that are no barcode symbol are kept and count -1 in the check sum.
QByteArray CustomerBarcodeBytes(QByteArrayView data);

// The barcode of a cell text, computed on its code page 932 form and returned as text (the
// 23 bytes read back as code page 932). Full-width ASCII and the minus sign are read as
// their ASCII forms first. Data of digits, "-" and capital letters gives 23 ASCII
// characters; other characters pass through as they are.
QString CustomerBarcode(QStringView data);

// The postal code that barcode data begins with, as Japan Post has it start: its first seven
// digits ("0600001-3-2" gives "0600001"; "060-0001-3-2" is read too). A barcode text is read
// past its "(". Empty when the data does not start with seven digits.
QString BarcodeDataPostalCode(QStringView data);
