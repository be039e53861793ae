#include "PrintTestSupport.h"
#include "ScriptedPrompter.h"
#include "common/SessionOptions.h"
#include "layout/LayoutTable.h"
#include "layout/PostalBoxes.h"
#include "print/CalibrationSheet.h"
#include "print/PdfFileDevice.h"
#include "print/PrintJob.h"
#include "typeset/ScreenTextMeasure.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

// Paper fidelity read back from real PDFs: postal digits centred in Japan Post's boxes, the
// calibration sheet's marks, the proof's card face under the fields.

using namespace PrintTest;

Q_DECLARE_METATYPE(PaperKind)
Q_DECLARE_METATYPE(LayoutKind)

namespace {

constexpr double Tolerance = 0.3; // mm
constexpr int PdfDpi = 1200;
const QPoint Correction{15, -20}; // "1,5" and "-20" in 1/10 mm

struct Run
{
    QString pdf;
    QList<QList<Word>> pages;
    PrintJob::Result result;
    QString startOfPaper;
};

Run printCards(const QString& pdf, const LayoutTable& table, const SessionOptions& options,
               PaperKind paper, LayoutKind kind, const QString& postalCode, int cards,
               bool proof = false)
{
    Row row = person(u"山田太郎"_qs);
    row[1] = postalCode;
    AddressGrid grid;
    fillGrid(grid, QList<Row>(cards, row));
    FakeHost host;
    host.endLine = QString::number(cards);
    host.startOfPaper = u"1"_qs;
    host.hoseiX = u"1,5"_qs;
    host.hoseiY = u"-20"_qs;
    ScriptedPrompter prompter;
    PdfFileDevice device(pdf, PdfDpi);
    PrintJob job(grid, table, options, ScreenTextMeasure(), device, host, prompter);
    PrintParameters parameters{paper, kind, false, false};
    parameters.proof = proof;
    Run run;
    run.pdf = pdf;
    run.result = job.btnPrintClick(parameters);
    run.pages = pdfWords(pdf);
    run.startOfPaper = host.startOfPaper;
    return run;
}

// A rendering of the part `areaMm` of page 1 at `dpi`.
QImage render(const QString& pdf, const QRectF& areaMm, int dpi, const QString& base,
              bool gray = false)
{
    const auto px = [dpi](double mm) { return int(std::lround(mm / 25.4 * dpi)); };
    QStringList args{u"-r"_qs,   QString::number(dpi),
                     u"-png"_qs, u"-singlefile"_qs,
                     u"-x"_qs,   QString::number(px(areaMm.x())),
                     u"-y"_qs,   QString::number(px(areaMm.y())),
                     u"-W"_qs,   QString::number(px(areaMm.width())),
                     u"-H"_qs,   QString::number(px(areaMm.height()))};
    if (gray)
        args << u"-gray"_qs;
    QProcess pdftoppm;
    pdftoppm.start(u"pdftoppm"_qs, args << pdf << base);
    pdftoppm.waitForFinished(60000);
    return QImage(base + u".png"_qs);
}

QString describe(const QList<Word>& words)
{
    QStringList parts;
    for (const Word& w : words)
        parts << u"%1@(%2,%3)"_qs.arg(w.text)
                     .arg(w.box.center().x(), 0, 'f', 2)
                     .arg(w.box.center().y(), 0, 'f', 2);
    return parts.join(u' ');
}

} // namespace

class tst_PaperFidelity : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void digitsInBoxes_data();
    void digitsInBoxes();
    void digitsAtTheLayout_data();
    void digitsAtTheLayout();
    void calibrationSheet_data();
    void calibrationSheet();
    void correctedHosei_data();
    void correctedHosei();
    void proof_data();
    void proof();
};

void tst_PaperFidelity::initTestCase()
{
    if (!havePoppler())
        QSKIP("poppler-utils (pdftotext, pdftoppm) are needed");
}

void tst_PaperFidelity::digitsInBoxes_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<PaperKind>("paper");
    QTest::addColumn<double>("fontSize");
    QTest::addColumn<QString>("code");
    for (const double size : {10.0, 13.0, 16.0}) {
        QTest::addRow("TT postcard %gpt", size)
            << LayoutKind::TT << PaperKind::Postcard << size << u"100-0013"_qs;
        QTest::addRow("TY every A4 slot %gpt", size)
            << LayoutKind::TY << PaperKind::A4 << size << u"１０００－０１３"_qs;
    }
    QTest::addRow("TT A4, code without hyphen")
        << LayoutKind::TT << PaperKind::A4 << 12.0 << u"1000013"_qs;
    QTest::addRow("TT postcard, typed with its mark")
        << LayoutKind::TT << PaperKind::Postcard << 12.0 << u"〒１００ー００１３\n"_qs;
}

