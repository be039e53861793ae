#include "PrintTestSupport.h"
#include "ScriptedPrompter.h"
#include "common/SessionOptions.h"
#include "layout/LayoutTable.h"
#include "layout/PostalBoxes.h"
#include "print/CardRenderer.h"
#include "print/PdfFileDevice.h"
#include "print/PrintJob.h"
#include "typeset/ScreenTextMeasure.h"

#include <QTemporaryDir>
#include <QTest>

// Households read back from the printed PDF: every joint name in a place of its own, clear of
// the addressee, the sender and the printed postal boxes, each 様 lined up with the name's.

using namespace PrintTest;

Q_DECLARE_METATYPE(LayoutKind)

namespace {

constexpr double Touch = 0.2;  // mm two glyph boxes may share, as neighbours drawn edge to edge
constexpr double MinGap = 0.5; // mm between names beside each other, beyond the touch

const QString Addressee = u"渡辺 大輔"_qs;
const QStringList JointPool{u"由美子"_qs, u"陽向"_qs, u"結衣"_qs, u"蒼"_qs, u"翔"_qs};
const SenderInfo Sender{
    true,          u"2480005"_qs, u"鎌倉市雪ノ下三－五－一"_qs, u"鶴岡ハイツ"_qs, QString(),
    u"鶴見 翼"_qs, u"葵・葉月"_qs};

// One character of the page and its box.
struct Glyph
{
    QChar ch;
    QRectF box;
};

// pdftotext's words cut into characters: a word of a line shares its width evenly.
QList<Glyph> glyphs(const QList<Word>& words)
{
    QList<Glyph> out;
    for (const Word& w : words) {
        const qsizetype n = w.text.size();
        const bool across = w.box.width() >= w.box.height();
        for (qsizetype i = 0; i < n; ++i) {
            QRectF box = w.box;
            if (across)
                box = QRectF(w.box.left() + w.box.width() * i / n, w.box.top(), w.box.width() / n,
                             w.box.height());
            else
                box = QRectF(w.box.left(), w.box.top() + w.box.height() * i / n, w.box.width(),
                             w.box.height() / n);
            out.append({w.text[i], box});
        }
    }
    return out;
}

QString describe(const QRectF& r)
{
    return u" [%1..%2 x %3..%4]"_qs.arg(r.left(), 0, 'f', 2)
        .arg(r.right(), 0, 'f', 2)
        .arg(r.top(), 0, 'f', 2)
        .arg(r.bottom(), 0, 'f', 2);
}

bool overlaps(const QRectF& a, const QRectF& b)
{
    return a.adjusted(Touch, Touch, -Touch, -Touch).intersects(b);
}

// The seven boxes printed on the card, in mm of the card as it lies in `kind`.
QList<QRectF> postalBoxes(LayoutKind kind)
{
    using namespace PostalBoxes;
    QList<QRectF> boxes;
    for (double left : CodeBoxLeftMm) {
        const QRectF upright(left, CodeBoxTopMm, CodeBoxWidthMm, CodeBoxHeightMm);
        // Landscape: the upright card turned a quarter to the left, the boxes down its right.
        boxes << (isLandscape(kind) ? QRectF(CardHeightMm - upright.bottom(), upright.left(),
                                             upright.height(), upright.width())
                                    : upright);
    }
    return boxes;
}

} // namespace

class tst_JointNamePlaces : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void householdsOnPaper_data();
    void householdsOnPaper();
};

void tst_JointNamePlaces::initTestCase()
{
    if (!havePoppler())
        QSKIP("poppler-utils (pdftotext, pdftoppm) are needed");
}

void tst_JointNamePlaces::householdsOnPaper_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<bool>("sender");
    QTest::addColumn<double>("enlarged"); // the addressee's size times this, as on the preview

    for (LayoutKind kind : {LayoutKind::TT, LayoutKind::TY, LayoutKind::YT, LayoutKind::YY})
        for (bool sender : {false, true})
            for (double enlarged : {1.0, 1.5}) {
                const QString name = layoutKindName(kind) +
                                     (sender ? u", with the sender"_qs : u""_qs) +
                                     (enlarged > 1 ? u", 宛名 enlarged"_qs : u""_qs);
                QTest::newRow(qPrintable(name)) << kind << sender << enlarged;
            }
}

