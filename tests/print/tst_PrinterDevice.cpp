#include "CiSkip.h"
#include "PrintTestSupport.h"
#include "print/PdfFileDevice.h"
#include "print/QPrinterDevice.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace PrintTest;

namespace {

enum class Kind
{
    PdfFile,
    PdfPrinter // a QPrinter writing the PDF file the print dialog was given
};

struct Device
{
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<PrinterDevice> device;
};

Device makeDevice(Kind kind, const QString& path)
{
    Device d;
    if (kind == Kind::PdfFile) {
        d.device = std::make_unique<PdfFileDevice>(path, 600);
    } else {
        d.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        d.printer->setOutputFormat(QPrinter::PdfFormat);
        d.printer->setOutputFileName(path);
        // Margins as a printer driver would give them: drawing must not be shifted by them.
        d.printer->setPageMargins(QMarginsF(12, 17, 12, 17), QPageLayout::Millimeter);
        d.device = std::make_unique<QPrinterDevice>(*d.printer);
    }
    return d;
}

// Exact: 100 x 148 mm is 283.46 x 419.53 pt.
QSizeF pointsOf(QPageSize::PageSizeId id, bool landscape)
{
    const QSizeF size = QPageSize(id).size(QPageSize::Millimeter) * 72 / 25.4;
    return landscape ? size.transposed() : size;
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class tst_PrinterDevice : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void paperNames_data();
    void paperNames();
    void paperOnPaper_data();
    void paperOnPaper();
    void pagesFromThePaperCorner_data();
    void pagesFromThePaperCorner();
    void unwritableFile_data();
    void unwritableFile();
    void presence();
};

void tst_PrinterDevice::initTestCase()
{
    if (!havePoppler())
        SKIP_OR_FAIL_UNDER_CI("poppler-utils missing: run scripts/install-deps");
}

void tst_PrinterDevice::paperNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("paper"); // -1: the printer keeps its paper

    QTest::newRow("A3") << u"A3"_qs << int(QPageSize::A3);
    QTest::newRow("lower case a3") << u"a3"_qs << int(QPageSize::A3);
    QTest::newRow("B4 is JIS B4") << u"B4"_qs << int(QPageSize::JisB4);
    QTest::newRow("B5 is JIS B5") << u"JIS B5"_qs << int(QPageSize::JisB5);
    QTest::newRow("POST is the Japanese postcard") << u"POST"_qs << int(QPageSize::Postcard);
    QTest::newRow("postcard contains POST") << u"Postcard"_qs << int(QPageSize::Postcard);
    QTest::newRow("first match wins") << u"B5A3"_qs << int(QPageSize::A3);
    QTest::newRow("A4") << u"A4"_qs << int(QPageSize::A4);
    QTest::newRow("empty keeps the paper") << QString() << -1;
}

void tst_PrinterDevice::paperNames()
{
    QFETCH(QString, name);
    QFETCH(int, paper);
    const std::optional<QPageSize> size = PrinterPaperSize(name);
    QCOMPARE(size.has_value(), paper >= 0);
    if (size)
        QCOMPARE(int(size->id()), paper);
}

void tst_PrinterDevice::paperOnPaper_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QSizeF>("points");

    for (const auto& [kind, label] :
         {std::pair{Kind::PdfFile, "PDF file"}, std::pair{Kind::PdfPrinter, "PDF printer"}}) {
        QTest::addRow("%s: postcard portrait", label)
            << kind << u"POST"_qs << false << pointsOf(QPageSize::Postcard, false);
        QTest::addRow("%s: postcard landscape", label)
            << kind << u"POST"_qs << true << pointsOf(QPageSize::Postcard, true);
        QTest::addRow("%s: A3 landscape", label)
            << kind << u"A3"_qs << true << pointsOf(QPageSize::A3, true);
        QTest::addRow("%s: B4", label)
            << kind << u"B4"_qs << false << pointsOf(QPageSize::JisB4, false);
        // The device was on JIS B5: a printer keeps the paper of the last run.
        QTest::addRow("%s: A4 landscape", label)
            << kind << u"A4"_qs << true << pointsOf(QPageSize::A4, true);
        QTest::addRow("%s: any other name keeps the paper", label)
            << kind << u"Letter"_qs << false << pointsOf(QPageSize::JisB5, false);
    }
}

