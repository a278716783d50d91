#include "configuration.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "config_key_table.h"
#include "zephalon/jv/file_io.h"

namespace zephalon::openapi_diff {
namespace {

using openapi::NodeType;
using Slot = NodeDiffConfig::Slot;

std::unique_ptr<jv::JVDoc> json(std::string_view text) { return jv::readString(text, FileFormat::JSON); }

Configuration configured(std::string_view text) {
    Configuration config;
    config.fromJV(*json(text)->root());
    return config;
}

// The message and the position of the value the error points at.
struct Failure {
    std::string message;
    Pos pos;
};

Failure failureOf(std::string_view text) {
    auto doc = json(text);
    Configuration config;
    try {
        config.fromJV(*doc->root());
    } catch (const jv::JVError& error) {
        return {error.what(), error.node != nullptr ? error.node->pos : Pos{}};
    }
    return {"no error", {}};
}

TEST(NodeDiffConfigTest, SlotsOccupyTheirBitsAndSettersFillTheConditionalSlots) {
    NodeDiffConfig config;
    config.setForAdded(Option::breaking);
    // Added (bits 0-2) and both conditional added slots (18-20, 21-23).
    EXPECT_EQ(config.bits(), (3ull << 0) | (3ull << 18) | (3ull << 21));

    config = NodeDiffConfig{};
    config.setForModified(true, Option::breaking, Option::nonBreaking);
    EXPECT_EQ(config.get(Slot::modified), Option::nonBreaking);
    EXPECT_EQ(config.get(Slot::modifiedWhenTrue), Option::breaking);
    EXPECT_EQ(config.get(Slot::modifiedWhenFalse), Option::nonBreaking);
    // A condition of false swaps the conditional slots.
    config.setForRemoved(false, Option::breaking, Option::nonFunctional);
    EXPECT_EQ(config.get(Slot::removed), Option::nonFunctional);
    EXPECT_EQ(config.get(Slot::removedWhenTrue), Option::nonFunctional);
    EXPECT_EQ(config.get(Slot::removedWhenFalse), Option::breaking);
    EXPECT_EQ(config.bits() >> 36, 0u);
}

TEST(NodeDiffConfigTest, ForTypeReadsTheSlotOfEachKindOfChange) {
    NodeDiffConfig config;
    config.setForAdded(false, Option::breaking, Option::nonBreaking);
    config.setForRemoved(Option::nonFunctional);
    config.setForModified(Option::nested);
    config.setForItemAdded(Option::breaking);
    config.setForItemRemoved(Option::nonBreaking);
    config.setForItemModified(Option::nonFunctional);

    EXPECT_EQ(config.forType(ChangeType::propertyAdded), Option::nonBreaking);
    EXPECT_EQ(config.forType(ChangeType::propertyAdded, true), Option::nonBreaking);
    EXPECT_EQ(config.forType(ChangeType::propertyAdded, false), Option::breaking);
    EXPECT_EQ(config.forType(ChangeType::propertyRemoved, true), Option::nonFunctional);
    EXPECT_EQ(config.forType(ChangeType::propertyModified), Option::nested);
    EXPECT_EQ(config.forType(ChangeType::keyAdded), Option::breaking);
    EXPECT_EQ(config.forType(ChangeType::elementAdded), Option::breaking);
    EXPECT_EQ(config.forType(ChangeType::keyRemoved), Option::nonBreaking);
    EXPECT_EQ(config.forType(ChangeType::elementRemoved), Option::nonBreaking);
    EXPECT_EQ(config.forType(ChangeType::keyModified), Option::nonFunctional);
    EXPECT_EQ(config.forType(ChangeType::elementModified), Option::nonFunctional);
    // Extensions read the plain slots, never the conditional ones.
    EXPECT_EQ(config.forType(ChangeType::extensionAdded), Option::nonBreaking);
    EXPECT_EQ(config.forType(ChangeType::extensionRemoved), Option::nonFunctional);
    EXPECT_EQ(config.forType(ChangeType::extensionModified), Option::nested);

    EXPECT_TRUE(config.isConditional(ChangeType::propertyAdded));
    EXPECT_FALSE(config.isConditional(ChangeType::propertyRemoved));
    EXPECT_FALSE(config.isConditional(ChangeType::keyAdded));
}

TEST(ConfigurationTest, EachKindOfPropertyTakesItsShapes) {
    Configuration config = configured(R"({"rules": {
        "info": {"title": "breaking", "version": {"modify": "non_functional"},
                 "summary": "non_breaking", "description": {"add": "breaking", "modify": "non_functional"}},
        "parameter": {"required": {"add": {"if": true, "then": "breaking", "else": "non_breaking"},
                                   "modify": {"if": false, "then": "non_functional", "else": "breaking"},
                                   "remove": "none"}},
        "server": {"variables": "breaking"},
        "operation": {"parameters": {"add_item": "non_breaking", "modify_item": "nested"}},
        "paths": {"remove_item": "breaking"},
        "securityRequirement": "non_breaking"}})");

