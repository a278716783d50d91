#include "zephalon/openapi_generator_server_nestjs/server_nestjs.h"

#include <fmt/format.h>

#include "zephalon/code_morph/typescript.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi_generator_server_express/routes.h"

namespace zephalon::openapi_generator::server_nestjs {

using server_express::NameAllocator;
using server_express::ServerModel;
using server_express::ServerModule;
using server_express::ServerOperation;
using server_express::ServerParameter;
using server_express::toStringLiteral;
using server_express::TypeWriter;

// A module's classes.
struct ModuleNames {
    const ServerModule* module;
    std::string controllerClass;
    std::string moduleClass;
};

struct NestState {
    explicit NestState(FileSystem& fs) : project(fs), types(names) {}

    code_morph::typescript::Project project;
    NameAllocator names;
    TypeWriter types;
    ServerModel model;
    std::vector<ModuleNames> modules;
    std::string packageName;
    std::string packageVersion;
};

namespace {

constexpr std::string_view kSection = "/commands/generate/server_nestjs";
constexpr std::string_view kCommon = "@nestjs/common";

// What the generated files import or declare besides the document's own names.
constexpr std::string_view kReservedNames[] = {
    "Body",      "Controller",    "Get",     "Put",     "Post",   "Delete", "Options",
    "Head",      "Patch",         "Headers", "Param",   "Query",  "Module", "NotImplementedException",
    "AppModule", "ProblemFilter", "Array",   "Boolean", "Date",   "Error",  "JSON",
    "Number",    "Object",        "Promise", "Record",  "String", "Buffer"};

// The decorator of a method; nothing for TRACE, which Nest does not route.
std::optional<std::string_view> decoratorOf(openapi::HttpMethod method) {
    switch (method) {
        case openapi::HttpMethod::get:
            return "Get";
        case openapi::HttpMethod::put:
            return "Put";
        case openapi::HttpMethod::post:
            return "Post";
        case openapi::HttpMethod::delete_:
            return "Delete";
        case openapi::HttpMethod::options:
            return "Options";
        case openapi::HttpMethod::head:
            return "Head";
        case openapi::HttpMethod::patch:
            return "Patch";
        case openapi::HttpMethod::trace:
            break;
    }
    return std::nullopt;
}

std::vector<std::string_view> segmentsOf(std::string_view path) {
    std::vector<std::string_view> segments;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = path.find('/', start);
        segments.push_back(path.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos) return segments;
        start = slash + 1;
    }
}

// The literal segments every route of the module starts with: the controller's path.
std::size_t sharedPrefix(const ServerModule& module) {
    std::vector<std::vector<std::string_view>> all;
    for (const ServerOperation& operation : module.operations) all.push_back(segmentsOf(operation.route.path));
    std::size_t shared = 1;  // the empty segment before the leading "/"
    while (true) {
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto& kinds = module.operations[i].route.segmentKinds;
            if (shared >= all[i].size() || shared >= kinds.size() || kinds[shared] != 0 || all[i][shared].empty() ||
                all[i][shared] != all[0][shared]) {
                return shared - 1;
            }
        }
        ++shared;
    }
}

std::string join(const std::vector<std::string_view>& segments, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < segments.size(); ++i) {
        if (i > from) out += '/';
        out += segments[i];
    }
    return out;
}

// A file whose text is fixed or made in one piece.
class TextPart : public Part {
  public:
    TextPart(NestState& state, std::string path, std::string text)
        : state_(state), path_(std::move(path)), text_(std::move(text)) {}
    void generateCode() override { state_.project.addSourceFile(path_)->setText(text_); }

  protected:
    NestState& state_;
    std::string path_;
    std::string text_;
};

class OpenAPISchemaFile : public TextPart {
  public:
    OpenAPISchemaFile(NestState& state, std::string path, std::string input)
        : TextPart(state, std::move(path), ""), input_(std::move(input)) {}
    void collectData() override { text_ = server_express::documentBytes(input_, "server"); }

