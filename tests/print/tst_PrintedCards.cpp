#include "CiSkip.h"
#include "PrintTestSupport.h"
#include "ScriptedPrompter.h"
#include "common/SessionOptions.h"
#include "layout/LayoutTable.h"
#include "print/PdfFileDevice.h"
#include "print/PrintJob.h"
#include "print/QPrinterDevice.h"
#include "typeset/FontSubstitutes.h"
#include "typeset/ScreenTextMeasure.h"

#include <QFontMetrics>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

// Cards printed into a PDF and read back: the text with pdftotext's word boxes, the barcode
// from a 600 dpi rendering. Every check runs twice: on the PDF file device and on a QPrinter
// writing a PDF, the printer the window and tayori-cli print on.

using namespace PrintTest;

Q_DECLARE_METATYPE(PaperKind)
Q_DECLARE_METATYPE(LayoutKind)
Q_DECLARE_METATYPE(LayoutItem)

namespace {

constexpr double Tolerance = 0.3; // mm
constexpr int PdfDpi = 1200;

// A card whose every field is filled, with an address longer than any address box.
const Row FullCard{u"山田 太郎"_qs,
                   u"100-0013"_qs,
                   u"東京都千代田区霞が関一丁目三番二号中央合同庁舎第二号館"_qs,
                   u"霞が関ビル１２階"_qs,
                   u"株式会社サンプル"_qs,
                   u"\u3000代表取締役 "_qs, // drawn trimmed
                   u"様"_qs,
                   u"山田 花子"_qs,
                   u"様"_qs,
                   u"1000013-3-2"_qs,
                   u"1"_qs};

// The first character each field shows (vertical conversion changes none of them).
const std::pair<LayoutItem, QChar> FirstCharacters[] = {
    {LayoutItem::YubinNo1, u'1'}, {LayoutItem::YubinNo2, u'0'},   {LayoutItem::Jyusho1, u'東'},
    {LayoutItem::Jyusho2, u'霞'}, {LayoutItem::Kaishamei, u'株'}, {LayoutItem::Katagaki, u'代'},
    {LayoutItem::Atena, u'山'},   {LayoutItem::Renmei, u'山'},
};

// The printer of the current global data row, writing `pdf`.
struct Device
{
    std::unique_ptr<QPrinter> printer;
    std::unique_ptr<PrinterDevice> device;
};

Device pdfDevice(const QString& pdf)
{
    QFETCH_GLOBAL(bool, viaQPrinter);
    Device d;
    if (!viaQPrinter) {
        d.device = std::make_unique<PdfFileDevice>(pdf, PdfDpi);
        return d;
    }
    d.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    d.printer->setOutputFormat(QPrinter::PdfFormat);
    d.printer->setOutputFileName(pdf);
    d.printer->setResolution(PdfDpi);
    // Margins as a printer driver would give them: drawing must not be shifted by them.
    d.printer->setPageMargins(QMarginsF(12, 17, 12, 17), QPageLayout::Millimeter);
    d.device = std::make_unique<QPrinterDevice>(*d.printer);
    return d;
}

struct Printed
{
    QList<QList<Word>> pages;
    QString pdf;
    QString barcode; // the "印刷コード" after the run
    PrintJob::Result result;
};

struct Layout
{
    LayoutTable table;
    SessionOptions options;
    QString hoseiX = u"1,5"_qs; // read as 15
    QString hoseiY = u"-20"_qs;
    QPoint correction{15, -20};
};

Printed print(const QTemporaryDir& dir, const Layout& layout, PaperKind paper, LayoutKind kind,
              int cards, const QString& startOfPaper = u"1"_qs)
{
    AddressGrid grid;
    fillGrid(grid, QList<Row>(cards, FullCard));
    FakeHost host;
    host.startLine = u"1"_qs;
    host.endLine = QString::number(cards);
    host.startOfPaper = startOfPaper;
    host.hoseiX = layout.hoseiX;
    host.hoseiY = layout.hoseiY;
    ScriptedPrompter prompter;
    Printed printed;
    printed.pdf =
        dir.filePath(u"%1-%2-%3.pdf"_qs.arg(layoutKindName(kind)).arg(int(paper)).arg(cards));
    Device device = pdfDevice(printed.pdf);
    PrintJob job(grid, layout.table, layout.options, ScreenTextMeasure(), *device.device, host,
                 prompter);
    printed.result = job.btnPrintClick({paper, kind, false, false});
    printed.pages = pdfWords(printed.pdf);
    printed.barcode = grid.cell(11, 1);
    return printed;
}

// Where the card at running position `position` (1-based, from the start of the run at
// slot 1) has its origin, and on which page, in 1/10 mm.
std::pair<int, QPoint> cardOrigin(LayoutKind kind, PaperKind paper, int position, QPoint correction)
{
    const int perSheet = PrintJob::cardsPerSheet(paper);
    return {(position - 1) / perSheet,
            CardRenderer::SlotOffset(kind, perSheet, position) + correction};
}

QFont printFont(const LayoutItemRecord& r)
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(PdfDpi / 0.0254));
        image.setDotsPerMeterY(qRound(PdfDpi / 0.0254));
        return image;
    }();
    static const LayoutTable table;
    static const SessionOptions options;
    return QFont(CardRenderer(table, options).fieldFont(r.FontName, r.FontSize, &device), &device);
}