    // A required leaf only has a modified slot (with its conditional copies).
    NodeDiffConfig title = config.forNodeProperty(ConfigKey::info_title);
    EXPECT_EQ(title.forType(ChangeType::propertyModified), Option::breaking);
    EXPECT_EQ(title.forType(ChangeType::propertyAdded), Option::none);
    EXPECT_EQ(config.forNodeProperty(ConfigKey::info_version).forType(ChangeType::propertyModified, true),
              Option::nonFunctional);

    NodeDiffConfig summary = config.forNodeProperty(ConfigKey::info_summary);
    EXPECT_EQ(summary.forType(ChangeType::propertyAdded), Option::nonBreaking);
    EXPECT_EQ(summary.forType(ChangeType::propertyRemoved), Option::nonBreaking);
    EXPECT_EQ(summary.forType(ChangeType::propertyModified), Option::nonBreaking);
    NodeDiffConfig description = config.forNodeProperty(ConfigKey::info_description);
    EXPECT_EQ(description.forType(ChangeType::propertyAdded), Option::breaking);
    EXPECT_EQ(description.forType(ChangeType::propertyRemoved), Option::none);
    EXPECT_EQ(description.forType(ChangeType::propertyModified), Option::nonFunctional);

    NodeDiffConfig required = config.forNodeProperty(ConfigKey::parameter_required);
    EXPECT_EQ(required.forType(ChangeType::propertyAdded, true), Option::breaking);
    EXPECT_EQ(required.forType(ChangeType::propertyAdded, false), Option::nonBreaking);
    EXPECT_EQ(required.forType(ChangeType::propertyModified, false), Option::nonFunctional);
    EXPECT_EQ(required.forType(ChangeType::propertyModified, true), Option::breaking);
    EXPECT_EQ(required.forType(ChangeType::propertyRemoved, true), Option::none);

    NodeDiffConfig variables = config.forNodeProperty(ConfigKey::server_variables);
    EXPECT_EQ(variables.forType(ChangeType::keyAdded), Option::breaking);
    EXPECT_EQ(variables.forType(ChangeType::keyModified), Option::breaking);
    EXPECT_EQ(variables.forType(ChangeType::propertyAdded), Option::none);
    NodeDiffConfig parameters = config.forNodeProperty(ConfigKey::operation_parameters);
    EXPECT_EQ(parameters.forType(ChangeType::elementAdded), Option::nonBreaking);
    EXPECT_EQ(parameters.forType(ChangeType::elementRemoved), Option::none);
    EXPECT_EQ(parameters.forType(ChangeType::elementModified), Option::nested);

    // The container sections hold their setting directly.
    EXPECT_EQ(config.forNodeProperty(ConfigKey::paths).forType(ChangeType::keyRemoved), Option::breaking);
    EXPECT_EQ(config.forNodeProperty(ConfigKey::securityRequirement).forType(ChangeType::elementAdded),
              Option::nonBreaking);
}

