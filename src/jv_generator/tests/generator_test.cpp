// Samples checked against their own schemas with the JSON Schema engine: composition, bounds, formats, schemas
// typed by their keywords, recursion, and the promise that a seed fixes every value.

#include "zephalon/jv_generator/generator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "sample_check.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/node_error.h"

namespace zephalon::jv_generator {
namespace {

using ::testing::HasSubstr;
using testing::SampleCheck;

constexpr std::string_view kComposed30 = R"(
openapi: 3.0.3
info: {title: Shop, version: "1"}
paths: {}
components:
  schemas:
    Entity:
      type: object
      required: [id]
      properties:
        id: {type: string, format: uuid}
        created: {type: string, format: date-time}
    Priced:
      required: [price, currency]
      properties:
        price: {type: number, minimum: 0, exclusiveMinimum: true, maximum: 1000, multipleOf: 0.01}
        currency: {type: string, enum: [EUR, USD, GBP]}
    Product:
      allOf:
        - $ref: '#/components/schemas/Entity'
        - $ref: '#/components/schemas/Priced'
        - properties:
            name: {type: string, minLength: 3, maxLength: 20}
            stock: {type: integer, format: int32, minimum: 0}
            tags: {type: array, items: {type: string, pattern: '^[a-z]{2,8}$'}, uniqueItems: true, maxItems: 4}
            status: {type: string, enum: [draft, active], nullable: true}
          required: [name, stock]
    Quantity:
      allOf:
        - {type: number, minimum: 5}
        - {type: integer, maximum: 7}
    Shipment:
      oneOf:
        - {type: object, required: [kind, address], properties: {kind: {type: string, enum: [parcel]}, address: {type: string}}, additionalProperties: false}
        - {type: object, required: [kind, locker], properties: {kind: {type: string, enum: [locker]}, locker: {type: integer, minimum: 1, maximum: 99}}, additionalProperties: false}
    NumberNotInteger:
      oneOf:
        - {type: integer}
        - {type: number}
    Contact:
      anyOf:
        - {type: string, format: email}
        - {type: string, format: ipv4}
        - {type: string, format: hostname}
    Bounds:
      type: object
      required: [open, step, small, big, byte, ref, secret, when, day, clock, span, v6, site]
      properties:
        open: {type: integer, minimum: 0, maximum: 3, exclusiveMinimum: true, exclusiveMaximum: true}
        step: {type: integer, multipleOf: 5, minimum: 11, maximum: 29}
        small: {type: integer, format: int32, minimum: 2147483640}
        big: {type: integer, format: int64, minimum: 9007199254740993}
        byte: {type: string, format: byte, minLength: 8, maxLength: 16}
        ref: {type: string, format: uri-reference}
        secret: {type: string, format: password, minLength: 8, maxLength: 12}
        when: {type: string, format: date}
        day: {type: string, format: date-time}
        clock: {type: string, format: time}
        span: {type: string, format: duration}
        v6: {type: string, format: ipv6}
        site: {type: string, format: uri}
    Untyped:
      required: [a, b, c, d, e]
      properties:
        a: {properties: {x: {minimum: 1, maximum: 2}}, required: [x]}
        b: {items: {minLength: 2, maxLength: 2}, minItems: 1}
        c: {pattern: '^z+$'}
        d: {format: int32, maximum: -5}
        e: {}
    FarFromConfig:
      type: object
      required: [n, s, a, neg]
      properties:
        n: {type: integer, minimum: 100}
        s: {type: string, minLength: 20}
        a: {type: array, items: {type: boolean}, minItems: 12}
        neg: {type: number, maximum: -50}
    NotEmpty:
      type: string
      maxLength: 1
      not: {enum: ['']}
)";

TEST(GeneratorTest, ComposedSchemasGetSamplesThatFitThem) {
    SampleCheck check(kComposed30);
    for (std::string_view name :
         {"Product", "Quantity", "Shipment", "Contact", "Bounds", "Untyped", "FarFromConfig", "NotEmpty"}) {
        check.expectValidSamples("/components/schemas/" + std::string(name), 25);
    }
}

TEST(GeneratorTest, OneOfValuesAreAcceptedByTheirBranchOnly) {
    SampleCheck check(kComposed30);
    // Every integer is a number too, so only non-integral numbers satisfy exactly one branch.
    for (const auto& sample : check.expectValidSamples("/components/schemas/NumberNotInteger", 30)) {
        EXPECT_FALSE(sample->isInteger()) << SampleCheck::text(*sample);
    }
    std::set<std::string> kinds;
    for (const auto& sample : check.expectValidSamples("/components/schemas/Shipment", 30)) {
        kinds.insert(std::string(sample->property("kind")->stringValue()));
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"locker", "parcel"}));
}

