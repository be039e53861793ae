#include "layout/LayoutUnits.h"

#include <QTest>

namespace {
enum class Conversion
{
    TenthMmToPixels,
    PixelsToTenthMm,
    PointsToPixels,
    PointsToTenthMm,
    TenthMmToPixelsAtZoom,
    PointsToFontPixelsAtZoom,
    PixelsAtZoomToTenthMm,
};
}
Q_DECLARE_METATYPE(Conversion)

class tst_LayoutUnits : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void conversions_data();
    void conversions();
};

void tst_LayoutUnits::conversions_data()
{
    QTest::addColumn<Conversion>("conversion");
    QTest::addColumn<double>("input");
    QTest::addColumn<double>("zoom");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("expected");
    using C = Conversion;

    QTest::newRow("mm->px 96: 42.0 mm") << C::TenthMmToPixels << 420.0 << 100.0 << 96.0 << 159;
    QTest::newRow("mm->px 96: card height") << C::TenthMmToPixels << 1480.0 << 100.0 << 96.0 << 559;
    QTest::newRow("mm->px 96: rounds up") << C::TenthMmToPixels << 4.0 << 100.0 << 96.0 << 2;
    QTest::newRow("mm->px 96: 0 gives 1") << C::TenthMmToPixels << 0.0 << 100.0 << 96.0 << 1;
    QTest::newRow("mm->px 96: negative gives 1")
        << C::TenthMmToPixels << -100.0 << 100.0 << 96.0 << 1;
    QTest::newRow("mm->px 600: 42.0 mm") << C::TenthMmToPixels << 420.0 << 100.0 << 600.0 << 992;
    QTest::newRow("mm->px 600: input 1 gives 1")
        << C::TenthMmToPixels << 1.0 << 100.0 << 600.0 << 1;
    QTest::newRow("mm->px 127: half away from zero")
        << C::TenthMmToPixels << 5.0 << 100.0 << 127.0 << 3;

    QTest::newRow("px->mm 96: barcode width of old")
        << C::PixelsToTenthMm << 221.0 << 100.0 << 96.0 << 585;
    QTest::newRow("px->mm 96: barcode height of old")
        << C::PixelsToTenthMm << 21.0 << 100.0 << 96.0 << 56;
    QTest::newRow("px->mm 96: half away from zero")
        << C::PixelsToTenthMm << 24.0 << 100.0 << 96.0 << 64;
    QTest::newRow("px->mm 96: input 1 gives 1") << C::PixelsToTenthMm << 1.0 << 100.0 << 96.0 << 1;
    QTest::newRow("px->mm 96: left edge gives 1")
        << C::PixelsToTenthMm << 0.0 << 100.0 << 96.0 << 1;
    QTest::newRow("px->mm 120") << C::PixelsToTenthMm << 221.0 << 100.0 << 120.0 << 468;
    QTest::newRow("px->mm 600: below 1 gives 1")
        << C::PixelsToTenthMm << 2.0 << 100.0 << 600.0 << 1;

    QTest::newRow("pt->px 96: 13 pt") << C::PointsToPixels << 13.0 << 100.0 << 96.0 << 17;
    QTest::newRow("pt->px 96: 10.5 pt") << C::PointsToPixels << 10.5 << 100.0 << 96.0 << 14;
    QTest::newRow("pt->px 96: tiny gives 1") << C::PointsToPixels << 0.3 << 100.0 << 96.0 << 1;
    QTest::newRow("pt->px 120: half away from zero")
        << C::PointsToPixels << 10.5 << 100.0 << 120.0 << 18;
    QTest::newRow("pt->px 120: 1.0 gives 1") << C::PointsToPixels << 1.0 << 100.0 << 120.0 << 1;
    QTest::newRow("pt->px 120: 1.1 converts") << C::PointsToPixels << 1.1 << 100.0 << 120.0 << 2;

    QTest::newRow("pt->mm: 10 pt") << C::PointsToTenthMm << 10.0 << 100.0 << 96.0 << 35;
    QTest::newRow("pt->mm: one inch") << C::PointsToTenthMm << 72.0 << 100.0 << 96.0 << 254;
    QTest::newRow("pt->mm: 1.0 gives 1") << C::PointsToTenthMm << 1.0 << 100.0 << 96.0 << 1;
    QTest::newRow("pt->mm: tiny gives 1") << C::PointsToTenthMm << 0.1 << 100.0 << 96.0 << 1;

    QTest::newRow("mm->px zoom 50: half away from zero")
        << C::TenthMmToPixelsAtZoom << 420.0 << 50.0 << 96.0 << 80;
    QTest::newRow("mm->px zoom 90") << C::TenthMmToPixelsAtZoom << 420.0 << 90.0 << 96.0 << 143;
    QTest::newRow("mm->px zoom 50: 0 mm") << C::TenthMmToPixelsAtZoom << 0.0 << 50.0 << 96.0 << 1;
    QTest::newRow("mm->px zoom 100 at 600")
        << C::TenthMmToPixelsAtZoom << 420.0 << 100.0 << 600.0 << 992;

    QTest::newRow("font px zoom 150: half away from zero")
        << C::PointsToFontPixelsAtZoom << 13.0 << 150.0 << 96.0 << 26;
    QTest::newRow("font px zoom 90") << C::PointsToFontPixelsAtZoom << 12.0 << 90.0 << 96.0 << 14;
    QTest::newRow("font px zoom 100 at 120")
        << C::PointsToFontPixelsAtZoom << 10.5 << 100.0 << 120.0 << 18;

    QTest::newRow("px@zoom->mm 50") << C::PixelsAtZoomToTenthMm << 80.0 << 50.0 << 96.0 << 423;
    QTest::newRow("px@zoom->mm 100") << C::PixelsAtZoomToTenthMm << 159.0 << 100.0 << 96.0 << 421;
    QTest::newRow("px@zoom->mm 90") << C::PixelsAtZoomToTenthMm << 45.0 << 90.0 << 96.0 << 132;
    QTest::newRow("px@zoom->mm 127: half away from zero")
        << C::PixelsAtZoomToTenthMm << 3.0 << 80.0 << 127.0 << 8;
    QTest::newRow("px@zoom->mm: input 1 gives 1")
        << C::PixelsAtZoomToTenthMm << 1.0 << 50.0 << 96.0 << 1;
    QTest::newRow("px@zoom->mm: left edge gives 1")
        << C::PixelsAtZoomToTenthMm << 0.0 << 100.0 << 96.0 << 1;
    QTest::newRow("px@zoom->mm: zoom 0 gives 1")
        << C::PixelsAtZoomToTenthMm << 10.0 << 0.0 << 96.0 << 1;
}

