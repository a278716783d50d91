#include "zephalon/openapi_generator_server_express/server_express.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>

#include "express_parts.h"
#include "zephalon/code_morph/base.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_generator::server_express {
namespace {

constexpr std::string_view kSection = "/commands/generate/server_express";

// What the generated files name besides the document's own names: handlers and types share the modules that
// import these.
constexpr std::string_view kReservedNames[] = {
    "Request",     "Response", "NextFunction", "Router", "RequestHandler", "Express", "Problem", "notImplemented",
    "sendProblem", "route",    "routerOf",     "Route",  "Method",         "Array",   "Boolean", "Date",
    "Error",       "JSON",     "Number",       "Object", "Promise",        "Record",  "String",  "Buffer"};

bool booleanValue(const jv::JV& value, std::string_view key) {
    if (!value.isBoolean()) throw ConfigError(fmt::format("{} must be a boolean", key));
    return value.booleanValue();
}

// A file whose text is fixed or made in one piece.
class TextPart : public Part {
  public:
    TextPart(ExpressState& state, std::string path, std::string text)
        : state_(state), path_(std::move(path)), text_(std::move(text)) {}
    void generateCode() override { state_.project.addSourceFile(path_)->setText(text_); }

  protected:
    ExpressState& state_;
    std::string path_;
    std::string text_;
};

// src/modules/<module>/handlers.ts
class ModuleHandlers : public Part {
  public:
    ModuleHandlers(ExpressState& state, const ServerModule& module) : state_(state), module_(module) {}

    void generateCode() override {
        auto& file = *state_.project.addModuleFile(fmt::format("modules/{}/handlers", module_.name));
        file.addTypeImport("express", "Request");
        file.addTypeImport("express", "Response");
        file.addImport("../../problem.js", "notImplemented");
        for (const ServerOperation& operation : module_.operations) {
            std::string params = "Record<string, never>";
            if (!operation.pathParameters.empty()) {
                params.clear();
                for (const ServerParameter& parameter : operation.pathParameters) {
                    params += fmt::format("{}{}: string", params.empty() ? "{ " : "; ", parameter.variable);
                }
                params += " }";
            }
            std::string answer = "unknown";
            if (!operation.responseType.empty()) {
                file.addTypeImport("../../problem.js", "Problem");
                file.addTypeImport("../../types.js", operation.responseType);
                answer = operation.responseType + " | Problem";
            }
            std::string body = "unknown";
            if (operation.jsonRequest) {
                file.addTypeImport("../../types.js", operation.requestType);
                body = operation.requestRequired ? operation.requestType : operation.requestType + " | undefined";
            }
            auto& function = *file.addFunction(operation.handler);
            function.setExported(true);
            function.setAsync(true);
            function.setComment(handlerComment(operation));
            function.addParameter("req", fmt::format("Request<{}, {}, {}>", params, answer, body));
            function.addParameter("res", fmt::format("Response<{}>", answer));
            function.setReturnType("Promise<void>");
            function.addBlock("notImplemented(req, res);");
        }
    }

  private:
    ExpressState& state_;
    const ServerModule& module_;
};

std::string routeCall(const ServerOperation& operation) {
    return fmt::format("route({}, {}, handlers.{})",
                       toStringLiteral(openapi::operationMethodToString(operation.info.method)),
                       toStringLiteral(operation.route.path), operation.handler);
}

// src/modules/<module>/routes.ts
class ModuleRouter : public Part {
  public:
    ModuleRouter(ExpressState& state, const ServerModule& module) : state_(state), module_(module) {}

    void generateCode() override {
        auto& file = *state_.project.addModuleFile(fmt::format("modules/{}/routes", module_.name));
        file.addTypeImport("express", "Router");
        file.addImport("../../routing.js", "route");
        file.addImport("../../routing.js", "routerOf");
        file.addNamespaceImport("./handlers.js", "handlers");
        std::string text =
            "// The module's operations by handler name, a literal segment before a parameter at the same place.\n";
        text += "export const routes = {\n";
        for (const ServerOperation& operation : module_.operations) {
            text += fmt::format("  {}: {},\n", operation.handler, routeCall(operation));
        }
        text += "} as const;\n\n";
        text += "// A router of this module alone.\n";
        text += "export const router: Router = routerOf(Object.values(routes));\n";
        file.setText(std::move(text));
    }

