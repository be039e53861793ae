#pragma once

#include <QString>
#include <QStringView>

class PostalIndex;
struct AddressRecord;

// The data of the customer barcode made from an address: the postal code's seven digits and
// the address number (住所表示番号) taken from what follows the town name, by Japan Post's
// extraction rules. CustomerBarcode turns the data into the barcode (padding, cut, check).
class AddressNumber
{
public:
    struct Result
    {
        bool ok = false;
        QString data;   // "10000131-3-2-503"
        QString reason; // why there is none
    };

    // The barcode data of a postal-code cell and an address (住所１ + 住所２).
    static Result extract(const PostalIndex& index, QStringView postalCode, QStringView address);

    // The address number of the part after the town name (住所B).
    static QString fromAddressPart(QStringView part);

    // For the print run: the barcode data of a record's postal code and address, or empty.
    static QString joinedAddress(const AddressRecord& record);
    static QString barcodeData(const PostalIndex& index, const AddressRecord& record);
    // The same with the program's table.
    static QString barcodeDataOf(const AddressRecord& record);
};
