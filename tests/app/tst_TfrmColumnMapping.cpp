// 「列の対応」: the question for a list whose headers the guess cannot place, its answer kept in
// the settings file across a restart and used by tayori-cli, and a kept answer that no longer
// fits.
#include "DialogTesting.h"
#include "ScriptedPrompter.h"
#include "addresslist/AddressRecord.h"
#include "addresslist/BiffBuilder.h"
#include "addresslist/DelimitedList.h"
#include "addresslist/HeaderColumns.h"
#include "addresslist/RememberedMappings.h"
#include "app/TForm1.h"
#include "app/TfrmColumnMapping.h"
#include "cli/CliRun.h"
#include "common/cp932.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString List = QStringLiteral(TAYORI_TESTDATA "/contacts/unmatched_headers.csv");
// Grid column 0 holds the row numbers.
const QStringList ListHeader = {"",       "名前",         "ふりがな", "郵便番号",
                                "現住所", "マンション等", "電話番号"};
constexpr int AddressColumn = 4;  // 現住所
constexpr int BuildingColumn = 5; // マンション等

QByteArray FileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

void Choose(TfrmColumnMapping& dialog, int field, int column)
{
    QComboBox* box = dialog.columnBox(field, 0);
    box->setCurrentIndex(box->findData(column));
}

// Field `field` of grid row `row` as composition reads it; "-" when the grid is no address list.
QString Field(TForm1& form, int row, int field)
{
    HeaderColumns columns;
    if (!columns.FindHeaderColumns(form.addressBook().grid(), nullptr))
        return QStringLiteral("-");
    const auto record = ReadAddressRecord(form.addressBook().grid(), columns, row);
    return record ? (*record)[field] : QString();
}

// A window over `ini` whose mapping question is answered by `answer` (counted in *asked);
// every other dialog is cancelled.
struct Session
{
    ScriptedPrompter prompter;
    TForm1 form;
    int asked = 0;

    Session(const QString& ini, std::function<int(TfrmColumnMapping&)> answer)
        : form(&prompter, ini)
    {
        form.setDialogRunner([this, answer](QDialog& dialog) {
            auto* mapping = qobject_cast<TfrmColumnMapping*>(&dialog);
            if (!mapping)
                return int(QDialog::Rejected);
            ++asked;
            return answer ? answer(*mapping) : int(QDialog::Rejected);
        });
        form.show();
    }
    void close()
    {
        prompter.confirmAnswers << true;
        QVERIFY(form.close());
    }
};

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Workbook(const QList<QStringList>& rows)
{
    return OneSheetWorkbook(rows);
}

QByteArray Csv(const QList<QStringList>& rows)
{
    QByteArray text;
    for (const QStringList& row : rows)
        text += row.join(u',').toUtf8() + "\r\n";
    return text;
}

} // namespace

class tst_TfrmColumnMapping : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void answerRememberedAcrossRestart();
    void keyboard_data();
    void keyboard();
    void staleAnswerIgnored_data();
    void staleAnswerIgnored();
    void headerWhereItStands_data();
    void headerWhereItStands();
    void editBelowATitle();
    void wideContactList();
};

// The user maps the address columns, OK; the next window and tayori-cli use the answer without
// asking, and the list file is never written.
void tst_TfrmColumnMapping::answerRememberedAcrossRestart()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    const QByteArray listBefore = FileHash(List);
    {
        Session first(ini, [](TfrmColumnMapping& d) {
            // Started from the guess: the name and postal code found, the address not.
            const HeaderMapping preset = d.mapping();
            if (preset.columns[HeaderColumns::Name] != QList<int>{1} ||
                preset.columns[HeaderColumns::PostalCode] != QList<int>{3} ||
                !preset.columns[HeaderColumns::Address1].isEmpty())
                return int(QDialog::Rejected);
            Choose(d, HeaderColumns::Address1, AddressColumn);
            Choose(d, HeaderColumns::Address2, BuildingColumn);
            d.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
            return d.result();
        });
        first.form.OpenFile(List);
        QCOMPARE(first.asked, 1);
        QCOMPARE(Field(first.form, 1, HeaderColumns::Address1), u"大阪府大阪市北区梅田3-1-1"_qs);
        first.close();
    }
    {
        Session second(ini, {});
        second.form.OpenFile(List);
        QCOMPARE(second.asked, 0);
        QCOMPARE(Field(second.form, 3, HeaderColumns::Name), u"中村 健"_qs);
        QCOMPARE(Field(second.form, 3, HeaderColumns::Address2), u"博多ハイツ 305"_qs);
        second.close();
    }
    const CliRun run = RunCli({u"compose"_qs, List, u"1"_qs, u"TY"_qs, u"--settings"_qs, ini});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines().filter(u"Jyusho1\t"_qs).value(0),
             u"Jyusho1\t大阪府大阪市北区梅田3-1-1"_qs);
    QCOMPARE(run.lines().filter(u"Jyusho2\t"_qs).value(0), u"Jyusho2\tグランドビル 12F"_qs);
    QCOMPARE(FileHash(List), listBefore);
}

