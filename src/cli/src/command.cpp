#include "zephalon/cli/command.h"

namespace zephalon::cli {

Command::Command(std::string name) : parser_(std::make_shared<CLI::App>("", std::move(name))) {
    parser_->set_help_flag("-h,--help", "shows help message and exits");
    // Commands carry their own version, independent of the program's.
    parser_->set_version_flag("-v,--version", "1.0", "prints version information and exits");
}

Command::~Command() = default;

void Command::attachTo(CLI::App& parent) { parent.add_subcommand(parser_); }

}  // namespace zephalon::cli
