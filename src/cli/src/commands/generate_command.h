#pragma once

#include <memory>
#include <string>
#include <vector>

#include "zephalon/cli/command.h"

namespace zephalon::cli {

// `generate` and its tree of generators: "data" directly, the others in the groups doc, client, mock and server.
class GenerateCommand : public Command {
  public:
    GenerateCommand();
    ~GenerateCommand() override;
    void setUp(CLI::App& parent) override;
    int execute() override;

    struct Leaf;

  private:
    std::vector<std::unique_ptr<Leaf>> leaves_;
};

}  // namespace zephalon::cli