void tst_TfrmColumnMapping::keyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("address"); // row 1's 住所１ after the answer; "-": no mapping
    QTest::newRow("Enter answers OK") << int(Qt::Key_Return) << u"大阪府大阪市北区梅田3-1-1"_qs;
    QTest::newRow("Esc cancels: the list as it stands") << int(Qt::Key_Escape) << u"-"_qs;
}

// Tab runs name by name through the three parts; Down picks a column; then the key.
void tst_TfrmColumnMapping::keyboard()
{
    QFETCH(int, key);
    QFETCH(QString, address);
    QString reached; // the object name of the box Tab reached
    Session session(QString(), [&](TfrmColumnMapping& d) {
        QTimer::singleShot(0, &d, [&] {
            const auto press = [&d](Qt::Key k) { QTest::keyClick(d.focusWidget(), k); };
            for (int i = 0; i < HeaderColumns::Address1 * TfrmColumnMapping::PartsPerName; ++i)
                press(Qt::Key_Tab);
            reached = d.focusWidget()->objectName();
            // The first choice is "（なし）", then the columns from 1 on.
            for (int i = 0; i < AddressColumn; ++i)
                press(Qt::Key_Down);
            press(Qt::Key(key));
            if (d.isVisible()) // the key did nothing: do not hang
                d.done(-1);
        });
        return d.exec();
    });
    session.form.OpenFile(List);
    QCOMPARE(session.asked, 1);
    QCOMPARE(reached, u"cboColumn2_0"_qs);
    QCOMPARE(Field(session.form, 1, HeaderColumns::Address1), address);
}

void tst_TfrmColumnMapping::staleAnswerIgnored_data()
{
    QTest::addColumn<QString>("mapping");
    QTest::addColumn<QString>("headers");
    QTest::addColumn<int>("asked");
    const QString headers = ListHeader.join(u',');
    QTest::newRow("an answer that fits is used") << u"1,3,4,5,,,,,,,"_qs << headers << 0;
    QTest::newRow("a column gone") << u"1,3,4+9,5,,,,,,,"_qs << headers << 1;
    QTest::newRow("other headers under the same key")
        << u"1,3,4,5,,,,,,,"_qs << u",名前,住所"_qs << 1;
    QTest::newRow("a damaged answer") << u"1,3,x"_qs << headers << 1;
}

// A kept answer that no longer fits is no answer: the question comes again, nothing breaks.
void tst_TfrmColumnMapping::staleAnswerIgnored()
{
    QFETCH(QString, mapping);
    QFETCH(QString, headers);
    QFETCH(int, asked);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("tayori.ini"));
    QFile f(ini);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QString key = RememberedMappings::Key(ListHeader);
    f.write(
        cp932::fromUnicode(QStringLiteral("[ColumnMapping]\r\n%1=\"%2\"\r\n%1Headers=\"%3\"\r\n")
                               .arg(key, mapping, headers)));
    f.close();
    Session session(ini, {});
    session.form.OpenFile(List);
    QCOMPARE(session.asked, asked);
    QCOMPARE(Field(session.form, 1, HeaderColumns::Address1),
             asked ? u"-"_qs : u"大阪府大阪市北区梅田3-1-1"_qs);
}

