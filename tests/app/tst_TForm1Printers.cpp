// The window's printing on real printer queues with real inkjet drivers (the held queues of
// scripts/cups-queue: nothing reaches a device; each job's options are read from the spool).
#include "CiSkip.h"
#include "HeldCupsJob.h"
#include "ScriptedPrompter.h"
#include "app/TForm1.h"
#include "print/PrintJob.h"
#include "typeset/FontSubstitutes.h"

#include <QAction>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>
#include <QUuid>

namespace {
const QString Sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");
const QString Queue = QStringLiteral("TayoriEP801A");

template <typename T> T* child(QObject& form, const char* name)
{
    return form.findChild<T*>(QString::fromLatin1(name));
}

QString uniqueTitle()
{
    return u"tayori-test-"_qs + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

struct Window
{
    ScriptedPrompter prompter;
    TForm1 form{&prompter};
    int dialogs = 0;

    Window()
    {
        form.LoadWorkbook(Sample);
        child<QLineEdit>(form, "edtStartLine")->setText(u"1"_qs);
        child<QLineEdit>(form, "edtEndLine")->setText(u"1"_qs);
        form.setDialogRunner([this](QDialog&) {
            ++dialogs;
            return int(QDialog::Rejected);
        });
    }

    // One confirmed run; the media of the job it left on the queue.
    QString print(const char* paper)
    {
        child<QRadioButton>(form, paper)->setChecked(true);
        const QString title = uniqueTitle();
        form.printer().setDocName(title);
        prompter.confirmAnswers << true;
        form.btnPrintClick();
        const std::optional<HeldCupsJob::Job> job = HeldCupsJob::find(title);
        if (!job)
            return QString();
        job->cancel();
        return job->attribute("media");
    }
};
} // namespace

class tst_TForm1Printers : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void printerThatCameLate();
    void printersOwnPaperStands();
};

void tst_TForm1Printers::initTestCase()
{
    QCoreApplication::setApplicationName(u"Tayori"_qs);
    FontSubstitutes::install();
    if (!QPrinterInfo::availablePrinterNames().contains(Queue))
        SKIP_OR_FAIL_UNDER_CI("no held CUPS queue TayoriEP801A: run scripts/cups-queue");
    if (!HeldCupsJob::spoolReadable())
        SKIP_OR_FAIL_UNDER_CI("the scheduler's spool is not readable here");
    // The default printer of this process.
    qputenv("PRINTER", Queue.toUtf8());
}

// The printer was made while no printer was installed (Qt then writes a PDF without a file
// name); a printer that has appeared since is found at the next run, without the dialog, and
// the confirmation names it and the paper.
void tst_TForm1Printers::printerThatCameLate()
{
    Window w;
    w.form.printer().setOutputFormat(QPrinter::PdfFormat);
    QVERIFY(w.form.printer().outputFileName().isEmpty());
    QCOMPARE(w.print("rdOHagaki"), u"w283h420"_qs);
    QCOMPARE(w.dialogs, 0);
    QVERIFY(w.prompter.errors.isEmpty());
    QCOMPARE(w.prompter.questionTexts(),
             QStringList{u"1～1 を印刷します\nプリンター: TayoriEP801A\n用紙: ハガキ 縦"_qs});
}

// With 「プリンターの用紙設定をしない」 a postcard run after an A4 run takes the printer's own
// paper (the queue's default), not A4.
void tst_TForm1Printers::printersOwnPaperStands()
{
    Window w;
    child<QAction>(w.form, "P2")->setChecked(true);
    const QString own = QPrinterInfo::printerInfo(Queue).defaultPageSize().key();
    QVERIFY(own != u"A4" && !own.isEmpty());
    QCOMPARE(w.print("rdoA4"), u"A4"_qs);
    QCOMPARE(w.print("rdOHagaki"), own);
    QVERIFY(w.prompter.questionTexts().last().endsWith(u"（プリンターの設定） 縦"_qs));
}

QTEST_MAIN(tst_TForm1Printers)
#include "tst_TForm1Printers.moc"
