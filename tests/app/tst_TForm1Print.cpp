#include "CiSkip.h"
#include "PdfText.h"
#include "ScriptedPrompter.h"
#include "app/TForm1.h"
#include "common/cp932.h"
#include "print/PrintJob.h"
#include "typeset/FontSubstitutes.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The window's print commands on its own printer, set to print into a PDF file as the print
// dialog does when the user picks a file.

namespace {

const QString Sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");
const QString Cli = QStringLiteral(TAYORI_BINARY_DIR "/src/cli/tayori-cli");

template <typename T> T* child(QObject& form, const char* name)
{
    return form.findChild<T*>(QString::fromLatin1(name));
}

struct Window
{
    ScriptedPrompter prompter;
    TForm1 form{&prompter};

    explicit Window(const QString& pdf)
    {
        form.LoadWorkbook(Sample);
        form.printer().setOutputFormat(QPrinter::PdfFormat);
        form.printer().setOutputFileName(pdf);
    }
    void set(const char* edit, const QString& text) { child<QLineEdit>(form, edit)->setText(text); }
    QString text(const char* edit) { return child<QLineEdit>(form, edit)->text(); }
    void check(const char* radio) { child<QRadioButton>(form, radio)->setChecked(true); }
    bool idle()
    {
        return child<QPushButton>(form, "btnPrint")->isEnabled() &&
               child<QPushButton>(form, "Button2")->isEnabled() &&
               child<QAction>(form, "N1")->isEnabled() &&
               child<QPushButton>(form, "btnExit")->text() == u"終了" && !form.AbortRequested;
    }
};

int pageCount(const QString& pdf)
{
    return int(PdfText::ReadPages(pdf).size());
}

} // namespace

class tst_TForm1Print : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void printsIntoTheChosenFile();
    void paperAcrossRuns();
    void fileThatIsThere_data();
    void fileThatIsThere();
    void rangeWithoutNames();
    void rangeFollowsTheList();
    void sameCardsAsTheCommandLine();
    void senderAsTheCommandLine();
    void abortFromTheExitButton_data();
    void abortFromTheExitButton();
    void previewTrigger();
    void noPrinter_data();
    void noPrinter();
};

void tst_TForm1Print::initTestCase()
{
    if (!PdfText::Available())
        SKIP_OR_FAIL_UNDER_CI("pdftotext missing: run scripts/install-deps");
    QCoreApplication::setApplicationName(u"Tayori"_qs);
    FontSubstitutes::install();
    // The window prints into files here; a scheduler that cannot be reached leaves this
    // process without printers, as on most laptops, whatever the machine has installed.
    qputenv("CUPS_SERVER", QFile::encodeName(QDir::temp().filePath(u"no-cups-here.sock"_qs)));
}

// "印刷" asks for the range, prints three cards on one A4 sheet and leaves the window idle,
// the last row in the row display and the barcode written back.
void tst_TForm1Print::printsIntoTheChosenFile()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"cards.pdf"_qs);
    Window w(pdf);
    w.set("edtStartLine", u"3"_qs);
    w.set("edtEndLine", u"1"_qs);
    w.check("rdoA4");
    w.prompter.confirmAnswers << true;
    QTest::mouseClick(child<QPushButton>(w.form, "btnPrint"), Qt::LeftButton);

    // Where to and on what paper.
    QCOMPARE(w.prompter.questionTexts(),
             QStringList{u"1～3 を印刷します\nプリンター: "_qs + pdf + u"\n用紙: A4 縦"_qs});
    QCOMPARE(w.prompter.questions.front().caption, u"実行確認"_qs);
    QCOMPARE(pageCount(pdf), 1);
    QVERIFY(w.idle());
    QCOMPARE(w.text("edtStartLine"), u"1"_qs);
    QCOMPARE(w.text("edtEndLine"), u"3"_qs);
    QCOMPARE(w.text("TntRichEdit1"), w.form.addressBook().grid().rowText(3));
    QVERIFY(w.form.addressBook().grid().rowText(1).contains(u"(1000013"_qs));
    QVERIFY(w.form.statusPanel(2).isEmpty());
    // The barcodes written back are no edits of the user's: the usual exit question.
    QVERIFY(!w.form.close());
    QCOMPARE(w.prompter.questionTexts().last(), u"終了しますか"_qs);
}

