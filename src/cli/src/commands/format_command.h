#pragma once

#include "zephalon/cli/command.h"

namespace zephalon::cli {

class FormatCommand : public Command {
  public:
    FormatCommand();
    void setUp(CLI::App& parent) override;
    int execute() override;
};

}  // namespace zephalon::cli
