#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rule_test_util.h"
#include "rules/rules.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_lint {
namespace {

using ::testing::ElementsAre;
using testing::findings;
using testing::findingsAfterFix;
using ::testing::IsEmpty;
using testing::optionError;

std::string schemas(std::string_view components, std::string_view version = "3.1.0") {
    return fmt::format("openapi: {}\ninfo: {{title: t, version: '1'}}\npaths: {{}}\ncomponents:\n  schemas:\n{}",
                       version, components);
}

// The schema rules see every schema once: nested ones, and shared ones however often they are referenced.
TEST(SchemaRulesTest, VisitEverySchemaOnceNestedOnesIncluded) {
    const std::string yaml = fmt::format(R"(openapi: 3.1.0
info: {{title: t, version: '1'}}
paths:
  /a:
    get:
      parameters:
        - {{name: q, in: query, schema: {{type: object, properties: {{deep: {{oneOf: [{{type: string}}]}}}}}}}}
      responses:
        '200':
          description: ok
          content:
            application/json: {{schema: {{$ref: '#/components/schemas/Shared'}}}}
            text/plain: {{schema: {{$ref: '#/components/schemas/Shared'}}}}
components:
  schemas:
    Shared:
      type: array
      items: {{oneOf: [{{type: string}}, {{type: integer}}]}}
)");
    EXPECT_THAT(
        findings("schema-discriminator-defined", yaml),
        ElementsAre("Schema with oneOf clause does not have a discriminator @ "
                    "/paths/~1a/get/parameters/0/schema/properties/deep",
                    "Schema with oneOf clause does not have a discriminator @ /components/schemas/Shared/items"));
}

TEST(SchemaConstraintsTest, AsksEachEnabledTypeForARestriction) {
    const std::string yaml = schemas(R"(    Count: {type: integer}
    Age: {type: integer, minimum: 0}
    Price: {type: number}
    Ratio: {type: number, exclusiveMaximum: 1}
    Name: {type: string}
    Code: {type: string, pattern: '^[A-Z]+$'}
    Day: {type: string, format: date}
    Level: {type: [string, 'null'], enum: [low, high, null]}
    Tags: {type: array}
    Pair: {type: array, maxItems: 2}
    Bag: {type: object}
    Closed: {type: object, additionalProperties: false}
    Bounded: {type: object, allOf: [{maxProperties: 3}]}
    Quiet: {type: string, x-lint-disable: [schema-constraints]}
)");
    EXPECT_THAT(
        findings("schema-constraints", yaml),
        ElementsAre("Object schema does not define constraints restricting its size @ /components/schemas/Bag",
                    "Integer schema does not define constraints restricting its range @ "
                    "/components/schemas/Count",
                    "String schema does not define constraints restricting its length @ "
                    "/components/schemas/Name",
                    "Numeric schema does not define constraints restricting its range @ "
                    "/components/schemas/Price",
                    "Array schema does not define constraints restricting its size @ /components/schemas/Tags"));
    // The options name the types to check; the others are left alone.
    EXPECT_THAT(findings("schema-constraints", yaml, R"({"number": true, "string": true, "integer": false})"),
                ElementsAre("String schema does not define constraints restricting its length @ "
                            "/components/schemas/Name",
                            "Numeric schema does not define constraints restricting its range @ "
                            "/components/schemas/Price"));
    const std::string prefix = "Rule 'schema-constraints': ";
    EXPECT_EQ(optionError("schema-constraints", "true"), prefix + "Options must be an object");
    EXPECT_EQ(optionError("schema-constraints", R"({"array": false})"),
              prefix + "At least one of integer, number, string, array or object must be true");
    EXPECT_EQ(optionError("schema-constraints", R"({"array": 1})"), prefix + "Option 'array' must be a boolean");
    EXPECT_EQ(optionError("schema-constraints", R"({"strings": true})"), prefix + "Unknown option 'strings'");
}

TEST(SchemaDatetimeSuffixTest, AsksDateTimePropertiesForTheSuffix) {
    const std::string yaml = schemas(R"(    Stamp: {type: string, format: date-time}
    Order:
      type: object
      properties:
        created_at: {type: string, format: date-time}
        updated: {type: string, format: date-time}
        shipped: {$ref: '#/components/schemas/Stamp'}
        due: {type: string, format: date}
        paid: {type: string, format: date-time, x-lint-disable: [schema-datetime-suffix]}
)");
    EXPECT_THAT(
        findings("schema-datetime-suffix", yaml),
        ElementsAre("Property name shipped should end with _at @ /components/schemas/Order/properties/shipped",
                    "Property name updated should end with _at @ /components/schemas/Order/properties/updated"));
    EXPECT_THAT(findings("schema-datetime-suffix", yaml, R"("ed")"),
                ElementsAre("Property name created_at should end with ed @ "
                            "/components/schemas/Order/properties/created_at"));
    const std::string prefix = "Rule 'schema-datetime-suffix': ";
    EXPECT_EQ(optionError("schema-datetime-suffix", "null"), prefix + "Options must not be null");
    EXPECT_EQ(optionError("schema-datetime-suffix", "[]"), prefix + "Options must be a string");
    EXPECT_EQ(optionError("schema-datetime-suffix", R"("")"), prefix + "Options must not be empty");
}

TEST(SchemaEnumNamingTest, ChecksStringValuesAgainstTheConvention) {
    const std::string yaml = schemas(R"(    Status: {type: string, enum: [ACTIVE, IN_PROGRESS, on-hold, Done]}
    Mixed: {enum: [1, true, null, LOW]}
    Fixed: {const: notConst}
    Quiet: {enum: [bad value], x-lint-disable: [schema-enum-naming]}
)");
    EXPECT_THAT(
        findings("schema-enum-naming", yaml),
        ElementsAre("Schema enum value 'on-hold' is not in the 'CONST_CASE' convention @ "
                    "/components/schemas/Status",
                    "Schema enum value 'Done' is not in the 'CONST_CASE' convention @ /components/schemas/Status"));
    EXPECT_THAT(findings("schema-enum-naming", yaml, R"("kebab")"), ::testing::SizeIs(4));
    const std::string prefix = "Rule 'schema-enum-naming': ";
    EXPECT_EQ(optionError("schema-enum-naming", "null"), prefix + "Options must not be null");
    EXPECT_EQ(optionError("schema-enum-naming", R"({"convention": "snake"})"), prefix + "Options must be a string");
    EXPECT_EQ(optionError("schema-enum-naming", R"("upper")"), prefix + "Unknown naming convention: upper");
}

TEST(SchemaEnumNoDuplicatesTest, ComparesValuesAsJson) {
    const std::string yaml = schemas(R"(    Numbers: {enum: [1, '1', 1.0, 2, {a: 1}, {a: 1.0}, [1], [1]]}
    Names: {type: string, enum: [a, b, a, a]}
    Distinct: {enum: [1, '1', true, 'true', null, 'null']}
    Quiet: {enum: [x, x], x-lint-disable: [schema-enum-no-duplicates]}
)");
    EXPECT_THAT(findings("schema-enum-no-duplicates", yaml),
                ElementsAre("Duplicate enum value @ /components/schemas/Names",
                            "Duplicate enum value @ /components/schemas/Names",
                            "Duplicate enum value @ /components/schemas/Numbers",
                            "Duplicate enum value @ /components/schemas/Numbers",
                            "Duplicate enum value @ /components/schemas/Numbers"));
}

TEST(SchemaEnumNoDuplicatesTest, FixKeepsTheFirstOfEachValue) {
    const std::string yaml = schemas(R"(    Numbers: {enum: [1, '1', 1.0, 2, 1]}
    Names:
      type: object
      properties:
        kind: {type: string, enum: [b, a, b]}
    Quiet: {enum: [x, x], x-lint-disable: [schema-enum-no-duplicates]}
)");
    EXPECT_THAT(findingsAfterFix("schema-enum-no-duplicates", yaml), IsEmpty());
    auto result = openapi::checkedReadFromString(yaml, FileFormat::YAML);
    Context context;
    context.setReadResult(result.get());
    ASSERT_TRUE(createRule("schema-enum-no-duplicates", Severity::Error)->autoFix(context));
    auto values = [&](std::string_view pointer) {
        std::vector<std::string> texts;
        const auto* schema = openapi::nodeCast<openapi::Schema>(result->findNode(pointer));
        for (const auto& value : schema->enumValues()) {
            texts.push_back(value->isString() ? "'" + std::string(value->stringValue()) + "'"
                                              : value->numberValue().string());
        }
        return texts;
    };
    EXPECT_THAT(values("/components/schemas/Numbers"), ElementsAre("1", "'1'", "2"));
    EXPECT_THAT(values("/components/schemas/Names/properties/kind"), ElementsAre("'b'", "'a'"));
    EXPECT_THAT(values("/components/schemas/Quiet"), ElementsAre("'x'", "'x'"));
}

TEST(SchemaEnumTypesTest, AcceptsValuesOfAnyListedType) {
    const std::string yaml = schemas(R"(    Whole: {type: integer, enum: [1, 2.0, 2.5]}
    Numbers: {type: number, enum: [1, 2.5]}
    Maybe: {type: string, nullable: true, enum: [a, null]}
    Wrong: {type: string, enum: [a, 1]}
    Untyped: {enum: [a, 1]}
    Quiet: {type: string, enum: [1], x-lint-disable: [schema-enum-types]}
)",
                                     "3.0.3");
    EXPECT_THAT(findings("schema-enum-types", yaml),
                ElementsAre("Enum value type is not in the schema type @ /components/schemas/Whole",
                            "Enum value type is not in the schema type @ /components/schemas/Wrong"));
}

