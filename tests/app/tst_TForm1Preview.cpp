// The main window's side of the preview: opening it on the radio buttons' face, filling it
// from the grid, keeping a layout edit across a restart, printing the card it shows.
#include "DialogTesting.h"
#include "ScriptedPrompter.h"
#include "app/TForm1.h"
#include "app/WidgetPrompter.h"
#include "controls/TShadowPanel.h"
#include "controls/TStretchHandle.h"
#include "controls/TTateEdit.h"
#include "preview/TfrmPreView.h"
#include "typeset/FontSubstitutes.h"
#include <QCheckBox>

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
const QString Sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");

template <typename T> T* child(QObject& form, const char* name)
{
    return form.findChild<T*>(QString::fromLatin1(name));
}

void selectRow(TForm1& form, int row)
{
    auto* grid = child<QTableView>(form, "TntStringGrid1");
    grid->setCurrentIndex(grid->model()->index(row, 1));
}

QString pdfText(const QString& pdf)
{
    QProcess process;
    process.start(u"pdftotext"_qs, {pdf, u"-"_qs});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

class tst_TForm1Preview : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void opensOnTheWindowsFace_data();
    void opensOnTheWindowsFace();
    void followsTheRowAndTheButtons();
    void showsTheEditedRecord();
    void editSurvivesRestart();
    void printsTheShownCard();
    void showsTheSender_data();
    void showsTheSender();
    void enterConfirmsTheCodeDialog();
    void printShowsAMoveNotStoredBack();
};

void tst_TForm1Preview::initTestCase()
{
    QCoreApplication::setApplicationName(u"Tayori"_qs);
    FontSubstitutes::install();
}

void tst_TForm1Preview::opensOnTheWindowsFace_data()
{
    QTest::addColumn<QString>("orientation");
    QTest::addColumn<QString>("writing");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("previewOrientation");
    QTest::addColumn<QString>("previewWriting");

    QTest::newRow("横置き 横書き")
        << u"rdoYokoOki"_qs << u"rdoYokoGaki"_qs << 3 << u"RadioButton1"_qs << u"RadioButton4"_qs;
    QTest::newRow("縦置き 縦書き")
        << u"rdoTateOki"_qs << u"rdoTateGaki"_qs << 0 << u"RadioButton2"_qs << u"RadioButton5"_qs;
    QTest::newRow("横置き 縦書き")
        << u"rdoYokoOki"_qs << u"rdoTateGaki"_qs << 2 << u"RadioButton1"_qs << u"RadioButton5"_qs;
}

void tst_TForm1Preview::opensOnTheWindowsFace()
{
    QFETCH(QString, orientation);
    QFETCH(QString, writing);
    QFETCH(int, kind);
    QFETCH(QString, previewOrientation);
    QFETCH(QString, previewWriting);

    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.LoadWorkbook(Sample);
    form.findChild<QRadioButton*>(orientation)->setChecked(true);
    form.findChild<QRadioButton*>(writing)->setChecked(true);
    selectRow(form, 1);
    QTest::mouseClick(child<QPushButton>(form, "Button5"), Qt::LeftButton);

    TfrmPreView* preview = form.preview();
    QVERIFY(preview->isVisible());
    QCOMPARE(int(preview->CurrentKind()), kind);
    QVERIFY(preview->findChild<QRadioButton*>(previewOrientation)->isChecked());
    QVERIFY(preview->findChild<QRadioButton*>(previewWriting)->isChecked());
    for (int k = 0; k < LayoutKindCount; ++k)
        QCOMPARE(preview->face(LayoutKind(k))->isVisible(), k == kind);
    QVERIFY(preview->field(LayoutItem::Atena, LayoutKind(kind))->Text().startsWith(u"山田"_qs));
    QVERIFY(prompter.errors.isEmpty());
}

void tst_TForm1Preview::followsTheRowAndTheButtons()
{
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    form.LoadWorkbook(Sample);
    selectRow(form, 1);
    form.purebyu1Click();
    TfrmPreView* preview = form.preview();
    selectRow(form, 3);
    QVERIFY(preview->field(LayoutItem::Atena, LayoutKind::TT)->Text().startsWith(u"鈴木"_qs));

    // The preview's own buttons take the main window with them.
    QTest::mouseClick(child<QRadioButton>(*preview, "RadioButton4"), Qt::LeftButton);
    QVERIFY(child<QRadioButton>(form, "rdoYokoGaki")->isChecked());
    QCOMPARE(preview->CurrentKind(), LayoutKind::TY);
    QVERIFY(preview->face(LayoutKind::TY)->isVisible());
    QVERIFY(preview->field(LayoutItem::Atena, LayoutKind::TY)->Text().startsWith(u"鈴木"_qs));

    // Hidden, it follows nothing.
    child<QPushButton>(*preview, "Button1")->click();
    QVERIFY(!preview->isVisible());
    child<QRadioButton>(form, "rdoYokoOki")->click();
    QVERIFY(!preview->isVisible());
}

