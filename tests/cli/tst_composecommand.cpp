#include "CliRun.h"
#include "addresslist/BiffBuilder.h"
#include "addresslist/WorkbookZip.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// tayori-cli compose: the texts of a card from a workbook as a user fills it, with the options
// of a settings file.

namespace {

// Row 0 the header with a leading "管理 番号" column, then the rows; an empty text leaves the
// cell out, as a spreadsheet program does.
QByteArray workbook(const QList<QStringList>& rows)
{
    return OneSheetWorkbook(rows);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A hand-kept list: a title, a blank row, then the header and the rows.
const QList<QStringList> TitledRows{
    {u"2027年 年賀状リスト"_qs},
    {},
    {u"宛先"_qs, u"郵便番号"_qs, u"住所１"_qs, u"住所２"_qs, u"会社名"_qs, u"肩書き"_qs, u"敬称"_qs,
     u"連名"_qs, u"敬称2"_qs, u"コード"_qs, u"印刷コード"_qs},
    {u"山田 太郎"_qs, u"100-0013"_qs, u"東京都千代田区霞が関1-3-2"_qs},
    {u"鈴木 一郎"_qs, u"060-0906"_qs, u"北海道札幌市東区北六条東1-1"_qs},
};

QByteArray xlsx(const QList<QStringList>& rows)
{
    QByteArray sheet;
    for (int r = 0; r < rows.size(); ++r) {
        sheet += "<row r=\"" + QByteArray::number(r + 1) + "\">";
        for (int c = 0; c < rows[r].size(); ++c)
            if (!rows[r][c].isEmpty())
                sheet += "<c r=\"" + QByteArray(1, char('A' + c)) + QByteArray::number(r + 1) +
                         "\" t=\"inlineStr\"><is><t>" + rows[r][c].toUtf8() + "</t></is></c>";
        sheet += "</row>";
    }
    return WorkbookZip::makeZip(WorkbookZip::xlsxParts(sheet));
}

QByteArray csv(const QList<QStringList>& rows)
{
    QByteArray text;
    for (const QStringList& row : rows)
        text += row.join(u',').toUtf8() + "\r\n";
    return text;
}

} // namespace

class tst_ComposeCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cardTexts_data();
    void cardTexts();
    void postalCodeThroughNumberFormat_data();
    void postalCodeThroughNumberFormat();
    void vCard_data();
    void vCard();
    void otherHeaders_data();
    void otherHeaders();
    void titleAboveHeader_data();
    void titleAboveHeader();

private:
    QTemporaryDir m_dir;
    QString m_list;
    QString m_settings;
};

void tst_ComposeCommand::initTestCase()
{
    m_list = m_dir.filePath(u"list.xls"_qs);
    m_settings = m_dir.filePath(u"tayori.ini"_qs);
    const QList<QStringList> rows{
        {u"管理 番号"_qs, u"宛先"_qs, u"郵便番号"_qs, u"住所１"_qs, u"住所２"_qs, u"会社名"_qs,
         u"肩書き"_qs, u"敬称"_qs, u"連名"_qs, u"敬称2"_qs, u"コード"_qs, u"印刷コード"_qs,
         u"備考"_qs},
        // "コード" in full width, "印刷コード" left empty.
        {u"A-1"_qs, u"山田 太郎"_qs, u"100-0013"_qs, u"東京都千代田区霞が関1\u22123\u22122"_qs,
         u"ﾊﾟｰｸﾋﾞﾙ"_qs, u"José Müller"_qs, QString(), QString(), u"花子"_qs, QString(),
         u"１００００１３３－２－１"_qs},
        // "コード" and "印刷コード" skipped: both hold the single space of an empty cell.
        {u"A-2"_qs, u"鈴木 一郎"_qs, u"060-0906"_qs, QString(), QString(), QString(), QString(),
         QString(), QString(), QString(), QString(), QString(), u"転居"_qs},
        {u"A-3"_qs, u"山田 太郎"_qs, u"100-0013"_qs, QString(), QString(), QString(), QString(),
         QString(), u"花子・秀樹"_qs},
    };
    QVERIFY(writeFile(m_list, workbook(rows)));
    QVERIFY(writeFile(m_settings, "[Menu]\r\nUseZipNoEreaTT=\"True\"\r\n"
                                  "[Option]\r\nBarCode=\"True\"\r\n"));
}

