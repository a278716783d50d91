// Comparing the synthetic document with a copy that differs in a few hundred scattered places, against the baseline
// of reading both documents in the same run. The copy changes what releases of a real API change: bounds of shared
// schemas (every operation that reaches one changes), enum values, operation summaries and headers that become
// required.
//
// Counters: read_s (both documents to models), compare_s (comparison, classification and a report that keeps every
// change), ratio = compare_s / read_s; in Memory, the peak resident memory while comparing against the memory the
// two read results hold (both above what the process held before reading).

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "configuration.h"
#include "context.h"
#include "diffs/openapi_diff.h"
#include "report.h"
#include "synthetic_openapi.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace zephalon;
using namespace zephalon::openapi_diff;

// Replaces `count` occurrences of `pattern`, spread evenly over the text, by `replacement`.
std::size_t editEvenly(std::string& text, std::string_view pattern, std::size_t count, std::string_view replacement) {
    std::vector<std::size_t> found;
    for (std::size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + 1)) {
        found.push_back(at);
    }
    std::size_t edits = std::min(count, found.size());
    if (edits == 0) return 0;
    std::size_t step = found.size() / edits;
    // From the back, so that the earlier positions stay valid.
    for (std::size_t k = edits; k-- > 0;) text.replace(found[k * step], pattern.size(), replacement);
    return edits;
}

struct Documents {
    std::string source;
    std::string dest;
    std::size_t edits = 0;
};

const Documents& documents() {
    static const Documents docs = [] {
        Documents d;
        d.source = bench::syntheticOpenApi({});
        d.dest = d.source;
        d.edits += editEvenly(d.dest, R"("maxLength": 2)", 100, R"("maxLength": 3)");
        d.edits += editEvenly(d.dest, R"("closed")", 50, R"("closed", "archived")");
        d.edits += editEvenly(d.dest, R"("summary": "get)", 100, R"("summary": "fetch)");
        d.edits += editEvenly(d.dest, R"("required": false)", 50, R"("required": true)");
        return d;
    }();
    return docs;
}

std::unique_ptr<openapi::OpenAPIReadResult> read(const std::string& text) {
    return openapi::checkedReadFromString(text, FileFormat::JSON);
}

// Keeps every change, as the most demanding of the reports does.
class KeepingReport : public Report {
  public:
    void add(const Change& change) override {
        changes.push_back(change);
        updateStats(change.severity);
    }
    std::vector<Change> changes;
};

const Configuration& recommended() {
    static const Configuration config = [] {
        Configuration c;
        c.fromJV(*jv::readString(R"({"extends": ["recommended"]})", FileFormat::JSON)->root());
        return c;
    }();
    return config;
}

std::size_t compare(const openapi::OpenAPIReadResult& source, const openapi::OpenAPIReadResult& dest) {
    KeepingReport report;
    Context context(recommended(), report);
    context.setSource(source);
    context.setDest(dest);
    OpenAPIDiff().process(source.model(), dest.model(), context);
    return report.changes.size();
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void CompareAgainstReading(benchmark::State& state) {
    const Documents& docs = documents();
    double reading = 0, comparing = 0;
    std::size_t changes = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto source = read(docs.source);
        auto dest = read(docs.dest);
        auto mid = Clock::now();
        changes = compare(*source, *dest);
        auto end = Clock::now();
        reading += seconds(mid - start);
        comparing += seconds(end - mid);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["edits"] = static_cast<double>(docs.edits);
    state.counters["changes"] = static_cast<double>(changes);
    state.counters["read_s"] = reading / n;
    state.counters["compare_s"] = comparing / n;
    state.counters["ratio"] = comparing / reading;
    state.SetBytesProcessed(static_cast<std::int64_t>(docs.source.size() + docs.dest.size()) * state.iterations());
}

// Resident memory in kB, current ("VmRSS") or the peak since the last reset ("VmHWM").
long statusKilobytes(std::string_view field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field)) return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

// Sets the peak to the current resident memory; false where the system does not allow it.
bool resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    return static_cast<bool>(clear);
}

void Memory(benchmark::State& state) {
    const Documents& docs = documents();
    double ratio = 0, held = 0, peak = 0;
    for (auto _ : state) {
        malloc_trim(0);
        long before = statusKilobytes("VmRSS:");
        auto source = read(docs.source);
        auto dest = read(docs.dest);
        long holding = statusKilobytes("VmRSS:");
        if (!resetPeak()) {
            state.SkipWithError("the peak resident memory cannot be reset here");
            return;
        }
        benchmark::DoNotOptimize(compare(*source, *dest));
        long comparing = statusKilobytes("VmHWM:");
        held = static_cast<double>(holding - before) / 1024.0;
        peak = static_cast<double>(comparing - before) / 1024.0;
        ratio = peak / held;
    }
    state.counters["held_MB"] = held;
    state.counters["peak_MB"] = peak;
    state.counters["ratio"] = ratio;
}

BENCHMARK(CompareAgainstReading)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(Memory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
