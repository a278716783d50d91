#include "zephalon/openapi_mock/mock_api.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_mock {
namespace {

std::unique_ptr<MockApi> mockOf(std::string_view yaml, MockOptions options = {}) {
    return std::make_unique<MockApi>(openapi::checkedReadFromString(yaml, FileFormat::YAML), options);
}

struct Call {
    std::string method = "GET";
    std::string target;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

Response send(MockApi& api, const Call& call) {
    Request request;
    request.method = call.method;
    request.target = call.target;
    for (const auto& [name, value] : call.headers) request.headers.emplace_back(name, value);
    request.body = call.body;
    return api.handle(request);
}

// The pointers of the errors of a problem document, "in:name:pointer" each.
std::vector<std::string> errorsOf(const Response& response) {
    std::vector<std::string> errors;
    auto doc = jv::readString(response.body, FileFormat::JSON);
    const jv::JV* list = doc->root()->property("errors");
    if (!list) return errors;
    for (const jv::JV* error : list->items()) {
        std::string name = error->property("name") ? std::string(error->property("name")->stringValue()) : "";
        errors.push_back(std::string(error->property("in")->stringValue()) + ":" + name + ":" +
                         std::string(error->property("pointer")->stringValue()));
    }
    return errors;
}

bool hasError(const Response& response, const std::string& error) {
    auto errors = errorsOf(response);
    return std::find(errors.begin(), errors.end(), error) != errors.end();
}

constexpr std::string_view kPets30 = R"(
openapi: 3.0.3
info: {title: Pets, version: '1'}
paths:
  /owners/{ownerId}/pets:
    parameters:
      - {name: ownerId, in: path, required: true, schema: {type: integer}}
    post:
      parameters:
        - {name: X-Tags, in: header, schema: {type: object, properties: {a: {type: integer}}}, explode: true}
        - {name: ids, in: cookie, schema: {type: array, items: {type: integer}}, explode: false}
        - name: where
          in: query
          content:
            application/json:
              schema: {type: object, required: [lat], properties: {lat: {type: number}}}
      requestBody:
        required: true
        content:
          application/json:
            schema: {$ref: '#/components/schemas/Pet'}
      responses:
        '201': {description: created, content: {application/json: {schema: {$ref: '#/components/schemas/Pet'}}}}
        '200': {description: also fine}
        4XX: {description: client error, content: {application/json: {example: {error: range}}}}
components:
  schemas:
    Pet:
      type: object
      required: [id, name, age]
      properties:
        id: {type: integer, readOnly: true}
        name: {type: string, nullable: true}
        age: {type: integer, minimum: 0, exclusiveMinimum: true}
        owner: {$ref: '#/components/schemas/Owner'}
    Owner:
      type: object
      required: [email]
      properties:
        email: {type: string}
)";

TEST(MockApiTest, ReadsStylesAndChecksWithTheDocumentsOwnSchemaRules) {
    auto api = mockOf(kPets30);
    Call call{"POST", "/owners/3/pets", {{"Content-Type", "application/json"}}, R"({"name": null, "age": 2})"};
    // nullable admits null, a readOnly property need not be sent, and the first success listed (201) answers.
    Response ok = send(*api, call);
    EXPECT_EQ(ok.status, 201) << ok.body;

    call.body = R"({"name": "Rex", "age": 0, "owner": {}})";
    call.target = "/owners/x/pets?where=%7B%22lat%22%3A%22n%22%7D";
    call.headers.emplace_back("X-Tags", "a=notanumber");
    call.headers.emplace_back("Cookie", "ids=1,two");
    Response refused = send(*api, call);
    EXPECT_EQ(refused.status, 422);
    EXPECT_TRUE(hasError(refused, "body::/age")) << refused.body;     // 3.0 boolean exclusiveMinimum
    EXPECT_TRUE(hasError(refused, "body::/owner")) << refused.body;   // through a $ref
    EXPECT_TRUE(hasError(refused, "path:ownerId:")) << refused.body;  // path item parameter
    EXPECT_TRUE(hasError(refused, "header:X-Tags:/a")) << refused.body;
    EXPECT_TRUE(hasError(refused, "cookie:ids:/1")) << refused.body;
    EXPECT_TRUE(hasError(refused, "query:where:/lat")) << refused.body;  // a JSON content parameter

    call.target = "/owners/1/pets?where=%7Bbroken";
    call.headers.resize(1);
    call.body = R"({"age": 1, "name": "x"})";
    EXPECT_TRUE(hasError(send(*api, call), "query:where:")) << send(*api, call).body;

    // Checks can be switched off.
    auto lenient = mockOf(kPets30, {.validate = false, .seed = 0});
    EXPECT_EQ(send(*lenient, {"POST", "/owners/x/pets", {{"Content-Type", "text/plain"}}, "?"}).status, 201);
}

TEST(MockApiTest, PreferredCodesFallBackToRangesAndDefault) {
    auto api = mockOf(kPets30, {.validate = false, .seed = 0});
    Call call{"POST", "/owners/1/pets", {{"Prefer", "code=418"}}, ""};
    Response range = send(*api, call);
    EXPECT_EQ(range.status, 418);
    EXPECT_EQ(range.body, R"({"error":"range"})");
    EXPECT_EQ(*range.header("Preference-Applied"), "code=418");
    call.headers = {{"Prefer", "code=200"}};
    Response listed = send(*api, call);
    EXPECT_EQ(listed.status, 200);
    EXPECT_EQ(listed.body, "");
    // A code the operation does not describe is not honoured.
    call.headers = {{"Prefer", "code=503"}};
    Response ignored = send(*api, call);
    EXPECT_EQ(ignored.status, 201);
    EXPECT_EQ(ignored.header("Preference-Applied"), nullptr);
}

constexpr std::string_view kGenerated = R"(
openapi: 3.1.0
info: {title: Samples, version: '1'}
servers: [{url: /base/}]
paths:
  /thing:
    get:
      responses:
        default:
          description: anything
          headers:
            X-Rate: {schema: {type: integer, minimum: 1, maximum: 9}}
          content:
            application/json:
              schema:
                type: object
                required: [id, label]
                properties:
                  id: {type: integer, minimum: 1, maximum: 1000000000}
                  label: {type: string, minLength: 5, maxLength: 20}
  /impossible:
    get:
      responses:
        '200':
          description: nothing fits
          content:
            application/json:
              schema: {type: integer, minimum: 5, maximum: 1}
)";

