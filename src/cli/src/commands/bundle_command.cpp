#include "bundle_command.h"

#include <fmt/format.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "zephalon/cli/config_file.h"
#include "zephalon/foundation/atomic_write.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/bundle.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi/schema_format.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

BundleCommand::BundleCommand() : Command("bundle") {}

void BundleCommand::setUp(CLI::App& parent) {
    parser().description(
        "Writes an OpenAPI document whose references lead into other files as one self-contained document.");
    parser()
        .add_option("--output", "Path to the output file (JSON or YAML by extension); standard output without.")
        ->option_text("OUTPUT");
    parser().add_option("--config", "Path to the configuration file.")->option_text("CONFIG");
    parser()
        .add_flag("--allow-external-refs-outside")
        ->description("Lets references lead to files outside the directory of the document.");
    parser().add_option("file", "Path to the root OpenAPI file.")->option_text("FILE")->required();
    attachTo(parent);
}

int BundleCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_bundle");
    openapi::SchemaFormatRegistry formats;
    if (parser().count("--config") > 0) {
        const std::string path = parser().get_option("--config")->as<std::string>();
        ConfigFile config;
        config.load(path);
        try {
            formats.fromJV(config.formatRegistryConfig());
        } catch (const jv::JVError& error) {
            throw ConfigFileError(fmt::format("{}: {}", path, error.what()),
                                  error.node != nullptr ? error.node->pos : Pos{});
        }
    }
    std::optional<std::string> output;
    std::optional<FileFormat> outputFormat;
    if (parser().count("--output") > 0) {
        output = parser().get_option("--output")->as<std::string>();
        // Checked before reading, so that a wrong name costs nothing and writes nothing.
        outputFormat = jv::guessFormat(*output);
        if (!outputFormat) throw std::runtime_error(fmt::format("Unsupported file format: {}", *output));
    }

    const std::string file = parser().get_option("file")->as<std::string>();
    openapi::ReadOptions readOptions;
    readOptions.allowRefsOutside = parser().count("--allow-external-refs-outside") > 0;
    std::unique_ptr<openapi::OpenAPIReadResult> result;
    {
        auto read = telemetry::getSpanScope("read");
        try {
            result = openapi::checkedReadFromFile(file, &formats, readOptions);
        } catch (const std::exception& error) {
            std::string_view message = error.what();
            if (message.starts_with(file)) throw;
            throw std::runtime_error(fmt::format("{}: {}", file, message));
        }
    }
    if (result->doc() == nullptr || result->doc()->root() == nullptr || !result->doc()->root()->isObject()) {
        throw std::runtime_error(fmt::format("{}: not an OpenAPI document (the root must be an object)", file));
    }
    if (output) openapi::refuseToOverwrite(*result, *output, "output file");

    std::unique_ptr<jv::JVDoc> bundled;
    {
        auto bundle = telemetry::getSpanScope("bundle");
        // The read result is not needed afterwards: its values move into the bundle.
        bundled = openapi::bundleDocument(std::move(result));
    }
    auto write = telemetry::getSpanScope("write");
    if (!output) {
        jv::writeStream(*bundled, std::cout, jv::guessFormat(file).value_or(FileFormat::YAML));
        return 0;
    }
    std::string text;
    jv::writeString(*bundled, text, *outputFormat);
    try {
        const std::filesystem::path parent = std::filesystem::path(*output).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent);
        // Replaced only once the whole text is written: an interrupted run leaves no half document behind.
        writeFileAtomically(*output, text);
    } catch (const std::filesystem::filesystem_error& error) {
        throw std::runtime_error(
            fmt::format("Failed to create the directory of {}: {}", *output, error.code().message()));
    } catch (const FileError&) {
        throw std::runtime_error(fmt::format("Failed to open file for writing: {}", *output));
    }
    return 0;
}

}  // namespace zephalon::cli
