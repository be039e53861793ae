#include "app/TfrmOption.h"

#include "common/SessionOptions.h"
#include "ui_TfrmOption.h"

#include <QSignalBlocker>

TfrmOption::TfrmOption(SessionOptions* options, QWidget* parent)
    : QDialog(parent, Qt::Tool), ui(std::make_unique<Ui::TfrmOption>()), m_options(options)
{
    ui->setupUi(this);
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
            {ui->chkKeisho, &o.useDefaultHonorifics},
            {ui->chkMakeBlankBitweenName, &o.spaceBetweenName},
            {ui->chkUseNonYunicodeFont, &o.useNonUnicodeFont},
            {ui->TTchkZipInBoxes, &o.zipInBoxes[0]},
            {ui->TYchkZipInBoxes, &o.zipInBoxes[1]}};
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
