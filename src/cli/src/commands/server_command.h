#pragma once

#include "zephalon/cli/command.h"

namespace zephalon::cli {

// The entry for the mock server. This version serves nothing; it records its telemetry span and ends.
class ServerCommand : public Command {
  public:
    ServerCommand();
    void setUp(CLI::App& parent) override;
    int execute() override;
};

}  // namespace zephalon::cli
