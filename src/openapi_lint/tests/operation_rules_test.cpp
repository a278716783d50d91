#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rule_test_util.h"

namespace zephalon::openapi_lint {
namespace {

using ::testing::ElementsAre;
using testing::findings;
using ::testing::IsEmpty;
using testing::optionError;

std::string document(std::string_view paths, std::string_view rest = "") {
    return fmt::format("openapi: 3.1.0\ninfo: {{title: t, version: '1'}}\npaths:\n{}{}", paths, rest);
}

TEST(NoContentResponseDefinedTest, ReportsBodiesOfNoContentResponses) {
    const std::string yaml = document(R"(  /a:
    get:
      responses:
        '204': {description: none, content: {application/json: {}}}
        '200': {description: ok, content: {application/json: {}}}
    put:
      responses:
        '204': {$ref: '#/components/responses/Empty'}
    post:
      responses:
        '204': {description: none}
    delete:
      responses:
        '204':
          x-lint-disable: [no-content-response-defined]
          description: none
          content: {application/json: {}}
)",
                                      R"(components:
  responses:
    Empty: {description: none, content: {text/plain: {}}}
)");
    EXPECT_THAT(findings("no-content-response-defined", yaml),
                ElementsAre("204 response may not have a body defined @ /paths/~1a/get/responses/204",
                            "204 response may not have a body defined @ /paths/~1a/put/responses/204"));
}

TEST(OperationDescriptionDefinedTest, ReportsShortAndMissingDescriptions) {
    const std::string yaml = document(R"(  /a:
    get: {description: Lists every item., responses: {'200': {description: ok}}}
    put: {description: Puts., responses: {'200': {description: ok}}}
    post: {responses: {'200': {description: ok}}}
  /b:
    x-zephalon-lint-disable: [operation-description-defined]
    get: {responses: {'200': {description: ok}}}
)");
    EXPECT_THAT(findings("operation-description-defined", yaml),
                ElementsAre("Operation has no meaningful description @ /paths/~1a/put",
                            "Operation has no meaningful description @ /paths/~1a/post"));
    EXPECT_THAT(findings("operation-description-defined", yaml, R"({"minLength": 4})"),
                ElementsAre("Operation has no meaningful description @ /paths/~1a/post"));
    EXPECT_EQ(optionError("operation-description-defined", "[]"),
              "Rule 'operation-description-defined': Options must be a string or an object");
}

TEST(OperationDocumentNotPrimitiveTest, ReportsBodiesWithPrimitiveTypes) {
    const std::string yaml = document(R"(  /a:
    post:
      requestBody: {content: {text/plain: {schema: {type: string}}}}
      responses:
        '200': {description: ok, content: {application/json: {schema: {$ref: '#/components/schemas/Count'}}}}
        '201': {description: ok, content: {application/json: {schema: {type: [array, 'null']}}}}
        '202': {description: ok, content: {application/json: {schema: {oneOf: [{type: string}]}}}}
        '203': {description: ok, content: {application/json: {schema: {type: object}}}}
)",
                                      "components:\n  schemas:\n    Count: {type: integer}\n");
    EXPECT_THAT(findings("operation-document-not-primitive", yaml),
                ElementsAre("Operation request or response body is not an object or array @ "
                            "/paths/~1a/post/requestBody/content/text~1plain",
                            "Operation request or response body is not an object or array @ "
                            "/paths/~1a/post/responses/200/content/application~1json"));
}

TEST(OperationIdUniqueTest, ReportsEveryLaterUseOfAnId) {
    const std::string yaml = document(R"(  /a:
    get: {operationId: same, responses: {'200': {description: ok}}}
    put: {operationId: same, responses: {'200': {description: ok}}}
    post: {operationId: other, responses: {'200': {description: ok}}}
  /b:
    get: {operationId: same, x-lint-disable: [operation-id-unique], responses: {'200': {description: ok}}}
)",
                                      R"(webhooks:
  hook:
    post: {operationId: other, responses: {'200': {description: ok}}}
)");
    EXPECT_THAT(findings("operation-id-unique", yaml),
                ElementsAre("Operation ID is not unique same @ /paths/~1a/put",
                            "Operation ID is not unique other @ /webhooks/hook/post"));
}

