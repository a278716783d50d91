// Regex throughput on the kinds of patterns and subjects found in documents.
// Each benchmark times a baseline in the same run and reports `vs_baseline`,
// the ratio of its own time per operation to the baseline's.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/foundation/regex.h"

namespace {

using zephalon::Regex;

// Time per call of `fn`, measured over enough calls to dwarf the clock's resolution.
template <typename Fn>
double secondsPerCall(Fn&& fn) {
    using Clock = std::chrono::steady_clock;
    std::size_t calls = 1;
    while (true) {
        const auto start = Clock::now();
        for (std::size_t i = 0; i < calls; ++i) {
            fn();
        }
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        if (elapsed.count() > 0.05) {
            return elapsed.count() / static_cast<double>(calls);
        }
        calls *= 2;
    }
}

template <typename Fn>
void reportAgainst(benchmark::State& state, double baseline, Fn&& fn) {
    const double own = secondsPerCall(fn);
    state.counters["vs_baseline"] = own / baseline;
}

std::string haystack(std::size_t size) {
    std::string text;
    while (text.size() < size) {
        text += "The quick brown fox jumps over the lazy dog. ";
    }
    text.resize(size);
    return text;
}

// A literal search against std::string_view::find, the cheapest possible answer.
void BM_SearchLiteral(benchmark::State& state) {
    const std::string text = haystack(static_cast<std::size_t>(state.range(0))) + "needle";
    const Regex re("needle");
    for (auto _ : state) {
        benchmark::DoNotOptimize(re.search(text));
    }
    const double baseline = secondsPerCall([&] { benchmark::DoNotOptimize(std::string_view(text).find("needle")); });
    reportAgainst(state, baseline, [&] { benchmark::DoNotOptimize(re.search(text)); });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_SearchLiteral)->Arg(64)->Arg(4096)->Arg(1 << 20);

// Typical schema patterns on short values: the per-call overhead matters most.
// The baseline is the same check written by hand.
void BM_IdentifierPattern(benchmark::State& state) {
    const std::vector<std::string> values = {"petId", "x-rate-limit", "Content-Type", "9lives", "snake_case_name"};
    const Regex re("^[A-Za-z][A-Za-z0-9_-]*$");
    const bool full = state.range(0) != 0;
    auto run = [&] {
        for (const auto& v : values) {
            benchmark::DoNotOptimize(full ? re.fullMatch(v) : re.search(v));
        }
    };
    for (auto _ : state) {
        run();
    }
    auto byHand = [&] {
        for (const auto& v : values) {
            bool ok = !v.empty() && ((v[0] >= 'A' && v[0] <= 'Z') || (v[0] >= 'a' && v[0] <= 'z'));
            for (std::size_t i = 1; ok && i < v.size(); ++i) {
                const char c = v[i];
                ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
            }
            benchmark::DoNotOptimize(ok);
        }
    };
    reportAgainst(state, secondsPerCall(byHand), run);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * values.size()));
}
BENCHMARK(BM_IdentifierPattern)->ArgName("fullMatch")->Arg(0)->Arg(1);

// A pathological pattern on 1 MB must end at the match limit, quickly. The
// baseline is one linear scan over the subject.
void BM_CatastrophicPattern(benchmark::State& state) {
    std::string subject(1 << 20, 'a');
    subject.back() = 'b';
    const Regex re("(a+)+$");
    for (auto _ : state) {
        benchmark::DoNotOptimize(re.searchOutcome(subject));
    }
    const double baseline = secondsPerCall([&] { benchmark::DoNotOptimize(std::string_view(subject).find('b')); });
    reportAgainst(state, baseline, [&] { benchmark::DoNotOptimize(re.searchOutcome(subject)); });
}
BENCHMARK(BM_CatastrophicPattern)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
