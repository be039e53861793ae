// Printing 500 cards four to an A4 sheet into a PDF, against a floor: the same 125 pages
// with the same nine texts per card drawn by plain QPainter::drawText, no per-character work.

#include "RatioReporter.h"
#include "addresslist/AddressGrid.h"
#include "addresslist/HeaderColumns.h"
#include "common/Prompter.h"
#include "common/SessionOptions.h"
#include "layout/LayoutTable.h"
#include "print/PdfFileDevice.h"
#include "print/PrintHost.h"
#include "print/PrintJob.h"
#include "typeset/FontSubstitutes.h"
#include "typeset/ScreenTextMeasure.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <map>

namespace {

constexpr int Cards = 500;
constexpr int Dpi = 1200;

class QuietHost : public PrintHost
{
public:
    QString start = QStringLiteral("1"), end = QString::number(Cards), startOfPaper;
    void showStatus(const QString&) override {}
    void showRowText(const QString&) override {}
    QString startLineText() const override { return start; }
    void setStartLineText(const QString& t) override { start = t; }
    QString endLineText() const override { return end; }
    void setEndLineText(const QString& t) override { end = t; }
    QString startOfPaperText() const override { return startOfPaper; }
    void setStartOfPaperText(const QString& t) override { startOfPaper = t; }
    QString hoseiXText() const override { return {}; }
    QString hoseiYText() const override { return {}; }
    void setPrinting(bool) override {}
    void processEvents() override {}
    bool abortRequested() const override { return false; }
    void setAbortRequested(bool) override {}
};

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

struct List
{
    AddressGrid grid;
    List()
    {
        grid.setRowCount(Cards + 1);
        QStringList header{QString()};
        for (QStringView name : HeaderColumns::HeaderNames)
            header << name.toString();
        grid.setRowCells(0, header);
        for (int r = 1; r <= Cards; ++r)
            grid.setRowCells(
                r, {QString::number(r), QStringLiteral("山田 太郎%1").arg(r),
                    QStringLiteral("100-0013"), QStringLiteral("東京都千代田区霞が関%1-3-2").arg(r),
                    QStringLiteral("霞が関ビル十二階"), QStringLiteral("株式会社サンプル"),
                    QStringLiteral("代表取締役"), QStringLiteral("様"), QStringLiteral("花子"),
                    QStringLiteral("様"), QStringLiteral("1000013-3-2"), QStringLiteral("1")});
    }
};

void BM_PrintCards(benchmark::State& state)
{
    QTemporaryDir dir;
    const LayoutTable layouts;
    SessionOptions options;
    options.useCustomerBarcode = true;
    for (auto _ : state) {
        List list;
        QuietHost host;
        NoQuestions prompter;
        PdfFileDevice device(dir.filePath(QStringLiteral("cards.pdf")), Dpi);
        PrintJob job(list.grid, layouts, options, ScreenTextMeasure(), device, host, prompter);
        const PrintJob::Result result =
            job.btnPrintClick({PaperKind::A4, LayoutKind::TT, false, false});
        if (result.cards != Cards)
            state.SkipWithError("not every card printed");
    }
    state.counters["cards/s"] =
        benchmark::Counter(double(Cards) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_FloorDrawText(benchmark::State& state)
{
    QTemporaryDir dir;
    const LayoutTable layouts;
    for (auto _ : state) {
        QPdfWriter writer(dir.filePath(QStringLiteral("floor.pdf")));
        writer.setResolution(Dpi);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, {}));
        QPainter painter(&writer);
        for (int card = 0; card < Cards; ++card) {
            if (card > 0 && card % 4 == 0)
                writer.newPage();
            const QPoint slot = CardRenderer::SlotOffset(LayoutKind::TT, 4, card + 1);
            for (int i = 0; i < LayoutItemCount; ++i) {
                const LayoutItemRecord& r = layouts.record(LayoutKind::TT, LayoutItem(i));
                QFont font(r.FontName);
                font.setPointSizeF(r.FontSize);
                painter.setFont(font);
                painter.drawText(QPoint(CardRenderer::toDevice(r.X + slot.x(), Dpi),
                                        CardRenderer::toDevice(r.Y + slot.y(), Dpi)),
                                 QStringLiteral("東京都千代田区霞が関%1").arg(card));
            }
        }
    }
    state.counters["cards/s"] =
        benchmark::Counter(double(Cards) * state.iterations(), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_PrintCards)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FloorDrawText)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    FontSubstitutes::install();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter([](const RatioReporter::Times& t) {
        if (const double r = RatioReporter::ratio(t, "BM_PrintCards", "BM_FloorDrawText"))
            std::printf("print run / drawText floor: %.2f (goal: at most 2)\n", r);
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
