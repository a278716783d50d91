#pragma once

// The Express server generator (`generate server express`): an ESM TypeScript project on Express 5 whose routes
// answer every operation of the document with 501 (application/problem+json) until the user implements them.
//
//     src/modules/<module>/handlers.ts   one exported handler per operation (typed path parameters and body)
//     src/modules/<module>/routes.ts     the module's routes by handler name, and its router
//     src/modules/<module>/index.ts      what the module offers
//     src/modules/index.ts               every route of every module, literal paths before templated ones
//     src/routing.ts                     route and routerOf
//     src/problem.ts                     problem+json answers
//     src/types.ts                       the schemas' types, and the bodies and answers of the operations
//     src/app.ts                         the application object              (app_object)
//     src/server.ts, src/main.ts         the server object and its start     (server_object)
//     package.json, tsconfig.json                                            (package_files)
//     a copy of the document                                                 (openapi_schema)
//
// Modules are the operation groups (see routes.h). Configuration ("/commands/generate/server_express"):
// package_files, app_object, server_object (booleans, true by default: false leaves the file to the user) and
// openapi_schema (false by default; true copies the document to "openapi.<extension>", a string names the path in
// the project). The options "packageName" and "packageVersion" (--package-name, --package-version) name the package.
// Operations that cannot be routed are left out with a warning; nothing is written when the run fails.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "zephalon/openapi_generator/generator.h"

namespace zephalon::openapi_generator::server_express {

struct Configuration {
    bool packageFiles = true;
    bool appObject = true;
    bool serverObject = true;
    bool openapiSchema = false;
    // The copy's path in the project, when openapi_schema gives one.
    std::optional<std::string> openapiSchemaPath;

    // The section of the configuration file at `pointer`. ConfigError for a key it does not know, a value of the
    // wrong kind ("app_object must be a boolean", "openapi_schema must be a boolean or a string") and a copy path
    // that would leave the project.
    static Configuration fromJV(const jv::JV& section, std::string_view pointer = "/commands/generate/server_express");
    // The section at `pointer` of a configuration file's root; the defaults when there is none.
    static Configuration fromRoot(const jv::JV* root, std::string_view pointer);
    // The copy's path in the project: the configured one, else "openapi" with the input's extension.
    std::string openapiSchemaFile(std::string_view inputPath) const;
};

struct ExpressState;

class Plugin : public openapi_generator::Plugin {
  public:
    static constexpr std::string_view kDefaultPackageName = "@tarnwell/server-express";
    static constexpr std::string_view kDefaultPackageVersion = "0.1.0";

    explicit Plugin(Context& context);
    ~Plugin() override;

    // "packageName" must be an npm package name, "packageVersion" a semantic version (ConfigError
    // "Invalid package name: '<name>'", "Invalid package version: '<version>'").
    void setOption(std::string_view name, std::string_view value) override;
    void setConfig(const jv::JV* root) override;
    void setDefaultConfig() override;
    // ConfigError when no output directory is set.
    void configureSelf() override;
    void configureParts() override;
    // Renders every part, saves the project, then prints the warnings.
    void generateCode() override;

    const Configuration& configuration() const { return configuration_; }

  private:
    Configuration configuration_;
    std::unique_ptr<ExpressState> state_;
};

}  // namespace zephalon::openapi_generator::server_express
