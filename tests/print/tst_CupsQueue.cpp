#include "CiSkip.h"
#include "HeldCupsJob.h"
#include "PrintTestSupport.h"
#include "ScriptedPrompter.h"
#include "common/SessionOptions.h"
#include "layout/LayoutTable.h"
#include "print/PrintJob.h"
#include "print/QPrinterDevice.h"
#include "typeset/FontSubstitutes.h"
#include "typeset/ScreenTextMeasure.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

// Nine cards on A4 through a real CUPS queue that prints into PDF files (scripts/cups-queue
// sets it up; the test is skipped without it). The queue hands back pages as pictures, so
// they are checked by their ink.

using namespace PrintTest;

namespace {

const QString Queue = u"TayoriPDF"_qs;

// Where cups-pdf puts the files of this user: its "Out" setting, ~/PDF by default.
QString outputFolder()
{
    QString folder = u"${HOME}/PDF"_qs;
    QFile conf(u"/etc/cups/cups-pdf.conf"_qs);
    if (conf.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : conf.readAll().split('\n'))
            if (line.startsWith("Out "))
                folder = QString::fromUtf8(line.mid(4).trimmed());
    }
    return folder.replace(u"${HOME}"_qs, QDir::homePath());
}

bool readable(const QString& pdf)
{
    QProcess pdfinfo;
    pdfinfo.start(u"pdfinfo"_qs, {pdf});
    return pdfinfo.waitForFinished(10000) && pdfinfo.exitCode() == 0;
}

// The queue's file named after the job, once it is written whole.
QString waitForFile(const QString& folder, const QString& namePart, int seconds)
{
    QString path;
    qint64 size = -1;
    for (int i = 0; i < seconds * 10; ++i, QTest::qWait(100)) {
        if (path.isEmpty()) {
            const QStringList found = QDir(folder).entryList({u"*.pdf"_qs}, QDir::Files);
            for (const QString& name : found)
                if (name.contains(namePart))
                    path = QDir(folder).filePath(name);
            continue;
        }
        const qint64 now = QFileInfo(path).size();
        if (now > 0 && now == size && readable(path))
            return path;
        size = now;
    }
    return path;
}

} // namespace

Q_DECLARE_METATYPE(PaperKind)

class tst_CupsQueue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void nineCardsOnA4();
    void driverMedia_data();
    void driverMedia();
};

void tst_CupsQueue::initTestCase()
{
    const QStringList queues = QPrinterInfo::availablePrinterNames();
    for (const QString& queue : {Queue, u"TayoriEP801A"_qs, u"TayoriPIXUS560i"_qs})
        if (!queues.contains(queue))
            SKIP_OR_FAIL_UNDER_CI("no CUPS queues TayoriPDF, TayoriEP801A, TayoriPIXUS560i: run "
                                  "scripts/cups-queue");
    if (!HeldCupsJob::spoolReadable())
        SKIP_OR_FAIL_UNDER_CI("the scheduler's spool is not readable here");
    if (!havePoppler())
        SKIP_OR_FAIL_UNDER_CI("poppler-utils missing: run scripts/install-deps");
    FontSubstitutes::install();
}

void tst_CupsQueue::nineCardsOnA4()
{
    QList<Row> rows;
    for (int i = 1; i <= 9; ++i)
        rows << person(u"山田 %1"_qs.arg(i));
    AddressGrid grid;
    fillGrid(grid, rows);
    const LayoutTable layouts;
    const SessionOptions options;
    FakeHost host;
    host.endLine = u"9"_qs;
    ScriptedPrompter prompter;

    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(Queue);
    QVERIFY(printer.isValid());
    const QString title = u"tayori-test-"_qs + QUuid::createUuid().toString(QUuid::Id128).left(12);
    printer.setDocName(title);
    QPrinterDevice device(printer);
    PrintJob job(grid, layouts, options, ScreenTextMeasure(), device, host, prompter);
    const PrintJob::Result result =
        job.btnPrintClick({PaperKind::A4, LayoutKind::TT, false, false});
    QCOMPARE(result.outcome, PrintJob::Outcome::Printed);
    QCOMPARE(result.sheets, 3);

    const QString pdf = waitForFile(outputFolder(), title, 60);
    QVERIFY2(!pdf.isEmpty(), qPrintable(u"nothing from the queue in "_qs + outputFolder()));
    const auto removeFile = qScopeGuard([&pdf] { QFile::remove(pdf); });

    QTemporaryDir dir;
    QProcess pdftoppm;
    pdftoppm.start(u"pdftoppm"_qs,
                   {u"-r"_qs, u"50"_qs, u"-gray"_qs, u"-png"_qs, pdf, dir.filePath(u"page"_qs)});
    QVERIFY(pdftoppm.waitForFinished(60000));
    const QStringList pngs = QDir(dir.path()).entryList({u"page*.png"_qs}, QDir::Files, QDir::Name);
    QCOMPARE(pngs.size(), 3);

    // Every card's name column on its slot: four, four, then one.
    const LayoutItemRecord& atena = layouts.record(LayoutKind::TT, LayoutItem::Atena);
    const double px = 50 / 25.4;
    for (int card = 0; card < 12; ++card) {
        const QImage page(dir.filePath(pngs[card / 4]));
        // A4 portrait, to the pixel.
        QVERIFY(std::abs(page.width() - 210 * px) <= 1 && std::abs(page.height() - 297 * px) <= 1);
        const QPoint slot = CardRenderer::SlotOffset(LayoutKind::TT, 4, card + 1);
        const QRect column(qRound((atena.X + slot.x()) / 10.0 * px),
                           qRound((atena.Y + slot.y()) / 10.0 * px), qRound(5 * px),
                           qRound(40 * px));
        bool ink = false;
        for (int y = column.top(); y <= column.bottom() && !ink; ++y)
            for (int x = column.left(); x <= column.right() && !ink; ++x)
                ink = qGray(page.pixel(x, y)) < 160;
        QCOMPARE(ink, card < 9);
    }
}

