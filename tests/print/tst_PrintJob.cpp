#include "PrintTestSupport.h"
#include "ScriptedPrompter.h"
#include "common/SessionOptions.h"
#include "layout/LayoutTable.h"
#include "print/PrintJob.h"
#include "typeset/FontSubstitutes.h"
#include "typeset/ScreenTextMeasure.h"

#include <QGuiApplication>
#include <QTest>

using namespace PrintTest;

Q_DECLARE_METATYPE(PaperKind)
Q_DECLARE_METATYPE(LayoutKind)

namespace {

// Everything one run needs, with a list of `rows` named 1, 2, 3 ... (an empty name is blank).
struct Session
{
    AddressGrid grid;
    LayoutTable layouts;
    SessionOptions options;
    ImageDevice device;
    FakeHost host;
    ScriptedPrompter prompter;
    CardComposer::BarcodeDataSource barcodeSource;

    explicit Session(const QStringList& names = {u"一"_qs, u"二"_qs, u"三"_qs})
    {
        QList<Row> rows;
        for (const QString& name : names)
            rows << person(name);
        fillGrid(grid, rows);
        host.startLine = u"1"_qs;
        host.endLine = QString::number(names.size());
    }

    PrintJob::Result run(PaperKind paper = PaperKind::Postcard, LayoutKind kind = LayoutKind::TT,
                         bool noSetPrinter = false)
    {
        PrintJob job(grid, layouts, options, ScreenTextMeasure(), device, host, prompter);
        job.setBarcodeDataSource(barcodeSource);
        return job.btnPrintClick({paper, kind, noSetPrinter, true});
    }
    PrintJob::Result confirmedRun(PaperKind paper = PaperKind::Postcard,
                                  LayoutKind kind = LayoutKind::TT)
    {
        prompter.confirmAnswers.enqueue(true);
        return run(paper, kind);
    }

    // The card slots of every page that hold ink, 1-based, e.g. {{3, 4}, {1}}.
    QList<QList<int>> filledSlots(PaperKind paper, LayoutKind kind) const
    {
        const int cards = PrintJob::cardsPerSheet(paper);
        QList<QList<int>> result;
        for (int p = 0; p < device.pages.size(); ++p) {
            QList<int> filled;
            for (int s = 1; s <= cards; ++s) {
                const QPoint offset = CardRenderer::SlotOffset(kind, cards, s);
                const QSizeF card = isLandscape(kind) ? QSizeF(148, 100) : QSizeF(100, 148);
                if (device.inked(p, QRectF(QPointF(offset) / 10.0, card)))
                    filled << s;
            }
            result << filled;
        }
        return result;
    }
};

} // namespace

class tst_PrintJob : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FontSubstitutes::install(); }
    void refusedChecks_data();
    void refusedChecks();
    void confirmationAndCancel();
    void undrawableRowsNamed_data();
    void undrawableRowsNamed();
    void shrunkJointNamesNamed_data();
    void shrunkJointNamesNamed();
    void ranges_data();
    void ranges();
    void startSlotThenNewSheet();
    void startOfPaperZeroStaysZero();
    void blankNamesLeaveNoGap_data();
    void blankNamesLeaveNoGap();
    void rowsNotToSend_data();
    void rowsNotToSend();
    void postalCodeAndBarcodeWarnings_data();
    void postalCodeAndBarcodeWarnings();
    void abortAfterSecondCardOfA3();
    void failureStillEndsTheDocument();
    void printerRefuses();
    void paperAndOrientation_data();
    void paperAndOrientation();
    void previewPrintTakesShownTexts();
    void composedCardsReachTheWindow();
};

