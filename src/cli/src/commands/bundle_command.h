#pragma once

#include "zephalon/cli/command.h"

namespace zephalon::cli {

// Writes a document split over several files as one self-contained document.
class BundleCommand : public Command {
  public:
    BundleCommand();
    void setUp(CLI::App& parent) override;
    int execute() override;
};

}  // namespace zephalon::cli
