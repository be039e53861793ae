#include "app/TfrmInfomation.h"

#include "app/DataFileInfo.h"
#include "ui_TfrmInfomation.h"

#include <QDir>
#include <QStyle>
#include <QStyleOptionFrame>

TfrmInfomation::TfrmInfomation(QWidget* parent)
    : QDialog(parent, Qt::Tool), ui(std::make_unique<Ui::TfrmInfomation>())
{
    ui->setupUi(this);
    // A fact, not a choice: the box shows the list's state and takes no clicks.
    ui->CheckBox1->setAttribute(Qt::WA_TransparentForMouseEvents);
}

TfrmInfomation::~TfrmInfomation() = default;

void TfrmInfomation::setAddressList(bool looksLikeOne)
{
    ui->CheckBox1->setCheckState(looksLikeOne ? Qt::Checked : Qt::Unchecked);
}

void TfrmInfomation::setRecordCount(int records)
{
    ui->edtNumOfData->setText(QString::number(records));
}

void TfrmInfomation::setSheetCount(int sheets)
{
    ui->edtNoOfSheets->setText(QString::number(sheets));
}

void TfrmInfomation::setFileSize(qint64 bytes)
{
    ui->edtFileSize->setText(QString::number(bytes));
}

void TfrmInfomation::setFileName(const QString& path)
{
    m_fileName = path;
    ui->edtFilename->setToolTip(QDir::toNativeSeparators(path));
    showFileName();
}

void TfrmInfomation::setLastWrite(const QString& text)
{
    ui->edtFileUpdate->setText(text);
}

void TfrmInfomation::clearFile(const QString& lastWrite)
{
    setFileName(QString());
    ui->edtFilename->setToolTip(QString());
    ui->edtFileSize->clear();
    ui->edtNumOfData->clear();
    ui->edtNoOfSheets->clear();
    ui->edtFileUpdate->setText(lastWrite);
}

void TfrmInfomation::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    showFileName();
}

void TfrmInfomation::showFileName()
{
    QLineEdit* field = ui->edtFilename;
    if (m_fileName.isEmpty()) {
        field->clear();
        return;
    }
    // The width the text gets inside the field's frame and margins.
    layout()->activate();
    QStyleOptionFrame option;
    option.initFrom(field);
    option.rect = field->rect();
    option.lineWidth = field->hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    const QMargins margins = field->textMargins();
    const int width = style()->subElementRect(QStyle::SE_LineEditContents, &option, field).width() -
                      margins.left() - margins.right() - 4;
    const QFontMetrics metrics = field->fontMetrics();
    field->setText(DataFileInfo::ShortenPath(
        m_fileName, [&](const QString& text) { return metrics.horizontalAdvance(text) <= width; }));
    field->setCursorPosition(0);
}