TEST(SchemaFormatDefinedTest, AsksNumbersForAFormatOfTheirType) {
    const std::string yaml = schemas(R"(    Price: {type: number, format: double}
    Ratio: {type: number}
    Count: {type: integer, format: int64}
    Age: {type: integer}
    Odd: {type: integer, format: float}
    Both: {type: [integer, 'null']}
    Name: {type: string}
    Quiet: {type: number, x-lint-disable: [schema-format-defined]}
)");
    EXPECT_THAT(findings("schema-format-defined", yaml),
                ElementsAre("Schema with integer type does not define proper format @ /components/schemas/Age",
                            "Schema with integer type does not define proper format @ /components/schemas/Both",
                            "Schema with integer type does not define proper format @ /components/schemas/Odd",
                            "Schema with number type does not define proper format @ /components/schemas/Ratio"));
}

TEST(SchemaFormatTypeMismatchTest, ReportsFormatsOfAnotherType) {
    const std::string yaml = schemas(R"(    Stamp: {type: string, format: date-time}
    Count: {type: integer, format: date}
    Id: {type: [string, integer], format: int64}
    Free: {format: uuid}
    Quiet: {type: boolean, format: email, x-lint-disable: [schema-format-type-mismatch]}
)");
    EXPECT_THAT(findings("schema-format-type-mismatch", yaml),
                ElementsAre("Schema type and format do not match @ /components/schemas/Count"));
}

