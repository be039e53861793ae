// Repainting a card face at 100 % while a field is dragged: the TT face with its nine fields
// filled (vertical and horizontal, one squeezed, the barcode), against a floor: the same
// face picture and the same texts drawn by plain QPainter::drawText.

#include "RatioReporter.h"
#include "common/Prompter.h"
#include "compose/CustomerBarcode.h"
#include "controls/TShadowPanel.h"
#include "controls/TTateEdit.h"
#include "layout/LayoutTable.h"
#include "layout/LayoutUnits.h"
#include "preview/TfrmPreView.h"
#include "typeset/FontSubstitutes.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>

#include <map>

namespace {

class NoQuestions : public Prompter
{
public:
    void showMessage(const QString&) override {}
    void showError(const QString&) override {}
    bool confirm(const QString&, const QString&) override { return true; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
};

CardTexts texts()
{
    CardTexts t;
    t[LayoutItem::YubinNo1] = QStringLiteral("100");
    t[LayoutItem::YubinNo2] = QStringLiteral("0013");
    // Far longer than its column: squeezed.
    t[LayoutItem::Jyusho1] =
        QStringLiteral("東京都千代田区霞が関一丁目三番二号中央合同庁舎第二号館十二階北側");
    t[LayoutItem::Jyusho2] = QStringLiteral("霞が関ビル十二階（ＡＢＣ）");
    t[LayoutItem::Kaishamei] = QStringLiteral("株式会社サンプル");
    t[LayoutItem::Katagaki] = QStringLiteral("代表取締役");
    t[LayoutItem::Atena] = QStringLiteral("山田　太郎　様");
    t[LayoutItem::Renmei] = QStringLiteral("　　　花子　様");
    t[LayoutItem::PostCode] = CustomerBarcode(u"1000013-3-2");
    return t;
}

struct Face
{
    LayoutTable layouts;
    NoQuestions prompter;
    TfrmPreView window{&layouts, &prompter};
    QImage frame{378, 559, QImage::Format_ARGB32_Premultiplied};

    Face()
    {
        window.findChild<QComboBox*>(QStringLiteral("ComboBox1"))
            ->setCurrentText(QStringLiteral("100%"));
        window.show();
        window.setCardTexts(LayoutKind::TT, texts());
    }
};

void BM_FaceRepaint(benchmark::State& state)
{
    Face face;
    TShadowPanel* panel = face.window.face(LayoutKind::TT);
    if (panel->size() != QSize(378, 559))
        state.SkipWithError("the face is not at 100 %");
    for (auto _ : state) {
        panel->render(&face.frame);
        benchmark::DoNotOptimize(face.frame.constBits());
    }
    // To look at what was timed.
    if (const QString out = qEnvironmentVariable("TAYORI_BENCH_FRAME"); !out.isEmpty())
        face.frame.save(out);
}

void BM_FloorDrawText(benchmark::State& state)
{
    Face face;
    // The picture already at the face's size: the floor does no scaling.
    const QPixmap picture = face.window.face(LayoutKind::TT)
                                ->Picture()
                                .scaled(370, 551, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const CardTexts t = texts();
    for (auto _ : state) {
        QPainter painter(&face.frame);
        painter.drawPixmap(0, 0, picture);
        for (int i = 0; i < LayoutItemCount; ++i) {
            const LayoutItemRecord& r = face.layouts.record(LayoutKind::TT, LayoutItem(i));
            QFont font(r.FontName);
            font.setPixelSize(LayoutUnits::pointsToFontPixelsAtZoom(r.FontSize, 100, 96));
            painter.setFont(font);
            painter.drawText(QPoint(LayoutUnits::tenthMmToPixels(r.X, 96),
                                    LayoutUnits::tenthMmToPixels(r.Y, 96)),
                             t.text[size_t(i)]);
        }
        painter.end();
        benchmark::DoNotOptimize(face.frame.constBits());
    }
}

BENCHMARK(BM_FaceRepaint)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FloorDrawText)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FontSubstitutes::install();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter([](const RatioReporter::Times& t) {
        const double r = RatioReporter::ratio(t, "BM_FaceRepaint", "BM_FloorDrawText");
        if (r > 0)
            std::printf("face repaint %.2f ms a frame (goal: at most 4); / drawText floor: %.2f "
                        "(goal: at most 2; real time, CPU time is steadier on a busy machine)\n",
                        RatioReporter::ms(t, "BM_FaceRepaint"), r);
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