// Each of the seven digits centred on its box's centre, across and down, on every card.
void tst_PaperFidelity::digitsInBoxes()
{
    QFETCH(LayoutKind, kind);
    QFETCH(PaperKind, paper);
    QFETCH(double, fontSize);
    QFETCH(QString, code);
    LayoutTable table;
    for (const LayoutItem item : {LayoutItem::YubinNo1, LayoutItem::YubinNo2}) {
        LayoutItemRecord r = table.record(kind, item);
        r.FontSize = fontSize;
        table.StoreLayoutItem(int(kind), int(item), r, false);
    }
    SessionOptions options;
    options.zipInBoxes[size_t(kind)] = true;
    options.useZipBoxes[size_t(kind)] = true; // the spread digits must not get in the way
    QTemporaryDir dir;
    const int cards = PrintJob::cardsPerSheet(paper);
    const Run run =
        printCards(dir.filePath(u"boxes.pdf"_qs), table, options, paper, kind, code, cards);
    QCOMPARE(run.result.outcome, PrintJob::Outcome::Printed);
    QCOMPARE(run.pages.size(), 1);

    const QString digits = u"1000013"_qs;
    for (int position = 1; position <= cards; ++position) {
        const QPointF origin =
            QPointF(CardRenderer::SlotOffset(kind, cards, position) + Correction) / 10.0;
        for (int box = 0; box < 7; ++box) {
            const QPointF centre = origin + CardRenderer::PostalBoxCentreMm(box);
            const bool found =
                std::any_of(run.pages[0].begin(), run.pages[0].end(), [&](const Word& w) {
                    return w.text == digits.mid(box, 1) &&
                           std::abs(w.box.center().x() - centre.x()) <= Tolerance &&
                           std::abs(w.box.center().y() - centre.y()) <= Tolerance;
                });
            QVERIFY2(found,
                     qPrintable(u"card %1, box %2: no '%3' centred at (%4, %5): %6"_qs.arg(position)
                                    .arg(box + 1)
                                    .arg(digits[box])
                                    .arg(centre.x())
                                    .arg(centre.y())
                                    .arg(describe(run.pages[0]))));
        }
    }
}

void tst_PaperFidelity::digitsAtTheLayout_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<bool>("option");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("part1"); // as printed at YubinNo1's place
    QTest::newRow("option off") << LayoutKind::TT << false << u"100-0013"_qs << u"100"_qs;
    QTest::newRow("six digits") << LayoutKind::TY << true << u"100-013"_qs << u"100"_qs;
    QTest::newRow("eight digits") << LayoutKind::TT << true << u"1000-0013"_qs << u"1000"_qs;
    QTest::newRow("letters") << LayoutKind::TT << true << u"10a-0013"_qs << u"10a"_qs;
    QTest::newRow("landscape card") << LayoutKind::YT << true << u"100-0013"_qs << u"100"_qs;
    QTest::newRow("typed with its mark")
        << LayoutKind::YT << false << u"〒100-0013"_qs << u"100"_qs;
}

// Not boxed: the postal code starts at YubinNo1's place as the layout says.
void tst_PaperFidelity::digitsAtTheLayout()
{
    QFETCH(LayoutKind, kind);
    QFETCH(bool, option);
    QFETCH(QString, code);
    QFETCH(QString, part1);
    const LayoutTable table;
    SessionOptions options;
    options.zipInBoxes = {option, option};
    QTemporaryDir dir;
    const Run run = printCards(dir.filePath(u"layout.pdf"_qs), table, options, PaperKind::Postcard,
                               kind, code, 1);
    QCOMPARE(run.result.outcome, PrintJob::Outcome::Printed);
    const LayoutItemRecord& r = table.record(kind, LayoutItem::YubinNo1);
    const QPointF at = QPointF(r.X + Correction.x(), r.Y + Correction.y()) / 10.0;
    const bool found = std::any_of(run.pages[0].begin(), run.pages[0].end(), [&](const Word& w) {
        return w.text.startsWith(part1) && std::abs(w.box.left() - at.x()) <= Tolerance &&
               std::abs(w.box.top() - at.y()) <= Tolerance;
    });
    QVERIFY2(found, qPrintable(describe(run.pages[0])));
}

void tst_PaperFidelity::calibrationSheet_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<PaperKind>("paper");
    QTest::newRow("TT postcard") << LayoutKind::TT << PaperKind::Postcard;
    QTest::newRow("TY A4") << LayoutKind::TY << PaperKind::A4;
    QTest::newRow("YT A4") << LayoutKind::YT << PaperKind::A4;
}