void tst_PrintJob::refusedChecks_data()
{
    QTest::addColumn<QString>("row1");
    QTest::addColumn<QString>("header");
    QTest::addColumn<bool>("printer");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("headerBox");

    const QString good = u"山田"_qs;
    QTest::newRow("row 2 holds two characters and commas")
        << u",,山,,田,,"_qs << QString() << true << PrintJob::NoDataMessage << false;
    QTest::newRow("row 2 empty") << u""_qs << QString() << true << PrintJob::NoDataMessage << false;
    QTest::newRow("header without 宛先")
        << good << u"名前"_qs << true << PrintJob::NotAddressListMessage << false;
    QTest::newRow("header without 住所２")
        << good << u"住所２"_qs << true << PrintJob::BadHeaderMessage << true;
    QTest::newRow("no printer") << good << QString() << false << PrintJob::NoPrinterMessage
                                << false;
}

// Every failed check says why in the status bar and prints nothing; nothing is asked.
void tst_PrintJob::refusedChecks()
{
    QFETCH(QString, row1);
    QFETCH(QString, header);
    QFETCH(bool, printer);
    QFETCH(QString, status);
    QFETCH(bool, headerBox);

    Session s;
    if (row1 != u"山田") {
        // Only the cells of `row1` that are not commas, each in a column of its own.
        s.grid.clearRow(1);
        for (qsizetype i = 0; i < row1.size(); ++i)
            if (row1[i] != u',')
                s.grid.setCell(int(i), 1, row1[i]);
    }
    if (!header.isEmpty()) {
        // Spoil the one header cell that holds `header`, or take away "宛先".
        for (int c = 0; c < s.grid.columnCount(); ++c) {
            const QString cell = s.grid.cell(c, 0);
            if (header == u"名前" && cell == u"宛先")
                s.grid.setCell(c, 0, header);
            else if (cell == header)
                s.grid.setCell(c, 0, u"符号"_qs);
        }
    }
    s.device.present = printer;
    s.prompter.confirmAnswers.enqueue(true);

    const PrintJob::Result result = s.run();
    QCOMPARE(result.outcome, PrintJob::Outcome::Refused);
    QCOMPARE(s.host.statuses, QStringList{status});
    QCOMPARE(s.device.documentsBegun, 0);
    QVERIFY(s.prompter.questions.isEmpty());
    QCOMPARE(s.prompter.messages.size(), headerBox ? 1 : 0);
    if (headerBox)
        QVERIFY(s.prompter.messages.front().startsWith(u"Headerを確認 "_qs));
    // The paper is set only once every check has passed.
    QCOMPARE(s.device.setPaperCalls, 0);
}

// The question names the range; Cancel prints nothing but leaves the paper as set.
void tst_PrintJob::confirmationAndCancel()
{
    Session s;
    const PrintJob::Result result = s.run(PaperKind::A3, LayoutKind::TT);
    QCOMPARE(result.outcome, PrintJob::Outcome::Cancelled);
    QCOMPARE(s.prompter.questions.size(), 1);
    QCOMPARE(s.prompter.questions.front().text,
             u"1～3 を印刷します\nプリンター: ImagePrinter\n用紙: A3 横"_qs);
    QCOMPARE(s.prompter.questions.front().caption, u"実行確認"_qs);
    QCOMPARE(s.device.documentsBegun, 0);
    QVERIFY(s.host.printingStates.isEmpty());
    QCOMPARE(s.device.layout.pageSize().id(), QPageSize::A3);
    QCOMPARE(s.device.layout.orientation(), QPageLayout::Landscape);
}

void tst_PrintJob::undrawableRowsNamed_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::newRow("vertical") << LayoutKind::TT;
    QTest::newRow("horizontal") << LayoutKind::YY;
}