void tst_LayoutUnits::conversions()
{
    QFETCH(Conversion, conversion);
    QFETCH(double, input);
    QFETCH(double, zoom);
    QFETCH(double, dpi);
    QFETCH(int, expected);
    const int whole = int(input);
    int got = 0;
    switch (conversion) {
    case Conversion::TenthMmToPixels:
        got = LayoutUnits::tenthMmToPixels(whole, dpi);
        break;
    case Conversion::PixelsToTenthMm:
        got = LayoutUnits::pixelsToTenthMm(whole, dpi);
        break;
    case Conversion::PointsToPixels:
        got = LayoutUnits::pointsToPixels(input, dpi);
        break;
    case Conversion::PointsToTenthMm:
        got = LayoutUnits::pointsToTenthMm(input);
        break;
    case Conversion::TenthMmToPixelsAtZoom:
        got = LayoutUnits::tenthMmToPixelsAtZoom(whole, zoom, dpi);
        break;
    case Conversion::PointsToFontPixelsAtZoom:
        got = LayoutUnits::pointsToFontPixelsAtZoom(input, zoom, dpi);
        break;
    case Conversion::PixelsAtZoomToTenthMm:
        got = LayoutUnits::pixelsAtZoomToTenthMm(whole, zoom, dpi);
        break;
    }
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(tst_LayoutUnits)
#include "tst_LayoutUnits.moc"
