// Generating from arbitrary documents, as `generate` does: the first byte picks JSON or YAML (bit 0), the generator
// (bits 1 to 3): sample data of the first shared schema, the documentation site, the TypeScript client, or the
// Express, NestJS or Spring server, and whether it runs with its defaults or with the configuration below (bit 4). The
// document goes through a scratch file and the generator's own checked read; what it writes stays in memory. A document
// the reader refuses, and a run that ends in an error message, are no finding, as long as that run wrote nothing; a
// crash, a sanitizer report or an exception that is not an error of the run is.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "fuzz_check.h"
#include "fuzz_document.h"
#include "fuzz_scratch.h"
#include "zephalon/foundation/file_system.h"
#include "zephalon/jv/file_io.h"
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

// What the generators offer besides their defaults: separate pages in two locales with a changelog, controller
// groups with services and tests, copies of the document, other sample bounds.
constexpr std::string_view kConfiguration = R"(version: "1.0"
commands:
  generate:
    doc_html:
      operations: separate
      resources: separate
      changelog: true
      openapi_schema: true
      request_code_examples: [curl, vanilla_js]
      i18n: {locales: [en, pl], default_locale: en, prefix_default_locale: true}
    server_spring:
      service_classes: true
      controller_tests: true
      skip_deprecated: true
      controller_grouping: [tag, url]
    server_express:
      openapi_schema: true
      package_files: false
    data: {minimum: -1000000, maximum: 1000000, minLength: 1, maxItems: 3}
)";

// The configuration in a scratch file of its own, written once per process.
const std::string& configurationPath() {
    static const std::string path = [] {
        const std::string file = fuzz::scratchPath("generate-fuzz-configuration", ".yaml");
        std::ofstream(file, std::ios::binary) << kConfiguration;
        return file;
    }();
    return path;
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

    const std::string path = fuzz::scratchPath("generate-fuzz-document", jv::extensionForFormat(format));
    std::ofstream(path, std::ios::binary) << input->text;
    gen::Generator generator;
    auto memory = memoryFileSystem();
    const MemoryFileSystem& written = *memory;
    generator.context().setFS(std::move(memory));
    generator.setInputPath(path);
    gen::Plugin* plugin = addPlugin(generator, (input->choice >> 1U) & 7U, doc.get());
    if ((input->choice & 0x10U) != 0) generator.setConfigFilePath(configurationPath());
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