// Characters no installed face has (Hangul, Thai, Devanagari, a private-use code) are named
// by row before anything prints; those a fallback face draws (Latin, Greek) are not. So are
// postal codes that are not seven digits, but not a blank one or one typed with its mark.
void tst_PrintJob::undrawableRowsNamed()
{
    QFETCH(LayoutKind, kind);
    QStringList names;
    for (int i = 1; i <= 12; ++i)
        names << QStringLiteral("名前%1").arg(i);
    names[1] = u"José Ωmega"_qs;
    names[3] = u"김민준"_qs;
    names[10] = u"\uE000"_qs;
    Session s(names);
    QList<Row> rows;
    for (const QString& name : names)
        rows << person(name);
    rows[8][2] = u"กรุงเทพ"_qs; // 住所１
    rows[10][7] = u"नमस्ते"_qs;  // 連名
    rows[5][1] = u"10010"_qs;  // 郵便番号: five digits
    rows[6][1] = u"〒060ー0001"_qs;
    rows[7][1] = QString();
    fillGrid(s.grid, rows);
    s.prompter.confirmAnswers.enqueue(false);
    s.run(PaperKind::Postcard, kind);
    QCOMPARE(s.prompter.questionTexts().size(), 1);
    const QString question = s.prompter.questionTexts().front();
    QVERIFY(question.startsWith(u"1～12 を印刷します\n"_qs));
    QVERIFY2(question.endsWith(u"\n1 件は郵便番号が７桁の番号ではありません（行 6）"
                               u"\n3 件に印刷できない文字があります（行 4, 9, 11）"_qs),
             qPrintable(question));
}

void tst_PrintJob::shrunkJointNamesNamed_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<bool>("fromAddress"); // the barcode data made from the address
    QTest::addColumn<bool>("shrunk");
    // Lines run down from the joint name, and the barcode lies below room for two of them;
    // columns have room to the left.
    QTest::newRow("TY, barcode below") << LayoutKind::TY << false << true;
    QTest::newRow("TY, barcode made from the address") << LayoutKind::TY << true << true;
    QTest::newRow("YY, barcode below") << LayoutKind::YY << false << true;
    QTest::newRow("TT, room to the left") << LayoutKind::TT << false << false;
}

// Joint names that print smaller for want of room are named by row before anything prints.
void tst_PrintJob::shrunkJointNamesNamed()
{
    QFETCH(LayoutKind, kind);
    QFETCH(bool, fromAddress);
    QFETCH(bool, shrunk);
    Session s({u"山崎 健太"_qs, u"山田 一郎"_qs});
    QList<Row> rows{person(u"山崎 健太"_qs), person(u"山田 一郎"_qs)};
    for (Row& row : rows) {
        row[9] = fromAddress ? QString() : u"10000131-3-2"_qs; // コード
        row[10] = u" "_qs;                                     // 印刷コード: on
    }
    s.options.barcodeFromAddress = fromAddress;
    s.barcodeSource = [](const AddressRecord&) { return u"10000131-3-2"_qs; };
    rows[1][7] = u"美奈子・翔太・結衣・蒼"_qs; // 連名
    fillGrid(s.grid, rows);
    s.options.useCustomerBarcode = true;
    s.prompter.confirmAnswers.enqueue(false);
    s.run(PaperKind::Postcard, kind);
    const QString question = s.prompter.questionTexts().value(0);
    QVERIFY2(question.endsWith(u"\n1 件は連名が入りきらず小さく印刷されます（行 2）"_qs) == shrunk,
             qPrintable(question));
}

