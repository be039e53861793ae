#include "CiSkip.h"
#include "CliRun.h"
#include "PdfText.h"
#include "layout/PostalBoxes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A new user's first card in every kind: tayori-cli prints a full record from a settings
// file that does not exist yet, and the PDF is read back.

namespace {

// 宛先 郵便番号 住所１ 住所２ 会社名 肩書き 敬称 連名 敬称2 コード 印刷コード
const char* const List =
    "\xEF\xBB\xBF"
    "宛先,郵便番号,住所１,住所２,会社名,肩書き,敬称,連名,敬称2,コード,印刷コード\r\n"
    "渡辺 大輔,100-0013,東京都千代田区霞が関一丁目二番三号,"
    "中央合同庁舎第四号館十二階,株式会社みなと商事,代表取締役社長,様,"
    "由美子・陽向,様,,\r\n";

// One character of each field, in the order a recipient reads them: address lines, company,
// title, name, the two joint names.
const QString Markers = QStringLiteral("東央株表渡由陽");

using PdfText::Word;

const Word* wordWith(const QList<Word>& words, QChar c)
{
    for (const Word& w : words)
        if (w.text.contains(c))
            return &w;
    return nullptr;
}

} // namespace

class tst_DefaultCards : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void firstCard_data();
    void firstCard();
};

void tst_DefaultCards::initTestCase()
{
    if (!PdfText::Available())
        SKIP_OR_FAIL_UNDER_CI("pdftotext is not installed");
}

void tst_DefaultCards::firstCard_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"TT", "TY", "YT", "YY"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void tst_DefaultCards::firstCard()
{
    QFETCH(QString, kind);
    const bool landscape = kind.startsWith(u'Y');
    const bool vertical = kind.endsWith(u'T');
    QTemporaryDir dir;
    const QString csv = dir.filePath(u"list.csv"_qs);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(List);
    file.close();
    const QString pdf = dir.filePath(u"card.pdf"_qs);
    const CliRun run = RunCli({u"print"_qs, csv, u"--to"_qs, pdf, u"--kind"_qs, kind, u"--paper"_qs,
                               u"POST"_qs, u"--settings"_qs, dir.filePath(u"tayori.ini"_qs)});
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    const QList<PdfText::Page> pages = PdfText::ReadPages(pdf);
    QCOMPARE(pages.size(), 1);
    QList<Word> words = pages[0].words;

    // The postal code's digits, one in each printed box, also on a card used landscape.
    const QString code = u"1000013"_qs;
    for (int b = 0; b < int(code.size()); ++b) {
        const QRectF box = PostalBoxes::codeBox(landscape, b);
        const auto digit = std::find_if(words.begin(), words.end(), [&](const Word& w) {
            return w.text == code.mid(b, 1) && box.contains(w.box.center());
        });
        QVERIFY2(digit != words.end(), qPrintable(QStringLiteral("box %1").arg(b)));
        QVERIFY2(box.adjusted(-0.5, -0.5, 0.5, 0.5).contains(digit->box), qPrintable(digit->text));
        words.erase(digit);
    }
    // Nothing else on the stamp or a box, nothing off the card.
    const QRectF card(QPointF(0, 0), landscape ? QSizeF(148, 100) : QSizeF(100, 148));
    for (const Word& w : words) {
        QVERIFY2(card.contains(w.box), qPrintable(w.text));
        QVERIFY2(!w.box.intersects(PostalBoxes::stamp(landscape)), qPrintable(w.text));
        for (int b = 0; b < int(code.size()); ++b)
            QVERIFY2(!w.box.intersects(PostalBoxes::codeBox(landscape, b)), qPrintable(w.text));
    }

    // Read in order: columns from the right, or lines from the top, none over the next.
    const Word* previous = nullptr;
    for (const QChar marker : Markers) {
        const Word* w = wordWith(words, marker);
        QVERIFY2(w, qPrintable(QString(marker)));
        if (previous)
            QVERIFY2(vertical ? w->box.right() <= previous->box.left()
                              : w->box.top() >= previous->box.bottom(),
                     qPrintable(previous->text + u" then "_qs + w->text));
        previous = w;
    }

    // The name clearly larger than the address, across the writing.
    const auto across = [vertical](const Word* w) {
        return vertical ? w->box.width() : w->box.height();
    };
    QVERIFY(across(wordWith(words, u'渡')) > 1.3 * across(wordWith(words, u'東')));

    // Each 様 ends where the others do.
    QList<double> ends;
    for (const Word& w : words)
        if (w.text.endsWith(u'様'))
            ends << (vertical ? w.box.bottom() : w.box.right());
    QCOMPARE(ends.size(), 3);
    for (const double end : ends)
        QVERIFY2(std::abs(end - ends.front()) < 0.5, qPrintable(QString::number(end)));
}

QTEST_MAIN(tst_DefaultCards)
#include "tst_defaultcards.moc"
