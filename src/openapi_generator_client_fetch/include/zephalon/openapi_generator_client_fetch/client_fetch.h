#pragma once

// The TypeScript client generator (`generate client fetch`): a set of sources that call the document's operations
// with the fetch API, for the user's own project, which depends on "@quorvi/zephalon-tools-core".
//
//     src/types.ts       a type per component schema, and the parameters, request and response of each operation
//     src/formatters.ts  how parameter values are written into paths, query strings and headers
//     src/actions.ts     one exported async function per operation, named after its operationId (in camel case),
//                        else after its method and path ("get /pets/{petId}" -> getPetsPetId)
//     src/utils.ts       init, the request helpers the actions call, and APIClientError
//     src/index.ts       what the client exports
//
// Operations whose "/codegen/disabled" (or their path item's) is true are left out; "/codegen/action-name" names an
// action, "/codegen/name" a schema's type. Nothing is written unless the whole client could be generated.

#include <memory>

#include "zephalon/openapi_generator/generator.h"

namespace zephalon::openapi_generator::client_fetch {

struct ClientState;

class Plugin : public openapi_generator::Plugin {
  public:
    explicit Plugin(Context& context);
    ~Plugin() override;

    // Raises ConfigError when no output directory is set.
    void configureSelf() override;
    void configureParts() override;
    // The component types come first, so that operations refer to them by name.
    void collectData() override;
    // Renders every part, then saves the project.
    void generateCode() override;

  private:
    std::unique_ptr<ClientState> state_;
};

}  // namespace zephalon::openapi_generator::client_fetch