TEST(SchemaNoAdditionalPropertiesTest, AcceptsClosedObjectsAndTypedMaps) {
    const std::string yaml = schemas(R"(    Open: {type: object}
    Explicit: {type: object, additionalProperties: true}
    Closed: {type: object, additionalProperties: false}
    Map: {type: object, additionalProperties: {type: string}}
    Sealed: {type: object, unevaluatedProperties: false}
    Text: {type: string}
    Quiet: {type: object, x-lint-disable: [schema-no-additional-properties]}
)");
    EXPECT_THAT(findings("schema-no-additional-properties", yaml),
                ElementsAre("Object schema does not disable additional properties @ /components/schemas/Explicit",
                            "Object schema does not disable additional properties @ /components/schemas/Open"));
}

TEST(SchemaPropertyNamingTest, ChecksPropertyNamesAgainstTheConvention) {
    const std::string yaml = schemas(R"(    User:
      type: object
      properties:
        user_name: {type: string}
        firstName: {type: string}
        Last-Name: {type: string}
        legacyId: {type: string, x-lint-disable: [schema-property-naming]}
)");
    EXPECT_THAT(findings("schema-property-naming", yaml),
                ElementsAre("Schema property 'Last-Name' is not in the 'snake_case' convention @ "
                            "/components/schemas/User/properties/Last-Name",
                            "Schema property 'firstName' is not in the 'snake_case' convention @ "
                            "/components/schemas/User/properties/firstName"));
    EXPECT_THAT(findings("schema-property-naming", yaml, R"("camel")"),
                ElementsAre("Schema property 'Last-Name' is not in the 'camelCase' convention @ "
                            "/components/schemas/User/properties/Last-Name",
                            "Schema property 'user_name' is not in the 'camelCase' convention @ "
                            "/components/schemas/User/properties/user_name"));
    EXPECT_EQ(optionError("schema-property-naming", R"("Snake")"),
              "Rule 'schema-property-naming': Unknown naming convention: Snake");
}

}  // namespace
}  // namespace zephalon::openapi_lint
