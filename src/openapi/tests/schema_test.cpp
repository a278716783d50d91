#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "zephalon/openapi/model.h"

namespace zephalon::openapi {
namespace {

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

TEST(SchemaTypes, OrderWithoutRepeats) {
    OpenAPI document;
    Schema* schema = document.components()->addSchema("S", SchemaType::string);
    // A 3.0 `nullable: true` is stored as the type null, after the declared type.
    schema->addType(SchemaType::null);
    schema->addType(SchemaType::string);
    EXPECT_EQ(schema->types(), (std::vector<SchemaType>{SchemaType::string, SchemaType::null}));
    EXPECT_TRUE(isNullable(*schema));

    EXPECT_EQ(errorOf([&] { schema->addType("float"); }), "Invalid schema type");
    EXPECT_EQ(schema->typeCount(), 2U);

    for (auto name : {"integer", "number", "array", "object", "boolean"}) {
        schema->addType(name);
    }
    ASSERT_EQ(schema->typeCount(), 7U);
    EXPECT_EQ(schema->typeAt(6), SchemaType::boolean);

    schema->removeTypeAt(0);
    schema->removeType(SchemaType::array);
    EXPECT_EQ(schema->types(), (std::vector<SchemaType>{SchemaType::null, SchemaType::integer, SchemaType::number,
                                                        SchemaType::object, SchemaType::boolean}));
    schema->removeTypeAt(17);
    EXPECT_EQ(schema->typeCount(), 5U);
    schema->clearTypes();
    EXPECT_TRUE(schema->types().empty());
    EXPECT_THROW(schema->typeAt(0), std::out_of_range);
}

TEST(SchemaTypes, Nullability) {
    OpenAPI document;
    Components* components = document.components();
    Schema* any = components->addSchema("Any");
    EXPECT_TRUE(isNullable(*any));
    Schema* text = components->addSchema("Text", SchemaType::string);
    EXPECT_FALSE(isNullable(*text));

    Schema* maybe = components->addSchema("Maybe", SchemaType::string);
    maybe->addType(SchemaType::null);
    maybe->addAllOfRef(any);
    EXPECT_TRUE(isNullable(*maybe));
    maybe->addAllOfRef(text);
    EXPECT_FALSE(isNullable(*maybe));

    // A cycle through allOf terminates.
    Schema* loop = components->addSchema("Loop");
    loop->addAllOfRef(loop);
    EXPECT_TRUE(isNullable(*loop));
}

TEST(SchemaBounds, VersionGuardsThrowWithoutChange) {
    OpenAPI modern;
    Schema* schema = modern.components()->addSchema("S");
    schema->setExclusiveMaximum(5.0);
    EXPECT_EQ(errorOf([&] { schema->setExclusiveMaximum(true); }), "This operation is only supported in OpenAPI 3.0");
    EXPECT_EQ(errorOf([&] { schema->setExclusiveMinimum(false); }), "This operation is only supported in OpenAPI 3.0");
    ASSERT_TRUE(std::holds_alternative<number::Number>(schema->exclusiveMaximum()));
    EXPECT_EQ(std::get<number::Number>(schema->exclusiveMaximum()).compare(number::Number(5.0)), 0);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(schema->exclusiveMinimum()));
    EXPECT_NO_THROW(assertIs31(*schema));
    EXPECT_EQ(errorOf([&] { assertIs30(*schema); }), "This operation is only supported in OpenAPI 3.0");

    OpenAPI legacy;
    legacy.setSpecVersion("3.0.3");
    Schema* old = legacy.components()->addSchema("S");
    old->setExclusiveMaximum(true);
    EXPECT_EQ(errorOf([&] { old->setExclusiveMaximum(5.0); }), "This operation is only supported in OpenAPI 3.1");
    EXPECT_EQ(errorOf([&] { old->setExclusiveMinimum(3); }), "This operation is only supported in OpenAPI 3.1");
    EXPECT_EQ(std::get<bool>(old->exclusiveMaximum()), true);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(old->exclusiveMinimum()));
    EXPECT_EQ(errorOf([&] { assertIs31(*old); }), "This operation is only supported in OpenAPI 3.1");
}

