#include "format_command.h"

#include <fmt/format.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "leave_to_exit.h"
#include "zephalon/cli/config_file.h"
#include "zephalon/foundation/atomic_write.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi_format/formatter.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {
namespace {

// Replaces the file only once the whole text was written, so an interrupted run never leaves a truncated document.
void writeOutput(const std::filesystem::path& path, const std::string& text) {
    try {
        writeFileAtomically(path.string(), text);
    } catch (const FileError&) {
        throw std::runtime_error(fmt::format("Failed to open file for writing: {}", path.string()));
    }
}

// Reads an input and makes sure it is a document at all: an empty file, a YAML file of comments or a bare value
// would otherwise come out as "null" or "{}" and the run would look successful.
std::pair<std::unique_ptr<jv::JVDoc>, FileFormat> readDocument(const std::filesystem::path& path) {
    auto notADocument = [&] {
        return std::runtime_error(
            fmt::format("{}: not an OpenAPI document (the root must be an object)", path.string()));
    };
    std::error_code error;
    if (jv::guessFormat(path) && std::filesystem::is_regular_file(path, error) &&
        std::filesystem::file_size(path, error) == 0 && !error) {
        throw notADocument();
    }
    auto read = jv::readFileAndFormat(path);
    if (read.first->root() == nullptr || !read.first->root()->isObject()) throw notADocument();
    return read;
}

void formatToOutput(const openapi_format::Formatter& formatter, const std::string& input, const std::string& output) {
    std::optional<FileFormat> format = jv::guessFormat(output);
    if (!format) throw std::runtime_error(fmt::format("Unknown file format: {}", output));
    auto doc = readDocument(input).first;
    writeOutput(output, formatter.process(*doc, *format));
    leaveToExit(std::move(doc));
}

// Rewrites a file in place, or beside it under the other extension when the configured format differs from the
// file's own (the input is then left as it was). Returns the document read.
std::unique_ptr<jv::JVDoc> formatInPlace(const openapi_format::Formatter& formatter,
                                         const std::filesystem::path& input) {
    auto [doc, inputFormat] = readDocument(input);
    FileFormat format = formatter.config().format().value_or(inputFormat);
    std::filesystem::path output = input;
    if (format != inputFormat) output.replace_extension(jv::extensionForFormat(format));
    writeOutput(output, formatter.process(*doc, format));
    return std::move(doc);
}

}  // namespace

FormatCommand::FormatCommand() : Command("format") {}

void FormatCommand::setUp(CLI::App& parent) {
    parser().description("Format one or more OpenAPI files.");
    parser().add_option("--config", "Path to the configuration file.")->option_text("CONFIG");
    parser()
        .add_option("--output",
                    "Path to the output file (one input only); its extension, .json, .yaml or .yml, sets the format.")
        ->option_text("OUTPUT");
    parser()
        .add_option("files", "Path to OpenAPI files to format.")
        ->option_text("FILES")
        ->expected(-1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->required();
    attachTo(parent);
}

int FormatCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_format");

    openapi_format::Formatter formatter;
    if (parser().count("--config") > 0) {
        ConfigFile config;
        config.load(parser().get_option("--config")->as<std::string>());
        const jv::JV* section = config.commandConfig("format");
        try {
            formatter.setConfig(section);
        } catch (const openapi_format::ConfigurationError& error) {
            throw std::runtime_error(config.describe(error.node, error.what(), error.member));
        } catch (const jv::JVError& error) {
            throw std::runtime_error(config.describe(error.node, error.what()));
        }
    } else {
        formatter.setDefaultConfig();
    }

    auto files = parser().get_option("files")->as<std::vector<std::string>>();
    if (parser().count("--output") > 0) {
        if (files.size() > 1) throw std::runtime_error("Only one input file is allowed when using --output.");
        formatToOutput(formatter, files.front(), parser().get_option("--output")->as<std::string>());
        return 0;
    }

    // Every file is replaced atomically, so when one fails the earlier ones are fully formatted and the later ones
    // untouched; with several inputs the message says which file stopped the run. Each document is freed when the
    // next is read; the last one is left to the end of the process.
    std::unique_ptr<jv::JVDoc> done;
    for (const std::string& file : files) {
        done.reset();
        try {
            done = formatInPlace(formatter, file);
        } catch (const std::exception& e) {
            // Reading errors name their file already.
            if (files.size() == 1 || std::string_view(e.what()).starts_with(file + ":")) throw;
            throw std::runtime_error(fmt::format("{}: {}", file, e.what()));
        }
    }
    leaveToExit(std::move(done));
    return 0;
}

}  // namespace zephalon::cli
