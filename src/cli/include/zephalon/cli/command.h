#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

namespace zephalon::cli {

// One command of the program (the first word on the command line). A command owns its sub-command parser; after
// parsing, `execute` reads everything it needs back from that parser, so commands hold no other state.
class Command {
  public:
    explicit Command(std::string name);
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;
    virtual ~Command();

    // Describes the command, adds its options to its parser and registers the parser with `parent`.
    virtual void setUp(CLI::App& parent) = 0;
    // Runs the command; the result becomes the process exit status.
    virtual int execute() = 0;

    // The registry name, which is also the word that selects the command.
    const std::string& name() const { return parser_->get_name(); }
    CLI::App& parser() { return *parser_; }
    const CLI::App& parser() const { return *parser_; }

  protected:
    // The last step of `setUp`: hands the configured parser to the parent.
    void attachTo(CLI::App& parent);

  private:
    std::shared_ptr<CLI::App> parser_;
};

}  // namespace zephalon::cli