TEST(OperationIdUniqueTest, CountsAnOperationUsedFromSeveralPlacesOnce) {
    const std::string yaml = document(R"(  /a:
    post:
      responses: {'200': {description: ok}}
      callbacks:
        done: {'{$request.body#/url}': {$ref: '#/components/pathItems/Ping'}}
)",
                                      R"(webhooks:
  ping: {$ref: '#/components/pathItems/Ping'}
components:
  pathItems:
    Ping:
      head: {operationId: ping, responses: {'204': {description: alive}}}
)");
    EXPECT_THAT(findings("operation-id-unique", yaml), IsEmpty());
}

TEST(OperationRateLimitingDefinedTest, AsksForRetryAfterAndLimitHeadersResponseByResponse) {
    const std::string yaml = document(R"(  /a:
    get:
      responses:
        '200': {description: ok}
        '201': {description: ok, headers: {x-ratelimit-limit: {schema: {type: integer}}}}
        '404': {description: gone, headers: {RateLimit-Limit: {schema: {type: integer}}}}
        '429': {description: slow down, headers: {X-Rate-Limit-Limit: {schema: {type: integer}}}}
        '503': {description: busy, headers: {Retry-After: {schema: {type: integer}}}}
        '500': {description: broken}
        '4XX': {x-lint-disable: [operation-rate-limiting-defined], description: client}
)");
    EXPECT_THAT(findings("operation-rate-limiting-defined", yaml),
                ElementsAre("Missing rate limiting header @ /paths/~1a/get/responses/200",
                            "Missing Retry-After header @ /paths/~1a/get/responses/429"));
}

TEST(OperationSecurityDefinedTest, AcceptsOwnOrInheritedRequirements) {
    const std::string paths = R"(  /a:
    get: {responses: {'200': {description: ok}}}
    put: {security: [], responses: {'200': {description: ok}}}
    post: {security: [{key: []}], responses: {'200': {description: ok}}}
)";
    const std::string schemes = "components:\n  securitySchemes:\n    key: {type: apiKey, name: k, in: header}\n";
    EXPECT_THAT(findings("operation-security-defined", document(paths, schemes)),
                ElementsAre("Security requirement is not defined @ /paths/~1a/get",
                            "Security requirement is not defined @ /paths/~1a/put"));
    EXPECT_THAT(findings("operation-security-defined", document(paths, schemes + "security: [{key: []}]\n")),
                ElementsAre("Security requirement is not defined @ /paths/~1a/put"));
}

TEST(OperationSuccessResponseTest, AcceptsSuccessRedirectAndDefaultResponses) {
    const std::string yaml = document(R"(  /a:
    get: {responses: {'404': {description: gone}, '5XX': {description: broken}}}
    put: {responses: {'302': {description: moved}}}
    post: {responses: {default: {description: any}}}
    delete: {responses: {'2XX': {description: ok}}}
    patch: {}
    head: {x-lint-disable: [operation-success-response], responses: {'400': {description: bad}}}
)");
    EXPECT_THAT(findings("operation-success-response", yaml),
                ElementsAre("Operation must have at least one success response @ /paths/~1a/get",
                            "Operation must have at least one success response @ /paths/~1a/patch"));
}

TEST(OperationTagsDefinedTest, ReportsOperationsWithoutTags) {
    const std::string yaml = document(R"(  /a:
    get: {tags: [pets], responses: {'200': {description: ok}}}
    put: {tags: [], responses: {'200': {description: ok}}}
    post: {x-lint-disable: [operation-tags-defined], responses: {'200': {description: ok}}}
)");
    EXPECT_THAT(findings("operation-tags-defined", yaml),
                ElementsAre("Operation has no tags defined @ /paths/~1a/put"));
}

TEST(StandardMediaTypesTest, ChecksContentOfParametersHeadersBodiesAndResponses) {
    const std::string yaml = document(R"(  /a:
    post:
      parameters:
        - {name: filter, in: query, content: {json: {}}}
      requestBody: {content: {'application/json; charset=utf-8': {}, 'text/*': {}, 'text/plain;': {}}}
      responses:
        '200':
          description: ok
          headers: {X-Data: {content: {'application/vnd.api+json': {}}}}
          content: {'*/*': {}, 'application json': {}}
        '201':
          description: ok
          x-lint-disable: [standard-media-types]
          content: {bad: {}}
)");
    EXPECT_THAT(findings("standard-media-types", yaml),
                ElementsAre("Non-standard media type is used (json) @ /paths/~1a/post/parameters/0/content/json",
                            "Non-standard media type is used (text/plain;) @ "
                            "/paths/~1a/post/requestBody/content/text~1plain;",
                            "Non-standard media type is used (application json) @ "
                            "/paths/~1a/post/responses/200/content/application json"));
}

