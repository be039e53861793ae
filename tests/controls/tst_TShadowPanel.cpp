#include "controls/TShadowPanel.h"

#include <QTest>

namespace {
const QColor Shadow(40, 60, 80);
const QColor Back(240, 200, 160);
const QColor Face(Qt::white);

QColor mix(int inner, int outer, int shade = 5)
{
    return QColor((inner * Shadow.red() + outer * Back.red()) / shade,
                  (inner * Shadow.green() + outer * Back.green()) / shade,
                  (inner * Shadow.blue() + outer * Back.blue()) / shade);
}
} // namespace

class tst_TShadowPanel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pixels_data();
    void pixels();
    void shadowShowKeepsOffsets();
    void childrenKeepToTheFace();
};

// A 100 x 60 panel, Shade 5: what each place of it shows.
void tst_TShadowPanel::pixels_data()
{
    QTest::addColumn<int>("horz");
    QTest::addColumn<int>("vert");
    QTest::addColumn<bool>("shadowShow");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("face top-left") << 8 << 8 << true << false << QPoint(0, 0) << Face;
    QTest::newRow("face's last pixel") << 8 << 8 << true << false << QPoint(91, 51) << Face;
    QTest::newRow("outer ring, right") << 8 << 8 << true << false << QPoint(99, 30) << mix(1, 4);
    QTest::newRow("outer ring, bottom") << 8 << 8 << true << false << QPoint(50, 59) << mix(1, 4);
    QTest::newRow("second ring") << 8 << 8 << true << false << QPoint(98, 30) << mix(2, 3);
    QTest::newRow("innermost ring") << 8 << 8 << true << false << QPoint(95, 30) << Shadow;
    QTest::newRow("inside the rings") << 8 << 8 << true << false << QPoint(93, 30) << Shadow;
    QTest::newRow("top-right corner") << 8 << 8 << true << false << QPoint(95, 3) << Back;
    QTest::newRow("bottom-left corner") << 8 << 8 << true << false << QPoint(3, 55) << Back;
    QTest::newRow("shadow to the left, ring")
        << -8 << 8 << true << false << QPoint(0, 30) << mix(1, 4);
    QTest::newRow("shadow to the left, corner") << -8 << 8 << true << false << QPoint(3, 3) << Back;
    QTest::newRow("shadow off: all face") << 8 << 8 << false << false << QPoint(99, 30) << Face;
    QTest::newRow("picture over the face")
        << 8 << 8 << true << true << QPoint(91, 51) << QColor(Qt::red);
    QTest::newRow("picture leaves the shadow")
        << 8 << 8 << true << true << QPoint(95, 30) << Shadow;
}

void tst_TShadowPanel::pixels()
{
    QFETCH(int, horz);
    QFETCH(int, vert);
    QFETCH(bool, shadowShow);
    QFETCH(bool, picture);
    QFETCH(QPoint, at);
    QFETCH(QColor, expected);

    TShadowPanel panel;
    panel.resize(100, 60);
    panel.setShadowColor(Shadow);
    panel.setBackColor(Back);
    panel.setHorzOffset(horz);
    panel.setVertOffset(vert);
    panel.setShadowShow(shadowShow);
    if (picture) {
        QPixmap red(10, 10);
        red.fill(Qt::red);
        panel.setPicture(red);
    }
    const QImage image = panel.grab().toImage();
    QCOMPARE(image.size(), QSize(100, 60));
    QCOMPARE(image.pixelColor(at), expected);
}

void tst_TShadowPanel::shadowShowKeepsOffsets()
{
    TShadowPanel panel;
    panel.setHorzOffset(5);
    panel.setVertOffset(-3);
    panel.setShadowShow(false);
    QCOMPARE(panel.HorzOffset(), 0);
    QCOMPARE(panel.VertOffset(), 0);
    panel.setShadowShow(true);
    QCOMPARE(panel.HorzOffset(), 5);
    QCOMPARE(panel.VertOffset(), -3);
}

void tst_TShadowPanel::childrenKeepToTheFace()
{
    TShadowPanel panel;
    panel.resize(100, 60);
    panel.setHorzOffset(-6);
    panel.setVertOffset(4);
    QCOMPARE(panel.contentsRect(), QRect(6, 0, 94, 56));
    QCOMPARE(panel.faceRect(), panel.contentsRect());

    QPixmap picture(70, 30);
    picture.fill(Qt::blue);
    panel.setAutoSize(true);
    panel.setPicture(picture);
    QCOMPARE(panel.size(), QSize(64, 34));
}

QTEST_MAIN(tst_TShadowPanel)
#include "tst_TShadowPanel.moc"
