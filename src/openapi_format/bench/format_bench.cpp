// Formatting the synthetic document with the recommended configuration, JSON -> JSON and JSON -> YAML, against the
// baseline of writing the same document in its source order with no property factory, in the same run. Each
// iteration reads the document afresh, as the command does; the counters give the ratio of the formatting step to the
// plain read + write and the heap the document holds per input byte.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "heap_in_use.h"
#include "synthetic_openapi.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi_format/formatter.h"

namespace {

using Clock = std::chrono::steady_clock;
using zephalon::FileFormat;
namespace jv = zephalon::jv;

const std::string& documentText() {
    static const std::string text = zephalon::bench::syntheticOpenApi({});
    return text;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Argument: the output format (0 JSON, 1 YAML).
void Format(benchmark::State& state) {
    const auto format = static_cast<FileFormat>(state.range(0));
    const std::string& text = documentText();
    zephalon::openapi_format::Formatter formatter;
    formatter.setConfig(jv::readString(R"({"extends": ["recommended"], "openapi": {}})", FileFormat::JSON)->root());

    double plain = 0, formatted = 0;
    // Taken apart from the timed runs: the allocator's statistics walk every free block.
    double documentBytes = 0;
    {
        std::size_t before = zephalon::bench::heapInUse();
        auto doc = jv::readString(text, FileFormat::JSON);
        documentBytes = static_cast<double>(zephalon::bench::heapInUse() - before);
        // Also a warm-up: the first read of the process maps its heap, which no later read pays for.
        benchmark::DoNotOptimize(formatter.process(*doc, format).data());
    }
    // One read and write, timed; the tree and the text are freed untimed, before the next read, as the command
    // reads one document at a time.
    auto run = [&](benchmark::State& st, bool formatting) {
        auto begin = Clock::now();
        auto doc = jv::readString(text, FileFormat::JSON);
        std::string output;
        if (formatting) {
            output = formatter.process(*doc, format);
        } else {
            jv::writeString(*doc, output, format);
        }
        auto end = Clock::now();
        benchmark::DoNotOptimize(output.data());
        st.PauseTiming();
        doc.reset();
        output = std::string();
        st.ResumeTiming();
        return seconds(end - begin);
    };
    // The two runs take turns at going first, so neither always inherits the other's freed memory.
    bool formatFirst = false;
    for (auto _ : state) {
        if (formatFirst) formatted += run(state, true);
        plain += run(state, false);
        if (!formatFirst) formatted += run(state, true);
        formatFirst = !formatFirst;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["plain_s"] = plain / n;
    state.counters["format_s"] = formatted / n;
    state.counters["ratio"] = formatted / plain;
    state.counters["heap_per_input_byte"] = documentBytes / static_cast<double>(text.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(text.size()) * state.iterations());
}

BENCHMARK(Format)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(6)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