void tst_TfrmColumnMapping::headerWhereItStands_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("asked");
    QTest::addColumn<QString>("headerRow"); // what the question says of the header row

    const QList<QStringList> title{{u"2027年 年賀状リスト"_qs}, {}};
    const QList<QStringList> own{{u"宛先"_qs, u"郵便番号"_qs, u"住所１"_qs, u"住所２"_qs,
                                  u"会社名"_qs, u"肩書き"_qs, u"敬称"_qs, u"連名"_qs, u"敬称2"_qs,
                                  u"コード"_qs, u"印刷コード"_qs},
                                 {u"山田"_qs, u"100-0013"_qs, u"東京都千代田区霞が関1-3-2"_qs}};
    // A greeting-card program's export: "宛先 (自宅/会社)" says which address to use.
    const QList<QStringList> export_{{u"姓"_qs, u"敬称"_qs, u"自宅〒"_qs, u"自宅住所1"_qs,
                                      u"会社名"_qs, u"連名1"_qs, u"宛先 (自宅/会社)"_qs},
                                     {u"山田"_qs, u"様"_qs, u"100-0013"_qs,
                                      u"東京都千代田区霞が関1-3-2"_qs, QString(), u"花子"_qs,
                                      u"自宅"_qs}};
    QTest::newRow("宛先 (自宅/会社): asked, not refused")
        << u"export.csv"_qs << Csv(export_) << 1 << u"見出し: 1 行目"_qs;
    QTest::newRow("the same under a title in .xls: asked, the header row told")
        << u"export.xls"_qs << Workbook(title + export_) << 1
        << u"見出し: 3 行目（上の 2 行は宛名ではないので読みません）"_qs;
    QTest::newRow("our own format under a title: no question")
        << u"own.xls"_qs << Workbook(title + own) << 0 << QString();
    QTest::newRow("our own format: no question") << u"own.csv"_qs << Csv(own) << 0 << QString();
}

// The header row is taken where it stands; a header that only holds our names in other words
// is a question (answered here with the name, postal code and address), never
// "Headerを確認".
void tst_TfrmColumnMapping::headerWhereItStands()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, asked);
    QFETCH(QString, headerRow);
    QTemporaryDir dir;
    const QString list = dir.filePath(name);
    QVERIFY(WriteFile(list, bytes));
    QString told;
    Session session(dir.filePath(u"tayori.ini"_qs), [&](TfrmColumnMapping& d) {
        told = d.headerRowText();
        Choose(d, HeaderColumns::Name, 1);
        Choose(d, HeaderColumns::PostalCode, 3);
        Choose(d, HeaderColumns::Address1, 4);
        d.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
        return d.result();
    });
    session.form.OpenFile(list);
    QCOMPARE(session.asked, asked);
    QCOMPARE(told, headerRow);
    QCOMPARE(Field(session.form, 1, HeaderColumns::Name), u"山田"_qs);
    QCOMPARE(Field(session.form, 1, HeaderColumns::Address1), u"東京都千代田区霞が関1-3-2"_qs);
    // 宛名の編集 reads the header columns as printing does (its own dialog is cancelled).
    session.form.E1Click();
    QCOMPARE(session.prompter.messages.filter(u"Headerを確認"_qs), QStringList());
}

// An edit of a list whose header stands below a title reaches its own row of the sheet: it is
// still there when the sheet is drawn again, and no other row changed.
void tst_TfrmColumnMapping::editBelowATitle()
{
    QTemporaryDir dir;
    const QString list = dir.filePath(u"titled.xls"_qs);
    QVERIFY(WriteFile(list, Workbook({{u"2027年 年賀状リスト"_qs},
                                      {},
                                      {u"宛先"_qs, u"郵便番号"_qs, u"住所１"_qs, u"住所２"_qs,
                                       u"会社名"_qs, u"肩書き"_qs, u"敬称"_qs, u"連名"_qs,
                                       u"敬称2"_qs, u"コード"_qs, u"印刷コード"_qs},
                                      {u"山田 太郎"_qs, u"100-0013"_qs},
                                      {u"鈴木 一郎"_qs, u"060-0906"_qs}})));
    ScriptedPrompter prompter;
    TForm1 form(&prompter, dir.filePath(u"tayori.ini"_qs));
    form.show();
    form.OpenFile(list);
    auto* grid = Child<QAbstractItemView>(form, "TntStringGrid1");
    grid->setCurrentIndex(grid->model()->index(1, 1));
    form.TntStringGrid1SelectCell(1, 1);
    int shown = 0;
    AnswerDialogs(form, u"Button2"_qs, &shown,
                  [](QDialog& d) { Child<QLineEdit>(d, "redtAtena")->setText(u"山田 花子"_qs); });
    form.E1Click();
    QCOMPARE(shown, 1);
    form.TabControl1Change(0);
    QCOMPARE(Field(form, 1, HeaderColumns::Name), u"山田 花子"_qs);
    QCOMPARE(Field(form, 2, HeaderColumns::Name), u"鈴木 一郎"_qs);
    prompter.confirmAnswers << true << true;
    form.close();
}

