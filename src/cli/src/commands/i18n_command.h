#pragma once

#include "zephalon/cli/command.h"

namespace zephalon::cli {

class I18NCommand : public Command {
  public:
    I18NCommand();
    void setUp(CLI::App& parent) override;
    int execute() override;
};

}  // namespace zephalon::cli
