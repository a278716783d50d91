#pragma once

#include "zephalon/cli/command.h"

namespace zephalon::cli {

class LicenseCommand : public Command {
  public:
    LicenseCommand();
    void setUp(CLI::App& parent) override;
    int execute() override;
};

}  // namespace zephalon::cli
