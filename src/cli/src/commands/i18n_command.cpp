#include "i18n_command.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "zephalon/openapi_i18n/extract.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

I18NCommand::I18NCommand() : Command("i18n") {}

void I18NCommand::setUp(CLI::App& parent) {
    parser().description("Extract i18n data from an OpenAPI spec.");
    parser()
        .add_option("files", "Path to OpenAPI file to process.")
        ->option_text("FILES")
        ->expected(1, -1)
        ->allow_extra_args()
        ->required();
    parser()
        .add_option("--output", "Path to the JSON file to write the extracted texts to (standard output when absent).")
        ->option_text("DEST");
    attachTo(parent);
}

int I18NCommand::execute() {
    auto scope = telemetry::getSpanScope("cli_command_i18n");

    // Extracting several documents into one object would mix their pointers,
    // which no longer say which document a text belongs to; only one input is
    // processed per run, and a second one is refused rather than ignored.
    auto files = parser().get_option("files")->as<std::vector<std::string>>();
    if (files.size() > 1) throw std::runtime_error("Only one input file is allowed.");

    openapi_i18n::Extract extract;
    extract.setInputPath(files.front());
    if (parser().count("--output") > 0) extract.setOutputPath(parser().get_option("--output")->as<std::string>());
    extract.process();
    return 0;
}

}  // namespace zephalon::cli
