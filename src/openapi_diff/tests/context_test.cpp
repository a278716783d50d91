#include "context.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "recording_report.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/paths.h"

namespace zephalon::openapi_diff {
namespace {

using testing::RecordingReport;

NodeDiffConfig rule(Option added, Option removed, Option modified) {
    NodeDiffConfig config;
    config.setForAdded(added);
    config.setForRemoved(removed);
    config.setForModified(modified);
    return config;
}

NodeDiffConfig itemRule(Option added, Option removed, Option modified) {
    NodeDiffConfig config;
    config.setForItemAdded(added);
    config.setForItemRemoved(removed);
    config.setForItemModified(modified);
    return config;
}

// Scripts sequences of scopes and changes on a pair of small models; positions are unknown without read results.
class ContextTest : public ::testing::Test {
  protected:
    ContextTest() : context(config, report) {
        source.paths()->addItem("/a");
        dest.paths()->addItem("/a");
    }

    const openapi::Node* sourceInfo() const { return source.info(); }
    const openapi::Node* destInfo() const { return dest.info(); }
    const openapi::Node* sourcePaths() const { return source.paths(); }
    const openapi::Node* destPaths() const { return dest.paths(); }
    const openapi::Node* sourceItem() const { return source.paths()->item("/a"); }
    const openapi::Node* destItem() const { return dest.paths()->item("/a"); }

