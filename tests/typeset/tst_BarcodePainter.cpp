#include "typeset/BarcodePainter.h"

#include "compose/CustomerBarcode.h"

#include <QImage>
#include <QPainter>
#include <QTest>

class tst_BarcodePainter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void barsOnImage_data();
    void barsOnImage();
    void deviceUnitsOrigin();
    void naturalSize_data();
    void naturalSize();
};

namespace {

constexpr int Dpi = 600;
constexpr double MmPerPixel = 25.4 / Dpi;
constexpr double Tolerance = 0.05; // mm

QImage blankImage(double widthMm, double heightMm)
{
    QImage image(int(widthMm / MmPerPixel), int(heightMm / MmPerPixel), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(Dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    return image;
}

struct FoundBar
{
    double leftMm, widthMm, topMm, heightMm;
};

// Every run of dark columns is one bar; its dark rows give its top and height. A pixel is
// dark when it is more than half covered, so edges are found to half a pixel.
QList<FoundBar> scanBars(const QImage& image)
{
    const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    QList<FoundBar> bars;
    int x = 0;
    while (x < image.width()) {
        int top = image.height(), bottom = -1;
        const int left = x;
        for (; x < image.width(); ++x) {
            bool any = false;
            for (int y = 0; y < image.height(); ++y) {
                if (dark(x, y)) {
                    any = true;
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
            }
            if (!any)
                break;
        }
        if (x > left) {
            bars.append({left * MmPerPixel, (x - left) * MmPerPixel, top * MmPerPixel,
                         (bottom - top + 1) * MmPerPixel});
        }
        ++x;
    }
    return bars;
}

} // namespace

void tst_BarcodePainter::barsOnImage_data()
{
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<bool>("antialiased");
    QTest::addColumn<QPointF>("originMm");
    QTest::newRow("9 pt") << 9.0 << false << QPointF(3.0, 2.0);
    QTest::newRow("9 pt, origin between pixels") << 9.0 << false << QPointF(3.013, 2.029);
    QTest::newRow("9 pt, antialiased") << 9.0 << true << QPointF(3.013, 2.029);
    QTest::newRow("8 pt, smallest") << 8.0 << false << QPointF(2.5, 1.5);
    QTest::newRow("10 pt, published figures") << 10.0 << true << QPointF(2.5, 1.5);
    QTest::newRow("11.5 pt, largest") << 11.5 << false << QPointF(2.02, 1.51);
}

void tst_BarcodePainter::barsOnImage()
{
    QFETCH(double, pointSize);
    QFETCH(bool, antialiased);
    QFETCH(QPointF, originMm);

    const QString text = CustomerBarcode(u"10000131-3-2-503");
    QCOMPARE(text, u"(10000131-3-2-503DDDD9)"_qs);
    // Japan Post's published table: F long, A upper and D lower semi-long, T timing bar.
    const QString pattern = u"FD"_qs // start
                            + u"FFT"
                              u"FTT"
                              u"FTT"
                              u"FTT"
                              u"FTT"
                              u"FFT"
                              u"DFA"_qs // 1000013
                            + u"FFT"
                              u"TFT"
                              u"DFA"
                              u"TFT"
                              u"FDA"_qs // 1-3-2
                            + u"TFT"
                              u"FTF"
                              u"FTT"
                              u"DFA"_qs // -503
                            + u"TDA"_qs.repeated(4) +
                            u"TFF"
                            u"DF"_qs; // CC4, 9, stop
    QImage image = blankImage(100.0, 8.0);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, antialiased);
        BarcodePainter(pointSize).paintMm(painter, originMm, text);
    }

    const double scale = pointSize / 10.0;
    const double pitch = 1.2 * scale, width = 0.6 * scale, longBar = 3.6 * scale;
    const double semiLong = 2.4 * scale, timing = 1.2 * scale;
    const QList<FoundBar> bars = scanBars(image);
    QCOMPARE(bars.size(), 67);
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const FoundBar& bar = bars[i];
        double top = originMm.y(), height = longBar;
        switch (pattern.at(i).unicode()) {
        case u'A':
            height = semiLong;
            break;
        case u'D':
            top += longBar - semiLong;
            height = semiLong;
            break;
        case u'T':
            top += (longBar - timing) / 2;
            height = timing;
            break;
        }
        const QByteArray where = QByteArray::number(i) + ' ' + pattern.at(i).toLatin1();
        QVERIFY2(qAbs(bar.leftMm - (originMm.x() + i * pitch)) <= Tolerance, where);
        QVERIFY2(qAbs(bar.widthMm - width) <= Tolerance, where);
        QVERIFY2(qAbs(bar.topMm - top) <= Tolerance, where);
        QVERIFY2(qAbs(bar.heightMm - height) <= Tolerance, where);
    }
    const double lengthMm = bars.back().leftMm + bars.back().widthMm - bars.front().leftMm;
    QVERIFY2(qAbs(lengthMm - (66 * pitch + width)) <= Tolerance, QByteArray::number(lengthMm));
    if (pointSize == 9.0)
        QVERIFY2(qAbs(lengthMm - 71.8) <= Tolerance, QByteArray::number(lengthMm));
}

