#include "PreviewWindow.h"
#include "common/SessionOptions.h"
#include "controls/TShadowPanel.h"
#include "controls/TStretchHandle.h"
#include "controls/TTateEdit.h"
#include "print/CardRenderer.h"
#include "print/PdfFileDevice.h"

#include <QApplication>
#include <QMap>
#include <QPainter>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <vector>

// The face is what prints: every field of every kind, shown on the preview and printed on a
// postcard whose PDF is rasterised at the face's resolution, has its ink in the same place
// within a pixel, as laid out and after a drag, a nudge or an alignment made on the face.

namespace {

enum class Edit
{
    None,
    Drag,
    Nudge,
    AlignTops,
};

const char* editName(Edit e)
{
    switch (e) {
    case Edit::None:
        return "as laid out";
    case Edit::Drag:
        return "after a drag";
    case Edit::Nudge:
        return "after a nudge";
    case Edit::AlignTops:
        return "after aligning tops";
    }
    return "";
}

// A text for each field that reads the same upright and in a column.
CardTexts textOf(LayoutItem item)
{
    const QString texts[LayoutItemCount] = {
        u"100"_qs,
        u"0013"_qs,
        u"東京都千代田区霞が関一丁目"_qs,
        u"霞が関ビル十階"_qs,
        u"株式会社たより"_qs,
        u"営業部長"_qs,
        u"山田太郎様"_qs,
        u"花子様"_qs,
        u"(1000013-3-2DDDDDDDDDE)"_qs,
        u"〒248-0005"_qs,
        u"神奈川県鎌倉市"_qs,
        u"雪ノ下ハイツ"_qs,
        u"鶴見商店"_qs,
        u"鶴見翼"_qs,
        u"葵"_qs,
    };
    CardTexts t;
    t[item] = texts[int(item)];
    return t;
}

// What a face does to a field before it is compared with the paper.
enum class Change
{
    NoPrint,       // 非印刷 ticked: the face marks it, the paper goes without
    MovedAutoOff,  // moved with 自動更新 off, then let go of without 更新
    TurnedByCtrlY, // Ctrl+Y pressed in it in 編集 mode
    DarkTheme,     // the desktop's colours are light text on dark
};

// The bounding box of the dark pixels.
QRect inkOf(const QImage& image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 144)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// The largest difference of two boxes' edges.
int offset(const QRect& a, const QRect& b)
{
    return std::max({std::abs(a.left() - b.left()), std::abs(a.top() - b.top()),
                     std::abs(a.right() - b.right()), std::abs(a.bottom() - b.bottom())});
}

QString text(const QRect& r)
{
    return u"(%1,%2)-(%3,%4)"_qs.arg(r.left()).arg(r.top()).arg(r.right()).arg(r.bottom());
}

struct Face : PreviewWindow
{
    Face(LayoutKind kind, Edit edit, int zoom)
    {
        window.setCurrentKind(kind);
        window.setKindButtons(kind);
        setZoom(QString::number(zoom) + u'%');
        window.reshow();
        // The plain card: only the field's own ink.
        ui.Button3->click();
        switch (edit) {
        case Edit::None:
            break;
        case Edit::Drag: {
            window.editField(window.field(LayoutItem::Atena, kind), false);
            TStretchHandle* handle = window.StretchHandle1();
            const QPoint from(handle->width() / 2, handle->height() / 2 + 5);
            QTest::mousePress(handle, Qt::LeftButton, {}, from);
            QTest::mouseMove(handle, from + QPoint(-17, 23));
            QTest::mouseRelease(handle, Qt::LeftButton, {}, from + QPoint(-17, 23));
            window.ReleaseSelection(false);
            break;
        }
        case Edit::Nudge: {
            window.editField(window.field(LayoutItem::Atena, kind), false);
            for (int n = 0; n < 5; ++n)
                QTest::keyClick(window.StretchHandle1(), Qt::Key_Left);
            for (int n = 0; n < 3; ++n)
                QTest::keyClick(window.StretchHandle1(), Qt::Key_Down, Qt::ControlModifier);
            window.ReleaseSelection(false);
            break;
        }
        case Edit::AlignTops:
            window.editField(window.field(LayoutItem::Katagaki, kind), false);
            window.editField(window.field(LayoutItem::Kaishamei, kind), true);
            window.editField(window.field(LayoutItem::Atena, kind), true);
            window.alignTargets(1);
            window.ReleaseSelection(false);
            break;
        }
        // Made at another zoom, the edit is seen at 100 %, where a pixel is the paper's at
        // 96 dpi.
        if (zoom != 100)
            setZoom(u"100%"_qs);
    }

