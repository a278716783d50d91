#pragma once

// Generators that are named on the command line but produce nothing yet. Each says so and fails, so that no
// build pipeline mistakes an empty run for a generated project.

#include <memory>
#include <string_view>
#include <vector>

#include "zephalon/openapi_generator/generator.h"

namespace zephalon::openapi_generator {

// A stub generator: run prints "Running <name>", runs the (empty) lifecycle and then raises
// "The generator '<command>' is not available yet; nothing was written.".
class StubPlugin : public Plugin {
  public:
    StubPlugin(Context& context, std::string_view line, std::string_view command);
    void run(const openapi::OpenAPI* openapi) override;

  private:
    std::string_view line_;
    std::string_view command_;
};

struct StubPluginEntry {
    std::string_view id;       // "client_cpp"
    std::string_view command;  // "client cpp"
    std::string_view line;     // "Running ClientCPPPlugin"
};

// The stub generators, by id.
const std::vector<StubPluginEntry>& stubPlugins();

// The stub for an id, or null when the id names none.
std::unique_ptr<StubPlugin> createStubPlugin(std::string_view id, Context& context);

}  // namespace zephalon::openapi_generator
