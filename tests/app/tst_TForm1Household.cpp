#include "CiSkip.h"
#include "DialogTesting.h"
#include "PdfText.h"
#include "ScriptedPrompter.h"
#include "addresslist/HeaderColumns.h"
#include "app/TForm1.h"
#include "layout/LayoutTable.h"
#include "typeset/FontSubstitutes.h"

#include <QDir>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

// Households from the window: several joint names on the printed card, and rows marked not to
// be sent left out of the run with the user told why.

Q_DECLARE_METATYPE(LayoutKind)

namespace {

const QString Sample = QStringLiteral(TAYORI_SOURCE_DIR "/examples/sample.xls");

struct Window
{
    ScriptedPrompter prompter;
    TForm1 form{&prompter};
    HeaderColumns columns;

    explicit Window(const QString& pdf)
    {
        form.LoadWorkbook(Sample);
        form.printer().setOutputFormat(QPrinter::PdfFormat);
        form.printer().setOutputFileName(pdf);
        columns.FindHeaderColumns(form.addressBook().grid(), nullptr);
    }
    void set(const char* edit, const QString& text) { Child<QLineEdit>(form, edit)->setText(text); }
    QString text(const char* edit) { return Child<QLineEdit>(form, edit)->text(); }
    void setCell(HeaderColumns::Field field, int row, const QString& text)
    {
        form.addressBook().grid().setCell(columns[field], row, text);
    }
    void print(int first, int last, LayoutKind kind)
    {
        Child<QRadioButton>(form, isLandscape(kind) ? "rdoYokoOki" : "rdoTateOki")
            ->setChecked(true);
        Child<QRadioButton>(form, isHorizontalWriting(kind) ? "rdoYokoGaki" : "rdoTateGaki")
            ->setChecked(true);
        Child<QRadioButton>(form, "rdOHagaki")->setChecked(true);
        set("edtStartLine", QString::number(first));
        set("edtEndLine", QString::number(last));
        prompter.confirmAnswers << true;
        QTest::mouseClick(Child<QPushButton>(form, "btnPrint"), Qt::LeftButton);
    }
};

} // namespace

class tst_TForm1Household : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void jointNamesOnPaper_data();
    void jointNamesOnPaper();
    void rowNotToSend();
};

void tst_TForm1Household::initTestCase()
{
    if (!PdfText::Available())
        SKIP_OR_FAIL_UNDER_CI("pdftotext missing: run scripts/install-deps");
    FontSubstitutes::install();
    qputenv("CUPS_SERVER", QFile::encodeName(QDir::temp().filePath(u"no-cups-here.sock"_qs)));
}

void tst_TForm1Household::jointNamesOnPaper_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<int>("fieldAt"); // the joint-name field's X (vertical) or Y, 0: as is
    QTest::addColumn<bool>("sender");

    QTest::newRow("vertical, two") << LayoutKind::TT << u"花子・秀樹"_qs << 0 << false;
    QTest::newRow("vertical, three") << LayoutKind::TT << u"花子、秀樹、健太"_qs << 0 << false;
    QTest::newRow("horizontal, two") << LayoutKind::YY << u"花子・秀樹"_qs << 0 << false;
    QTest::newRow("horizontal, three") << LayoutKind::YY << u"花子\n秀樹\n健太"_qs << 0 << false;
    // Four columns from a field 8 mm off the card's left edge would leave the card.
    QTest::newRow("vertical, four near the edge")
        << LayoutKind::TT << u"花子・秀樹・健太・美咲"_qs << 80 << false;
    QTest::newRow("horizontal, four near the bottom")
        << LayoutKind::YY << u"花子・秀樹・健太・美咲"_qs << 900 << false;
    // The sender's columns in the lower left leave room for three names; a fourth closes up.
    QTest::newRow("vertical, three beside the sender")
        << LayoutKind::TT << u"花子・秀樹・健太"_qs << 0 << true;
    QTest::newRow("vertical, four beside the sender")
        << LayoutKind::TT << u"花子・秀樹・健太・美咲"_qs << 0 << true;
}

