// The Express generator on whole documents: the files of the project, a router and its handlers, the order of the
// routes across modules, the configuration and options, and that a failing run writes nothing.

#include "zephalon/openapi_generator_server_express/server_express.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "zephalon/openapi_generator/testing/plugin_run.h"

namespace zephalon::openapi_generator::server_express {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ServerRun = testing::PluginRun<Plugin>;

constexpr std::string_view kPets = R"(openapi: 3.0.3
info: {title: Pets, version: "1"}
tags: [{name: pets}]
paths:
  /pets:
    get:
      operationId: listPets
      tags: [pets]
      summary: List all pets
      parameters:
        - {name: limit, in: query, schema: {type: integer}}
      responses:
        "200":
          description: A page of pets.
          content: {application/json: {schema: {type: array, items: {$ref: '#/components/schemas/Pet'}}}}
    post:
      operationId: createPets
      tags: [pets]
      requestBody:
        required: true
        content: {application/json: {schema: {$ref: '#/components/schemas/Pet'}}}
      responses: {"201": {description: Created.}}
  /pets/{pet-id}:
    get:
      operationId: showPetById
      tags: [pets]
      summary: Info for a specific pet */ here
      deprecated: true
      parameters:
        - {name: pet-id, in: path, required: true, schema: {type: integer}}
        - {name: X-Trace, in: header, schema: {type: string}}
      responses:
        "200":
          description: The pet.
          content: {application/json: {schema: {$ref: '#/components/schemas/Pet'}}}
        default: {description: A problem.}
  /pets/~mine:
    get:
      operationId: myPets
      tags: [pets]
      responses: {"204": {description: Nothing.}}
  /pets/count:
    get:
      operationId: countPets
      tags: [pets]
      requestBody:
        content: {text/plain: {schema: {type: string}}}
      responses: {"200": {description: How many., content: {text/plain: {schema: {type: string}}}}}
  /{kind}/count:
    x-zephalon: {codegen: {controller-name: Stats}}
    get:
      operationId: count
      parameters: [{name: kind, in: path, required: true, schema: {type: string}}]
      responses: {"200": {description: How many., content: {application/json: {schema: {type: integer}}}}}
  /glued/{x}{y}:
    get:
      operationId: glued
      tags: [pets]
      responses: {"204": {description: Never routed.}}
  /hidden:
    x-zephalon: {codegen: {disabled: true}}
    get: {operationId: hidden, responses: {"204": {description: Hidden.}}}
  /:
    get: {responses: {"204": {description: The root.}}}
components:
  schemas:
    Pet:
      type: object
      required: [id, name]
      properties: {id: {type: integer}, name: {type: string}}
)";

TEST(ServerExpressTest, WritesTheWholeProject) {
    ServerRun server(kPets);
    ASSERT_EQ(server.run(), "");
    std::vector<std::string> files;
    for (const auto& path : server.memory().files()) files.push_back(path);
    EXPECT_EQ(files, (std::vector<std::string>{
                         "out/package.json",
                         "out/src/app.ts",
                         "out/src/main.ts",
                         "out/src/modules/index.ts",
                         "out/src/modules/pets/handlers.ts",
                         "out/src/modules/pets/index.ts",
                         "out/src/modules/pets/routes.ts",
                         "out/src/modules/root/handlers.ts",
                         "out/src/modules/root/index.ts",
                         "out/src/modules/root/routes.ts",
                         "out/src/modules/stats/handlers.ts",
                         "out/src/modules/stats/index.ts",
                         "out/src/modules/stats/routes.ts",
                         "out/src/problem.ts",
                         "out/src/routing.ts",
                         "out/src/server.ts",
                         "out/src/types.ts",
                         "out/tsconfig.json",
                     }));
    const std::string manifest = server.file("package.json");
    EXPECT_THAT(manifest, HasSubstr("  \"name\": \"@tarnwell/server-express\",\n  \"version\": \"0.1.0\",\n"));
    EXPECT_THAT(manifest, HasSubstr("\"type\": \"module\""));
    EXPECT_THAT(manifest, HasSubstr("\"express\": \"5.3.0\""));
    EXPECT_THAT(manifest, HasSubstr("\"@types/express\": \"5.0.6\""));
    EXPECT_THAT(server.file("tsconfig.json"), HasSubstr("\"module\": \"NodeNext\""));
    EXPECT_THAT(server.file("src/problem.ts"), HasSubstr("type(\"application/problem+json\")"));
    EXPECT_THAT(server.file("src/problem.ts"), HasSubstr("status: 501,"));
    EXPECT_THAT(server.file("src/app.ts"), HasSubstr("app.use(routerOf(routes));"));
    EXPECT_THAT(server.file("src/routing.ts"), HasSubstr("Router({ caseSensitive: true })"));
    EXPECT_THAT(server.file("src/server.ts"), HasSubstr("export function startServer("));
}

