#include "generate_command.h"

#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "zephalon/foundation/assertions.h"
#include "zephalon/openapi_generator/data_plugin.h"
#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator/stub_plugins.h"
#include "zephalon/openapi_generator_client_fetch/client_fetch.h"
#include "zephalon/openapi_generator_doc_html/doc_html.h"
#include "zephalon/openapi_generator_server_express/server_express.h"
#include "zephalon/openapi_generator_server_nestjs/server_nestjs.h"
#include "zephalon/openapi_generator_server_spring/plugin.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {
namespace {

// The options a generator takes besides the document and the output.
enum Option : unsigned {
    kConfig = 1,
    kData = 2,  // --pointer, --mime-type, --number
    kI18n = 4,
    kPackage = 8,  // --package-name, --package-version
};

struct LeafSpec {
    std::string_view group;  // empty for a generator directly under `generate`
    std::string_view name;
    std::string_view description;
    unsigned options;
    std::string_view plugin;
};

constexpr LeafSpec kLeaves[] = {
    {"", "data", "Generate data from an OpenAPI file.", kConfig | kData, "data"},
    {"doc", "html", "Generate HTML documentation from an OpenAPI file.", kConfig | kI18n | kPackage, "doc_html"},
    {"doc", "markdown", "Generate Markdown documentation from an OpenAPI file.", 0, "doc_markdown"},
    {"client", "cpp", "Generate a C++ client using the fetch API.", 0, "client_cpp"},
    {"client", "fetch", "Generate a TypeScript client using the fetch API.", kConfig, "client_fetch"},
    {"client", "python", "Generate a Python client.", 0, "client_python"},
    {"client", "swift", "Generate a Swift client.", 0, "client_swift"},
    {"client", "kotlin", "Generate a Kotlin client.", 0, "client_kotlin"},
    {"client", "elixir", "Generate an Elixir client.", 0, "client_elixir"},
    {"client", "rust", "Generate a Rust client.", 0, "client_rust"},
    {"mock", "miragejs", "Generate a mock server based on Mirage.js.", 0, "mock_miragejs"},
    {"mock", "msw", "Generate a mock server based on MSW.", 0, "mock_msw"},
    {"server", "cpp", "Generate a C++ server.", 0, "server_cpp"},
    {"server", "nestjs", "Generate a NestJS server.", kConfig, "server_nestjs"},
    {"server", "express", "Generate an Express server.", kConfig | kPackage, "server_express"},
    {"server", "fastapi", "Generate a FastAPI server.", 0, "server_fastapi"},
    {"server", "fastify", "Generate a Fastify server.", kConfig, "server_fastify"},
    {"server", "csharp", "Generate a C# server.", 0, "server_csharp"},
    {"server", "spring", "Generate a Java Spring server.", kConfig | kPackage, "server_spring"},
    {"server", "elixir", "Generate an Elixir server.", 0, "server_elixir"},
    {"server", "rust", "Generate a Rust server.", 0, "server_rust"},
    {"server", "rails", "Generate a Rails server.", 0, "server_rails"},
    {"server", "go", "Generate a Go server.", 0, "server_go"},
    {"server", "php", "Generate a PHP server.", 0, "server_php"},
};

struct GroupSpec {
    std::string_view name;
    std::string_view description;
};

constexpr GroupSpec kGroups[] = {
    {"doc", "Generate documentation from an OpenAPI file."},
    {"client", "Generate a client from an OpenAPI file."},
    {"mock", "Generate a mock server from an OpenAPI file."},
    {"server", "Generate a server from an OpenAPI file."},
};

// Every parser of the tree carries the help and version options of a command.
CLI::App* addParser(CLI::App& parent, std::string_view name, std::string_view description) {
    CLI::App* app = parent.add_subcommand(std::string(name), std::string(description));
    app->set_help_flag("-h,--help", "shows help message and exits");
    app->set_version_flag("-v,--version", "1.0", "prints version information and exits");
    return app;
}

std::optional<std::string> value(const CLI::App& app, const char* option) {
    if (app.count(option) == 0) return std::nullopt;
    return app.get_option(option)->as<std::string>();
}

std::unique_ptr<openapi_generator::Plugin> createPlugin(std::string_view id, openapi_generator::Context& context) {
    if (id == "data") return std::make_unique<openapi_generator::data::DataPlugin>(context);
    if (id == "client_fetch") return std::make_unique<openapi_generator::client_fetch::Plugin>(context);
    if (id == "doc_html") return std::make_unique<openapi_generator::doc_html::Plugin>(context);
    if (id == "server_express") return std::make_unique<openapi_generator::server_express::Plugin>(context);
    if (id == "server_nestjs") return std::make_unique<openapi_generator::server_nestjs::Plugin>(context);
    if (id == "server_spring") return std::make_unique<openapi_generator::server_spring::Plugin>(context);
    auto stub = openapi_generator::createStubPlugin(id, context);
    ZEPHALON_POSTCONDITION(stub != nullptr, "every generator of the command tree has a plugin");
    return stub;
}

}  // namespace