TEST(GeneratorTest, MergedAllOfKeepsEveryMembersPropertiesAndBounds) {
    SampleCheck check(kComposed30);
    for (const auto& sample : check.expectValidSamples("/components/schemas/Product", 10)) {
        for (const char* name : {"id", "price", "currency", "name", "stock"}) {
            EXPECT_TRUE(sample->hasProperty(name)) << name << " in " << SampleCheck::text(*sample);
        }
    }
    std::set<std::int64_t> quantities;
    for (const auto& sample : check.expectValidSamples("/components/schemas/Quantity", 30)) {
        quantities.insert(sample->numberValue().toLong());
    }
    EXPECT_EQ(quantities, (std::set<std::int64_t>{5, 6, 7}));
}

TEST(GeneratorTest, AConfiguredRangeBeyondTheSchemasBoundsYieldsToThem) {
    SampleCheck check(kComposed30);
    Generator generator(check.schema("/components/schemas/FarFromConfig"), 3);
    generator.configuration().setNumericRange(-10, 10);
    generator.configuration().setLengthRange(0, 5);
    for (int i = 0; i < 10; ++i) {
        auto sample = generator.generate();
        EXPECT_EQ(check.issues("/components/schemas/FarFromConfig", *sample), std::vector<std::string>{});
        EXPECT_LE(sample->property("n")->numberValue().toLong(), 120);
        EXPECT_LE(sample->property("s")->stringValue().size(), 25u);
    }
}

constexpr std::string_view kShapes31 = R"(
openapi: 3.1.0
info: {title: Shapes, version: "1"}
paths: {}
components:
  schemas:
    Point:
      type: array
      prefixItems: [{type: number}, {type: number}, {const: "cm"}]
      items: false
      minItems: 3
    Named:
      type: [string, "null"]
      minLength: 1
    Fixed:
      const: {unit: cm, factor: 2}
    Registry:
      type: object
      patternProperties:
        "^x-[a-z]+$": {type: integer}
      additionalProperties: false
      minProperties: 2
    Grouped:
      type: object
      properties:
        a: {type: integer}
        b: {type: integer}
        c: {type: integer}
        d: false
      minProperties: 1
      maxProperties: 2
      dependentRequired: {a: [b]}
    Picks:
      type: array
      items: {enum: [red, green, blue]}
      minItems: 3
      uniqueItems: true
    Pair:
      type: array
      minItems: 2
      maxItems: 2
      uniqueItems: true
      items:
        type: object
        minProperties: 1
        maxProperties: 1
        properties: {x: {const: 1}, y: {const: 1}}
    Either:
      oneOf:
        - {type: object, properties: {q: {const: 1}}, maxProperties: 1}
        - {type: object, required: [q], properties: {q: {const: 1}}}
    Tree:
      type: object
      required: [label]
      properties:
        label: {type: string}
        children: {type: array, items: {$ref: '#/components/schemas/Tree'}}
        parent: {anyOf: [{$ref: '#/components/schemas/Tree'}, {type: "null"}]}
    Chain:
      type: object
      required: [next]
      properties:
        next: {oneOf: [{$ref: '#/components/schemas/Chain'}, {type: "null"}]}
    Endless:
      type: object
      required: [next]
      properties:
        next: {$ref: '#/components/schemas/Endless'}
    Holder:
      type: object
      properties:
        owner: {$ref: '#/components/schemas/Endless'}
    Clash:
      allOf: [{type: string}, {type: integer}]
    Forbidden:
      type: object
      required: [gone]
      properties:
        gone: false
    Closed:
      type: object
      properties: {a: {type: integer}}
      additionalProperties: false
)";

TEST(GeneratorTest, Keywords31AndCountsAreHonoured) {
    SampleCheck check(kShapes31);
    // Only {} is valid for Either, which takes draws again: a value drawn again keeps nothing of the earlier draw.
    for (std::string_view name :
         {"Point", "Named", "Fixed", "Registry", "Grouped", "Picks", "Closed", "Pair", "Either"}) {
        check.expectValidSamples("/components/schemas/" + std::string(name), 25);
    }
    Generator fixed(check.schema("/components/schemas/Fixed"));
    EXPECT_EQ(SampleCheck::text(*fixed.generate()), R"({"factor":2,"unit":"cm"})");
}

TEST(GeneratorTest, RecursiveSchemasEndAndRequiredRecursionFailsClearly) {
    SampleCheck check(kShapes31);
    check.expectValidSamples("/components/schemas/Tree", 20);
    check.expectValidSamples("/components/schemas/Chain", 20);
    // Optional recursion past the limit is left out.
    check.expectValidSamples("/components/schemas/Holder", 1);

    for (std::string_view name : {"/components/schemas/Endless"}) {
        Generator generator(check.schema(name));
        try {
            generator.generate();
            FAIL() << "no error";
        } catch (const openapi::NodeError& error) {
            EXPECT_STREQ(error.what(), "Cannot generate a finite value for a recursive schema");
            EXPECT_EQ(error.node(), check.schema(name));
        }
    }
}