    QRect shownInk(LayoutItem item)
    {
        window.setCardTexts(window.CurrentKind(), textOf(item));
        // The card, without the shadow beside it.
        const CardGeometry g = window.faceGeometry();
        return inkOf(window.face(window.CurrentKind())
                         ->grab(QRect(QPoint(), g.cardSize(isLandscape(window.CurrentKind()))))
                         .toImage());
    }
};

} // namespace

Q_DECLARE_METATYPE(LayoutKind)
Q_DECLARE_METATYPE(LayoutItem)
Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Change)

class tst_FaceVersusPaper : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void fieldInkOnFaceAndPaper_data();
    void fieldInkOnFaceAndPaper();
    void boxedDigitsOnFaceAndPaper_data();
    void boxedDigitsOnFaceAndPaper();
    void shownAsPrinted_data();
    void shownAsPrinted();
    void cleanupTestCase();

private:
    // The printed ink of each card, one page each, rasterised at `dpi`.
    QList<QRect> printedInk(const LayoutTable& layouts, LayoutKind kind, double dpi,
                            const QList<CardTexts>& cards, const SessionOptions& options = {});

    QTemporaryDir m_dir;
    QMap<QString, QList<QRect>> m_printed;
    int m_runs = 0;
    // For each kind: the largest edge difference in pixels, and how many fields had each.
    QMap<QString, QMap<int, int>> m_offsets;
};

void tst_FaceVersusPaper::initTestCase()
{
    if (QStandardPaths::findExecutable(u"pdftoppm"_qs).isEmpty())
        QSKIP("poppler-utils (pdftoppm) is needed");
    QVERIFY(m_dir.isValid());
}

QList<QRect> tst_FaceVersusPaper::printedInk(const LayoutTable& layouts, LayoutKind kind,
                                             double dpi, const QList<CardTexts>& cards,
                                             const SessionOptions& options)
{
    const QString base = m_dir.filePath(u"card%1"_qs.arg(m_runs++));
    const QString pdf = base + u".pdf"_qs;
    {
        PdfFileDevice device(pdf);
        device.setPaper(QPageSize(QSizeF(100, 148), QPageSize::Millimeter, u"postcard"_qs),
                        isLandscape(kind) ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (!device.beginDocument())
            return {};
        const CardRenderer renderer(layouts, options);
        for (qsizetype i = 0; i < cards.size(); ++i) {
            if (i > 0)
                device.newPage();
            renderer.DrawCard(kind, *device.painter(), cards[i], CardPlacement());
        }
        device.endDocument();
    }
    QProcess pdftoppm;
    pdftoppm.start(u"pdftoppm"_qs, {u"-r"_qs, QString::number(dpi), u"-png"_qs, pdf, base});
    pdftoppm.waitForFinished(60000);
    QList<QRect> inks;
    for (qsizetype i = 1; i <= cards.size(); ++i)
        // pdftoppm pads page numbers to the width of the last one.
        inks << inkOf(QImage(u"%1-%2.png"_qs.arg(base).arg(
            i, int(QString::number(cards.size()).size()), 10, QChar(u'0'))));
    return inks;
}

void tst_FaceVersusPaper::fieldInkOnFaceAndPaper_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<LayoutItem>("item");
    // At 100 %, and at the 90 % the window opens with, edited there.
    const std::pair<int, std::vector<Edit>> runs[] = {
        {100, {Edit::None, Edit::Drag, Edit::Nudge, Edit::AlignTops}},
        {90, {Edit::Drag, Edit::Nudge, Edit::AlignTops}}};
    for (const auto& [zoom, edits] : runs)
        for (int k = 0; k < LayoutKindCount; ++k)
            for (const Edit edit : edits)
                for (int i = 0; i < LayoutItemCount; ++i)
                    QTest::addRow("edited at %d, %s %s %s", zoom,
                                  qPrintable(layoutKindName(LayoutKind(k))),
                                  qPrintable(layoutItemName(LayoutItem(i))), editName(edit))
                        << zoom << LayoutKind(k) << edit << LayoutItem(i);
}

