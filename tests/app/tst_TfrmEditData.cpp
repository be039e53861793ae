#include "DialogTesting.h"
#include "ScriptedPrompter.h"
#include "addresslist/DelimitedList.h"
#include "app/TfrmEditData.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Cells in the header order of AddressSheetCells.
const QStringList Record1 = {"山田太郎", "1000001", "東京都千代田区", "千代田1-1", "山田商事",
                             "部長",     "様",      "花子",           "",          "1000001",
                             ""};
const QStringList Record2 = {"鈴木一郎", "2000002", "横浜市", "", "", "", "殿", "", "", "", ""};

// The dialog's fields, each with the sheet column of the record field it edits.
const QList<std::pair<const char*, int>> Fields = {
    {"edtYubinNo", 1},   {"redtAdd1", 2},  {"redtAdd2", 3},   {"redtKaishamei", 4},
    {"redtKatagaki", 5}, {"redtAtena", 0}, {"edtKeisho1", 6}, {"redtRenmei", 7},
    {"edtKeisho2", 8},   {"edtCBC", 9}};

QLineEdit* Field(QDialog& dialog, const char* name)
{
    return Child<QLineEdit>(dialog, name);
}

void SelectRow(TForm1& form, int row)
{
    auto* grid = Child<QTableView>(form, "TntStringGrid1");
    grid->setCurrentIndex(grid->model()->index(row, 1));
}

} // namespace

class tst_TfrmEditData : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Tayori")); }
    void controls();
    void preconditionsFailSilently_data();
    void preconditionsFailSilently();
    void opensWithRecord_data();
    void opensWithRecord();
    void okWritesCancelKeeps_data();
    void okWritesCancelKeeps();
    void workbookSheetKeepsEdit_data();
    void workbookSheetKeepsEdit();
};

void tst_TfrmEditData::controls()
{
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    QDialog& d = *form.editDialog();
    QCOMPARE(d.windowTitle(), QStringLiteral("宛名の編集"));
    const QStringList labels = {"郵便番号", "住\u3000所１",     "住\u3000所２", "会 社 名",
                                "肩 書 き", "宛\u3000\u3000名", "敬称１",       "連\u3000\u3000名",
                                "敬称２",   "カスタマーコード"};
    for (int i = 0; i < Fields.size(); ++i) {
        QLabel* label = nullptr;
        for (auto* l : d.findChildren<QLabel*>())
            if (l->buddy() == Field(d, Fields[i].first))
                label = l;
        QVERIFY2(label && label->text() == labels[i], Fields[i].first);
    }
    QCOMPARE(Child<QAbstractButton>(d, "Button2")->text(), QStringLiteral("OK(&O)"));
    QCOMPARE(Child<QAbstractButton>(d, "Button1")->text(), QStringLiteral("キャンセル(&X)"));
}

void tst_TfrmEditData::preconditionsFailSilently_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<bool>("emptyRowTextBar");
    QTest::addColumn<bool>("dropJointName"); // header without "連名"
    QTest::addColumn<QString>("message");
    QTest::newRow("no list") << QList<QStringList>{} << false << false << QString();
    QTest::newRow("blank name") << QList<QStringList>{{" \t ", "1000001", "東京都"}} << false
                                << false << QString();
    QTest::newRow("row text bar empty")
        << QList<QStringList>{Record1} << true << false << QString();
    QTest::newRow("header lacks 連名") << QList<QStringList>{Record1} << false << true
                                       << QStringLiteral("Headerを確認 1|2|3|4|5|6|7|-1|9|10|11|");
}