TEST(MockApiTest, GeneratedAnswersFollowTheSeedAndTheRequest) {
    auto first = mockOf(kGenerated, {.validate = true, .seed = 1});
    auto same = mockOf(kGenerated, {.validate = true, .seed = 1});
    auto other = mockOf(kGenerated, {.validate = true, .seed = 2});
    EXPECT_EQ(first->basePath(), "/base");
    Response a = send(*first, {"GET", "/base/thing", {}, ""});
    EXPECT_EQ(a.status, 200);
    EXPECT_NE(a.header("X-Rate"), nullptr);
    auto doc = jv::readString(a.body, FileFormat::JSON);
    EXPECT_TRUE(doc->root()->property("id")->isInteger());
    EXPECT_GE(doc->root()->property("label")->stringValue().size(), 5u);
    EXPECT_EQ(send(*same, {"GET", "/base/thing", {}, ""}).body, a.body);
    EXPECT_EQ(send(*first, {"GET", "/base/thing", {}, ""}).body, a.body);
    EXPECT_NE(send(*other, {"GET", "/base/thing", {}, ""}).body, a.body);
    EXPECT_NE(send(*first, {"GET", "/base/thing?page=2", {}, ""}).body, a.body);

    // A schema nothing can satisfy is the mock's failure, said as such.
    Response impossible = send(*first, {"GET", "/base/impossible", {}, ""});
    EXPECT_EQ(impossible.status, 500);
    EXPECT_EQ(*impossible.header("Content-Type"), "application/problem+json");
}

TEST(MockApiTest, CredentialsInQueryCookieAndAuthorization) {
    auto api = mockOf(R"(
openapi: 3.1.0
info: {title: Secure, version: '1'}
security: [{query: []}, {cookie: [], oauth: [read]}]
paths:
  /a:
    get: {responses: {'204': {description: ok}}}
  /open:
    get:
      security: [{}]
      responses: {'204': {description: ok}}
components:
  securitySchemes:
    query: {type: apiKey, in: query, name: key}
    cookie: {type: apiKey, in: cookie, name: sid}
    oauth:
      type: oauth2
      flows: {clientCredentials: {tokenUrl: 'https://x.example/token', scopes: {read: reading}}}
)");
    EXPECT_EQ(send(*api, {"GET", "/a", {}, ""}).status, 401);
    EXPECT_EQ(send(*api, {"GET", "/a?key=", {}, ""}).status, 204);
    // Both schemes of the second requirement are needed.
    EXPECT_EQ(send(*api, {"GET", "/a", {{"Cookie", "sid=1"}}, ""}).status, 401);
    EXPECT_EQ(send(*api, {"GET", "/a", {{"Cookie", "sid=1"}, {"Authorization", "Bearer t"}}, ""}).status, 204);
    EXPECT_EQ(send(*api, {"GET", "/a", {{"Cookie", "sid=1"}, {"Authorization", "Bearer"}}, ""}).status, 401);
    // An empty requirement makes security optional.
    EXPECT_EQ(send(*api, {"GET", "/open", {}, ""}).status, 204);
}