void tst_PrintJob::ranges_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("extraRows");
    QTest::addColumn<QString>("question"); // empty: no question, nothing printed
    QTest::addColumn<QString>("status");   // what the status bar says instead
    QTest::addColumn<QString>("startAfter");
    QTest::addColumn<QString>("endAfter");
    QTest::addColumn<QStringList>("printed");

    const QStringList all{u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs, u"5"_qs};
    QTest::newRow("in order") << u"2"_qs << u"4"_qs << 0 << u"2～4 を印刷します"_qs << QString()
                              << u"2"_qs << u"4"_qs << all.mid(1, 3);
    QTest::newRow("reversed 5 to 2") << u"5"_qs << u"2"_qs << 0 << u"2～5 を印刷します"_qs
                                     << QString() << u"2"_qs << u"5"_qs << all.mid(1, 4);
    QTest::newRow("past the last row") << u"4"_qs << u"999"_qs << 2 << u"4～7 を印刷します"_qs
                                       << QString() << u"4"_qs << u"7"_qs << all.mid(3, 2);
    QTest::newRow("typed with commas and spaces")
        << u" 1"_qs << u"1,0"_qs << 0 << u"1～5 を印刷します"_qs << QString() << u"1"_qs << u"5"_qs
        << all;
    // A select-all takes the header row too: it is no card.
    QTest::newRow("from the header row") << u"0"_qs << u"3"_qs << 0 << u"1～3 を印刷します"_qs
                                         << QString() << u"1"_qs << u"3"_qs << all.mid(0, 3);
    QTest::newRow("not a number is 0")
        << u"abc"_qs << u"x"_qs << 0 << QString()
        << u"印刷する行がリストにありません（開始 abc・終了 x、データは 1～5 行）"_qs << u"abc"_qs
        << u"x"_qs << QStringList();
    // Left from a longer list.
    QTest::newRow("wholly below the list")
        << u"120"_qs << u"130"_qs << 0 << QString()
        << u"印刷する行がリストにありません（開始 120・終了 130、データは 1～5 行）"_qs << u"120"_qs
        << u"130"_qs << QStringList();
    QTest::newRow("only the grid's empty tail")
        << u"6"_qs << u"7"_qs << 2 << QString()
        << u"印刷する行がリストにありません（開始 6・終了 7、データは 1～5 行）"_qs << u"6"_qs
        << u"7"_qs << QStringList();
}

// The range is read leniently, swapped when reversed, cut to the list's rows and written back;
// a range with no row of the list is told.
void tst_PrintJob::ranges()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, extraRows);
    QFETCH(QString, question);
    QFETCH(QString, status);
    QFETCH(QString, startAfter);
    QFETCH(QString, endAfter);
    QFETCH(QStringList, printed);

    Session s({u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs, u"5"_qs});
    s.grid.setRowCount(s.grid.rowCount() + extraRows);
    s.host.startLine = start;
    s.host.endLine = end;
    const PrintJob::Result result = s.confirmedRun();

    QCOMPARE(s.prompter.questionFirstLines(),
             question.isEmpty() ? QStringList() : QStringList{question});
    QCOMPARE(result.outcome,
             question.isEmpty() ? PrintJob::Outcome::Refused : PrintJob::Outcome::Printed);
    QCOMPARE(s.host.statuses, status.isEmpty() ? QStringList() : QStringList{status});
    QCOMPARE(s.host.startLine, startAfter);
    QCOMPARE(s.host.endLine, endAfter);
    QStringList names;
    for (const QString& row : s.host.rowTexts)
        names << row.section(u',', 1, 1);
    QCOMPARE(names, printed);
    QCOMPARE(result.cards, int(printed.size()));
    QCOMPARE(int(s.device.pages.size()), int(printed.size()));
}

// Start at slot 3 of an A4 sheet: slots 3 and 4, then slot 1 of a new sheet; the field then
// shows the next free slot.
void tst_PrintJob::startSlotThenNewSheet()
{
    Session s;
    s.host.startOfPaper = u"3"_qs;
    const PrintJob::Result result = s.confirmedRun(PaperKind::A4, LayoutKind::TT);
    QCOMPARE(result.outcome, PrintJob::Outcome::Printed);
    QCOMPARE(result.sheets, 2);
    QCOMPARE(s.filledSlots(PaperKind::A4, LayoutKind::TT), (QList<QList<int>>{{3, 4}, {1}}));
    QCOMPARE(s.host.startOfPaper, u"2"_qs);
}

// "0" (the initial value) starts at slot 1 and stays "0".
void tst_PrintJob::startOfPaperZeroStaysZero()
{
    Session s;
    s.confirmedRun(PaperKind::A4, LayoutKind::YY);
    QCOMPARE(s.filledSlots(PaperKind::A4, LayoutKind::YY), (QList<QList<int>>{{1, 2, 3}}));
    QCOMPARE(s.host.startOfPaper, u"0"_qs);
}

