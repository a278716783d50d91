// Reading a large OpenAPI document: the JSON value tree alone, then the model built on top of it.
//
// The model must cost at most as much time again as the value tree: compare ParseModel with ReadJVDoc.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <memory>
#include <string>

#include "synthetic_openapi.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"

namespace {

using namespace zephalon;

const std::string& documentText(bench::OpenApiVersion version) {
    static const std::string v31 = bench::syntheticOpenApi({.version = bench::OpenApiVersion::V3_1});
    static const std::string v30 = bench::syntheticOpenApi({.version = bench::OpenApiVersion::V3_0});
    return version == bench::OpenApiVersion::V3_1 ? v31 : v30;
}

void reportPeakMemory(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The bytes into a JVDoc, nothing more.
void ReadJVDoc(benchmark::State& state) {
    const std::string& text = documentText(static_cast<bench::OpenApiVersion>(state.range(0)));
    for (auto _ : state) {
        auto doc = jv::readString(text, FileFormat::JSON);
        benchmark::DoNotOptimize(doc.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    reportPeakMemory(state);
}

// Only the model: the JVDoc is read outside the timed region.
void ParseModel(benchmark::State& state) {
    const std::string& text = documentText(static_cast<bench::OpenApiVersion>(state.range(0)));
    openapi::SchemaFormatRegistry formats;
    std::size_t issues = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = jv::readString(text, FileFormat::JSON);
        openapi::Parser parser(nullptr, &formats);
        state.ResumeTiming();
        parser.fromDoc(std::move(doc));
        auto result = parser.result();
        issues = result->issues().size();
        benchmark::DoNotOptimize(result.get());
        state.PauseTiming();
        result.reset();
        state.ResumeTiming();
    }
    state.counters["issues"] = static_cast<double>(issues);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    reportPeakMemory(state);
}

// What a command pays: text to model, including freeing everything.
void ReadFromString(benchmark::State& state) {
    const std::string& text = documentText(static_cast<bench::OpenApiVersion>(state.range(0)));
    for (auto _ : state) {
        auto result = openapi::readFromString(text, FileFormat::JSON);
        benchmark::DoNotOptimize(result.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    reportPeakMemory(state);
}

// Arguments: 1 for OpenAPI 3.1, 0 for 3.0.
BENCHMARK(ReadJVDoc)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ParseModel)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(ReadFromString)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
