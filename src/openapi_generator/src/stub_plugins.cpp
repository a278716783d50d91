#include "zephalon/openapi_generator/stub_plugins.h"

#include <fmt/format.h>

#include <iostream>
#include <stdexcept>

namespace zephalon::openapi_generator {

StubPlugin::StubPlugin(Context& context, std::string_view line, std::string_view command)
    : Plugin(context), line_(line), command_(command) {}

void StubPlugin::run(const openapi::OpenAPI* openapi) {
    std::cout << line_ << '\n';
    Plugin::run(openapi);
    // Ending normally would report a run that produced nothing as a success.
    throw std::runtime_error(fmt::format("The generator '{}' is not available yet; nothing was written.", command_));
}

const std::vector<StubPluginEntry>& stubPlugins() {
    static const std::vector<StubPluginEntry> entries{
        {"client_cpp", "client cpp", "Running ClientCPPPlugin"},
        {"client_elixir", "client elixir", "Running ClientElixirPlugin"},
        {"client_kotlin", "client kotlin", "Running ClientKotlinPlugin"},
        {"client_python", "client python", "Running ClientPythonPluin"},
        {"client_rust", "client rust", "Running ClientRustPlugin"},
        {"client_swift", "client swift", "Running ClientSwiftPlugin"},
        {"doc_markdown", "doc markdown", "Running DocMarkdownPlugin"},
        {"mock_miragejs", "mock miragejs", "Running MockMirageJS plugin"},
        {"mock_msw", "mock msw", "Running MockMSW plugin"},
        {"server_cpp", "server cpp", "Running ServerCPPPlugin"},
        {"server_csharp", "server csharp", "Running ServerCSharpPlugin"},
        {"server_elixir", "server elixir", "Running ServerElixirPlugin"},
        {"server_fastapi", "server fastapi", "Running ServerFastAPIPlugin"},
        {"server_fastify", "server fastify", "Running ServerFastifyPlugin"},
        {"server_go", "server go", "Running ServerGoPlugin"},
        {"server_php", "server php", "Running ServerPHPPlugin"},
        {"server_rails", "server rails", "Running ServerRailsPlugin"},
        {"server_rust", "server rust", "Running ServerRustPlugin"},
    };
    return entries;
}

std::unique_ptr<StubPlugin> createStubPlugin(std::string_view id, Context& context) {
    for (const StubPluginEntry& entry : stubPlugins()) {
        if (entry.id == id) return std::make_unique<StubPlugin>(context, entry.line, entry.command);
    }
    return nullptr;
}

}  // namespace zephalon::openapi_generator