void tst_PrintJob::blankNamesLeaveNoGap_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<PaperKind>("paper");
    QTest::addColumn<QList<QList<int>>>("expected");

    QTest::newRow("blank rows inside an A4 range")
        << QStringList{u"一"_qs, u" "_qs, QString(), u"四"_qs, u"五"_qs} << PaperKind::A4
        << QList<QList<int>>{{1, 2, 3}};
    QTest::newRow("ideographic space is a name") << QStringList{u"一"_qs, u"\u3000"_qs, u"三"_qs}
                                                 << PaperKind::A4 << QList<QList<int>>{{1, 2, 3}};
    // No empty postcard after the last card when the range ends in blank rows.
    QTest::newRow("blank rows at the end of a postcard run")
        << QStringList{u"一"_qs, u"二"_qs, QString(), u" "_qs} << PaperKind::Postcard
        << QList<QList<int>>{{1}, {1}};
    QTest::newRow("full A4 sheet then blank rows")
        << QStringList{u"一"_qs, u"二"_qs, u"三"_qs, u"四"_qs, QString()} << PaperKind::A4
        << QList<QList<int>>{{1, 2, 3, 4}};
}

void tst_PrintJob::blankNamesLeaveNoGap()
{
    QFETCH(QStringList, names);
    QFETCH(PaperKind, paper);
    QFETCH(QList<QList<int>>, expected);

    Session s(names);
    s.confirmedRun(paper, LayoutKind::TT);
    QCOMPARE(s.filledSlots(paper, LayoutKind::TT), expected);
    int cards = 0;
    for (const QList<int>& page : expected)
        cards += int(page.size());
    QCOMPARE(int(s.host.rowTexts.size()), cards);
    QCOMPARE(s.host.eventRounds, cards);
}

void tst_PrintJob::rowsNotToSend_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("marks"); // the marking column, row by row
    QTest::addColumn<QList<QList<int>>>("expected");
    QTest::addColumn<QString>("told"); // the confirmation's last line, or the status

    const QString mourning = u"。喪中の欄に印（○、1、有 など）のある行は送りません"_qs;
    // A mark in 喪中 means the household is in mourning; × and 0 there mean "not".
    QTest::newRow("喪中 marks inside an A4 range leave no gap")
        << u"喪中"_qs << QStringList{u"一"_qs, u"二"_qs, u"三"_qs, u"四"_qs, u"五"_qs}
        << QStringList{QString(), u"○"_qs, u"0"_qs, u"×"_qs, u"1"_qs}
        << QList<QList<int>>{{1, 2, 3}}
        << u"2 件は送らない行として印刷しません（行 2 喪中「○」、行 5 喪中「1」）"_qs + mourning;
    // A row without a name prints nothing anyway: it is not counted as left out.
    QTest::newRow("a blank name is not counted")
        << u"喪中"_qs << QStringList{u"一"_qs, QString(), u"三"_qs}
        << QStringList{u"有"_qs, u"喪中"_qs, QString()} << QList<QList<int>>{{1}}
        << u"1 件は送らない行として印刷しません（行 1 喪中「有」）"_qs + mourning;
    QTest::newRow("送付 says no") << u"送付"_qs << QStringList{u"一"_qs, u"二"_qs, u"三"_qs}
                                  << QStringList{u"不要"_qs, u"1"_qs, u"○"_qs}
                                  << QList<QList<int>>{{1, 2}}
                                  << u"1 件は送らない行として印刷しません（行 1 送付「不要」）。"
                                     u"送付の欄が ×、0、しない、不要 などの行は送りません"_qs;
    QTest::newRow("every row left out: nothing to print")
        << u"喪中"_qs << QStringList{u"一"_qs, u"二"_qs} << QStringList{u"喪中"_qs, u"あり"_qs}
        << QList<QList<int>>{}
        << PrintJob::NoRowsMessage +
               u"：2 件は送らない行として印刷しません（行 1 喪中「喪中」、行 2 喪中「あり」）"_qs +
               mourning;
}