// Through real inkjet drivers, whose "Postcard" is 100 x 146.8 mm: a postcard run asks for
// the driver's media of the card's size, and the driver's own filters lay the card on it at
// the place the PDF has it (a wrong media shrinks or shifts the card). A4 and A3 take the
// driver's media of their size.
void tst_CupsQueue::driverMedia_data()
{
    QTest::addColumn<QString>("queue");
    QTest::addColumn<PaperKind>("paper");
    QTest::addColumn<QString>("media");
    QTest::addColumn<bool>("rasterise");
    QTest::newRow("EP-801A postcard")
        << u"TayoriEP801A"_qs << PaperKind::Postcard << u"w283h420"_qs << true;
    QTest::newRow("PIXUS 560i postcard")
        << u"TayoriPIXUS560i"_qs << PaperKind::Postcard << u"w283h420"_qs << true;
    QTest::newRow("EP-801A A4") << u"TayoriEP801A"_qs << PaperKind::A4 << u"A4"_qs << false;
    QTest::newRow("PIXUS 560i A3") << u"TayoriPIXUS560i"_qs << PaperKind::A3 << u"A3"_qs << false;
}

void tst_CupsQueue::driverMedia()
{
    QFETCH(QString, queue);
    QFETCH(PaperKind, paper);
    QFETCH(QString, media);
    QFETCH(bool, rasterise);

    AddressGrid grid;
    fillGrid(grid, {person(u"山田 太郎"_qs)});
    const LayoutTable layouts;
    const SessionOptions options;
    FakeHost host;
    host.endLine = u"1"_qs;
    ScriptedPrompter prompter;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(queue);
    const QString title = u"tayori-test-"_qs + QUuid::createUuid().toString(QUuid::Id128).left(12);
    printer.setDocName(title);
    QPrinterDevice device(printer);
    PrintJob job(grid, layouts, options, ScreenTextMeasure(), device, host, prompter);
    QCOMPARE(job.btnPrintClick({paper, LayoutKind::TT, false, false}).outcome,
             PrintJob::Outcome::Printed);

    const std::optional<HeldCupsJob::Job> held = HeldCupsJob::find(title);
    QVERIFY2(held, "no held job in the scheduler's spool");
    const auto cancel = qScopeGuard([&held] { held->cancel(); });
    QCOMPARE(held->attribute("media"), media);
    if (!rasterise)
        return;

    const auto page =
        HeldCupsJob::rasterise(u"/etc/cups/ppd/"_qs + queue + u".ppd"_qs, *held, media);
    QVERIFY2(page, "the driver's filters made no page");
    QCOMPARE(page->mediaName, media);
    const QSizeF mm = page->sizePoints * 25.4 / 72;
    QVERIFY2(std::abs(mm.width() - 100) <= 0.5 && std::abs(mm.height() - 148) <= 0.5,
             qPrintable(u"%1 x %2 mm"_qs.arg(mm.width()).arg(mm.height())));

    // The same ink in the job's own PDF, rendered by poppler: the card is where it was drawn.
    QTemporaryDir dir;
    QProcess pdftoppm;
    pdftoppm.start(u"pdftoppm"_qs, {u"-r"_qs, u"360"_qs, u"-gray"_qs, u"-png"_qs, u"-singlefile"_qs,
                                    held->dataFile, dir.filePath(u"job"_qs)});
    QVERIFY(pdftoppm.waitForFinished(60000));
    const QImage reference(dir.filePath(u"job.png"_qs));
    QVERIFY(!reference.isNull());
    QRect ink;
    for (int y = 0; y < reference.height(); ++y)
        for (int x = 0; x < reference.width(); ++x)
            if (qGray(reference.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    const double px = 25.4 / 360;
    const QRectF expected(ink.x() * px, ink.y() * px, ink.width() * px, ink.height() * px);
    const QRectF printed = page->inkMillimetres;
    const auto near = [](double a, double b) { return std::abs(a - b) <= 0.3; };
    QVERIFY2(near(printed.top(), expected.top()) && near(printed.bottom(), expected.bottom()) &&
                 near(printed.left(), expected.left()) && near(printed.right(), expected.right()),
             qPrintable(u"ink at %1,%2-%3,%4 mm, drawn at %5,%6-%7,%8 mm"_qs.arg(printed.left())
                            .arg(printed.top())
                            .arg(printed.right())
                            .arg(printed.bottom())
                            .arg(expected.left())
                            .arg(expected.top())
                            .arg(expected.right())
                            .arg(expected.bottom())));
}

QTEST_MAIN(tst_CupsQueue)
#include "tst_CupsQueue.moc"