// The width of a vertical field's column: the font's cell height.
double columnWidthMm(const LayoutItemRecord& r)
{
    return QFontMetrics(printFont(r)).height() * 25.4 / PdfDpi;
}

QString describe(const QList<Word>& words)
{
    QStringList parts;
    for (const Word& w : words)
        parts << u"%1@(%2,%3)"_qs.arg(w.text)
                     .arg(w.box.left(), 0, 'f', 2)
                     .arg(w.box.top(), 0, 'f', 2);
    return parts.join(u' ');
}

// The words of a vertical column or a horizontal line within a box, in reading order.
QList<Word> wordsIn(const QList<Word>& words, const QRectF& areaMm, bool vertical)
{
    QList<Word> found;
    for (const Word& w : words)
        if (areaMm.adjusted(-Tolerance, -Tolerance, Tolerance, Tolerance).contains(w.box))
            found << w;
    std::sort(found.begin(), found.end(), [vertical](const Word& a, const Word& b) {
        return vertical ? a.box.top() < b.box.top() : a.box.left() < b.box.left();
    });
    return found;
}

bool near(double a, double b)
{
    return std::abs(a - b) <= Tolerance;
}

// The width in points of one "山" printed alone at `fontSize` into a box `boxLength` (1/10 mm)
// long; -1 when the PDF does not hold exactly that one word.
double printedEm(double fontSize, double screenDpi, int boxLength)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"size.pdf"_qs);
    const LayoutTable table;
    const SessionOptions options;
    Device device = pdfDevice(pdf);
    if (!device.device->beginDocument())
        return -1;
    CardRenderer(table, options, screenDpi)
        .DrawFieldText(*device.device->painter(), 100, 100, AlignMode::alLeft, false, 0, boxLength,
                       u"ＭＳ 明朝"_qs, fontSize, u"山"_qs);
    if (!device.device->endDocument())
        return -1;
    const QList<QList<Word>> pages = pdfWords(pdf);
    if (pages.size() != 1 || pages[0].size() != 1)
        return -1;
    return pages[0][0].box.width() * PointsPerMm;
}

} // namespace

class tst_PrintedCards : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase_data();
    void initTestCase();
    void slotOffsets_data();
    void slotOffsets();
    void fieldsAtTheirPlaces_data();
    void fieldsAtTheirPlaces();
    void fontSizeRule_data();
    void fontSizeRule();
    void absurdFontSizesAreBounded_data();
    void absurdFontSizesAreBounded();
    void correctionAtTheIntegerLimit_data();
    void correctionAtTheIntegerLimit();
    void hiddenFields_data();
    void hiddenFields();
    void barcodeBars_data();
    void barcodeBars();
    void companyCards_data();
    void companyCards();
};

void tst_PrintedCards::initTestCase_data()
{
    QTest::addColumn<bool>("viaQPrinter");
    QTest::newRow("PDF file") << false;
    QTest::newRow("QPrinter") << true;
}

void tst_PrintedCards::initTestCase()
{
    if (!havePoppler())
        SKIP_OR_FAIL_UNDER_CI("pdftotext/pdftoppm missing: run scripts/install-deps");
    FontSubstitutes::install();
}

