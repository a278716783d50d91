// Reading the generator's section of the configuration file: defaults, every key and every refusal.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi_generator_doc_html/doc_html.h"

namespace zephalon::openapi_generator::doc_html {
namespace {

Configuration read(std::string_view yaml) {
    auto doc = jv::readString(yaml, FileFormat::YAML);
    return Configuration::fromJV(*doc->root());
}

std::string error(std::string_view yaml) {
    try {
        read(yaml);
    } catch (const ConfigError& failure) {
        return failure.what();
    }
    return "no error";
}

TEST(ConfigurationTest, AnEmptySectionKeepsEveryDefault) {
    const Configuration config = read("{}");
    EXPECT_TRUE(config.pages);
    EXPECT_EQ(config.operations, OperationGranularity::merge);
    EXPECT_EQ(config.resources, ResourceGranularity::merge);
    EXPECT_TRUE(config.search);
    EXPECT_FALSE(config.changelog);
    EXPECT_FALSE(config.openapiSchema);
    EXPECT_EQ(config.templatePackage, "@tarnwell/zephalon-doc-html-template");
    EXPECT_EQ(config.templateVersion, "^0.1.0");
    ASSERT_EQ(config.sidebarItems.size(), 3u);
    EXPECT_EQ(config.sidebarItems[1].kind, SidebarItem::Kind::operations);
    EXPECT_EQ(config.operationItemLayout, SidebarOperationItemLayout::method_url_summary);
    EXPECT_TRUE(config.locales.empty());
    EXPECT_TRUE(config.hasRequestCodeExample(RequestBodyExampleVariant::curl));
    EXPECT_TRUE(config.hasRequestCodeExample(RequestBodyExampleVariant::vanilla_js));
    EXPECT_TRUE(config.useRequestBodyExamples && config.generateResponseSchema && config.useResponseExamples);
    EXPECT_FALSE(config.failOnGeneratorError);
    EXPECT_EQ(config.packageName, "@tarnwell/api-html-doc");
    EXPECT_EQ(config.packageVersion, "0.1.0");
}

TEST(ConfigurationTest, ReadsEveryKey) {
    const Configuration config = read(R"(
html_title_prefix: "Zoo - "
html_meta: {author: Ann, description: Animals, generator: hand, keywords: "zoo, api"}
pages: false
operations: separate
resources: separate
search: false
changelog: true
openapi_schema: zoo.yaml
template: {package: "@acme/tpl", version: "file:../tpl"}
sidebar:
  items: [resources, {text: Home, href: "https://example.com"}, {text: More, items: [overview, {text: A, href: /a}]}]
  operation_item_layout: url_method
i18n: {locales: [en, pl, en], default_locale: pl, prefix_default_locale: true}
request_code_examples: [vanilla_js]
use_request_body_examples: false
generate_response_schema: false
use_response_examples: false
fail_on_generator_error: true
)");
    EXPECT_EQ(config.htmlTitlePrefix, "Zoo - ");
    EXPECT_EQ(config.metaKeywords, "zoo, api");
    EXPECT_FALSE(config.pages);
    EXPECT_EQ(config.operations, OperationGranularity::separate);
    EXPECT_EQ(config.resources, ResourceGranularity::separate);
    EXPECT_TRUE(config.changelog);
    EXPECT_TRUE(config.openapiSchema);
    EXPECT_EQ(config.openapiSchemaFileName, "zoo.yaml");
    EXPECT_EQ(config.templateVersion, "file:../tpl");
    ASSERT_EQ(config.sidebarItems.size(), 3u);
    EXPECT_EQ(config.sidebarItems[1].href, "https://example.com");
    ASSERT_EQ(config.sidebarItems[2].items.size(), 2u);
    EXPECT_EQ(config.sidebarItems[2].items[1].text, "A");
    EXPECT_EQ(config.operationItemLayout, SidebarOperationItemLayout::url_method);
    EXPECT_EQ(sidebarOperationItemLayoutToTemplate(config.operationItemLayout), "url-method");
    EXPECT_EQ(config.locales, (std::vector<std::string>{"en", "pl"}));
    EXPECT_EQ(config.defaultLocale, "pl");
    EXPECT_TRUE(config.prefixDefaultLocale);
    EXPECT_FALSE(config.hasRequestCodeExample(RequestBodyExampleVariant::curl));
    EXPECT_TRUE(config.hasRequestCodeExample(RequestBodyExampleVariant::vanilla_js));
    EXPECT_FALSE(config.useRequestBodyExamples || config.generateResponseSchema || config.useResponseExamples);
    EXPECT_TRUE(config.failOnGeneratorError);

    EXPECT_TRUE(read("request_code_examples: false").requestCodeExamples.empty());
    EXPECT_FALSE(read("openapi_schema: false").openapiSchema);
}

TEST(ConfigurationTest, RefusesBadValuesWithTheirMessages) {
    EXPECT_EQ(error("i18n: {locales: []}"), "Locales array cannot be empty");
    EXPECT_EQ(error("i18n: {locales: [en, 5]}"), "Locale must be a string");
    EXPECT_EQ(error("i18n: {locales: [en, english]}"), "Not a valid ISO 639-1 language code");
    EXPECT_EQ(error("i18n: {locales: [en, pl], default_locale: de}"),
              "Value of the default_locale is not in the locales array");
    EXPECT_EQ(error("i18n: {locales: [en, pl], prefix_default_locale: true}"),
              "When prefix_defule_locale is used, default_locale must also be set");
    EXPECT_EQ(error("openapi_schema: 3"), "openapi_schema must be a boolean or a string");
    EXPECT_EQ(error("request_code_examples: curl"), "request_code_examples must be an array or a boolean");
    EXPECT_EQ(error("request_code_examples: [curl, 1]"), "Request code example must be a string");
    EXPECT_EQ(error("request_code_examples: [wget]"), "Unknown request code example: 'wget'");
    EXPECT_EQ(error("operations: single"), "operations must be one of \"merge\", \"group\", \"separate\"");
    EXPECT_EQ(error("pages: yes please"), "pages must be a boolean");
    EXPECT_THAT(error("sidebar: {items: [{text: A}]}"), ::testing::HasSubstr("A sidebar item must be"));
    EXPECT_EQ(error("sidebar: {items: [changelog]}"), "Unknown sidebar item: 'changelog'");
}

}  // namespace
}  // namespace zephalon::openapi_generator::doc_html
