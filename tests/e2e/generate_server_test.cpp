#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

using ::testing::HasSubstr;

constexpr std::string_view kDocument = R"(openapi: 3.0.3
info: {title: Pets, version: "1"}
paths:
  /pets/{petId}:
    get:
      operationId: showPetById
      parameters: [{name: petId, in: path, required: true, schema: {type: integer}}]
      responses:
        "200":
          description: The pet.
          content: {application/json: {schema: {$ref: '#/components/schemas/Pet'}}}
  /pets/{a}{b}:
    get:
      operationId: glued
      responses: {"204": {description: Never routed.}}
components:
  schemas:
    Pet: {type: object, required: [name], properties: {name: {type: string}}}
)";

TEST(GenerateServerTest, ExpressWritesTheProjectAndWarnsOfWhatItLeavesOut) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    workspace.write("zephalon.yaml", "commands: {generate: {server_express: {openapi_schema: true}}}\n");
    auto result = workspace.run({"generate", "server", "express", "api.yaml", "-o", "server", "-c", "zephalon.yaml",
                                 "--package-name", "@shop/pets", "--package-version", "1.2.3"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_THAT(result.out, HasSubstr("Warning Operation GET /pets/{a}{b} is left out"));
    EXPECT_THAT(workspace.read("server/package.json"),
                HasSubstr("\"name\": \"@shop/pets\",\n  \"version\": \"1.2.3\""));
    EXPECT_EQ(workspace.read("server/openapi.yaml"), kDocument);
    EXPECT_THAT(workspace.read("server/src/modules/petsPetId/routes.ts"),
                HasSubstr("showPetById: route(\"get\", \"/pets/:petId\", handlers.showPetById),"));
    for (const char* file : {"src/app.ts", "src/server.ts", "src/main.ts", "src/problem.ts", "src/routing.ts",
                             "src/types.ts", "src/modules/index.ts", "tsconfig.json"}) {
        EXPECT_TRUE(workspace.exists(std::string("server/") + file)) << file;
    }
}

TEST(GenerateServerTest, ExpressReportsProblemsAndWritesNothing) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    auto result =
        workspace.run({"generate", "server", "express", "api.yaml", "-o", "server", "--package-name", "Pets"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "Invalid package name: 'Pets'\n");
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(workspace.exists("server"));

    result = workspace.run({"generate", "server", "express", "api.yaml"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "The Express server needs an output directory (-o, --output)\n");

    workspace.write("zephalon.yaml", "commands: {generate: {server_express: {openapi_schema: 1}}}\n");
    result = workspace.run({"generate", "server", "express", "api.yaml", "-o", "server", "-c", "zephalon.yaml"});
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.out, HasSubstr("openapi_schema must be a boolean or a string"));
    EXPECT_FALSE(workspace.exists("server"));
}

TEST(GenerateServerTest, NestjsWritesTheProjectAndWarnsOfWhatItLeavesOut) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    auto result = workspace.run({"generate", "server", "nestjs", "api.yaml", "-o", "server"});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.err, "");
    EXPECT_THAT(result.out, HasSubstr("Warning Operation GET /pets/{a}{b} is left out"));
    EXPECT_THAT(workspace.read("server/src/petsPetId/petsPetId.controller.ts"),
                HasSubstr("@Controller(\"pets\")\nexport class PetsPetIdController {\n"));
    for (const char* file : {"src/app.module.ts", "src/main.ts", "src/problem.filter.ts", "src/types.ts",
                             "src/petsPetId/petsPetId.module.ts", "package.json", "tsconfig.json"}) {
        EXPECT_TRUE(workspace.exists(std::string("server/") + file)) << file;
    }

    result = workspace.run({"generate", "server", "nestjs", "api.yaml", "-o", "other", "-c", "missing.yaml"});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(workspace.exists("other"));
}

}  // namespace
}  // namespace zephalon::e2e