// Two to five joint names, a card each, read back glyph by glyph.
void tst_JointNamePlaces::householdsOnPaper()
{
    QFETCH(LayoutKind, kind);
    QFETCH(bool, sender);
    QFETCH(double, enlarged);

    LayoutTable table;
    if (enlarged > 1) {
        const LayoutItemRecord before = table.record(kind, LayoutItem::Atena);
        LayoutItemRecord bigger = before;
        bigger.FontSize = before.FontSize * enlarged;
        table.StoreLayoutItem(int(kind), int(LayoutItem::Atena), bigger, false);
        table.FollowAddressee(kind, before);
    }
    SessionOptions options;
    if (sender)
        options.sender = Sender;

    QList<Row> rows;
    for (int count = 2; count <= 5; ++count) {
        Row row = person(Addressee);
        row[7] = JointPool.mid(0, count).join(u'・'); // 連名
        row[8] = u"様"_qs;                            // 敬称2
        rows << row;
    }
    AddressGrid grid;
    fillGrid(grid, rows);
    FakeHost host;
    host.endLine = QString::number(rows.size());
    ScriptedPrompter prompter;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(u"households.pdf"_qs);
    PdfFileDevice device(pdf, 1200);
    PrintJob job(grid, table, options, ScreenTextMeasure(), device, host, prompter);
    prompter.confirmAnswers << true;
    job.btnPrintClick(PrintParameters{PaperKind::Postcard, kind, false, true});
    const QList<QList<Word>> pages = pdfWords(pdf);
    QCOMPARE(pages.size(), rows.size());
    QCOMPARE(prompter.questions.size(), 1);
    // The rows the confirmation names as printing their joint names smaller.
    const QString question = prompter.questions.first().text;
    const qsizetype told = question.indexOf(u"連名が入りきらず"_qs);
    const QString toldRows = told < 0 ? QString() : question.mid(told).section(u'行', 1);

    const bool vertical = !isHorizontalWriting(kind);
    // Further names are the renderer's to place; the first stands where the layout puts it.
    const LayoutItemRecord field = table.record(kind, LayoutItem::Renmei);
    const double size = CardRenderer::printerPointSize(field.FontSize) * 25.4 / 72;
    const QRectF firstField =
        vertical ? QRectF(field.X / 10.0, field.Y / 10.0, size, field.Height / 10.0)
                 : QRectF(field.X / 10.0, field.Y / 10.0, field.Width / 10.0, size);
    for (int page = 0; page < pages.size(); ++page) {
        const int count = page + 2;
        // Names side by side keep a gap a reader sees, unless the user was told they could
        // not: lines packed edge to edge read as columns.
        const bool shrunk = toldRows.contains(QString::number(page + 1));
        const double spaced = shrunk ? 0.0 : MinGap;
        const QList<Glyph> all = glyphs(pages[page]);
        // Whose each glyph is: a joint name's number, the addressee, the sender.
        const auto owner = [&](QChar c) -> QString {
            for (int n = 0; n < count; ++n)
                if (JointPool[n].contains(c))
                    return QString::number(n);
            if (Addressee.contains(c))
                return u"addressee"_qs;
            const QString senderText = Sender.jyusho1 + Sender.jyusho2 + Sender.name;
            if (sender && senderText.contains(c))
                return u"sender"_qs;
            if (sender && Sender.renmei.contains(c))
                return u"sender's "_qs + c;
            return {};
        };
        QList<QRectF> honorifics;
        for (const Glyph& g : all)
            if (g.ch == u'様')
                honorifics << g.box;
        QCOMPARE(honorifics.size(), count + 1);
        // Each 様 ends where the name's does.
        for (const QRectF& h : honorifics)
            QVERIFY2(qAbs(vertical ? h.bottom() - honorifics[0].bottom()
                                   : h.right() - honorifics[0].right()) < 0.5,
                     qPrintable(u"様 of card %1 at"_qs.arg(count) + describe(h) +
                                u", the first at"_qs + describe(honorifics[0])));

        // A 様 belongs to the name whose line (column) it ends.
        QStringList owners;
        for (const Glyph& g : all)
            owners << owner(g.ch);
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (all[i].ch != u'様')
                continue;
            double nearest = 1e9;
            for (qsizetype j = 0; j < all.size(); ++j) {
                const double d = vertical ? qAbs(all[j].box.center().x() - all[i].box.center().x())
                                          : qAbs(all[j].box.center().y() - all[i].box.center().y());
                if (all[j].ch != u'様' && !owners[j].isEmpty() && d < nearest) {
                    nearest = d;
                    owners[i] = owners[j];
                }
            }
        }
        const QList<QRectF> boxes = postalBoxes(kind);
        // A layout that puts the joint-name field itself on the boxes leaves the names beside
        // it no way round them.
        const bool onBoxes = std::any_of(boxes.begin(), boxes.end(),
                                         [&](const QRectF& b) { return overlaps(firstField, b); });
        for (qsizetype i = 0; i < all.size(); ++i) {
            const QString& who = owners[i];
            if (who.isEmpty() || !who[0].isDigit())
                continue;
            const QString what = u"%1 (%2) on card %3"_qs.arg(all[i].ch).arg(who).arg(count);
            for (qsizetype j = 0; j < all.size(); ++j) {
                if (owners[j].isEmpty() || owners[j] == who)
                    continue;
                // How far the first name stands from the addressee is the layout's choice.
                const double gap = who == u"0"_qs && owners[j] == u"addressee"_qs ? 0.0 : spaced;
                QVERIFY2(!overlaps(all[i].box.adjusted(vertical ? -gap : 0, vertical ? 0 : -gap,
                                                       vertical ? gap : 0, vertical ? 0 : gap),
                                   all[j].box),
                         qPrintable(what + u" overlaps "_qs + all[j].ch + u" ("_qs + owners[j] +
                                    u")"_qs + describe(all[i].box) + describe(all[j].box)));
            }
            for (const QRectF& box : boxes)
                QVERIFY2(onBoxes || !overlaps(all[i].box, box),
                         qPrintable(what + u" lies on a postal box"_qs));
        }
    }
}

QTEST_MAIN(tst_JointNamePlaces)
#include "tst_JointNamePlaces.moc"