  private:
    std::string input_;
};

// src/<module>/<module>.controller.ts
class Controller : public Part {
  public:
    Controller(NestState& state, const ModuleNames& names) : state_(state), names_(names) {}

    void generateCode() override {
        const ServerModule& module = *names_.module;
        auto& file = *state_.project.addSourceFile(fmt::format("src/{0}/{0}.controller.ts", module.name));
        file.addImport(kCommon, "Controller");
        const std::size_t prefix = sharedPrefix(module);
        const auto first = segmentsOf(module.operations.front().route.path);
        const std::string base = join(std::vector<std::string_view>(first.begin() + 1, first.begin() + 1 + prefix), 0);
        std::string body;
        for (const ServerOperation& operation : module.operations) {
            const std::string_view decorator = *decoratorOf(operation.info.method);
            file.addImport(kCommon, decorator);
            const std::string rest = join(segmentsOf(operation.route.path), prefix + 1);
            if (!body.empty()) body += '\n';
            body += server_express::handlerComment(operation, "  ");
            body += rest.empty() ? fmt::format("  @{}()\n", decorator)
                                 : fmt::format("  @{}({})\n", decorator, toStringLiteral(rest));
            body += fmt::format("  async {}({}): Promise<{}> {{\n", operation.handler, parameters(file, operation),
                                returnType(file, operation));
            file.addImport(kCommon, "NotImplementedException");
            body += fmt::format("    throw new NotImplementedException({});\n",
                                toStringLiteral(fmt::format("{} is not implemented yet",
                                                            server_express::operationLabel(operation.info))));
            body += "  }\n";
        }
        file.setText(fmt::format("{}\nexport class {} {{\n{}}}\n",
                                 base.empty() ? "@Controller()" : fmt::format("@Controller({})", toStringLiteral(base)),
                                 names_.controllerClass, body));
    }

  private:
    std::string parameters(code_morph::typescript::SourceFile& file, const ServerOperation& operation) {
        std::vector<std::string> list;
        for (const ServerParameter& parameter : operation.pathParameters) {
            file.addImport(kCommon, "Param");
            // A route's names are identifiers, but may be reserved words ("delete"), which no variable can be.
            const std::string variable = code_morph::typescript::isReservedWord(parameter.variable)
                                             ? parameter.variable + "_"
                                             : parameter.variable;
            list.push_back(fmt::format("@Param({}) {}: string", toStringLiteral(parameter.variable), variable));
        }
        for (const ServerParameter& parameter : operation.queryParameters) {
            file.addImport(kCommon, "Query");
            // Query strings hold texts, repeated names several.
            list.push_back(fmt::format("@Query({}) {}: string | string[] | undefined", toStringLiteral(parameter.name),
                                       parameter.variable));
        }
        for (const ServerParameter& parameter : operation.headerParameters) {
            file.addImport(kCommon, "Headers");
            // Node names headers in lower case.
            list.push_back(fmt::format("@Headers({}) {}: string | undefined",
                                       toStringLiteral(asciiToLower(parameter.name)), parameter.variable));
        }
        if (!operation.requestType.empty()) {
            file.addImport(kCommon, "Body");
            std::string type = "unknown";
            if (operation.jsonRequest) {
                file.addTypeImport("../types.js", operation.requestType);
                type = operation.requestRequired ? operation.requestType : operation.requestType + " | undefined";
            }
            list.push_back(fmt::format("@Body() body: {}", type));
        }
        std::string out;
        for (const auto& item : list) out += (out.empty() ? "" : ", ") + item;
        return out;
    }

    std::string returnType(code_morph::typescript::SourceFile& file, const ServerOperation& operation) {
        if (operation.responseType.empty()) return "unknown";
        file.addTypeImport("../types.js", operation.responseType);
        return operation.responseType;
    }

    NestState& state_;
    const ModuleNames& names_;
};

