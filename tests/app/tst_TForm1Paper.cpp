#include "PdfText.h"
#include "ScriptedPrompter.h"
#include "app/TForm1.h"
#include "typeset/FontSubstitutes.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPrinter>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

// The window's paper commands on its own printer writing a PDF: the calibration sheet with
// its dialog, and the proof.

namespace {

const QString Sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");

template <typename T> T* child(QObject& form, const char* name)
{
    return form.findChild<T*>(QString::fromLatin1(name));
}

} // namespace

class tst_TForm1Paper : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void calibrationSetsTheCorrection_data();
    void calibrationSetsTheCorrection();
    void proofFromTheMenu();
};

void tst_TForm1Paper::initTestCase()
{
    if (!PdfText::Available())
        QSKIP("pdftotext missing: run scripts/install-deps");
    FontSubstitutes::install();
}

void tst_TForm1Paper::calibrationSetsTheCorrection_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("hoseiX");
    QTest::addColumn<QString>("hoseiY");
    QTest::newRow("OK") << true << u"7"_qs << u"-32"_qs;
    QTest::newRow("Cancel") << false << u"5"_qs << u"-10"_qs;
}

// The sheet goes to the printer first, then the dialog turns the measured offsets into 左/上.
void tst_TForm1Paper::calibrationSetsTheCorrection()
{
    QFETCH(bool, accept);
    QFETCH(QString, hoseiX);
    QFETCH(QString, hoseiY);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"sheet.pdf"_qs);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.printer().setOutputFormat(QPrinter::PdfFormat);
    form.printer().setOutputFileName(pdf);
    child<QRadioButton>(form, "rdoA4")->setChecked(true);
    child<QLineEdit>(form, "edtHoseiX")->setText(u"5"_qs);
    child<QLineEdit>(form, "edtHoseiY")->setText(u"-10"_qs);
    bool sheetPrinted = false;
    form.setDialogRunner([&](QDialog& dialog) {
        sheetPrinted = PdfText::ReadPages(pdf).size() == 1;
        dialog.findChild<QDoubleSpinBox*>(u"edtMeasuredX"_qs)->setValue(-0.2);
        dialog.findChild<QDoubleSpinBox*>(u"edtMeasuredY"_qs)->setValue(2.2);
        return accept ? QDialog::Accepted : QDialog::Rejected;
    });
    child<QAction>(form, "CalibrationSheet1")->trigger();
    QVERIFY(sheetPrinted);
    QCOMPARE(child<QLineEdit>(form, "edtHoseiX")->text(), hoseiX);
    QCOMPARE(child<QLineEdit>(form, "edtHoseiY")->text(), hoseiY);
}

// "見本印刷": the card's face comes with the fields; the start position stays put.
void tst_TForm1Paper::proofFromTheMenu()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"proof.pdf"_qs);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.LoadWorkbook(Sample);
    form.printer().setOutputFormat(QPrinter::PdfFormat);
    form.printer().setOutputFileName(pdf);
    child<QRadioButton>(form, "rdoA4")->setChecked(true);
    child<QLineEdit>(form, "edtStartLine")->setText(u"1"_qs);
    child<QLineEdit>(form, "edtEndLine")->setText(u"1"_qs);
    child<QLineEdit>(form, "edtStartOfPaper")->setText(u"2"_qs);
    prompter.confirmAnswers << true;
    child<QAction>(form, "ProofPrint1")->trigger();
    const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages[0].has(u"切手"_qs));
    QCOMPARE(child<QLineEdit>(form, "edtStartOfPaper")->text(), u"2"_qs);

    // An ordinary run afterwards, into the same file (replacing it), has no face.
    prompter.confirmAnswers << true << true;
    child<QAction>(form, "N1")->trigger();
    QVERIFY(!PdfText::ReadPages(pdf)[0].has(u"切手"_qs));
}

QTEST_MAIN(tst_TForm1Paper)
#include "tst_TForm1Paper.moc"