struct GenerateCommand::Leaf {
    const LeafSpec* spec;
    CLI::App* app;
};

GenerateCommand::GenerateCommand() : Command("generate") {}
GenerateCommand::~GenerateCommand() = default;

void GenerateCommand::setUp(CLI::App& parent) {
    parser().description("Generate code and documentation from an OpenAPI file.");
    parser().require_subcommand(1);
    // Groups are made when their first generator comes, so the help lists everything in the table's order.
    std::vector<std::pair<std::string_view, CLI::App*>> groups;
    auto groupParser = [&](std::string_view name) -> CLI::App* {
        if (name.empty()) return &parser();
        for (const auto& [made, app] : groups) {
            if (made == name) return app;
        }
        for (const GroupSpec& group : kGroups) {
            if (group.name != name) continue;
            CLI::App* app = addParser(parser(), group.name, group.description);
            app->require_subcommand(1);
            groups.emplace_back(group.name, app);
            return app;
        }
        return &parser();
    };
    for (const LeafSpec& spec : kLeaves) {
        CLI::App* owner = groupParser(spec.group);
        const bool data = spec.name == "data";
        CLI::App* app = addParser(*owner, spec.name, spec.description);
        app->add_option("file")
            ->description(data ? "Path to the OpenAPI spec." : "Path to the OpenAPI file.")
            ->option_text("INPUT")
            ->required();
        app->add_option("-o,--output")
            ->description(data ? "Path to the output file." : "Path to the output directory.")
            ->option_text("OUTPUT");
        if (spec.options & kConfig) {
            app->add_option("-c,--config", "Path to the configuration file.")->option_text("CONFIG");
        }
        if (spec.options & kData) {
            app->add_option("-p,--pointer", "JSON Pointer to the schema.")->option_text("POINTER");
            app->add_option("-m,--mime-type", "MIME type of the output.")->option_text("MIME_TYPE");
            app->add_option("-n,--number", "Number of items to generate.")->option_text("NUMBER");
        }
        if (spec.options & kI18n) {
            app->add_option("--i18n", "Localization file as 'locale=filename'")
                ->option_text("LOCALE=FILE")
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        }
        if (spec.options & kPackage) {
            app->add_option("--package-name", "Name of the generated package.")->option_text("PACKAGE_NAME");
            app->add_option("--package-version", "Version of the generated package.")->option_text("PACKAGE_VERSION");
        }
        app->add_flag("--allow-external-refs-outside")
            ->description("Lets references lead to files outside the directory of the document.");
        leaves_.push_back(std::make_unique<Leaf>(Leaf{&spec, app}));
    }
    attachTo(parent);
}

int GenerateCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_generate");
    openapi_generator::Generator generator;
    const Leaf* leaf = nullptr;
    for (const auto& candidate : leaves_) {
        if (candidate->app->parsed()) leaf = candidate.get();
    }
    // The parser requires a generator to be named, so one always is.
    if (leaf == nullptr) throw std::runtime_error("No generator was named.");
    const CLI::App& app = *leaf->app;
    const LeafSpec& spec = *leaf->spec;

    std::vector<std::pair<std::string, std::string>> translations;
    // An option given no value still converts to one empty string: only values the user passed count.
    if ((spec.options & kI18n) && app.count("--i18n") > 0) {
        for (const std::string& argument : app.get_option("--i18n")->as<std::vector<std::string>>()) {
            const auto equals = argument.find('=');
            if (equals == std::string::npos) throw std::runtime_error("Invalid --i18n argument");
            translations.emplace_back(argument.substr(0, equals), argument.substr(equals + 1));
        }
    }

    generator.setInputPath(*value(app, "file"));
    generator.context().setAllowRefsOutside(app.count("--allow-external-refs-outside") > 0);
    openapi_generator::Plugin* plugin = generator.addPlugin(createPlugin(spec.plugin, generator.context()));
    if (auto output = value(app, "--output")) plugin->setOutputPath(*output);
    if (spec.options & kData) {
        if (auto pointer = value(app, "--pointer")) plugin->setOption("pointer", *pointer);
        if (auto mimeType = value(app, "--mime-type")) plugin->setOption("mimeType", *mimeType);
        if (auto number = value(app, "--number")) plugin->setOption("quantity", *number);
    }
    if (spec.options & kPackage) {
        if (auto name = value(app, "--package-name")) plugin->setPackageName(*name);
        if (auto version = value(app, "--package-version")) plugin->setPackageVersion(*version);
    }
    if (spec.options & kConfig) {
        if (auto config = value(app, "--config")) generator.setConfigFilePath(*config);
    }
    for (const auto& [locale, file] : translations) generator.addTranslationFile(locale, file);
    generator.run();
    return 0;
}

}  // namespace zephalon::cli