void tst_PrintedCards::slotOffsets_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<PaperKind>("paper");
    QTest::addColumn<int>("position");
    QTest::addColumn<QPoint>("offset");

    // Portrait cards fill a column of two before moving right, landscape cards a row of two
    // before moving down.
    QTest::newRow("A4 portrait 1") << LayoutKind::TT << PaperKind::A4 << 1 << QPoint(0, 0);
    QTest::newRow("A4 portrait 2") << LayoutKind::TY << PaperKind::A4 << 2 << QPoint(0, 1480);
    QTest::newRow("A4 portrait 3") << LayoutKind::TT << PaperKind::A4 << 3 << QPoint(1050, 0);
    QTest::newRow("A4 portrait 4") << LayoutKind::TT << PaperKind::A4 << 4 << QPoint(1050, 1480);
    QTest::newRow("A4 portrait 5 is slot 1") << LayoutKind::TT << PaperKind::A4 << 5 << QPoint();
    QTest::newRow("A4 landscape 2") << LayoutKind::YY << PaperKind::A4 << 2 << QPoint(1480, 0);
    QTest::newRow("A4 landscape 3") << LayoutKind::YT << PaperKind::A4 << 3 << QPoint(0, 1050);
    QTest::newRow("A3 portrait 7") << LayoutKind::TT << PaperKind::A3 << 7 << QPoint(3150, 0);
    QTest::newRow("A3 landscape 8") << LayoutKind::YT << PaperKind::A3 << 8 << QPoint(1480, 3150);
    QTest::newRow("postcard has no slots")
        << LayoutKind::YY << PaperKind::Postcard << 3 << QPoint();
}

void tst_PrintedCards::slotOffsets()
{
    QFETCH(LayoutKind, kind);
    QFETCH(PaperKind, paper);
    QFETCH(int, position);
    QFETCH(QPoint, offset);
    QCOMPARE(CardRenderer::SlotOffset(kind, PrintJob::cardsPerSheet(paper), position), offset);
}

void tst_PrintedCards::fieldsAtTheirPlaces_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<PaperKind>("paper");
    for (const LayoutKind kind : {LayoutKind::TT, LayoutKind::TY, LayoutKind::YT, LayoutKind::YY})
        for (const auto& [paper, name] :
             {std::pair{PaperKind::Postcard, "postcard"}, std::pair{PaperKind::A4, "A4"},
              std::pair{PaperKind::A3, "A3"}})
            QTest::addRow("%s on %s", qPrintable(layoutKindName(kind)), name) << kind << paper;
}