// In device units the origin is taken as it is; the bar sizes still follow the device.
void tst_BarcodePainter::deviceUnitsOrigin()
{
    const QString text = CustomerBarcode(u"1008792");
    QImage image = blankImage(80.0, 6.0);
    {
        QPainter painter(&image);
        BarcodePainter().paint(painter, QPointF(100.0, 40.0), text);
    }
    const QList<FoundBar> bars = scanBars(image);
    QCOMPARE(bars.size(), 67);
    QVERIFY(qAbs(bars.front().leftMm - 100.0 * MmPerPixel) <= Tolerance);
    QVERIFY(qAbs(bars.front().topMm - 40.0 * MmPerPixel) <= Tolerance); // start bar is long
    const double lengthMm = bars.back().leftMm + bars.back().widthMm - bars.front().leftMm;
    QVERIFY2(qAbs(lengthMm - 71.8) <= Tolerance, QByteArray::number(lengthMm));
}

// The natural size is the drawn extent; the box a layout reserves for it comes from the same
// figures.
void tst_BarcodePainter::naturalSize_data()
{
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole barcode at 9 pt") << 9.0 << CustomerBarcode(u"10000133-2-1");
    QTest::newRow("whole barcode at 11.5 pt") << 11.5 << CustomerBarcode(u"1");
    QTest::newRow("a few symbols") << 10.0 << QStringLiteral("(12)");
    QTest::newRow("below 8 pt draws at 8 pt") << 5.0 << CustomerBarcode(u"1");
    QTest::newRow("unknown characters take no room") << 9.0 << QStringLiteral("(1a2)");
}

void tst_BarcodePainter::naturalSize()
{
    QFETCH(double, pointSize);
    QFETCH(QString, text);
    const BarcodePainter barcode(pointSize);
    QImage image = blankImage(100.0, 8.0);
    {
        QPainter painter(&image);
        barcode.paintMm(painter, QPointF(1.0, 1.0), text);
    }
    const QList<FoundBar> bars = scanBars(image);
    QVERIFY(!bars.isEmpty());
    double bottom = 0.0;
    for (const FoundBar& bar : bars)
        bottom = std::max(bottom, bar.topMm + bar.heightMm);
    const QSizeF size = barcode.naturalSizeMm(text);
    const double drawnWidth = bars.back().leftMm + bars.back().widthMm - bars.front().leftMm;
    QVERIFY2(qAbs(size.width() - drawnWidth) <= Tolerance, QByteArray::number(size.width()));
    QVERIFY2(qAbs(size.height() - (bottom - 1.0)) <= Tolerance, QByteArray::number(size.height()));
    // Glyph-like advance: one pitch per bar, so the run ends one gap after the last bar.
    QCOMPARE(barcode.advanceMm(text), bars.size() * 1.2 * barcode.pointSize() / 10.0);

    if (text.size() == 23 && barcode.pointSize() == BarcodeGeometry::NaturalPointSize) {
        QCOMPARE(int(std::ceil(size.width() * 10.0 - 1e-9)),
                 BarcodeGeometry::naturalWidthTenthMm());
        QCOMPARE(int(std::ceil(size.height() * 10.0 - 1e-9)),
                 BarcodeGeometry::naturalHeightTenthMm());
        QCOMPARE(BarcodeGeometry::naturalWidthTenthMm(), 719);
        QCOMPARE(BarcodeGeometry::naturalHeightTenthMm(), 33);
    }
}

QTEST_MAIN(tst_BarcodePainter)
#include "tst_BarcodePainter.moc"