void tst_FaceVersusPaper::fieldInkOnFaceAndPaper()
{
    QFETCH(int, zoom);
    QFETCH(LayoutKind, kind);
    QFETCH(Edit, edit);
    QFETCH(LayoutItem, item);

    Face face(kind, edit, zoom);
    QCOMPARE(face.window.Zoom(), 100.0);

    // The paper at the face's resolution.
    const QString key = QString::number(zoom) + layoutKindName(kind) + editName(edit);
    if (!m_printed.contains(key)) {
        QList<CardTexts> cards;
        for (int i = 0; i < LayoutItemCount; ++i)
            cards << textOf(LayoutItem(i));
        m_printed[key] = printedInk(face.layouts, kind, CardGeometry::ScreenDpi, cards);
    }
    const QList<QRect>& printed = m_printed[key];
    QCOMPARE(printed.size(), LayoutItemCount);

    const QRect paper = printed[int(item)];
    const QRect shown = face.shownInk(item);
    QVERIFY2(!paper.isEmpty(), "nothing printed");
    ++m_offsets[layoutKindName(kind)][offset(shown, paper)];
    QVERIFY2(offset(shown, paper) <= 1,
             qPrintable(u"face %1, paper %2"_qs.arg(text(shown), text(paper))));
}

void tst_FaceVersusPaper::boxedDigitsOnFaceAndPaper_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::newRow("TT") << LayoutKind::TT;
    QTest::newRow("TY") << LayoutKind::TY;
    QTest::newRow("YT, turned down the right edge") << LayoutKind::YT;
    QTest::newRow("YY, turned down the right edge") << LayoutKind::YY;
}

// With 郵便番号を枠に合わせる the digits the face shows in the boxes are the printed ones.
void tst_FaceVersusPaper::boxedDigitsOnFaceAndPaper()
{
    QFETCH(LayoutKind, kind);
    SessionOptions options;
    options.zipInBoxes = {true, true, true, true};
    CardTexts texts;
    texts[LayoutItem::YubinNo1] = u"100"_qs;
    texts[LayoutItem::YubinNo2] = u"0013"_qs;

    Face face(kind, Edit::None, 100);
    face.window.setSessionOptions(&options);
    face.window.setCardTexts(kind, texts);
    const CardGeometry g = face.window.faceGeometry();
    const QRect shown = inkOf(
        face.window.face(kind)->grab(QRect(QPoint(), g.cardSize(isLandscape(kind)))).toImage());
    const QList<QRect> printed =
        printedInk(face.layouts, kind, CardGeometry::ScreenDpi, {texts}, options);
    QCOMPARE(printed.size(), 1);
    QVERIFY2(!printed[0].isEmpty(), "nothing printed");
    ++m_offsets[layoutKindName(kind) + u" digits in the boxes"_qs][offset(shown, printed[0])];
    QVERIFY2(offset(shown, printed[0]) <= 1,
             qPrintable(u"face %1, paper %2"_qs.arg(text(shown), text(printed[0]))));
}

void tst_FaceVersusPaper::shownAsPrinted_data()
{
    QTest::addColumn<LayoutKind>("kind");
    QTest::addColumn<LayoutItem>("item");
    QTest::addColumn<Change>("change");
    const std::pair<LayoutKind, LayoutItem> fields[] = {
        {LayoutKind::TT, LayoutItem::Atena},  {LayoutKind::TT, LayoutItem::Jyusho1},
        {LayoutKind::TT, LayoutItem::Renmei}, {LayoutKind::TT, LayoutItem::PostCode},
        {LayoutKind::YY, LayoutItem::Atena},  {LayoutKind::YY, LayoutItem::SenderName}};
    const std::pair<Change, const char*> changes[] = {{Change::NoPrint, "非印刷"},
                                                      {Change::MovedAutoOff, "moved, 自動更新 off"},
                                                      {Change::TurnedByCtrlY, "Ctrl+Y"},
                                                      {Change::DarkTheme, "dark theme"}};
    for (const auto& [change, name] : changes)
        for (const auto& [kind, item] : fields) {
            const bool turns = item != LayoutItem::PostCode && item != LayoutItem::SenderName;
            const bool moves = item == LayoutItem::Atena;
            if ((change == Change::TurnedByCtrlY && !turns) ||
                (change == Change::MovedAutoOff && !moves))
                continue;
            QTest::addRow("%s %s, %s", qPrintable(layoutKindName(kind)),
                          qPrintable(layoutItemName(item)), name)
                << kind << item << change;
        }
}

