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
      operationId: getPet
      parameters: [{name: petId, in: path, required: true, schema: {type: integer}}]
      responses:
        "200":
          description: The pet.
          content: {application/json: {schema: {$ref: '#/components/schemas/Pet'}}}
components:
  schemas:
    Pet: {type: object, required: [name], properties: {name: {type: string}}}
)";

TEST(GenerateClientTest, WritesTheClientSourcesQuietly) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    auto result = workspace.run({"generate", "client", "fetch", "api.yaml", "-o", "client"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    for (const char* file : {"types.ts", "formatters.ts", "actions.ts", "utils.ts", "index.ts"}) {
        EXPECT_TRUE(workspace.exists(std::string("client/src/") + file)) << file;
    }
    EXPECT_THAT(workspace.read("client/src/actions.ts"),
                HasSubstr("export async function getPet(params: GetPetParams, extraParams?: ExtraCallParams): "
                          "Promise<GetPetResponse> {"));
    EXPECT_THAT(workspace.read("client/src/types.ts"), HasSubstr("export interface Pet {\n  name: string;\n}\n"));
}

TEST(GenerateClientTest, ProblemsAreReportedAndNothingIsWritten) {
    Workspace workspace;
    workspace.write("api.yaml", kDocument);
    auto result = workspace.run({"generate", "client", "fetch", "api.yaml"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "The TypeScript client needs an output directory (-o, --output)\n");

    workspace.write("bad.yaml", "openapi: 3.0.3\ninfo: [\n");
    result = workspace.run({"generate", "client", "fetch", "bad.yaml", "-o", "client"});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(workspace.exists("client"));
}

}  // namespace
}  // namespace zephalon::e2e