// Rows marked not to send are left out of the cards and of the sheet positions, and the user
// is told how many, why and by which rule before anything prints.
void tst_PrintJob::rowsNotToSend()
{
    QFETCH(QString, header);
    QFETCH(QStringList, names);
    QFETCH(QStringList, marks);
    QFETCH(QList<QList<int>>, expected);
    QFETCH(QString, told);

    Session s(names);
    const int column = int(HeaderColumns::Count) + 1;
    s.grid.setCell(column, 0, header);
    for (int row = 0; row < marks.size(); ++row)
        s.grid.setCell(column, row + 1, marks[row]);
    s.prompter.confirmAnswers.enqueue(true);
    const PrintJob::Result result = s.run(PaperKind::A4, LayoutKind::TT);
    QCOMPARE(s.filledSlots(PaperKind::A4, LayoutKind::TT), expected);
    if (expected.isEmpty()) {
        QCOMPARE(result.outcome, PrintJob::Outcome::Refused);
        QCOMPARE(s.host.statuses, QStringList{told});
        QVERIFY(s.prompter.questions.isEmpty());
        return;
    }
    QCOMPARE(result.outcome, PrintJob::Outcome::Printed);
    QCOMPARE(result.cards, int(expected.front().size()));
    QCOMPARE(s.prompter.questionTexts().size(), 1);
    QVERIFY(s.prompter.questionTexts().front().endsWith(u'\n' + told));
}

void tst_PrintJob::postalCodeAndBarcodeWarnings_data()
{
    QTest::addColumn<QString>("postalCode");
    QTest::addColumn<QString>("code"); // コード, with 印刷コード on
    QTest::addColumn<bool>("barcode"); // カスタマーバーコードを使う
    QTest::addColumn<QStringList>("warnings");
    QTest::newRow("six digits get their zero back")
        << u"400001"_qs << QString() << false
        << QStringList{u"1 件は郵便番号の先頭の 0 を補って印刷します（行 1）"_qs};
    QTest::newRow("a cell that holds no code")
        << u"不明"_qs << QString() << false
        << QStringList{u"1 件は郵便番号の欄が番号ではないため郵便番号なしで印刷します（行 1）"_qs};
    QTest::newRow("a code made for another postal code")
        << u"100-0013"_qs << u"0600001-3-2"_qs << true
        << QStringList{u"1 件はバーコードのコードが別の郵便番号のものです（行 1）"_qs};
    QTest::newRow("the code of its own postal code")
        << u"100-0013"_qs << u"1000013-3-2"_qs << true << QStringList();
    QTest::newRow("no bars print") << u"100-0013"_qs << u"0600001-3-2"_qs << false << QStringList();
    // A name alone (a phone book's entry) makes a card the post cannot deliver.
    QTest::newRow("neither address nor postal code")
        << QString() << QString() << false
        << QStringList{u"1 件は住所も郵便番号もありません（行 1）"_qs};
}

// What the confirmation says of a card's postal code and bars before anything prints.
void tst_PrintJob::postalCodeAndBarcodeWarnings()
{
    QFETCH(QString, postalCode);
    QFETCH(QString, code);
    QFETCH(bool, barcode);
    QFETCH(QStringList, warnings);
    Session s({u"山田 太郎"_qs});
    Row row = person(u"山田 太郎"_qs);
    row[1] = postalCode;
    if (postalCode.isEmpty())
        row[2].clear(); // 住所１
    row[9] = code;
    row[10] = u"1"_qs;
    fillGrid(s.grid, {row});
    s.options.useCustomerBarcode = barcode;
    s.prompter.confirmAnswers.enqueue(false);
    s.run(PaperKind::Postcard, LayoutKind::TT);
    QCOMPARE(s.prompter.questionTexts().size(), 1);
    // After the range, the printer and the paper.
    QCOMPARE(s.prompter.questionTexts().front().split(u'\n').mid(3), warnings);
}

