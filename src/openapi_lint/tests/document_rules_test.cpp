#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rule_test_util.h"
#include "rules/rules.h"

namespace zephalon::openapi_lint {
namespace {

using ::testing::ElementsAre;
using testing::findings;
using ::testing::IsEmpty;
using testing::optionError;

TEST(DescriptionTest, CountsCharactersNotBytes) {
    EXPECT_FALSE(isValidDescription(std::nullopt, 1));
    EXPECT_FALSE(isValidDescription("", 1));
    EXPECT_FALSE(isValidDescription("short", 10));
    EXPECT_TRUE(isValidDescription("ten chars!", 10));
    // Five characters, ten bytes.
    EXPECT_FALSE(isValidDescription("\u00e9\u00e9\u00e9\u00e9\u00e9", 6));
    EXPECT_TRUE(isValidDescription("\u00e9\u00e9\u00e9\u00e9\u00e9", 5));
}

constexpr std::string_view kTags = R"(openapi: 3.1.0
info: {title: t, version: '1'}
paths: {}
tags:
  - {name: none}
  - {name: short, description: Pets.}
  - {name: long, description: Everything about pets.}
  - {name: silenced, x-lint-disable: [tag-description-defined]}
)";

TEST(TagDescriptionDefinedTest, ReportsTagsWithoutMeaningfulDescription) {
    EXPECT_THAT(findings("tag-description-defined", kTags),
                ElementsAre("Tag 'none' has no meaningful description defined @ /tags/0",
                            "Tag 'short' has no meaningful description defined @ /tags/1"));
    EXPECT_THAT(findings("tag-description-defined", kTags, R"("5")"),
                ElementsAre("Tag 'none' has no meaningful description defined @ /tags/0"));
    EXPECT_THAT(findings("tag-description-defined", kTags, R"({"minLength": 30})"),
                ElementsAre("Tag 'none' has no meaningful description defined @ /tags/0",
                            "Tag 'short' has no meaningful description defined @ /tags/1",
                            "Tag 'long' has no meaningful description defined @ /tags/2"));
    EXPECT_THAT(findings("tag-description-defined",
                         std::string(kTags) + "x-zephalon-lint-disable: [tag-description-defined]\n"),
                IsEmpty());
}

TEST(TagDescriptionDefinedTest, RefusesMinimumLengthsThatAreNotPositive) {
    const std::string prefix = "Rule 'tag-description-defined': ";
    EXPECT_EQ(optionError("tag-description-defined", "null"), prefix + "Options must not be null");
    EXPECT_EQ(optionError("tag-description-defined", "10"), prefix + "Options must be a string or an object");
    for (const char* bad : {R"("0")", R"("-3")", R"("ten")", R"("")", R"({"minLength": 0})", R"({"minLength": "5"})",
                            R"({"minLength": 2.5})"}) {
        EXPECT_EQ(optionError("tag-description-defined", bad),
                  prefix + "Minimal description length must be a positive number")
            << bad;
    }
    EXPECT_EQ(optionError("tag-description-defined", "{}"), "no error");
}

}  // namespace
}  // namespace zephalon::openapi_lint