// One printer across runs: every paper choice sets its paper, "Ａ4（4枚)" too, whatever the
// run before it left on the printer.
void tst_TForm1Print::paperAcrossRuns()
{
    QTemporaryDir dir;
    Window w(dir.filePath(u"unused.pdf"_qs));
    w.set("edtStartLine", u"1"_qs);
    w.set("edtEndLine", u"1"_qs);
    const std::pair<const char*, QSizeF> runs[] = {
        {"rdOHagaki", QSizeF(283.5, 419.5)}, // 100 x 148 mm
        {"rdoA4", QSizeF(595.3, 841.9)},
        {"rdoA3", QSizeF(1190.6, 841.9)}, // portrait cards: the sheet lies landscape
        {"rdoA4", QSizeF(595.3, 841.9)},
    };
    for (int i = 0; i < 4; ++i) {
        const QString pdf = dir.filePath(u"run%1.pdf"_qs.arg(i));
        w.form.printer().setOutputFileName(pdf);
        w.check(runs[i].first);
        w.prompter.confirmAnswers << true;
        w.form.btnPrintClick();
        const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
        QCOMPARE(pages.size(), 1);
        const QSizeF size = pages[0].points;
        QVERIFY2(std::abs(size.width() - runs[i].second.width()) < 1 &&
                     std::abs(size.height() - runs[i].second.height()) < 1,
                 qPrintable(u"run %1: %2 x %3"_qs.arg(i).arg(size.width()).arg(size.height())));
    }
}

void tst_TForm1Print::fileThatIsThere_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("OK replaces it") << true;
    QTest::newRow("Cancel keeps it") << false;
}

// A second run into the file the print dialog named asks before replacing it, as a save does.
void tst_TForm1Print::fileThatIsThere()
{
    QFETCH(bool, replace);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"cards.pdf"_qs);
    {
        QFile earlier(pdf);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier cards");
    }
    Window w(pdf);
    w.set("edtStartLine", u"1"_qs);
    w.set("edtEndLine", u"1"_qs);
    w.prompter.confirmAnswers << true << replace;
    w.form.btnPrintClick();
    QCOMPARE(w.prompter.questionTexts().size(), 2);
    QCOMPARE(w.prompter.questionTexts().last(), PrintJob::OverwriteQuestion(pdf));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll() == "earlier cards", !replace);
    if (replace)
        QCOMPARE(pageCount(pdf), 1);
    QVERIFY(w.idle());
}

// A range below the list's last row makes no card and says so: no question, no sheet, no file.
void tst_TForm1Print::rangeWithoutNames()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"none.pdf"_qs);
    Window w(pdf);
    w.set("edtStartLine", u"20"_qs);
    w.set("edtEndLine", u"25"_qs);
    w.prompter.confirmAnswers << true;
    w.form.btnPrintClick();
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(w.prompter.questions.isEmpty());
    QCOMPARE(w.form.statusPanel(2),
             u"印刷する行がリストにありません（開始 20・終了 25、データは 1～6 行）"_qs);
    QVERIFY(w.idle());
}

// Select-all takes the hidden header row and the grid's empty tail: the range is the list's
// rows and every card prints. A range left from a longer list follows the new list's selection.
void tst_TForm1Print::rangeFollowsTheList()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"all.pdf"_qs);
    Window w(pdf);
    auto* grid = child<QTableView>(w.form, "TntStringGrid1");
    grid->selectAll();
    QCOMPARE(w.text("edtStartLine"), u"1"_qs);
    QCOMPARE(w.text("edtEndLine"), u"6"_qs);
    QCOMPARE(w.text("edtMaisu"), u"6"_qs);
    w.prompter.confirmAnswers << true;
    w.form.btnPrintClick();
    QCOMPARE(w.prompter.questionFirstLines(), QStringList{u"1～6 を印刷します"_qs});
    QCOMPARE(pageCount(pdf), 6);

    // A row without a name takes no card.
    w.form.addressBook().grid().setCell(1, 6, QString());
    grid->clearSelection();
    grid->selectAll();
    QCOMPARE(w.text("edtMaisu"), u"5"_qs);

    w.set("edtStartLine", u"120"_qs);
    w.set("edtEndLine", u"130"_qs);
    w.form.LoadWorkbook(Sample);
    const int start = w.text("edtStartLine").toInt();
    const int end = w.text("edtEndLine").toInt();
    QVERIFY2(1 <= start && start <= end && end <= 6,
             qPrintable(w.text("edtStartLine") + u'-' + w.text("edtEndLine")));
}