// The abort is noticed after the card in hand: one A3 sheet with two cards goes out, and the
// window gets its buttons back with the flag cleared.
void tst_PrintJob::abortAfterSecondCardOfA3()
{
    Session s({u"一"_qs, u"二"_qs, u"三"_qs, u"四"_qs});
    s.host.onEvents = [&s](int round) {
        if (round == 2)
            s.host.abort = true;
    };
    const PrintJob::Result result = s.confirmedRun(PaperKind::A3, LayoutKind::TY);
    QCOMPARE(result.outcome, PrintJob::Outcome::Aborted);
    QCOMPARE(result.cards, 2);
    QCOMPARE(s.filledSlots(PaperKind::A3, LayoutKind::TY), (QList<QList<int>>{{1, 2}}));
    QCOMPARE(s.device.documentsEnded, 1);
    QCOMPARE(s.host.printingStates, (QList<bool>{true, false}));
    QVERIFY(!s.host.abort);
}

// A failure in the middle of the run ends the document and gives the buttons back before it
// is passed on.
void tst_PrintJob::failureStillEndsTheDocument()
{
    Session s;
    s.host.onRowText = [](int n) {
        if (n == 2)
            throw std::runtime_error("broken");
    };
    s.host.abort = true; // a stale flag is cleared at the start
    s.prompter.confirmAnswers.enqueue(true);
    PrintJob job(s.grid, s.layouts, s.options, ScreenTextMeasure(), s.device, s.host, s.prompter);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                             job.btnPrintClick({PaperKind::A4, LayoutKind::TT, false, true}));
    QCOMPARE(s.device.documentsEnded, 1);
    QCOMPARE(s.host.printingStates, (QList<bool>{true, false}));
    QVERIFY(!s.host.abort);
    QCOMPARE(s.filledSlots(PaperKind::A4, LayoutKind::TT), (QList<QList<int>>{{1}}));
}

// A printer that will not start, or not feed the next sheet, is reported and ends the run.
void tst_PrintJob::printerRefuses()
{
    {
        Session s;
        s.device.refuseBegin = true;
        const PrintJob::Result result = s.confirmedRun();
        QCOMPARE(result.outcome, PrintJob::Outcome::Failed);
        QCOMPARE(s.prompter.errors, QStringList{u"refused"_qs});
        QVERIFY(s.host.printingStates.isEmpty());
    }
    {
        Session s;
        s.device.refuseNewPageAfter = 1;
        const PrintJob::Result result = s.confirmedRun();
        QCOMPARE(result.outcome, PrintJob::Outcome::Failed);
        QCOMPARE(result.cards, 1);
        QCOMPARE(s.prompter.errors, QStringList{u"refused"_qs});
        QCOMPARE(s.device.documentsEnded, 1);
        QCOMPARE(s.host.printingStates, (QList<bool>{true, false}));
    }
}

void tst_PrintJob::paperAndOrientation_data()
{
    QTest::addColumn<PaperKind>("paper");
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<bool>("noSetPrinter");
    QTest::addColumn<QPageSize::PageSizeId>("size");
    QTest::addColumn<QPageLayout::Orientation>("orientation");

    const auto P = QPageLayout::Portrait;
    const auto L = QPageLayout::Landscape;
    // The device starts on JIS B5 portrait, so a kept paper shows.
    QTest::newRow("postcard TT") << PaperKind::Postcard << LayoutKind::TT << false
                                 << QPageSize::Postcard << P;
    QTest::newRow("postcard YT") << PaperKind::Postcard << LayoutKind::YT << false
                                 << QPageSize::Postcard << L;
    QTest::newRow("A4 TY") << PaperKind::A4 << LayoutKind::TY << false << QPageSize::A4 << P;
    QTest::newRow("A4 YY") << PaperKind::A4 << LayoutKind::YY << false << QPageSize::A4 << L;
    QTest::newRow("A3 TT") << PaperKind::A3 << LayoutKind::TT << false << QPageSize::A3 << L;
    QTest::newRow("A3 YT") << PaperKind::A3 << LayoutKind::YT << false << QPageSize::A3 << P;
    QTest::newRow("postcard, paper not set")
        << PaperKind::Postcard << LayoutKind::YY << true << QPageSize::JisB5 << L;
    QTest::newRow("A3, paper not set only for postcards")
        << PaperKind::A3 << LayoutKind::TY << true << QPageSize::A3 << L;
}