  private:
    ExpressState& state_;
    const ServerModule& module_;
};

// src/modules/<module>/index.ts
class ModuleIndex : public Part {
  public:
    ModuleIndex(ExpressState& state, const ServerModule& module) : state_(state), module_(module) {}

    void generateCode() override {
        auto& file = *state_.project.addModuleFile(fmt::format("modules/{}/index", module_.name));
        file.addExport("./routes.js", "router");
        file.addExport("./routes.js", "routes");
        file.addExport("./handlers.js", "* as handlers");
    }

  private:
    ExpressState& state_;
    const ServerModule& module_;
};

// src/modules/index.ts: the routes of all modules in the order the router must try them.
class ModulesIndex : public Part {
  public:
    explicit ModulesIndex(ExpressState& state) : state_(state) {}

    void generateCode() override {
        auto& file = *state_.project.addModuleFile("modules/index");
        file.addTypeImport("../routing.js", "Route");
        std::vector<std::pair<const ServerModule*, const ServerOperation*>> all;
        for (const ServerModule& module : state_.model.modules) {
            file.addNamespaceImport(fmt::format("./{}/index.js", module.name), module.name);
            for (const ServerOperation& operation : module.operations) all.emplace_back(&module, &operation);
        }
        // Modules are separate routers to their users, but one to the application: a literal path of one module
        // must not be shadowed by a parameter of another.
        std::stable_sort(all.begin(), all.end(),
                         [](const auto& a, const auto& b) { return literalFirst(a.second->route, b.second->route); });
        std::string text =
            "// Every route of every module, in the order the router tries them: a literal segment before a parameter "
            "at the\n// same place.\n";
        if (all.empty()) {
            text += "export const routes: readonly Route[] = [];\n";
        } else {
            text += "export const routes: readonly Route[] = [\n";
            for (const auto& [module, operation] : all) {
                text += fmt::format("  {}.routes.{},\n", module->name, operation->handler);
            }
            text += "];\n";
        }
        file.setText(std::move(text));
    }

  private:
    ExpressState& state_;
};

std::string packageJsonText(const ExpressState& state) {
    return fmt::format(R"json({{
  "name": {},
  "version": {},
  "private": true,
  "type": "module",
  "main": "dist/main.js",
  "scripts": {{
    "build": "tsc -p .",
    "start": "node dist/main.js"
  }},
  "engines": {{
    "node": ">=20"
  }},
  "dependencies": {{
    "express": "5.3.0"
  }},
  "devDependencies": {{
    "@types/express": "5.0.6",
    "@types/node": "20.19.43",
    "typescript": "5.9.3"
  }}
}}
)json",
                       toJsonLiteral(state.packageName), toJsonLiteral(state.packageVersion));
}

// A copy of the document.
class OpenAPISchemaFile : public TextPart {
  public:
    OpenAPISchemaFile(ExpressState& state, std::string path, std::string input)
        : TextPart(state, std::move(path), ""), input_(std::move(input)) {}

    void collectData() override { text_ = documentBytes(input_, "server"); }

  private:
    std::string input_;
};

}  // namespace

Configuration Configuration::fromJV(const jv::JV& section, std::string_view pointer) {
    if (!section.isObject()) throw ConfigError(fmt::format("{} must be an object", pointer));
    Configuration config;
    for (const auto& [key, value] : section.properties()) {
        if (key == "package_files") {
            config.packageFiles = booleanValue(*value, key);
        } else if (key == "app_object") {
            config.appObject = booleanValue(*value, key);
        } else if (key == "server_object") {
            config.serverObject = booleanValue(*value, key);
        } else if (key == "openapi_schema") {
            if (value->isBoolean()) {
                config.openapiSchema = value->booleanValue();
            } else if (value->isString()) {
                try {
                    config.openapiSchemaPath = code_morph::base::normalizeSourcePath(value->stringValue());
                } catch (const std::runtime_error&) {
                    throw ConfigError(fmt::format("openapi_schema must name a file inside the project: {}",
                                                  toJsonLiteral(value->stringValue())));
                }
                config.openapiSchema = true;
            } else {
                throw ConfigError("openapi_schema must be a boolean or a string");
            }
        } else {
            throw ConfigError(fmt::format("Unknown key '{}' in {}", key, pointer));
        }
    }
    return config;
}

