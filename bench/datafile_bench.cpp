// Data-file encoding and decoding in memory, saving to disk, and value text
// over every program code, on a document in which all 319 codes hold values.

#include "common/interaction.h"
#include "configdoc/corvanedoc.h"
#include "configdoc/datafile.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace corvane {
namespace {

void FillEveryCode(CCorvaneDoc& doc)
{
    int n = 0;
    for (DBParam& p : doc.chain().all()) {
        ++n;
        const DBEntry& e = p.entry();
        std::string text;
        if (e.type == ValueType::Text)
            text = std::string(static_cast<std::size_t>(e.maximum), static_cast<char>('A' + n % 26));
        else if (e.hasOptions())
            text = std::to_string(n % (static_cast<int>(e.maximum) + 1));
        else
            text = std::to_string(e.minimum + (e.maximum - e.minimum) / 3);
        doc.setValue(p, text, 1 + n % 3);
    }
}

void BM_EncodeDecode(benchmark::State& state)
{
    CCorvaneDoc doc;
    FillEveryCode(doc);
    CCorvaneDoc loaded;
    SilentInteraction silent;
    for (auto _ : state) {
        auto bytes = EncodeDataFile(doc);
        loaded.clearValues();
        FileResult result = DecodeDataFile(bytes, loaded, silent);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_EncodeDecode)->Unit(benchmark::kMicrosecond);

void BM_Encode(benchmark::State& state)
{
    CCorvaneDoc doc;
    FillEveryCode(doc);
    for (auto _ : state) {
        auto bytes = EncodeDataFile(doc);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_Encode)->Unit(benchmark::kMicrosecond);

void BM_Decode(benchmark::State& state)
{
    CCorvaneDoc doc;
    FillEveryCode(doc);
    const auto bytes = EncodeDataFile(doc);
    CCorvaneDoc loaded;
    SilentInteraction silent;
    for (auto _ : state) {
        loaded.clearValues();
        FileResult result = DecodeDataFile(bytes, loaded, silent);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMicrosecond);

void BM_SaveToDisk(benchmark::State& state)
{
    CCorvaneDoc doc;
    FillEveryCode(doc);
    QTemporaryDir dir;
    const std::string path = dir.filePath("bench.mlb").toStdString();
    for (auto _ : state) {
        FileResult result = SaveDataFile(doc, path);
        if (!result.ok())
            state.SkipWithError(result.detail.c_str());
    }
}
BENCHMARK(BM_SaveToDisk)->Unit(benchmark::kMicrosecond);

void BM_ValueTextAllCodes(benchmark::State& state)
{
    CCorvaneDoc doc;
    FillEveryCode(doc);
    for (auto _ : state) {
        std::size_t total = 0;
        for (const DBParam& p : doc.chain().all())
            total += doc.valueText(p).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_ValueTextAllCodes)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace corvane
