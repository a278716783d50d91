#pragma once

// The NestJS server generator (`generate server nestjs`): an ESM TypeScript project whose controllers answer every
// operation of the document with 501 (application/problem+json) until the user implements them.
//
//     src/<module>/<module>.module.ts       one module per operation group
//     src/<module>/<module>.controller.ts   its controller: a decorated method per operation (@Get(":petId"),
//                                           @Param, @Query, @Headers, @Body)
//     src/problem.filter.ts                 the global filter that answers every error with a problem
//     src/types.ts                          the schemas' types, and the bodies and answers of the operations
//     src/app.module.ts                     the application module            (app_object)
//     src/main.ts                           its start                         (server_object)
//     package.json, tsconfig.json                                             (package_files)
//     a copy of the document                                                  (openapi_schema)
//
// Groups, route paths and names are those of the Express generator (see server_express/routes.h); a controller's
// path is what its routes share, and its literal routes come before templated ones. The configuration section
// "/commands/generate/server_nestjs" takes the Express generator's keys. TRACE operations (Nest has no decorator for
// them) and paths that cannot be routed are left out with a warning; nothing is written when the run fails.

#include <memory>
#include <string_view>

#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator_server_express/server_express.h"

namespace zephalon::openapi_generator::server_nestjs {

using server_express::Configuration;

struct NestState;

class Plugin : public openapi_generator::Plugin {
  public:
    static constexpr std::string_view kDefaultPackageName = "@tarnwell/server-nestjs";
    static constexpr std::string_view kDefaultPackageVersion = "0.1.0";

    explicit Plugin(Context& context);
    ~Plugin() override;

    // "packageName" must be an npm package name, "packageVersion" a semantic version (ConfigError).
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
    std::unique_ptr<NestState> state_;
};

}  // namespace zephalon::openapi_generator::server_nestjs
