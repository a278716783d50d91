#include "zephalon/openapi_diff/change.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "zephalon/openapi/model.h"

namespace zephalon::openapi_diff {
namespace {

std::vector<int> typesWhere(bool (*predicate)(ChangeType)) {
    std::vector<int> out;
    for (int i = 0; i <= 15; ++i) {
        if (predicate(static_cast<ChangeType>(i))) out.push_back(i);
    }
    return out;
}

TEST(ChangeTest, SeverityTextsRoundTripAndUnknownTextsAreRefused) {
    for (auto severity :
         {ChangeSeverity::none, ChangeSeverity::nonFunctional, ChangeSeverity::nonBreaking, ChangeSeverity::breaking}) {
        EXPECT_EQ(severityFromString(severityToString(severity)), severity);
    }
    EXPECT_EQ(severityToString(ChangeSeverity::nonBreaking), "non-breaking");
    EXPECT_EQ(severityDescription(ChangeSeverity::nonFunctional), "Non-functional changes");
    try {
        severityFromString("non_breaking");
        FAIL() << "accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "Unsupported severity level: non_breaking");
    }
}

TEST(ChangeTest, TypeFamiliesAndConversions) {
    EXPECT_EQ(typesWhere(isAddType), (std::vector<int>{1, 4, 7, 10, 13}));
    EXPECT_EQ(typesWhere(isRemoveType), (std::vector<int>{2, 5, 8, 11, 14}));
    EXPECT_EQ(typesWhere(isPropertyType), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(typesWhere(isKeyType), (std::vector<int>{7, 8, 9}));
    EXPECT_EQ(typesWhere(isElementType), (std::vector<int>{10, 11, 12}));
    EXPECT_EQ(typesWhere(isExtensionType), (std::vector<int>{13, 14, 15}));

    EXPECT_EQ(toPropertyType(ChangeType::removed), ChangeType::propertyRemoved);
    EXPECT_EQ(toKeyType(ChangeType::added), ChangeType::keyAdded);
    EXPECT_EQ(toElementType(ChangeType::modified), ChangeType::elementModified);
    EXPECT_EQ(toElementType(ChangeType::none), ChangeType::elementModified);
    EXPECT_EQ(toKeyTypeClass(ChangeType::propertyAdded), ChangeType::keyAdded);
    EXPECT_EQ(toKeyTypeClass(ChangeType::propertyRemoved), ChangeType::keyRemoved);
    EXPECT_EQ(toKeyTypeClass(ChangeType::propertyModified), ChangeType::keyModified);
    EXPECT_EQ(toKeyTypeClass(ChangeType::added), ChangeType::keyModified);

    EXPECT_EQ(changeTypeToString(ChangeType::propertyModified), "property_modified");
    EXPECT_EQ(changeTypeToString(ChangeType::extensionRemoved), "extension_removed");
}

TEST(ChangeTest, TargetFollowsTheNodeKindWithSubkindsFolded) {
    openapi::OpenAPI root;
    openapi::PathItem* item = root.paths()->addItem("/a");
    auto targetOf = [](const openapi::Node* node) {
        Change change;
        change.node = node;
        return targetToString(change.target());
    };
    EXPECT_EQ(targetOf(nullptr), "openapi");
    EXPECT_EQ(targetOf(&root), "openapi");
    EXPECT_EQ(targetOf(root.info()), "info");
    EXPECT_EQ(targetOf(item), "path_item");
    EXPECT_EQ(targetOf(item->addQueryParameter("q")), "parameter");
    EXPECT_EQ(targetOf(item->addCookieParameter("c")), "parameter");
    EXPECT_EQ(targetOf(root.components()), "components");
    EXPECT_EQ(targetToString(ChangeTarget::webhook), "webhook");
    EXPECT_EQ(targetToString(ChangeTarget::securityRequirement), "security_requirement");
}

TEST(ConfigKeyTest, PropertyNamesAreThoseOfTheRuleTable) {
    EXPECT_EQ(configKeyToPropertyName(ConfigKey::openapi_openapi), "specVersion");
    EXPECT_EQ(configKeyToPropertyName(ConfigKey::openapi_servers), "servers");
    EXPECT_EQ(configKeyToPropertyName(ConfigKey::reference_ref), "$ref");
    EXPECT_EQ(configKeyToPropertyName(ConfigKey::schema_if), "if");
    EXPECT_EQ(configKeyToPropertyName(ConfigKey::paths), "paths");
    EXPECT_EQ(configKeyToPropertyName(ConfigKey::securityRequirement), "securityRequirement");
    EXPECT_EQ(kConfigKeyCount, 196u);
}

}  // namespace
}  // namespace zephalon::openapi_diff
