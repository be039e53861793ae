#include "CiSkip.h"
#include "CliRun.h"
#include "PdfText.h"
#include "addresslist/BiffBuilder.h"
#include "addresslist/WorkbookZip.h"
#include "common/cp932.h"

#include <algorithm>

#include <QFile>
#include <QPageSize>
#include <QTemporaryDir>
#include <QTest>

// tayori-cli print: the print run from the command line, checked on the PDFs it makes.

namespace {

const QString Sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");

CliRun print(const QStringList& args)
{
    return RunCli(QStringList{u"print"_qs} + args);
}

using PdfText::Page;

QList<Page> pages(const QString& pdf)
{
    return PdfText::ReadPages(pdf);
}

bool sameSize(const QSizeF& points, QPageSize::PageSizeId id, bool landscape)
{
    QSizeF expected = QPageSize(id).size(QPageSize::Point);
    if (landscape)
        expected.transpose();
    return std::abs(points.width() - expected.width()) < 1.0 &&
           std::abs(points.height() - expected.height()) < 1.0;
}

} // namespace

class tst_PrintCommand : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void usage_data();
    void usage();
    void postcards();
    void sheetRangeAndStart();
    void settingsFile();
    void senderInTheLowerLeft();
    void refusedList();
    void confirmationNoticesAreTold();
    void spreadsheetPostalCodes_data();
    void spreadsheetPostalCodes();
};

void tst_PrintCommand::initTestCase()
{
    if (!PdfText::Available())
        SKIP_OR_FAIL_UNDER_CI("pdftotext missing: run scripts/install-deps");
}

void tst_PrintCommand::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");

    QTest::newRow("nothing") << QStringList() << 2 << u"usage:"_qs;
    QTest::newRow("no output") << QStringList{Sample} << 2 << u"usage:"_qs;
    QTest::newRow("both outputs") << QStringList{Sample, u"--to"_qs, u"a.pdf"_qs, u"--printer"_qs,
                                                 u"P"_qs}
                                  << 2 << u"usage:"_qs;
    QTest::newRow("unknown option")
        << QStringList{Sample, u"--to"_qs, u"a.pdf"_qs, u"--colour"_qs, u"red"_qs} << 2
        << u"usage:"_qs;
    QTest::newRow("bad kind") << QStringList{Sample, u"--to"_qs, u"a.pdf"_qs, u"--kind"_qs,
                                             u"XY"_qs}
                              << 1 << u"--kind"_qs;
    QTest::newRow("bad paper") << QStringList{Sample, u"--to"_qs, u"a.pdf"_qs, u"--paper"_qs,
                                              u"A5"_qs}
                               << 1 << u"--paper"_qs;
    QTest::newRow("bad rows") << QStringList{Sample, u"--to"_qs, u"a.pdf"_qs, u"--rows"_qs,
                                             u"a-b"_qs}
                              << 1 << u"--rows"_qs;
    QTest::newRow("no such sheet")
        << QStringList{Sample, u"--to"_qs, u"a.pdf"_qs, u"--sheet"_qs, u"3"_qs} << 1
        << u"--sheet"_qs;
    QTest::newRow("no such printer")
        << QStringList{Sample, u"--printer"_qs, u"no printer of this name"_qs} << 1
        << u"tayori-cli: no printer of this name: no such printer\n"_qs;
    QTest::newRow("missing list") << QStringList{u"/nonexistent/list.xls"_qs, u"--to"_qs,
                                                 u"a.pdf"_qs}
                                  << 1 << u"ﾌｧｲﾙを開くことに失敗しました"_qs;
    QTest::newRow("settings that cannot be read")
        << QStringList{Sample, u"--to"_qs, u"a.pdf"_qs, u"--settings"_qs,
                       QStringLiteral(TAYORI_BINARY_DIR)}
        << 1
        << QStringLiteral("設定を読み込めませんでした: " TAYORI_BINARY_DIR
                          ": ファイルではなくフォルダーです");
}

void tst_PrintCommand::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QTemporaryDir dir;
    for (QString& a : args)
        if (a == u"a.pdf")
            a = dir.filePath(a);
    const CliRun run = print(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.errors.contains(error), qPrintable(run.errors));
    QVERIFY(!QFile::exists(dir.filePath(u"a.pdf"_qs)));
}

