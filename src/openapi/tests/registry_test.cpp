#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "zephalon/openapi/model.h"

namespace zephalon::openapi {
namespace {

std::unique_ptr<jv::JV> formats(std::initializer_list<std::pair<const char*, const char*>> entries) {
    auto list = std::make_unique<jv::JV>(jv::JV::ArrayTag{});
    for (const auto& [name, type] : entries) {
        jv::JV* entry = list->addObject();
        entry->setStringProperty("name", name);
        entry->setStringProperty("type", type);
    }
    return list;
}

TEST(SchemaFormatRegistry, BuiltinLookups) {
    SchemaFormatRegistry registry;
    const SchemaFormat* int32 = registry.get("int32");
    ASSERT_NE(int32, nullptr);
    EXPECT_EQ(int32, &SchemaFormat::Int32);
    EXPECT_EQ(int32->type(), SchemaType::integer);
    EXPECT_EQ(registry.get("Int32"), nullptr);
    EXPECT_FALSE(registry.has("int 32"));
    EXPECT_EQ(registry.get("double")->type(), SchemaType::number);
    EXPECT_EQ(registry.get("relative-json-pointer"), &SchemaFormat::RelativeJsonPointer);
    // The two formats that OpenAPI 3.0 defines for encoded and raw content.
    EXPECT_EQ(registry.get("byte")->type(), SchemaType::string);
    EXPECT_EQ(registry.get("binary")->type(), SchemaType::string);
    EXPECT_EQ(SchemaFormatRegistry::builtins().size(), 26U);
}

TEST(SchemaFormatRegistry, CustomFormatsFromConfiguration) {
    SchemaFormatRegistry registry;
    registry.fromJV(nullptr);
    auto config = formats({{"date", "integer"}, {"money", "number"}, {"money", "string"}, {"ean13", "string"}});
    registry.fromJV(config.get());

    EXPECT_EQ(registry.get("date"), &SchemaFormat::Date);
    EXPECT_EQ(registry.get("date")->type(), SchemaType::string);
    ASSERT_TRUE(registry.has("money"));
    EXPECT_EQ(registry.get("money")->type(), SchemaType::number);
    EXPECT_EQ(registry.get("money")->name(), "money");
    EXPECT_EQ(registry.get("ean13")->type(), SchemaType::string);

    // Schemas hold the registered entry, which stays put while the registry grows.
    // A custom format views the name its registry keeps; the name too must survive the growth.
    const SchemaFormat* money = registry.get("money");
    for (int i = 0; i < 200; ++i) registry.add("custom-format-number-" + std::to_string(i), SchemaType::boolean);
    EXPECT_EQ(registry.get("money"), money);
    EXPECT_EQ(money->name(), "money");
    EXPECT_EQ(registry.get("custom-format-number-7")->name(), "custom-format-number-7");
    EXPECT_EQ(registry.add("money", SchemaType::integer), money);

    // Registries are independent of one another.
    SchemaFormatRegistry fresh;
    EXPECT_FALSE(fresh.has("money"));
}

TEST(SchemaFormatRegistry, BadConfigurationAddsNothing) {
    SchemaFormatRegistry registry;
    jv::JV object(jv::JV::ObjectTag{});
    try {
        registry.fromJV(&object);
        FAIL() << "an object must be refused";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Custom format JV must be an array");
    }

    auto badType = formats({{"first", "string"}, {"second", "decimal"}});
    EXPECT_THROW(registry.fromJV(badType.get()), std::runtime_error);
    EXPECT_FALSE(registry.has("first"));

    auto missingType = formats({{"first", "string"}});
    missingType->addObject()->setStringProperty("name", "third");
    try {
        registry.fromJV(missingType.get());
        FAIL() << "a missing type must be refused";
    } catch (const jv::JVError& error) {
        EXPECT_STREQ(error.what(), "Required property 'type' is missing.");
    }
    EXPECT_FALSE(registry.has("first"));

    auto mistyped = std::make_unique<jv::JV>(jv::JV::ArrayTag{});
    jv::JV* entry = mistyped->addObject();
    entry->setIntProperty("name", 5);
    entry->setStringProperty("type", "string");
    EXPECT_THROW(registry.fromJV(mistyped.get()), jv::JVError);

    auto notAnObject = std::make_unique<jv::JV>(jv::JV::ArrayTag{});
    notAnObject->addString("date");
    EXPECT_THROW(registry.fromJV(notAnObject.get()), jv::JVError);
}

TEST(SchemaDialectRegistry, KnownDialects) {
    SchemaDialectRegistry registry;
    EXPECT_EQ(registry.get("https://json-schema.org/draft/2020-12/schema"), &SchemaDialect::Draft2020_12);
    EXPECT_EQ(registry.get("http://json-schema.org/draft-04/schema#"), &SchemaDialect::Draft4);
    EXPECT_EQ(registry.get("https://json-schema.org/draft/2019-09/schema"), &SchemaDialect::Draft2019_09);
    // An empty fragment is the same URI as none, for every dialect.
    EXPECT_EQ(registry.get("https://json-schema.org/draft/2020-12/schema#"), &SchemaDialect::Draft2020_12);
    EXPECT_EQ(registry.get("http://json-schema.org/draft-07/schema"), &SchemaDialect::Draft7);
    EXPECT_TRUE(SchemaDialect::Draft4.names("http://json-schema.org/draft-04/schema"));
    EXPECT_FALSE(SchemaDialect::Draft4.names("http://json-schema.org/draft-06/schema#"));
    EXPECT_EQ(registry.get("https://json-schema.org/draft/2020-12/schema##"), nullptr);
    EXPECT_EQ(registry.get("https://json-schema.org/draft/2020-12/schema#meta"), nullptr);
    EXPECT_EQ(registry.get(""), nullptr);
}

}  // namespace
}  // namespace zephalon::openapi
