// Feed building, table file reading and writing, and date normalisation on full documents.

#include "BenchDocument.h"
#include "document/DateNormalize.h"
#include "document/FeedCheck.h"
#include "document/FeedWriter.h"
#include "document/TableFile.h"
#include "text/IniFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <iconv.h>
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

// The floor for BM_BuildFeed: glibc iconv converting the feed's code page 932 text alone, into a
// buffer that is already large enough.
void BM_ConvertFeedTextOnly(benchmark::State& state) {
    std::vector<std::string> lines;
    BuildFeed(lines, FullDocument(), {"/site/news.rdf", {}, {}, "1.00"});
    const std::string text = JoinLines(lines);
    std::string out(text.size() * 3, '\0');
    const iconv_t converter = iconv_open("UTF-8", "CP932");
    for (auto _ : state) {
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        size_t inLeft = text.size();
        char* dest = out.data();
        size_t destLeft = out.size();
        iconv(converter, &in, &inLeft, &dest, &destLeft);
        benchmark::DoNotOptimize(dest);
        if (inLeft != 0) state.SkipWithError("the feed's text did not convert whole");
    }
    iconv_close(converter);
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ConvertFeedTextOnly);

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
    if (!WriteTableFile(document, path)) return state.SkipWithError("no table file to load");
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

// A pasted date field of nothing but slashes, 1,000 to 100,000 of them: linear time.
void BM_NormalizeDateSlashes(benchmark::State& state) {
    const std::string slashes(static_cast<size_t>(state.range(0)), '/');
    for (auto _ : state)
        benchmark::DoNotOptimize(NormalizeDate(slashes));
}
BENCHMARK(BM_NormalizeDateSlashes)->RangeMultiplier(10)->Range(1000, 100000);

// A settings file of 2,000 to 20,000 sections of two keys each, loaded and saved: linear time.
void BM_LoadAndSaveSettings(benchmark::State& state) {
    const std::string path = TempPath("bench.ini");
    TIniFile ini(path);
    for (int n = 0; n < state.range(0); ++n) {
        ini.WriteInteger("Section" + std::to_string(n), "szLeft", n);
        ini.WriteInteger("Section" + std::to_string(n), "szTop", n);
    }
    if (!ini.Save()) return state.SkipWithError("no settings file to load");
    for (auto _ : state) {
        if (!ini.Load() || !ini.Save()) {
            state.SkipWithError("the settings file failed");
            break;
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadAndSaveSettings)->Arg(2000)->Arg(20000);

} // namespace