// The first sheet of the sample, one postcard per name, read as portrait vertical cards.
void tst_PrintCommand::postcards()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"cards.pdf"_qs);
    const CliRun run =
        print({Sample, u"--to"_qs, pdf, u"--kind"_qs, u"TT"_qs, u"--paper"_qs, u"POST"_qs});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(u"6 cards on 6 sheets"_qs), qPrintable(run.out));
    const QList<Page> read = pages(pdf);
    QCOMPARE(read.size(), 6);
    for (const Page& p : read)
        QVERIFY(sameSize(p.points, QPageSize::Postcard, false));
    // No settings file yet, as on a first start: the postal code's digits one by one in the
    // card's boxes, the name down its column.
    QString digits;
    for (const PdfText::Word& w : read[0].words)
        if (w.text.size() == 1 && w.text.front().isDigit())
            digits += w.text;
    std::sort(digits.begin(), digits.end());
    QCOMPARE(digits, u"0000113"_qs); // 100-0013
    QVERIFY(!read[0].has(u"100"_qs));
    QVERIFY(read[0].has(u"山"_qs));
}

// The second sheet on A4 landscape cards from slot 3, the range given backwards.
void tst_PrintCommand::sheetRangeAndStart()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"a4.pdf"_qs);
    const CliRun run =
        print({Sample, u"--to"_qs, pdf, u"--sheet"_qs, u"2"_qs, u"--kind"_qs, u"YY"_qs,
               u"--paper"_qs, u"A4"_qs, u"--rows"_qs, u"4-2"_qs, u"--start"_qs, u"3"_qs});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(u"3 cards on 2 sheets, rows 2-4, next start 2"_qs),
             qPrintable(run.out));
    const QList<Page> read = pages(pdf);
    QCOMPARE(read.size(), 2);
    for (const Page& p : read)
        QVERIFY(sameSize(p.points, QPageSize::A4, true));
    // Slot 3 is the lower left card: 中村's company at YY Kaishamei (30, 32) mm + (0, 105).
    const auto at = [](const Page& p, const QString& word, QPointF mm) {
        return std::any_of(p.words.begin(), p.words.end(), [&](const auto& w) {
            return w.text == word && std::abs(w.box.left() - mm.x()) < 0.3 &&
                   std::abs(w.box.top() - mm.y()) < 0.3;
        });
    };
    QVERIFY(at(read[0], u"有限会社スズキ"_qs, QPointF(30, 137)));
    QVERIFY(at(read[0], u"合同会社ヨコハマ"_qs, QPointF(178, 137)));
    QVERIFY(at(read[1], u"株式会社サンプル"_qs, QPointF(30, 32)));
}

// Options, layouts, paper, kind and correction come from the settings file.
void tst_PrintCommand::settingsFile()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(u"tayori.ini"_qs);
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // ITEM47 is YY's Atena: moved to (30, 20) mm.
    file.write(
        "[Option]\r\nPaper=\"2\"\r\nReadData=\"3\"\r\nHosei=\"10,-5\"\r\nStartOfPaper=\"2\"\r\n"
        "[ITEMFONT]\r\nITEM47=\"IPAMincho,12.0,300,200,600,40,0,False,False,False\"\r\n");
    file.close();
    const QString pdf = dir.filePath(u"a3.pdf"_qs);
    const CliRun run =
        print({Sample, u"--to"_qs, pdf, u"--rows"_qs, u"1-1"_qs, u"--settings"_qs, ini});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(u"1 cards on 1 sheets, rows 1-1, next start 3"_qs),
             qPrintable(run.out));
    const QList<Page> read = pages(pdf);
    QCOMPARE(read.size(), 1);
    QVERIFY(sameSize(read[0].points, QPageSize::A3, false));
    // Slot 2 of landscape cards is at (148, 0) mm; the correction adds (1, -0.5).
    const auto name = std::find_if(read[0].words.begin(), read[0].words.end(),
                                   [](const auto& w) { return w.text == u"山"; });
    QVERIFY(name != read[0].words.end());
    QVERIFY(std::abs(name->box.left() - (148 + 30 + 1)) < 0.3);
    QVERIFY(std::abs(name->box.top() - (20 - 0.5)) < 0.3);
}