TEST(ConfigurationTest, ErrorsNameTheProblemAndPointAtTheValue) {
    // `at` is where the offending value starts in the text.
    struct Case {
        const char* text;
        const char* message;
        const char* at;
    };
    const Case cases[] = {
        {R"({"extends": ["recommended", 5]})", "Expected string", "5]"},
        {R"({"extends": ["strict"]})", "Unknown ruleset: strict", R"("strict")"},
        {R"({"extends": "recommended"})", "An array value is expected for 'extends'.", R"("recommended")"},
        {R"({"rules": []})", "An object value is expected for 'rules'.", "[]"},
        {R"({"rules": {"info": "breaking"}})", "An object value is expected for 'info'.", R"("breaking")"},
        {R"({"rules": {"info": {"title": 3}}})", "Expected string or object", "3}"},
        {R"({"rules": {"info": {"title": "fatal"}}})", "Invalid option", R"("fatal")"},
        {R"({"rules": {"info": {"title": {"add": "breaking"}}}})", "Unexpected properties", R"("breaking")"},
        {R"({"rules": {"info": {"version": {}}}})", "Expected 'modified' property", "{}"},
        {R"({"rules": {"info": {"summary": {"add": "breaking", "foo": "none"}}}})", "Unexpected properties",
         R"("none")"},
        {R"({"rules": {"info": {"summary": {"add": true}}}})", "Expected string", "true"},
        {R"({"rules": {"info": {"summary": {"add": "non-breaking"}}}})", "Invalid option", R"("non-breaking")"},
        {R"({"rules": {"parameter": {"required": {"modify": {"if": "yes", "then": "breaking", "else": "none"}}}}})",
         "A boolean value is expected for 'if'.", R"({"if")"},
        {R"({"rules": {"parameter": {"required": {"modify": {"if": true, "then": "breaking"}}}}})",
         "Required property 'else' is missing.", R"({"if")"},
        {R"({"rules": {"parameter": {"required": {"add": {"if": true, "then": "x", "else": "none"}}}}})",
         "Invalid option", R"("x")"},
        {R"({"rules": {"parameter": {"required": {"add": {"if": true, "then": "none", "else": "none", "x": 1}}}}})",
         "Unexpected properties", "1}"},
        // Only flags take conditions.
        {R"({"rules": {"info": {"summary": {"add": {"if": true, "then": "none", "else": "none"}}}}})",
         "Expected string", R"({"if")"},
        {R"({"rules": {"paths": {"add": "breaking"}}})", "Unexpected properties", R"("breaking")"},
        {R"({"rules": {"pathItem": {"operations": {"add_item": "breaking", "remove": "none"}}}})",
         "Unexpected properties", R"("none")"},
        {R"({"rules": {"paths": 1}})", "Expected string or object", "1}"},
        {R"({"rules": {"defaults": {"extensions": 1}}})", "Expected string or object", "1}"},
        {R"({"rules": {"schema": {"extensions": {"x-a": {"modify_item": "none"}}}}})", "Unexpected properties",
         R"("none")"},
    };
    for (const Case& c : cases) {
        Failure failure = failureOf(c.text);
        EXPECT_EQ(failure.message, c.message) << c.text;
        std::string_view text = c.text;
        EXPECT_EQ(failure.pos.line, 1) << c.text;
        EXPECT_EQ(failure.pos.column, static_cast<int>(text.find(c.at)) + 1) << c.text;
    }
}

TEST(ConfigurationTest, LaterSettingsOverrideEarlierOnesRuleByRule) {
    Configuration config = configured(R"({"extends": ["recommended"],
        "rules": {"info": {"version": "breaking"},
                  "parameter": {"required": {"modify": "non_functional"}},
                  "unknownSection": {"x": 1}, "operation": {"unknownProperty": 5}}})");
    EXPECT_EQ(config.forNodeProperty(ConfigKey::info_version).forType(ChangeType::propertyModified), Option::breaking);
    // Untouched rules keep the recommended setting...
    EXPECT_EQ(config.forNodeProperty(ConfigKey::info_title).forType(ChangeType::propertyModified), Option::breaking);
    // ...and inside a rule, options that are not named keep theirs too.
    NodeDiffConfig required = config.forNodeProperty(ConfigKey::parameter_required);
    EXPECT_EQ(required.forType(ChangeType::propertyModified, true), Option::nonFunctional);
    EXPECT_EQ(required.forType(ChangeType::propertyAdded, true), Option::breaking);

    config.clear();
    EXPECT_EQ(config.forNodeProperty(ConfigKey::info_title), NodeDiffConfig{});
    EXPECT_EQ(config.forNodeExtension(NodeType::Info, "x-a"), NodeDiffConfig{});
}