// One sheet and one card more: every field of every card starts at its layout position plus
// the slot and the correction, on its sheet. Vertical fields run down one character per cell,
// the long address ends at its box length, the names end at their spread length.
void tst_PrintedCards::fieldsAtTheirPlaces()
{
    QFETCH(LayoutKind, kind);
    QFETCH(PaperKind, paper);
    QTemporaryDir dir;
    const Layout layout;
    const int perSheet = PrintJob::cardsPerSheet(paper);
    const Printed printed = print(dir, layout, paper, kind, perSheet + 1);
    QCOMPARE(printed.result.outcome, PrintJob::Outcome::Printed);
    QCOMPARE(printed.pages.size(), 2);

    for (int position = 1; position <= perSheet + 1; ++position) {
        const auto [page, origin] = cardOrigin(kind, paper, position, layout.correction);
        const QList<Word>& words = printed.pages[page];
        for (const auto& [item, first] : FirstCharacters) {
            const LayoutItemRecord& r = layout.table.record(kind, item);
            const bool vertical = CardRenderer::isVerticalItem(kind, item);
            const QPointF at = QPointF(r.X + origin.x(), r.Y + origin.y()) / 10.0;
            const double column = vertical ? columnWidthMm(r) : 0.0;
            const auto placed = [&](const Word& w) {
                if (!w.text.startsWith(first) || !near(w.box.top(), at.y()))
                    return false;
                if (!vertical)
                    return near(w.box.left(), at.x());
                // Upright in the cell, whose column reaches the cell height to the right.
                return w.box.left() >= at.x() - Tolerance &&
                       w.box.right() <= at.x() + column + Tolerance;
            };
            QVERIFY2(
                std::any_of(words.begin(), words.end(), placed),
                qPrintable(u"card %1, %2 '%3' not at (%4, %5) mm on page %6: %7"_qs.arg(position)
                               .arg(layoutItemName(item))
                               .arg(first)
                               .arg(at.x())
                               .arg(at.y())
                               .arg(page + 1)
                               .arg(describe(words))));
        }
    }

    // The first card's runs in detail.
    const auto [page, origin] = cardOrigin(kind, paper, 1, layout.correction);
    const QList<Word>& words = printed.pages[page];
    const auto run = [&](LayoutItem item) {
        const LayoutItemRecord& r = layout.table.record(kind, item);
        const bool vertical = CardRenderer::isVerticalItem(kind, item);
        const QPointF at = QPointF(r.X + origin.x(), r.Y + origin.y()) / 10.0;
        const double length = (vertical ? r.Height : r.Width) / 10.0;
        const QRectF area = vertical ? QRectF(at, QSizeF(columnWidthMm(r), length))
                                     : QRectF(at, QSizeF(length, columnWidthMm(r)));
        return std::tuple{wordsIn(words, area, vertical), at, length, r};
    };

    if (!isHorizontalWriting(kind)) {
        // Down the column, one character per cell.
        const auto [cells, at, length, r] = run(LayoutItem::Jyusho2);
        QString read;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            read += cells[i].text;
            QCOMPARE(cells[i].text.size(), 1);
            if (i > 0)
                QVERIFY(cells[i].box.top() >= cells[i - 1].box.bottom() - 0.05);
        }
        QCOMPARE(read, u"霞が関ビル一二階"_qs);
    }

    {
        // Squeezed: the long address fills its box and ends at its length.
        const auto [cells, at, length, r] = run(LayoutItem::Jyusho1);
        QVERIFY(!cells.isEmpty());
        QString read;
        for (const Word& w : cells)
            read += w.text;
        QCOMPARE(read, FullCard[2]);
        const double end = isHorizontalWriting(kind) ? cells.last().box.right() - at.x()
                                                     : cells.last().box.bottom() - at.y();
        QVERIFY2(near(end, length), qPrintable(u"ends at %1 of %2 mm"_qs.arg(end).arg(length)));
    }

    for (const LayoutItem item : {LayoutItem::Atena, LayoutItem::Renmei}) {
        // Spread to WidthEx, or over the whole box when WidthEx is below 16 device pixels.
        const auto [cells, at, length, r] = run(item);
        QVERIFY(!cells.isEmpty());
        const double spread =
            CardRenderer::toDevice(r.WidthEx, PdfDpi) < 16 ? length : r.WidthEx / 10.0;
        const double end = isHorizontalWriting(kind) ? cells.last().box.right() - at.x()
                                                     : cells.last().box.bottom() - at.y();
        QVERIFY2(
            near(end, spread),
            qPrintable(
                u"%1 ends at %2, spread %3 mm"_qs.arg(layoutItemName(item)).arg(end).arg(spread)));
        QVERIFY(cells.last().text.endsWith(u'様'));
    }
}

void tst_PrintedCards::fontSizeRule_data()
{
    QTest::addColumn<double>("fontSize");
    QTest::addColumn<double>("screenDpi");
    QTest::addColumn<double>("points");

    QTest::newRow("12 at 96 dpi") << 12.0 << 96.0 << 12.0;
    QTest::newRow("10.5 at 96 dpi rounds up") << 10.5 << 96.0 << 11.0;
    QTest::newRow("9.4 at 96 dpi rounds down") << 9.4 << 96.0 << 9.0;
    QTest::newRow("8 at 96 dpi") << 8.0 << 96.0 << 8.0;
    QTest::newRow("10.5 at 120 dpi") << 10.5 << 120.0 << 10.0;
    QTest::newRow("1 stays 1") << 1.0 << 96.0 << 1.0;
}

// A field prints at the whole point size its layout size has on the screen.
void tst_PrintedCards::fontSizeRule()
{
    QFETCH(double, fontSize);
    QFETCH(double, screenDpi);
    QFETCH(double, points);

    QCOMPARE(CardRenderer::printerPointSize(fontSize, screenDpi), qRound(points));
    // A full-width character advances by one em, the font's size.
    const double em = printedEm(fontSize, screenDpi, 1000);
    QVERIFY2(std::abs(em - points) < 0.05, qPrintable(QString::number(em)));
}