TEST(StandardResponseCodesTest, AcceptsStatusCodesRangesAndDefault) {
    const std::string yaml = document(R"(  /a:
    get:
      responses:
        '200': {description: ok}
        '4XX': {description: client}
        default: {description: any}
        '600': {description: odd}
        '2xx': {description: lower case}
        '20': {description: short}
        x-lint-disable: [other]
)");
    EXPECT_THAT(findings("standard-response-codes", yaml),
                ElementsAre("Operation uses non-standard response code (20) @ /paths/~1a/get/responses/20",
                            "Operation uses non-standard response code (2xx) @ /paths/~1a/get/responses/2xx",
                            "Operation uses non-standard response code (600) @ /paths/~1a/get/responses/600"));
}

TEST(StandardResponseErrorsTest, AsksErrorResponsesForProblemDetails) {
    const std::string yaml = document(R"(  /a:
    get:
      responses:
        '200': {description: ok, content: {application/json: {}}}
        '400': {description: bad, content: {application/json: {}}}
        '404': {description: gone, content: {application/problem+json: {schema: {$ref: '#/components/schemas/Problem'}}}}
        '409': {description: clash, content: {application/problem+json: {schema: {properties: {type: {}, title: {}}}}}}
        '5XX':
          description: broken
          content:
            application/problem+json:
              schema: {allOf: [{$ref: '#/components/schemas/Problem'}, {properties: {trace: {}}}]}
        '503': {description: busy, x-lint-disable: [standard-response-errors]}
)",
                                      R"(components:
  schemas:
    Problem:
      properties: {type: {}, title: {}, status: {}, detail: {}, instance: {}}
)");
    EXPECT_THAT(findings("standard-response-errors", yaml),
                ElementsAre("Response must use Problem JSON format @ /paths/~1a/get/responses/400",
                            "Response must use correct Problem JSON schema @ "
                            "/paths/~1a/get/responses/409/content/application~1problem+json"));
    EXPECT_THAT(findings("standard-response-errors", yaml, R"("problem-json")"), ::testing::SizeIs(2));
    const std::string prefix = "Rule 'standard-response-errors': ";
    EXPECT_EQ(optionError("standard-response-errors", "null"), prefix + "Options cannot be null");
    EXPECT_EQ(optionError("standard-response-errors", "{}"), prefix + "Options must be a string");
    EXPECT_EQ(optionError("standard-response-errors", R"("soap")"), prefix + "Unknown convention: soap");
}

TEST(UnambiguousResponseCodesTest, ReportsRangesNextToCodesOfTheirClass) {
    const std::string yaml = document(R"(  /a:
    get: {responses: {'4XX': {description: a}, '404': {description: b}}}
    put: {responses: {'4XX': {description: a}, '500': {description: b}, '2XX': {description: c}}}
    post: {responses: {'4XX': {description: a}, '400': {description: b}, '5XX': {description: c}, '503': {description: d}}}
    delete:
      responses: {x-lint-disable: [unambiguous-response-codes], '4XX': {description: a}, '404': {description: b}}
)");
    EXPECT_THAT(findings("unambiguous-response-codes", yaml),
                ElementsAre("Operation response codes are ambiguous @ /paths/~1a/get/responses",
                            "Operation response codes are ambiguous @ /paths/~1a/post/responses"));
}

TEST(UnusedRequestBodyTest, ReportsBodiesOfGetHeadAndTrace) {
    const std::string yaml = document(R"(  /a:
    get: {requestBody: {content: {}}, responses: {'200': {description: ok}}}
    head: {requestBody: {$ref: '#/components/requestBodies/B'}, responses: {'200': {description: ok}}}
    post: {requestBody: {content: {}}, responses: {'200': {description: ok}}}
    trace: {x-lint-disable: [unused-request-body], requestBody: {content: {}}, responses: {'200': {description: ok}}}
)",
                                      "components:\n  requestBodies:\n    B: {content: {}}\n");
    EXPECT_THAT(findings("unused-request-body", yaml),
                ElementsAre("Unused request body @ /paths/~1a/get", "Unused request body @ /paths/~1a/head"));
}

}  // namespace
}  // namespace zephalon::openapi_lint