void tst_TfrmEditData::preconditionsFailSilently()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(bool, emptyRowTextBar);
    QFETCH(bool, dropJointName);
    QFETCH(QString, message);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    SheetCells cells = rows.isEmpty() ? SheetCells() : AddressSheetCells(1, rows);
    if (dropJointName)
        cells.append({1, 0, 7, QStringLiteral("備考")});
    FillBook(form.addressBook(), {QStringLiteral("名簿")}, cells);
    SelectRow(form, 1);
    if (emptyRowTextBar)
        Child<QLineEdit>(form, "TntRichEdit1")->clear();
    const QString before = form.addressBook().grid().rowText(1);
    int shown = 0;
    AnswerDialogs(form, QStringLiteral("Button2"), &shown,
                  [](QDialog& d) { Field(d, "redtAtena")->setText(QStringLiteral("変更")); });

    form.E1Click();

    QCOMPARE(shown, 0);
    QCOMPARE(prompter.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(form.addressBook().grid().rowText(1), before);
}

void tst_TfrmEditData::opensWithRecord_data()
{
    QTest::addColumn<int>("field"); // index into Fields
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("opened");
    QTest::newRow("敬称 of ASCII spaces opens empty") << 6 << QStringLiteral("   ") << QString();
    QTest::newRow("敬称 of an ideographic space is kept")
        << 6 << QStringLiteral("\u3000") << QStringLiteral("\u3000");
    QTest::newRow("quotes removed") << 7 << QStringLiteral("\"花子\"") << QStringLiteral("花子");
    QTest::newRow("postal code without a code page 932 form")
        << 0 << QStringLiteral("100é0001") << QStringLiteral("100?0001");
    QTest::newRow("address keeps any character")
        << 1 << QStringLiteral("Café 東京") << QStringLiteral("Café 東京");
}

void tst_TfrmEditData::opensWithRecord()
{
    QFETCH(int, field);
    QFETCH(QString, cell);
    QFETCH(QString, opened);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    QStringList record = Record1;
    record[Fields[field].second] = cell;
    FillBook(form.addressBook(), {QStringLiteral("名簿")}, AddressSheetCells(1, {Record2, record}));
    SelectRow(form, 2);
    QStringList texts;
    int shown = 0;
    AnswerDialogs(form, QStringLiteral("Button1"), &shown, [&](QDialog& d) {
        for (const auto& [name, column] : Fields)
            texts << Field(d, name)->text();
    });

    form.E1Click();

    QCOMPARE(shown, 1);
    QStringList expected;
    for (const auto& [name, column] : Fields)
        expected << record[column];
    expected[field] = opened;
    QCOMPARE(texts, expected);
}

void tst_TfrmEditData::okWritesCancelKeeps_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("dataFile");
    QTest::newRow("OK, delimited list") << "Button2" << QStringLiteral("/lists/名簿.csvu");
    QTest::newRow("OK, text list") << "Button2" << QStringLiteral("/lists/名簿.txt");
    QTest::newRow("Cancel, workbook") << "Button1" << QStringLiteral("/lists/名簿.xls");
}

void tst_TfrmEditData::okWritesCancelKeeps()
{
    QFETCH(QString, button);
    QFETCH(QString, dataFile);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    QStringList record = Record1;
    record[0] = QStringLiteral("\"山田太郎\"");
    FillBook(form.addressBook(), {QStringLiteral("名簿")}, AddressSheetCells(1, {record}));
    form.addressBook().setCurrentDataFile(dataFile);
    const QString rowBefore = form.addressBook().grid().rowText(1);
    const QStringList sheetBefore = form.addressBook().sheet(1).rows;
    SelectRow(form, 1);
    int shown = 0;
    AnswerDialogs(form, button, &shown, [](QDialog& d) {
        Field(d, "redtAdd2")->setText(QStringLiteral("千代田2-2"));
        Field(d, "redtRenmei")->clear();
        Field(d, "edtKeisho1")->setText(QStringLiteral("é殿"));
        Field(d, "redtKatagaki")->setText(QStringLiteral("Café"));
    });

    form.E1Click();

    QCOMPARE(shown, 1);
    const AddressGrid& grid = form.addressBook().grid();
    QCOMPARE(form.addressBook().sheet(1).rows, sheetBefore); // only a workbook's sheet changes
    if (button == u"Button1") {
        QCOMPARE(grid.rowText(1), rowBefore);
        return;
    }
    QCOMPARE(grid.cell(1, 1), QStringLiteral("山田太郎")); // written back without the quotes
    QCOMPARE(grid.cell(4, 1), QStringLiteral("千代田2-2"));
    QCOMPARE(grid.cell(8, 1), QString());              // emptied: an empty cell
    QCOMPARE(grid.cell(7, 1), QStringLiteral("?殿"));  // a code page 932 field
    QCOMPARE(grid.cell(6, 1), QStringLiteral("Café")); // a Unicode field
    QCOMPARE(grid.cell(3, 1), Record1[2]);
}

