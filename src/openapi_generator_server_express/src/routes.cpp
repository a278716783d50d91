#include "zephalon/openapi_generator_server_express/routes.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>

#include "zephalon/code_morph/typescript.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi_generator/action_naming.h"
#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator/operation_grouper.h"

namespace zephalon::openapi_generator::server_express {
namespace {

using code_morph::typescript::toTypeName;
using code_morph::typescript::toVariableName;

bool isAsciiIdentifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }
bool isAsciiIdentifierPart(char c) { return isAsciiIdentifierStart(c) || std::isdigit(static_cast<unsigned char>(c)); }

bool isRouteIdentifier(std::string_view name) {
    return !name.empty() && isAsciiIdentifierStart(name.front()) &&
           std::all_of(name.begin(), name.end(), isAsciiIdentifierPart);
}

// Literal text of a path as the client sends it and the router reads it: what a URL path encodes is encoded (in
// upper-case hex, as URL serialisers write it), and the router's own syntax is escaped.
void appendLiteral(std::string& out, std::string_view text) {
    static constexpr std::string_view kEncoded = " \"#<>?`{}";
    static constexpr std::string_view kSyntax = "()[]+!:*\\";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f || kEncoded.find(c) != std::string_view::npos) {
            out += fmt::format("%{:02X}", byte);
        } else if (kSyntax.find(c) != std::string_view::npos) {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
}

}  // namespace

std::optional<RoutePath> toRoutePath(std::string_view templatePath) {
    RoutePath route;
    std::set<std::string, std::less<>> taken;
    std::size_t start = 0;
    bool first = true;
    while (start <= templatePath.size()) {
        std::size_t end = templatePath.find('/', start);
        if (end == std::string_view::npos) end = templatePath.size();
        const std::string_view segment = templatePath.substr(start, end - start);
        if (!first) route.path += '/';
        first = false;
        int literals = 0;
        int parameters = 0;
        bool previousWasParameter = false;
        std::size_t position = 0;
        while (position < segment.size()) {
            const std::size_t open = segment.find('{', position);
            const std::string_view text =
                segment.substr(position, open == std::string_view::npos ? open : open - position);
            if (!text.empty()) {
                if (previousWasParameter && isAsciiIdentifierPart(text.front())) {
                    // ":id" followed by a letter would take it into the name: the name is quoted instead.
                    const std::size_t colon = route.path.rfind(':');
                    route.path.insert(colon + 1, "\"");
                    route.path += '"';
                }
                appendLiteral(route.path, text);
                ++literals;
                previousWasParameter = false;
            }
            if (open == std::string_view::npos) break;
            const std::size_t close = segment.find('}', open);
            if (close == std::string_view::npos || close == open + 1) return std::nullopt;
            // Two parameters with nothing between them cannot be told apart.
            if (previousWasParameter) return std::nullopt;
            const std::string name(segment.substr(open + 1, close - open - 1));
            const std::string base = isRouteIdentifier(name) ? name : toVariableName(name);
            std::string variable = base;
            for (int number = 2; taken.count(variable) != 0; ++number) variable = fmt::format("{}{}", base, number);
            taken.insert(variable);
            route.path += ':';
            route.path += variable;
            route.parameters.emplace_back(name, std::move(variable));
            ++parameters;
            previousWasParameter = true;
            position = close + 1;
        }
        if (!segment.empty() || start < templatePath.size()) {
            route.segmentKinds.push_back(parameters == 0 ? 0 : (literals == 0 && parameters == 1 ? 2 : 1));
        }
        start = end + 1;
    }
    if (route.path.empty() || route.path.front() != '/') route.path.insert(0, "/");
    return route;
}

bool literalFirst(const RoutePath& a, const RoutePath& b) {
    return std::lexicographical_compare(a.segmentKinds.begin(), a.segmentKinds.end(), b.segmentKinds.begin(),
                                        b.segmentKinds.end());
}

bool isValidPackageName(std::string_view name) {
    if (name.empty() || name.size() > 214) return false;
    const auto validPart = [](std::string_view part) {
        if (part.empty() || part.front() == '.' || part.front() == '_') return false;
        return std::all_of(part.begin(), part.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        });
    };
    if (name.front() == '@') {
        const std::size_t slash = name.find('/');
        if (slash == std::string_view::npos) return false;
        return validPart(name.substr(1, slash - 1)) && validPart(name.substr(slash + 1));
    }
    return validPart(name);
}

