#pragma once

#include "print/ListReport.h"

#include <QDialog>

#include <memory>

class Prompter;
class QPrinter;

namespace Ui {
class TfrmPrintoutTable;
}

// The list-printing preview ("一覧表印刷プレビュー"): one page of the list at a time, page
// buttons, paper and printer, and printing of all pages. Created once with the main window
// and shown modally for each list; the main window hands the table over before showing it.
class TfrmPrintoutTable : public QDialog
{
    Q_OBJECT
public:
    // `printer` is the main window's printer, which the printer box changes; both must outlive
    // the window.
    TfrmPrintoutTable(QPrinter* printer, Prompter* prompter, QWidget* parent = nullptr);
    ~TfrmPrintoutTable() override;

    // The values of "リスト印刷": rows, widths and the sheet's name.
    void setTable(const ListTable& table);

    ListReport& report() { return m_report; }
    // The page shown in the preview, as drawn.
    QImage previewImage() const { return m_preview; }

    // The printer box's entry that prints into a PDF file the user names.
    static QString PdfFileEntry();

public Q_SLOTS:
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void cmbPaperSizeChange();
    void cmbPrinterChange();
    void Button1Click();
    void Button2Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    // Before each body row of a page: the cells show the next row of the list.
    void LRGridPanel1PrintPanel(std::vector<ReportTextItem>& cells);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void goToPage(int page);
    void renderPreview();
    void fillPrinters();

    std::unique_ptr<Ui::TfrmPrintoutTable> ui;
    QPrinter* m_printer;
    Prompter* m_prompter;
    ListReport m_report;
    QImage m_preview;
};
