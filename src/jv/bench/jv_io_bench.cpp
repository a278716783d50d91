// Writers and YAML reader against their baselines on the same document:
//   * our JSON writer (pretty, indent 2) against nlohmann::json::dump(2) of the same value;
//   * our YAML writer against libyaml's emitter fed the same tree in the same key order (block style, the emitter
//     choosing every scalar's style, as a writer built on it would);
//   * our YAML reader (tree included) against libyaml's bare event loop over the same bytes; the document is in the
//     layout the reader's block scanner reads, and YamlReaderByLibyaml reads it the way the reader takes for any
//     other text (libyaml, every mapping's keys kept).
// After the runs, the ratio of the CPU times of each pair is printed (lower is better; 1.0 means as fast as the
// baseline). Repeated runs give the ratio of the fastest of each; on a shared machine a pair measured once can be off
// by a third, so steady figures come from interleaved repetitions, for example
//   zephalon_jv_bench --benchmark_filter='^YamlReader$|^LibyamlEventLoop$' --benchmark_repetitions=12
//                     --benchmark_enable_random_interleaving=true

#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <malloc.h>
#include <yaml.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "synthetic_openapi.h"
#include "yaml_read_paths.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/json_reader.h"
#include "zephalon/jv/json_writer.h"
#include "zephalon/jv/yaml_reader.h"

namespace {

using namespace zephalon;

std::string documentText() {
    bench::SyntheticOptions options;
    options.targetBytes = 8u << 20;
    return bench::syntheticOpenApi(options);
}

struct Fixture {
    std::string json = documentText();
    std::unique_ptr<jv::JVDoc> doc = jv::readJsonString(json);
    nlohmann::ordered_json ordered = nlohmann::ordered_json::parse(json);
    nlohmann::json sorted = nlohmann::json::parse(json);
    std::string yaml = jv::toString(*doc, FileFormat::YAML);
};

const Fixture& fixture() {
    static const Fixture instance;
    return instance;
}

void JsonWriter(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        jv::JSONWriter writer;
        writer.write(*f.doc);
        benchmark::DoNotOptimize(writer.toString().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.json.size()));
}

// The same tree written value by value through the streaming calls, as reports and generators write: each call
// stands on its own, so a cost per call that grows with the text written so far shows here and not above.
void streamTo(jv::JSONWriter& writer, const jv::JV& node) {
    switch (node.type()) {
        case jv::JV::Type::Null:
            writer.writeNull();
            return;
        case jv::JV::Type::Boolean:
            writer.writeBoolean(node.booleanValue());
            return;
        case jv::JV::Type::Number:
            writer.writeNumber(node.numberValue());
            return;
        case jv::JV::Type::String:
            writer.writeString(node.stringValue());
            return;
        case jv::JV::Type::Array:
            writer.writeArrayStart();
            for (const jv::JV* element : node.items()) streamTo(writer, *element);
            writer.writeArrayEnd();
            return;
        case jv::JV::Type::Object:
            writer.writeObjectStart();
            for (const auto [key, value] : node.properties()) {
                writer.writeString(key);
                streamTo(writer, *value);
            }
            writer.writeObjectEnd();
            return;
    }
}

void JsonWriterStreamed(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        jv::JSONWriter writer;
        streamTo(writer, *f.doc->root());
        benchmark::DoNotOptimize(writer.toString().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.json.size()));
}

void JsonWriterBareTree(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        jv::JSONWriter writer;
        writer.write(*f.doc->root());
        benchmark::DoNotOptimize(writer.toString().data());
    }
}

void NlohmannDump(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        std::string text = f.sorted.dump(2);
        benchmark::DoNotOptimize(text.data());
    }
}

void NlohmannOrderedDump(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        std::string text = f.ordered.dump(2);
        benchmark::DoNotOptimize(text.data());
    }
}

void YamlWriter(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        std::string text = jv::toString(*f.doc, FileFormat::YAML);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.yaml.size()));
}

int appendToString(void* data, unsigned char* buffer, size_t size) {
    static_cast<std::string*>(data)->append(reinterpret_cast<const char*>(buffer), size);
    return 1;
}

void emitOrFail(yaml_emitter_t& emitter, yaml_event_t& event) {
    if (!yaml_emitter_emit(&emitter, &event)) throw std::runtime_error("libyaml emitter failed");
}

void emitScalar(yaml_emitter_t& emitter, std::string_view text, const char* tag, bool quoted) {
    yaml_event_t event;
    yaml_scalar_event_initialize(&event, nullptr, reinterpret_cast<const yaml_char_t*>(tag),
                                 reinterpret_cast<const yaml_char_t*>(text.data()), static_cast<int>(text.size()), 1, 1,
                                 quoted ? YAML_DOUBLE_QUOTED_SCALAR_STYLE : YAML_ANY_SCALAR_STYLE);
    emitOrFail(emitter, event);
}

