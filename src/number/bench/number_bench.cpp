// The document path: millions of small integers and plain doubles parsed and written back.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "zephalon/number/number.h"

using zephalon::number::Number;

namespace {

std::vector<std::string> texts(int kind) {
    std::mt19937_64 rng(1);
    std::vector<std::string> out;
    for (int i = 0; i < 4096; ++i) {
        switch (kind) {
            case 0:
                out.push_back(std::to_string(rng() % 100000));
                break;
            case 1:
                out.push_back(Number(static_cast<double>(rng() % 1000000) / 1000.0).string());
                break;
            case 2:
                out.push_back(Number(std::uniform_real_distribution<double>(-1e6, 1e6)(rng)).string());
                break;
            default:
                out.push_back(std::to_string(rng()) + std::to_string(rng()) + "." + std::to_string(rng()));
                break;
        }
    }
    return out;
}

void parseBench(benchmark::State& state) {
    auto input = texts(static_cast<int>(state.range(0)));
    std::size_t i = 0;
    for (auto _ : state) {
        auto n = Number::parse(input[i++ & 4095]);
        benchmark::DoNotOptimize(n);
    }
    state.SetItemsProcessed(state.iterations());
}

void writeBench(benchmark::State& state) {
    auto input = texts(static_cast<int>(state.range(0)));
    std::vector<Number> numbers;
    for (const auto& t : input) numbers.push_back(*Number::parse(t));
    std::string out;
    std::size_t i = 0;
    for (auto _ : state) {
        out.clear();
        numbers[i++ & 4095].appendTo(out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

// 0: small integers, 1: short decimals, 2: 17-digit doubles, 3: 40-digit decimals (Dynamic)
BENCHMARK(parseBench)->DenseRange(0, 3);
BENCHMARK(writeBench)->DenseRange(0, 3);

BENCHMARK_MAIN();
