// Generating from arbitrary documents, as `generate` does: the first byte picks JSON or YAML (bit 0) and the generator
// (the rest of the byte): sample data of the first shared schema, the documentation site, the TypeScript client, or the
// Express, NestJS or Spring server. The document goes through a scratch file and the generator's own checked read;
// what it writes stays in memory. A document the reader refuses, and a run that ends in an error message, are no
// finding, as long as that run wrote nothing; a crash, a sanitizer report or an exception that is not an error of the
// run is.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "fuzz_check.h"
#include "fuzz_document.h"
#include "zephalon/foundation/file_system.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi_generator/data_plugin.h"
#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator_client_fetch/client_fetch.h"
#include "zephalon/openapi_generator_doc_html/doc_html.h"
#include "zephalon/openapi_generator_server_express/server_express.h"
#include "zephalon/openapi_generator_server_nestjs/server_nestjs.h"
#include "zephalon/openapi_generator_server_spring/plugin.h"

namespace {

using namespace zephalon;
namespace gen = openapi_generator;

// One scratch document per process and format.
std::string scratchPath(FileFormat format) {
    return (std::filesystem::temp_directory_path() /
            ("zephalon-generate-fuzz-" + std::to_string(getpid()) + (format == FileFormat::YAML ? ".yaml" : ".json")))
        .string();
}

// The JSON Pointer of the document's first shared schema; "/" (the root, which is no schema) when it has none.
std::string firstSharedSchema(const jv::JVDoc* doc) {
    const jv::JV* root = doc != nullptr ? doc->root() : nullptr;
    const jv::JV* components = root != nullptr && root->isObject() ? root->property("components") : nullptr;
    const jv::JV* schemas = components != nullptr && components->isObject() ? components->property("schemas") : nullptr;
    if (schemas == nullptr || !schemas->isObject()) return "/";
    for (const auto [name, schema] : schemas->properties()) return schema->pointer();
    return "/";
}

gen::Plugin* addPlugin(gen::Generator& generator, unsigned which, const jv::JVDoc* doc) {
    gen::Context& context = generator.context();
    switch (which % 6) {
        case 0: {
            auto* plugin = generator.addPlugin(std::make_unique<gen::data::DataPlugin>(context));
            plugin->setOption("pointer", firstSharedSchema(doc));
            plugin->setOption("quantity", "3");
            plugin->setOutputPath("out/samples.json");
            return plugin;
        }
        case 1:
            return generator.addPlugin(std::make_unique<gen::doc_html::Plugin>(context));
        case 2:
            return generator.addPlugin(std::make_unique<gen::client_fetch::Plugin>(context));
        case 3:
            return generator.addPlugin(std::make_unique<gen::server_express::Plugin>(context));
        case 4:
            return generator.addPlugin(std::make_unique<gen::server_nestjs::Plugin>(context));
        default:
            return generator.addPlugin(std::make_unique<gen::server_spring::Plugin>(context));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto input = fuzz::splitInput(data, size);
    if (!input) return 0;
    const FileFormat format = fuzz::formatOf(input->choice, 0);
    const std::unique_ptr<jv::JVDoc> doc = fuzz::readOrSkip(input->text, format);
    if (doc == nullptr) return 0;

    const std::string path = scratchPath(format);
    std::ofstream(path, std::ios::binary) << input->text;
    gen::Generator generator;
    auto memory = memoryFileSystem();
    const MemoryFileSystem& written = *memory;
    generator.context().setFS(std::move(memory));
    generator.setInputPath(path);
    gen::Plugin* plugin = addPlugin(generator, input->choice >> 1U, doc.get());
    if (plugin->outputPath().empty()) plugin->setOutputPath("out");
    try {
        generator.run();
    } catch (const std::runtime_error&) {
        // A document with issues, or one the generator cannot serve, ends the run with a message and no output.
        fuzz::require(written.files().empty());
    }
    std::filesystem::remove(path);
    return 0;
}
