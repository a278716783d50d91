#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <vector>

#include "zephalon/cli/command.h"

namespace zephalon::cli {

// The program: the root command-line parser and the fixed registry of commands.
//
//     Application application;      // also starts telemetry (".zephalon.telemetry")
//     application.setUp();
//     return application.run(argc, argv);
class Application {
  public:
    Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    // Shuts telemetry down, then destroys the commands in registry order.
    ~Application();

    // Creates the commands in registry order and registers their parsers.
    void setUp();
    // Parses the command line and executes the command it names. Help and version requests print to standard output
    // and return 0; returns -1, printing nothing, when no command is named. Command-line errors and failures of the
    // command are thrown.
    int run(int argc, const char* const* argv);

    const std::vector<std::unique_ptr<Command>>& commands() const { return commands_; }

  private:
    CLI::App parser_;
    std::vector<std::unique_ptr<Command>> commands_;
};

}  // namespace zephalon::cli
