#include "app/TfrmOption.h"

#include "common/SessionOptions.h"
#include "postal/PostalIndex.h"
#include "ui_TfrmOption.h"

#include <QSignalBlocker>

TfrmOption::TfrmOption(SessionOptions* options, QWidget* parent)
    : QDialog(parent, Qt::Tool), ui(std::make_unique<Ui::TfrmOption>()), m_options(options)
{
    ui->setupUi(this);
    // Without the postal-code table the option can do nothing: say why instead.
    if (const QString why = PostalIndex::unavailableMessage(); !why.isEmpty()) {
        ui->chkBarCodeFromAddress->setEnabled(false);
        ui->chkBarCodeFromAddress->setToolTip(why);
    }
    for (const auto& [box, option] : readDirectlyBoxes())
        connect(box, &QCheckBox::toggled, this, [option](bool checked) { *option = checked; });
}

TfrmOption::~TfrmOption() = default;

void TfrmOption::loadOptions()
{
    for (const auto& [box, option] : readDirectlyBoxes()) {
        const QSignalBlocker blocker(box);
        box->setChecked(*option);
    }
    // The session's values, so that OK keeps a stored 殿 or 全角 rather than the defaults.
    ui->edtKeisho1->setText(m_options->defaultHonorific1);
    ui->edtKeisho2->setText(m_options->defaultHonorific2);
    (m_options->nameSpacingText == u"\u3000" ? ui->RadioButton2 : ui->RadioButton1)
        ->setChecked(true);
}

std::vector<std::pair<QCheckBox*, bool*>> TfrmOption::readDirectlyBoxes() const
{
    SessionOptions& o = *m_options;
    return {{ui->TTchkUseZipNoErea, &o.useZipBoxes[0]},
            {ui->TYchkUseZipNoErea, &o.useZipBoxes[1]},
            {ui->YTchkUseZipNoErea, &o.useZipBoxes[2]},
            {ui->YYchkUseZipNoErea, &o.useZipBoxes[3]},
            {ui->chkUseHyphone, &o.joinByHyphen},
            {ui->chkUseCBC, &o.useCustomerBarcode},
            {ui->chkBarCodeFromAddress, &o.barcodeFromAddress},
            {ui->chkKeisho, &o.useDefaultHonorifics},
            {ui->chkMakeBlankBitweenName, &o.spaceBetweenName},
            {ui->chkUseNonYunicodeFont, &o.useNonUnicodeFont},
            {ui->TTchkZipInBoxes, &o.zipInBoxes[0]},
            {ui->TYchkZipInBoxes, &o.zipInBoxes[1]},
            {ui->YTchkZipInBoxes, &o.zipInBoxes[2]},
            {ui->YYchkZipInBoxes, &o.zipInBoxes[3]}};
}

TfrmOption::Mirrors TfrmOption::mirrors() const
{
    return {ui->chkReadLastFile->isChecked(), ui->chkTategkiFirst->isChecked(),
            ui->chkAutoUpdateOfPreviewData->isChecked(), ui->chkNoTatchSetPaperMode->isChecked()};
}

void TfrmOption::setMirrors(const Mirrors& mirrors)
{
    ui->chkReadLastFile->setChecked(mirrors.readLastFile);
    ui->chkTategkiFirst->setChecked(mirrors.tategakiFirst);
    ui->chkAutoUpdateOfPreviewData->setChecked(mirrors.autoUpdatePreview);
    ui->chkNoTatchSetPaperMode->setChecked(mirrors.noSetPaper);
}

QString TfrmOption::nameSpacingText() const
{
    return ui->RadioButton2->isChecked() ? QStringLiteral("\u3000") : QStringLiteral(" ");
}

QString TfrmOption::honorific1() const
{
    return ui->edtKeisho1->text();
}

QString TfrmOption::honorific2() const
{
    return ui->edtKeisho2->text();
}
