#include "app/TfrmPrintoutTable.h"

#include "common/Prompter.h"
#include "print/PdfFileDevice.h"
#include "print/QPrinterDevice.h"
#include "ui_TfrmPrintoutTable.h"

#include <QApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QSignalBlocker>

TfrmPrintoutTable::TfrmPrintoutTable(QPrinter* printer, Prompter* prompter, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmPrintoutTable>()), m_printer(printer),
      m_prompter(prompter)
{
    ui->setupUi(this);
    FormCreate();
}

TfrmPrintoutTable::~TfrmPrintoutTable()
{
    FormDestroy();
}

QString TfrmPrintoutTable::PdfFileEntry()
{
    return QStringLiteral("PDF ファイル");
}

void TfrmPrintoutTable::FormCreate()
{
    ui->cmbPaperSize->addItems(ListReport::PaperNames());
    ui->cmbPaperSize->setCurrentText(QStringLiteral("A4-横"));
    ui->cmbPaperSize->setInsertPolicy(QComboBox::NoInsert);
    m_report.setPaper(ui->cmbPaperSize->currentText());

    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TfrmPrintoutTable::SpeedButton1Click);
    connect(ui->SpeedButton2, &QToolButton::clicked, this, &TfrmPrintoutTable::SpeedButton2Click);
    connect(ui->SpeedButton3, &QToolButton::clicked, this, &TfrmPrintoutTable::SpeedButton3Click);
    connect(ui->SpeedButton4, &QToolButton::clicked, this, &TfrmPrintoutTable::SpeedButton4Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TfrmPrintoutTable::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TfrmPrintoutTable::Button2Click);
    connect(ui->cmbPaperSize, &QComboBox::currentTextChanged, this,
            &TfrmPrintoutTable::cmbPaperSizeChange);
    connect(ui->cmbPrinter, &QComboBox::currentIndexChanged, this,
            &TfrmPrintoutTable::cmbPrinterChange);

    m_report.page().fillRow = [this](int, std::vector<ReportTextItem>& cells) {
        LRGridPanel1PrintPanel(cells);
    };
    renderPreview();
    fillPrinters();

    // As much of the page as the screen has room for.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableSize() * 0.9;
        const QSize wanted = m_preview.size() + QSize(40, 120);
        resize(std::min(wanted.width(), room.width()), std::min(wanted.height(), room.height()));
    }
}

void TfrmPrintoutTable::FormDestroy()
{
    // The cells belong to the report, which goes with the window.
}

void TfrmPrintoutTable::fillPrinters()
{
    const QSignalBlocker blocker(ui->cmbPrinter);
    ui->cmbPrinter->clear();
    const QStringList names = QPrinterInfo::availablePrinterNames();
    ui->cmbPrinter->addItems(names);
    // Without a printer, or to keep the list as a file, it goes into a PDF file.
    ui->cmbPrinter->addItem(PdfFileEntry());
    QString current = PdfFileEntry();
    if (m_printer->outputFormat() == QPrinter::NativeFormat)
        current = names.contains(m_printer->printerName()) ? m_printer->printerName()
                                                           : QPrinterInfo::defaultPrinterName();
    ui->cmbPrinter->setCurrentText(names.contains(current) ? current : PdfFileEntry());
}

void TfrmPrintoutTable::setTable(const ListTable& table)
{
    m_report.setTable(table);
}

void TfrmPrintoutTable::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TfrmPrintoutTable::FormShow()
{
    // The printers may have changed since the last list.
    fillPrinters();
    m_report.setCurrentPage(1);
    ui->Edit1->setText(m_report.pageIndicator());
    renderPreview();
}

void TfrmPrintoutTable::renderPreview()
{
    m_preview = m_report.render();
    ui->QRPreview->setPixmap(QPixmap::fromImage(m_preview));
    ui->QRPreview->resize(m_preview.size());
}

void TfrmPrintoutTable::goToPage(int page)
{
    if (page == m_report.currentPage() || !m_report.setCurrentPage(page))
        return;
    ui->Edit1->setText(m_report.pageIndicator());
    renderPreview();
}

void TfrmPrintoutTable::SpeedButton3Click()
{
    goToPage(1);
}

void TfrmPrintoutTable::SpeedButton2Click()
{
    goToPage(m_report.currentPage() - 1);
}

void TfrmPrintoutTable::SpeedButton4Click()
{
    goToPage(m_report.currentPage() + 1);
}

void TfrmPrintoutTable::SpeedButton1Click()
{
    goToPage(m_report.pageCount());
}

void TfrmPrintoutTable::LRGridPanel1PrintPanel(std::vector<ReportTextItem>& cells)
{
    m_report.printPanel(cells);
}

void TfrmPrintoutTable::cmbPaperSizeChange()
{
    if (m_report.setPaper(ui->cmbPaperSize->currentText()))
        renderPreview();
}

void TfrmPrintoutTable::cmbPrinterChange()
{
    const QString name = ui->cmbPrinter->currentText();
    if (name == PdfFileEntry() || name.isEmpty())
        return;
    m_printer->setOutputFormat(QPrinter::NativeFormat);
    m_printer->setPrinterName(name);
}

void TfrmPrintoutTable::Button1Click()
{
    reject();
}

void TfrmPrintoutTable::Button2Click()
{
    std::unique_ptr<PrinterDevice> device;
    if (ui->cmbPrinter->currentText() == PdfFileEntry()) {
        const QString path = m_prompter->saveFileName(
            QStringLiteral("PDF(*.pdf)|*.PDF"), QStringLiteral("pdf"), QString(),
            m_report.table().sheetName + QStringLiteral(".pdf"));
        if (path.isEmpty())
            return;
        device = std::make_unique<PdfFileDevice>(path);
    } else {
        device = std::make_unique<QPrinterDevice>(*m_printer);
    }
    // The list's paper is for the list only: card printing finds the printer as it was.
    const QPageLayout kept = m_printer->pageLayout();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const bool printed = m_report.print(*device, &error);
    QApplication::restoreOverrideCursor();
    device.reset();
    m_printer->setPageLayout(kept);
    if (!printed)
        m_prompter->showError(error.isEmpty() ? QStringLiteral("プリンターが見つかりません")
                                              : error);
}
