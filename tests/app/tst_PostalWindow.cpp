#include "DialogTesting.h"
#include "ScriptedPrompter.h"
#include "addresslist/HeaderColumns.h"
#include "app/SettingsFile.h"
#include "app/TfrmAddressCheck.h"
#include "postal/AddressNumber.h"
#include "postal/PostalTesting.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

// The window's postal-code parts, driven offscreen: 住所チェック(&K) with its list, 〒→住所 in
// the record editor, and the option kept in the settings file.
class tst_PostalWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void checkListSelectsRow();
    void checkAllGood();
    void checkMarksRowsNotToSend();
    void zipToAddress_data();
    void zipToAddress();
    void optionKept();
    void newPostalCodeOffersNewCode_data();
    void newPostalCodeOffersNewCode();
};

namespace {
QStringList record(const QString& name, const QString& postal, const QString& address)
{
    return {name, postal, address, "", "", "", "様", "", "", "", ""};
}
} // namespace

void tst_PostalWindow::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("Tayori"));
    REQUIRE_POSTAL_DATA();
}

void tst_PostalWindow::checkListSelectsRow()
{
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    FillBook(form.addressBook(), {QStringLiteral("名簿")},
             AddressSheetCells(1, {record("正しい", "100-0013", "東京都千代田区霞が関1-3-2"),
                                   record("違う", "100-0014", "東京都千代田区霞が関1-3-2"),
                                   record("なし", "", "東京都千代田区霞が関1-3-2")}));
    form.show();
    Child<QAction>(form, "K1")->trigger();

    QCOMPARE(form.statusPanel(2), QStringLiteral("2 件の住所を確認してください"));
    TfrmAddressCheck* window = form.addressCheckWindow();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->findingCount(), 2);
    QCOMPARE(window->gridRow(1), 3);

    auto* table = Child<QTableWidget>(*window, "grdFindings");
    const QRect cell = table->visualItemRect(table->item(1, 2));
    QVERIFY(cell.isValid());
    QSignalSpy chosen(window, &TfrmAddressCheck::rowChosen);
    // A double-click is a press and release, then a press that is a double-click.
    QTest::mousePress(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(Child<QTableView>(form, "TntStringGrid1")->currentIndex().row(), 3);
    QVERIFY(Child<QLineEdit>(form, "TntRichEdit1")->text().contains(QStringLiteral("なし")));
}

void tst_PostalWindow::checkAllGood()
{
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    FillBook(form.addressBook(), {QStringLiteral("名簿")},
             AddressSheetCells(1, {record("正しい", "１００－００１３", "千代田区霞ケ関1-3-2")}));
    form.K1Click();
    QCOMPARE(form.statusPanel(2), QStringLiteral("住所はすべて郵便番号と一致しています"));
    QVERIFY(!form.addressCheckWindow() || !form.addressCheckWindow()->isVisible());
}

// A finding on a row marked not to send is shown greyed with the reason, and counted apart.
void tst_PostalWindow::checkMarksRowsNotToSend()
{
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    FillBook(form.addressBook(), {QStringLiteral("名簿")},
             AddressSheetCells(1, {record("違う", "100-0014", "東京都千代田区霞が関1-3-2"),
                                   record("なし", "", "東京都千代田区霞が関1-3-2")}));
    AddressGrid& grid = form.addressBook().grid();
    const int column = HeaderColumns::Count + 1;
    grid.setCell(column, 0, QStringLiteral("喪中"));
    grid.setCell(column, 2, QStringLiteral("喪中"));
    form.K1Click();

    TfrmAddressCheck* window = form.addressCheckWindow();
    QVERIFY(window);
    QCOMPARE(window->findingCount(), 2);
    QCOMPARE(Child<QLabel>(*window, "lblSummary")->text(),
             QStringLiteral("2 件の住所を確認してください（うち 1 件は送らない行）"));
    auto* table = Child<QTableWidget>(*window, "grdFindings");
    QVERIFY(!table->item(0, 1)->text().contains(QStringLiteral("送らない")));
    QCOMPARE(table->item(1, 1)->text(), QStringLiteral("郵便番号なし（送らない: 喪中「喪中」）"));
    QVERIFY(table->item(1, 2)->foreground().color() != table->item(0, 2)->foreground().color());
}

void tst_PostalWindow::zipToAddress_data()
{
    QTest::addColumn<QString>("postal");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("wrong");     // the code's place shown as not fitting
    QTest::addColumn<QString>("filled"); // 住所１ after 〒→住所

    QTest::newRow("other town: replaced, undoable")
        << "100-0013"
        << "千代田1-1" << true << "東京都千代田区霞が関";
    QTest::newRow("town there: the rest is kept")
        << "1000013"
        << "千代田区霞が関1-3-2" << false << "東京都千代田区霞が関1-3-2";
    QTest::newRow("empty line") << "100-0013"
                                << "" << false << "東京都千代田区霞が関";
}

