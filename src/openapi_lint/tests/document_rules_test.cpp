#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "lint_test_util.h"
#include "rule_test_util.h"
#include "rules/rules.h"

namespace zephalon::openapi_lint {
namespace {

using ::testing::ElementsAre;
using testing::findings;
using ::testing::IsEmpty;
using testing::optionError;

TEST(DescriptionTest, CountsCharactersNotBytes) {
    EXPECT_FALSE(isValidDescription(std::nullopt, 1));
    EXPECT_FALSE(isValidDescription("", 1));
    EXPECT_FALSE(isValidDescription("short", 10));
    EXPECT_TRUE(isValidDescription("ten chars!", 10));
    // Five characters, ten bytes.
    EXPECT_FALSE(isValidDescription("\u00e9\u00e9\u00e9\u00e9\u00e9", 6));
    EXPECT_TRUE(isValidDescription("\u00e9\u00e9\u00e9\u00e9\u00e9", 5));
    // Two characters of four bytes each: as many bytes as four times three characters would need at the least.
    EXPECT_TRUE(isValidDescription("\U0001F600\U0001F600", 2));
    EXPECT_FALSE(isValidDescription("\U0001F600\U0001F600", 3));
    EXPECT_FALSE(isValidDescription("\U0001F600\U0001F600\U0001F600", 4));
}

constexpr std::string_view kTags = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths: {}
tags:
  - {name: none}
  - {name: short, description: Pets.}
  - {name: long, description: Everything about pets.}
  - {name: silenced, x-lint-disable: [tag-description-defined]}
)";

TEST(TagDescriptionDefinedTest, ReportsTagsWithoutMeaningfulDescription) {
    EXPECT_THAT(findings("tag-description-defined", kTags),
                ElementsAre("Tag 'none' has no meaningful description defined @ /tags/0",
                            "Tag 'short' has no meaningful description defined @ /tags/1"));
    EXPECT_THAT(findings("tag-description-defined", kTags, R"("5")"),
                ElementsAre("Tag 'none' has no meaningful description defined @ /tags/0"));
    EXPECT_THAT(findings("tag-description-defined", kTags, R"({"minLength": 30})"),
                ElementsAre("Tag 'none' has no meaningful description defined @ /tags/0",
                            "Tag 'short' has no meaningful description defined @ /tags/1",
                            "Tag 'long' has no meaningful description defined @ /tags/2"));
    EXPECT_THAT(findings("tag-description-defined",
                         std::string(kTags) + "x-zephalon-lint-disable: [tag-description-defined]\n"),
                IsEmpty());
}

TEST(TagDescriptionDefinedTest, RefusesMinimumLengthsThatAreNotPositive) {
    const std::string prefix = "Rule 'tag-description-defined': ";
    EXPECT_EQ(optionError("tag-description-defined", "null"), prefix + "Options must not be null");
    EXPECT_EQ(optionError("tag-description-defined", "10"), prefix + "Options must be a string or an object");
    for (const char* bad : {R"("0")", R"("-3")", R"("ten")", R"("")", R"({"minLength": 0})", R"({"minLength": "5"})",
                            R"({"minLength": 2.5})"}) {
        EXPECT_EQ(optionError("tag-description-defined", bad),
                  prefix + "Minimal description length must be a positive number")
            << bad;
    }
    EXPECT_EQ(optionError("tag-description-defined", "{}"), "no error");
}

std::string withInfo(std::string_view info, std::string_view rest = "") {
    return fmt::format("openapi: 3.1.0\ninfo:\n{}paths: {{}}\n{}", info, rest);
}

TEST(AudienceDefinedTest, AcceptsOnlyTheKnownAudiences) {
    EXPECT_THAT(findings("audience-defined", withInfo("  {title: t, version: '1'}\n")),
                ElementsAre("API audience (x-audience) is missing @ /info"));
    EXPECT_THAT(findings("audience-defined", withInfo("  {title: t, version: '1', x-audience: partner}\n")), IsEmpty());
    EXPECT_THAT(findings("audience-defined", withInfo("  {title: t, version: '1', x-audience: world}\n")),
                ElementsAre("API audience (x-audience) has invalid value (world) @ /info"));
    EXPECT_THAT(findings("audience-defined", withInfo("  {title: t, version: '1', x-audience: [public]}\n")),
                ElementsAre("API audience (x-audience) has invalid value ([\"public\"]) @ /info"));
    EXPECT_THAT(
        findings("audience-defined", withInfo("  {title: t, version: '1'}\n", "x-lint-disable: [audience-defined]\n")),
        IsEmpty());
}

TEST(ContactDefinedTest, AsksForNameEmailAndUrl) {
    EXPECT_THAT(findings("contact-defined", withInfo("  {title: t, version: '1'}\n")),
                ElementsAre("Contact object is missing @ /info"));
    EXPECT_THAT(findings("contact-defined", withInfo("  {title: t, version: '1', contact: {name: ''}}\n")),
                ElementsAre("Contact name is missing or empty @ /info/contact",
                            "Contact email is missing @ /info/contact", "Contact URL is missing @ /info/contact"));
    EXPECT_THAT(
        findings("contact-defined",
                 withInfo("  {title: t, version: '1', contact: {name: n, email: a@b.c, url: 'https://b.c'}}\n")),
        IsEmpty());
    EXPECT_THAT(findings("contact-defined",
                         withInfo("  {title: t, version: '1', contact: {x-lint-disable: [contact-defined]}}\n")),
                IsEmpty());
}

TEST(IDDefinedTest, ChecksTheIdentifierAgainstThePattern) {
    const auto info = [](std::string_view extra) {
        return withInfo(fmt::format("  {{title: t, version: '1'{}}}\n", extra));
    };
    EXPECT_THAT(findings("id-defined", info("")), ElementsAre("API identifier (x-id) is missing @ /info"));
    EXPECT_THAT(findings("id-defined", info(", x-id: 123")),
                ElementsAre("API identifier (x-id) has invalid format @ /info"));
    EXPECT_THAT(findings("id-defined", info(", x-id: 3F2504E0-4F89-11D3-9A0C-0305E82C3301")), IsEmpty());
    EXPECT_THAT(findings("id-defined", info(", x-api: API-7"), R"({"attribute": "x-api", "pattern": "^API-[0-9]+$"})"),
                IsEmpty());
    EXPECT_THAT(findings("id-defined", info(", x-id: API-7"), R"({"pattern": "uuid"})"),
                ElementsAre("API identifier (x-id) has invalid format @ /info"));
    EXPECT_THAT(findings("id-defined", info(", x-zephalon-lint-disable: [id-defined]")), IsEmpty());
}

TEST(IDDefinedTest, RefusesUnusableOptions) {
    const std::string prefix = "Rule 'id-defined': ";
    EXPECT_EQ(optionError("id-defined", "null"), prefix + "Options must not be null");
    EXPECT_EQ(optionError("id-defined", R"("uuid")"), prefix + "Options must be an object");
    EXPECT_EQ(optionError("id-defined", R"({"attribute": ""})"), prefix + "Attribute name must not be empty");
    EXPECT_EQ(optionError("id-defined", R"({"attribute": "id"})"), prefix + "Attribute name must start with 'x-'");
    EXPECT_EQ(optionError("id-defined", R"({"pattern": ""})"), prefix + "Pattern must not be empty");
    EXPECT_EQ(optionError("id-defined", R"({"pattern": "(["})"), prefix + "Invalid pattern: ([");
}

TEST(IDDefinedTest, FixAddsARandomVersion4Uuid) {
    const std::string yaml = withInfo("  {title: t, version: '1'}\n");
    EXPECT_THAT(testing::findingsAfterFix("id-defined", yaml), IsEmpty());

    auto first = openapi::checkedReadFromString(yaml, FileFormat::YAML);
    auto second = openapi::checkedReadFromString(yaml, FileFormat::YAML);
    for (auto* result : {first.get(), second.get()}) {
        Context context;
        context.setReadResult(result);
        createRule("id-defined", Severity::Error)->autoFix(context);
    }
    const std::string a(first->model()->info()->extension("x-id")->stringValue());
    const std::string b(second->model()->info()->extension("x-id")->stringValue());
    EXPECT_THAT(a, ::testing::MatchesRegex("[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}"));
    EXPECT_NE(a, b);
}

TEST(IDDefinedTest, FixLeavesExistingIdentifiersAndForeignPatternsAlone) {
    for (const char* yaml : {"openapi: 3.1.0\ninfo: {title: t, version: '1', x-id: wrong}\npaths: {}\n",
                             "openapi: 3.1.0\ninfo: {title: t, version: '1'}\npaths: {}\n"}) {
        auto result = openapi::checkedReadFromString(yaml, FileFormat::YAML);
        Context context;
        context.setReadResult(result.get());
        IDDefined rule(Severity::Error);
        auto options = jv::readString(R"({"pattern": "^API-[0-9]+$"})", FileFormat::JSON);
        rule.setOptions(*options->root());
        EXPECT_FALSE(rule.autoFix(context)) << yaml;
    }
}

TEST(InfoDefinedTest, AsksForDescriptionVersionAndSummaryIn31) {
    EXPECT_THAT(findings("info-defined", withInfo("  {title: t, version: ' '}\n")),
                ElementsAre("Info description is missing or empty @ /info", "Info version is empty @ /info",
                            "Info summary is missing or empty @ /info"));
    EXPECT_THAT(findings("info-defined", "openapi: 3.0.3\ninfo: {title: t, version: '1', description: d}\npaths: {}\n"),
                IsEmpty());
    EXPECT_THAT(findings("info-defined", withInfo("  {title: t, version: '1', description: d, summary: s}\n")),
                IsEmpty());
    EXPECT_THAT(findings("info-defined", withInfo("  {title: t, version: '1', x-lint-disable: [info-defined]}\n")),
                IsEmpty());
}

TEST(SchemaExampleDefinedTest, AsksComponentSchemasForAnExample) {
    const std::string yaml = withInfo("  {title: t, version: '1'}\n", R"(components:
  schemas:
    A: {type: string}
    B: {type: string, example: b}
    C: {type: string, examples: [c]}
    D: {$ref: '#/components/schemas/A'}
    E: {type: object, properties: {inner: {type: string}}}
    F: {type: string, x-lint-disable: [schema-example-defined]}
)");
    EXPECT_THAT(findings("schema-example-defined", yaml),
                ElementsAre("Schema example is not defined @ /components/schemas/A",
                            "Schema example is not defined @ /components/schemas/E"));
}

TEST(ServersDefinedTest, AsksForRootServers) {
    EXPECT_THAT(findings("servers-defined", withInfo("  {title: t, version: '1'}\n")),
                ElementsAre("No servers defined @ "));
    EXPECT_THAT(findings("servers-defined", withInfo("  {title: t, version: '1'}\n", "servers: [{url: /}]\n")),
                IsEmpty());
}

TEST(ServerURLsTest, ReportsUpperCaseAndPlainHttpWhereverServersAre) {
    const std::string yaml = withInfo("  {title: t, version: '1'}\n", R"(servers:
  - {url: 'https://api.example.com/{basePath}', variables: {basePath: {default: v1}}}
  - {url: 'HTTP://api.example.com'}
  - {url: 'https://API.example.com'}
  - {url: 'http://api.example.com', x-lint-disable: [server-urls]}
webhooks:
  hook:
    post: {servers: [{url: 'http://hooks.example.com'}], responses: {'200': {description: ok}}}
)");
    EXPECT_THAT(findings("server-urls", yaml),
                ElementsAre("Server URL is not lower case or uses http protocol @ /servers/1",
                            "Server URL is not lower case or uses http protocol @ /servers/2",
                            "Server URL is not lower case or uses http protocol @ /webhooks/hook/post/servers/0"));
}

TEST(TagsUniqueTest, ReportsEveryRepeatedName) {
    const std::string tags = "tags: [{name: a}, {name: b}, {name: a}, {name: a, description: again}]\n";
    EXPECT_THAT(findings("tags-unique", withInfo("  {title: t, version: '1'}\n", tags)),
                ElementsAre("Tag name is not unique (a) @ /tags/2", "Tag name is not unique (a) @ /tags/3"));
    EXPECT_THAT(
        findings("tags-unique", withInfo("  {title: t, version: '1'}\n", tags + "x-lint-disable: [tags-unique]\n")),
        IsEmpty());
}

TEST(LicenseDefinedTest, AsksForANameAndAUrlOrAKnownIdentifier) {
    const auto info = [](std::string_view license) {
        return withInfo(fmt::format("  {{title: t, version: '1'{}}}\n", license));
    };
    EXPECT_THAT(findings("license-defined", info("")), ElementsAre("License object is missing @ /info"));
    EXPECT_THAT(findings("license-defined", info(", license: {name: ''}")),
                ElementsAre("License name is empty @ /info/license",
                            "Both the license URL and identifier are missing or empty @ /info/license"));
    EXPECT_THAT(findings("license-defined", info(", license: {name: MIT, identifier: MIT-Style}")),
                ElementsAre("License identifier is not a valid SPDX identifier @ /info/license"));
    EXPECT_THAT(findings("license-defined", info(", license: {name: MIT, identifier: MIT}")), IsEmpty());
    EXPECT_THAT(findings("license-defined", info(", license: {name: MIT, url: 'https://mit.example'}")), IsEmpty());
    EXPECT_THAT(findings("license-defined", info(", license: {name: '', x-lint-disable: [license-defined]}")),
                IsEmpty());
}

TEST(LicenseDefinedTest, KnowsTheSpdxList) {
    for (const char* id : {"0BSD", "Apache-2.0", "GPL-3.0-or-later", "MIT", "ZPL-2.1"}) {
        EXPECT_TRUE(isSpdxLicenseIdentifier(id)) << id;
    }
    for (const char* id : {"", "mit", "MIT OR Apache-2.0", "spdx-license-ids 3.0.24"}) {
        EXPECT_FALSE(isSpdxLicenseIdentifier(id)) << id;
    }
}

TEST(JSONSchemaValidationTest, ReportsEachFindingOfTheVersionsSchemaWhereItStands) {
    // 3.1 allows a document without paths; 3.0 does not.
    EXPECT_THAT(findings("json-schema-validation", "openapi: 3.1.0\ninfo: {title: t, version: '1'}\nwebhooks: {}\n"),
                IsEmpty());
    EXPECT_THAT(findings("json-schema-validation", "openapi: 3.0.3\ninfo: {title: t, version: '1'}\n"),
                ElementsAre("Required property 'paths' is missing @ "));
    // A response without a description is neither a response nor a reference; every object around it fails too.
    const std::string yaml =
        "openapi: 3.0.3\ninfo: {title: t, version: '1'}\npaths:\n"
        "  /a:\n    get: {responses: {'200': {description: ok}}}\n"
        "  /b:\n    get: {responses: {'200': {}}}\n";
    EXPECT_THAT(findings("json-schema-validation", yaml),
                ElementsAre("Required property 'description' is missing @ /paths/~1b/get/responses/200",
                            "Required property '$ref' is missing @ /paths/~1b/get/responses/200",
                            "property 200 is invalid @ /paths/~1b/get/responses",
                            "property responses is invalid @ /paths/~1b/get", "property get is invalid @ /paths/~1b",
                            "property /b is invalid @ /paths", "property paths is invalid @ "));
}

TEST(JSONSchemaValidationTest, SilencesTheSummariesOfSilencedFindings) {
    const std::string head = "openapi: 3.0.3\ninfo: {title: t, version: '1'}\npaths:\n";
    const std::string silenced =
        "  /a:\n    x-lint-disable: [json-schema-validation]\n"
        "    get: {responses: {'200': {}}}\n";
    EXPECT_THAT(findings("json-schema-validation", head + silenced), IsEmpty());
    // A finding that is not silenced keeps the summaries around it.
    EXPECT_THAT(findings("json-schema-validation", head + silenced + "  /b:\n    get: {responses: {'200': {}}}\n"),
                ::testing::Contains("property paths is invalid @ "));
    EXPECT_THAT(findings("json-schema-validation", head + silenced + "  /b:\n    get: {responses: {'200': {}}}\n"),
                ::testing::Not(::testing::Contains("property /a is invalid @ /paths")));
}

TEST(UnusedSharedComponentTest, CountsReferencesFromOutsideMappingsAndSecurityRequirements) {
    const std::string yaml = R"(openapi: 3.1.0
info: {title: t, version: '1'}
security: [{root: []}]
paths:
  /a:
    get:
      security: [{op: []}]
      parameters: [{$ref: '#/components/parameters/Used'}]
      responses:
        '200':
          description: ok
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Pet/properties/name'}
              # Data that looks like a requirement or a mapping uses nothing.
              example: {security: [{spare: []}], discriminator: {mapping: {x: Lonely}}}
components:
  schemas:
    Pet:
      type: object
      properties: {name: {type: string}, self: {$ref: '#/components/schemas/Pet'}}
    Lonely: {type: object, properties: {self: {$ref: '#/components/schemas/Lonely'}}}
    Base:
      oneOf: [{$ref: '#/components/schemas/Cat'}]
      discriminator: {propertyName: kind, mapping: {cat: Cat, dog: '#/components/schemas/Dog'}}
    Cat: {type: object}
    Dog: {type: object}
    Silent: {type: object, x-lint-disable: [unused-shared-component]}
    'a/b': {type: object}
    Refers: {$ref: '#/components/schemas/a~1b'}
    'with space': {type: object}
    Encoded: {allOf: [{$ref: '#/components/schemas/with%20space'}]}
  parameters:
    Used: {name: p, in: query, schema: {type: string}}
    Unused: {name: q, in: query, schema: {type: string}}
  securitySchemes:
    root: {type: apiKey, name: k, in: header}
    op: {type: apiKey, name: k, in: header}
    spare: {type: apiKey, name: k, in: header}
  headers:
    H: {schema: {type: string}}
)";
    EXPECT_THAT(findings("unused-shared-component", yaml),
                ::testing::UnorderedElementsAre("Unused shared component @ /components/schemas/Lonely",
                                                "Unused shared component @ /components/schemas/Base",
                                                "Unused shared component @ /components/schemas/Refers",
                                                "Unused shared component @ /components/schemas/Encoded",
                                                "Unused shared component @ /components/parameters/Unused",
                                                "Unused shared component @ /components/securitySchemes/spare",
                                                "Unused shared component @ /components/headers/H"));
}

// In a document split over files, the uses in the other files count too, and a reference names its target relative
// to the file it stands in.
TEST(UnusedSharedComponentTest, CountsUsesInTheOtherFilesOfADocument) {
    testing::TempDir dir;
    const std::string root = dir.write("openapi.yaml", R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths:
  /a: {$ref: './paths.yaml#/a'}
components:
  schemas:
    Shown: {type: object}
    Named: {type: object}
    Alone: {type: object, properties: {self: {$ref: '#/components/schemas/Alone'}}}
  securitySchemes:
    key: {type: apiKey, name: k, in: header}
    spare: {type: apiKey, name: k, in: header}
)");
    dir.write("paths.yaml", R"(a:
  get:
    security: [{key: []}]
    responses:
      '200':
        description: ok
        content:
          application/json:
            schema:
              oneOf: [{$ref: 'openapi.yaml#/components/schemas/Shown'}, {$ref: '#/Local'}]
              discriminator: {propertyName: kind, mapping: {n: Named}}
Local: {type: object}
)");
    auto result = openapi::checkedReadFromFile(root);
    EXPECT_THAT(findings("unused-shared-component", *result),
                ::testing::UnorderedElementsAre("Unused shared component @ /components/schemas/Alone",
                                                "Unused shared component @ /components/securitySchemes/spare"));
}

constexpr std::string_view kExamples30 = R"(openapi: 3.0.3
info: {title: t, version: '1'}
paths:
  /pets/{id}:
    parameters:
      - {name: id, in: path, required: true, schema: {type: integer, minimum: 1}, example: 0}
    put:
      requestBody:
        content:
          application/json:
            schema: {$ref: '#/components/schemas/Pet'}
            examples:
              sent: {value: {name: Rex, secret: s}}
              noSecret: {value: {id: 1, name: Rex}}
              shared: {$ref: '#/components/examples/Sent'}
              remote: {externalValue: 'https://example.com/pet.json'}
      responses:
        '200':
          description: ok
          headers:
            X-Rate: {schema: {type: integer}, example: many}
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Pet'}
              examples:
                received: {value: {id: 1, name: null}}
                shared: {$ref: '#/components/examples/Sent'}
components:
  schemas:
    Pet:
      type: object
      required: [id, name, secret]
      properties:
        id: {$ref: '#/components/schemas/Id'}
        name: {type: string, nullable: true}
        secret: {type: string, writeOnly: true}
        owner: {nullable: true, allOf: [{$ref: '#/components/schemas/Id'}]}
        kind: {type: string, enum: [cat, dog], nullable: true, default: bird}
        weight: {type: number, minimum: 0, exclusiveMinimum: true, example: 0}
      example: {id: 1, name: Rex, owner: null, kind: null}
    Id: {type: integer, readOnly: true}
  examples:
    Sent: {value: {name: Rex, secret: s}}
)";

TEST(OpenAPIJSONSchemaValidationTest, ChecksEveryKindOfExampleAgainstItsSchema) {
    // Requests may leave out readOnly properties, responses writeOnly ones, and a schema's own examples both; a shared
    // example that suits the request but not the response is reported where the response uses it.
    EXPECT_THAT(
        findings("openapi-json-schema-validation", kExamples30),
        ::testing::UnorderedElementsAre(
            "Example does not match its schema: value is less than minimum @ /paths/~1pets~1{id}/parameters/0/example",
            "Example does not match its schema: Required property 'secret' is missing @ "
            "/paths/~1pets~1{id}/put/requestBody/content/application~1json/examples/noSecret/value",
            "Example does not match its schema: type mismatch @ "
            "/paths/~1pets~1{id}/put/responses/200/headers/X-Rate/example",
            "Example does not match its schema: Required property 'id' is missing @ "
            "/paths/~1pets~1{id}/put/responses/200/content/application~1json/examples/shared",
            "Example does not match its schema: value is not allowed by the schema @ "
            "/components/schemas/Pet/properties/kind/default",
            "Example does not match its schema: value is less than minimum @ "
            "/components/schemas/Pet/properties/weight/example"));
}

TEST(OpenAPIJSONSchemaValidationTest, Checks31ExamplesWithTheirDialectAndPointsIntoThem) {
    const std::string yaml = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths:
  /a:
    get:
      responses:
        '200':
          description: ok
          content:
            application/json:
              schema:
                type: object
                properties:
                  tags: {type: array, items: {type: string}, maxItems: 2}
                  note: {type: [string, 'null']}
              examples:
                nested:
                  value:
                    tags:
                      - a
                      - {b: 1}
                long: {value: {tags: [a, b, c]}}
                fine: {value: {tags: [a], note: null}}
components:
  schemas:
    Level: {type: integer, maximum: 3, examples: [1, 5, 2], default: 3}
    Pet:
      oneOf: [{$ref: '#/components/schemas/Cat'}, {$ref: '#/components/schemas/Dog'}]
      discriminator: {propertyName: kind}
      example: {kind: Cat, name: Tom}
    Either:
      oneOf: [{$ref: '#/components/schemas/Cat'}, {$ref: '#/components/schemas/Dog'}]
      example: {kind: Cat, name: Tom}
    Cat: {type: object, properties: {kind: {type: string}, name: {type: string}}}
    Dog: {type: object, properties: {kind: {type: string}, name: {type: string}}}
)";
    // With a discriminator the branches need not exclude each other; without one, two matching branches fail.
    EXPECT_THAT(findings("openapi-json-schema-validation", yaml),
                ::testing::UnorderedElementsAre(
                    "Example does not match its schema: type mismatch @ "
                    "/paths/~1a/get/responses/200/content/application~1json/examples/nested/value/tags/1",
                    "Example does not match its schema: array is too long @ "
                    "/paths/~1a/get/responses/200/content/application~1json/examples/long/value/tags",
                    "Example does not match its schema: value is greater than maximum @ "
                    "/components/schemas/Level/examples/1",
                    "Example does not match its schema: value is not allowed by the schema @ "
                    "/components/schemas/Either/example"));
}