// At 600 dpi: the cross-hairs' arms through the box centres, the ruler's ticks at their
// millimetres and lengths, the corners, on every slot, with the correction applied.
void tst_PaperFidelity::calibrationSheet()
{
    QFETCH(LayoutKind, kind);
    QFETCH(PaperKind, paper);
    const QPoint SheetCorrection{15, 20}; // every mark stays on the paper
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"sheet.pdf"_qs);
    PdfFileDevice device(pdf, PdfDpi);
    QVERIFY(CalibrationSheet::print(device, paper, kind, u"1,5"_qs, u"20"_qs));
    const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
    QCOMPARE(pages.size(), 1);
    const QSizeF pageMm = pages[0].points / PointsPerMm;
    const bool landscapePaper = PrintJob::landscapePaper(paper, kind);
    QCOMPARE(pageMm.width() > pageMm.height(), landscapePaper);

    constexpr int Dpi = 600;
    const int cards = PrintJob::cardsPerSheet(paper);
    const QSizeF card = isLandscape(kind) ? QSizeF(148, 100) : QSizeF(100, 148);
    for (int position = 1; position <= cards; ++position) {
        const QPointF origin =
            QPointF(CardRenderer::SlotOffset(kind, cards, position) + SheetCorrection) / 10.0;
        const QImage image =
            render(pdf, QRectF(origin, card), Dpi, dir.filePath(u"card%1"_qs.arg(position)), true);
        QVERIFY(!image.isNull());
        // Darkest pixel within 0.05 mm of a point on the card: lines are 0.15 mm wide.
        const auto inkAt = [&](QPointF mm) {
            const QPoint c((mm * Dpi / 25.4).toPoint());
            int darkest = 255;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (image.valid(c + QPoint(dx, dy)))
                        darkest = std::min(darkest, qGray(image.pixel(c + QPoint(dx, dy))));
            return darkest < 100;
        };
        const auto check = [&](QPointF mm, bool ink, const char* what) {
            QVERIFY2(inkAt(mm) == ink,
                     qPrintable(u"card %1: %2 at (%3, %4) mm should be %5"_qs.arg(position)
                                    .arg(QLatin1String(what))
                                    .arg(mm.x())
                                    .arg(mm.y())
                                    .arg(ink ? u"ink" : u"blank")));
        };
        for (const int box : {0, 6}) {
            // A landscape card holds the boxes turned with it, a quarter clockwise.
            const QPointF upright = CardRenderer::PostalBoxCentreMm(box);
            const QPointF c = isLandscape(kind) ? QPointF(148 - upright.y(), upright.x()) : upright;
            check(c + QPointF(2.5, 0), true, "horizontal arm");
            check(c + QPointF(-2.5, 0), true, "horizontal arm");
            check(c + QPointF(0, -2.5), true, "vertical arm");
            check(c + QPointF(2.5, 0.5), false, "beside the arm");
            check(c + QPointF(0.5, 2.5), false, "beside the arm");
        }
        check(QPointF(2, 0.05), true, "top left corner");
        check(QPointF(0.05, card.height() - 4), true, "bottom left corner");
        check(QPointF(20, 3.5), true, "20 mm tick");
        check(QPointF(25, 2.5), true, "25 mm tick");
        check(QPointF(25, 3.5), false, "below the 25 mm tick");
        check(QPointF(21, 1.0), true, "21 mm tick");
        check(QPointF(21, 2.0), false, "below the 21 mm tick");
        check(QPointF(20.5, 1.0), false, "between ticks");
        check(QPointF(3.5, 30), true, "30 mm tick down the left");
        check(QPointF(1.0, 31), true, "31 mm tick down the left");
        check(QPointF(2.0, 31), false, "beside the 31 mm tick");
    }
}

void tst_PaperFidelity::correctedHosei_data()
{
    QTest::addColumn<QString>("hoseiX");
    QTest::addColumn<QString>("hoseiY");
    QTest::addColumn<double>("right");
    QTest::addColumn<double>("down");
    QTest::addColumn<QPoint>("corrected");
    QTest::newRow("from zero") << u"0"_qs << u"0"_qs << 1.5 << -2.0 << QPoint(-15, 20);
    QTest::newRow("onto a correction") << u"1,5"_qs << u"-20"_qs << 0.3 << 0.7 << QPoint(12, -27);
    QTest::newRow("halves away from zero") << u"0"_qs << u"0"_qs << 0.25 << -0.05 << QPoint(-3, 1);
    QTest::newRow("unreadable fields count as 0")
        << u"abc"_qs << u""_qs << -1.0 << 1.0 << QPoint(10, -10);
    QTest::newRow("kept within int") << u"2147483647"_qs << u"-2147483648"_qs << -1.0 << 1.0
                                     << QPoint(2147483647, -2147483647 - 1);
}

// Where the cross-hair landed against the real box (right and down positive) moves the print
// back by as much.
void tst_PaperFidelity::correctedHosei()
{
    QFETCH(QString, hoseiX);
    QFETCH(QString, hoseiY);
    QFETCH(double, right);
    QFETCH(double, down);
    QFETCH(QPoint, corrected);
    QCOMPARE(CalibrationSheet::correctedHosei(hoseiX, hoseiY, right, down), corrected);
}