TEST(SchemaBounds, EffectiveBoundsCombineBothForms) {
    OpenAPI legacy;
    legacy.setSpecVersion("3.0.0");
    Schema* old = legacy.components()->addSchema("S");
    EXPECT_FALSE(old->effectiveMinimum().has_value());
    old->setExclusiveMinimum(true);
    EXPECT_FALSE(old->effectiveMinimum().has_value());  // a flag without a bound bounds nothing
    old->setMinimum(3);
    ASSERT_TRUE(old->effectiveMinimum().has_value());
    EXPECT_EQ(old->effectiveMinimum()->value.compare(number::Number(std::int64_t{3})), 0);
    EXPECT_TRUE(old->effectiveMinimum()->exclusive);

    OpenAPI modern;
    Schema* schema = modern.components()->addSchema("S");
    schema->setMinimum(5);
    schema->setExclusiveMinimum(3);
    EXPECT_EQ(schema->effectiveMinimum()->value.compare(number::Number(std::int64_t{5})), 0);
    EXPECT_FALSE(schema->effectiveMinimum()->exclusive);
    schema->setExclusiveMinimum(5);
    EXPECT_TRUE(schema->effectiveMinimum()->exclusive);
    schema->setExclusiveMinimum(7.5);
    EXPECT_EQ(schema->effectiveMinimum()->value.compare(number::Number(7.5)), 0);

    schema->setMaximum(10);
    schema->setExclusiveMaximum(8);
    EXPECT_EQ(schema->effectiveMaximum()->value.compare(number::Number(std::int64_t{8})), 0);
    EXPECT_TRUE(schema->effectiveMaximum()->exclusive);
    schema->setExclusiveMaximum(12);
    EXPECT_EQ(schema->effectiveMaximum()->value.compare(number::Number(std::int64_t{10})), 0);
    EXPECT_FALSE(schema->effectiveMaximum()->exclusive);
}

TEST(SchemaTruthiness, EmptyAndFalseSchemas) {
    OpenAPI document;
    Schema* empty = document.components()->addSchema("True");
    EXPECT_TRUE(isTruthy(*empty));
    EXPECT_FALSE(isFalsy(*empty));

    Schema* never = document.components()->addSchema("False");
    never->setNot();
    EXPECT_TRUE(isFalsy(*never));
    EXPECT_FALSE(isTruthy(*never));

    // `not: false` accepts everything.
    Schema* doubleNegation = document.components()->addSchema("NotFalse");
    doubleNegation->setNotRef(never);
    EXPECT_TRUE(isTruthy(*doubleNegation));

    Schema* boolSlots = document.components()->addSchema("Slots");
    boolSlots->setAdditionalProperties(true);
    boolSlots->setUnevaluatedItems(true);
    EXPECT_TRUE(isTruthy(*boolSlots));
    boolSlots->setUnevaluatedProperties(false);
    EXPECT_FALSE(isTruthy(*boolSlots));
    EXPECT_TRUE(isFalsy(*boolSlots->unevaluatedProperties()));
}