// The command line makes the same cards as the window from the same list and settings.
void tst_TForm1Print::sameCardsAsTheCommandLine()
{
    QTemporaryDir dir;
    const QString windowPdf = dir.filePath(u"window.pdf"_qs);
    Window w(windowPdf);
    w.set("edtStartLine", u"1"_qs);
    w.set("edtEndLine", u"6"_qs);
    w.set("edtStartOfPaper", u"2"_qs);
    w.check("rdoA4");
    w.check("rdoYokoOki");
    w.prompter.confirmAnswers << true;
    w.form.btnPrintClick();
    QCOMPARE(w.text("edtStartOfPaper"), u"4"_qs);

    const QString cliPdf = dir.filePath(u"cli.pdf"_qs);
    // An empty settings file, not a first start: the window here has read none either, so
    // neither puts the postal digits into the boxes.
    const QString ini = dir.filePath(u"empty.ini"_qs);
    QVERIFY(QFile(ini).open(QIODevice::WriteOnly));
    QProcess cli;
    cli.start(Cli,
              {u"print"_qs, Sample, u"--to"_qs, cliPdf, u"--rows"_qs, u"1-6"_qs, u"--paper"_qs,
               u"A4"_qs, u"--kind"_qs, u"YT"_qs, u"--start"_qs, u"2"_qs, u"--settings"_qs, ini});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    // Pages and words with their boxes.
    const QList<PdfText::Page> window = PdfText::ReadPages(windowPdf);
    QCOMPARE(window.size(), 2);
    QVERIFY(window[0].words.size() > 20);
    QVERIFY(PdfText::ReadPages(cliPdf) == window);
}

// The sender typed into "差出人" prints on the window's cards exactly as tayori-cli prints the
// settings file's [Sender].
void tst_TForm1Print::senderAsTheCommandLine()
{
    QTemporaryDir dir;
    const QString windowPdf = dir.filePath(u"window.pdf"_qs);
    Window w(windowPdf);
    w.set("edtStartLine", u"1"_qs);
    w.set("edtEndLine", u"2"_qs);
    w.form.setDialogRunner([](QDialog& dialog) {
        child<QLineEdit>(dialog, "edtYubin")->setText(u"2480005"_qs);
        child<QLineEdit>(dialog, "edtJyusho1")->setText(u"鎌倉市雪ノ下３－５－１"_qs);
        child<QLineEdit>(dialog, "edtName")->setText(u"鶴見 翼"_qs);
        child<QLineEdit>(dialog, "edtRenmei")->setText(u"葵"_qs);
        child<QCheckBox>(dialog, "chkPrint")->setChecked(true);
        return int(QDialog::Accepted);
    });
    child<QAction>(w.form, "Sender1")->trigger();
    QCOMPARE(w.form.options().sender.name, u"鶴見 翼"_qs);
    w.prompter.confirmAnswers << true;
    w.form.btnPrintClick();

    const QString ini = dir.filePath(u"tayori.ini"_qs);
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(cp932::fromUnicode(u"[Sender]\r\nPrint=\"True\"\r\nYubin=\"2480005\"\r\n"
                                  u"Jyusho1=\"鎌倉市雪ノ下３－５－１\"\r\nName=\"鶴見 翼\"\r\n"
                                  u"Renmei=\"葵\"\r\n"_qs));
    file.close();
    const QString cliPdf = dir.filePath(u"cli.pdf"_qs);
    QProcess cli;
    cli.start(Cli, {u"print"_qs, Sample, u"--to"_qs, cliPdf, u"--rows"_qs, u"1-2"_qs, u"--paper"_qs,
                    u"POST"_qs, u"--kind"_qs, u"TT"_qs, u"--settings"_qs, ini});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const QList<PdfText::Page> window = PdfText::ReadPages(windowPdf);
    QCOMPARE(window.size(), 2);
    for (const PdfText::Page& page : window)
        QVERIFY(page.has(u"〒248-0005"_qs) && page.has(u"翼"_qs) && page.has(u"葵"_qs));
    QVERIFY(PdfText::ReadPages(cliPdf) == window);
}