void tst_PrintedCards::absurdFontSizesAreBounded_data()
{
    QTest::addColumn<double>("fontSize");
    QTest::addColumn<double>("points");
    QTest::newRow("5000 prints at 500") << 5000.0 << 500.0;
    QTest::newRow("1e300 prints at 500") << 1e300 << 500.0;
    QTest::newRow("not a number prints at 1") << std::nan("") << 1.0;
}

// Sizes a layout file or a caller may still hand the renderer: the font stays within what a
// printer font can be (a pixel size beyond it crashed the font engine).
void tst_PrintedCards::absurdFontSizesAreBounded()
{
    QFETCH(double, fontSize);
    QFETCH(double, points);
    const double em = printedEm(fontSize, CardRenderer::StandardScreenDpi, 100000);
    QVERIFY2(std::abs(em - points) < 0.05, qPrintable(QString::number(em)));
}

void tst_PrintedCards::correctionAtTheIntegerLimit_data()
{
    QTest::addColumn<QString>("hoseiX");
    QTest::addColumn<QString>("hoseiY");
    QTest::newRow("right") << u"2147483000"_qs << u"0"_qs;
    QTest::newRow("left") << u"-2147483000"_qs << u"0"_qs;
    QTest::newRow("down") << u"0"_qs << u"2147483647"_qs;
}

// A correction near the integer limit moves every field far off the sheet: nothing is drawn,
// and the position sums do not wrap round onto the card.
void tst_PrintedCards::correctionAtTheIntegerLimit()
{
    QFETCH(QString, hoseiX);
    QFETCH(QString, hoseiY);
    QTemporaryDir dir;
    Layout layout;
    layout.hoseiX = hoseiX;
    layout.hoseiY = hoseiY;
    const Printed out = print(dir, layout, PaperKind::Postcard, LayoutKind::TT, 1);
    QCOMPARE(out.result.outcome, PrintJob::Outcome::Printed);
    QCOMPARE(out.pages.size(), 1);
    QVERIFY2(out.pages[0].isEmpty(), qPrintable(describe(out.pages[0])));
}

void tst_PrintedCards::hiddenFields_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("printed");
    QTest::newRow("NoPrint") << u"NoPrint"_qs << false;
    QTest::newRow("NoView") << u"NoView"_qs << false;
    QTest::newRow("Lock plays no part") << u"Lock"_qs << true;
}

// A field marked NoPrint or NoView is left off the card.
void tst_PrintedCards::hiddenFields()
{
    QFETCH(QString, flag);
    QFETCH(bool, printed);
    QTemporaryDir dir;
    Layout layout;
    for (const LayoutItem item : {LayoutItem::Kaishamei, LayoutItem::YubinNo2}) {
        LayoutItemRecord r = layout.table.record(LayoutKind::YY, item);
        (flag == u"NoPrint" ? r.NoPrint : flag == u"NoView" ? r.NoView : r.Lock) = true;
        layout.table.StoreLayoutItem(int(LayoutKind::YY), int(item), r, false);
    }
    const Printed out = print(dir, layout, PaperKind::Postcard, LayoutKind::YY, 1);
    QCOMPARE(out.pages.size(), 1);
    QStringList texts;
    for (const Word& w : out.pages[0])
        texts << w.text;
    QCOMPARE(texts.contains(u"株式会社サンプル"_qs), printed);
    QCOMPARE(texts.contains(u"0013"_qs), printed);
    QVERIFY(texts.contains(u"100"_qs));
    QVERIFY(texts.contains(u"霞が関ビル１２階"_qs));
}

void tst_PrintedCards::barcodeBars_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<PaperKind>("paper");
    QTest::addColumn<QString>("startOfPaper");
    QTest::addColumn<QPoint>("place");  // the field's X and Y; none: the default
    QTest::addColumn<bool>("oddField"); // a PostCode field with another font, size and "@"

    // Elsewhere the field is moved clear of the other fields and onto the card.
    QTest::newRow("postcard TT, default place")
        << LayoutKind::TT << PaperKind::Postcard << u"1"_qs << QPoint() << false;
    QTest::newRow("A4 YY, slot 4")
        << LayoutKind::YY << PaperKind::A4 << u"4"_qs << QPoint(200, 850) << false;
    QTest::newRow("A3 TY, slot 7, odd field font")
        << LayoutKind::TY << PaperKind::A3 << u"7"_qs << QPoint(150, 1300) << true;
    QTest::newRow("A3 YT, slot 8")
        << LayoutKind::YT << PaperKind::A3 << u"8"_qs << QPoint(200, 850) << false;
}

