// The NestJS generator on whole documents: a controller with every kind of argument, the modules around it, what
// is left out, and that a failing run writes nothing.

#include "zephalon/openapi_generator_server_nestjs/server_nestjs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "zephalon/openapi_generator/testing/plugin_run.h"

namespace zephalon::openapi_generator::server_nestjs {
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
      parameters:
        - {name: limit, in: query, schema: {type: integer}}
        - {name: X-Request-ID, in: header, schema: {type: string}}
      responses:
        "200":
          description: Pets.
          content: {application/json: {schema: {type: array, items: {$ref: '#/components/schemas/Pet'}}}}
    post:
      operationId: createPets
      tags: [pets]
      parameters: [{name: body, in: query, schema: {type: string}}]
      requestBody:
        required: true
        content: {application/json: {schema: {$ref: '#/components/schemas/Pet'}}}
      responses: {"201": {description: Created.}}
    trace:
      operationId: tracePets
      tags: [pets]
      responses: {"200": {description: Traced.}}
  /pets/{petId}:
    get:
      operationId: showPetById
      tags: [pets]
      summary: Info for a specific pet
      parameters: [{name: petId, in: path, required: true, schema: {type: string}}]
      responses:
        "200":
          description: The pet.
          content: {application/json: {schema: {$ref: '#/components/schemas/Pet'}}}
  /pets/~mine:
    get: {operationId: constructor, tags: [pets], responses: {"204": {description: Mine.}}}
  /{delete}/things:
    x-zephalon: {codegen: {controller-name: Things}}
    delete:
      operationId: removeThing
      parameters: [{name: delete, in: path, required: true, schema: {type: string}}]
      requestBody: {content: {text/plain: {schema: {type: string}}}}
      responses: {"204": {description: Gone.}}
    get: {operationId: toString, responses: {"204": {description: Nothing.}}}
components:
  schemas:
    Pet:
      type: object
      required: [id]
      properties: {id: {type: integer}, name: {type: string}}
)";

TEST(ServerNestjsTest, AControllerDecoratesEveryOperationBelowItsSharedPath) {
    ServerRun server(kPets);
    ASSERT_EQ(server.run(), "");
    // The literal path before the templated one; a method named "constructor" would be the class's constructor, and
    // the body keeps its name beside a query parameter of the same.
    EXPECT_EQ(
        server.file("src/pets/pets.controller.ts"),
        R"(import { Controller, Get, Query, Headers, NotImplementedException, Post, Body, Param } from "@nestjs/common";
import { type ListPetsResponse, type CreatePetsRequest, type ShowPetByIdResponse } from "../types.js";

@Controller("pets")
export class PetsController {
  /** GET /pets */
  @Get()
  async listPets(@Query("limit") limit: string | string[] | undefined, @Headers("x-request-id") xRequestID: string | undefined): Promise<ListPetsResponse> {
    throw new NotImplementedException("GET /pets is not implemented yet");
  }

  /** POST /pets */
  @Post()
  async createPets(@Query("body") body2: string | string[] | undefined, @Body() body: CreatePetsRequest): Promise<unknown> {
    throw new NotImplementedException("POST /pets is not implemented yet");
  }

  /** GET /pets/~mine */
  @Get("~mine")
  async constructor2(): Promise<unknown> {
    throw new NotImplementedException("GET /pets/~mine is not implemented yet");
  }

  /**
   * Info for a specific pet
   *
   * GET /pets/{petId}
   */
  @Get(":petId")
  async showPetById(@Param("petId") petId: string): Promise<ShowPetByIdResponse> {
    throw new NotImplementedException("GET /pets/{petId} is not implemented yet");
  }
}
)");
    EXPECT_EQ(server.file("src/pets/pets.module.ts"), R"(import { Module } from "@nestjs/common";
import { PetsController } from "./pets.controller.js";

@Module({ controllers: [PetsController] })
export class PetsModule {}
)");
    // No segment shared: the controller sits at the root. A parameter named by a reserved word is renamed as a
    // variable only; a body of no JSON type is whatever the application's parsers made of it. A method keeps clear
    // of the names every object has.
    const std::string things = server.file("src/things/things.controller.ts");
    EXPECT_THAT(things, HasSubstr("@Controller()\nexport class ThingsController {\n"));
    EXPECT_THAT(things, HasSubstr("  @Delete(\":delete/things\")\n  async removeThing(@Param(\"delete\") delete_: "
                                  "string, @Body() body: unknown): Promise<unknown> {\n"));
    EXPECT_THAT(things, HasSubstr("  @Get(\":delete/things\")\n  async toString2(@Param(\"delete\") delete_: "));
}

