#include "zephalon/cli/application.h"

#include <fmt/format.h>

#include <exception>
#include <iostream>

#include "commands/bundle_command.h"
#include "commands/credits_command.h"
#include "commands/diff_command.h"
#include "commands/format_command.h"
#include "commands/generate_command.h"
#include "commands/i18n_command.h"
#include "commands/license_command.h"
#include "commands/lint_command.h"
#include "commands/server_command.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::cli {

namespace {

// The registry. Its order is the order of the help listing and of the dispatch search.
std::vector<std::unique_ptr<Command>> createCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<CreditsCommand>());
    commands.push_back(std::make_unique<FormatCommand>());
    commands.push_back(std::make_unique<LicenseCommand>());
    commands.push_back(std::make_unique<LintCommand>());
    commands.push_back(std::make_unique<DiffCommand>());
    commands.push_back(std::make_unique<GenerateCommand>());
    commands.push_back(std::make_unique<I18NCommand>());
    commands.push_back(std::make_unique<ServerCommand>());
    commands.push_back(std::make_unique<BundleCommand>());
    return commands;
}

}  // namespace

Application::Application() : parser_("", "zephalon") {
    parser_.set_help_flag("-h,--help", "shows help message and exits");
    parser_.set_version_flag("-v,--version", ZEPHALON_VERSION, "prints version information and exits");
    // One command per run: the words after the command name belong to that command alone.
    parser_.require_subcommand(0, 1);
    telemetry::init(".zephalon.telemetry");
}

Application::~Application() {
    try {
        telemetry::shutDown();
    } catch (const std::exception&) {
        // Nothing useful can be done about telemetry while the program ends.
    }
    for (auto& command : commands_) {
        command.reset();
    }
}

void Application::setUp() {
    std::ios::sync_with_stdio(false);
    commands_ = createCommands();
    for (auto& command : commands_) {
        command->setUp(parser_);
    }
}

int Application::run(int argc, const char* const* argv) {
    try {
        parser_.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        // Prints the help of the command named before "--help", or the root help.
        std::cout << parser_.help();
        return 0;
    } catch (const CLI::CallForVersion& version) {
        std::cout << version.what() << '\n';
        return 0;
    }
    for (auto& command : commands_) {
        if (parser_.got_subcommand(&command->parser())) {
            return command->execute();
        }
    }
    // Without a command there is nothing to do; the help says what there is.
    std::cout << parser_.help();
    return -1;
}

}  // namespace zephalon::cli
