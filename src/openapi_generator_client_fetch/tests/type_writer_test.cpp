// src/types.ts for each shape of schema, and the names the types get.

#include "zephalon/openapi_generator_client_fetch/type_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "zephalon/openapi_generator/testing/plugin_run.h"
#include "zephalon/openapi_generator_client_fetch/client_fetch.h"

namespace zephalon::openapi_generator::client_fetch {
namespace {

using ClientRun = testing::PluginRun<Plugin>;
using ::testing::HasSubstr;

TEST(TypeWriterTest, EveryShapeOfSchemaHasItsType) {
    ClientRun client(R"(openapi: 3.1.0
info: {title: Shapes, version: "1"}
components:
  schemas:
    Pet:
      type: object
      description: "A pet.\nNever */ a comment's end."
      required: [name, kind, legs]
      properties:
        name: {type: string, description: What it answers to.}
        kind: {$ref: '#/components/schemas/Kind'}
        tag: {type: [string, "null"]}
        owner-id: {type: integer}
        children: {type: array, items: {$ref: '#/components/schemas/Pet'}}
    Kind: {type: string, enum: [cat, dog, 'say "hi"', null]}
    Labels: {type: object, additionalProperties: {type: integer}}
    Closed: {type: object, additionalProperties: false}
    Tagged:
      allOf:
        - {$ref: '#/components/schemas/Pet'}
        - {type: object, required: [label], properties: {label: {type: string}}}
    Animal: {oneOf: [{$ref: '#/components/schemas/Pet'}, {type: string}]}
    Either: {anyOf: [{type: integer}, {type: [boolean, "null"]}]}
    Pair: {type: array, prefixItems: [{type: string}, {type: number}], items: false}
    Grid: {type: array, items: {type: array, items: {oneOf: [{type: string}, {type: number}]}}}
    Anything: {}
    Nothing: false
    Response: {type: object, properties: {code: {type: integer}}}
    pet-kind: {$ref: '#/components/schemas/Kind'}
    Mixed:
      type: object
      properties: {a: {type: string}}
      additionalProperties: {type: number}
    Renamed:
      x-zephalon: {codegen: {name: better name}}
      type: [number, string]
    Either2:
      type: object
      properties: {a: {type: string}, b: {type: string}}
      anyOf: [{required: [a]}, {required: [b]}]
    Tree:
      type: object
      properties:
        branch: {$ref: '#/components/schemas/Tree/properties/leaf'}
        leaf: {type: object, properties: {again: {$ref: '#/components/schemas/Tree/properties/leaf'}}}
)");
    ASSERT_EQ(client.run(), "");
    const std::string types = client.file("src/types.ts");
    for (std::string_view expected : {
             // Objects with named properties are interfaces; documentation stays, and cannot end the comment early.
             R"(/**
 * A pet.
 * Never *\/ a comment's end.
 */
export interface Pet {
  children?: Pet[];
  kind: Kind;
  /** What it answers to. */
  name: string;
  "owner-id"?: number;
  tag?: string | null;
  legs: unknown;
}
)",
             "export type Kind = \"cat\" | \"dog\" | \"say \\\"hi\\\"\" | null;\n",
             "export type Labels = Record<string, number>;\n",
             "export type Closed = Record<string, never>;\n",
             "export type Tagged = Pet & { label: string };\n",
             "export type Animal = Pet | string;\n",
             "export type Either = number | (boolean | null);\n",
             "export type Pair = [string, number];\n",
             "export type Grid = (string | number)[][];\n",
             "export type Anything = unknown;\n",
             "export type Nothing = never;\n",
             // A name the generated code needs for itself gets a suffix.
             "export interface Response2 {\n  code?: number;\n}\n",
             "export type PetKind = Kind;\n",
             "export type Mixed = { a?: string; [key: string]: number | string | undefined };\n",
             "export type BetterName = number | string;\n",
             // Alternatives that only require properties say nothing a type can.
             "export type Either2 = { a?: string; b?: string };\n",
             // A cycle that passes no component cannot be named: it ends in unknown.
             "export interface Tree {\n  branch?: { again?: unknown };\n  leaf?: { again?: unknown };\n}\n",
         }) {
        EXPECT_THAT(types, HasSubstr(std::string(expected)));
    }
}

TEST(TypeWriterTest, NullableIn30AndDeepNestingEndInTypes) {
    // A 3.0 nullable counts only beside a type, so a nullable reference is the referenced type.
    std::string nested = "{type: string}";
    for (int i = 0; i < 100; ++i) nested = "{type: array, items: " + nested + "}";
    ClientRun client(
        "openapi: 3.0.3\ninfo: {title: Old, version: \"1\"}\npaths: {}\ncomponents:\n  schemas:\n"
        "    Name: {type: string, nullable: true}\n"
        "    Ref: {allOf: [{$ref: '#/components/schemas/Name'}], nullable: true}\n"
        "    Deep: " +
        nested + "\n");
    ASSERT_EQ(client.run(), "");
    const std::string types = client.file("src/types.ts");
    EXPECT_THAT(types, HasSubstr("export type Name = string | null;\n"));
    EXPECT_THAT(types, HasSubstr("export type Ref = Name;\n"));
    // Past the depth limit the type gives up instead of the stack.
    std::string deep = "unknown";
    for (std::size_t i = 0; i <= TypeWriter::kMaxDepth; ++i) deep += "[]";
    EXPECT_THAT(types, HasSubstr("export type Deep = " + deep + ";\n"));
}

TEST(TypeWriterTest, NamesAllocateSuffixesAndKeysAreQuotedWhenTheyMustBe) {
    NameAllocator names;
    names.reserve("Response");
    EXPECT_EQ(names.allocate("Response"), "Response2");
    EXPECT_EQ(names.allocate("Response"), "Response3");
    EXPECT_EQ(names.allocate("Pet"), "Pet");
    EXPECT_EQ(TypeWriter::propertyKey("petId"), "petId");
    EXPECT_EQ(TypeWriter::propertyKey("x-rate\"limit"), "\"x-rate\\\"limit\"");
    EXPECT_EQ(TypeWriter::propertyKey("1st"), "\"1st\"");
    EXPECT_EQ(docComment("  \n\n"), "");
}

}  // namespace
}  // namespace zephalon::openapi_generator::client_fetch
