#include "DialogTesting.h"
#include "PdfText.h"
#include "ScriptedPrompter.h"
#include "app/TForm1.h"
#include "app/TfrmPrintoutTable.h"
#include "typeset/FontSubstitutes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

// "リスト印刷" on sheets built cell by cell: the used area, the columns laid out, the pages
// of the preview window and the list printed into a PDF file and read back.

namespace {

// Grid cells: column, row, text.
using GridCells = QList<std::tuple<int, int, QString>>;

// `rows` of cells from grid column `firstColumn` on, row 0 first.
GridCells Cells(const QList<QStringList>& rows, int firstColumn = 0)
{
    GridCells cells;
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            if (!rows[r][c].isEmpty())
                cells.append({firstColumn + c, r, rows[r][c]});
    return cells;
}

// A header and `count` data rows "rN" / "vN" / "a|b".
QList<QStringList> NumberedRows(int count)
{
    QList<QStringList> rows{{u"番号"_qs, u"氏名|ふりがな"_qs, u"備考"_qs}};
    for (int i = 1; i <= count; ++i)
        rows << QStringList{u"r%1"_qs.arg(i), u"v%1"_qs.arg(i), u"a|b"_qs};
    return rows;
}

struct Session
{
    ScriptedPrompter prompter;
    TForm1 form{&prompter};
    int shown = 0;
    std::function<void(TfrmPrintoutTable&)> act;

    // The grid holds `cells` and nothing else; its sheet is named "名簿".
    explicit Session(const GridCells& cells)
    {
        FillBook(form.addressBook(), {u"名簿"_qs}, {});
        AddressGrid& grid = form.addressBook().grid();
        grid.setColumnCount(AddressGrid::InitialColumns + 1);
        grid.setRowCount(AddressGrid::InitialRows);
        for (const auto& [column, row, text] : cells)
            grid.setCell(column, row, text);
        form.setDialogRunner([this](QDialog& dialog) {
            ++shown;
            auto* window = qobject_cast<TfrmPrintoutTable*>(&dialog);
            // The modal window's showing, without a loop that waits for the user.
            window->FormShow();
            if (act)
                act(*window);
            return int(QDialog::Rejected);
        });
    }
    TfrmPrintoutTable& window() { return *form.printoutTableWindow(); }
    QString indicator() { return Child<QLineEdit>(window(), "Edit1")->text(); }
    void click(const char* button) { Child<QAbstractButton>(window(), button)->click(); }
    // Widths of the cells laid out, in order; the cell that ends the row may be 0 wide.
    QList<double> widths()
    {
        QList<double> result;
        for (const ReportTextItem& cell : window().report().page().cells)
            result << cell.box.width();
        return result;
    }
};

} // namespace

class tst_ListPrinting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void usedArea_data();
    void usedArea();
    void columns_data();
    void columns();
    void paging();
    void printedList();
    void rowsNotToSendMarked();
    void paperChoice();
    void printFailure();
};

void tst_ListPrinting::initTestCase()
{
    QCoreApplication::setApplicationName(u"Tayori"_qs);
    FontSubstitutes::install();
}

void tst_ListPrinting::usedArea_data()
{
    QTest::addColumn<GridCells>("cells");
    QTest::addColumn<bool>("printed");
    QTest::addColumn<QString>("firstCell"); // the first cell of the printout's row 0

    QTest::newRow("empty sheet") << GridCells{} << false << QString();
    QTest::newRow("one cell") << Cells({{u"宛先"_qs}}) << false << QString();
    QTest::newRow("one cell far down") << GridCells{{3, 40, u"x"_qs}} << false << QString();
    QTest::newRow("header alone") << Cells({{u"宛先"_qs, u"住所"_qs}}) << false << QString();
    QTest::newRow("one column, two rows")
        << Cells({{u"宛先"_qs}, {u"山田"_qs}}, 1) << true << u"宛先"_qs;
    // The printout starts at the first used column, so cells stay under their widths.
    QTest::newRow("first used column 3")
        << Cells({{u"氏名"_qs, u"住所"_qs}, {u"山田"_qs, u"東京"_qs}}, 3) << true << u"氏名"_qs;
}

