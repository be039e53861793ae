#include "PostalTesting.h"

#include "ScriptedPrompter.h"
#include "compose/BarcodePattern.h"
#include "compose/CustomerBarcode.h"
#include "layout/LayoutTable.h"
#include "postal/AddressCheck.h"
#include "postal/AddressNumber.h"
#include "print/PdfFileDevice.h"
#include "print/PrintJob.h"
#include "print/PrintTestSupport.h"
#include "typeset/FontSubstitutes.h"
#include "typeset/ScreenTextMeasure.h"

#include <QTemporaryDir>

using namespace PrintTest;

// The print run with "住所からバーコードを作る": a blank "コード" gets its data from the
// address, and the bars of that data are on the card in the PDF.
class tst_PostalPrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        REQUIRE_POSTAL_DATA();
        FontSubstitutes::install();
    }
    void barsFromAddress_data();
    void barsFromAddress();
};

namespace {
// The bars of the one barcode on a 600 dpi rendering of the page: runs of dark columns, each
// named by where its ink starts and ends against the tallest bar (F full, A upper, D lower,
// T timing).
QString readBars(const QString& pdf, const QString& base)
{
    QProcess pdftoppm;
    pdftoppm.start(u"pdftoppm"_qs, {u"-r"_qs, u"600"_qs, u"-gray"_qs, u"-png"_qs, u"-aaVector"_qs,
                                    u"no"_qs, u"-aa"_qs, u"no"_qs, u"-singlefile"_qs, pdf, base});
    if (!pdftoppm.waitForFinished(60000))
        return QString();
    const QImage image(base + u".png"_qs);
    struct Bar
    {
        int left, right, top, bottom;
    };
    // Only thin runs are bars: text strokes are wider or stand alone far from the others.
    QList<Bar> runs;
    for (int x = 0; x < image.width(); ++x) {
        int top = -1, bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 128) {
                top = top < 0 ? y : top;
                bottom = y;
            }
        }
        if (top < 0)
            continue;
        if (!runs.isEmpty() && runs.last().right == x - 1) {
            runs.last().right = x;
            runs.last().top = std::min(runs.last().top, top);
            runs.last().bottom = std::max(runs.last().bottom, bottom);
        } else {
            runs.append({x, x, top, bottom});
        }
    }
    int top = INT_MAX, bottom = 0;
    for (const Bar& b : runs) {
        top = std::min(top, b.top);
        bottom = std::max(bottom, b.bottom);
    }
    QString read;
    const int tolerance = 3;
    for (const Bar& b : runs) {
        const bool fromTop = b.top - top <= tolerance;
        const bool toBottom = bottom - b.bottom <= tolerance;
        read += fromTop && toBottom ? u'F' : fromTop ? u'A' : toBottom ? u'D' : u'T';
    }
    return read;
}
} // namespace

void tst_PostalPrint::barsFromAddress_data()
{
    QTest::addColumn<bool>("fromAddress");
    QTest::addColumn<QString>("code");     // the "コード" cell
    QTest::addColumn<QString>("expected"); // the data on the card; empty: no barcode
    QTest::newRow("option on, blank コード") << true << QString() << u"10000131-3-2-503"_qs;
    QTest::newRow("option on, コード filled wins") << true << u"1000013-9"_qs << u"1000013-9"_qs;
    QTest::newRow("option off, blank コード") << false << QString() << QString();
}

void tst_PostalPrint::barsFromAddress()
{
    QFETCH(bool, fromAddress);
    QFETCH(QString, code);
    QFETCH(QString, expected);

    Row row = person(u"郵便 太郎"_qs);
    row[HeaderColumns::Address1] = u"東京都千代田区霞が関1丁目3番2号"_qs;
    row[HeaderColumns::Address2] = u"郵便プラザ503室"_qs;
    row[HeaderColumns::BarcodeData] = code;
    row[HeaderColumns::PrintedBarcode] = u"1"_qs;
    Row wrong = person(u"郵便 花子"_qs);
    wrong[HeaderColumns::PostalCode] = u"100-0014"_qs;
    AddressGrid grid;
    fillGrid(grid, {row, wrong});

    // Every field but the barcode is off the paper, so the only ink is the bars.
    LayoutTable layouts;
    for (int item = 0; item < LayoutItemCount; ++item) {
        if (LayoutItem(item) == LayoutItem::PostCode)
            continue;
        LayoutItemRecord r = layouts.record(LayoutKind::TY, LayoutItem(item));
        r.NoPrint = true;
        layouts.StoreLayoutItem(int(LayoutKind::TY), item, r, false);
    }
    SessionOptions options;
    options.useCustomerBarcode = true;
    options.barcodeFromAddress = fromAddress;
    FakeHost host;
    host.endLine = u"1"_qs;
    ScriptedPrompter prompter;
    prompter.confirmAnswers.enqueue(true);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"card.pdf"_qs);
    PdfFileDevice device(pdf, 600);
    PrintJob job(grid, layouts, options, ScreenTextMeasure(), device, host, prompter);
    job.setBarcodeDataSource(AddressNumber::barcodeDataOf);
    job.setAddressCheck(AddressCheck::count);
    host.endLine = u"2"_qs;
    const PrintJob::Result result =
        job.btnPrintClick({PaperKind::Postcard, LayoutKind::TY, false, true});
    QCOMPARE(result.outcome, PrintJob::Outcome::Printed);

    // The confirmation names the rows to look at only while the option is on.
    QCOMPARE(prompter.questions.size(), 1);
    QCOMPARE(prompter.questions[0].text.contains(u"1 件の住所を確認してください"_qs), fromAddress);

    const QString written = grid.cell(11, 1);
    if (expected.isEmpty()) {
        QCOMPARE(written.trimmed(), u"1"_qs);
    } else {
        QCOMPARE(written, CustomerBarcode(expected));
    }
    const QString read = readBars(pdf, dir.filePath(u"page"_qs));
    // Without data the "印刷コード" cell is printed as it stands: the bars of "1", no
    // customer barcode.
    QCOMPARE(read, BarcodePattern::bars(expected.isEmpty() ? u"1"_qs : CustomerBarcode(expected)));
}

QTEST_MAIN(tst_PostalPrint)
#include "tst_PostalPrint.moc"
