// The postal-code table: loading it (against the floor of reading the file's bytes), the
// memory it takes, one lookup by code (against a plain binary search over the same codes)
// and the check of one address.

#include "RatioReporter.h"
#include "postal/AddressMatch.h"
#include "postal/PostalIndex.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>

namespace {

QString dataFile()
{
    static const QString path = PostalIndex::findDataFile();
    return path;
}

// Resident memory of this process in bytes.
long residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4096 : 0;
}

// Codes spread over the whole table, the same for the lookup and its floor.
const std::vector<quint32>& sampleCodes()
{
    static const std::vector<quint32> codes = [] {
        std::vector<quint32> all;
        const PostalIndex& index = PostalIndex::shared();
        for (int c = 0; c < index.cityCount(); ++c)
            for (const PostalIndex::CityTown& t : index.townsOfCity(c))
                all.push_back(t.code);
        std::mt19937 random(19);
        std::shuffle(all.begin(), all.end(), random);
        all.resize(std::min<size_t>(all.size(), 4096));
        return all;
    }();
    return codes;
}

void BM_Load(benchmark::State& state)
{
    for (auto _ : state) {
        PostalIndex index;
        if (!index.load(dataFile()))
            state.SkipWithError("no postal-code table");
        benchmark::DoNotOptimize(index.isLoaded());
    }
}

void BM_FloorReadFile(benchmark::State& state)
{
    for (auto _ : state) {
        QFile file(dataFile());
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.constData());
    }
}

void BM_Lookup(benchmark::State& state)
{
    const PostalIndex& index = PostalIndex::shared();
    const std::vector<quint32>& codes = sampleCodes();
    size_t i = 0;
    for (auto _ : state) {
        const PostalIndex::Towns towns = index.towns(codes[i++ % codes.size()]);
        benchmark::DoNotOptimize(towns.constData());
    }
}

void BM_FloorBinarySearch(benchmark::State& state)
{
    std::vector<quint32> sorted;
    const PostalIndex& index = PostalIndex::shared();
    for (int c = 0; c < index.cityCount(); ++c)
        for (const PostalIndex::CityTown& t : index.townsOfCity(c))
            sorted.push_back(t.code);
    std::sort(sorted.begin(), sorted.end());
    const std::vector<quint32>& codes = sampleCodes();
    size_t i = 0;
    for (auto _ : state) {
        auto it = std::lower_bound(sorted.begin(), sorted.end(), codes[i++ % codes.size()]);
        benchmark::DoNotOptimize(it);
    }
}

void BM_CheckAddress(benchmark::State& state)
{
    const PostalIndex& index = PostalIndex::shared();
    for (auto _ : state) {
        const AddressMatch::Result r = AddressMatch::match(
            index, u"100-0013", u"東京都千代田区霞が関1丁目3番2号 郵便プラザ503室");
        benchmark::DoNotOptimize(r.status);
    }
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lookup)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FloorBinarySearch)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_CheckAddress)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (dataFile().isEmpty()) {
        std::printf(
            "no postal-code table (run scripts/install-deps and build): nothing to measure\n");
        return 0;
    }
    // Memory first, in a process that has not touched the table yet.
    const long before = residentBytes();
    const PostalIndex& index = PostalIndex::shared();
    const long after = residentBytes();
    std::printf("postal table ready: %.1f MB resident (goal: under 20 MB), file %.1f MB, %s\n",
                double(after - before) / 1e6, double(index.byteSize()) / 1e6,
                index.isLoaded() ? "loaded" : "NOT loaded");

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter([](const RatioReporter::Times& t) {
        std::printf("postal table load: %.2f ms (goal: under 30 ms), %.2f x reading the file\n",
                    RatioReporter::ms(t, "BM_Load"),
                    RatioReporter::ratio(t, "BM_Load", "BM_FloorReadFile"));
        std::printf("lookup by code: %.0f ns (goal: under 1000 ns), %.2f x a plain binary search\n",
                    t.count("BM_Lookup") ? t.at("BM_Lookup") : 0.0,
                    RatioReporter::ratio(t, "BM_Lookup", "BM_FloorBinarySearch"));
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