void tst_ComposeCommand::cardTexts_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("text");

    QTest::newRow("the name of its own column") << 1 << u"Atena"_qs << u"山田　太郎　様"_qs;
    QTest::newRow("joint name, default honorific 様") << 1 << u"Renmei"_qs << u"　　　花子　様"_qs;
    QTest::newRow("postal digits spread for the boxes") << 1 << u"YubinNo1"_qs << u"1 0 0"_qs;
    QTest::newRow("second part spread too") << 1 << u"YubinNo2"_qs << u"0 0 1 3"_qs;
    QTest::newRow("minus signs run along the column")
        << 1 << u"Jyusho1"_qs << u"東京都千代田区霞が関一─三─二"_qs;
    QTest::newRow("half-width katakana, marks joined") << 1 << u"Jyusho2"_qs << u"パークビル"_qs;
    QTest::newRow("accented letters kept") << 1 << u"Kaishamei"_qs << u"Ｊｏｓé　Ｍüｌｌｅｒ"_qs;
    QTest::newRow("full-width barcode data, empty switch cell")
        << 1 << u"PostCode"_qs << u"(10000133-2-1DDDDDDDD9)"_qs;
    QTest::newRow("no barcode of fill characters without data") << 2 << u"PostCode"_qs << QString();
    QTest::newRow("second row's name") << 2 << u"Atena"_qs << u"鈴木　一郎　様"_qs;
    QTest::newRow("a household's joint names, each with 様")
        << 3 << u"Renmei"_qs << u"　　　花子　様\\n　　　秀樹　様"_qs;
}

void tst_ComposeCommand::cardTexts()
{
    QFETCH(int, row);
    QFETCH(QString, item);
    QFETCH(QString, text);
    const CliRun run = RunCli(
        {u"compose"_qs, m_list, QString::number(row), u"TT"_qs, u"--settings"_qs, m_settings});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines =
        run.lines().filter(QRegularExpression(u'^' + QRegularExpression::escape(item) + u'\t'));
    QCOMPARE(lines, QStringList{item + u'\t' + text});
}

void tst_ComposeCommand::postalCodeThroughNumberFormat_data()
{
    QTest::addColumn<QString>("file");
    for (const char* name : {"postal_formats.xls", "postal_formats.xlsx", "postal_formats.ods"})
        QTest::newRow(name) << QStringLiteral(TAYORI_TESTDATA "/numberformats/") +
                                   QLatin1String(name);
}

// 600001 formatted 000-0000 is printed as the spreadsheet shows it, 060-0001.
void tst_ComposeCommand::postalCodeThroughNumberFormat()
{
    QFETCH(QString, file);
    const QString settings = m_dir.filePath(u"plain.ini"_qs);
    QVERIFY(writeFile(settings, QByteArray()));
    const CliRun run = RunCli({u"compose"_qs, file, u"1"_qs, u"TY"_qs, u"--settings"_qs, settings});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines().filter(u"YubinNo1\t"_qs), QStringList{u"YubinNo1\t060"_qs});
    QCOMPARE(run.lines().filter(u"YubinNo2\t"_qs), QStringList{u"YubinNo2\t0001"_qs});
}

void tst_ComposeCommand::vCard_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("texts"); // YubinNo1, YubinNo2, Jyusho1, Atena
    QTest::newRow("a phone's 3.0")
        << u"phone_3.0.vcf"_qs
        << QStringList{u"110"_qs, u"0016"_qs, u"東京都台東区台東1-2-3"_qs, u"山田 太郎 様"_qs};
    QTest::newRow("an older phone's 2.1 in Shift_JIS")
        << u"old_phone_2.1_sjis.vcf"_qs
        << QStringList{u"600"_qs, u"8216"_qs, u"京都府京都市下京区東塩小路町７２１－１"_qs,
                       u"佐藤 花子 様"_qs};
    QTest::newRow("a 4.0 card") << u"card_4.0.vcf"_qs
                                << QStringList{u"460"_qs, u"0008"_qs,
                                               u"愛知県名古屋市中区栄一丁目1-1"_qs,
                                               u"高橋 美咲 様"_qs};
}

