// Request bodies, responses, media types, headers and examples.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comparison.h"

namespace zephalon::openapi_diff {
namespace {

using testing::compareDocuments;
using testing::edited;
using Strings = std::vector<std::string>;

constexpr std::string_view kOrders = R"(
openapi: 3.1.0
info: {title: Orders, version: 1.0.0}
paths:
  /orders:
    post:
      parameters:
        - {name: filter, in: query, schema: {type: string}, example: open}
      requestBody:
        content:
          application/json:
            schema: {type: object}
      responses:
        '201':
          description: Created.
          headers:
            Location: {schema: {type: string}}
          content:
            application/json:
              schema: {type: object}
              example: {id: 1}
)";

// The changes below the operation, in order.
Strings insideOperation(const testing::Comparison& comparison) {
    Strings out = comparison.described();
    out.erase(out.begin(), out.begin() + std::min<std::size_t>(2, out.size()));
    return out;
}

TEST(ContentDiffTest, ASchemaReplacedByContentIsOneRemovedAndOneAdded) {
    auto comparison =
        compareDocuments(kOrders, edited(kOrders, "schema: {type: string}, example: open",
                                         "content: {text/plain: {schema: {type: string}}}, example: open"));
    EXPECT_EQ(insideOperation(comparison), (Strings{
                                               "element_modified operation.parameters [0] breaking",
                                               "property_removed parameter.schema breaking",
                                               "element_removed schema.type [0] breaking",
                                               "key_added parameter.content 'text/plain' breaking",
                                               "property_added mediaType.schema breaking",
                                               "element_added schema.type [0] breaking",
                                           }));
    // Back, and to another media type.
    std::string plain = edited(kOrders, "schema: {type: string}, example: open",
                               "content: {text/plain: {schema: {type: string}}}, example: open");
    EXPECT_EQ(compareDocuments(plain, kOrders).described(ConfigKey::parameter_schema),
              Strings{"property_added parameter.schema breaking"});
    EXPECT_EQ(compareDocuments(plain, edited(plain, "text/plain", "text/csv")).described(ConfigKey::parameter_content),
              (Strings{"key_added parameter.content 'text/csv' breaking",
                       "key_removed parameter.content 'text/plain' breaking"}));
}

TEST(ContentDiffTest, AnExampleReplacedByNamedExamplesIsOneRemovedAndOneAdded) {
    auto comparison =
        compareDocuments(kOrders, edited(kOrders, "              example: {id: 1}",
                                         "              examples:\n                first: {value: {id: 1}}"));
    EXPECT_EQ(comparison.described(ConfigKey::mediaType_example),
              Strings{"property_removed mediaType.example non-functional"});
    EXPECT_EQ(comparison.described(ConfigKey::mediaType_examples),
              Strings{"key_added mediaType.examples 'first' non-functional"});
    EXPECT_EQ(comparison.severity, ChangeSeverity::nonFunctional);
    EXPECT_EQ(compareDocuments(kOrders, edited(kOrders, "example: open", "example: closed"))
                  .described(ConfigKey::parameter_example),
              Strings{"property_modified parameter.example non-functional"});
}

TEST(ContentDiffTest, BodiesResponsesAndHeaders) {
    auto required = compareDocuments(
        kOrders, edited(kOrders, "      requestBody:\n", "      requestBody:\n        required: true\n"));
    EXPECT_EQ(insideOperation(required), (Strings{"property_modified operation.requestBody breaking",
                                                  "property_modified requestBody.required breaking"}));
    auto header = compareDocuments(
        kOrders,
        edited(kOrders, "            Location:", "            X-Id: {schema: {type: string}}\n            Location:"));
    EXPECT_EQ(header.described(ConfigKey::response_headers), Strings{"key_added response.headers 'X-Id' breaking"});
    auto media = compareDocuments(kOrders, edited(kOrders,
                                                  "          content:\n            application/json:\n              "
                                                  "schema: {type: object}\n              example",
                                                  "          content:\n            application/xml:\n              "
                                                  "schema: {type: object}\n              example"));
    EXPECT_EQ(media.described(ConfigKey::response_content),
              (Strings{"key_added response.content 'application/xml' breaking",
                       "key_removed response.content 'application/json' breaking"}));
}

}  // namespace
}  // namespace zephalon::openapi_diff