// The bars at 600 dpi: one per pitch from the field's position, each of the bar width, with
// the heights of F, A, D and T in the order of the barcode's pattern, at natural size although
// the field's box is shorter.
void tst_PrintedCards::barcodeBars()
{
    QFETCH(LayoutKind, kind);
    QFETCH(PaperKind, paper);
    QFETCH(QString, startOfPaper);
    QFETCH(QPoint, place);
    QFETCH(bool, oddField);

    QTemporaryDir dir;
    Layout layout;
    layout.options.useCustomerBarcode = true;
    LayoutItemRecord field = layout.table.record(kind, LayoutItem::PostCode);
    // The box that layouts stored by earlier versions hold: shorter than the bars.
    field.Width = 586;
    if (!place.isNull()) {
        field.X = place.x();
        field.Y = place.y();
    }
    if (oddField) {
        field.FontName = u"@ＭＳ 明朝"_qs;
        field.FontSize = 20.0;
    }
    layout.table.StoreLayoutItem(int(kind), int(LayoutItem::PostCode), field, false);
    const Printed out = print(dir, layout, paper, kind, 1, startOfPaper);
    QCOMPARE(out.result.cards, 1);
    // 1000013-3-2 padded with CC4 (sum 126: check CC5), in Japan Post's published table:
    // F long, A upper and D lower semi-long, T timing bar.
    QCOMPARE(out.barcode, u"(1000013-3-2DDDDDDDDDE)"_qs);
    const QString bars = u"FD"_qs // start
                         + u"FFT"
                           u"FTT"
                           u"FTT"
                           u"FTT"
                           u"FTT"
                           u"FFT"_qs // 1 0 0 0 0 1
                         + u"DFA"
                           u"TFT"
                           u"DFA"
                           u"TFT"
                           u"FDA"_qs             // 3 - 3 - 2
                         + u"TDA"_qs.repeated(9) // CC4
                         + u"ATD"
                           u"DF"_qs; // CC5, stop
    QCOMPARE(bars.size(), 67);

    const int perSheet = PrintJob::cardsPerSheet(paper);
    const QPoint origin =
        CardRenderer::SlotOffset(kind, perSheet, startOfPaper.toInt()) + layout.correction;
    constexpr int Dpi = 600;
    const auto px = [](double mm) { return mm / 25.4 * Dpi; };
    const QPointF at(px((field.X + origin.x()) / 10.0), px((field.Y + origin.y()) / 10.0));
    // Japan Post's sizes for a barcode of a points are given at a = 10; it is drawn at 9.
    const auto published = [&](double mmAt10) { return px(mmAt10 * 9 / 10); };
    const double pitch = published(1.2);
    const double width = published(0.6);
    const double longBar = published(3.6);
    const double semi = published(2.4);
    const double timing = published(1.2);
    const double length = 66 * pitch + width;
    QVERIFY(length > px(field.Width / 10.0));

    // Render only the barcode's surroundings.
    const QRect crop = QRectF(at - QPointF(20, 20), QSizeF(length + 40, longBar + 40)).toRect();
    const QString base = dir.filePath(u"bars"_qs);
    QProcess pdftoppm;
    pdftoppm.start(u"pdftoppm"_qs,
                   {u"-r"_qs, QString::number(Dpi), u"-gray"_qs, u"-png"_qs, u"-aaVector"_qs,
                    u"no"_qs, u"-singlefile"_qs, u"-x"_qs, QString::number(crop.x()), u"-y"_qs,
                    QString::number(crop.y()), u"-W"_qs, QString::number(crop.width()), u"-H"_qs,
                    QString::number(crop.height()), out.pdf, base});
    QVERIFY(pdftoppm.waitForFinished(60000));
    const QImage image(base + u".png"_qs);
    QVERIFY(!image.isNull());

    // Bars are runs of dark columns; each one's ink from top to bottom.
    struct Bar
    {
        int left, right, top, bottom;
    };
    QList<Bar> found;
    for (int x = 0; x < image.width(); ++x) {
        int top = -1, bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                top = top < 0 ? y : top;
                bottom = y;
            }
        if (top < 0)
            continue;
        if (!found.isEmpty() && found.last().right == x - 1) {
            Bar& b = found.last();
            b.right = x;
            b.top = std::min(b.top, top);
            b.bottom = std::max(b.bottom, bottom);
        } else {
            found.append({x, x, top, bottom});
        }
    }
    QCOMPARE(found.size(), bars.size());

    const QPointF origin0 = at - QPointF(crop.topLeft());
    const double pixel = 1.5;
    QString read;
    for (qsizetype i = 0; i < found.size(); ++i) {
        const Bar& b = found[i];
        QVERIFY2(std::abs(b.left - (origin0.x() + i * pitch)) <= pixel,
                 qPrintable(u"bar %1 at %2"_qs.arg(i).arg(b.left)));
        QVERIFY(std::abs((b.right + 1 - b.left) - width) <= pixel);
        const double top = b.top - origin0.y();
        const double bottom = b.bottom + 1 - origin0.y();
        const bool fromTop = std::abs(top) <= pixel;
        const bool toBottom = std::abs(bottom - longBar) <= pixel;
        if (fromTop && toBottom) {
            read += u'F';
        } else if (fromTop && std::abs(bottom - semi) <= pixel) {
            read += u'A';
        } else if (toBottom && std::abs(top - (longBar - semi)) <= pixel) {
            read += u'D';
        } else {
            QVERIFY2(std::abs(top - (longBar - timing) / 2) <= pixel &&
                         std::abs(bottom - top - timing) <= pixel,
                     qPrintable(u"bar %1 from %2 to %3"_qs.arg(i).arg(top).arg(bottom)));
            read += u'T';
        }
    }
    QCOMPARE(read, bars);
}

