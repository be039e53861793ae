#include "app/TfrmEditData.h"

#include "addresslist/RecordEditing.h"
#include "app/PostalHelp.h"
#include "common/cp932.h"
#include "ui_TfrmEditData.h"

namespace {

// The plain edits of the dialog, which hold code page 932 text only.
bool IsCp932Edit(int recordField)
{
    return recordField == HeaderColumns::PostalCode || recordField == HeaderColumns::BarcodeData ||
           recordField == HeaderColumns::Honorific || recordField == HeaderColumns::JointHonorific;
}

} // namespace

TfrmEditData::TfrmEditData(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmEditData>())
{
    ui->setupUi(this);
    AttachPostalHelp(*ui->edtYubinNo, *ui->redtAdd1, *ui->redtAdd2, *ui->btnZipToAddress,
                     *ui->lblZipTown);
}

TfrmEditData::~TfrmEditData() = default;

QLineEdit* TfrmEditData::field(int recordField) const
{
    switch (recordField) {
    case HeaderColumns::PostalCode:
        return ui->edtYubinNo;
    case HeaderColumns::Address1:
        return ui->redtAdd1;
    case HeaderColumns::Address2:
        return ui->redtAdd2;
    case HeaderColumns::Company:
        return ui->redtKaishamei;
    case HeaderColumns::Title:
        return ui->redtKatagaki;
    case HeaderColumns::Name:
        return ui->redtAtena;
    case HeaderColumns::JointName:
        return ui->redtRenmei;
    case HeaderColumns::BarcodeData:
        return ui->edtCBC;
    case HeaderColumns::Honorific:
        return ui->edtKeisho1;
    case HeaderColumns::JointHonorific:
        return ui->edtKeisho2;
    default:
        return nullptr;
    }
}

void TfrmEditData::setRecord(const AddressRecord& record)
{
    for (int f : RecordEditing::WriteOrder) {
        QString text = RecordEditing::OpeningText(record[f]);
        if (IsCp932Edit(f))
            text = cp932::toUnicode(cp932::fromUnicode(text));
        field(f)->setText(text);
        field(f)->setCursorPosition(0);
    }
    ui->edtYubinNo->setFocus();
}

AddressRecord TfrmEditData::record(AddressRecord record) const
{
    for (int f : RecordEditing::WriteOrder) {
        QString text = field(f)->text();
        if (IsCp932Edit(f))
            text = cp932::toUnicode(cp932::fromUnicode(text));
        record.fields[size_t(f)] = text;
    }
    return record;
}