// What the face shows of a field, after a change made there, is what the card gets: the same
// ink in the same place, or, for a field that does not print, no printed-looking ink and a
// mark where it stands.
void tst_FaceVersusPaper::shownAsPrinted()
{
    QFETCH(LayoutKind, kind);
    QFETCH(LayoutItem, item);
    QFETCH(Change, change);

    const QPalette desktop = QApplication::palette();
    if (change == Change::DarkTheme) {
        QPalette dark = desktop;
        for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
            dark.setColor(role, QColor(35, 35, 38));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(235, 235, 235));
        QApplication::setPalette(dark);
    }
    const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop); });

    Face face(kind, Edit::None, 100);
    TfrmPreView& w = face.window;
    CardTexts texts = textOf(item);
    if (item == LayoutItem::Renmei)
        texts[item] += QChar(CardTexts::NameBreak) + u"一郎様"_qs;
    w.setCardTexts(kind, texts);
    TTateEdit* field = w.field(item, kind);
    const LayoutTable before = face.layouts;
    switch (change) {
    case Change::NoPrint:
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseClick(face.ui.chkNoPrint, Qt::LeftButton);
        QVERIFY(face.layouts.record(kind, item).NoPrint);
        break;
    case Change::MovedAutoOff: {
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseClick(face.ui.chkAutoUpdate, Qt::LeftButton);
        w.editField(field, false);
        for (int n = 0; n < 12; ++n)
            QTest::keyClick(w.StretchHandle1(), Qt::Key_Left);
        // A click on the card beside the fields lets go of it.
        QTest::mouseClick(w.face(kind), Qt::LeftButton, {}, QPoint(5, 300));
        QVERIFY(!w.StretchHandle1()->Attached());
        QCOMPARE(face.layouts, before);
        break;
    }
    case Change::TurnedByCtrlY:
        QTest::mouseClick(face.ui.chkEdit, Qt::LeftButton);
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(!field->ReadOnly());
        QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(field->Text(), texts[item].section(QChar(CardTexts::NameBreak), 0, 0));
        QTest::mouseClick(face.ui.chkEdit, Qt::LeftButton);
        break;
    case Change::DarkTheme:
        break;
    }

    const CardGeometry g = w.faceGeometry();
    const QImage shown =
        w.face(kind)->grab(QRect(QPoint(), g.cardSize(isLandscape(kind)))).toImage();
    const QList<QRect> printed = printedInk(face.layouts, kind, CardGeometry::ScreenDpi, {texts});
    QCOMPARE(printed.size(), 1);
    const QRect shownInk = inkOf(shown);
    if (change != Change::NoPrint) {
        QVERIFY2(!printed[0].isEmpty(), "nothing printed");
        QVERIFY2(offset(shownInk, printed[0]) <= 1,
                 qPrintable(u"face %1, paper %2"_qs.arg(text(shownInk), text(printed[0]))));
        return;
    }
    QVERIFY2(printed[0].isEmpty(), qPrintable(text(printed[0])));
    QVERIFY2(shownInk.isEmpty(), qPrintable(text(shownInk)));
    // Something of the field is there to see, and marked.
    int grey = 0, marked = 0;
    const QRect at = field->geometry() & shown.rect();
    for (int y = at.top(); y <= at.bottom(); ++y)
        for (int x = at.left(); x <= at.right(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            grey += c.red() < 200 && std::abs(c.red() - c.blue()) < 12;
            marked += c.red() > 200 && c.green() < 160 && c.blue() < 160;
        }
    QVERIFY2(grey > 0 && marked > 0, qPrintable(u"grey %1, marked %2"_qs.arg(grey).arg(marked)));
}

void tst_FaceVersusPaper::cleanupTestCase()
{
    for (auto kind = m_offsets.cbegin(); kind != m_offsets.cend(); ++kind) {
        QStringList counts;
        for (auto off = kind->cbegin(); off != kind->cend(); ++off)
            counts << u"%1 at %2 px"_qs.arg(off.value()).arg(off.key());
        qInfo("%s: worst ink edge, face against paper: %d px (fields: %s)", qPrintable(kind.key()),
              kind->lastKey(), qPrintable(counts.join(u", "_qs)));
    }
}

QTEST_MAIN(tst_FaceVersusPaper)
#include "tst_FaceVersusPaper.moc"