// "印刷中断" during the run, or closing the window, answered OK: the card in hand is the last,
// the window stays and is idle again. While the run goes, nothing can switch the sheet or
// edit a row.
void tst_TForm1Print::abortFromTheExitButton_data()
{
    QTest::addColumn<bool>("closeWindow");
    QTest::newRow("exit button") << false;
    QTest::newRow("window closed") << true;
}

void tst_TForm1Print::abortFromTheExitButton()
{
    QFETCH(bool, closeWindow);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"aborted.pdf"_qs);
    Window w(pdf);
    w.form.show();
    w.set("edtStartLine", u"1"_qs);
    w.set("edtEndLine", u"6"_qs);
    w.prompter.confirmAnswers << true << true;
    bool busy = false;
    QTimer::singleShot(0, &w.form, [&] {
        busy = !child<QPushButton>(w.form, "btnPrint")->isEnabled() &&
               !child<QAction>(w.form, "O1")->isEnabled() &&
               !child<QWidget>(w.form, "TabControl1")->isEnabled() &&
               !child<QAction>(w.form, "E1")->isEnabled() &&
               child<QPushButton>(w.form, "btnExit")->text() == u"印刷中断";
        if (closeWindow)
            w.form.close();
        else
            QTest::mouseClick(child<QPushButton>(w.form, "btnExit"), Qt::LeftButton);
    });
    w.form.btnPrintClick();
    QVERIFY(busy);
    QCOMPARE(w.prompter.questionFirstLines(),
             (QStringList{u"1～6 を印刷します"_qs, u"中断しますか"_qs}));
    QCOMPARE(pageCount(pdf), 1);
    QVERIFY(w.idle());
    QVERIFY(w.form.isVisible());
    QVERIFY(child<QWidget>(w.form, "TabControl1")->isEnabled());
    QVERIFY(child<QAction>(w.form, "E1")->isEnabled());
}

// The preview prints by writing "印刷" into Edit1; the field is emptied afterwards.
void tst_TForm1Print::previewTrigger()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"one.pdf"_qs);
    Window w(pdf);
    w.set("edtStartLine", u"2"_qs);
    w.set("edtEndLine", u"2"_qs);
    w.prompter.confirmAnswers << true;
    w.set("Edit1", PrintJob::PrintMarker);
    QCOMPARE(w.prompter.questionFirstLines(), QStringList{u"2～2 を印刷します"_qs});
    QCOMPARE(pageCount(pdf), 1);
    QVERIFY(w.text("Edit1").isEmpty());
    w.set("Edit1", u"something else"_qs);
    QCOMPARE(w.prompter.questions.size(), 1);
}

// Without an installed printer the run says so and opens the printer dialog at once; a PDF
// file chosen there is printed into, a cancelled dialog prints nothing.
void tst_TForm1Print::noPrinter_data()
{
    QTest::addColumn<bool>("chooseFile");
    QTest::newRow("file chosen") << true;
    QTest::newRow("dialog cancelled") << false;
}

void tst_TForm1Print::noPrinter()
{
    QFETCH(bool, chooseFile);
    QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"chosen.pdf"_qs);
    ScriptedPrompter prompter;
    prompter.confirmAnswers << true;
    TForm1 form(&prompter);
    form.LoadWorkbook(Sample);
    child<QLineEdit>(form, "edtStartLine")->setText(u"1"_qs);
    child<QLineEdit>(form, "edtEndLine")->setText(u"1"_qs);
    int dialogs = 0;
    form.setDialogRunner([&](QDialog& dialog) {
        ++dialogs;
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        if (!print || !chooseFile)
            return int(QDialog::Rejected);
        print->printer()->setOutputFormat(QPrinter::PdfFormat);
        print->printer()->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    form.btnPrintClick();
    QCOMPARE(dialogs, 1);
    QCOMPARE(form.statusPanel(2), u"プリンターが接続されていないようです"_qs);
    QCOMPARE(prompter.questionFirstLines(),
             chooseFile ? QStringList{u"1～1 を印刷します"_qs} : QStringList{});
    QCOMPARE(QFile::exists(pdf), chooseFile);
    if (chooseFile)
        QCOMPARE(pageCount(pdf), 1);
}

QTEST_MAIN(tst_TForm1Print)
#include "tst_TForm1Print.moc"