TEST(SchemaTruthiness, EveryRestrictingKeywordCounts) {
    OpenAPI document;
    Components* components = document.components();
    Schema* never = components->addSchema("Never");
    never->setNot();
    const SchemaFormat* date = &SchemaFormat::Date;

    const std::vector<std::pair<std::string, std::function<void(Schema&)>>> restrictions{
        {"type", [](Schema& s) { s.addType(SchemaType::string); }},
        {"format", [&](Schema& s) { s.setFormat(date); }},
        {"enum", [](Schema& s) { s.addEnum("a"); }},
        {"multipleOf", [](Schema& s) { s.setMultipleOf(2); }},
        {"minimum", [](Schema& s) { s.setMinimum(0); }},
        {"exclusiveMaximum", [](Schema& s) { s.setExclusiveMaximum(9); }},
        {"maxLength", [](Schema& s) { s.setMaxLength(3); }},
        {"minLength", [](Schema& s) { s.setMinLength(0); }},
        {"pattern", [](Schema& s) { s.setPattern("^a"); }},
        {"contentEncoding", [](Schema& s) { s.setContentEncoding("base64"); }},
        {"contentMediaType", [](Schema& s) { s.setContentMediaType("text/plain"); }},
        {"maxItems", [](Schema& s) { s.setMaxItems(1); }},
        {"minItems", [](Schema& s) { s.setMinItems(1); }},
        {"uniqueItems", [](Schema& s) { s.setUniqueItems(true); }},
        {"contains", [](Schema& s) { s.setContains(); }},
        {"maxContains",
         [](Schema& s) {
             s.setContains();
             s.setMinContains(0);
             s.setMaxContains(2);
         }},
        {"maxProperties", [](Schema& s) { s.setMaxProperties(1); }},
        {"minProperties", [](Schema& s) { s.setMinProperties(1); }},
        {"required", [](Schema& s) { s.addRequired("id"); }},
        {"dependentRequired", [](Schema& s) { s.addDependentRequired("a", "b"); }},
        {"propertyNames", [](Schema& s) { s.setPropertyNames()->addType(SchemaType::integer); }},
        {"not", [](Schema& s) { s.setNot()->addType(SchemaType::string); }},
        {"items", [&](Schema& s) { s.setItemsRef(never); }},
        {"prefixItems", [](Schema& s) { s.addPrefixItem()->setMinLength(1); }},
        {"properties", [](Schema& s) { s.addProperty("a")->addType(SchemaType::string); }},
        {"patternProperties", [](Schema& s) { s.addPatternProperty("^x")->setMaximum(1); }},
        {"additionalProperties", [](Schema& s) { s.setAdditionalProperties(false); }},
        {"dependentSchemas", [](Schema& s) { s.addDependentSchema("a")->addRequired("b"); }},
        {"allOf", [](Schema& s) { s.addAllOf()->setMinItems(2); }},
        {"anyOf", [](Schema& s) { s.addAnyOf()->setMinItems(2); }},
        {"oneOf of two truthy members", [](Schema& s) { s.addOneOf(), s.addOneOf(); }},
        {"then", [](Schema& s) { s.setIf(), s.setThen()->addType(SchemaType::null); }},
        {"contentSchema", [](Schema& s) { s.setContentSchema()->addType(SchemaType::object); }},
    };
    int index = 0;
    for (const auto& [keyword, restrict] : restrictions) {
        Schema* schema = components->addSchema("S" + std::to_string(index++));
        restrict(*schema);
        EXPECT_FALSE(isTruthy(*schema)) << keyword;
    }

    const std::vector<std::pair<std::string, std::function<void(Schema&)>>> harmless{
        {"all seven types",
         [](Schema& s) {
             for (auto name : {"null", "boolean", "object", "array", "number", "string", "integer"}) {
                 s.addType(name);
             }
         }},
        {"pattern .*", [](Schema& s) { s.setPattern(".*"); }},
        {"annotations", [](Schema& s) { s.setTitle("t"), s.setDescription("d"), s.setReadOnly(true); }},
        {"contains with minContains 0",
         [](Schema& s) { s.setContains()->addType(SchemaType::string), s.setMinContains(0); }},
        {"propertyNames of strings", [](Schema& s) { s.setPropertyNames()->addType(SchemaType::string); }},
        {"anyOf with one truthy member", [](Schema& s) { s.addAnyOf()->setMinItems(2), s.addAnyOf(); }},
        {"oneOf with one truthy member", [](Schema& s) { s.addOneOf(); }},
        {"if alone", [](Schema& s) { s.setIf()->addType(SchemaType::string); }},
        {"annotated property", [](Schema& s) { s.addProperty("x")->setDeprecated(true); }},
    };
    for (const auto& [keyword, apply] : harmless) {
        Schema* schema = components->addSchema("H" + std::to_string(index++));
        apply(*schema);
        EXPECT_TRUE(isTruthy(*schema)) << keyword;
    }
}

TEST(SchemaTruthiness, ReferencesAndCycles) {
    OpenAPI document;
    Components* components = document.components();
    Schema* tree = components->addSchema("Tree");
    tree->addProperty("children")->setItemsRef(tree);
    tree->addPropertyRef("parent", tree);
    EXPECT_TRUE(isTruthy(*tree));

    Schema* typed = components->addSchema("Typed");
    typed->addPropertyRef("next", typed);
    typed->addPropertyRef("other", tree);
    tree->addPropertyRef("typed", typed);
    typed->addProperty("leaf")->setMaxLength(1);
    EXPECT_FALSE(isTruthy(*typed));
    EXPECT_FALSE(isTruthy(*tree));

    // A dangling reference might have restricted anything.
    Schema* gone = components->addSchema("Gone");
    Schema* holder = components->addSchema("Holder");
    holder->setItemsRef(gone);
    EXPECT_TRUE(isTruthy(*holder));
    components->removeSchema("Gone");
    EXPECT_FALSE(isTruthy(*holder));
}

