#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "comparison.h"

namespace zephalon::openapi_diff {
namespace {

using testing::compareDocuments;
using testing::edited;
using Strings = std::vector<std::string>;

// One operation answering with the component schema Pet.
constexpr std::string_view kPets = R"(
openapi: 3.1.0
info: {title: Pets, version: 1.0.0}
paths:
  /pets:
    get:
      responses:
        '200':
          description: A pet.
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Pet'}
components:
  schemas:
    Pet:
      type: object
      required: [id]
      properties:
        id: {type: integer, minimum: 1}
        kind: {type: string, enum: [cat, dog]}
)";

// What the operation reports above the schema.
const Strings kPathToSchema{
    "key_modified paths '/pets' {0}",         "key_modified pathItem.operations 'get' {0}",
    "key_modified responses '200' {0}",       "key_modified response.content 'application/json' {0}",
    "property_modified mediaType.schema {0}",
};

// The whole report: the operation's way to the schema, the changes inside it, and the component itself (whose
// details were reported with the operation).
Strings expected(std::string_view severity, const Strings& inside) {
    Strings out;
    for (const std::string& line : kPathToSchema) out.push_back(fmt::format(fmt::runtime(line), severity));
    out.insert(out.end(), inside.begin(), inside.end());
    out.push_back(fmt::format("key_modified components.schemas 'Pet' {}", severity));
    return out;
}

TEST(SchemaDiffTest, AnEnumValueAddedIsOneBreakingElement) {
    auto comparison = compareDocuments(kPets, edited(kPets, "[cat, dog]", "[cat, dog, bird]"));
    EXPECT_EQ(comparison.described(), expected("breaking", {"key_modified schema.properties 'kind' breaking",
                                                            "element_added schema.enum [2] breaking"}));
    EXPECT_TRUE(compareDocuments(kPets, edited(kPets, "[cat, dog]", "[dog, cat]")).changes.empty());
}

TEST(SchemaDiffTest, PropertiesAreAddedRemovedAndRetyped) {
    EXPECT_EQ(compareDocuments(kPets, edited(kPets, "        kind:", "        name: {type: string}\n        kind:"))
                  .described(),
              expected("non-breaking", {"key_added schema.properties 'name' non-breaking",
                                        "element_added schema.type [0] non-breaking"}));
    EXPECT_EQ(
        compareDocuments(kPets, edited(kPets, "id: {type: integer", "id: {type: string")).described(),
        expected("breaking", {"key_modified schema.properties 'id' breaking", "element_added schema.type [0] breaking",
                              "element_removed schema.type [0] breaking"}));
    EXPECT_EQ(compareDocuments(kPets, edited(kPets, "        kind: {type: string, enum: [cat, dog]}\n", ""))
                  .described(ConfigKey::schema_properties),
              Strings{"key_removed schema.properties 'kind' non-breaking"});
    // A request that must now carry another property breaks its clients.
    EXPECT_EQ(compareDocuments(kPets, edited(kPets, "required: [id]", "required: [id, kind]")).described(),
              expected("breaking", {"element_added schema.required [1] breaking"}));
}

TEST(SchemaDiffTest, BoundsCompareByTheLimitInEffectAndConstAsAValue) {
    constexpr std::string_view v30 = R"(
openapi: 3.0.3
info: {title: T, version: '1'}
paths: {}
components:
  schemas:
    Price: {type: number, minimum: 0, exclusiveMinimum: true, maximum: 10}
)";
    // The same bound written with the 3.1 keyword, and a const in place of a one-value enum.
    std::string v31 =
        edited(edited(v30, "3.0.3", "3.1.0"), "minimum: 0, exclusiveMinimum: true", "exclusiveMinimum: 0");
    auto moved = compareDocuments(v30, v31);
    EXPECT_EQ(moved.described(), Strings{"property_modified openapi.openapi breaking"});
    EXPECT_EQ(compareDocuments(v31, edited(v31, "maximum: 10", "maximum: 10, const: 5")).described(),
              (Strings{"key_modified components.schemas 'Price' breaking", "property_added schema.const breaking"}));
    EXPECT_EQ(
        compareDocuments(v30, edited(v30, "exclusiveMinimum: true", "exclusiveMinimum: false")).described(),
        (Strings{"key_modified components.schemas 'Price' breaking", "property_modified schema.minimum breaking"}));
}

// A tree: each node holds a value and its children, which are nodes again.
constexpr std::string_view kTree = R"(
openapi: 3.1.0
info: {title: Trees, version: 1.0.0}
paths:
  /trees:
    get:
      responses:
        '200':
          description: A tree.
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Node'}
components:
  schemas:
    Node:
      type: object
      properties:
        value: {$ref: '#/components/schemas/Value'}
        children: {type: array, items: {$ref: '#/components/schemas/Node'}}
    Value:
      type: object
      properties:
        label: {type: string, maxLength: 10}
)";

TEST(SchemaDiffTest, ARecursiveSchemaIsComparedOnceAndItsChangesFoundDeepInside) {
    EXPECT_TRUE(compareDocuments(kTree, kTree).changes.empty());
    auto comparison = compareDocuments(kTree, edited(kTree, "maxLength: 10", "maxLength: 20"));
    EXPECT_EQ(comparison.severity, ChangeSeverity::breaking);
    // Found once where the operation reaches it, and marked (without repeating the details) wherever else.
    EXPECT_EQ(comparison.described(ConfigKey::schema_maxLength),
              Strings{"property_modified schema.maxLength breaking"});
    EXPECT_EQ(comparison.described(ConfigKey::components_schemas),
              (Strings{"key_modified components.schemas 'Node' breaking",
                       "key_modified components.schemas 'Value' breaking"}));
}