TEST(GeneratorTest, UnsatisfiableSchemasRaiseNodeErrors) {
    SampleCheck check(kShapes31);
    try {
        Generator generator(check.schema("/components/schemas/Forbidden"));
        FAIL() << "no error";
    } catch (const openapi::NodeError& error) {
        EXPECT_STREQ(error.what(), "Cannot generate a JV object for a falsy schema");
        EXPECT_EQ(error.node(), check.schema("/components/schemas/Forbidden")->property("gone"));
    }
    try {
        Generator generator(check.schema("/components/schemas/Clash"));
        FAIL() << "no error";
    } catch (const openapi::NodeError& error) {
        EXPECT_THAT(error.what(), HasSubstr("nothing in common"));
        EXPECT_EQ(error.node(), check.schema("/components/schemas/Clash"));
    }
}

TEST(GeneratorTest, ASeedFixesEveryValue) {
    SampleCheck check(kComposed30);
    auto bytes = [&](std::uint64_t seed) {
        Generator generator(check.schema("/components/schemas/Product"), seed);
        std::string text;
        for (int i = 0; i < 5; ++i) text += SampleCheck::text(*generator.generate());
        return text;
    };
    EXPECT_EQ(bytes(17), bytes(17));
    EXPECT_NE(bytes(17), bytes(18));
    // 0 and 2147483647 reduce to the default seed.
    EXPECT_EQ(bytes(0), bytes(1));
    EXPECT_EQ(bytes(2147483647), bytes(1));
    Generator byDefault(check.schema("/components/schemas/Product"));
    std::string text;
    for (int i = 0; i < 5; ++i) text += SampleCheck::text(*byDefault.generate());
    EXPECT_EQ(text, bytes(1));
}

constexpr std::string_view kPlain30 = R"(
openapi: 3.0.3
info: {title: Plain, version: "1"}
paths: {}
components:
  schemas:
    OnlyFalse: {type: boolean, enum: [false]}
    NoBoolean: {type: boolean, enum: [1, 2]}
    Anything: {}
    Mail: {type: string, format: email, minLength: 1, maxLength: 200}
    Open:
      type: object
      properties:
        a: {type: string}
        b: {type: integer}
      additionalProperties: false
    MaybeName: {type: string, nullable: true}
    Everything:
      type: object
      properties:
        a: {type: integer}
        b: {type: boolean}
        c: {type: string}
)";

TEST(GeneratorTest, TheBasicRulesHold) {
    SampleCheck check(kPlain30);
    Generator onlyFalse(check.schema("/components/schemas/OnlyFalse"), 11);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(SampleCheck::text(*onlyFalse.generate()), "false");

    EXPECT_THROW(Generator(check.schema("/components/schemas/NoBoolean")), std::runtime_error);

    Generator anything(check.schema("/components/schemas/Anything"));
    EXPECT_EQ(SampleCheck::text(*anything.generate()), "42");

    check.expectValidSamples("/components/schemas/Mail", 10);
    check.expectValidSamples("/components/schemas/Open", 5);

    std::set<std::string> kinds;
    for (const auto& sample : check.expectValidSamples("/components/schemas/MaybeName", 20)) {
        kinds.insert(jv::jvNodeType(*sample));
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"null", "string"}));

    // Without minProperties or maxProperties every declared property is present.
    for (const auto& sample : check.expectValidSamples("/components/schemas/Everything", 5)) {
        EXPECT_EQ(sample->size(), 3u);
    }
}

TEST(GeneratorTest, ANewSchemaOrConfigurationTakesEffect) {
    SampleCheck check(kPlain30);
    Generator generator(check.schema("/components/schemas/Anything"));
    EXPECT_EQ(SampleCheck::text(*generator.generate()), "42");
    generator.setSchema(check.schema("/components/schemas/OnlyFalse"));
    EXPECT_EQ(SampleCheck::text(*generator.generate()), "false");

    generator.setSchema(check.schema("/components/schemas/MaybeName"));
    generator.configuration().setLengthRange(7, 7);
    for (int i = 0; i < 10; ++i) {
        auto sample = generator.generate();
        if (sample->isString()) {
            EXPECT_EQ(sample->stringValue().size(), 7u);
        }
    }
    Generator empty;
    EXPECT_TRUE(empty.generate()->isNull());
}

}  // namespace
}  // namespace zephalon::jv_generator
