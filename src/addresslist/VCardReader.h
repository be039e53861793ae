#pragma once

#include "addresslist/WorkbookReader.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Reads the contacts of a vCard file (2.1, 3.0 and 4.0, as phones and address books export
// them) as one sheet under the program's own header names: one row per contact, 宛先 from FN
// (else N's family and given names; none for a company's own contact, whose FN is its ORG
// or whose kind is an organisation), 郵便番号, 住所１ (region, locality and the first street
// line) and 住所２ (the further street lines and the extended address) from the HOME address
// (else WORK, else the first), 会社名 from ORG, 肩書き from TITLE. A contact without an address
// is listed all the same. Lines may be folded or quoted-printable with soft line breaks; texts
// are UTF-8 or the CHARSET a property names (Shift_JIS in older phones' exports).
class VCardReader : public WorkbookReader
{
public:
    struct Contact
    {
        QString name, postalCode, address1, address2, company, title;
    };

    void LoadFromFile(const QString& fileName) override;
    void LoadFromBytes(const QByteArray& bytes) override;

    // The contacts of a vCard text.
    static QList<Contact> Parse(const QByteArray& bytes);

    // A name the open command takes for a vCard file: ".vcf", ".vcard" (any letter case).
    static bool IsVCardFile(const QString& path);

private:
    void run(const QByteArray& bytes, const QString& sheetName);
};
