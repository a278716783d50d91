#pragma once

#include "zephalon/cli/command.h"

namespace zephalon::cli {

class CreditsCommand : public Command {
  public:
    CreditsCommand();
    void setUp(CLI::App& parent) override;
    int execute() override;
};

}  // namespace zephalon::cli
