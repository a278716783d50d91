// Linting the synthetic document against reading it, in the same run: each iteration reads the document from a file
// as the command does (checkedReadFromFile), then runs a rule set over it and formats the report. The counters give
// the lint step (read excluded) as a ratio to the read, and the peak memory of a process that reads and lints as a
// ratio to one that only reads. Times are CPU times of the process: the machine is shared, and waiting for a core
// would otherwise count as work. Each figure is the fastest of the iterations: a read that must grow the heap again
// (after the previous tree went back to the system) takes up to twice as long as one that reuses it.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "synthetic_openapi.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi_lint/linter.h"

namespace {

namespace lint = zephalon::openapi_lint;
namespace openapi = zephalon::openapi;

const std::string& documentPath() {
    static const std::string path = [] {
        const auto file =
            std::filesystem::temp_directory_path() / ("zephalon-lint-bench-" + std::to_string(getpid()) + ".json");
        std::ofstream(file, std::ios::binary) << zephalon::bench::syntheticOpenApi({});
        return file.string();
    }();
    return path;
}

const char* const kRulesets[] = {"recommended", "all"};

void configure(lint::Linter& linter, const char* ruleset) {
    zephalon::jv::JV config(zephalon::jv::JV::ObjectTag{});
    config.setArrayProperty("extends")->addString(ruleset);
    linter.setConfig(&config);
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The peak resident memory of a child process that runs `work`, in kilobytes.
long childPeakKB(const std::function<void()>& work) {
    const pid_t pid = fork();
    if (pid == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return usage.ru_maxrss;
}

// Argument: index into kRulesets.
void Lint(benchmark::State& state) {
    const char* ruleset = kRulesets[state.range(0)];
    const std::string& path = documentPath();
    double read = 1e9, linted = 1e9;
    std::size_t issues = 0, rules = 0;
    for (auto _ : state) {
        std::ostringstream report;
        lint::Linter linter(report);
        configure(linter, ruleset);
        rules = linter.rules().size();
        const double start = cpuSeconds();
        auto result = openapi::checkedReadFromFile(path);
        const double mid = cpuSeconds();
        linter.process(*result);
        linter.report();
        const double end = cpuSeconds();
        issues = linter.context().result().issues().size();
        read = std::min(read, mid - start);
        linted = std::min(linted, end - mid);
    }
    state.counters["rules"] = static_cast<double>(rules);
    state.counters["issues"] = static_cast<double>(issues);
    state.counters["read_s"] = read;
    state.counters["lint_s"] = linted;
    state.counters["ratio"] = linted / read;
}

void PeakMemory(benchmark::State& state) {
    const char* ruleset = kRulesets[state.range(0)];
    const std::string& path = documentPath();
    long readKB = 0, lintKB = 0;
    for (auto _ : state) {
        readKB = childPeakKB([&] { benchmark::DoNotOptimize(openapi::checkedReadFromFile(path).get()); });
        lintKB = childPeakKB([&] {
            std::ostringstream report;
            lint::Linter linter(report);
            configure(linter, ruleset);
            auto result = openapi::checkedReadFromFile(path);
            linter.process(*result);
            linter.report();
        });
    }
    state.counters["read_peak_MB"] = static_cast<double>(readKB) / 1024.0;
    state.counters["lint_peak_MB"] = static_cast<double>(lintKB) / 1024.0;
    state.counters["memory_ratio"] = static_cast<double>(lintKB) / static_cast<double>(readKB);
}

BENCHMARK(Lint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(PeakMemory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove(documentPath());
    return 0;
}
