#pragma once

#include "addresslist/AddressRecord.h"

#include <QDialog>

#include <memory>

class QLineEdit;

namespace Ui {
class TfrmEditData;
}

// The record edit dialog: the ten editable fields of one address record.
class TfrmEditData : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmEditData(QWidget* parent = nullptr);
    ~TfrmEditData() override;

    // Fills every field from `record`; a blank value opens as an empty field.
    void setRecord(const AddressRecord& record);
    // `record` with the texts of the ten fields. The postal code, barcode and honorific
    // fields hold code page 932 text: a character without a code there comes back as "?".
    AddressRecord record(AddressRecord record) const;

private:
    QLineEdit* field(int recordField) const;

    std::unique_ptr<Ui::TfrmEditData> ui;
};