// The paper set is the paper of every page of the document.
void tst_PrinterDevice::paperOnPaper()
{
    QFETCH(Kind, kind);
    QFETCH(QString, name);
    QFETCH(bool, landscape);
    QFETCH(QSizeF, points);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"paper.pdf"_qs);
    Device d = makeDevice(kind, pdf);
    d.device->setPaper(QPageSize(QPageSize::JisB5), QPageLayout::Portrait);
    SetPrinterPaper(*d.device, name, landscape);
    QVERIFY(d.device->beginDocument());
    QVERIFY(d.device->newPage());
    QVERIFY(d.device->endDocument());
    const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
    QCOMPARE(pages.size(), 2);
    for (const PdfText::Page& page : pages) {
        const QSizeF size = page.points;
        QVERIFY2(std::abs(size.width() - points.width()) < 0.01 &&
                     std::abs(size.height() - points.height()) < 0.01,
                 qPrintable(u"%1 x %2"_qs.arg(size.width()).arg(size.height())));
    }
}

void tst_PrinterDevice::pagesFromThePaperCorner_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::newRow("PDF file") << Kind::PdfFile;
    QTest::newRow("PDF printer with margins") << Kind::PdfPrinter;
}

// Device coordinates count from the paper's corner, whatever margins the printer has.
void tst_PrinterDevice::pagesFromThePaperCorner()
{
    QFETCH(Kind, kind);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"corner.pdf"_qs);
    Device d = makeDevice(kind, pdf);
    SetPrinterPaper(*d.device, u"POST"_qs, false);
    QVERIFY(d.device->beginDocument());
    QVERIFY(d.device->isPrinting());
    const int dpi = d.device->paintDevice()->logicalDpiX();
    QFont font(u"IPAGothic"_qs);
    font.setPixelSize(dpi / 6);
    for (int page = 0; page < 3; ++page) {
        if (page > 0)
            QVERIFY(d.device->newPage());
        QPainter* painter = d.device->painter();
        painter->setFont(font);
        // 10 mm right and 20 mm down, plus 5 mm per page.
        const double mm = 10.0 + 5.0 * page;
        painter->drawText(QPointF(mm / 25.4 * dpi, (mm + 10.0) / 25.4 * dpi),
                          u"P%1"_qs.arg(page + 1));
    }
    QVERIFY(d.device->endDocument());
    QVERIFY(!d.device->isPrinting());

    const QList<QList<Word>> pages = pdfWords(pdf);
    QCOMPARE(pages.size(), 3);
    for (int page = 0; page < 3; ++page) {
        QCOMPARE(pages[page].size(), 1);
        QCOMPARE(pages[page][0].text, u"P%1"_qs.arg(page + 1));
        QVERIFY2(std::abs(pages[page][0].box.left() - (10.0 + 5.0 * page)) < 0.2,
                 qPrintable(QString::number(pages[page][0].box.left())));
    }
}

void tst_PrinterDevice::unwritableFile_data()
{
    pagesFromThePaperCorner_data();
}

// A file that cannot be written is reported, not printed to as if all were well.
void tst_PrinterDevice::unwritableFile()
{
    QFETCH(Kind, kind);
    const QString pdf = u"/nonexistent-folder/cards.pdf"_qs;
    Device d = makeDevice(kind, pdf);
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    QVERIFY(!d.device->beginDocument());
    QVERIFY(d.device->errorText().contains(pdf));
    QVERIFY(!d.device->isPrinting());
    QVERIFY(d.device->endDocument());
}

// A PDF file chosen in the print dialog is a printer; a real queue needs an installed one.
void tst_PrinterDevice::presence()
{
    // What CUPS itself lists as destinations.
    QProcess lpstat;
    lpstat.start(u"lpstat"_qs, {u"-e"_qs});
    if (!lpstat.waitForFinished(30000) || lpstat.exitStatus() != QProcess::NormalExit)
        SKIP_OR_FAIL_UNDER_CI("lpstat missing: run scripts/install-deps");
    const bool installed = !lpstat.readAllStandardOutput().trimmed().isEmpty();
    QCOMPARE(QPrinterDevice::PrinterInstalled(), installed);
    QPrinter toFile;
    toFile.setOutputFormat(QPrinter::PdfFormat);
    toFile.setOutputFileName(u"cards.pdf"_qs);
    QVERIFY(QPrinterDevice(toFile).isPresent());
    // Without printers a QPrinter writes PDF to no file: that is not a printer.
    QPrinter fallback;
    fallback.setOutputFormat(QPrinter::PdfFormat);
    QCOMPARE(QPrinterDevice(fallback).isPresent(), installed);
    QPrinter native;
    native.setOutputFormat(QPrinter::NativeFormat);
    QCOMPARE(QPrinterDevice(native).isPresent(), installed);
}

QTEST_MAIN(tst_PrinterDevice)
#include "tst_PrinterDevice.moc"
