// Validating a whole OpenAPI 3.0 (3.1) document against the built-in OpenAPI 3.0 (3.1) schema, as the schema lint
// rule does,
// next to reading the same document into a JVDoc in the same run. The schema is compiled once, outside the
// timed loop (its compilation time is reported separately); memory is the allocator's in-use bytes that a
// validation run adds while it runs (the result and its annotations).

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "heap_in_use.h"
#include "synthetic_openapi.h"
#include "zephalon/jv/json_reader.h"
#include "zephalon/jv_schema/schema.h"

namespace bench = zephalon::bench;
using namespace zephalon::jv;
using namespace zephalon::jv::schema;

namespace {

using Clock = std::chrono::steady_clock;

std::string const& documentText(bench::OpenApiVersion version) {
    static std::string const text30 = [] {
        bench::SyntheticOptions options;
        options.version = bench::OpenApiVersion::V3_0;
        return bench::syntheticOpenApi(options);
    }();
    static std::string const text31 = [] {
        bench::SyntheticOptions options;
        options.version = bench::OpenApiVersion::V3_1;
        return bench::syntheticOpenApi(options);
    }();
    return version == bench::OpenApiVersion::V3_0 ? text30 : text31;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void runValidation(benchmark::State& state, bench::OpenApiVersion version) {
    std::string const& text = documentText(version);
    auto compileStart = Clock::now();
    JVSchema const* schema = version == bench::OpenApiVersion::V3_0 ? openapi30MetaSchema() : openapi31MetaSchema();
    double compileSeconds = seconds(Clock::now() - compileStart);

    double readTotal = 0, validateTotal = 0, resultBytes = 0, treeBytes = 0;
    std::size_t issues = 0;
    bool valid = false;
    for (auto _ : state) {
        std::size_t before = bench::heapInUse();
        auto readStart = Clock::now();
        auto doc = readJsonString(text);
        auto readEnd = Clock::now();
        std::size_t afterRead = bench::heapInUse();
        JVValidationResult result;
        valid = schema->validate(*doc, result);
        auto validateEnd = Clock::now();
        std::size_t afterValidate = bench::heapInUse();
        benchmark::DoNotOptimize(valid);

        readTotal += seconds(readEnd - readStart);
        validateTotal += seconds(validateEnd - readEnd);
        treeBytes = static_cast<double>(afterRead - before);
        resultBytes = static_cast<double>(afterValidate - afterRead);
        issues = result.issues.size();
        state.SetIterationTime(seconds(validateEnd - readEnd));
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    auto n = static_cast<double>(state.iterations());
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
    state.counters["compile_ms"] = compileSeconds * 1e3;
    state.counters["read_ms"] = readTotal / n * 1e3;
    state.counters["validate_ms"] = validateTotal / n * 1e3;
    state.counters["validate/read"] = validateTotal / readTotal;
    state.counters["tree_MB"] = treeBytes / 1e6;
    state.counters["result_MB"] = resultBytes / 1e6;
    state.counters["issues"] = static_cast<double>(issues);
    state.counters["valid"] = valid ? 1 : 0;
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
}

void OpenApi30Validation(benchmark::State& state) { runValidation(state, bench::OpenApiVersion::V3_0); }
void OpenApi31Validation(benchmark::State& state) { runValidation(state, bench::OpenApiVersion::V3_1); }

BENCHMARK(OpenApi30Validation)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenApi31Validation)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
