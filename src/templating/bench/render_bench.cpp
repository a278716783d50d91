// Rendering the lint checkstyle report for 100,000 issues against writing the same text with fmt directly, in the
// same run. Besides the two times and their ratio it reports the time to build the template's data object from
// plain issue records, which the template route pays on top.

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <chrono>
#include <cstdint>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "zephalon/templating/environment.h"

namespace {

using Clock = std::chrono::steady_clock;
using Json = nlohmann::json;

constexpr std::string_view kCheckstyle =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<checkstyle version=\"1.0.0\">{% for file in files %}\n"
    "  <file name=\"{{file.path}}\">\n"
    "    {% for issue in file.issues %}\n"
    "      <error line=\"{{issue.line}}\" severity=\"{{issue.severity}}\" message=\"{{issue.message}}\" "
    "source=\"{{issue.ruleId}}\"/>\n"
    "    {% endfor %}\n"
    "  </file>\n"
    "{% endfor %}</checkstyle>";

struct Issue {
    std::uint64_t line;
    std::uint64_t column;
    bool error;
    std::string message;
    std::string ruleId;
};

struct File {
    std::string path;
    std::vector<Issue> issues;
};

// 100,000 issues in 100 files, with messages and rule ids of realistic length.
std::vector<File> makeIssues() {
    const char* messages[] = {"Operation must have a description", "Path must not end with a slash",
                              "Schema property names should be camelCase", "Info object must have a contact",
                              "Response must have a 2xx status code"};
    const char* rules[] = {"operation-description", "path-keys-no-trailing-slash", "property-casing", "info-contact",
                           "operation-success-response"};
    std::vector<File> files;
    for (int f = 0; f < 100; ++f) {
        File file{fmt::format("specs/service-{:03}/openapi.yaml", f), {}};
        for (int i = 0; i < 1000; ++i) {
            file.issues.push_back({static_cast<std::uint64_t>(i * 7 + 3), static_cast<std::uint64_t>(i % 40 + 1),
                                   i % 3 == 0, messages[i % 5], rules[i % 5]});
        }
        files.push_back(std::move(file));
    }
    return files;
}

Json toData(const std::vector<File>& files) {
    Json list = Json::array();
    for (const File& file : files) {
        Json issues = Json::array();
        for (const Issue& issue : file.issues) {
            issues.push_back({{"line", issue.line},
                              {"column", issue.column},
                              {"severity", issue.error ? "error" : "warning"},
                              {"message", issue.message},
                              {"ruleId", issue.ruleId}});
        }
        list.push_back({{"path", file.path}, {"issues", std::move(issues)}});
    }
    return {{"files", std::move(list)}};
}

std::string writeDirectly(const std::vector<File>& files) {
    std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<checkstyle version=\"1.0.0\">";
    auto it = std::back_inserter(out);
    for (const File& file : files) {
        fmt::format_to(it, "\n  <file name=\"{}\">\n    ", file.path);
        for (const Issue& issue : file.issues) {
            fmt::format_to(it, "\n      <error line=\"{}\" severity=\"{}\" message=\"{}\" source=\"{}\"/>\n    ",
                           issue.line, issue.error ? "error" : "warning", issue.message, issue.ruleId);
        }
        out += "\n  </file>\n";
    }
    out += "</checkstyle>";
    return out;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void CheckstyleReport(benchmark::State& state) {
    const std::vector<File> files = makeIssues();
    zephalon::templating::Environment env;
    const zephalon::templating::Template tmpl = env.parse("checkstyle.xml", kCheckstyle);
    const Json data = toData(files);
    if (env.render(tmpl, data) != writeDirectly(files)) {
        state.SkipWithError("the template and the direct writer disagree");
        return;
    }
    double rendering = 0;
    double direct = 0;
    double building = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        std::string rendered = env.render(tmpl, data);
        auto mid = Clock::now();
        std::string written = writeDirectly(files);
        auto end = Clock::now();
        Json built = toData(files);
        auto last = Clock::now();
        benchmark::DoNotOptimize(rendered.data());
        benchmark::DoNotOptimize(written.data());
        benchmark::DoNotOptimize(built.size());
        rendering += seconds(mid - start);
        direct += seconds(end - mid);
        building += seconds(last - end);
        bytes = rendered.size();
        state.SetIterationTime(seconds(mid - start));
    }
    auto n = static_cast<double>(state.iterations());
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["render_ms"] = rendering / n * 1e3;
    state.counters["fmt_ms"] = direct / n * 1e3;
    state.counters["ratio"] = rendering / direct;
    state.counters["data_ms"] = building / n * 1e3;
}
BENCHMARK(CheckstyleReport)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