void tst_PaperFidelity::proof_data()
{
    QTest::addColumn<PaperKind>("paper");
    QTest::newRow("postcard") << PaperKind::Postcard;
    QTest::newRow("A4, every slot") << PaperKind::A4;
}

// A proof: the card's face (its red boxes) at the slot, the outline, the fields where the
// real print puts them and on top of the face; the start position stays for the real run.
void tst_PaperFidelity::proof()
{
    QFETCH(PaperKind, paper);
    const LayoutKind kind = LayoutKind::TT;
    const LayoutTable table;
    SessionOptions options;
    options.zipInBoxes[0] = true;
    QTemporaryDir dir;
    const int cards = PrintJob::cardsPerSheet(paper);
    const Run real = printCards(dir.filePath(u"real.pdf"_qs), table, options, paper, kind,
                                u"100-0013"_qs, cards);
    const Run proof = printCards(dir.filePath(u"proof.pdf"_qs), table, options, paper, kind,
                                 u"100-0013"_qs, cards, true);
    QCOMPARE(proof.result.outcome, PrintJob::Outcome::Printed);
    if (cards > 1) {
        const Run one = printCards(dir.filePath(u"one.pdf"_qs), table, options, paper, kind,
                                   u"100-0013"_qs, 1, true);
        QCOMPARE(one.startOfPaper, u"1"_qs);
    }

    // Every field's words where the real print has them; the face adds its own.
    for (const Word& w : real.pages[0]) {
        const bool same =
            std::any_of(proof.pages[0].begin(), proof.pages[0].end(), [&](const Word& p) {
                return p.text == w.text &&
                       (p.box.center() - w.box.center()).manhattanLength() < 0.05;
            });
        QVERIFY2(same, qPrintable(u"'%1' moved on the proof"_qs.arg(w.text)));
    }

    constexpr int Dpi = 300;
    for (int position = 1; position <= cards; ++position) {
        const QPointF slot = QPointF(CardRenderer::SlotOffset(kind, cards, position)) / 10.0;
        // The face's stamp area on the card, not moved by the correction.
        const QPointF stamp =
            slot + QPointF(PostalBoxes::StampLeftMm + PostalBoxes::StampWidthMm / 2,
                           PostalBoxes::StampTopMm + PostalBoxes::StampHeightMm / 2);
        const bool face =
            std::any_of(proof.pages[0].begin(), proof.pages[0].end(), [&](const Word& w) {
                return w.text == u"切手" && (w.box.center() - stamp).manhattanLength() < 1.0;
            });
        QVERIFY2(face, qPrintable(u"card %1: no stamp area: %2"_qs.arg(position).arg(
                           describe(proof.pages[0]))));
        // The heading whole: letter spacing once lost letters in the PDF.
        const QRectF headingBand(
            slot + QPointF(PostalBoxes::HeadingCentreXmm - 20, PostalBoxes::HeadingTopMm - 1),
            QSizeF(40, PostalBoxes::HeadingHeightMm * 2));
        QString heading;
        for (const Word& w : proof.pages[0])
            if (headingBand.contains(w.box.center()))
                heading += w.text;
        QCOMPARE(heading, u"郵便はがき"_qs);

        const QImage card = render(proof.pdf, QRectF(slot, QSizeF(100, 148)), Dpi,
                                   dir.filePath(u"card%1"_qs.arg(position)));
        QVERIFY(!card.isNull());
        const auto pixel = [&](QPointF mm) { return card.pixel((mm * Dpi / 25.4).toPoint()); };
        // The outline along the left edge, the red box under the first digit, the digit on top.
        QVERIFY(std::min(qGray(pixel(QPointF(0.0, 74))), qGray(pixel(QPointF(0.1, 74)))) < 200);
        const QRgb boxEdge = pixel(QPointF(PostalBoxes::CodeBoxLeftMm[0], 13));
        QVERIFY2(qRed(boxEdge) > qGreen(boxEdge) + 40, "red box edge");
        int darkest = 255;
        const QPointF box0 = QPointF(PostalBoxes::CodeBoxLeftMm[0], PostalBoxes::CodeBoxTopMm) +
                             QPointF(Correction) / 10.0;
        for (double y = 0.5; y < PostalBoxes::CodeBoxHeightMm - 0.5; y += 0.1)
            for (double x = 0.5; x < PostalBoxes::CodeBoxWidthMm - 0.5; x += 0.1)
                darkest = std::min(darkest, qGray(pixel(box0 + QPointF(x, y))));
        QVERIFY2(darkest < 60, "the digit drawn over the face");
    }
}

QTEST_MAIN(tst_PaperFidelity)
#include "tst_PaperFidelity.moc"
