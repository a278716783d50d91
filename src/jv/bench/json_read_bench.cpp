// Reading JSON: readJsonString against nlohmann::json::parse of the same bytes in memory, in the same run, plus the
// memory the resulting trees hold per input byte (measured as the change of the allocator's in-use bytes) and the time
// it takes to free each tree again (outside the measured read time; every command frees the document it read).
// `stream_ratio` reads through readJsonStream instead, as files are read: that adds taking the stream's text into
// memory of its own, whose fresh pages the system must clear each time (the allocator returns blocks this large).

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "heap_in_use.h"
#include "synthetic_openapi.h"
#include "zephalon/jv/json_reader.h"

namespace bench = zephalon::bench;

namespace {

using Clock = std::chrono::steady_clock;

const std::string& documentText(int indent, bench::OpenApiVersion version) {
    static std::map<std::pair<int, int>, std::string> texts;
    auto key = std::make_pair(indent, static_cast<int>(version));
    auto it = texts.find(key);
    if (it == texts.end()) {
        bench::SyntheticOptions options;
        options.indent = indent;
        options.version = version;
        it = texts.emplace(key, zephalon::bench::syntheticOpenApi(options)).first;
    }
    return it->second;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Arguments: indent (2 pretty, 0 compact), OpenAPI version (0 for 3.0, 1 for 3.1).
void JsonRead(benchmark::State& state) {
    auto version = state.range(1) == 0 ? bench::OpenApiVersion::V3_0 : bench::OpenApiVersion::V3_1;
    const std::string& text = documentText(static_cast<int>(state.range(0)), version);
    double ours = 0, theirs = 0;
    double treeBytes = 0, nlohmannBytes = 0;
    double freeOurs = 0, freeTheirs = 0;
    double stream = 0;
    for (auto _ : state) {
        {
            std::istringstream in(text);
            auto start = Clock::now();
            std::unique_ptr<zephalon::jv::JVDoc> doc = zephalon::jv::readJsonStream(in);
            stream += seconds(Clock::now() - start);
        }
        std::size_t before = bench::heapInUse();
        auto start = Clock::now();
        std::unique_ptr<zephalon::jv::JVDoc> doc = zephalon::jv::readJsonString(text);
        auto mid = Clock::now();
        std::size_t afterOurs = bench::heapInUse();
        nlohmann::json json = nlohmann::json::parse(text);
        auto end = Clock::now();
        std::size_t afterTheirs = bench::heapInUse();
        benchmark::DoNotOptimize(doc.get());
        benchmark::DoNotOptimize(json.size());

        ours += seconds(mid - start);
        theirs += seconds(end - mid);
        treeBytes = static_cast<double>(afterOurs - before);
        nlohmannBytes = static_cast<double>(afterTheirs - afterOurs);
        state.SetIterationTime(seconds(mid - start));
        state.PauseTiming();
        auto freeStart = Clock::now();
        doc.reset();
        auto freeMid = Clock::now();
        json = nullptr;
        auto freeEnd = Clock::now();
        freeOurs += seconds(freeMid - freeStart);
        freeTheirs += seconds(freeEnd - freeMid);
        state.ResumeTiming();
    }
    auto n = static_cast<double>(state.iterations());
    auto size = static_cast<double>(text.size());
    state.counters["MB"] = size / 1e6;
    state.counters["ours_ms"] = ours / n * 1e3;
    state.counters["nlohmann_ms"] = theirs / n * 1e3;
    state.counters["ratio"] = ours / theirs;
    state.counters["stream_ratio"] = stream / theirs;
    state.counters["free_ms"] = freeOurs / n * 1e3;
    state.counters["free_ratio"] = freeOurs / freeTheirs;
    state.counters["tree_B/B"] = treeBytes / size;
    state.counters["nlohmann_B/B"] = nlohmannBytes / size;
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
}

BENCHMARK(JsonRead)
    ->ArgNames({"indent", "v31"})
    ->Args({2, 1})
    ->Args({0, 1})
    ->Args({2, 0})
    ->UseManualTime()
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond);

}  // namespace
