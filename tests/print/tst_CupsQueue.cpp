#include "CiSkip.h"
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

class tst_CupsQueue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void nineCardsOnA4();
};

void tst_CupsQueue::initTestCase()
{
    if (!QPrinterInfo::availablePrinterNames().contains(Queue))
        SKIP_OR_FAIL_UNDER_CI("no CUPS queue TayoriPDF: run scripts/cups-queue");
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

QTEST_MAIN(tst_CupsQueue)
#include "tst_CupsQueue.moc"