TEST(SchemaDiffTest, SchemasThatReferToEachOtherAreComparedWhicheverIsReachedFirst) {
    // Owner and Pet refer to each other, and only Owner changes, after its reference to Pet. Reached from Owner,
    // Pet's walk meets Owner under way and so finds nothing; that must not make Pet equal for good, since Owner
    // turns out to differ: /pets, reached later, still reports the change through Pet.
    constexpr std::string_view text = R"(
openapi: 3.1.0
info: {title: Pets, version: 1.0.0}
paths:
  /owners:
    get:
      responses:
        '200':
          description: An owner.
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Owner'}
  /pets:
    get:
      responses:
        '200':
          description: A pet.
          content:
            application/json:
              schema: {$ref: '#/components/schemas/Pet'}
components:
  schemas:
    Owner:
      type: object
      properties:
        pets: {type: array, items: {$ref: '#/components/schemas/Pet'}}
        since: {type: string}
    Pet:
      type: object
      properties:
        owner: {$ref: '#/components/schemas/Owner'}
)";
    auto comparison = compareDocuments(text, edited(text, "since: {type: string}", "since: {type: integer}"));
    EXPECT_EQ(comparison.described(ConfigKey::paths),
              (Strings{"key_modified paths '/owners' breaking", "key_modified paths '/pets' breaking"}));
    EXPECT_EQ(comparison.described(ConfigKey::components_schemas),
              (Strings{"key_modified components.schemas 'Owner' breaking",
                       "key_modified components.schemas 'Pet' breaking"}));
    // Unchanged, the cycle is equal from every side.
    EXPECT_TRUE(compareDocuments(text, text).changes.empty());
}

TEST(SchemaDiffTest, ASharedSchemaThatChangedIsReportedUnderEveryOperationThatUsesIt) {
    std::string text(kPets);
    text = edited(text, "components:", R"(  /pets/{id}:
    parameters:
      - {name: id, in: path, required: true, schema: {type: integer}}
    put:
      requestBody:
        content:
          application/json:
            schema: {$ref: '#/components/schemas/Pet'}
      responses:
        '204': {description: Stored.}
components:)");
    auto comparison = compareDocuments(text, edited(text, "minimum: 1", "minimum: 0"));
    EXPECT_EQ(comparison.described(ConfigKey::pathItem_operations),
              (Strings{"key_modified pathItem.operations 'get' breaking",
                       "key_modified pathItem.operations 'put' breaking"}));
    EXPECT_EQ(comparison.described(ConfigKey::operation_requestBody),
              Strings{"property_modified operation.requestBody breaking"});
    EXPECT_EQ(comparison.described(ConfigKey::schema_minimum), Strings{"property_modified schema.minimum breaking"});
}

// Every schema refers to the one before it twice, so the number of ways from the last schema to the first doubles
// with each schema: walking every way would never end.
std::string ladder(int rungs, std::string_view bottomType) {
    std::string text = R"(
openapi: 3.1.0
info: {title: Ladder, version: 1.0.0}
paths:
  /top:
    get:
      responses:
        '200':
          description: The top.
          content:
            application/json:
)";
    text += fmt::format("              schema: {{$ref: '#/components/schemas/S{}'}}\ncomponents:\n  schemas:\n", rungs);
    text += fmt::format("    S0: {{type: {}}}\n", bottomType);
    for (int i = 1; i <= rungs; ++i) {
        text += fmt::format(
            "    S{0}:\n      properties:\n        left: {{$ref: '#/components/schemas/S{1}'}}\n"
            "        right: {{$ref: '#/components/schemas/S{1}'}}\n",
            i, i - 1);
    }
    return text;
}

TEST(SchemaDiffTest, SharedSchemasAreWalkedOncePerPair) {
    constexpr int rungs = 64;
    auto comparison = compareDocuments(ladder(rungs, "string"), ladder(rungs, "integer"));
    EXPECT_EQ(comparison.severity, ChangeSeverity::breaking);
    EXPECT_EQ(comparison.described(ConfigKey::schema_type),
              (Strings{"element_added schema.type [0] breaking", "element_removed schema.type [0] breaking"}));
    // Every component reaches the change; each is reported once.
    EXPECT_EQ(comparison.described(ConfigKey::components_schemas).size(), std::size_t{rungs + 1});
    EXPECT_EQ(comparison.described(ConfigKey::schema_properties).size(), std::size_t{2 * rungs});
}

TEST(SchemaDiffTest, NestedSchemasUnderAContainerRuleTakeItsItemRule) {
    std::string text =
        edited(kPets, "      required: [id]", "      required: [id]\n      propertyNames: {maxLength: 8}");
    auto comparison = compareDocuments(text, edited(text, "maxLength: 8", "maxLength: 9"));
    EXPECT_EQ(comparison.described(ConfigKey::schema_propertyNames),
              Strings{"property_modified schema.propertyNames non-breaking"});
}

TEST(SchemaDiffTest, ExamplesAreOneNonFunctionalValue) {
    std::string text = edited(kPets, "      required: [id]", "      required: [id]\n      examples: [{id: 1}]");
    auto comparison = compareDocuments(text, edited(text, "examples: [{id: 1}]", "examples: [{id: 2}, {id: 3}]"));
    EXPECT_EQ(comparison.described(ConfigKey::schema_examples),
              Strings{"property_modified schema.examples non-functional"});
    EXPECT_EQ(comparison.severity, ChangeSeverity::nonFunctional);
}

}  // namespace
}  // namespace zephalon::openapi_diff