Configuration Configuration::fromRoot(const jv::JV* root, std::string_view pointer) {
    const jv::JV* section =
        root != nullptr && root->isObject() ? root->find(jv::JVPointer(std::string(pointer))) : nullptr;
    return section != nullptr ? fromJV(*section, pointer) : Configuration();
}

std::string Configuration::openapiSchemaFile(std::string_view inputPath) const {
    if (openapiSchemaPath) return *openapiSchemaPath;
    const std::string extension = std::filesystem::path(inputPath).extension().string();
    return code_morph::base::safeFileName("openapi" + (extension.empty() ? std::string(".json") : extension));
}

Plugin::Plugin(Context& context) : openapi_generator::Plugin(context) {}
Plugin::~Plugin() = default;

void Plugin::setOption(std::string_view name, std::string_view value) {
    if (name == "packageName" && !isValidPackageName(value)) {
        throw ConfigError(fmt::format("Invalid package name: '{}'", value));
    }
    if (name == "packageVersion" && !isValidPackageVersion(value)) {
        throw ConfigError(fmt::format("Invalid package version: '{}'", value));
    }
    openapi_generator::Plugin::setOption(name, value);
}

void Plugin::setConfig(const jv::JV* root) { configuration_ = Configuration::fromRoot(root, kSection); }

void Plugin::setDefaultConfig() { configuration_ = Configuration(); }

void Plugin::configureSelf() {
    if (outputPath().empty()) throw ConfigError("The Express server needs an output directory (-o, --output)");
    state_ = std::make_unique<ExpressState>(context().fs());
    state_->project.setPath(outputPath());
    state_->packageName = packageName().empty() ? std::string(kDefaultPackageName) : packageName();
    state_->packageVersion = packageVersion().empty() ? std::string(kDefaultPackageVersion) : packageVersion();
    for (std::string_view name : kReservedNames) state_->names.reserve(name);
}

void Plugin::configureParts() {
    ExpressState& state = *state_;
    state.model = buildServerModel(context(), *openapi(), state.names, state.types);
    for (const ServerModule& module : state.model.modules) {
        addPart(std::make_unique<ModuleHandlers>(state, module));
        addPart(std::make_unique<ModuleRouter>(state, module));
        addPart(std::make_unique<ModuleIndex>(state, module));
    }
    addPart(std::make_unique<ModulesIndex>(state));
    addPart(std::make_unique<TextPart>(state, "src/routing.ts", std::string(routingText())));
    addPart(std::make_unique<TextPart>(state, "src/problem.ts", std::string(problemText())));
    if (configuration_.appObject) addPart(std::make_unique<TextPart>(state, "src/app.ts", std::string(appText())));
    if (configuration_.serverObject) {
        addPart(std::make_unique<TextPart>(state, "src/server.ts", std::string(serverText())));
        addPart(std::make_unique<TextPart>(state, "src/main.ts", std::string(mainText())));
    }
    if (configuration_.packageFiles) {
        addPart(std::make_unique<TextPart>(state, "package.json", packageJsonText(state)));
        addPart(std::make_unique<TextPart>(state, "tsconfig.json", std::string(tsConfigText())));
    }
    if (configuration_.openapiSchema) {
        addPart(std::make_unique<OpenAPISchemaFile>(state, configuration_.openapiSchemaFile(context().inputPath()),
                                                    context().inputPath()));
    }
}

void Plugin::generateCode() {
    openapi_generator::Plugin::generateCode();
    state_->project.addModuleFile("types")->setText(state_->types.text());
    state_->project.save();
    print(state_->model.issues);
}

}  // namespace zephalon::openapi_generator::server_express