void tst_ListPrinting::usedArea()
{
    QFETCH(GridCells, cells);
    QFETCH(bool, printed);
    QFETCH(QString, firstCell);

    Session s(cells);
    QString rendered;
    s.act = [&](TfrmPrintoutTable& w) {
        std::vector<ReportTextItem> row = w.report().page().cells;
        w.report().setCurrentPage(1);
        w.report().printPanel(row);
        rendered = row.front().text;
    };
    s.form.L1Click();
    QCOMPARE(s.shown, printed ? 1 : 0);
    QCOMPARE(s.form.statusPanel(2), printed ? QString() : u"データがありません"_qs);
    QCOMPARE(rendered, firstCell);
}

void tst_ListPrinting::columns_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<int>("printedColumns"); // cells at least 2 wide

    const QString wide(60, u'住');
    QTest::newRow("short texts") << QList<QStringList>{{u"a"_qs, u"b"_qs}, {u"c"_qs, u"d"_qs}} << 2;
    // A column blank in every used row is 0 wide: it and the columns after it are not printed.
    QTest::newRow("blank column ends the row")
        << QList<QStringList>{{u"氏名"_qs, u" "_qs, u"住所"_qs}, {u"山田"_qs, u" "_qs, u"東京"_qs}}
        << 1;
    QStringList many;
    for (int i = 0; i < 20; ++i)
        many << u"c%1"_qs.arg(i);
    QTest::newRow("20 columns") << QList<QStringList>{many, many} << 17;
    QTest::newRow("wider than the body")
        << QList<QStringList>{{u"h1"_qs, u"h2"_qs, u"h3"_qs}, {wide, wide.left(30), wide}} << 3;
    // One cell far wider than the page is cut at the body's width before the scaling.
    QTest::newRow("one cell of 1,500 characters")
        << QList<QStringList>{{u"h1"_qs, u"h2"_qs, u"h3"_qs},
                              {u"山田"_qs, QString(1500, u'住'), u"x"_qs}}
        << 3;
}

void tst_ListPrinting::columns()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(int, printedColumns);

    Session s(Cells(rows));
    s.form.L1Click();
    QCOMPARE(s.shown, 1);
    const QList<double> widths = s.widths();
    const auto printed =
        std::count_if(widths.begin(), widths.end(), [](double w) { return w >= 2; });
    QCOMPARE(int(printed), printedColumns);

    // The printed columns fit the body (rounding may add a unit each), and every one of them
    // is at least 30 wide unless the body had to scale it down.
    const ListReport& report = s.window().report();
    const double body = report.page().bodyRect().width();
    double total = 0;
    for (double w : widths)
        total += w;
    QVERIFY2(total <= body + widths.size(), qPrintable(u"%1 > %2"_qs.arg(total).arg(body)));
    // No column takes more than the body.
    QList<double> measured;
    for (int w : report.table().widths)
        measured << std::min(double(w), body);
    double measuredTotal = 0;
    for (int i = 0; i < std::min<qsizetype>(measured.size(), ListReport::MaxCells); ++i)
        measuredTotal += measured[i];
    for (int i = 0; i < printedColumns; ++i) {
        if (measuredTotal <= body) {
            QCOMPARE(widths[i], measured[i]);
            QVERIFY(widths[i] >= 30);
        } else {
            // Proportional: each scaled width is its share of the body.
            QVERIFY(std::abs(widths[i] - measured[i] * body / measuredTotal) <= 0.5);
        }
    }
}