TEST(ServerExpressTest, AModuleRoutesItsOperationsToTypedHandlers) {
    ServerRun server(kPets);
    ASSERT_EQ(server.run(), "");
    EXPECT_EQ(server.file("src/modules/pets/routes.ts"), R"(import { type Router } from "express";
import { route, routerOf } from "../../routing.js";
import * as handlers from "./handlers.js";

// The module's operations by handler name, a literal segment before a parameter at the same place.
export const routes = {
  listPets: route("get", "/pets", handlers.listPets),
  createPets: route("post", "/pets", handlers.createPets),
  countPets: route("get", "/pets/count", handlers.countPets),
  myPets: route("get", "/pets/~mine", handlers.myPets),
  showPetById: route("get", "/pets/:petId", handlers.showPetById),
} as const;

// A router of this module alone.
export const router: Router = routerOf(Object.values(routes));
)");

    const std::string handlers = server.file("src/modules/pets/handlers.ts");
    EXPECT_THAT(handlers, ::testing::StartsWith(
                              "import { type Request, type Response } from \"express\";\n"
                              "import { notImplemented, type Problem } from \"../../problem.js\";\n"
                              "import { type ListPetsResponse, type CreatePetsRequest, type ShowPetByIdResponse } "
                              "from \"../../types.js\";\n"));
    EXPECT_THAT(handlers, HasSubstr(R"(/**
 * Info for a specific pet *\/ here
 *
 * GET /pets/{pet-id}
 *
 * @deprecated
 */
export async function showPetById(req: Request<{ petId: string }, ShowPetByIdResponse | Problem, unknown>, res: Response<ShowPetByIdResponse | Problem>): Promise<void> {
  notImplemented(req, res);
}
)"));
    // A required JSON body is typed; a body of another type is whatever the application's parsers made of it.
    EXPECT_THAT(handlers, HasSubstr("export async function createPets(req: Request<Record<string, never>, unknown, "
                                    "CreatePetsRequest>, res: Response<unknown>): Promise<void> {"));
    EXPECT_THAT(handlers, HasSubstr("export async function countPets(req: Request<Record<string, never>, unknown, "
                                    "unknown>, res: Response<unknown>): Promise<void> {"));

    const std::string types = server.file("src/types.ts");
    EXPECT_THAT(types, HasSubstr("export interface Pet {\n  id: number;\n  name: string;\n}\n"));
    EXPECT_THAT(types, HasSubstr("/** A page of pets. */\nexport type ListPetsResponse = Pet[];\n"));
    EXPECT_THAT(types, HasSubstr("export type CreatePetsRequest = Pet;\n"));
    EXPECT_THAT(types, Not(HasSubstr("hidden")));
    EXPECT_THAT(types, Not(HasSubstr("Hidden")));
}

TEST(ServerExpressTest, TheApplicationTriesLiteralPathsOfEveryModuleFirst) {
    ServerRun server(kPets);
    ASSERT_EQ(server.run(), "");
    EXPECT_EQ(server.file("src/modules/index.ts"), R"(import { type Route } from "../routing.js";
import * as stats from "./stats/index.js";
import * as pets from "./pets/index.js";
import * as root from "./root/index.js";

// Every route of every module, in the order the router tries them: a literal segment before a parameter at the
// same place.
export const routes: readonly Route[] = [
  root.routes.get,
  pets.routes.listPets,
  pets.routes.createPets,
  pets.routes.countPets,
  pets.routes.myPets,
  pets.routes.showPetById,
  stats.routes.count,
];
)");
    EXPECT_EQ(server.file("src/modules/stats/index.ts"),
              "export { router, routes } from \"./routes.js\";\nexport * as handlers from \"./handlers.js\";\n");
    // The operation that cannot be routed is left out and said so, with its place in the document.
    EXPECT_THAT(server.file("src/modules/pets/handlers.ts"), Not(HasSubstr("glued")));
    EXPECT_THAT(server.printed(), HasSubstr("Warning Operation GET /glued/{x}{y} is left out: its path cannot be "
                                            "routed"));
    EXPECT_THAT(server.printed(), ::testing::HasSubstr("56:6 Warning"));
}

TEST(ServerExpressTest, ConfigurationLeavesFilesToTheUserAndCopiesTheDocument) {
    ServerRun server(kPets);
    server.config(R"(commands:
  generate:
    server_express:
      package_files: false
      app_object: false
      server_object: false
      openapi_schema: api/openapi.yaml
)");
    server.plugin().setPackageName("@shop/pets");
    ASSERT_EQ(server.run(), "");
    for (const char* file : {"package.json", "tsconfig.json", "src/app.ts", "src/server.ts", "src/main.ts"}) {
        EXPECT_FALSE(server.memory().exists(std::string("out/") + file)) << file;
    }
    EXPECT_EQ(server.file("api/openapi.yaml"), std::string(kPets));

    ServerRun copied(kPets);
    copied.config("commands: {generate: {server_express: {openapi_schema: true}}}\n");
    copied.plugin().setPackageName("@shop/pets");
    copied.plugin().setPackageVersion("2.0.0-beta.1");
    ASSERT_EQ(copied.run(), "");
    EXPECT_EQ(copied.file("openapi.yaml"), std::string(kPets));
    EXPECT_THAT(copied.file("package.json"), HasSubstr("\"name\": \"@shop/pets\",\n  \"version\": \"2.0.0-beta.1\""));
}

TEST(ServerExpressTest, ProblemsAreReportedAndNothingIsWritten) {
    struct Case {
        std::string config;
        std::string message;
    };
    const std::vector<Case> cases{
        {"{commands: {generate: {server_express: {app_object: 1}}}}", "app_object must be a boolean"},
        {"{commands: {generate: {server_express: {openapi_schema: 3}}}}",
         "openapi_schema must be a boolean or a string"},
        {"{commands: {generate: {server_express: {openapi_schema: ../api.yaml}}}}",
         "openapi_schema must name a file inside the project: \"../api.yaml\""},
        {"{commands: {generate: {server_express: {port: 3}}}}",
         "Unknown key 'port' in /commands/generate/server_express"},
        {"{commands: {generate: {server_express: {openapi_schema: src/types.ts}}}}",
         "Source file already exists: src/types.ts"},
    };
    for (const Case& each : cases) {
        ServerRun server(kPets);
        server.config(each.config);
        EXPECT_THAT(server.run(), HasSubstr(each.message)) << each.config;
        EXPECT_TRUE(server.memory().files().empty()) << each.config;
    }

    ServerRun unnamed(kPets, "");
    EXPECT_EQ(unnamed.run(), "The Express server needs an output directory (-o, --output)");

    ServerRun options(kPets);
    EXPECT_THROW(options.plugin().setPackageName("Pets Server"), ConfigError);
    EXPECT_THROW(options.plugin().setPackageVersion("1.0"), ConfigError);
    try {
        options.plugin().setPackageName("../x");
    } catch (const ConfigError& error) {
        EXPECT_STREQ(error.what(), "Invalid package name: '../x'");
    }

    ServerRun empty("openapi: 3.1.0\ninfo: {title: Empty, version: \"1\"}\n");
    ASSERT_EQ(empty.run(), "");
    EXPECT_THAT(empty.file("src/modules/index.ts"), HasSubstr("export const routes: readonly Route[] = [];\n"));
    EXPECT_EQ(empty.file("src/types.ts"), "export {};\n");
}

}  // namespace
}  // namespace zephalon::openapi_generator::server_express