void tst_PostalWindow::zipToAddress()
{
    QFETCH(QString, postal);
    QFETCH(QString, address);
    QFETCH(bool, wrong);
    QFETCH(QString, filled);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    FillBook(form.addressBook(), {QStringLiteral("名簿")},
             AddressSheetCells(1, {record("山田", postal, address)}));
    Child<QTableView>(form, "TntStringGrid1")
        ->setCurrentIndex(Child<QTableView>(form, "TntStringGrid1")->model()->index(1, 1));
    int shown = 0;
    QString town, after, undone;
    AnswerDialogs(form, QStringLiteral("Button1"), &shown, [&](QDialog& d) {
        town = Child<QLabel>(d, "lblZipTown")->text();
        Child<QPushButton>(d, "btnZipToAddress")->click();
        QLineEdit* add1 = Child<QLineEdit>(d, "redtAdd1");
        after = add1->text();
        add1->undo();
        undone = add1->text();
    });
    form.E1Click();
    QCOMPARE(shown, 1);
    QVERIFY2(town.contains(QStringLiteral("東京都千代田区霞が関")), qPrintable(town));
    QCOMPARE(town.contains(QStringLiteral("#c00000")), wrong);
    QCOMPARE(after, filled);
    QCOMPARE(undone, address);
}

void tst_PostalWindow::optionKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tayori.ini"));
    SettingsState state;
    LayoutTable layouts;
    state.options.barcodeFromAddress = true;
    QVERIFY(SettingsFile::WriteSettings(path, state, layouts));
    SettingsState read;
    SettingsFile::ReadSettings(path, read, layouts);
    QVERIFY(read.options.barcodeFromAddress);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromLatin1(file.readAll())
                .contains(QRegularExpression(QStringLiteral("BarCodeFromAddress=\"?True"))));
}

void tst_PostalWindow::newPostalCodeOffersNewCode_data()
{
    QTest::addColumn<QString>("before"); // 郵便番号 when the editor opens
    QTest::addColumn<QString>("after");  // ... when OK is pressed
    QTest::addColumn<QString>("code");   // コード
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("newCode"); // "made": as the address makes it
    const QString kept = QStringLiteral("0600001-3-2");
    QTest::newRow("yes: made from the new code and the address")
        << "060-0001"
        << "100-0013" << kept << true << true << "made";
    QTest::newRow("no: the code stays") << "060-0001"
                                        << "100-0013" << kept << true << false << kept;
    QTest::newRow("yes, but none can be made: emptied") << "100-0013"
                                                        << "060-0001"
                                                        << "10000131-3-2" << true << true << "";
    QTest::newRow("the code already the new one's")
        << "060-0001"
        << "100-0013"
        << "10000131-3-2" << false << false << "10000131-3-2";
    QTest::newRow("no code") << "060-0001"
                             << "100-0013"
                             << "" << false << false << "";
}

// A new postal code in the record editor leaves a customer code of the old one: the editor
// offers to make it anew, as "住所からバーコードを作る" would, or to empty it; the old bars
// in "印刷コード" go, the cell staying on.
void tst_PostalWindow::newPostalCodeOffersNewCode()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, code);
    QFETCH(bool, asked);
    QFETCH(bool, answer);
    QFETCH(QString, newCode);
    const QString address = QStringLiteral("東京都千代田区霞が関1-3-2");
    if (newCode == u"made") {
        newCode = AddressNumber::extract(PostalIndex::shared(), after, address).data;
        QVERIFY(newCode.startsWith(QStringLiteral("1000013")));
    }
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    QStringList row = record("山田", before, address);
    row[9] = code;
    row[10] = QStringLiteral("(0600001-3-2DDDDDDDDDDD)");
    FillBook(form.addressBook(), {QStringLiteral("名簿")}, AddressSheetCells(1, {row}));
    auto* grid = Child<QTableView>(form, "TntStringGrid1");
    grid->setCurrentIndex(grid->model()->index(1, 1));
    prompter.confirmAnswers << answer;
    int shown = 0;
    AnswerDialogs(form, QStringLiteral("Button2"), &shown,
                  [&](QDialog& d) { Child<QLineEdit>(d, "edtYubinNo")->setText(after); });
    form.E1Click();
    QCOMPARE(shown, 1);
    QCOMPARE(prompter.questions.size(), asked ? 1 : 0);
    const AddressGrid& cells = form.addressBook().grid();
    QCOMPARE(cells.cell(2, 1), after);
    QCOMPARE(cells.cell(10, 1), newCode);
    QCOMPARE(cells.cell(11, 1), asked && answer ? QStringLiteral(" ") : row[10]);
}

QTEST_MAIN(tst_PostalWindow)
#include "tst_PostalWindow.moc"