// Schemas of the same text at many places: each example is checked against its own, a request's and a response's
// alike schema each with what it may leave out, and a schema that differs in one number stays apart. Schemas that
// differ only in their annotations validate alike; an annotation of a kind that does not compile is not one, and a
// property may be named like an annotation. A schema that does not compile checks nothing.
TEST(OpenAPIJSONSchemaValidationTest, AlikeSchemasAtManyPlacesAreEachTheirOwn) {
    const std::string yaml = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths:
  /a:
    post:
      requestBody:
        content:
          application/json:
            schema: {type: object, required: [id], properties: {id: {type: integer, readOnly: true}}}
            example: {}
      responses:
        '200':
          description: ok
          content:
            application/json:
              schema: {type: object, required: [id], properties: {id: {type: integer, readOnly: true}}}
              example: {}
components:
  schemas:
    A:
      properties:
        low: {type: integer, maximum: 3, example: 2}
        high: {type: integer, maximum: 3, example: 5}
        wide: {type: integer, maximum: 9, example: 5}
        again: {type: integer, maximum: 3, example: 3}
        broken: {type: string, pattern: '(', example: x}
        described: {type: integer, maximum: 3, title: Low, description: small, $comment: c, examples: [1, 4], default: 9}
        named: {type: object, properties: {description: {type: integer}}, example: {description: x}}
)";
    EXPECT_THAT(
        findings("openapi-json-schema-validation", yaml),
        ::testing::UnorderedElementsAre("Example does not match its schema: Required property 'id' is missing @ "
                                        "/paths/~1a/post/responses/200/content/application~1json/example",
                                        "Example does not match its schema: value is greater than maximum @ "
                                        "/components/schemas/A/properties/high/example",
                                        "Example does not match its schema: value is greater than maximum @ "
                                        "/components/schemas/A/properties/described/examples/1",
                                        "Example does not match its schema: value is greater than maximum @ "
                                        "/components/schemas/A/properties/described/default",
                                        "Example does not match its schema: type mismatch @ "
                                        "/components/schemas/A/properties/named/example"));

    // The model reads no schema under "dependencies", which a dialect of this kind compiles.
    const std::string dialect = R"(openapi: 3.1.0