void emitTree(yaml_emitter_t& emitter, const jv::JVDoc& doc, const jv::JV& node) {
    yaml_event_t event;
    switch (node.type()) {
        case jv::JV::Type::Null:
            emitScalar(emitter, "null", YAML_NULL_TAG, false);
            return;
        case jv::JV::Type::Boolean:
            emitScalar(emitter, node.booleanValue() ? "true" : "false", YAML_BOOL_TAG, false);
            return;
        case jv::JV::Type::Number: {
            std::string text = node.numberValue().string(0);
            emitScalar(emitter, text, node.isInteger() ? YAML_INT_TAG : YAML_FLOAT_TAG, false);
            return;
        }
        case jv::JV::Type::String:
            emitScalar(emitter, node.stringValue(), YAML_STR_TAG, node.stringValue().empty());
            return;
        case jv::JV::Type::Array:
            yaml_sequence_start_event_initialize(&event, nullptr, nullptr, 1, YAML_BLOCK_SEQUENCE_STYLE);
            emitOrFail(emitter, event);
            for (const jv::JV* item : node.items()) emitTree(emitter, doc, *item);
            yaml_sequence_end_event_initialize(&event);
            emitOrFail(emitter, event);
            return;
        case jv::JV::Type::Object:
            yaml_mapping_start_event_initialize(&event, nullptr, nullptr, 1, YAML_BLOCK_MAPPING_STYLE);
            emitOrFail(emitter, event);
            for (auto [key, value] : jv::SortedProperties(node, doc.propOrder(node))) {
                emitScalar(emitter, key, YAML_STR_TAG, false);
                emitTree(emitter, doc, *value);
            }
            yaml_mapping_end_event_initialize(&event);
            emitOrFail(emitter, event);
            return;
    }
}

void LibyamlEmitter(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        std::string text;
        yaml_emitter_t emitter;
        yaml_emitter_initialize(&emitter);
        yaml_emitter_set_output(&emitter, appendToString, &text);
        yaml_emitter_set_unicode(&emitter, 1);
        yaml_emitter_set_width(&emitter, -1);
        yaml_emitter_set_indent(&emitter, 2);
        yaml_event_t event;
        yaml_stream_start_event_initialize(&event, YAML_UTF8_ENCODING);
        emitOrFail(emitter, event);
        yaml_document_start_event_initialize(&event, nullptr, nullptr, nullptr, 1);
        emitOrFail(emitter, event);
        emitTree(emitter, *f.doc, *f.doc->root());
        yaml_document_end_event_initialize(&event, 1);
        emitOrFail(emitter, event);
        yaml_stream_end_event_initialize(&event);
        emitOrFail(emitter, event);
        yaml_emitter_delete(&emitter);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.yaml.size()));
}

void readYaml(benchmark::State& state, std::unique_ptr<jv::JVDoc> (*read)(std::string_view)) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        auto doc = read(f.yaml);
        benchmark::DoNotOptimize(doc.get());
        // Freeing the tree is not part of reading it, nor is the allocator's deferred tidying of the freed blocks,
        // which would otherwise land in the next timed read.
        state.PauseTiming();
        doc.reset();
        malloc_trim(0);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.yaml.size()));
}

void YamlReader(benchmark::State& state) { readYaml(state, &jv::readYamlString); }

void YamlReaderByLibyaml(benchmark::State& state) { readYaml(state, &jv::detail::readYamlByLibyaml); }

void LibyamlEventLoop(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        yaml_parser_t parser;
        yaml_parser_initialize(&parser);
        yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(f.yaml.data()), f.yaml.size());
        yaml_event_t event;
        bool done = false;
        while (!done) {
            if (!yaml_parser_parse(&parser, &event)) state.SkipWithError("libyaml failed");
            done = event.type == YAML_STREAM_END_EVENT;
            yaml_event_delete(&event);
        }
        yaml_parser_delete(&parser);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.yaml.size()));
}

BENCHMARK(JsonWriter)->Unit(benchmark::kMillisecond);
BENCHMARK(JsonWriterBareTree)->Unit(benchmark::kMillisecond);
BENCHMARK(JsonWriterStreamed)->Unit(benchmark::kMillisecond);
BENCHMARK(NlohmannDump)->Unit(benchmark::kMillisecond);
BENCHMARK(NlohmannOrderedDump)->Unit(benchmark::kMillisecond);
BENCHMARK(YamlWriter)->Unit(benchmark::kMillisecond);
BENCHMARK(LibyamlEmitter)->Unit(benchmark::kMillisecond);
BENCHMARK(YamlReader)->Unit(benchmark::kMillisecond);
BENCHMARK(YamlReaderByLibyaml)->Unit(benchmark::kMillisecond);
BENCHMARK(LibyamlEventLoop)->Unit(benchmark::kMillisecond);

// Remembers the fastest time per iteration of each benchmark so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                auto [it, added] = times.try_emplace(run.run_name.function_name, run.GetAdjustedCPUTime());
                if (!added) it->second = std::min(it->second, run.GetAdjustedCPUTime());
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.times.empty()) {
        // Listing or a filter that matched nothing: no ratios to print.
        benchmark::Shutdown();
        return 0;
    }
    const Fixture& f = fixture();
    fmt::print("document: {} bytes of JSON, {} bytes of YAML\n", f.json.size(), f.yaml.size());
    auto ratio = [&](const char* ours, const char* baseline) {
        auto a = reporter.times.find(ours);
        auto b = reporter.times.find(baseline);
        if (a == reporter.times.end() || b == reporter.times.end() || b->second == 0) return;
        fmt::print("ratio {} / {}: {:.2f}\n", ours, baseline, a->second / b->second);
    };
    ratio("JsonWriter", "NlohmannDump");
    ratio("JsonWriter", "NlohmannOrderedDump");
    ratio("JsonWriterBareTree", "NlohmannDump");
    ratio("JsonWriterStreamed", "NlohmannDump");
    ratio("YamlWriter", "LibyamlEmitter");
    ratio("YamlReader", "LibyamlEventLoop");
    ratio("YamlReaderByLibyaml", "LibyamlEventLoop");
    benchmark::Shutdown();
    return 0;
}
