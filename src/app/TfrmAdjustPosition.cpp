#include "app/TfrmAdjustPosition.h"

#include "print/CalibrationSheet.h"
#include "ui_TfrmAdjustPosition.h"

TfrmAdjustPosition::TfrmAdjustPosition(const QString& hoseiX, const QString& hoseiY,
                                       QWidget* parent)
    : QDialog(parent, Qt::Tool), ui(std::make_unique<Ui::TfrmAdjustPosition>()), m_hoseiX(hoseiX),
      m_hoseiY(hoseiY)
{
    ui->setupUi(this);
    connect(ui->edtMeasuredX, &QDoubleSpinBox::valueChanged, this, &TfrmAdjustPosition::showResult);
    connect(ui->edtMeasuredY, &QDoubleSpinBox::valueChanged, this, &TfrmAdjustPosition::showResult);
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::reject);
    showResult();
}

TfrmAdjustPosition::~TfrmAdjustPosition() = default;

QPoint TfrmAdjustPosition::corrected() const
{
    return CalibrationSheet::correctedHosei(m_hoseiX, m_hoseiY, ui->edtMeasuredX->value(),
                                            ui->edtMeasuredY->value());
}

void TfrmAdjustPosition::showResult()
{
    const QPoint c = corrected();
    ui->lblResult->setText(
        QStringLiteral("位置補正  左 %1  上 %2  (1/10mm)").arg(c.x()).arg(c.y()));
}
