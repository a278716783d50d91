// Sample data for a large component schema of the synthetic document: 100,000 values generated and written as one
// JSON array, against writing them alone (the baseline of the same run).
//
// Counters (CPU time of the benchmark's thread, as the machine is shared): generate_s and write_s; values_per_s and
// output_MB_per_s for both together; ratio = (generate + write) / write. WholeDocument also frees the tree of all
// values (counted with writing).

#include <benchmark/benchmark.h>
#include <time.h>

#include <memory>
#include <string>

#include "synthetic_openapi.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv_generator/generator.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"

namespace {

using namespace zephalon;

constexpr int kValues = 100'000;

struct Fixture {
    Fixture() {
        result = openapi::readFromString(bench::syntheticOpenApi({.targetBytes = 1 << 20}), FileFormat::JSON);
        // Model1 nests Model0 as its owner and as a list of related models: objects, arrays, patterns, formats,
        // enums, bounded numbers and nullable strings.
        schema = dynamic_cast<const openapi::Schema*>(result->findNode("/components/schemas/Model1"));
    }
    std::unique_ptr<openapi::OpenAPIReadResult> result;
    const openapi::Schema* schema = nullptr;
};

const Fixture& fixture() {
    static const Fixture instance;
    return instance;
}

// CPU time of this thread: the machine is shared, and wall-clock time would measure the neighbours too.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void report(benchmark::State& state, double generating, double writing, double bytes) {
    const double n = static_cast<double>(state.iterations());
    const double total = (generating + writing) / n;
    state.counters["generate_s"] = generating / n;
    state.counters["write_s"] = writing / n;
    state.counters["ratio"] = (generating + writing) / writing;
    state.counters["values_per_s"] = kValues / total;
    state.counters["output_MB_per_s"] = bytes / total / (1024.0 * 1024.0);
    state.counters["output_MB"] = bytes / (1024.0 * 1024.0);
}

// The values one at a time, each written and then overwritten by the next, as the data generator writes them.
void Streamed(benchmark::State& state) {
    double generating = 0, writing = 0, bytes = 0;
    for (auto _ : state) {
        std::string out = "[";
        jv_generator::Generator generator(fixture().schema, 42);
        jv::JV value;
        std::string piece;
        const jv::StreamWriteOptions options{FileFormat::JSON, 2, {}};
        for (int i = 0; i < kValues; ++i) {
            const double start = cpuSeconds();
            generator.generate(value);
            const double generated = cpuSeconds();
            jv::writeString(value, piece, options);
            // As the data generator does: the first value's size reserves room for all of them.
            if (i == 0) out.reserve((piece.size() + 1) * kValues / 4 * 5);
            out += piece;
            out += ",";
            generating += generated - start;
            writing += cpuSeconds() - generated;
        }
        out += "]";
        bytes = static_cast<double>(out.size());
        benchmark::DoNotOptimize(out.data());
    }
    report(state, generating, writing, bytes);
}

// All values in one document, written at the end.
void WholeDocument(benchmark::State& state) {
    double generating = 0, writing = 0, bytes = 0;
    for (auto _ : state) {
        const double start = cpuSeconds();
        auto doc = std::make_unique<jv::JVDoc>();
        {
            jv_generator::Generator generator(fixture().schema, 42);
            doc->setRoot(jv::JV::Type::Array);
            for (int i = 0; i < kValues; ++i) generator.generate(*doc->root()->addNull());
        }
        const double generated = cpuSeconds();
        std::string out;
        jv::writeString(*doc, out, FileFormat::JSON);
        doc.reset();
        benchmark::DoNotOptimize(out.data());
        generating += generated - start;
        writing += cpuSeconds() - generated;
        bytes = static_cast<double>(out.size());
    }
    report(state, generating, writing, bytes);
}

BENCHMARK(Streamed)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(WholeDocument)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
