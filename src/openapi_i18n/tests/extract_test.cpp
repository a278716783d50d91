#include "zephalon/openapi_i18n/extract.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/reader.h"

namespace zephalon::openapi_i18n {
namespace {

using Texts = std::map<std::string, std::string>;

Texts extract(std::string_view document, FileFormat format = FileFormat::JSON) {
    auto result = openapi::readFromString(document, format);
    auto doc = extractTexts(*result);
    Texts texts;
    for (const auto& [key, value] : doc->root()->properties()) {
        EXPECT_TRUE(value->isString()) << key;
        if (value->isString()) texts.emplace(key, value->stringValue());
    }
    return texts;
}

TEST(ExtractTest, EveryKindOfNodeContributesItsTexts) {
    constexpr std::string_view kDocument = R"({
  "openapi": "3.1.0",
  "info": {"title": "Shop", "summary": "Buy things", "description": "A shop.", "version": "1",
           "termsOfService": "https://example.com/terms",
           "contact": {"name": "Sales", "email": "a@example.com"}, "license": {"name": "MIT", "identifier": "MIT"}},
  "servers": [{"url": "https://{region}.example.com", "description": "Production",
               "variables": {"region": {"default": "eu", "description": "Data centre"}}}],
  "tags": [{"name": "orders", "description": "Order handling",
            "externalDocs": {"url": "https://example.com/tags", "description": "Tag docs"}}],
  "externalDocs": {"url": "https://example.com", "description": "Handbook"},
  "paths": {
    "/orders": {
      "summary": "Orders", "description": "All orders",
      "post": {
        "tags": ["orders"], "summary": "Place an order", "description": "Places one.", "operationId": "place",
        "parameters": [{"name": "dry", "in": "query", "description": "Only check",
                        "examples": {"yes": {"summary": "Dry run", "description": "Nothing is stored", "value": 1}}}],
        "requestBody": {"description": "The order", "content": {"application/json": {"schema": {"type": "object"}}}},
        "responses": {"201": {"description": "Placed",
                              "headers": {"Location": {"description": "Where it is", "schema": {"type": "string"}}},
                              "links": {"get": {"operationId": "place", "description": "Fetch it"}}}}
      }
    }
  },
  "components": {
    "securitySchemes": {
      "key": {"type": "apiKey", "name": "k", "in": "header", "description": "API key"},
      "oauth": {"type": "oauth2", "flows": {"implicit": {"authorizationUrl": "https://example.com/auth",
                "scopes": {"read:orders": "Read your orders", "a/b~c": "Odd scope"}}}}
    }
  }
})";
    const Texts expected = {
        {"/info/title", "Shop"},
        {"/info/summary", "Buy things"},
        {"/info/description", "A shop."},
        {"/info/contact/name", "Sales"},
        {"/info/license/name", "MIT"},
        {"/servers/0/description", "Production"},
        {"/servers/0/variables/region/description", "Data centre"},
        {"/tags/0/description", "Order handling"},
        {"/tags/0/externalDocs/description", "Tag docs"},
        {"/externalDocs/description", "Handbook"},
        {"/paths/~1orders/summary", "Orders"},
        {"/paths/~1orders/description", "All orders"},
        {"/paths/~1orders/post/summary", "Place an order"},
        {"/paths/~1orders/post/description", "Places one."},
        {"/paths/~1orders/post/parameters/0/description", "Only check"},
        {"/paths/~1orders/post/parameters/0/examples/yes/summary", "Dry run"},
        {"/paths/~1orders/post/parameters/0/examples/yes/description", "Nothing is stored"},
        {"/paths/~1orders/post/requestBody/description", "The order"},
        {"/paths/~1orders/post/responses/201/description", "Placed"},
        {"/paths/~1orders/post/responses/201/headers/Location/description", "Where it is"},
        {"/paths/~1orders/post/responses/201/links/get/description", "Fetch it"},
        {"/components/securitySchemes/key/description", "API key"},
        {"/components/securitySchemes/oauth/flows/implicit/scopes/read:orders", "Read your orders"},
        {"/components/securitySchemes/oauth/flows/implicit/scopes/a~1b~0c", "Odd scope"},
    };
    EXPECT_EQ(extract(kDocument), expected);
}