TEST(ConfigurationTest, ExtensionRulesAreLookedUpFromTheMostSpecific) {
    Configuration config = configured(R"({"rules": {
        "defaults": {"extensions": {"*": "non_functional", "x-price": "breaking"}},
        "parameter": {"extensions": {"x-internal": "none", "*": "non_breaking"}},
        "info": {"extensions": "breaking"}}})");
    auto option = [&](NodeType type, std::string_view name) {
        return config.forNodeExtension(type, name).forType(ChangeType::extensionModified);
    };
    EXPECT_EQ(option(NodeType::QueryParameter, "x-internal"), Option::none);
    EXPECT_EQ(option(NodeType::CookieParameter, "x-price"), Option::nonBreaking);
    EXPECT_EQ(option(NodeType::Info, "x-price"), Option::breaking);
    EXPECT_EQ(option(NodeType::Schema, "x-price"), Option::breaking);
    EXPECT_EQ(option(NodeType::Schema, "x-other"), Option::nonFunctional);
    EXPECT_EQ(Configuration{}.forNodeExtension(NodeType::Schema, "x-other"), NodeDiffConfig{});

    // Extension rules have the shape of optional properties.
    Configuration shaped = configured(R"({"rules": {"schema": {"extensions": {"x-a": {"add": "breaking"}}}}})");
    EXPECT_EQ(shaped.forNodeExtension(NodeType::Schema, "x-a").forType(ChangeType::extensionAdded), Option::breaking);
    EXPECT_EQ(shaped.forNodeExtension(NodeType::Schema, "x-a").forType(ChangeType::extensionRemoved), Option::none);
}

// The embedded rule set is the file in the source tree, and every rule in it names a real property: a misspelt
// property would be skipped silently and leave its rule at "none".
TEST(RecommendedConfigTest, IsTheDataFileAndSetsEveryRuleItNames) {
    std::ifstream in(std::string(ZEPHALON_SOURCE_DIR) + "/src/openapi_diff/data/recommended.yaml", std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto fromFile = jv::readString(text, FileFormat::YAML);
    EXPECT_TRUE(fromFile->root()->equal(*recommendedConfig().root()));

    Configuration config = configured(R"({"extends": ["recommended"]})");
    const std::set<ConfigKey> none{ConfigKey::openapi_jsonSchemaDialect, ConfigKey::info_version,
                                   ConfigKey::schema_anchor, ConfigKey::schema_dynamicAnchor,
                                   ConfigKey::schema_dynamicRef};
    std::size_t counted = 0;
    for (const ConfigKeyInfo& info : configKeyTable()) {
        ++counted;
        EXPECT_EQ(config.forNodeProperty(info.key) == NodeDiffConfig{}, none.contains(info.key))
            << info.section << "." << info.property;
    }
    EXPECT_EQ(counted, 196u);
    EXPECT_EQ(config.forNodeExtension(NodeType::Operation, "x-anything").forType(ChangeType::extensionAdded),
              Option::nonFunctional);
}

TEST(RecommendedConfigTest, ClassifiesNewRequiredParametersAndHeadersAsBreaking) {
    Configuration config = configured(R"({"extends": ["recommended"]})");
    for (ConfigKey key : {ConfigKey::parameter_required, ConfigKey::header_required}) {
        NodeDiffConfig rule = config.forNodeProperty(key);
        EXPECT_EQ(rule.forType(ChangeType::propertyAdded, true), Option::breaking);
        EXPECT_EQ(rule.forType(ChangeType::propertyAdded, false), Option::nonBreaking);
        EXPECT_EQ(rule.forType(ChangeType::propertyModified, true), Option::breaking);
        EXPECT_EQ(rule.forType(ChangeType::propertyModified, false), Option::nonBreaking);
    }
    NodeDiffConfig deprecated = config.forNodeProperty(ConfigKey::operation_deprecated);
    EXPECT_EQ(deprecated.forType(ChangeType::propertyModified, true), Option::breaking);
    EXPECT_EQ(deprecated.forType(ChangeType::propertyAdded, true), Option::none);
    NodeDiffConfig allowEmpty = config.forNodeProperty(ConfigKey::parameter_allowEmptyValue);
    EXPECT_EQ(allowEmpty.forType(ChangeType::propertyModified, true), Option::nonBreaking);
    EXPECT_EQ(allowEmpty.forType(ChangeType::propertyModified, false), Option::breaking);
}

}  // namespace
}  // namespace zephalon::openapi_diff