void tst_TfrmEditData::workbookSheetKeepsEdit_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("dataFile");
    QTest::newRow("first tab") << 0 << QStringLiteral("/lists/名簿.xls");
    QTest::newRow("second tab, upper-case extension") << 1 << QStringLiteral("/lists/MEIBO.XLS");
    QTest::newRow("second tab, xlsx") << 1 << QStringLiteral("/lists/名簿.xlsx");
    QTest::newRow("first tab, ods") << 0 << QStringLiteral("/lists/名簿.ods");
}

void tst_TfrmEditData::workbookSheetKeepsEdit()
{
    QFETCH(int, tab);
    QFETCH(QString, dataFile);
    ScriptedPrompter prompter;
    TForm1 form(&prompter);
    SheetCells cells = AddressSheetCells(1, {Record2, Record1});
    cells += AddressSheetCells(2, {Record1, Record2});
    // A thirteenth column beside the eleven of the record, in the edited rows.
    cells.append({1, 2, 12, QStringLiteral("備考")});
    cells.append({2, 1, 12, QStringLiteral("備考")});
    FillBook(form.addressBook(), {QStringLiteral("家族"), QStringLiteral("会社")}, cells);
    form.addressBook().setCurrentDataFile(dataFile);
    auto* tabs = Child<QTabBar>(form, "TabControl1");
    tabs->setCurrentIndex(tab);
    const int row = 2 - tab; // where Record1 is
    const QStringList otherSheet = form.addressBook().sheet(2 - tab).rows;
    QCOMPARE(form.addressBook().grid().cell(13, row), QStringLiteral("備考"));
    SelectRow(form, row);
    int shown = 0;
    AnswerDialogs(form, QStringLiteral("Button2"), &shown, [](QDialog& d) {
        Field(d, "redtAtena")->setText(QStringLiteral("山田 太郎"));
        Field(d, "redtRenmei")->clear();
    });

    form.E1Click();
    tabs->setCurrentIndex(1 - tab);
    tabs->setCurrentIndex(tab);

    const AddressGrid& grid = form.addressBook().grid();
    QCOMPARE(grid.cell(1, row), QStringLiteral("山田 太郎"));
    QCOMPARE(grid.cell(8, row), QStringLiteral(" ")); // the sheet keeps one space
    QCOMPARE(grid.cell(3, row), Record1[2]);
    QCOMPARE(grid.cell(13, row), QStringLiteral("備考")); // kept by the sheet
    QVERIFY(form.addressBook().sheet(tab + 1).rows[row].startsWith(
        QStringLiteral("\"山田 太郎\",1000001,")));
    QCOMPARE(form.addressBook().sheet(2 - tab).rows, otherSheet);

    // The saved list holds the edit and the thirteenth column.
    QTemporaryDir dir;
    prompter.saveAnswers << dir.filePath(QStringLiteral("saved.csvu"));
    form.H2Click();
    AddressBook saved;
    DelimitedList::LoadDelimitedList(saved, dir.filePath(QStringLiteral("saved.csvu")), prompter);
    QCOMPARE(saved.grid().cell(1, row), QStringLiteral("山田 太郎"));
    QCOMPARE(saved.grid().cell(13, row), QStringLiteral("備考"));
}

QTEST_MAIN(tst_TfrmEditData)
#include "tst_TfrmEditData.moc"