// [Sender] of the settings file: the sender prints in the lower left of a portrait vertical
// card, and every word of the addressee stays exactly where it is without a sender.
void tst_PrintCommand::senderInTheLowerLeft()
{
    QTemporaryDir dir;
    const auto printWith = [&](const char* name, bool sender) {
        const QString ini = dir.filePath(QString::fromLatin1(name) + u".ini"_qs);
        QFile file(ini);
        file.open(QIODevice::WriteOnly);
        file.write(cp932::fromUnicode(
            QStringLiteral("[Sender]\r\nPrint=\"%1\"\r\nYubin=\"2480005\"\r\n"
                           "Jyusho1=\"鎌倉市雪ノ下３－５－１\"\r\nJyusho2=\"鶴岡ハイツ\"\r\n"
                           "Kaishamei=\"鶴見商店\"\r\nName=\"鶴見 翼\"\r\nRenmei=\"葵\"\r\n")
                .arg(sender ? u"True"_qs : u"False"_qs)));
        file.close();
        const QString pdf = dir.filePath(QString::fromLatin1(name) + u".pdf"_qs);
        const CliRun run = print({Sample, u"--to"_qs, pdf, u"--rows"_qs, u"1-1"_qs, u"--kind"_qs,
                                  u"TT"_qs, u"--paper"_qs, u"POST"_qs, u"--settings"_qs, ini});
        return run.exitCode == 0 ? pages(pdf) : QList<Page>();
    };
    const QList<Page> with = printWith("with", true);
    const QList<Page> without = printWith("without", false);
    QCOMPARE(with.size(), 1);
    QCOMPARE(without.size(), 1);
    // The sender's fields lie in x 8-44 mm, y 60-140 mm of a TT card.
    const QRectF corner(QPointF(7.9, 59.9), QPointF(44.1, 140.1));
    QList<PdfText::Word> added = with[0].words;
    for (const PdfText::Word& w : without[0].words) {
        QVERIFY2(added.removeOne(w), qPrintable(w.text));
        // Nothing of the addressee's in the sender's corner.
        QVERIFY2(!w.box.intersects(corner), qPrintable(w.text));
    }
    QString sender;
    for (const PdfText::Word& w : added) {
        QVERIFY2(corner.contains(w.box), qPrintable(w.text));
        sender += w.text;
    }
    for (const QString& part :
         {u"〒248-0005"_qs, u"鎌"_qs, u"倉"_qs, u"ハ"_qs, u"商"_qs, u"翼"_qs, u"葵"_qs})
        QVERIFY2(sender.contains(part), qPrintable(sender));
    const auto code = std::find_if(added.begin(), added.end(),
                                   [](const auto& w) { return w.text == u"〒248-0005"; });
    QVERIFY(code != added.end());
    QVERIFY(std::abs(code->box.left() - 13.0) < 0.5);
}

// A list without "宛先" is refused with the window's status message, and nothing is written.
void tst_PrintCommand::refusedList()
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(u"list.csv"_qs);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF名前,住所\r\n山田 太郎,東京都\r\n");
    file.close();
    const QString pdf = dir.filePath(u"none.pdf"_qs);
    const CliRun run = print({csv, u"--to"_qs, pdf});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains(u"宛名のリストではなさそうです"_qs), qPrintable(run.errors));
    QVERIFY(!QFile::exists(pdf));
}

// No confirmation asks on the command line: the rows left out are told on stderr.
// What the window's confirmation would say: rows not sent, characters no font draws.
void tst_PrintCommand::confirmationNoticesAreTold()
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(u"list.csv"_qs);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF宛先,郵便番号,住所１,住所２,会社名,肩書き,敬称,連名,敬称2,コード,"
               "印刷コード,喪中\r\n山田 "
               "太郎,100-0013,東京都千代田区,,,,様,美奈子・翔太・結衣・蒼,,10000131-3-2,,\r\n"
               "佐藤 一郎,060-0001,北海道札幌市,,,,様,,,,,喪中\r\n"
               "𠮷田 花子,060-0001,北海道札幌市,,,,様,,,,,\r\n");
    file.close();
    const QString pdf = dir.filePath(u"cards.pdf"_qs);
    const CliRun run = print({csv, u"--to"_qs, pdf});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(u"2 cards on 2 sheets"_qs), qPrintable(run.out));
    QVERIFY2(run.errors.contains(u"1 件は送らない行として印刷しません（行 2 喪中「喪中」）。"
                                 u"喪中の欄に印（○、1、有 など）のある行は送りません"_qs),
             qPrintable(run.errors));
    QVERIFY2(run.errors.contains(u"1 件に印刷できない文字があります（行 3）"_qs),
             qPrintable(run.errors));

    // Joint names above the barcode of a horizontal card have room for two lines, not four.
    const QString ini = dir.filePath(u"tayori.ini"_qs);
    QFile settings(ini);
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Option]\r\nBarCode=\"True\"\r\n");
    settings.close();
    const CliRun yy = print({csv, u"--to"_qs, pdf, u"--kind"_qs, u"YY"_qs, u"--settings"_qs, ini});
    QCOMPARE(yy.exitCode, 0);
    QVERIFY2(yy.errors.contains(u"1 件は連名が入りきらず小さく印刷されます（行 1）"_qs),
             qPrintable(yy.errors));
}

