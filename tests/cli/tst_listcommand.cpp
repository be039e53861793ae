#include "CliRun.h"
#include "PdfText.h"

#include <QRegularExpression>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// tayori-cli list: the window's list printout of one sheet into a PDF file.

namespace {
const QString Sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");
}

class tst_listcommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void prints_data();
    void prints();
    void longCellKeepsColumns();
    void fiveDigitRowNumbers();
    void refuses_data();
    void refuses();
};

void tst_listcommand::initTestCase()
{
    if (!PdfText::Available())
        QSKIP("pdftotext missing: run scripts/install-deps");
}

void tst_listcommand::prints_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QSizeF>("paperMm");
    QTest::addColumn<QString>("sheetName");
    QTest::addColumn<QString>("cell"); // a cell of that sheet

    QTest::newRow("defaults: sheet 1 on A4 landscape")
        << Sample << QStringList{} << QSizeF(297, 210) << u"家族・友人"_qs
        << u"東京都千代田区霞が関1-3-2"_qs;
    QTest::newRow("sheet 2 on JIS B4 portrait")
        << Sample << QStringList{u"--sheet"_qs, u"2"_qs, u"--paper"_qs, u"B4-縦"_qs}
        << QSizeF(257, 364) << u"仕事関係"_qs << QString();
    // A delimited list is its one sheet.
    QTest::newRow("CSV list, sheet 1")
        << QStringLiteral(TAYORI_TESTDATA "/csv/addresses_excel_style_utf8.csv")
        << QStringList{u"--sheet"_qs, u"1"_qs} << QSizeF(297, 210)
        << u"addresses_excel_style_utf8"_qs << u"千葉県千葉市稲毛区緑町3丁目30-8"_qs;
}

void tst_listcommand::prints()
{
    QFETCH(QString, list);
    QFETCH(QStringList, options);
    QFETCH(QSizeF, paperMm);
    QFETCH(QString, sheetName);
    QFETCH(QString, cell);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"list.pdf"_qs);
    const CliRun run = RunCli(QStringList{u"list"_qs, list, u"--to"_qs, pdf} + options);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
    QCOMPARE(pages.size(), 1);
    const QSizeF size = pages[0].points / PdfText::PointsPerMm;
    QVERIFY2(std::abs(size.width() - paperMm.width()) < 1 &&
                 std::abs(size.height() - paperMm.height()) < 1,
             qPrintable(u"%1 x %2"_qs.arg(size.width()).arg(size.height())));
    QVERIFY(pages[0].has(sheetName));
    QVERIFY(pages[0].has(u"宛先"_qs));
    if (!cell.isEmpty())
        QVERIFY(pages[0].has(cell));
    QVERIFY(run.out.contains(u"on 1 pages"_qs));
}

// A sheet holding one text of thousands of characters still prints its columns.
void tst_listcommand::longCellKeepsColumns()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"list.pdf"_qs);
    const CliRun run =
        RunCli({u"list"_qs, QStringLiteral(TAYORI_TESTDATA "/xls/gnumeric_biff8.xls"),
                u"--sheet"_qs, u"2"_qs, u"--to"_qs, pdf});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    const QRegularExpressionMatch m = QRegularExpression(u"(\\d+) columns"_qs).match(run.out);
    QVERIFY2(m.hasMatch() && m.captured(1).toInt() >= 2, qPrintable(run.out));
    const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
    QVERIFY(!pages.isEmpty());
    QVERIFY(pages[0].has(u"長文テスト"_qs));
}

// The row number 12345 shows whole in its column: a cell's padding on both sides lies
// between it and the next column's text.
void tst_listcommand::fiveDigitRowNumbers()
{
    QTemporaryDir dir;
    const QString list = dir.filePath(u"long.csv"_qs);
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray text = "宛先,郵便番号\n";
    for (int i = 1; i <= 12345; ++i)
        text += "山田 " + QByteArray::number(i) + ",1000001\n";
    file.write(text);
    file.close();
    const QString pdf = dir.filePath(u"list.pdf"_qs);
    const CliRun run = RunCli({u"list"_qs, list, u"--to"_qs, pdf});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
    QVERIFY(!pages.isEmpty());
    const auto& words = pages.last().words;
    const auto number = std::find_if(words.begin(), words.end(),
                                     [](const PdfText::Word& w) { return w.text == u"12345"; });
    QVERIFY(number != words.end());
    const auto next = std::find_if(number + 1, words.end(),
                                   [](const PdfText::Word& w) { return w.text == u"山田"; });
    QVERIFY(next != words.end());
    constexpr double PaddingMm = 2 * 25.4 / 96; // 2 report units
    QVERIFY2(next->box.left() - number->box.right() >= 2 * PaddingMm - 0.05,
             qPrintable(QString::number(next->box.left() - number->box.right())));
}

void tst_listcommand::refuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("no output") << QStringList{u"list"_qs, Sample} << 2;
    QTest::newRow("unknown paper")
        << QStringList{u"list"_qs, Sample, u"--to"_qs, u"x.pdf"_qs, u"--paper"_qs, u"はがき"_qs}
        << 1;
    QTest::newRow("sheet out of range")
        << QStringList{u"list"_qs, Sample, u"--to"_qs, u"x.pdf"_qs, u"--sheet"_qs, u"3"_qs} << 1;
    QTest::newRow("missing file") << QStringList{u"list"_qs, u"/nonexistent/list.xls"_qs,
                                                 u"--to"_qs, u"x.pdf"_qs}
                                  << 1;
    QTest::newRow("header alone") << QStringList{u"list"_qs, u"header.csv"_qs, u"--to"_qs,
                                                 u"x.pdf"_qs}
                                  << 1;
}

void tst_listcommand::refuses()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QFile header(dir.filePath(u"header.csv"_qs));
    QVERIFY(header.open(QIODevice::WriteOnly));
    header.write("宛先,郵便番号,住所１\r\n");
    header.close();
    const CliRun run = RunCli(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(!QFile::exists(dir.filePath(u"x.pdf"_qs)));
}

QTEST_GUILESS_MAIN(tst_listcommand)
#include "tst_listcommand.moc"
