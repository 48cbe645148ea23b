// Feed building, table file reading and writing, and date normalisation on full documents.

#include "BenchDocument.h"
#include "DateNormalize.h"
#include "FeedCheck.h"
#include "FeedWriter.h"
#include "TableFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <unistd.h>

namespace {

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::to_string(getpid()) + name)).string();
}

void BM_BuildFeed(benchmark::State& state) {
    const TFeedDocument document = FullDocument();
    std::vector<std::string> lines;
    for (auto _ : state) {
        BuildFeed(lines, document, {"/site/news.rdf", {}, {}, "1.00"});
        benchmark::DoNotOptimize(Cp932ToUtf8(JoinLines(lines)));
    }
}
BENCHMARK(BM_BuildFeed);

void BM_CheckFeed(benchmark::State& state) {
    const TFeedDocument document = FullDocument();
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckFeed(document));
}
BENCHMARK(BM_CheckFeed);

// Texts of n bytes full of would-be markup and addresses full of blanks: the check stays linear.
void BM_CheckFeedLongTexts(benchmark::State& state) {
    TFeedDocument document = FullDocument();
    const auto length = static_cast<size_t>(state.range(0));
    std::string markup, address = "https://s.example/";
    while (markup.size() < length)
        markup += "<a&b1<&#x";
    while (address.size() < length)
        address += Sjis("お 知らせ");
    for (const int row : {1, 30, 50})
        document.Row(row) = {markup, "2025-04-01", address, markup};
    document.Channel.Description = markup;
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckFeed(document));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CheckFeedLongTexts)->RangeMultiplier(4)->Range(1 << 12, 1 << 20)->Complexity();

void BM_WriteTableFile(benchmark::State& state) {
    TFeedDocument document = FullDocument();
    const std::string path = TempPath("bench.tbl");
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteTableFile(document, path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_WriteTableFile);

void BM_LoadTableFile(benchmark::State& state) {
    TFeedDocument document = FullDocument();
    const std::string path = TempPath("bench_load.tbl");
    WriteTableFile(document, path);
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadTableFile(document, path));
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadTableFile);

void BM_NormalizeDate(benchmark::State& state) {
    const std::string dates[] = {"2005/1/5", "05/01/15", "2005-1-15 10:30", Sjis("2005年1月5日")};
    for (auto _ : state) {
        for (const std::string& date : dates)
            benchmark::DoNotOptimize(NormalizeDate(date));
    }
}
BENCHMARK(BM_NormalizeDate);

} // namespace