TEST(SchemaConstraints, MergeOverAllOf) {
    OpenAPI document;
    Components* components = document.components();
    Schema* base = components->addSchema("Base", SchemaType::string);
    base->setMinLength(2);
    base->setMaxLength(10);
    base->setPattern("^[a-z]+$");
    base->setMinimum(1);
    Schema* narrow = components->addSchema("Narrow");
    narrow->setMinLength(4);
    narrow->setMaxLength(20);
    narrow->setExclusiveMinimum(1);
    narrow->setMaxItems(3);
    narrow->addAllOfRef(base);
    base->addAllOfRef(narrow);  // a cycle must not loop

    SchemaConstraints constraints;
    collectConstraints(*narrow, constraints);
    EXPECT_FALSE(constraints.nullable);
    EXPECT_EQ(constraints.lengthConstraints.min, 4U);
    EXPECT_EQ(constraints.lengthConstraints.max, 10U);
    EXPECT_EQ(constraints.patternConstraints, (std::vector<std::string>{"^[a-z]+$"}));
    ASSERT_TRUE(constraints.rangeConstraints.min.has_value());
    EXPECT_EQ(constraints.rangeConstraints.min->value.compare(number::Number(std::int64_t{1})), 0);
    EXPECT_TRUE(constraints.rangeConstraints.min->exclusive);
    EXPECT_FALSE(constraints.rangeConstraints.max.has_value());
    EXPECT_EQ(constraints.itemCountConstraints.max, 3U);
    EXPECT_FALSE(constraints.propertyCountConstraints.min.has_value());
}

TEST(Schema, EnumValues) {
    OpenAPI document;
    Schema* schema = document.components()->addSchema("E");
    schema->addEnum("a");
    schema->addEnum(std::string("b"));
    schema->addEnum(1);
    schema->addEnum(std::uint64_t{18446744073709551615ULL});
    schema->addEnum(true);
    schema->addEnum(nullptr);
    ASSERT_EQ(schema->enumValues().size(), 6U);
    EXPECT_TRUE(schema->hasEnumValue(jv::JV(1.0)));
    EXPECT_TRUE(schema->hasEnumValue(jv::JV()));
    EXPECT_FALSE(schema->hasEnumValue(jv::JV("1")));

    jv::JV object(jv::JV::ObjectTag{});
    object.setStringProperty("k", "v");
    schema->addEnum(object);
    object.setStringProperty("k", "changed");
    EXPECT_EQ(schema->enumValues().back()->property("k")->stringValue(), "v");

    schema->setConst(true);
    schema->removeEnum(0);
    EXPECT_EQ(schema->enumValues().size(), 6U);
    schema->clearEnums();
    EXPECT_FALSE(schema->isConst());
}

TEST(Schema, ExampleForms) {
    OpenAPI document;
    Schema* schema = document.components()->addSchema("X");
    jv::JV value("sample");
    schema->setExampleValue(&value);
    schema->setExample("one", &value);
    schema->addExample("two");
    EXPECT_EQ(schema->examples().size(), 2U);
    EXPECT_FALSE(schema->hasExampleList());

    // The JSON Schema array form replaces the named form, and the other way round.
    schema->addListExample(&value);
    schema->addListExample(nullptr);
    EXPECT_TRUE(schema->examples().empty());
    ASSERT_EQ(schema->exampleList().size(), 2U);
    EXPECT_TRUE(schema->exampleList()[1]->isNull());
    schema->addExample("three");
    EXPECT_FALSE(schema->hasExampleList());

    ASSERT_NE(schema->exampleValue(), nullptr);
    EXPECT_EQ(schema->exampleValue()->stringValue(), "sample");
    schema->clearExamples();
    EXPECT_TRUE(schema->examples().empty());
    EXPECT_NE(schema->exampleValue(), nullptr);
}

TEST(Schema, DependentRequired) {
    OpenAPI document;
    Schema* schema = document.components()->addSchema("D");
    schema->addDependentRequired("card", "billing");
    schema->addDependentRequired("card", "name");
    schema->addDependentRequired("card", "billing");
    EXPECT_EQ(schema->dependentRequiredCount("card"), 2U);
    EXPECT_TRUE(schema->isDependentRequired("card", "name"));
    schema->removeDependentRequired("card", "name");
    schema->removeDependentRequired("card", "billing");
    EXPECT_FALSE(schema->hasDependentRequired());
}