// After "修正(&E)" the card on the preview is the edited record, its new postal code and
// address line included.
void tst_TForm1Preview::showsTheEditedRecord()
{
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    form.LoadWorkbook(Sample);
    selectRow(form, 2);
    form.purebyu1Click();
    TfrmPreView* preview = form.preview();
    const QString before = preview->field(LayoutItem::Jyusho2, LayoutKind::TT)->Text();

    int shown = 0;
    AnswerDialogs(form, u"Button2"_qs, &shown, [](QDialog& d) {
        Child<QLineEdit>(d, "edtYubinNo")->setText(u"999-8888"_qs);
        Child<QLineEdit>(d, "redtAdd2")->setText(u"さっぽろハイツ"_qs);
    });
    form.E1Click();
    QCOMPARE(shown, 1);
    QCOMPARE(preview->field(LayoutItem::YubinNo1, LayoutKind::TT)->Text(), u"999"_qs);
    QCOMPARE(preview->field(LayoutItem::YubinNo2, LayoutKind::TT)->Text(), u"8888"_qs);
    const QString after = preview->field(LayoutItem::Jyusho2, LayoutKind::TT)->Text();
    QVERIFY2(after != before && after.contains(u"ハイツ"_qs), qPrintable(after));
}

void tst_TForm1Preview::editSurvivesRestart()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(u"tayori.ini"_qs);
    {
        ScriptedPrompter prompter;
        prompter.confirmAnswers << true;
        TForm1 form(&prompter, ini);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.purebyu1Click();
        TfrmPreView* preview = form.preview();
        TTateEdit* atena = preview->field(LayoutItem::Atena, LayoutKind::TT);
        QTest::mouseClick(atena, Qt::LeftButton, {}, QPoint(3, 3));
        child<QLineEdit>(*preview, "edtX")->setText(u"612"_qs);
        QTest::keyClick(child<QLineEdit>(*preview, "edtX"), Qt::Key_Return);
        QCOMPARE(form.layouts().record(LayoutKind::TT, LayoutItem::Atena).X, 612);
        form.close();
    }
    ScriptedPrompter prompter;
    TForm1 form(&prompter, ini);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.layouts().record(LayoutKind::TT, LayoutItem::Atena).X, 612);
    form.purebyu1Click();
    // 61.2 mm at 90 % of 96 dpi, where the printer puts it.
    QCOMPARE(form.preview()->fieldBox(int(LayoutItem::Atena), 0).x(), 208);
}

void tst_TForm1Preview::printsTheShownCard()
{
    if (QStandardPaths::findExecutable(u"pdftotext"_qs).isEmpty())
        QSKIP("pdftotext missing: run scripts/install-deps");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"card.pdf"_qs);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    form.LoadWorkbook(Sample);
    form.printer().setOutputFormat(QPrinter::PdfFormat);
    form.printer().setOutputFileName(pdf);
    child<QRadioButton>(form, "rdoYokoGaki")->setChecked(true);
    selectRow(form, 2);
    child<QLineEdit>(form, "edtStartLine")->setText(u"2"_qs);
    child<QLineEdit>(form, "edtEndLine")->setText(u"2"_qs);
    form.purebyu1Click();
    TfrmPreView* preview = form.preview();
    QTest::mouseClick(child<QCheckBox>(*preview, "chkEdit"), Qt::LeftButton);

    TTateEdit* company = preview->field(LayoutItem::Kaishamei, LayoutKind::TY);
    QVERIFY(!company->ReadOnly());
    company->setFocus();
    QTest::keyClicks(company, u"Pictured"_qs);
    QVERIFY(company->Text().startsWith(u"Pictured"_qs));

    prompter.confirmAnswers << true;
    preview->PopupMenu1()->findChild<QAction*>(u"P1"_qs)->trigger();
    QCOMPARE(prompter.questionFirstLines(), QStringList{u"2～2 を印刷します"_qs});
    const QString printed = pdfText(pdf);
    QVERIFY2(printed.contains(u"Pictured"_qs), qPrintable(printed));
    QVERIFY(child<QLineEdit>(form, "Edit1")->text().isEmpty());
}

void tst_TForm1Preview::showsTheSender_data()
{
    QTest::addColumn<QString>("orientation");
    QTest::addColumn<QString>("writing");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name"); // the sender's name as the face shows it
    QTest::newRow("TT") << u"rdoTateOki"_qs << u"rdoTateGaki"_qs << 0 << u"鶴見　翼"_qs;
    QTest::newRow("TY") << u"rdoTateOki"_qs << u"rdoYokoGaki"_qs << 1 << u"鶴見 翼"_qs;
    QTest::newRow("YT") << u"rdoYokoOki"_qs << u"rdoTateGaki"_qs << 2 << u"鶴見　翼"_qs;
    QTest::newRow("YY") << u"rdoYokoOki"_qs << u"rdoYokoGaki"_qs << 3 << u"鶴見 翼"_qs;
}