void tst_PrintCommand::spreadsheetPostalCodes_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QByteArray>("bytes");
    // Row 1 holds 040-0001 as the number a spreadsheet keeps (400001), row 2 「不明」.
    const QStringList header = {u"宛先"_qs,   u"郵便番号"_qs, u"住所１"_qs,    u"住所２"_qs,
                                u"会社名"_qs, u"肩書き"_qs,   u"敬称"_qs,      u"連名"_qs,
                                u"敬称2"_qs,  u"コード"_qs,   u"印刷コード"_qs};
    const QStringList names = {u"山田 太郎"_qs, u"佐藤 花子"_qs};
    const QString address = u"北海道函館市"_qs;

    BiffBuilder xls;
    xls.bof8(0x0005).boundSheet8(u"住所録"_qs).eof();
    xls.bof8(0x0010);
    for (int c = 0; c < header.size(); ++c)
        xls.label8(0, c, header[c]);
    for (int r = 1; r <= 2; ++r) {
        xls.label8(r, 0, names[r - 1]);
        xls.label8(r, 2, address);
    }
    xls.number(1, 1, 400001.0);
    xls.label8(2, 1, u"不明"_qs);
    xls.eof();
    QTest::newRow("xls") << u"xls"_qs << xls.bytes();

    const auto inlineCell = [](const char* ref, const QString& text) {
        return QByteArray("<c r=\"") + ref + "\" t=\"inlineStr\"><is><t>" + text.toUtf8() +
               "</t></is></c>";
    };
    QByteArray sheet = "<row r=\"1\">";
    for (int c = 0; c < header.size(); ++c)
        sheet += inlineCell((QByteArray(1, char('A' + c)) + "1").constData(), header[c]);
    sheet += "</row><row r=\"2\">" + inlineCell("A2", names[0]) + "<c r=\"B2\"><v>400001</v></c>" +
             inlineCell("C2", address) + "</row><row r=\"3\">" + inlineCell("A3", names[1]) +
             inlineCell("B3", u"不明"_qs) + inlineCell("C3", address) + "</row>";
    QTest::newRow("xlsx") << u"xlsx"_qs << WorkbookZip::makeZip(WorkbookZip::xlsxParts(sheet));

    const QString csv = header.join(u',') + u"\r\n"_qs + names[0] + u",400001,"_qs + address +
                        u",,,,,,,,\r\n"_qs + names[1] + u",不明,"_qs + address + u",,,,,,,,\r\n"_qs;
    QTest::newRow("csv") << u"csv"_qs << (QByteArray("\xEF\xBB\xBF") + csv.toUtf8());
}

// A postal code a spreadsheet kept as a number gets its leading zero back in the boxes, and a
// cell that holds no code prints nothing there, never part of a character; both are told.
void tst_PrintCommand::spreadsheetPostalCodes()
{
    QFETCH(QString, suffix);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString list = dir.filePath(u"list."_qs + suffix);
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const QString ini = dir.filePath(u"tayori.ini"_qs);
    QFile settings(ini);
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[Menu]\r\nZipInBoxesTT=\"True\"\r\n");
    settings.close();
    const QString pdf = dir.filePath(u"cards.pdf"_qs);
    const CliRun run = print({list, u"--to"_qs, pdf, u"--kind"_qs, u"TT"_qs, u"--paper"_qs,
                              u"POST"_qs, u"--settings"_qs, ini});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.startsWith(u"2 cards on 2 sheets"_qs), qPrintable(run.out));
    QVERIFY2(run.errors.contains(u"1 件は郵便番号の先頭の 0 を補って印刷します（行 1）"_qs),
             qPrintable(run.errors));
    QVERIFY2(run.errors.contains(
                 u"1 件は郵便番号の欄が番号ではないため郵便番号なしで印刷します（行 2）"_qs),
             qPrintable(run.errors));

    const QList<Page> read = pages(pdf);
    QCOMPARE(read.size(), 2);
    // The digits one to a box, read from left to right.
    const auto boxedDigits = [](const Page& page) {
        QList<PdfText::Word> digits;
        for (const PdfText::Word& w : page.words)
            if (w.text.size() == 1 && w.text.front().isDigit())
                digits << w;
        std::sort(digits.begin(), digits.end(),
                  [](const auto& a, const auto& b) { return a.box.left() < b.box.left(); });
        QString text;
        for (const PdfText::Word& w : digits)
            text += w.text;
        return text;
    };
    QCOMPARE(boxedDigits(read[0]), u"0400001"_qs);
    QCOMPARE(boxedDigits(read[1]), QString());
    for (const PdfText::Word& w : read[1].words)
        for (const QChar c : {QChar(u'不'), QChar(u'明'), QChar(0xFFFD), QChar(0xFF7E)})
            QVERIFY2(!w.text.contains(c), qPrintable(w.text));
}

QTEST_MAIN(tst_PrintCommand)
#include "tst_printcommand.moc"
