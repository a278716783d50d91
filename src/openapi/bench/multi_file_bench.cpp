// A document split over 200 files against the same document in one file, in the same run: the synthetic document's
// schemas spread over 199 files that refer to each other by file, the root listing every schema by reference.
//
// ReadSplitTree, BundleSplitTree (the read result moved into the bundle, as the bundle command does) and
// CopyBundleSplitTree (copied, as where the read result is kept) report `ratio_to_single`: their time per run over
// the single file's read (the best of three, measured before the loop). All read through the same in-memory file
// system.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "synthetic_openapi.h"
#include "zephalon/foundation/file_system.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/bundle.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"

namespace {

using namespace zephalon;

constexpr std::size_t kSchemaFiles = 199;
constexpr std::string_view kPrefix = "#/components/schemas/";

struct Tree {
    MemoryFileSystem files;
    std::size_t bytes = 0;
};

std::string chunkName(std::size_t index) { return "chunk" + std::to_string(index) + ".json"; }

// Points every in-document schema reference at the file that now holds its target.
void redirect(jv::JV& value, const std::map<std::string, std::size_t, std::less<>>& chunkOf, std::size_t own) {
    if (value.isArray()) {
        for (jv::JV* item : value.items()) redirect(*item, chunkOf, own);
        return;
    }
    if (!value.isObject()) return;
    if (jv::JV* ref = value.property("$ref"); ref != nullptr && ref->isString()) {
        std::string_view text = ref->stringValue();
        if (text.starts_with(kPrefix)) {
            std::string name(text.substr(kPrefix.size()));
            auto it = chunkOf.find(name);
            if (it != chunkOf.end()) {
                ref->setString((it->second == own ? std::string() : chunkName(it->second)) + "#/" + name);
            }
        }
    }
    for (auto [key, child] : value.properties()) redirect(*child, chunkOf, own);
}

const Tree& tree() {
    static const Tree built = [] {
        Tree t;
        const std::string text = bench::syntheticOpenApi();
        t.files.mkdirp("/bench/schemas");
        t.files.write("/bench/single.json", text);
        t.bytes = text.size();
        auto doc = jv::readString(text, FileFormat::JSON);
        jv::JV& schemas = doc->root()->objectProperty("components").objectProperty("schemas");
        std::map<std::string, std::size_t, std::less<>> chunkOf;
        std::vector<std::string> names;
        for (auto [name, schema] : schemas.properties()) names.emplace_back(name);
        for (std::size_t i = 0; i < names.size(); ++i) chunkOf[names[i]] = i % kSchemaFiles;
        std::vector<jv::JVDoc> chunks(kSchemaFiles);
        for (auto& chunk : chunks) chunk.setRoot(jv::JV::Type::Object);
        for (const std::string& name : names) {
            const std::size_t index = chunkOf[name];
            std::unique_ptr<jv::JV> schema = schemas.releaseProperty(name);
            redirect(*schema, chunkOf, index);
            chunks[index].root()->setProperty(name, std::move(schema));
            jv::JV* entry = schemas.setObjectProperty(name);
            entry->setStringProperty("$ref", "schemas/" + chunkName(index) + "#/" + name);
        }
        for (std::size_t i = 0; i < kSchemaFiles; ++i) {
            t.files.write("/bench/schemas/" + chunkName(i), jv::toString(chunks[i], FileFormat::JSON));
        }
        t.files.write("/bench/openapi.json", jv::toString(*doc, FileFormat::JSON));
        return t;
    }();
    return built;
}

std::unique_ptr<openapi::OpenAPIReadResult> readTree(const std::string& root) {
    openapi::SchemaFormatRegistry formats;
    openapi::Parser parser(nullptr, &formats);
    parser.setReadOptions(openapi::ReadOptions{&tree().files, false});
    parser.fromFile(root);
    parser.checkIssues();
    return parser.result();
}

double seconds(const auto& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double singleFileSeconds() {
    double best = 1e9;
    for (int i = 0; i < 3; ++i)
        best = std::min(best, seconds([] { benchmark::DoNotOptimize(readTree("/bench/single.json").get()); }));
    return best;
}

enum class Bundle { none, byMoving, byCopying };

void measure(benchmark::State& state, Bundle bundle) {
    const double single = singleFileSeconds();
    double total = 0;
    std::size_t files = 0;
    for (auto _ : state) {
        const double elapsed = seconds([&] {
            auto result = readTree("/bench/openapi.json");
            files = result->otherFiles().size() + 1;
            if (bundle == Bundle::byMoving) {
                // As the bundle command does: the read result is handed over and its values move into the bundle.
                benchmark::DoNotOptimize(openapi::bundleDocument(std::move(result)).get());
            } else if (bundle == Bundle::byCopying) {
                // As the checks that keep the read result do.
                benchmark::DoNotOptimize(openapi::bundleDocument(*result).get());
            }
            benchmark::DoNotOptimize(result.get());
        });
        state.SetIterationTime(elapsed);
        total += elapsed;
    }
    state.counters["files"] = static_cast<double>(files);
    state.counters["single_ms"] = single * 1000.0;
    state.counters["ratio_to_single"] = total / static_cast<double>(state.iterations()) / single;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * tree().bytes));
}

void ReadSplitTree(benchmark::State& state) { measure(state, Bundle::none); }
void BundleSplitTree(benchmark::State& state) { measure(state, Bundle::byMoving); }
void CopyBundleSplitTree(benchmark::State& state) { measure(state, Bundle::byCopying); }

BENCHMARK(ReadSplitTree)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BundleSplitTree)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(CopyBundleSplitTree)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