// 33 used rows make two pages; the buttons move between them and stop at the ends.
void tst_ListPrinting::paging()
{
    Session s(Cells(NumberedRows(32)));
    QStringList seen;
    QList<QImage> pictures;
    s.act = [&](TfrmPrintoutTable& w) {
        const auto step = [&](const char* button) {
            s.click(button);
            seen << s.indicator();
            pictures << w.previewImage();
        };
        seen << s.indicator();
        pictures << w.previewImage();
        step("SpeedButton2"); // previous on page 1: nothing
        step("SpeedButton4");
        step("SpeedButton4"); // next on the last page: nothing
        step("SpeedButton3");
        step("SpeedButton1");
    };
    s.form.L1Click();
    QCOMPARE(seen, (QStringList{u"001/002"_qs, u"001/002"_qs, u"002/002"_qs, u"002/002"_qs,
                                u"001/002"_qs, u"002/002"_qs}));
    QCOMPARE(pictures[0], pictures[3 + 1]);
    QVERIFY(pictures[0] != pictures[2]);
    QCOMPARE(pictures[2], pictures[5]);
}

// All pages through the window into a PDF file: the bands, the rows of each page, the cells
// in their columns, the header cut at "|" only in the header row.
void tst_ListPrinting::printedList()
{
    if (!PdfText::Available())
        QSKIP("pdftotext missing: run scripts/install-deps");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"list.pdf"_qs);
    Session s(Cells(NumberedRows(40)));
    s.prompter.saveAnswers << pdf;
    s.act = [&](TfrmPrintoutTable& w) {
        Child<QComboBox>(w, "cmbPrinter")->setCurrentText(TfrmPrintoutTable::PdfFileEntry());
        s.click("SpeedButton4");
        s.click("Button2");
        // The preview stays on the page it showed.
        QCOMPARE(s.indicator(), u"002/002"_qs);
        QCOMPARE(w.report().currentPage(), 2);
    };
    s.form.L1Click();
    QVERIFY2(s.prompter.errors.isEmpty(), qPrintable(s.prompter.errors.join(u'\n')));

    const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
    QCOMPARE(pages.size(), 2);
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    for (int p = 0; p < 2; ++p) {
        const PdfText::Page& page = pages[p];
        QVERIFY(page.points.width() > page.points.height()); // A4 landscape
        QVERIFY(page.has(u"名簿"_qs));
        for (const QString& part : date.split(u' '))
            QVERIFY2(page.has(part), qPrintable(part));
        // "- 1 -" centred at the bottom.
        const auto number = std::find_if(page.words.begin(), page.words.end(), [&](const auto& w) {
            return w.text == QString::number(p + 1) && w.box.top() > 180;
        });
        QVERIFY2(number != page.words.end(), qPrintable(u"page %1"_qs.arg(p + 1)));
        QVERIFY(std::abs(number->box.center().x() - 297.0 / 2) < 5);
    }

    // Rows 0 to 31 on page 1, rows 32 to 40 on page 2; every row's cells in their columns.
    const auto wordsOf = [&](const PdfText::Page& page, const QString& text) {
        QList<QRectF> boxes;
        for (const PdfText::Word& w : page.words)
            if (w.text == text)
                boxes << w.box;
        return boxes;
    };
    QVERIFY(pages[0].has(u"氏名"_qs));
    QVERIFY(!pages[0].has(u"氏名|ふりがな"_qs) && !pages[0].has(u"ふりがな"_qs));
    QCOMPARE(wordsOf(pages[0], u"a|b"_qs).size(), 31);
    QCOMPARE(wordsOf(pages[1], u"a|b"_qs).size(), 9);
    const double column0 = wordsOf(pages[0], u"番号"_qs).value(0).left();
    const double column1 = wordsOf(pages[0], u"氏名"_qs).value(0).left();
    const double column2 = wordsOf(pages[0], u"備考"_qs).value(0).left();
    QVERIFY(column0 < column1 && column1 < column2);
    double lastTop = 0;
    for (int row = 1; row <= 40; ++row) {
        const PdfText::Page& page = pages[row < 32 ? 0 : 1];
        const QList<QRectF> r = wordsOf(page, u"r%1"_qs.arg(row));
        const QList<QRectF> v = wordsOf(page, u"v%1"_qs.arg(row));
        QCOMPARE(r.size(), 1);
        QCOMPARE(v.size(), 1);
        QVERIFY(std::abs(r[0].left() - column0) < 0.5);
        QVERIFY(std::abs(v[0].left() - column1) < 0.5);
        QVERIFY(std::abs(r[0].center().y() - v[0].center().y()) < 0.5);
        if (row != 32)
            QVERIFY(r[0].top() > lastTop);
        lastTop = r[0].top();
    }
}