    openapi::OpenAPI source;
    openapi::OpenAPI dest;
    Configuration config;
    RecordingReport report;
    Context context;
};

TEST_F(ContextTest, WithoutScopeChangesGoStraightToTheReportUnlessClassifiedNone) {
    config.setForNodeProperty(ConfigKey::openapi_openapi, rule(Option::none, Option::none, Option::breaking));
    config.setForNodeProperty(ConfigKey::info_title, rule(Option::nested, Option::nested, Option::nested));
    context.maybeEmitPropertyModify(ConfigKey::openapi_openapi, &dest, std::string("3.0.3"), std::string("3.1.0"));
    context.maybeEmitPropertyModify(ConfigKey::openapi_openapi, &dest, std::string("3.1.0"), std::string("3.1.0"));
    context.maybeEmitPropertyAdd(ConfigKey::openapi_openapi, &dest, std::string("3.1.0"));
    // "nested" on a plain property has nothing inside to take a severity from.
    context.maybeEmitPropertyModify(ConfigKey::info_title, destInfo(), std::string("a"), std::string("b"));

    ASSERT_EQ(report.changes.size(), 1u);
    const Change& change = report.changes[0];
    EXPECT_EQ(change.type, ChangeType::propertyModified);
    EXPECT_EQ(change.severity, ChangeSeverity::breaking);
    EXPECT_EQ(change.configKey, ConfigKey::openapi_openapi);
    EXPECT_EQ(change.node, &dest);
    EXPECT_FALSE(change.hasIndex());
    EXPECT_EQ(context.depth(), 0u);
}

TEST_F(ContextTest, AScopeWithNothingOrOnlyItsOwnChangeReportsNothing) {
    config.setForNodeProperty(ConfigKey::openapi_info, rule(Option::breaking, Option::breaking, Option::breaking));
    { auto scope = context.enterScope(sourceInfo(), destInfo(), ConfigKey::openapi_info); }
    {
        auto scope = context.enterScope(nullptr, destInfo(), ConfigKey::openapi_info, "key");
        context.emitSelf(nullptr, destInfo());
        EXPECT_EQ(context.depth(), 1u);
    }
    EXPECT_TRUE(report.changes.empty());
    EXPECT_EQ(context.depth(), 0u);
}

TEST_F(ContextTest, AModifiedNodeTakesTheHighestInnerOptionWhenNestedAndComesFirst) {
    config.setForNodeProperty(ConfigKey::openapi_info, rule(Option::none, Option::none, Option::nested));
    config.setForNodeProperty(ConfigKey::info_title, rule(Option::none, Option::none, Option::nonBreaking));
    config.setForNodeProperty(ConfigKey::info_summary, rule(Option::nonFunctional, Option::none, Option::none));
    {
        auto scope = context.enterScope(sourceInfo(), destInfo(), ConfigKey::openapi_info);
        context.emitSelf(sourceInfo(), destInfo());
        context.maybeEmitPropertyModify(ConfigKey::info_title, destInfo(), std::string("a"), std::string("b"));
        context.maybeEmitPropertyAdd(ConfigKey::info_summary, destInfo(), std::optional<std::string>("s"));
    }
    ASSERT_EQ(report.changes.size(), 3u);
    EXPECT_EQ(report.changes[0].type, ChangeType::propertyModified);
    EXPECT_EQ(report.changes[0].configKey, ConfigKey::openapi_info);
    EXPECT_EQ(report.changes[0].severity, ChangeSeverity::nonBreaking);
    EXPECT_EQ(report.changes[0].node, destInfo());
    EXPECT_EQ(report.changes[1].configKey, ConfigKey::info_title);
    EXPECT_EQ(report.changes[1].severity, ChangeSeverity::nonBreaking);
    EXPECT_EQ(report.changes[2].type, ChangeType::propertyAdded);
    EXPECT_EQ(report.changes[2].severity, ChangeSeverity::nonFunctional);
}

TEST_F(ContextTest, AnEntryIsRetypedByItsKeyOrIndexAndDroppedWhenItsOptionIsNone) {
    config.setForNodeProperty(ConfigKey::paths, itemRule(Option::nonBreaking, Option::breaking, Option::none));
    config.setForNodeProperty(ConfigKey::pathItem_summary,
                              rule(Option::nonFunctional, Option::breaking, Option::breaking));
    {
        auto scope = context.enterScope(nullptr, destItem(), ConfigKey::paths, "/new");
        context.emitSelf(nullptr, destItem());
        context.maybeEmitPropertyAdd(ConfigKey::pathItem_summary, destItem(), std::optional<std::string>("s"));
    }
    {
        auto scope = context.enterScope(sourceItem(), nullptr, ConfigKey::paths, std::uint64_t{4});
        context.emitSelf(sourceItem(), nullptr);
        context.maybeEmitPropertyRemove(ConfigKey::pathItem_summary, sourceItem(), std::optional<std::string>("s"));
    }
    {
        // The entry's own rule says "none": nothing inside is reported either.
        auto scope = context.enterScope(sourceItem(), destItem(), ConfigKey::paths, "/a");
        context.emitSelf(sourceItem(), destItem());
        context.maybeEmitPropertyModify(ConfigKey::pathItem_summary, destItem(), std::optional<std::string>("a"),
                                        std::optional<std::string>("b"));
    }
    ASSERT_EQ(report.changes.size(), 4u);
    EXPECT_EQ(report.changes[0].type, ChangeType::keyAdded);
    EXPECT_EQ(report.changes[0].key, "/new");
    EXPECT_EQ(report.changes[0].severity, ChangeSeverity::nonBreaking);
    EXPECT_EQ(report.changes[1].type, ChangeType::propertyAdded);
    EXPECT_EQ(report.changes[2].type, ChangeType::elementRemoved);
    EXPECT_EQ(report.changes[2].index, 4u);
    EXPECT_EQ(report.changes[2].node, sourceItem());
    EXPECT_EQ(report.changes[3].type, ChangeType::propertyRemoved);
    EXPECT_EQ(report.changes[3].severity, ChangeSeverity::breaking);
}

TEST_F(ContextTest, APropertyScopeWithoutOwnChangePassesItsChangesOn) {
    config.setForNodeProperty(ConfigKey::paths, itemRule(Option::nonBreaking, Option::breaking, Option::nested));
    config.setForNodeProperty(ConfigKey::pathItem_summary, rule(Option::nonFunctional, Option::none, Option::none));
    {
        auto paths = context.enterScope(sourcePaths(), destPaths(), ConfigKey::openapi_paths);
        {
            auto entry = context.enterScope(sourceItem(), destItem(), ConfigKey::paths, "/a");
            context.emitSelf(sourceItem(), destItem());
            context.maybeEmitPropertyAdd(ConfigKey::pathItem_summary, destItem(), std::optional<std::string>("s"));
        }
        EXPECT_TRUE(report.changes.empty());
    }
    ASSERT_EQ(report.changes.size(), 2u);
    EXPECT_EQ(report.changes[0].type, ChangeType::keyModified);
    EXPECT_EQ(report.changes[0].severity, ChangeSeverity::nonFunctional);
    EXPECT_EQ(report.changes[1].configKey, ConfigKey::pathItem_summary);
}

TEST_F(ContextTest, PlainEntryValuesBecomeOneChangeOfTheEntryClassifiedByItsRule) {
    // A value in a list or map has no comparison of its own: its first change takes the entry's rule.
    NodeDiffConfig values = itemRule(Option::breaking, Option::nonBreaking, Option::nonFunctional);
    values.setForAdded(Option::none);
    config.setForNodeProperty(ConfigKey::schema_enum, values);
    {
        auto scope = context.enterScope(sourceInfo(), destInfo(), ConfigKey::schema_enum, std::uint64_t{2});
        context.maybeEmitPropertyAdd(ConfigKey::schema_enum, destInfo(), std::optional<std::string>("v"));
    }
    {
        auto scope = context.enterScope(sourceInfo(), nullptr, ConfigKey::schema_enum, "k");
        context.maybeEmitPropertyRemove(ConfigKey::schema_enum, sourceInfo(), std::optional<std::string>("v"));
    }
    {
        auto scope = context.enterScope(sourceInfo(), destInfo(), ConfigKey::schema_enum, "k");
        context.maybeEmitPropertyRemove(ConfigKey::schema_enum, sourceInfo(), std::optional<std::string>("v"));
        context.maybeEmitPropertyAdd(ConfigKey::schema_enum, destInfo(), std::optional<std::string>("w"));
    }
    ASSERT_EQ(report.changes.size(), 3u);
    EXPECT_EQ(report.changes[0].type, ChangeType::elementAdded);
    EXPECT_EQ(report.changes[0].index, 2u);
    EXPECT_EQ(report.changes[0].severity, ChangeSeverity::breaking);
    EXPECT_EQ(report.changes[0].configKey, ConfigKey::schema_enum);
    EXPECT_EQ(report.changes[0].node, destInfo());
    EXPECT_EQ(report.changes[1].type, ChangeType::keyRemoved);
    EXPECT_EQ(report.changes[1].key, "k");
    EXPECT_EQ(report.changes[1].node, sourceInfo());
    EXPECT_EQ(report.changes[1].severity, ChangeSeverity::nonBreaking);
    // A removal and an addition make a modification; the second change reads the plain slot ("none").
    EXPECT_EQ(report.changes[2].type, ChangeType::keyModified);
    EXPECT_EQ(report.changes[2].severity, ChangeSeverity::nonBreaking);
}

TEST_F(ContextTest, InsideANewOrRemovedItemNothingIsMoreSevereThanTheItem) {
    config.setForNodeProperty(ConfigKey::operation_parameters,
                              itemRule(Option::nonBreaking, Option::breaking, Option::nested));
    NodeDiffConfig required;
    required.setForAdded(true, Option::breaking, Option::nonBreaking);
    config.setForNodeProperty(ConfigKey::parameter_required, required);
    config.setForNodeProperty(ConfigKey::parameter_schema, rule(Option::breaking, Option::breaking, Option::nested));
    config.setForNodeProperty(ConfigKey::parameter_description,
                              rule(Option::nonFunctional, Option::nonFunctional, Option::nonFunctional));
    config.setForDefaultExtension("*", rule(Option::breaking, Option::breaking, Option::breaking));

    auto addParameter = [&](bool isRequired) {
        auto scope = context.enterScope(nullptr, destItem(), ConfigKey::operation_parameters, std::uint64_t{0});
        context.emitSelf(nullptr, destItem());
        context.maybeEmitPropertyAdd(ConfigKey::parameter_required, destItem(), isRequired, false);
        context.maybeEmitPropertyAdd(ConfigKey::parameter_description, destItem(), std::optional<std::string>("d"));
        {
            auto schema = context.enterScope(nullptr, destInfo(), ConfigKey::parameter_schema);
            context.emitSelf(nullptr, destInfo());
            context.emitExtensionAdded(destInfo(), "x-a");
        }
    };
    auto severities = [&] {
        std::vector<ChangeSeverity> out;
        for (const Change& change : report.changes) out.push_back(change.severity);
        report.changes.clear();
        return out;
    };
    using S = ChangeSeverity;

    // An optional parameter: its schema and the schema's extension are new too, and affect nobody.
    addParameter(false);
    EXPECT_EQ(severities(), (std::vector<S>{S::nonBreaking, S::nonFunctional, S::nonBreaking, S::nonBreaking}));
    // A required one: the rule that depends on the new flag raises the parameter.
    addParameter(true);
    EXPECT_EQ(severities(), (std::vector<S>{S::breaking, S::breaking, S::nonFunctional, S::breaking, S::breaking}));

    // The same parameter inside a new operation: the operation is new, so no client can be broken by it.
    config.setForNodeProperty(ConfigKey::pathItem_operations,
                              itemRule(Option::nonBreaking, Option::breaking, Option::nested));
    {
        auto operation = context.enterScope(nullptr, destItem(), ConfigKey::pathItem_operations, "get");
        context.emitSelf(nullptr, destItem());
        addParameter(true);
    }
    EXPECT_EQ(severities(), (std::vector<S>{S::nonBreaking, S::nonBreaking, S::nonBreaking, S::nonFunctional,
                                            S::nonBreaking, S::nonBreaking}));

    // A removed item caps what was inside it in the same way.
    config.setForNodeProperty(ConfigKey::operation_parameters,
                              itemRule(Option::nonFunctional, Option::nonFunctional, Option::nested));
    {
        auto scope = context.enterScope(sourceItem(), nullptr, ConfigKey::operation_parameters, std::uint64_t{1});
        context.emitSelf(sourceItem(), nullptr);
        context.maybeEmitPropertyRemove(ConfigKey::parameter_description, sourceItem(),
                                        std::optional<std::string>("d"));
        context.emitExtensionRemoved(sourceItem(), "x-a");
    }
    EXPECT_EQ(severities(), (std::vector<S>(3, S::nonFunctional)));
}

TEST_F(ContextTest, ExtensionsAreClassifiedByTheirNodeKindAndCarryTheirName) {
    config.setForNodeExtension(openapi::NodeType::Info, "x-logo", rule(Option::none, Option::none, Option::none));
    config.setForDefaultExtension("*", rule(Option::nonFunctional, Option::breaking, Option::nonBreaking));
    context.emitExtensionAdded(destInfo(), "x-logo");
    context.emitExtensionRemoved(sourceInfo(), "x-id");
    {
        config.setForNodeProperty(ConfigKey::openapi_info, rule(Option::none, Option::none, Option::nested));
        auto scope = context.enterScope(sourceInfo(), destInfo(), ConfigKey::openapi_info);
        context.emitSelf(sourceInfo(), destInfo());
        context.emitExtensionModified(destInfo(), "x-id");
    }
    ASSERT_EQ(report.changes.size(), 3u);
    EXPECT_EQ(report.changes[0].type, ChangeType::extensionRemoved);
    EXPECT_EQ(report.changes[0].key, "x-id");
    EXPECT_EQ(report.changes[0].severity, ChangeSeverity::breaking);
    EXPECT_EQ(report.changes[0].node, sourceInfo());
    EXPECT_EQ(report.changes[1].type, ChangeType::propertyModified);
    EXPECT_EQ(report.changes[1].severity, ChangeSeverity::nonBreaking);
    EXPECT_EQ(report.changes[2].type, ChangeType::extensionModified);
    EXPECT_EQ(report.changes[2].key, "x-id");
}

TEST_F(ContextTest, PropertyComparisonsReportOnlyRealDifferences) {
    config.setForNodeProperty(ConfigKey::schema_default, rule(Option::breaking, Option::breaking, Option::breaking));
    auto kinds = [&] {
        std::vector<ChangeType> out;
        for (const Change& change : report.changes) out.push_back(change.type);
        report.changes.clear();
        return out;
    };
    jv::JV one(1), oneAsDouble(1.0), two(2);
    context.maybeEmitPropertyModify(ConfigKey::schema_default, destInfo(), &one, &oneAsDouble);
    context.maybeEmitPropertyModify(ConfigKey::schema_default, destInfo(), &one, &two);
    context.maybeEmitPropertyModify(ConfigKey::schema_default, destInfo(), static_cast<const jv::JV*>(nullptr), &two);
    context.maybeEmitPropertyRemove(ConfigKey::schema_default, sourceInfo(), &two);
    EXPECT_EQ(kinds(), (std::vector<ChangeType>{ChangeType::propertyModified, ChangeType::propertyAdded,
                                                ChangeType::propertyRemoved}));

    using Bound = std::optional<openapi::NumericBound>;
    Bound inclusive = openapi::NumericBound{number::Number(5), false};
    Bound exclusive = openapi::NumericBound{number::Number(5), true};
    context.maybeEmitPropertyModify(ConfigKey::schema_default, destInfo(), inclusive, inclusive);
    context.maybeEmitPropertyModify(ConfigKey::schema_default, destInfo(), inclusive, exclusive);
    context.maybeEmitPropertyModify(ConfigKey::schema_default, destInfo(), std::optional<std::uint64_t>(),
                                    std::optional<std::uint64_t>());
    context.maybeEmitPropertyModify(ConfigKey::schema_default, destInfo(), std::optional<std::uint64_t>(3),
                                    std::optional<std::uint64_t>());
    // Flags count only when they differ from their default.
    context.maybeEmitPropertyAdd(ConfigKey::schema_default, destInfo(), false, false);
    context.maybeEmitPropertyAdd(ConfigKey::schema_default, destInfo(), true, false);
    context.maybeEmitPropertyModify(ConfigKey::schema_default, destInfo(), true, true);
    EXPECT_EQ(kinds(), (std::vector<ChangeType>{ChangeType::propertyModified, ChangeType::propertyRemoved,
                                                ChangeType::propertyAdded}));
}

TEST_F(ContextTest, AComparisonAbandonedByAnExceptionReportsNothing) {
    config.setForNodeProperty(ConfigKey::openapi_info, rule(Option::breaking, Option::breaking, Option::breaking));
    config.setForNodeProperty(ConfigKey::info_title, rule(Option::breaking, Option::breaking, Option::breaking));
    try {
        auto scope = context.enterScope(sourceInfo(), destInfo(), ConfigKey::openapi_info);
        context.emitSelf(sourceInfo(), destInfo());
        context.maybeEmitPropertyModify(ConfigKey::info_title, destInfo(), std::string("a"), std::string("b"));
        throw std::runtime_error("stop");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(context.depth(), 0u);
    EXPECT_TRUE(report.changes.empty());
}

}  // namespace
}  // namespace zephalon::openapi_diff
