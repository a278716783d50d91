#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rule_test_util.h"

namespace zephalon::openapi_lint {
namespace {

using ::testing::ElementsAre;
using testing::findings;
using ::testing::IsEmpty;

constexpr std::string_view kApi = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths:
  /articles:
    post:
      requestBody:
        content:
          application/vnd.api+json: {schema: {$ref: '#/components/schemas/ArticleDocument'}}
          application/json: {schema: {type: object}}
      responses:
        '201':
          description: created
          content:
            'application/vnd.api+json; ext="https://jsonapi.org/ext/atomic"':
              schema: {$ref: '#/components/schemas/ArticleDocument'}
        '204': {description: none}
        '400':
          description: bad
          content:
            application/vnd.api+json:
              schema:
                type: object
                properties: {errors: {type: array}, data: {type: object}}
        '404':
          description: gone
          content:
            application/vnd.api+json: {schema: {type: object, properties: {message: {type: string}}}}
            text/html: {x-lint-disable: [json-api/content-type]}
        '409':
          description: clash
          x-lint-disable: [json-api/schema-validation]
          content:
            application/vnd.api+json: {schema: {type: object}}
        '500':
          description: broken
          content:
            application/vnd.api+json: {schema: {allOf: [{$ref: '#/components/schemas/Meta'}]}}
components:
  schemas:
    Meta: {type: object, properties: {meta: {type: object}}}
    ArticleDocument:
      type: object
      properties:
        data: {$ref: '#/components/schemas/Article'}
    Article:
      type: object
      properties:
        type: {const: articles}
        id: {type: string}
    Post:
      allOf:
        - {$ref: '#/components/schemas/Identified'}
        - {properties: {type: {enum: [articles]}}}
    Identified: {properties: {id: {type: string}}}
    Person:
      properties:
        type: {type: string, enum: [people]}
        id: {type: string}
    Reader:
      properties:
        type: {const: people}
        id: {type: string}
      x-lint-disable: [json-api/resource-type-unique]
    Kind:
      properties:
        type: {enum: [articles, people]}
        id: {type: string}
)";

TEST(JSONAPIContentTypeTest, ReportsOtherMediaTypesOfBodiesAndResponses) {
    EXPECT_THAT(findings("json-api/content-type", kApi),
                ElementsAre("Request body media type is not application/vnd.api+json @ "
                            "/paths/~1articles/post/requestBody/content/application~1json"));
}

TEST(JSONAPISchemaValidationTest, AsksForDataErrorsOrMetaButNotDataAndErrors) {
    EXPECT_THAT(findings("json-api/schema-validation", kApi),
                ElementsAre("JSON:API document must not define both data and errors @ "
                            "/paths/~1articles/post/responses/400/content/application~1vnd.api+json",
                            "JSON:API document must define data, errors or meta @ "
                            "/paths/~1articles/post/responses/404/content/application~1vnd.api+json"));
}

TEST(ResourceTypeUniqueTest, ReportsEverySchemaAfterTheFirstOfAType) {
    EXPECT_THAT(findings("json-api/resource-type-unique", kApi),
                ElementsAre("Resource type 'articles' is defined by more than one schema @ /components/schemas/Post"));
    EXPECT_THAT(
        findings("json-api/resource-type-unique", "openapi: 3.1.0\ninfo: {title: t, version: '1'}\npaths: {}\n"),
        IsEmpty());
}

TEST(JSONAPIRulesetTest, HoldsTheThreeRulesAsErrors) {
    std::ostringstream out;
    Linter linter(out);
    auto config = jv::readString(R"({"extends": ["json-api"]})", FileFormat::JSON);
    linter.setConfig(config->root());
    auto result = openapi::checkedReadFromString(kApi, FileFormat::YAML);
    linter.process(*result);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(linter.context().result().errorCount(), 4U);
    EXPECT_EQ(linter.context().result().warningCount(), 0U);
}

}  // namespace
}  // namespace zephalon::openapi_lint