// src/<module>/<module>.module.ts
class ModuleFile : public Part {
  public:
    ModuleFile(NestState& state, const ModuleNames& names) : state_(state), names_(names) {}

    void generateCode() override {
        const std::string& name = names_.module->name;
        auto& file = *state_.project.addSourceFile(fmt::format("src/{0}/{0}.module.ts", name));
        file.addImport(kCommon, "Module");
        file.addImport(fmt::format("./{}.controller.js", name), names_.controllerClass);
        file.setText(fmt::format("@Module({{ controllers: [{}] }})\nexport class {} {{}}\n", names_.controllerClass,
                                 names_.moduleClass));
    }

  private:
    NestState& state_;
    const ModuleNames& names_;
};

// src/app.module.ts
class AppModuleFile : public Part {
  public:
    AppModuleFile(NestState& state, const std::vector<ModuleNames>& modules) : state_(state), modules_(modules) {}

    void generateCode() override {
        auto& file = *state_.project.addSourceFile("src/app.module.ts");
        file.addImport(kCommon, "Module");
        std::string imports;
        for (const ModuleNames& names : modules_) {
            file.addImport(fmt::format("./{0}/{0}.module.js", names.module->name), names.moduleClass);
            imports += (imports.empty() ? "" : ", ") + names.moduleClass;
        }
        file.setText(
            fmt::format("// The application: every module of the API.\n@Module({{ imports: [{}] }})\n"
                        "export class AppModule {{}}\n",
                        imports));
    }

  private:
    NestState& state_;
    const std::vector<ModuleNames>& modules_;
};

std::string_view problemFilterText() {
    return R"ts(import { STATUS_CODES } from "node:http";

import { Catch, HttpException, HttpStatus } from "@nestjs/common";
import type { ArgumentsHost, ExceptionFilter } from "@nestjs/common";
import type { Request, Response } from "express";

// Every error answers with a problem (application/problem+json): an HTTP exception with its status and message,
// anything else with 500 and no detail, so that what went wrong inside stays in the server.
@Catch()
export class ProblemFilter implements ExceptionFilter {
  catch(exception: unknown, host: ArgumentsHost): void {
    const http = host.switchToHttp();
    const request = http.getRequest<Request>();
    const response = http.getResponse<Response>();
    const status = exception instanceof HttpException ? exception.getStatus() : HttpStatus.INTERNAL_SERVER_ERROR;
    const problem = {
      type: "about:blank",
      title: STATUS_CODES[status] ?? "Error",
      status,
      detail: exception instanceof HttpException ? exception.message : undefined,
      instance: request.originalUrl,
    };
    response.status(status).type("application/problem+json").send(JSON.stringify(problem));
  }
}
)ts";
}

std::string_view mainText() {
    return R"ts(import "reflect-metadata";

import { NestFactory } from "@nestjs/core";

import { AppModule } from "./app.module.js";
import { ProblemFilter } from "./problem.filter.js";

// HOST and PORT say where to listen: 127.0.0.1 and 3000 unless given, so that a server still being written is not
// reachable from other machines; PORT=0 takes a free port.
const port = Number(process.env.PORT || "3000");
if (!Number.isInteger(port) || port < 0 || port > 65535) {
  console.error(`PORT must be a port number, not ${process.env.PORT}`);
  process.exit(1);
}
const app = await NestFactory.create(AppModule);
app.useGlobalFilters(new ProblemFilter());
app.enableShutdownHooks();
await app.listen(port, process.env.HOST || "127.0.0.1");
console.log(`Listening on ${await app.getUrl()}`);
)ts";
}

