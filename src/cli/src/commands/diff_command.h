#pragma once

#include "zephalon/cli/command.h"

namespace zephalon::cli {

class DiffCommand : public Command {
  public:
    DiffCommand();
    void setUp(CLI::App& parent) override;
    int execute() override;
};

}  // namespace zephalon::cli
