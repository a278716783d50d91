#pragma once

#include "zephalon/cli/command.h"

namespace zephalon::cli {

class GenerateCommand : public Command {
  public:
    GenerateCommand();
    void setUp(CLI::App& parent) override;
    int execute() override;
};

}  // namespace zephalon::cli