jsonSchemaDialect: 'http://json-schema.org/draft-07/schema#'
info: {title: t, version: '1'}
paths: {}
components:
  schemas:
    A:
      properties:
        titled: {type: integer, maximum: 3, dependencies: {x: {title: t}}, example: 7}
        misnamed: {type: integer, maximum: 3, dependencies: {x: {title: 5}}, example: 7}
)";
    EXPECT_THAT(findings("openapi-json-schema-validation", dialect),
                ::testing::ElementsAre("Example does not match its schema: value is greater than maximum @ "
                                       "/components/schemas/A/properties/titled/example"));
}

TEST(OpenAPIJSONSchemaValidationTest, FollowsReferencesWhereverTheyLead) {
    // Through encoded names, into an inline schema of an operation, and under a property named like a keyword.
    const std::string yaml = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths:
  /a:
    get:
      parameters:
        - {name: q, in: query, schema: {type: integer, minimum: 1}}
      responses:
        '200':
          description: ok
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Outer%20Box'}
              example: {default: {size: 0}, count: 2}
components:
  schemas:
    'Outer Box':
      type: object
      properties:
        default: {$ref: '#/components/schemas/Inner'}
        count: {$ref: '#/paths/~1a/get/parameters/0/schema'}
    Inner:
      type: object
      properties: {size: {$ref: '#/components/schemas/Positive'}}
    Positive: {type: integer, minimum: 1}
    Counted:
      type: object
      properties: {count: {$ref: '#/paths/~1a/get/parameters/0/schema'}}
      example: {count: 0}
      x-note: {$ref: '#/not~2a~pointer'}
)";
    EXPECT_THAT(findings("openapi-json-schema-validation", yaml),
                ::testing::UnorderedElementsAre("Example does not match its schema: value is less than minimum @ "
                                                "/paths/~1a/get/responses/200/content/application~1json/example",
                                                "Example does not match its schema: value is less than minimum @ "
                                                "/components/schemas/Counted/example"));

    // A schema resource with a base URL of its own is checked from a copy of every schema.
    const std::string resource = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths: {}