bool isValidPackageVersion(std::string_view version) {
    // major.minor.patch, each a number without leading zeros, then an optional pre-release and build.
    std::size_t position = 0;
    for (int part = 0; part < 3; ++part) {
        const std::size_t begin = position;
        while (position < version.size() && std::isdigit(static_cast<unsigned char>(version[position]))) ++position;
        if (position == begin || (position - begin > 1 && version[begin] == '0')) return false;
        if (part < 2) {
            if (position >= version.size() || version[position] != '.') return false;
            ++position;
        }
    }
    const auto identifiers = [&](bool numericRule) {
        do {
            ++position;
            const std::size_t begin = position;
            bool numeric = true;
            while (position < version.size() && version[position] != '.' && version[position] != '+') {
                const char c = version[position];
                if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-') return false;
                numeric = numeric && std::isdigit(static_cast<unsigned char>(c));
                ++position;
            }
            if (position == begin) return false;
            if (numericRule && numeric && position - begin > 1 && version[begin] == '0') return false;
        } while (position < version.size() && version[position] == '.');
        return true;
    };
    if (position < version.size() && version[position] == '-' && !identifiers(true)) return false;
    if (position < version.size() && version[position] == '+' && !identifiers(false)) return false;
    return position == version.size();
}

std::string toStringLiteral(std::string_view text) {
    std::string literal = toJsonLiteral(text);
    // Line separators end a line in older engines and in line comments; other control characters stay readable.
    replace(literal, "\u2028", "\\u2028");
    replace(literal, "\u2029", "\\u2029");
    std::string out;
    out.reserve(literal.size());
    for (const char c : literal) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            out += fmt::format("\\u{:04x}", byte);
        } else {
            out += c;
        }
    }
    return out;
}

Issue issueAt(const Context& context, IssueSeverity severity, std::string message, const openapi::Node* node) {
    return context.issueAt(severity, std::move(message), node);
}

std::string documentBytes(const std::string& inputPath, std::string_view project) {
    // The document as it was read, byte for byte.
    std::ifstream in(inputPath, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) throw std::runtime_error(fmt::format("Cannot read {} to copy it into the {}", inputPath, project));
    return std::move(bytes).str();
}

std::string operationLabel(const OperationInfo& info) {
    return fmt::format("{} {}", asciiToUpper(openapi::operationMethodToString(info.method)), info.path);
}

std::string handlerComment(const ServerOperation& operation, std::string_view indent) {
    std::string text;
    if (!isBlank(operation.summary)) text += trimLines(operation.summary) + "\n\n";
    if (!isBlank(operation.description)) text += trimLines(operation.description) + "\n\n";
    text += operationLabel(operation.info);
    if (operation.info.operation->deprecated()) text += "\n\n@deprecated";
    std::string comment = client_fetch::docComment(text, indent);
    // Line and paragraph separators are no trouble inside a block comment, but editors show them as breaks
    // nobody typed.
    replace(comment, "\u2028", " ");
    replace(comment, "\u2029", " ");
    return comment;
}