// A contact file composes its first card with no question asked; with the barcode made
// from the address it gets one, as a contact has no switch cell to fill.
void tst_ComposeCommand::vCard()
{
    QFETCH(QString, file);
    QFETCH(QStringList, texts);
    const QString settings = m_dir.filePath(u"barcode.ini"_qs);
    QVERIFY(writeFile(settings, "[Option]\r\nBarCode=\"True\"\r\nBarCodeFromAddress=\"True\"\r\n"));
    const CliRun run = RunCli({u"compose"_qs, QStringLiteral(TAYORI_TESTDATA "/vcard/") + file,
                               u"1"_qs, u"TY"_qs, u"--settings"_qs, settings});
    QCOMPARE(run.exitCode, 0);
    QStringList got;
    for (const char* item : {"YubinNo1\t", "YubinNo2\t", "Jyusho1\t", "Atena\t"})
        got << run.lines().filter(QLatin1String(item)).value(0).section(u'\t', 1);
    QCOMPARE(got, texts);
    const QString bars = run.lines().filter(QLatin1String("PostCode\t")).value(0).section(u'\t', 1);
    QVERIFY2(bars.startsWith(u'(') && bars.endsWith(u')'), qPrintable(run.out));
}

void tst_ComposeCommand::otherHeaders_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("texts"); // YubinNo1, YubinNo2, Jyusho1, Jyusho2, Atena
    QTest::newRow("web address book")
        << u"web_address_book.csv"_qs << 1
        << QStringList{u"110"_qs, u"0016"_qs, u"東京都台東区台東1-2-3"_qs, u"パークハイツ 203号"_qs,
                       u"山田 太郎 様"_qs};
    QTest::newRow("hand-kept list in Shift_JIS")
        << u"hand_kept_cp932.csv"_qs << 2
        << QStringList{u"460"_qs, u"0008"_qs, u"愛知県名古屋市中区栄一丁目1-1"_qs, u"栄ビル5F"_qs,
                       u"高橋 美咲 様"_qs};
}

// A list with other headers composes the right card with no question asked.
void tst_ComposeCommand::otherHeaders()
{
    QFETCH(QString, file);
    QFETCH(int, row);
    QFETCH(QStringList, texts);
    const QString settings = m_dir.filePath(u"plain.ini"_qs);
    QVERIFY(writeFile(settings, QByteArray()));
    const CliRun run = RunCli({u"compose"_qs, QStringLiteral(TAYORI_TESTDATA "/contacts/") + file,
                               QString::number(row), u"TY"_qs, u"--settings"_qs, settings});
    QCOMPARE(run.exitCode, 0);
    QStringList got;
    for (const char* item : {"YubinNo1\t", "YubinNo2\t", "Jyusho1\t", "Jyusho2\t", "Atena\t"})
        got << run.lines().filter(QLatin1String(item)).value(0).section(u'\t', 1);
    QCOMPARE(got, texts);
}

void tst_ComposeCommand::titleAboveHeader_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("atena");
    QTest::newRow(".xls, row 1") << u"titled.xls"_qs << workbook(TitledRows) << 1
                                 << u"山田 太郎 様"_qs;
    QTest::newRow(".xls, row 2") << u"titled.xls"_qs << workbook(TitledRows) << 2
                                 << u"鈴木 一郎 様"_qs;
    QTest::newRow(".xlsx") << u"titled.xlsx"_qs << xlsx(TitledRows) << 1 << u"山田 太郎 様"_qs;
    QTest::newRow("CSV") << u"titled.csv"_qs << csv(TitledRows) << 1 << u"山田 太郎 様"_qs;
    QList<QStringList> other = TitledRows;
    other[2] = QStringList{u"氏名"_qs, u"〒"_qs, u"住所"_qs};
    QTest::newRow(".xls with other headers")
        << u"other.xls"_qs << workbook(other) << 1 << u"山田 太郎 様"_qs;
}

// A title and a blank row above the header: the list opens, and data row 1 is the first person.
void tst_ComposeCommand::titleAboveHeader()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, row);
    QFETCH(QString, atena);
    QVERIFY(!bytes.isEmpty());
    const QString list = m_dir.filePath(name);
    QVERIFY(writeFile(list, bytes));
    const QString settings = m_dir.filePath(u"plain.ini"_qs);
    QVERIFY(writeFile(settings, QByteArray()));
    const CliRun run =
        RunCli({u"compose"_qs, list, QString::number(row), u"TY"_qs, u"--settings"_qs, settings});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.lines().filter(u"Atena\t"_qs).value(0).section(u'\t', 1), atena);
}

QTEST_MAIN(tst_ComposeCommand)
#include "tst_composecommand.moc"
