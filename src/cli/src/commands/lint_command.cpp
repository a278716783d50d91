#include "lint_command.h"

#include <fmt/format.h>

#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "leave_to_exit.h"
#include "zephalon/cli/config_file.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi/schema_format.h"
#include "zephalon/openapi_lint/baseline.h"
#include "zephalon/openapi_lint/linter.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

namespace {

using openapi_lint::Severity;

// Reads the configuration into the linter and the format registry; errors in the lint section name the file.
void configure(const std::string& path, openapi_lint::Linter& linter, openapi::SchemaFormatRegistry& formats) {
    ConfigFile config;
    config.load(path);
    try {
        formats.fromJV(config.formatRegistryConfig());
    } catch (const jv::JVError& error) {
        throw ConfigFileError(error.what(), error.node != nullptr ? error.node->pos : Pos{});
    }
    try {
        linter.setConfig(config.commandConfig("lint"));
    } catch (const openapi_lint::RuleConfigurationError& error) {
        throw ConfigFileError(fmt::format("{}: {}", path, error.what()));
    } catch (const jv::JVError& error) {
        throw ConfigFileError(fmt::format("{}: {}", path, error.what()),
                              error.node != nullptr ? error.node->pos : Pos{});
    }
}

bool failsAt(const openapi_lint::Result& result, Severity threshold) {
    return result.errorCount() > 0 || (threshold == Severity::Warning && result.warningCount() > 0);
}

}  // namespace

LintCommand::LintCommand() : Command("lint") {}

void LintCommand::setUp(CLI::App& parent) {
    parser().description("Lint one or more OpenAPI files.");
    parser().add_option("--config", "Path to the configuration file.")->option_text("CONFIG");
    parser().add_flag("--fix")->description("Automatically fixes problems where possible.");
    parser()
        .add_flag("--allow-external-refs-outside")
        ->description("Lets references lead to files outside the directory of the document.");
    parser().add_option("--formatter", "Specifies the formatter")->option_text("FORMATTER")->default_val("stylish");
    parser()
        .add_option("--fail-severity",
                    "Exits with status 1 when an issue of this severity or a higher one is reported (error, warning).")
        ->option_text("SEVERITY")
        ->check(CLI::IsMember({"error", "warning"}));
    parser()
        .add_option("--baseline", "Leaves out the accepted findings listed in this baseline file.")
        ->option_text("FILE");
    parser().add_option("--write-baseline", "Writes the current findings to this baseline file.")->option_text("FILE");
    parser()
        .add_option("files", "Path to OpenAPI files to lint.")
        ->option_text("FILES")
        ->expected(-1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->required();
    attachTo(parent);
}

int LintCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_lint");
    openapi_lint::Linter linter(std::cout);
    // Custom formats are referred to by the models read with them, so the registry outlives every document.
    openapi::SchemaFormatRegistry formats;

    if (parser().count("--config") > 0) {
        configure(parser().get_option("--config")->as<std::string>(), linter, formats);
    } else {
        linter.setDefaultConfig();
    }
    linter.setAutoFix(parser().count("--fix") > 0);
    linter.setFormatter(parser().get_option("--formatter")->as<std::string>());

    // Read before any document, so that a broken baseline stops the run before a fix rewrites a file.
    std::optional<openapi_lint::Baseline> baseline;
    if (parser().count("--baseline") > 0) {
        baseline = openapi_lint::Baseline::load(parser().get_option("--baseline")->as<std::string>());
    }
    // A baseline lists findings by their pointers.
    linter.setKeepPointers(baseline.has_value() || parser().count("--write-baseline") > 0);

    openapi::ReadOptions readOptions;
    readOptions.allowRefsOutside = parser().count("--allow-external-refs-outside") > 0;

    // A document named twice is linted once; otherwise its findings would be reported twice.
    std::set<std::filesystem::path> seen;
    // Each document is freed when the next is read; the last one is left to the end of the process.
    std::unique_ptr<openapi::OpenAPIReadResult> readResult;
    for (const std::string& file : parser().get_option("files")->as<std::vector<std::string>>()) {
        std::error_code ignored;
        if (!seen.insert(std::filesystem::weakly_canonical(std::filesystem::absolute(file), ignored)).second) continue;
        readResult.reset();
        {
            auto span = telemetry::getSpanScope("read");
            try {
                readResult = openapi::checkedReadFromFile(file, &formats, readOptions);
            } catch (const std::exception& error) {
                // A parse error names the file and its place already.
                if (std::string_view(error.what()).starts_with(file + ":")) throw;
                throw std::runtime_error(fmt::format("{}: {}", file, error.what()));
            }
        }
        if (parser().count("--write-baseline") > 0) {
            openapi::refuseToOverwrite(*readResult, parser().get_option("--write-baseline")->as<std::string>(),
                                       "baseline file");
        }
        auto span = telemetry::getSpanScope("process");
        linter.process(*readResult, file);
    }
    leaveToExit(std::move(readResult));

    if (parser().count("--write-baseline") > 0) {
        const std::string path = parser().get_option("--write-baseline")->as<std::string>();
        openapi_lint::Baseline::fromResult(linter.context().result(), path).save(path);
    }
    if (baseline) linter.context().setResult(baseline->filter(linter.context().result()));
    linter.report();

    if (parser().count("--fail-severity") > 0) {
        const Severity threshold =
            openapi_lint::severityFromString(parser().get_option("--fail-severity")->as<std::string>());
        if (failsAt(linter.context().result(), threshold)) return 1;
    }
    return 0;
}

}  // namespace zephalon::cli