namespace {

// The parameters, body and answer of one operation, with their types added to types.ts.
void collectOperation(ServerOperation& operation, NameAllocator& names, TypeWriter& types) {
    const openapi::Operation& source = *operation.info.operation;
    operation.summary = source.summary().value_or("");
    operation.description = source.description().value_or("");
    const std::string stem = toTypeName(operation.handler);
    std::set<std::string, std::less<>> variables;
    const auto variable = [&](std::string_view name) {
        const std::string base = toVariableName(name);
        std::string result = base;
        for (int number = 2; variables.count(result) != 0; ++number) result = fmt::format("{}{}", base, number);
        variables.insert(result);
        return result;
    };
    for (const auto& [name, routeName] : operation.route.parameters) {
        variables.insert(routeName);
        // A reserved word is a fine key of req.params, but a variable needs it suffixed.
        variables.insert(routeName + "_");
    }
    // The body's variable is "body" whatever the parameters are called.
    if (source.requestBody() != nullptr) variables.insert("body");
    for (const openapi::Parameter* parameter : source.effectiveParameters()) {
        using Location = openapi::Parameter::Location;
        const openapi::Schema* schema = parameter->schemaOrContent().effectiveSchema();
        ServerParameter entry{parameter->name(), "", types.typeOf(schema), parameter->required()};
        switch (parameter->location()) {
            case Location::path: {
                const auto& routed = operation.route.parameters;
                auto it = std::find_if(routed.begin(), routed.end(),
                                       [&](const auto& pair) { return pair.first == parameter->name(); });
                // A path parameter its template does not hold never has a value.
                if (it == routed.end()) break;
                entry.variable = it->second;
                entry.required = true;
                operation.pathParameters.push_back(std::move(entry));
                break;
            }
            case Location::query:
                entry.variable = variable(parameter->name());
                operation.queryParameters.push_back(std::move(entry));
                break;
            case Location::header:
                entry.variable = variable(parameter->name());
                operation.headerParameters.push_back(std::move(entry));
                break;
            case Location::cookie:
                break;
        }
    }
    // Placeholders that no parameter declares still reach the handler, as strings.
    for (const auto& [name, routeName] : operation.route.parameters) {
        const auto& declared = operation.pathParameters;
        // Captured by name: clang 14 (the fuzz build's compiler) does not let a lambda capture a structured binding.
        if (std::none_of(declared.begin(), declared.end(), [&variable = routeName](const ServerParameter& parameter) {
                return parameter.variable == variable;
            })) {
            operation.pathParameters.push_back(ServerParameter{name, routeName, "string", true});
        }
    }
    if (const openapi::RequestBody* body = source.requestBody()) {
        const auto [key, media] = client_fetch::pickMediaType(body->content());
        operation.requestRequired = body->required();
        operation.jsonRequest = media != nullptr && client_fetch::isJsonMediaType(key);
        operation.requestType = names.allocate(stem + "Request");
        types.addAlias(operation.requestType, operation.jsonRequest ? types.typeOf(media->schemaNode()) : "unknown",
                       body->description().value_or(""));
    }
    if (const openapi::Response* response = client_fetch::successResponse(source)) {
        const auto [key, media] = client_fetch::pickMediaType(response->content());
        if (media != nullptr && client_fetch::isJsonMediaType(key)) {
            operation.responseType = names.allocate(stem + "Response");
            types.addAlias(operation.responseType, types.typeOf(media->schemaNode()), response->description());
        }
    }
}

}  // namespace

ServerModel buildServerModel(const Context& context, const openapi::OpenAPI& document, NameAllocator& names,
                             TypeWriter& types) {
    ServerModel model;
    types.addComponents(document);

    OperationGrouper grouper;
    grouper.skipDisabled = true;
    grouper.criteria = {GroupingCriterium::extension, GroupingCriterium::tag, GroupingCriterium::url};
    grouper.run(&document);
    std::vector<std::pair<std::string, std::vector<OperationInfo>>> groups;
    for (auto& [name, operations] : grouper.groups) groups.emplace_back(name, std::move(operations));
    if (!grouper.ungrouped.empty()) groups.emplace_back("", std::move(grouper.ungrouped));

    ActionNamer namer;
    namer.addSource(ActionNameSource::extension);
    namer.addSource(ActionNameSource::id);
    namer.addSource(ActionNameSource::url);
    // Module names become directories: names that differ only in case would share one on some file systems.
    // The modules index names them beside its own "routes".
    std::set<std::string> moduleNames{"routes", "route"};
    for (auto& [documentName, operations] : groups) {
        ServerModule module;
        module.documentName = documentName;
        const std::string base = toVariableName(documentName.empty() ? "root" : documentName);
        module.name = base;
        for (int number = 2; !moduleNames.insert(asciiToLower(module.name)).second; ++number) {
            module.name = fmt::format("{}{}", base, number);
        }
        for (const OperationInfo& info : operations) {
            std::optional<RoutePath> route = toRoutePath(info.path);
            if (!route) {
                model.issues.push_back(issueAt(
                    context, IssueSeverity::Warning,
                    fmt::format("Operation {} is left out: its path cannot be routed (each parameter needs a name, "
                                "and two parameters need text between them)",
                                operationLabel(info)),
                    info.operation));
                continue;
            }
            ServerOperation operation;
            operation.info = info;
            operation.route = std::move(*route);
            operation.handler = names.allocate(toVariableName(namer(info).value_or("")));
            collectOperation(operation, names, types);
            module.operations.push_back(std::move(operation));
        }
        if (module.operations.empty()) continue;
        std::stable_sort(
            module.operations.begin(), module.operations.end(),
            [](const ServerOperation& a, const ServerOperation& b) { return literalFirst(a.route, b.route); });
        model.modules.push_back(std::move(module));
    }
    return model;
}

}  // namespace zephalon::openapi_generator::server_express