std::string_view tsConfigText() {
    return R"json({
  "compilerOptions": {
    "target": "ES2022",
    "module": "NodeNext",
    "moduleResolution": "NodeNext",
    "lib": ["ES2022"],
    "types": ["node"],
    "strict": true,
    "experimentalDecorators": true,
    "emitDecoratorMetadata": true,
    "noImplicitReturns": true,
    "noFallthroughCasesInSwitch": true,
    "forceConsistentCasingInFileNames": true,
    "skipLibCheck": true,
    "sourceMap": true,
    "rootDir": "src",
    "outDir": "dist"
  },
  "include": ["src"]
}
)json";
}

std::string packageJsonText(const NestState& state) {
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
    "@nestjs/common": "12.6.3",
    "@nestjs/core": "12.6.3",
    "@nestjs/platform-express": "12.6.3",
    "reflect-metadata": "0.2.2",
    "rxjs": "7.8.2"
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

}  // namespace

Plugin::Plugin(Context& context) : openapi_generator::Plugin(context) {}
Plugin::~Plugin() = default;

void Plugin::setOption(std::string_view name, std::string_view value) {
    if (name == "packageName" && !server_express::isValidPackageName(value)) {
        throw ConfigError(fmt::format("Invalid package name: '{}'", value));
    }
    if (name == "packageVersion" && !server_express::isValidPackageVersion(value)) {
        throw ConfigError(fmt::format("Invalid package version: '{}'", value));
    }
    openapi_generator::Plugin::setOption(name, value);
}

void Plugin::setConfig(const jv::JV* root) { configuration_ = Configuration::fromRoot(root, kSection); }

void Plugin::setDefaultConfig() { configuration_ = Configuration(); }

void Plugin::configureSelf() {
    if (outputPath().empty()) throw ConfigError("The NestJS server needs an output directory (-o, --output)");
    state_ = std::make_unique<NestState>(context().fs());
    state_->project.setPath(outputPath());
    state_->packageName = packageName().empty() ? std::string(kDefaultPackageName) : packageName();
    state_->packageVersion = packageVersion().empty() ? std::string(kDefaultPackageVersion) : packageVersion();
    for (std::string_view name : kReservedNames) state_->names.reserve(name);
    // A method of the first name would be the class's constructor; one of the others would replace what every object
    // has, with a signature the compiler refuses.
    for (std::string_view name : {"constructor", "hasOwnProperty", "isPrototypeOf", "propertyIsEnumerable",
                                  "toLocaleString", "toString", "valueOf"}) {
        state_->names.reserve(name);
    }
}

void Plugin::configureParts() {
    NestState& state = *state_;
    state.model = server_express::buildServerModel(context(), *openapi(), state.names, state.types);
    // Operations Nest cannot route are left out before anything is named after them.
    for (ServerModule& module : state.model.modules) {
        auto& operations = module.operations;
        for (auto it = operations.begin(); it != operations.end();) {
            if (decoratorOf(it->info.method)) {
                ++it;
                continue;
            }
            state.model.issues.push_back(
                server_express::issueAt(context(), IssueSeverity::Warning,
                                        fmt::format("Operation {} is left out: NestJS has no decorator for TRACE",
                                                    server_express::operationLabel(it->info)),
                                        it->info.operation));
            it = operations.erase(it);
        }
    }
    std::erase_if(state.model.modules, [](const ServerModule& module) { return module.operations.empty(); });

    for (const ServerModule& module : state.model.modules) {
        const std::string stem = code_morph::typescript::toTypeName(module.name);
        state.modules.push_back(
            ModuleNames{&module, state.names.allocate(stem + "Controller"), state.names.allocate(stem + "Module")});
    }
    for (const ModuleNames& names : state.modules) {
        addPart(std::make_unique<ModuleFile>(state, names));
        addPart(std::make_unique<Controller>(state, names));
    }
    addPart(std::make_unique<TextPart>(state, "src/problem.filter.ts", std::string(problemFilterText())));
    if (configuration_.appObject) addPart(std::make_unique<AppModuleFile>(state, state.modules));
    if (configuration_.serverObject) {
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

}  // namespace zephalon::openapi_generator::server_nestjs