TEST(ExtractTest, SchemaTextsAndSharedSchemasOnceUnderTheirComponent) {
    constexpr std::string_view kDocument = R"({
  "openapi": "3.0.3",
  "info": {"title": "T", "version": "1"},
  "paths": {
    "/a": {"get": {"responses": {"200": {"description": "ok", "content": {"application/json": {
      "schema": {"$ref": "#/components/schemas/Pet"}}}}}}},
    "/b": {"get": {"responses": {"200": {"description": "ok", "content": {"application/json": {
      "schema": {"type": "array", "items": {"$ref": "#/components/schemas/Pet"}, "title": "Pets"}}}}}}}
  },
  "components": {"schemas": {
    "Pet": {"description": "A pet", "properties": {
      "name": {"type": "string", "title": "Name", "description": "What it answers to"},
      "parent": {"$ref": "#/components/schemas/Pet"}}}
  }}
})";
    const Texts expected = {
        {"/info/title", "T"},
        {"/paths/~1a/get/responses/200/description", "ok"},
        {"/paths/~1b/get/responses/200/description", "ok"},
        {"/paths/~1b/get/responses/200/content/application~1json/schema/title", "Pets"},
        {"/components/schemas/Pet/description", "A pet"},
        {"/components/schemas/Pet/properties/name/title", "Name"},
        {"/components/schemas/Pet/properties/name/description", "What it answers to"},
    };
    EXPECT_EQ(extract(kDocument), expected);
}

TEST(ExtractTest, PathKeysAreEscapedAsInTheSource) {
    constexpr std::string_view kDocument = R"(openapi: 3.1.0
info: {title: T, version: "1"}
paths:
  /files/{name}~backup:
    get:
      summary: Fetch a backup
      responses:
        "200": {description: ok}
  /a~1b:
    summary: Literal escape text
)";
    const Texts expected = {
        {"/info/title", "T"},
        {"/paths/~1files~1{name}~0backup/get/summary", "Fetch a backup"},
        {"/paths/~1files~1{name}~0backup/get/responses/200/description", "ok"},
        {"/paths/~1a~01b/summary", "Literal escape text"},
    };
    EXPECT_EQ(extract(kDocument, FileFormat::YAML), expected);
}

TEST(ExtractTest, ReferenceObjectsKeepTheirOwnSummaryAndDescription) {
    constexpr std::string_view kDocument = R"({
  "openapi": "3.1.0",
  "info": {"title": "T", "version": "1"},
  "paths": {"/a": {"get": {
    "parameters": [{"$ref": "#/components/parameters/Limit", "description": "How many orders"}],
    "responses": {"200": {"$ref": "#/components/responses/Ok", "summary": "Fine"}}}}},
  "components": {
    "parameters": {"Limit": {"name": "limit", "in": "query", "description": "How many"}},
    "responses": {"Ok": {"description": "Success"}}
  }
})";
    const Texts expected = {
        {"/info/title", "T"},
        {"/paths/~1a/get/parameters/0/description", "How many orders"},
        {"/paths/~1a/get/responses/200/summary", "Fine"},
        {"/components/parameters/Limit/description", "How many"},
        {"/components/responses/Ok/description", "Success"},
    };
    EXPECT_EQ(extract(kDocument), expected);
}

// A document with problems still gives every text that stands in it; a member of the wrong kind gives none, so no
// key ever points at something that is not its text.
TEST(ExtractTest, DocumentsWithIssuesYieldWhatCanBePlaced) {
    constexpr std::string_view kDocument = R"({
  "openapi": "3.0.3",
  "info": {"title": 12, "version": "1", "description": "Still here"},
  "paths": {"/a": {"get": {"summary": ["no"], "description": "Kept",
    "responses": {"200": {"description": "ok", "content": {"application/json": {
      "schema": {"$ref": "#/components/schemas/Missing"}}}},
      "201": {"description": {"text": "an object is no text"}}}}}},
  "components": {"schemas": {"S": {"type": "string", "format": "unheard-of", "title": "Odd"}}}
})";
    auto result = openapi::readFromString(kDocument, FileFormat::JSON);
    ASSERT_TRUE(result->hasIssues());
    const Texts expected = {
        {"/info/description", "Still here"},
        {"/paths/~1a/get/description", "Kept"},
        {"/paths/~1a/get/responses/200/description", "ok"},
        {"/components/schemas/S/title", "Odd"},
    };
    EXPECT_EQ(extract(kDocument), expected);
}

TEST(ExtractTest, NonObjectRootGivesAnEmptyObject) { EXPECT_TRUE(extract("[1, 2]").empty()); }

}  // namespace
}  // namespace zephalon::openapi_i18n