// With "差出人を印刷する" checked the face shows the sender in its fields, each where the layout
// puts it, as it shows the addressee's.
void tst_TForm1Preview::showsTheSender()
{
    QFETCH(QString, orientation);
    QFETCH(QString, writing);
    QFETCH(int, kind);
    QFETCH(QString, name);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.options().sender = {true,    u"2480005"_qs,  u"鎌倉市雪ノ下３－５－１"_qs,
                             {},      u"鶴見商店"_qs, u"鶴見 翼"_qs,
                             u"葵"_qs};
    form.LoadWorkbook(Sample);
    form.findChild<QRadioButton*>(orientation)->setChecked(true);
    form.findChild<QRadioButton*>(writing)->setChecked(true);
    selectRow(form, 1);
    form.purebyu1Click();
    TfrmPreView* preview = form.preview();
    const auto k = LayoutKind(kind);
    QCOMPARE(preview->CurrentKind(), k);
    QCOMPARE(preview->field(LayoutItem::SenderName, k)->Text(), name);
    QCOMPARE(preview->field(LayoutItem::SenderYubinNo, k)->Text(), u"〒248-0005"_qs);
    QVERIFY(preview->field(LayoutItem::Atena, k)->Text().startsWith(u"山田"_qs));
    const CardGeometry geometry = preview->faceGeometry();
    for (int i = AddresseeItemCount; i < LayoutItemCount; ++i) {
        const LayoutItemRecord& r = form.layouts().record(k, LayoutItem(i));
        QVERIFY(preview->field(i, kind)->isVisible());
        QCOMPARE(preview->fieldBox(i, kind).topLeft(), geometry.toPixels(QPoint(r.X, r.Y)));
    }
}

// Ctrl+J in a field asks for a character code in the program's own dialog; Enter there
// confirms it, and the key's release comes to the field the dialog gives the focus back to.
void tst_TForm1Preview::enterConfirmsTheCodeDialog()
{
    WidgetPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.purebyu1Click();
    TfrmPreView* preview = form.preview();
    preview->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(preview));
    QTest::mouseClick(child<QCheckBox>(*preview, "chkEdit"), Qt::LeftButton);
    TTateEdit* atena = preview->field(LayoutItem::Atena, LayoutKind::TT);
    QTest::mouseClick(atena, Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(preview->SelectedItem(), int(LayoutItem::Atena));

    int asked = 0;
    QTimer answer;
    answer.setInterval(10);
    connect(&answer, &QTimer::timeout, this, [&] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        answer.stop();
        ++asked;
        QTest::keyPress(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Return);
    });
    answer.start();
    QTest::keyClick(atena, Qt::Key_J, Qt::ControlModifier);
    QTest::keyRelease(QApplication::focusWidget() ? QApplication::focusWidget() : atena,
                      Qt::Key_Return);
    QCOMPARE(asked, 1);
    QVERIFY2(atena->Text().contains(u"〓"_qs), qPrintable(atena->Text()));
    QCOMPARE(preview->SelectedItem(), int(LayoutItem::Atena));
}

// With 自動更新 off a field moved under the handle is no part of the layout: a print goes by
// the layout, and the face shows the card as it went.
void tst_TForm1Preview::printShowsAMoveNotStoredBack()
{
    QTemporaryDir dir;
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    form.show();
    form.LoadWorkbook(Sample);
    form.printer().setOutputFormat(QPrinter::PdfFormat);
    form.printer().setOutputFileName(dir.filePath(u"card.pdf"_qs));
    selectRow(form, 2);
    child<QLineEdit>(form, "edtStartLine")->setText(u"2"_qs);
    child<QLineEdit>(form, "edtEndLine")->setText(u"2"_qs);
    form.purebyu1Click();
    TfrmPreView* preview = form.preview();
    TTateEdit* atena = preview->field(LayoutItem::Atena, LayoutKind::TT);
    QTest::mouseClick(atena, Qt::LeftButton, {}, QPoint(3, 3));
    preview->setAutoUpdate(false);
    const LayoutTable before = form.layouts();
    preview->editField(atena, false);
    for (int n = 0; n < 15; ++n)
        QTest::keyClick(preview->StretchHandle1(), Qt::Key_Right);

    prompter.confirmAnswers << true;
    preview->PopupMenu1()->findChild<QAction*>(u"P1"_qs)->trigger();
    QCOMPARE(prompter.questionFirstLines(), QStringList{u"2～2 を印刷します"_qs});
    QCOMPARE(form.layouts(), before);
    const LayoutItemRecord& r = form.layouts().record(LayoutKind::TT, LayoutItem::Atena);
    QCOMPARE(preview->fieldBox(int(LayoutItem::Atena), 0).topLeft(),
             preview->faceGeometry().toPixels(QPoint(r.X, r.Y)));
}

QTEST_MAIN(tst_TForm1Preview)
#include "tst_TForm1Preview.moc"
