// The main window's paper commands: the proof on plain paper and the calibration sheet with
// its dialog that sets the position correction.
#include "app/TForm1.h"
#include "app/TfrmAdjustPosition.h"
#include "common/Prompter.h"
#include "compose/SenderTexts.h"
#include "print/CalibrationSheet.h"
#include "print/CardRenderer.h"
#include "print/PrintJob.h"
#include "print/QPrinterDevice.h"
#include "ui_TForm1.h"

#include <QScopeGuard>

void TForm1::createPaperCommands()
{
    auto* proof = new QAction(QStringLiteral("見本印刷(&M)"), this);
    proof->setObjectName(QStringLiteral("ProofPrint1"));
    proof->setStatusTip(QStringLiteral("選択している住所を普通紙にハガキの枠つきで印刷します"));
    ui->F1->insertAction(ui->L1, proof);
    connect(proof, &QAction::triggered, this, &TForm1::ProofPrintClick);

    auto* sheet = new QAction(QStringLiteral("位置合わせ用紙を印刷"), this);
    sheet->setObjectName(QStringLiteral("CalibrationSheet1"));
    sheet->setStatusTip(QStringLiteral("印刷位置の補正を測る用紙を印刷します"));
    ui->O2->addAction(sheet);
    connect(sheet, &QAction::triggered, this, &TForm1::CalibrationSheetClick);
}

void TForm1::ProofPrintClick()
{
    m_proofRun = true;
    const auto reset = qScopeGuard([this] { m_proofRun = false; });
    btnPrintClick();
}

void TForm1::CalibrationSheetClick()
{
    QPrinterDevice device(printer());
    if (!device.isPresent()) {
        setStatusPanel(2, PrintJob::NoPrinterMessage);
        return;
    }
    const PaperKind paper = ui->rdoA3->isChecked()   ? PaperKind::A3
                            : ui->rdoA4->isChecked() ? PaperKind::A4
                                                     : PaperKind::Postcard;
    // The sender prints on the sheet's cards as on every card, to be checked with them.
    const LayoutKind kind = currentLayoutKind();
    CardTexts sender;
    ComposeSenderTexts(m_options.sender, kind, m_options.useNonUnicodeFont, sender);
    const CardRenderer renderer(m_layouts, m_options);
    if (!CalibrationSheet::print(device, paper, kind, ui->edtHoseiX->text(), ui->edtHoseiY->text(),
                                 {&renderer, &sender})) {
        m_prompter->showError(device.errorText());
        return;
    }
    TfrmAdjustPosition dialog(ui->edtHoseiX->text(), ui->edtHoseiY->text(), this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    const QPoint corrected = dialog.corrected();
    ui->edtHoseiX->setText(QString::number(corrected.x()));
    ui->edtHoseiY->setText(QString::number(corrected.y()));
}