components:
  schemas:
    Tagged: {$id: 'https://example.com/tagged', type: integer, example: x}
    Plain: {type: integer, example: y}
)";
    EXPECT_THAT(findings("openapi-json-schema-validation", resource),
                ::testing::UnorderedElementsAre(
                    "Example does not match its schema: type mismatch @ /components/schemas/Tagged/example",
                    "Example does not match its schema: type mismatch @ /components/schemas/Plain/example"));
}

TEST(OpenAPIJSONSchemaValidationTest, IsSwitchedOffAtTheNodeOrAboveAndAtASharedExample) {
    const std::string yaml = R"(openapi: 3.0.3
info: {title: t, version: '1'}
paths:
  /a:
    x-lint-disable: [openapi-json-schema-validation]
    get:
      parameters: [{name: q, in: query, schema: {type: integer}, example: text}]
      responses: {'200': {description: ok}}
  /b:
    get:
      parameters:
        - {name: q, in: query, schema: {type: integer}, examples: {quiet: {$ref: '#/components/examples/Text'}}}
        - name: r
          in: query
          schema: {type: integer}
          example: text
          x-zephalon-lint-disable: [openapi-json-schema-validation]
      responses: {'200': {description: ok}}
components:
  schemas:
    Quiet: {type: integer, example: text, x-lint-disable: [openapi-json-schema-validation]}
    Loud: {type: integer, example: text}
    Outer:
      x-zephalon-lint-disable: [openapi-json-schema-validation]
      type: object
      properties: {inner: {type: integer, example: text}}
  examples:
    Text: {value: text, x-lint-disable: [openapi-json-schema-validation]}
)";
    EXPECT_THAT(findings("openapi-json-schema-validation", yaml),
                ElementsAre("Example does not match its schema: type mismatch @ /components/schemas/Loud/example"));
}

}  // namespace
}  // namespace zephalon::openapi_lint