// The paper and its orientation from the paper kind and the card orientation; the preview
// follows the kind.
void tst_PrintJob::paperAndOrientation()
{
    QFETCH(PaperKind, paper);
    QFETCH(LayoutKind, kind);
    QFETCH(bool, noSetPrinter);
    QFETCH(QPageSize::PageSizeId, size);
    QFETCH(QPageLayout::Orientation, orientation);

    Session s({u"一"_qs});
    s.device.layout.setPageSize(QPageSize(QPageSize::JisB5));
    s.prompter.confirmAnswers.enqueue(true);
    s.run(paper, kind, noSetPrinter);
    QCOMPARE(s.device.layout.pageSize().id(), size);
    QCOMPARE(s.device.layout.orientation(), orientation);
    QCOMPARE(s.host.previewKinds, QList<LayoutKind>{kind});
    QCOMPARE(int(s.device.pages.size()), 1);
}

// From the preview (Edit1 "印刷"), the card is printed as the preview shows it.
void tst_PrintJob::previewPrintTakesShownTexts()
{
    Session s({u"一"_qs, u"二"_qs});
    s.host.edit1 = PrintJob::PrintMarker;
    s.host.previewTexts = CardTexts{}; // a preview with every field emptied
    const PrintJob::Result result = s.confirmedRun(PaperKind::A4, LayoutKind::TT);
    QCOMPARE(result.cards, 2);
    QCOMPARE(s.filledSlots(PaperKind::A4, LayoutKind::TT), (QList<QList<int>>{{}}));
    QVERIFY(s.host.shownCards.isEmpty());
}

// Each card is composed for the kind, shown on the preview and in the row display, and its
// barcode is written back into the grid.
void tst_PrintJob::composedCardsReachTheWindow()
{
    Session s({u"一"_qs, u"二"_qs});
    s.options.useCustomerBarcode = true;
    const int code = 10;
    const int printed = 11;
    // The "印刷コード" cell is the switch: row 1 has a code but an empty switch.
    s.grid.setCell(code, 1, u"1000013-3-2"_qs);
    s.grid.setCell(printed, 1, QString());
    s.grid.setCell(code, 2, u"1000013-3-2"_qs);
    s.grid.setCell(printed, 2, u"1"_qs);
    s.confirmedRun(PaperKind::Postcard, LayoutKind::TT);

    QCOMPARE(s.host.rowTexts, (QStringList{s.grid.rowText(1), s.grid.rowText(2)}));
    QCOMPARE(int(s.host.shownCards.size()), 2);
    QCOMPARE(s.host.shownCards[1][LayoutItem::Atena], u"二\u3000様"_qs);
    QCOMPARE(s.host.shownCards[1][LayoutItem::Jyusho1], u"東京都千代田区霞が関一丁目"_qs);
    QVERIFY(s.grid.cell(printed, 2).startsWith(u"(1000013"_qs));
    QCOMPARE(s.host.shownCards[1][LayoutItem::PostCode], s.grid.cell(printed, 2));
    QCOMPARE(s.grid.cell(printed, 1), QString());
    QCOMPARE(s.host.shownCards[0][LayoutItem::PostCode], QString());
}

QTEST_MAIN(tst_PrintJob)
#include "tst_PrintJob.moc"