TEST(MockApiTest, SchemasTheEngineCannotCompileAreReportedAndAcceptEverything) {
    auto api = mockOf(R"(
openapi: 3.1.0
info: {title: Odd, version: '1'}
paths:
  /a:
    get:
      parameters:
        - {name: q, in: query, required: true, schema: {type: string, pattern: '(?<=a+)b'}}
        - {name: n, in: query, schema: {type: integer}}
      responses: {'204': {description: ok}}
)");
    ASSERT_EQ(api->warnings().size(), 1u);
    EXPECT_NE(api->warnings()[0].find("/paths/~1a/get/parameters/0/schema"), std::string::npos) << api->warnings()[0];
    EXPECT_EQ(send(*api, {"GET", "/a?q=zzz", {}, ""}).status, 204);
    // The other schemas still check.
    EXPECT_EQ(send(*api, {"GET", "/a?q=zzz&n=x", {}, ""}).status, 422);
    EXPECT_EQ(send(*api, {"GET", "/a", {}, ""}).status, 422);
}

TEST(MockApiTest, ADocumentSplitOverSeveralFilesChecksWithTheSchemasOfEveryFile) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() /
                         ("zephalon-mock-split-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(dir);
    fs::create_directories(dir / "parts");
    auto write = [&](const fs::path& file, std::string_view text) {
        jv::writeFile(*jv::readString(text, FileFormat::YAML), dir / file);
    };
    write("api.yaml", R"(openapi: 3.1.0
info: {title: Pets, version: '1'}
paths:
  /pets: {$ref: 'parts/pets.yaml'}
components:
  schemas:
    Pet: {$ref: 'parts/schemas.yaml#/Pet'}
)");
    write("parts/pets.yaml", R"(post:
  requestBody:
    required: true
    content:
      application/json:
        schema: {$ref: 'schemas.yaml#/Pet'}
  responses:
    '201': {description: created}
)");
    write("parts/schemas.yaml", R"(Pet:
  type: object
  required: [name]
  properties:
    name: {type: string}
    owner: {$ref: '#/Owner'}
Owner: {type: object, required: [email], properties: {email: {type: string}}}
)");
    // Each value of another file is reached once, and again with the middle of a file referred to on its own.
    for (const bool alsoOwner : {false, true}) {
        if (alsoOwner) {
            write("api.yaml", R"(openapi: 3.1.0
info: {title: Pets, version: '1'}
paths:
  /pets: {$ref: 'parts/pets.yaml'}
components:
  schemas:
    Pet: {$ref: 'parts/schemas.yaml#/Pet'}
    Email: {$ref: 'parts/schemas.yaml#/Owner/properties/email'}
)");
        }
        auto api = MockApi::fromFile(dir / "api.yaml", nullptr, {});
        const Call good{"POST", "/pets", {{"Content-Type", "application/json"}}, R"({"name": "Rex"})"};
        EXPECT_EQ(send(*api, good).status, 201) << alsoOwner;
        Response refused =
            send(*api, {"POST", "/pets", {{"Content-Type", "application/json"}}, R"({"name": 1, "owner": {}})"});
        EXPECT_EQ(refused.status, 422) << alsoOwner;
        EXPECT_TRUE(hasError(refused, "body::/name")) << refused.body;
        EXPECT_TRUE(hasError(refused, "body::/owner")) << refused.body;
    }
    fs::remove_all(dir);
}

TEST(MockApiTest, OddRequestTargetsGetAnAnswer) {
    auto api = mockOf(kGenerated);
    for (const char* target : {"", "*", "http://host", "http://host/base/thing?x", "/base/%", "/base/../base/thing",
                               "/base//thing", "/base/thing#frag", "/base/thing?%%%&&=&=="}) {
        Response response = send(*api, {"GET", target, {}, ""});
        EXPECT_GE(response.status, 200) << target;
        EXPECT_EQ(*response.header("Access-Control-Allow-Origin"), "*");
    }
    EXPECT_EQ(send(*api, {"GET", "http://host/base/thing", {}, ""}).status, 200);
    EXPECT_EQ(send(*api, {"get", "/base/thing", {}, ""}).status, 405);
    Response options = send(*api, {"OPTIONS", "/base/thing", {}, ""});
    EXPECT_EQ(options.status, 204);
    EXPECT_EQ(*options.header("Allow"), "GET, HEAD, OPTIONS");
}

}  // namespace
}  // namespace zephalon::openapi_mock
