#pragma once

// What the TypeScript server generators share: route paths made from path templates, the operation groups that
// become modules, and the operations with the names and types their handlers use.
//
//     "/pets/{petId}"        -> "/pets/:petId"
//     "/files/{name}.json"   -> "/files/:name.json"
//     "/a b/{pet-id}(x)"     -> "/a%20b/:petId\(x\)"    (as the router matches the encoded path)
//     "/pets/{a}{b}"         -> nothing: two parameters need text between them
//
// The router matches the path as the client sends it (percent-encoded) and reads "{}()[]+?!:*\" as its own syntax,
// so literal text is encoded like a URL path and those characters are escaped.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zephalon/openapi/operation.h"
#include "zephalon/openapi_generator/issue.h"
#include "zephalon/openapi_generator_client_fetch/type_writer.h"

namespace zephalon::openapi_generator {
class Context;
}

namespace zephalon::openapi_generator::server_express {

using client_fetch::NameAllocator;
using client_fetch::TypeWriter;
using openapi::OperationInfo;

struct RoutePath {
    // The router's path expression.
    std::string path;
    // Each placeholder of the template once, in order: its name in the document and its name in the route (an
    // identifier, unique in the route).
    std::vector<std::pair<std::string, std::string>> parameters;
    // Per segment: 0 when it is literal text, 1 when it mixes text and parameters, 2 when it is one parameter.
    std::vector<int> segmentKinds;
};

// The route of a path template; nothing when the router cannot express it (two placeholders with no text between
// them, an empty or unclosed placeholder).
std::optional<RoutePath> toRoutePath(std::string_view templatePath);

// Whether `a` must be registered before `b` so that a literal segment wins over a parameter at the same place
// ("/pets/mine" before "/pets/:petId"). A strict weak order: sort stably with it to keep the document's order
// among routes that cannot shadow each other in that way.
bool literalFirst(const RoutePath& a, const RoutePath& b);

// An npm package name: lower case, at most 214 characters, URL-safe, optionally "@scope/name".
bool isValidPackageName(std::string_view name);
// A semantic version: "1.2.3", "1.0.0-rc.1+build.5".
bool isValidPackageVersion(std::string_view version);

// A string literal in TypeScript code: double quotes, with the escapes of JSON, and U+2028 and U+2029 escaped too.
std::string toStringLiteral(std::string_view text);

struct ServerParameter {
    std::string name;      // in the document
    std::string variable;  // the route's name for a path parameter; an identifier for the others
    std::string type;      // of its schema
    bool required = false;
};

struct ServerOperation {
    OperationInfo info;
    std::string handler;  // an identifier, unique in the project
    RoutePath route;
    std::string summary;
    std::string description;
    std::vector<ServerParameter> pathParameters;
    std::vector<ServerParameter> queryParameters;
    std::vector<ServerParameter> headerParameters;
    // The request body's type (empty without a body), whether it is JSON (which the server parses) and required.
    std::string requestType;
    bool jsonRequest = false;
    bool requestRequired = false;
    // The type of a JSON answer of success; empty when there is none.
    std::string responseType;
};

struct ServerModule {
    std::string documentName;  // the group's name in the document; empty for the operations no group names
    std::string name;          // an identifier, unique in the project ignoring case (it names a directory)
    std::vector<ServerOperation> operations;
};

// Everything a server project is made from. Operations come from the document's paths (not webhooks), without
// the disabled ones; what cannot be routed is left out with a warning.
struct ServerModel {
    std::vector<ServerModule> modules;
    std::vector<Issue> issues;
};

// Groups the operations by their "/codegen/controller-name", else their first tag, else their path; operations no
// criterion names go to the module "root". Names every handler (its "/codegen/action-name", else its operationId,
// else its method and path) and writes the types of component schemas, parameters, bodies and answers into
// `types`; `names` holds what is taken already and gets every name given out.
ServerModel buildServerModel(const Context& context, const openapi::OpenAPI& document, NameAllocator& names,
                             TypeWriter& types);

// Issue for a node of the document (its position when the context knows it).
Issue issueAt(const Context& context, IssueSeverity severity, std::string message, const openapi::Node* node);

// The bytes of the input document, for a copy of it in the project (std::runtime_error "Cannot read <path> to copy it
// into the <project>").
std::string documentBytes(const std::string& inputPath, std::string_view project);

// "GET /pets/{petId}".
std::string operationLabel(const OperationInfo& info);

// The documentation comment of a handler: summary, description and the operation's method and path.
std::string handlerComment(const ServerOperation& operation, std::string_view indent = "");

}  // namespace zephalon::openapi_generator::server_express
