#pragma once

#include "zephalon/cli/command.h"

namespace zephalon::cli {

// Serves a mock of an API description over HTTP until it is interrupted.
class ServerCommand : public Command {
  public:
    ServerCommand();
    void setUp(CLI::App& parent) override;
    int execute() override;
};

}  // namespace zephalon::cli
