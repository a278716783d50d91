#pragma once

// The documentation site generator: turns a document into the source of a static Astro site whose pages import
// their layout and shared components from a template package.
//
//     Generator generator;
//     generator.setInputPath("api.yaml");
//     auto* plugin = generator.addPlugin(std::make_unique<doc_html::Plugin>(generator.context()));
//     plugin->setOutputPath("site");
//     generator.run();          // then: cd site && npm install && npm run build
//
// Texts of the document reach the pages as data (JSON in the pages' script part), never as page source: only the
// HTML that the Markdown renderer makes of descriptions is inserted as HTML.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/jv/jv.h"
#include "zephalon/openapi_generator/generator.h"

namespace zephalon::openapi_generator::doc_html {

enum class OperationGranularity { merge, group, separate };
enum class ResourceGranularity { merge, separate };
enum class SidebarOperationItemLayout { method_url_summary, url_method_summary, method_url, url_method, summary };
enum class RequestBodyExampleVariant { curl, vanilla_js };

// "method-url-summary", "url-method-summary", "method-url", "url-method", "summary": the names the templates use.
std::string_view sidebarOperationItemLayoutToTemplate(SidebarOperationItemLayout layout);

// One entry of the sidebar.
struct SidebarItem {
    enum class Kind { overview, operations, resources, link, group };
    Kind kind = Kind::overview;
    std::string text;                // link and group
    std::string href;                // link
    std::vector<SidebarItem> items;  // group
};

class Configuration {
  public:
    std::optional<std::string> htmlTitlePrefix;
    std::optional<std::string> metaAuthor;
    std::optional<std::string> metaDescription;
    std::optional<std::string> metaGenerator;
    std::optional<std::string> metaKeywords;
    bool pages = true;
    OperationGranularity operations = OperationGranularity::merge;
    ResourceGranularity resources = ResourceGranularity::merge;
    bool search = true;
    bool changelog = false;
    // Copy the document into the site: not at all, under a chosen file name, or (true) under "openapi" plus the
    // document's own extension.
    bool openapiSchema = false;
    std::optional<std::string> openapiSchemaFileName;
    std::string templatePackage = "@tarnwell/zephalon-doc-html-template";
    // Any npm version specifier, a "file:" path too.
    std::string templateVersion = "^0.1.0";
    std::vector<SidebarItem> sidebarItems{
        {SidebarItem::Kind::overview, {}, {}, {}},
        {SidebarItem::Kind::operations, {}, {}, {}},
        {SidebarItem::Kind::resources, {}, {}, {}},
    };
    SidebarOperationItemLayout operationItemLayout = SidebarOperationItemLayout::method_url_summary;
    // Empty: a single-language site.
    std::vector<std::string> locales;
    std::optional<std::string> defaultLocale;
    bool prefixDefaultLocale = false;
    std::vector<RequestBodyExampleVariant> requestCodeExamples{RequestBodyExampleVariant::curl,
                                                               RequestBodyExampleVariant::vanilla_js};
    bool useRequestBodyExamples = true;
    bool generateResponseSchema = true;
    bool useResponseExamples = true;
    bool failOnGeneratorError = false;

    std::string packageName = "@tarnwell/api-html-doc";
    std::string packageVersion = "0.1.0";

    bool hasRequestCodeExample(RequestBodyExampleVariant variant) const;

    // Reads the "/commands/generate/doc_html" section; absent keys keep their defaults. Bad values raise ConfigError
    // with a message naming the key.
    static Configuration fromJV(const jv::JV& value);
};

// Import paths of the shared components inside the template package, by component name ("Layout",
// "CodeBlock", ..., "astroConfig").
const std::map<std::string, std::string, std::less<>>& templateImports();

class Plugin : public openapi_generator::Plugin {
  public:
    explicit Plugin(openapi_generator::Context& context);
    ~Plugin() override;

    // "packageName" and "packageVersion" also set the generated package's name and version.
    void setOption(std::string_view name, std::string_view value) override;
    void setConfig(const jv::JV* root) override;
    void setDefaultConfig() override;
    void configureSelf() override;
    void configureParts() override;
    void generateCode() override;

    const Configuration& configuration() const { return configuration_; }
    Configuration& configuration() { return configuration_; }

  private:
    struct State;

    Configuration configuration_;
    std::optional<std::string> packageNameOption_;
    std::optional<std::string> packageVersionOption_;
    std::unique_ptr<State> state_;
};

}  // namespace zephalon::openapi_generator::doc_html
