#include "zephalon/openapi_format/configuration.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "zephalon/jv/file_io.h"

namespace zephalon::openapi_format {
namespace {

std::unique_ptr<jv::JVDoc> json(std::string_view text) { return jv::readString(text, FileFormat::JSON); }

std::string fromJVError(std::string_view section) {
    Configuration config;
    auto doc = json(section);
    try {
        config.fromJV(*doc->root());
    } catch (const ConfigurationError& e) {
        // The node at fault, which the command turns into a position or a member path.
        return fmt::format("{} at '{}'{}", e.what(), e.node->pointer(), e.member.empty() ? "" : " member " + e.member);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

TEST(Configuration, DefaultsAndReset) {
    Configuration config;
    EXPECT_FALSE(config.format());
    EXPECT_EQ(config.indentSize(), 2u);
    EXPECT_EQ(config.propertyOrder("operation"), PropertyOrder::Original);

    config.setSortedPropertyOrder("operation");
    config.setIndentSize(4);
    config.reset();
    EXPECT_EQ(config.format(), FileFormat::YAML);
    EXPECT_EQ(config.indentSize(), 2u);
    EXPECT_EQ(config.propertyOrder("operation"), PropertyOrder::Original);
}

TEST(Configuration, ReadsFormatIndentAndOrders) {
    Configuration config;
    config.fromJV(*json(R"({"openapi": {"format": "json", "indent": 4, "property_order": {
        "default": "sorted", "info": "original", "tag": ["name", "description"]}}})")
                       ->root());
    EXPECT_EQ(config.format(), FileFormat::JSON);
    EXPECT_EQ(config.indentSize(), 4u);
    EXPECT_EQ(config.defaultPropertyOrder(), PropertyOrder::Sorted);
    EXPECT_EQ(config.propertyOrder("schema"), PropertyOrder::Sorted);
    EXPECT_EQ(config.propertyOrder("info"), PropertyOrder::Original);
    ASSERT_EQ(config.propertyOrder("tag"), PropertyOrder::Fixed);
    EXPECT_EQ(*config.fixedPropertyOrder("tag"), (std::vector<std::string>{"name", "description"}));
    EXPECT_EQ(config.fixedPropertyOrder("info"), nullptr);
}

TEST(Configuration, ExtendsRecommendedAndOverridesSingleKinds) {
    Configuration config;
    config.fromJV(
        *json(R"({"extends": ["recommended"], "openapi": {"property_order": {"operation": "sorted"}}})")->root());
    EXPECT_EQ(config.propertyOrder("operation"), PropertyOrder::Sorted);
    EXPECT_EQ(config.propertyOrder("responses"), PropertyOrder::Sorted);
    ASSERT_EQ(config.propertyOrder("info"), PropertyOrder::Fixed);
    EXPECT_EQ(config.fixedPropertyOrder("info")->front(), "title");
    // The recommended configuration sets no format: the output keeps the input's.
    EXPECT_FALSE(config.format());

    // "original" extends nothing beyond the defaults.
    Configuration original;
    original.fromJV(*json(R"({"extends": ["original"], "openapi": {}})")->root());
    EXPECT_EQ(original.propertyOrder("info"), PropertyOrder::Original);
}

TEST(Configuration, RejectsBadSectionsWithTheirMessages) {
    EXPECT_EQ(fromJVError(R"({})"), "is required at '' member openapi");
    EXPECT_EQ(fromJVError(R"({"extends": [1], "openapi": {}})"), "Extends must be a string at '/extends/0'");
    EXPECT_EQ(fromJVError(R"({"extends": ["strict"], "openapi": {}})"),
              "Unknown extends value: strict at '/extends/0'");
    EXPECT_EQ(fromJVError(R"({"openapi": {"format": "xml"}})"), "Unknown file format: xml at '/openapi/format'");
    EXPECT_EQ(fromJVError(R"({"openapi": {"indent": 1}})"), "Invalid indent size (2 to 9) at '/openapi/indent'");
    EXPECT_EQ(fromJVError(R"({"openapi": {"indent": 0}})"), "Invalid indent size (2 to 9) at '/openapi/indent'");
    EXPECT_EQ(fromJVError(R"({"openapi": {"indent": -3}})"), "Invalid indent size (2 to 9) at '/openapi/indent'");
    // Beyond what the YAML emitter can honour, instead of silently falling back to 2 or writing huge indents.
    EXPECT_EQ(fromJVError(R"({"openapi": {"indent": 10}})"), "Invalid indent size (2 to 9) at '/openapi/indent'");
    EXPECT_EQ(fromJVError(R"({"openapi": {"indent": 2.5}})"), "An integer value is expected for 'indent'.");
    EXPECT_EQ(fromJVError(R"({"openapi": {"property_order": {"default": ["a"]}}})"),
              "Default order must be a string at '/openapi/property_order/default'");
    EXPECT_EQ(fromJVError(R"({"openapi": {"property_order": {"default": "fixed"}}})"),
              "Unsupported order shortcut: fixed at '/openapi/property_order/default'");
    EXPECT_EQ(fromJVError(R"({"openapi": {"property_order": {"info": "reversed"}}})"),
              "Unsupported order shortcut: reversed at '/openapi/property_order/info'");
    EXPECT_EQ(fromJVError(R"({"openapi": {"property_order": {"info": ["title", 2]}}})"),
              "Element is not a string at '/openapi/property_order/info/1'");
    EXPECT_EQ(fromJVError(R"({"openapi": {"property_order": {"info": {}}}})"),
              "Property order block must be a string or an array at '/openapi/property_order/info'");

    Configuration config;
    EXPECT_THROW(config.setDefaultPropertyOrder(PropertyOrder::Fixed), std::runtime_error);
    EXPECT_EQ(config.defaultPropertyOrder(), PropertyOrder::Original);
}

}  // namespace
}  // namespace zephalon::openapi_format