// Most schemas hold none of the subschema keywords that few use; those of one schema are its own, and asking for,
// removing or clearing them on a schema without them changes nothing.
TEST(Schema, RarelyUsedSubschemasBelongToTheirSchema) {
    OpenAPI document;
    Schema* plain = document.components()->addSchema("Plain");
    Schema* conditional = document.components()->addSchema("Conditional");
    plain->removeNot();
    plain->clearDefinitions();
    plain->removePatternProperty("^x-");
    plain->removePrefixItem(0);
    EXPECT_EQ(plain->notSchema(), nullptr);
    EXPECT_EQ(plain->definition("Inner"), nullptr);

    conditional->setIf()->addType(SchemaType::string);
    conditional->setThenRef(plain);
    conditional->addDefinition("Inner")->addType(SchemaType::integer);
    conditional->addPatternProperty("^x-");
    conditional->addPrefixItem();
    EXPECT_TRUE(plain->definitions().empty());
    EXPECT_TRUE(plain->patternProperties().empty());
    EXPECT_TRUE(plain->prefixItems().empty());
    EXPECT_EQ(plain->ifSchemaNode(), nullptr);
    EXPECT_EQ(conditional->thenSchema(), plain);
    ASSERT_NE(conditional->definition("Inner"), nullptr);
    EXPECT_TRUE(conditional->definition("Inner")->hasType(SchemaType::integer));

    conditional->removeIf();
    conditional->clearDefinitions();
    EXPECT_EQ(conditional->ifSchema(), nullptr);
    EXPECT_TRUE(conditional->definitions().empty());
    EXPECT_EQ(conditional->thenSchema(), plain);
    EXPECT_EQ(conditional->patternProperties().size(), 1U);
}
TEST(EmbeddedValues, ExamplesModes) {
    OpenAPI document;
    Parameter* parameter = document.components()->addQueryParameter("q", "q");
    Examples& examples = parameter->examples();
    EXPECT_EQ(examples.exampleMode(), Examples::Mode::none);
    EXPECT_EQ(errorOf([&] { examples.embeddedExample(); }), "Embedded example does not exist");

    jv::JV value(42);
    examples.setEmbeddedExample(&value);
    EXPECT_EQ(examples.exampleMode(), Examples::Mode::embedded);
    EXPECT_TRUE(examples.embeddedExample()->equal(value));

    Example* shared = document.components()->addExample("Shared");
    Example* own = examples.addExternalExample("own");
    examples.addExternalExampleRef("shared", shared);
    EXPECT_EQ(examples.exampleMode(), Examples::Mode::external);
    EXPECT_EQ(own->parent(), parameter);
    EXPECT_EQ(examples.externalExample("shared"), shared);
    EXPECT_EQ(examples.externalExampleCount(), 2U);
    EXPECT_EQ(errorOf([&] { examples.embeddedExample(); }), "Embedded example does not exist");

    examples.setEmbeddedExample();
    EXPECT_EQ(examples.externalExampleCount(), 0U);
    EXPECT_TRUE(shared->references().empty());
    examples.clearExamples();
    EXPECT_EQ(examples.exampleMode(), Examples::Mode::none);
}

TEST(EmbeddedValues, SchemaOrContent) {
    OpenAPI document;
    Header* header = document.components()->addHeader("Rate");
    SchemaOrMediaType& holder = header->schemaOrContent();
    EXPECT_EQ(holder.schemaNode(), nullptr);
    EXPECT_EQ(holder.effectiveSchema(), nullptr);

    Schema* schema = holder.setSchema();
    EXPECT_EQ(schema->parent(), header);
    EXPECT_EQ(holder.effectiveSchema(), schema);

    MediaType* mediaType = holder.setMediaType("text/plain");
    EXPECT_EQ(holder.schemaMode(), SchemaOrMediaType::Mode::content);
    EXPECT_EQ(holder.schema(), nullptr);
    EXPECT_EQ(errorOf([&] { holder.schemaNode(); }), "Schema does not exist");
    Schema* inner = mediaType->setSchema(SchemaType::integer);
    EXPECT_EQ(holder.effectiveSchema(), inner);
    EXPECT_EQ(holder.mediaTypeKey(), "text/plain");

    Schema* shared = document.components()->addSchema("Shared");
    holder.setSchemaRef(document.components()->addSchemaRef("Alias", shared));
    EXPECT_EQ(holder.mediaType(), nullptr);
    EXPECT_EQ(holder.effectiveSchema(), shared);
    holder.clearSchemaAndMediaType();
    EXPECT_EQ(holder.schemaMode(), SchemaOrMediaType::Mode::none);
    EXPECT_EQ(shared->references().size(), 1U);
}

}  // namespace
}  // namespace zephalon::openapi
