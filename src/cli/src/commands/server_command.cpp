#include "server_command.h"

#include <fmt/format.h>

#include <cstdint>
#include <iostream>
#include <stdexcept>
#include <string>

#include "zephalon/cli/config_file.h"
#include "zephalon/openapi/schema_format.h"
#include "zephalon/openapi_mock/server.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

ServerCommand::ServerCommand() : Command("server") {}

void ServerCommand::setUp(CLI::App& parent) {
    parser().description("Starts mock server.");
    parser().add_option("file", "Path to the OpenAPI file to serve.")->option_text("FILE")->required();
    parser()
        .add_option("--host", "Address to listen on.")
        ->option_text("HOST")
        ->default_val("127.0.0.1")
        ->capture_default_str();
    parser()
        .add_option("--port", "Port to listen on (0 picks a free one).")
        ->option_text("PORT")
        ->default_val(4010)
        ->capture_default_str()
        ->check(CLI::Range(0, 65535));
    parser().add_option("--config", "Path to the configuration file.")->option_text("CONFIG");
    parser()
        .add_option("--seed", "Seed for generated responses: the same seed gives the same answers.")
        ->option_text("N")
        ->default_val(0)
        ->capture_default_str();
    parser()
        .add_flag("--no-validate")
        ->description("Answer every request without checking parameters, bodies or credentials.");
    parser().add_flag("--watch")->description("Read the file again whenever it changes.");
    parser()
        .add_flag("--allow-external-refs-outside")
        ->description("Lets references lead to files outside the directory of the document.");
    attachTo(parent);
}

int ServerCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_server");

    openapi::SchemaFormatRegistry formats;
    if (parser().count("--config") > 0) {
        std::string path = parser().get_option("--config")->as<std::string>();
        ConfigFile config;
        config.load(path);
        try {
            formats.fromJV(config.formatRegistryConfig());
        } catch (const std::exception& e) {
            throw std::runtime_error(fmt::format("{}: {}", path, e.what()));
        }
    }

    openapi_mock::ServerOptions options;
    options.document = parser().get_option("file")->as<std::string>();
    options.formats = &formats;
    options.host = parser().get_option("--host")->as<std::string>();
    options.port = parser().get_option("--port")->as<std::uint16_t>();
    options.mock.seed = parser().get_option("--seed")->as<std::uint64_t>();
    options.mock.validate = parser().count("--no-validate") == 0;
    options.mock.allowRefsOutside = parser().count("--allow-external-refs-outside") > 0;
    options.watch = parser().count("--watch") > 0;
    openapi_mock::serve(options, std::cout);
    return 0;
}

}  // namespace zephalon::cli