TEST(ServerNestjsTest, TheApplicationImportsEveryModuleAndAnswersWithProblems) {
    ServerRun server(kPets);
    ASSERT_EQ(server.run(), "");
    std::vector<std::string> files;
    for (const auto& path : server.memory().files()) files.push_back(path);
    EXPECT_EQ(files,
              (std::vector<std::string>{"out/package.json", "out/src/app.module.ts", "out/src/main.ts",
                                        "out/src/pets/pets.controller.ts", "out/src/pets/pets.module.ts",
                                        "out/src/problem.filter.ts", "out/src/things/things.controller.ts",
                                        "out/src/things/things.module.ts", "out/src/types.ts", "out/tsconfig.json"}));
    EXPECT_EQ(server.file("src/app.module.ts"), R"(import { Module } from "@nestjs/common";
import { ThingsModule } from "./things/things.module.js";
import { PetsModule } from "./pets/pets.module.js";

// The application: every module of the API.
@Module({ imports: [ThingsModule, PetsModule] })
export class AppModule {}
)");
    EXPECT_THAT(server.file("src/main.ts"), HasSubstr("app.useGlobalFilters(new ProblemFilter());"));
    EXPECT_THAT(server.file("src/problem.filter.ts"), HasSubstr(".type(\"application/problem+json\")"));
    EXPECT_THAT(server.file("tsconfig.json"), HasSubstr("\"experimentalDecorators\": true"));
    const std::string manifest = server.file("package.json");
    EXPECT_THAT(manifest, HasSubstr("\"name\": \"@tarnwell/server-nestjs\""));
    EXPECT_THAT(manifest, HasSubstr("\"@nestjs/platform-express\": \"12.6.3\""));
    // TRACE has no decorator: the operation is left out, and said so.
    EXPECT_THAT(server.file("src/pets/pets.controller.ts"), Not(HasSubstr("tracePets")));
    EXPECT_THAT(server.printed(), HasSubstr("Warning Operation TRACE /pets is left out: NestJS has no decorator for "
                                            "TRACE"));
}

TEST(ServerNestjsTest, ConfigurationAndFailures) {
    ServerRun server(kPets);
    server.config("commands: {generate: {server_nestjs: {app_object: false, openapi_schema: docs/api.yaml}}}\n");
    ASSERT_EQ(server.run(), "");
    EXPECT_FALSE(server.memory().exists("out/src/app.module.ts"));
    EXPECT_TRUE(server.memory().exists("out/src/main.ts"));
    EXPECT_EQ(server.file("docs/api.yaml"), std::string(kPets));

    ServerRun bad(kPets);
    bad.config("commands: {generate: {server_nestjs: {package_name: x}}}\n");
    EXPECT_THAT(bad.run(), HasSubstr("Unknown key 'package_name' in /commands/generate/server_nestjs"));
    EXPECT_TRUE(bad.memory().files().empty());

    ServerRun unnamed(kPets, "");
    EXPECT_EQ(unnamed.run(), "The NestJS server needs an output directory (-o, --output)");
    EXPECT_TRUE(unnamed.memory().files().empty());
}

}  // namespace
}  // namespace zephalon::openapi_generator::server_nestjs
