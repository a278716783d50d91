// Writing a large model back out, next to reading the same bytes into a JVDoc.
//
// ReadJVDocBaseline is the yardstick: turning the model into a value tree and text should cost about as much.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "synthetic_openapi.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/writer.h"

namespace {

using namespace zephalon;

const std::string& text31() {
    static const std::string text = bench::syntheticOpenApi({.version = bench::OpenApiVersion::V3_1});
    return text;
}

// Read once and kept for every benchmark of this file.
const openapi::OpenAPIReadResult& model31() {
    static const std::unique_ptr<openapi::OpenAPIReadResult> result =
        openapi::readFromString(text31(), FileFormat::JSON);
    return *result;
}

void ReadJVDocBaseline(benchmark::State& state) {
    const std::string& text = text31();
    for (auto _ : state) {
        auto doc = jv::readString(text, FileFormat::JSON);
        benchmark::DoNotOptimize(doc.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Model to value tree in the writer's own order.
void WriteModelToJV(benchmark::State& state) {
    const openapi::OpenAPI& model = *model31().model();
    for (auto _ : state) {
        openapi::Writer writer;
        benchmark::DoNotOptimize(writer.toJV(&model));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text31().size()));
}

// Model to JSON text without a source document.
void WriteModelToJSON(benchmark::State& state) {
    const openapi::OpenAPI& model = *model31().model();
    std::size_t size = 0;
    for (auto _ : state) {
        std::string out;
        openapi::writeToString(model, out, FileFormat::JSON);
        size = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["output_MB"] = static_cast<double>(size) / (1024.0 * 1024.0);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text31().size()));
}

// What the format command pays: JSON text in the source document's key order.
void WriteReadResultToJSON(benchmark::State& state) {
    const openapi::OpenAPIReadResult& result = model31();
    for (auto _ : state) {
        std::string out;
        openapi::writeToString(&result, out, FileFormat::JSON);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text31().size()));
}

BENCHMARK(ReadJVDocBaseline)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(WriteModelToJV)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(WriteModelToJSON)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(WriteReadResultToJSON)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