void tst_PrintedCards::companyCards_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::newRow("YY") << LayoutKind::YY;
    QTest::newRow("TY") << LayoutKind::TY;
}

// Cards to a company without a person, read back: the company printed once, 御中 after it or
// after its department on the same line.
void tst_PrintedCards::companyCards()
{
    QFETCH(LayoutKind, kind);
    QTemporaryDir dir;
    Row company = FullCard;
    for (int field : {0, 5, 6, 7, 8}) // 宛先, 肩書き, 敬称, 連名, 敬称2
        company[field].clear();
    Row department = company;
    department[5] = u"営業部"_qs;
    Row contact = company; // an address book's contact of the company itself
    contact[0] = company[4];
    AddressGrid grid;
    fillGrid(grid, {company, department, contact});
    FakeHost host;
    host.endLine = u"3"_qs;
    ScriptedPrompter prompter;
    const QString pdf = dir.filePath(u"companies.pdf"_qs);
    Device device = pdfDevice(pdf);
    LayoutTable layouts;
    SessionOptions options;
    PrintJob job(grid, layouts, options, ScreenTextMeasure(), *device.device, host, prompter);
    QCOMPARE(job.btnPrintClick({PaperKind::Postcard, kind, false, false}).cards, 3);
    const QList<QList<Word>> pages = pdfWords(pdf);
    QCOMPARE(pages.size(), 3);

    // The line the honorific ends, left to right: short names are spread over the field.
    const auto honorificLine = [](QList<Word> words) {
        const auto honorific = std::find_if(words.begin(), words.end(),
                                            [](const Word& w) { return w.text.endsWith(u'中'); });
        if (honorific == words.end())
            return QString();
        const double y = honorific->box.center().y();
        words.removeIf([y](const Word& w) { return std::abs(w.box.center().y() - y) > 1.0; });
        std::sort(words.begin(), words.end(),
                  [](const Word& a, const Word& b) { return a.box.left() < b.box.left(); });
        QString line;
        for (const Word& w : words)
            line += w.text;
        return line;
    };
    const QString name = company[4];
    for (int page = 0; page < 3; ++page) {
        const QList<Word>& words = pages[page];
        const auto count = std::count_if(words.begin(), words.end(),
                                         [&](const Word& w) { return w.text.contains(name); });
        QVERIFY2(count == 1, qPrintable(describe(words)));
        QCOMPARE(honorificLine(words), (page == 1 ? u"営業部"_qs : name) + u"御中"_qs);
    }
}

QTEST_MAIN(tst_PrintedCards)
#include "tst_PrintedCards.moc"