// A row with a mark in "喪中" is printed crossed out on a grey ground, the others plain.
void tst_ListPrinting::rowsNotToSendMarked()
{
    Session s(Cells({{u"宛先"_qs, u"喪中"_qs},
                     {u"山田"_qs, QString()},
                     {u"佐藤"_qs, u"○"_qs},
                     {u"鈴木"_qs, u"×"_qs}},
                    1));
    QImage page;
    QRectF body;
    double rowHeight = 0;
    double cellLeft = 0;
    s.act = [&](TfrmPrintoutTable& w) {
        page = w.report().render(1);
        body = w.report().page().bodyRect();
        rowHeight = w.report().page().rowHeight();
        cellLeft = w.report().page().cells.front().box.left();
    };
    s.form.L1Click();
    QVERIFY(!page.isNull());
    // Between the cell's left rule and its text.
    const auto ground = [&](int row) {
        return QColor(page.pixel(int(body.left() + cellLeft + 1.5),
                                 int(body.top() + (row + 0.5) * rowHeight)));
    };
    QCOMPARE(ground(1), QColor(Qt::white));
    QCOMPARE(ground(2).lightness(), QColor(215, 215, 215).lightness());
    QCOMPARE(ground(3), QColor(Qt::white));
}

// The paper box sets the paper of the printout; a text that is no paper changes nothing.
void tst_ListPrinting::paperChoice()
{
    if (!PdfText::Available())
        QSKIP("pdftotext missing: run scripts/install-deps");
    QTemporaryDir dir;
    Session s(Cells(NumberedRows(3)));
    QList<QSizeF> sizes;
    s.act = [&](TfrmPrintoutTable& w) {
        auto* paper = Child<QComboBox>(w, "cmbPaperSize");
        Child<QComboBox>(w, "cmbPrinter")->setCurrentText(TfrmPrintoutTable::PdfFileEntry());
        for (const QString& name : {u"B5-縦"_qs, u"はがき"_qs, u"A3-横"_qs}) {
            paper->setCurrentText(name);
            const QString pdf = dir.filePath(name + u".pdf"_qs);
            s.prompter.saveAnswers << pdf;
            s.click("Button2");
            sizes << PdfText::ReadPages(pdf).value(0).points / PdfText::PointsPerMm;
        }
    };
    s.form.L1Click();
    const QList<QSizeF> expected{{182, 257}, {182, 257}, {420, 297}}; // B5 is the JIS size
    QCOMPARE(sizes.size(), expected.size());
    for (int i = 0; i < sizes.size(); ++i)
        QVERIFY2(std::abs(sizes[i].width() - expected[i].width()) < 1 &&
                     std::abs(sizes[i].height() - expected[i].height()) < 1,
                 qPrintable(u"%1: %2 x %3"_qs.arg(i).arg(sizes[i].width()).arg(sizes[i].height())));
}

// A file that cannot be written is told, and the window stays usable.
void tst_ListPrinting::printFailure()
{
    Session s(Cells(NumberedRows(3)));
    s.prompter.saveAnswers << u"/nonexistent/folder/list.pdf"_qs;
    s.act = [&](TfrmPrintoutTable& w) {
        Child<QComboBox>(w, "cmbPrinter")->setCurrentText(TfrmPrintoutTable::PdfFileEntry());
        s.click("Button2");
        QCOMPARE(s.indicator(), u"001/001"_qs);
    };
    s.form.L1Click();
    QCOMPARE(s.prompter.errors, QStringList{u"/nonexistent/folder/list.pdf に書き込めません"_qs});
}

QTEST_MAIN(tst_ListPrinting)
#include "tst_ListPrinting.moc"