// Each joint name is its own column right to left (vertical) or line downwards (horizontal),
// each ending in its own 様, the names' first characters lined up, all on the card.
void tst_TForm1Household::jointNamesOnPaper()
{
    QFETCH(LayoutKind, kind);
    QFETCH(QString, cell);
    QFETCH(int, fieldAt);
    QFETCH(bool, sender);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"household.pdf"_qs);
    Window w(pdf);
    if (sender)
        w.form.options().sender = {true,
                                   u"2480005"_qs,
                                   u"鎌倉市雪ノ下三－五－一"_qs,
                                   u"鶴岡ハイツ二〇一"_qs,
                                   u"鶴見商店"_qs,
                                   u"鶴見 翼"_qs,
                                   u"葵"_qs};
    LayoutItemRecord r = w.form.layouts().record(kind, LayoutItem::Renmei);
    const bool vertical = !isHorizontalWriting(kind);
    if (fieldAt)
        (vertical ? r.X : r.Y) = fieldAt;
    w.form.layouts().StoreLayoutItem(int(kind), int(LayoutItem::Renmei), r, false);
    w.setCell(HeaderColumns::JointName, 1, cell);
    w.print(1, 1, kind);

    const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
    QCOMPARE(pages.size(), 1);
    const QSizeF card = isLandscape(kind) ? QSizeF(148, 100) : QSizeF(100, 148);
    const QStringList firsts{u"花"_qs, u"秀"_qs, u"健"_qs, u"美"_qs};
    const qsizetype count = cell.count(u'・') + cell.count(u'、') + cell.count(u'\n') + 1;
    const bool closedUp = fieldAt || count > 3;
    // Where each name's first character stands, in the order of the names.
    QList<QRectF> starts;
    for (qsizetype i = 0; i < count; ++i) {
        const auto found =
            std::find_if(pages[0].words.begin(), pages[0].words.end(),
                         [&](const auto& word) { return word.text.startsWith(firsts[i]); });
        QVERIFY2(found != pages[0].words.end(), qPrintable(firsts[i]));
        starts << found->box;
    }
    for (qsizetype i = 1; i < count; ++i) {
        // The next column lies wholly left of the one before, the next line wholly below.
        if (vertical)
            QVERIFY(starts[i].right() <= starts[i - 1].left() + 0.3);
        else
            QVERIFY(starts[i].top() >= starts[i - 1].bottom() - 0.3);
        // Closed up names are smaller, so only names at their size line up exactly.
        if (!closedUp)
            QCOMPARE_LT(qAbs(vertical ? starts[i].top() - starts[0].top()
                                      : starts[i].left() - starts[0].left()),
                        0.5);
    }
    if (!fieldAt) {
        // As the layout puts the field: the first name where it always was.
        const QPointF at = QPointF(r.X, r.Y) / 10.0;
        QCOMPARE_LT(
            qAbs((vertical ? starts[0].left() : starts[0].top()) - (vertical ? at.x() : at.y())),
            1.5);
    }
    int honorifics = 0;
    // The sender's nearest column: its address, left of every joint name.
    double senderRight = 0;
    for (const PdfText::Word& word : pages[0].words) {
        honorifics += int(word.text.count(u'様'));
        QVERIFY2(QRectF(QPointF(0, 0), card).contains(word.box),
                 qPrintable(word.text + u" runs off the card"_qs));
        if (word.text.startsWith(u"鎌"))
            senderRight = word.box.right();
    }
    QCOMPARE(honorifics, count + 1); // the name's and each joint name's
    QCOMPARE(senderRight > 0, sender);
    if (sender)
        QVERIFY2(starts.back().left() >= senderRight,
                 qPrintable(u"%1 mm, the sender's column to %2 mm"_qs.arg(starts.back().left())
                                .arg(senderRight)));
}

// A 喪中 row inside the range prints no card, takes no slot, and the confirmation says which
// row was left out and why; the sheet count of a selection leaves it out too.
void tst_TForm1Household::rowNotToSend()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"cards.pdf"_qs);
    Window w(pdf);
    AddressGrid& grid = w.form.addressBook().grid();
    int column = 1;
    while (column < grid.columnCount() && !grid.cell(column, 0).isEmpty())
        ++column;
    grid.setCell(column, 0, u"喪中"_qs);
    grid.setCell(column, 2, u"喪中"_qs);
    const QString skipped = grid.cell(w.columns[HeaderColumns::Name], 2).section(u' ', 0, 0);
    Child<QRadioButton>(w.form, "rdoA4")->setChecked(true);
    w.set("edtStartLine", u"1"_qs);
    w.set("edtEndLine", u"3"_qs);
    w.prompter.confirmAnswers << true;
    QTest::mouseClick(Child<QPushButton>(w.form, "btnPrint"), Qt::LeftButton);

    QCOMPARE(w.prompter.questionTexts().size(), 1);
    QVERIFY2(w.prompter.questionTexts().front().endsWith(
                 u"\n1 件は送らない行として印刷しません（行 2 喪中「喪中」）。"
                 u"喪中の欄に印（○、1、有 など）のある行は送りません"_qs),
             qPrintable(w.prompter.questionTexts().front()));
    const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
    QCOMPARE(pages.size(), 1);
    for (const PdfText::Word& word : pages[0].words)
        QVERIFY2(!word.text.contains(skipped), qPrintable(word.text));
    // Two cards, in the first two slots of the sheet (the first column of portrait cards).
    const auto inSlot = [&](int x0, int y0) {
        return std::any_of(pages[0].words.begin(), pages[0].words.end(), [&](const auto& word) {
            return QRectF(x0, y0, 100, 148).contains(word.box.center());
        });
    };
    QVERIFY(inSlot(0, 0));
    QVERIFY(inSlot(0, 148));
    QVERIFY(!inSlot(105, 0));

    // Selecting the three rows counts the two cards they give.
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    auto* view = Child<QTableView>(w.form, "TntStringGrid1");
    const QPoint from = view->visualRect(view->model()->index(1, 2)).center();
    const QPoint to = view->visualRect(view->model()->index(3, 2)).center();
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view->viewport(), to);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    QCOMPARE(w.text("edtEndLine"), u"3"_qs);
    QCOMPARE(w.text("edtMaisu"), u"2"_qs);
}

QTEST_MAIN(tst_TForm1Household)
#include "tst_TForm1Household.moc"
