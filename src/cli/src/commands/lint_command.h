#pragma once

#include "zephalon/cli/command.h"

namespace zephalon::cli {

class LintCommand : public Command {
  public:
    LintCommand();
    void setUp(CLI::App& parent) override;
    int execute() override;
};

}  // namespace zephalon::cli
