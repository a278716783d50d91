// The client generator on whole documents: the text of an action, the imports and exports around it, how names
// are settled, which body transform is chosen, and that a failing run writes nothing.

#include "zephalon/openapi_generator_client_fetch/client_fetch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "zephalon/openapi_generator/testing/plugin_run.h"

namespace zephalon::openapi_generator::client_fetch {
namespace {

using ClientRun = testing::PluginRun<Plugin>;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr std::string_view kPets = R"(openapi: 3.0.3
info: {title: Pets, version: "1"}
security: [{key: []}]
paths:
  /pets/{petId}:
    parameters:
      - {name: petId, in: path, required: true, schema: {type: string}}
    put:
      operationId: update-pet
      summary: Replace a pet */ safely
      parameters:
        - {name: dry_run, in: query, schema: {type: boolean}}
        - {name: filter, in: query, style: deepObject, schema: {type: object, additionalProperties: {type: string}}}
        - {name: "X-Trace'Id", in: header, schema: {type: string}}
        - {name: X-Count, in: header, schema: {type: integer}}
        - {name: Accept, in: header, schema: {type: string}}
        - {name: session, in: cookie, schema: {type: string}}
      requestBody:
        required: true
        content:
          application/json:
            schema: {$ref: '#/components/schemas/NewPet'}
      responses:
        "200":
          description: The pet.
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Pet'}
        default:
          description: A problem.
  /pets:
    get:
      security: []
      parameters:
        - {name: ghost, in: path, required: true, schema: {type: string}}
      responses:
        "204": {description: Nothing to say.}
    post:
      operationId: init
      x-zephalon: {codegen: {action-name: "add pet"}}
      requestBody:
        content:
          text/plain:
            schema: {type: string}
      responses:
        "201":
          description: Created.
          content:
            text/plain:
              schema: {type: string}
    delete:
      operationId: init
      responses:
        "200":
          description: Gone.
          content:
            application/problem+json:
              schema: {type: object, properties: {gone: {type: boolean}}}
  /hidden:
    x-zephalon: {codegen: {disabled: true}}
    get:
      operationId: hidden
      responses: {"200": {description: Hidden.}}
components:
  securitySchemes:
    key: {type: apiKey, in: header, name: X-Key}
  schemas:
    NewPet:
      type: object
      required: [pet_name]
      properties:
        pet_name: {type: string}
        owner_id: {type: integer, nullable: true}
    Pet:
      allOf: [{$ref: '#/components/schemas/NewPet'}]
      nullable: true
)";

TEST(ClientFetchTest, AnActionCallsItsOperationWithEveryKindOfArgument) {
    ClientRun client(kPets);
    ASSERT_EQ(client.run(), "");
    const std::string actions = client.file("src/actions.ts");
    EXPECT_THAT(actions, HasSubstr(R"(/**
 * Replace a pet *\/ safely
 * @param params
 * @param extraParams
 */
export async function updatePet(params: UpdatePetParams, extraParams?: ExtraCallParams): Promise<UpdatePetResponse> {
  const url = makeUrl("/pets/{petId}", { "petId": params.petId });
  addQueryParam(url, "dry_run", params.dryRun);
  addQueryParam(url, "filter", params.filter, 'deepObject');
  const body = snakeCaseDeep(params.body as unknown as JSONValue);
  const headerParameters: Record<string, string> = {};
  if (params.xTraceId) headerParameters['X-Trace\'Id'] = params.xTraceId;
  if (params.xCount !== undefined && params.xCount !== null) headerParameters['X-Count'] = String(params.xCount);
  const init: RequestInit = {
    method: "PUT",
    headers: { ...COMMON_HEADERS, "Content-Type": "application/json", ...headerParameters },
    body: JSON.stringify(body),
  };
  authorizeRequest(init);
  applyExtraParams(url, init, extraParams);
  return callJsonApi<UpdatePetResponse>(url, init);
}
)"));
    // Every helper an action uses is imported once, types as types; nothing unused is imported.
    EXPECT_THAT(actions, ::testing::StartsWith(
                             "import { COMMON_HEADERS, makeUrl, callApi, applyExtraParams, type ExtraCallParams, "
                             "authorizeRequest, callJsonApi, addQueryParam } from \"./utils\";\n"
                             "import { type AddPetParams, type Init2Response, type UpdatePetParams, type "
                             "UpdatePetResponse } from \"./types\";\n"
                             "import { snakeCaseDeep, type JSONValue } from \"@quorvi/zephalon-tools-core\";\n"));

    const std::string types = client.file("src/types.ts");
    EXPECT_THAT(types, HasSubstr(R"(export interface NewPet {
  owner_id?: number | null;
  pet_name: string;
}

export type Pet = NewPet;
)"));
    EXPECT_THAT(types, HasSubstr(R"(export type UpdatePetRequest = NewPet;

/** The pet. */
export type UpdatePetResponse = Pet;

export interface UpdatePetParams {
  dryRun?: boolean;
  filter?: Record<string, string>;
  xTraceId?: string;
  xCount?: number;
  petId: string;
  body: UpdatePetRequest;
}
)"));
}

TEST(ClientFetchTest, NamesComeFromSettingsIdsOrPathsAndNeverCollide) {
    ClientRun client(kPets);
    ASSERT_EQ(client.run(), "");
    const std::string actions = client.file("src/actions.ts");
    // No operationId: method and path. No body, no parameters (a path parameter its path has no place for is none), no
    // JSON answer: the Response itself.
    EXPECT_THAT(actions, HasSubstr(R"(export async function getPets(extraParams?: ExtraCallParams): Promise<Response> {
  const url = makeUrl("/pets");
  const headerParameters: Record<string, string> = {};
  const init: RequestInit = {
    method: "GET",
    headers: { ...COMMON_HEADERS, ...headerParameters },
  };
  applyExtraParams(url, init, extraParams);
  return callApi(url, init);
}
)"));
    // The setting wins over the id; a body that is not JSON goes as it is, and may be left out.
    EXPECT_THAT(
        actions,
        HasSubstr(
            R"(export async function addPet(params: AddPetParams = {}, extraParams?: ExtraCallParams): Promise<Response> {
  const url = makeUrl("/pets");
  const body = params.body;
  const headerParameters: Record<string, string> = {};
  const init: RequestInit = {
    method: "POST",
    headers: { ...COMMON_HEADERS, "Content-Type": "text/plain", ...headerParameters },
    body,
  };
  authorizeRequest(init);)"));
    // An id that is a helper's name gets a suffix; so does the second use of an id. A +json answer is JSON.
    EXPECT_THAT(actions,
                HasSubstr("export async function init2(extraParams?: ExtraCallParams): Promise<Init2Response> {"));
    EXPECT_THAT(client.file("src/types.ts"),
                HasSubstr("/** Gone. */\nexport type Init2Response = { gone?: boolean };\n"));
    EXPECT_THAT(actions, Not(HasSubstr("hidden")));
    EXPECT_THAT(actions, Not(HasSubstr("session")));
    EXPECT_THAT(actions, Not(HasSubstr("'Accept'")));

    EXPECT_EQ(client.file("src/index.ts"),
              "export * from \"./actions\";\n"
              "export * from \"./types\";\n"
              "export { APIClientError, init, setAuthCookie, type APIClientErrorKind, type ClientConfig, type "
              "ExtraCallParams } from \"./utils\";\n"
              "export { formatDate } from \"./formatters\";\n");
}

TEST(ClientFetchTest, UtilsDefineTheErrorKindsAndTheHelpersTheActionsCall) {
    ClientRun client(kPets);
    ASSERT_EQ(client.run(), "");
    const std::string utils = client.file("src/utils.ts");
    EXPECT_THAT(utils, ::testing::StartsWith("import type { JSONValue } from \"@quorvi/zephalon-tools-core\";\n"));
    EXPECT_THAT(utils, HasSubstr("export type APIClientErrorKind = 'config' | 'network' | 'logic';"));
    EXPECT_THAT(utils, HasSubstr("export class APIClientError extends Error {"));
    for (std::string_view helper :
         {"export function init(config: ClientConfig): void", "export function makeUrl(path: string",
          "export function setAuthCookie(name: string, value: string): void",
          "export function authorizeRequest(init: RequestInit): void",
          "export function applyExtraParams(url: URL, init: RequestInit, extraParams?: ExtraCallParams): void",
          "export function addQueryParam(url: URL, name: string, value: unknown, style: QueryStyle = 'form'): void",
          "export async function callApi(url: URL, init: RequestInit): Promise<Response>",
          "export async function callJsonApi<T>(url: URL, init: RequestInit): Promise<T>",
          "export const COMMON_HEADERS", "export interface ExtraCallParams"}) {
        EXPECT_THAT(utils, HasSubstr(helper));
    }
    EXPECT_THAT(client.file("src/formatters.ts"), HasSubstr("export function formatParam(value: unknown): string"));
}

TEST(ClientFetchTest, TheBodyTransformNeverRenamesWhatItShouldNot) {
    ClientRun client(R"(openapi: 3.1.0
info: {title: Bodies, version: "1"}
paths:
  /camel:
    post:
      operationId: camel
      requestBody:
        content: {application/json: {schema: {type: object, properties: {petName: {type: string}, id: {type: string}}}}}
      responses: {"204": {description: Done.}}
  /mixed:
    post:
      operationId: mixed
      requestBody:
        content: {application/json: {schema: {type: object, properties: {petName: {type: string}, owner_id: {type: string}}}}}
      responses: {"204": {description: Done.}}
  /map:
    post:
      operationId: map
      requestBody:
        content: {application/json: {schema: {type: object, properties: {labels: {type: object, additionalProperties: {type: string}}}}}}
      responses: {"204": {description: Done.}}
  /kebab:
    post:
      operationId: kebab
      requestBody:
        content: {application/json: {schema: {type: array, items: {type: object, properties: {pet-name: {type: string}}}}}}
      responses: {"204": {description: Done.}}
)");
    ASSERT_EQ(client.run(), "");
    const std::string actions = client.file("src/actions.ts");
    EXPECT_THAT(actions, HasSubstr("const body = camelCaseDeep(params.body as unknown as JSONValue);"));
    EXPECT_THAT(actions, HasSubstr("const body = kebabCaseDeep(params.body as unknown as JSONValue);"));
    // Names of two conventions, or map keys that are data: sent as given.
    EXPECT_THAT(actions, HasSubstr("export async function mixed(params: MixedParams = {}, extraParams?: "
                                   "ExtraCallParams): Promise<Response> {\n  const url = makeUrl(\"/mixed\");\n"
                                   "  const body = params.body;\n"));
    EXPECT_THAT(actions, HasSubstr("const url = makeUrl(\"/map\");\n  const body = params.body;\n"));
    // An optional JSON body is left out when absent, not sent as "undefined".
    EXPECT_THAT(actions, HasSubstr("body: body === undefined ? undefined : JSON.stringify(body),"));
}

TEST(ClientFetchTest, AFailedRunWritesNothing) {
    ClientRun unnamed(kPets, "");
    EXPECT_EQ(unnamed.run(), "The TypeScript client needs an output directory (-o, --output)");
    EXPECT_TRUE(unnamed.memory().files().empty());

    std::string badSetting(kPets);
    badSetting.replace(badSetting.find("action-name: \"add pet\""), 22, "action-name: 5");
    ClientRun client(badSetting);
    EXPECT_THAT(client.run(), HasSubstr("'/codegen/action-name' does not represent a string"));
    EXPECT_TRUE(client.memory().files().empty());

    ClientRun empty("openapi: 3.1.0\ninfo: {title: Empty, version: \"1\"}\n");
    ASSERT_EQ(empty.run(), "");
    // Files without declarations stay modules, so that index.ts can re-export them.
    EXPECT_EQ(empty.file("src/actions.ts"), "export {};\n");
    EXPECT_EQ(empty.file("src/types.ts"), "export {};\n");
}

}  // namespace
}  // namespace zephalon::openapi_generator::client_fetch