// A web address book's export of 40 columns, its postal code and address past the 33rd: the
// columns are offered, the card gets the address, and saving writes every column it read.
void tst_TfrmColumnMapping::wideContactList()
{
    constexpr int Width = 40;
    constexpr int PostalColumn = 35, WideAddressColumn = 36, WideBuildingColumn = 37;
    QStringList header{u"名前"_qs, u"ふりがな"_qs};
    for (int i = 1; header.size() < PostalColumn - 1; ++i)
        header << u"電話番号%1"_qs.arg(i);
    header << u"郵便番号"_qs << u"現住所"_qs << u"マンション等"_qs << u"誕生日"_qs << u"メモ"_qs
           << u"分類"_qs;
    QCOMPARE(header.size(), Width);
    QList<QStringList> rows;
    for (const QString& name : {u"山田 太郎"_qs, u"鈴木 花子"_qs}) {
        QStringList row{name};
        for (int c = 2; c <= Width; ++c)
            row << u"%1の%2"_qs.arg(name.left(2)).arg(c);
        rows << row;
    }
    rows[0][PostalColumn - 1] = u"100-0013"_qs;
    rows[0][WideAddressColumn - 1] = u"東京都千代田区霞が関1-2-3"_qs;
    rows[0][WideBuildingColumn - 1] = u"霞ビル 5F"_qs;
    QTemporaryDir dir;
    const QString list = dir.filePath(u"contacts.csv"_qs);
    {
        QFile f(list);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QString text = header.join(u',') + u"\r\n"_qs;
        for (const QStringList& row : rows)
            text += row.join(u',') + u"\r\n"_qs;
        f.write("\xEF\xBB\xBF" + text.toUtf8());
    }
    const QString ini = dir.filePath(u"tayori.ini"_qs);
    const QString saved = dir.filePath(u"saved.csvu"_qs);
    {
        // The list has no fixed column: source column c stands in grid column c.
        Session session(ini, [&](TfrmColumnMapping& d) {
            const HeaderMapping preset = d.mapping();
            if (preset.columns[HeaderColumns::PostalCode] != QList<int>{PostalColumn})
                return int(QDialog::Rejected);
            Choose(d, HeaderColumns::Address1, WideAddressColumn);
            Choose(d, HeaderColumns::Address2, WideBuildingColumn);
            d.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
            return d.result();
        });
        session.form.OpenFile(list);
        QCOMPARE(session.asked, 1);
        QCOMPARE(Field(session.form, 1, HeaderColumns::Address1), rows[0][WideAddressColumn - 1]);
        QCOMPARE(Field(session.form, 1, HeaderColumns::Address2), rows[0][WideBuildingColumn - 1]);
        session.prompter.saveAnswers << saved;
        session.form.H2Click();
        QVERIFY(session.prompter.errors.isEmpty());
        session.close();
    }
    const CliRun run = RunCli({u"compose"_qs, list, u"1"_qs, u"TY"_qs, u"--settings"_qs, ini});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines().filter(u"Jyusho1\t"_qs).value(0),
             u"Jyusho1\t東京都千代田区霞が関1-2-3"_qs);
    QCOMPARE(run.lines().filter(u"YubinNo2\t"_qs).value(0), u"YubinNo2\t0013"_qs);

    // The saved list holds every header the mapping did not take and every value of each row.
    AddressBook reopened;
    ScriptedPrompter prompter;
    QCOMPARE(DelimitedList::LoadDelimitedList(reopened, saved, prompter),
             DelimitedList::LoadStatus::Loaded);
    const AddressGrid& g = reopened.grid();
    const auto rowCells = [&g](int r) {
        QStringList cells;
        for (int c = 0; c < g.columnCount(); ++c)
            cells << g.cell(c, r);
        return cells;
    };
    const QStringList savedHeader = rowCells(0);
    for (const QString& name : header)
        if (name != u"名前" && name != u"郵便番号" && name != u"現住所" && name != u"マンション等")
            QVERIFY2(savedHeader.contains(name), qPrintable(name));
    for (int r = 1; r <= rows.size(); ++r) {
        const QStringList cells = rowCells(r);
        for (const QString& value : rows[r - 1])
            QVERIFY2(cells.contains(value), qPrintable(value));
    }
    HeaderColumns columns;
    QVERIFY(columns.FindHeaderColumns(g, nullptr));
    QCOMPARE(g.cell(columns[HeaderColumns::Address1], 1), rows[0][WideAddressColumn - 1]);
}

QTEST_MAIN(tst_TfrmColumnMapping)
#include "tst_TfrmColumnMapping.moc"
