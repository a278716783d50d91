#include "diff_command.h"

#include <fmt/format.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

#include "leave_to_exit.h"
#include "zephalon/cli/config_file.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/schema_format.h"
#include "zephalon/openapi/writer.h"
#include "zephalon/openapi_diff/differ.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {
namespace {

// A rule or format setting the configuration file got wrong: the file, the problem and where it is.
ConfigFileError configError(const std::string& path, const jv::JVError& error) {
    if (error.node == nullptr) return ConfigFileError(fmt::format("{}: {}", path, error.what()));
    std::string message = fmt::format("{}: {} at '{}'", path, error.what(), error.node->pointer());
    // Values read from YAML scalars have no position of their own; the pointer says where they are.
    if (error.node->pos.line >= 0) message += fmt::format(" ({}, {})", error.node->pos.line, error.node->pos.column);
    return ConfigFileError(message, error.node->pos);
}

// Reads a document with the validating reader. With two documents on the command line, a message that does not
// name its file gets the file's name in front.
std::unique_ptr<openapi::OpenAPIReadResult> readDocument(const char* span, const std::string& path,
                                                         const openapi::SchemaFormatRegistry& formats,
                                                         const openapi::ReadOptions& options) {
    auto scope = telemetry::getSpanScope(span);
    try {
        return openapi::checkedReadFromFile(path, &formats, options);
    } catch (const std::exception& error) {
        std::string_view message = error.what();
        if (message.find(path) != std::string_view::npos) throw;
        throw std::runtime_error(fmt::format("{}: {}", path, message));
    }
}

// Only the version changed, so only the file that holds `info` is written, the root or another file of a document
// split over several files: the version is set in the value read and that file's document written as it was read.
// The other files keep every byte.
void writeVersionOnly(const openapi::OpenAPIReadResult& dest, const std::string& destPath) {
    const openapi::Info* info = dest.model()->info();
    const jv::JV* source = dest.value(info);
    const jv::JVDoc* doc = dest.docOf(source);
    if (source == nullptr || !source->isObject() || doc == nullptr) {
        throw std::runtime_error(
            fmt::format("{}: the version cannot be updated: the document has no info object", destPath));
    }
    // The read result hands out its values read-only; this is the one edit made to them, just before writing.
    const_cast<jv::JV*>(source)->setStringProperty("version", info->version());
    const std::filesystem::path path = doc == dest.doc() ? std::filesystem::path(destPath) : *dest.sourceFile(source);
    jv::writeFile(*doc, path);
}

}  // namespace

DiffCommand::DiffCommand() : Command("diff") {}

void DiffCommand::setUp(CLI::App& parent) {
    parser().description("Compares two OpenAPI files and prints the differences.");
    parser().add_option("--config", "Path to the configuration file.")->option_text("CONFIG");
    parser()
        .add_option("--report", "Specifies what to print")
        ->type_name("REPORT")
        ->default_val("changelog")
        ->check(CLI::IsMember({"status", "changelog", "detailed"}));
    parser()
        .add_option("--formatter", "Specifies the formatter")
        ->type_name("FORMATTER")
        ->default_val("stylish")
        ->check(CLI::IsMember({"html", "json", "markdown", "stylish", "unix", "visualstudio"}));
    auto* update = parser()
                       .add_flag("--update-version")
                       ->description("Updates the version of the OpenAPI file to the minimal suggested version.");
    auto* check = parser()
                      .add_flag("--check-version")
                      ->description(
                          "Fails when the version of the final OpenAPI file is lower than the minimal "
                          "suggested version.");
    check->excludes(update);
    parser()
        .add_flag("--allow-external-refs-outside")
        ->description("Lets references lead to files outside the directory of the document.");
    parser().add_option("source_file", "Path to the original OpenAPI file.")->required();
    parser().add_option("dest_file", "Path to final OpenAPI file.")->required();
    attachTo(parent);
}

int DiffCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_diff");

    openapi_diff::Differ differ(std::cout);
    openapi::SchemaFormatRegistry formats;
    if (parser().count("--config") > 0) {
        std::string path = parser().get_option("--config")->as<std::string>();
        ConfigFile config;
        config.load(path);
        try {
            formats.fromJV(config.formatRegistryConfig());
            differ.setConfig(config.commandConfig("diff"));
        } catch (const jv::JVError& error) {
            throw configError(path, error);
        }
    } else {
        differ.setDefaultConfig();
    }
    differ.setUpdateVersion(parser().count("--update-version") > 0);
    differ.setCheckVersion(parser().count("--check-version") > 0);
    std::string report = parser().get_option("--report")->as<std::string>();
    differ.setReport(report);
    differ.setFormatter(report, parser().get_option("--formatter")->as<std::string>());

    std::string destPath = parser().get_option("dest_file")->as<std::string>();
    openapi::ReadOptions readOptions;
    readOptions.allowRefsOutside = parser().count("--allow-external-refs-outside") > 0;
    auto source =
        readDocument("read_source", parser().get_option("source_file")->as<std::string>(), formats, readOptions);
    auto dest = readDocument("read_dest", destPath, formats, readOptions);

    const std::string versionBefore = dest->model()->info()->version();
    openapi_diff::DiffResult result = differ.process(*source, *dest);
    // Only a version that actually changed is written back: the destination may already hold a sufficient one.
    if (result.versionChange != openapi_diff::VersionChange::none &&
        dest->model()->info()->version() != versionBefore) {
        auto update = telemetry::getSpanScope("update_dest");
        if (dest->isMultiFile()) {
            writeVersionOnly(*dest, destPath);
        } else {
            openapi::writeToFile(dest.get(), destPath);
        }
    }
    leaveToExit(std::move(source));
    leaveToExit(std::move(dest));
    return result.severity == openapi_diff::ChangeSeverity::breaking || result.versionTooLow ? 1 : 0;
}

}  // namespace zephalon::cli
