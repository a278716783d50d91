#include <fmt/format.h>

#include <algorithm>
#include <array>

#include "zephalon/openapi_generator_doc_html/doc_html.h"

namespace zephalon::openapi_generator::doc_html {
namespace {

// ISO 639-1 two-letter language codes.
constexpr std::array<std::string_view, 183> kLanguageCodes{
    "aa", "ab", "ae", "af", "ak", "am", "an", "ar", "as", "av", "ay", "az", "ba", "be", "bg", "bi", "bm", "bn", "bo",
    "br", "bs", "ca", "ce", "ch", "co", "cr", "cs", "cu", "cv", "cy", "da", "de", "dv", "dz", "ee", "el", "en", "eo",
    "es", "et", "eu", "fa", "ff", "fi", "fj", "fo", "fr", "fy", "ga", "gd", "gl", "gn", "gu", "gv", "ha", "he", "hi",
    "ho", "hr", "ht", "hu", "hy", "hz", "ia", "id", "ie", "ig", "ii", "ik", "io", "is", "it", "iu", "ja", "jv", "ka",
    "kg", "ki", "kj", "kk", "kl", "km", "kn", "ko", "kr", "ks", "ku", "kv", "kw", "ky", "la", "lb", "lg", "li", "ln",
    "lo", "lt", "lu", "lv", "mg", "mh", "mi", "mk", "ml", "mn", "mr", "ms", "mt", "my", "na", "nb", "nd", "ne", "ng",
    "nl", "nn", "no", "nr", "nv", "ny", "oc", "oj", "om", "or", "os", "pa", "pi", "pl", "ps", "pt", "qu", "rm", "rn",
    "ro", "ru", "rw", "sa", "sc", "sd", "se", "sg", "si", "sk", "sl", "sm", "sn", "so", "sq", "sr", "ss", "st", "su",
    "sv", "sw", "ta", "te", "tg", "th", "ti", "tk", "tl", "tn", "to", "tr", "ts", "tt", "tw", "ty", "ug", "uk", "ur",
    "uz", "ve", "vi", "vo", "wa", "wo", "xh", "yi", "yo", "za", "zh", "zu"};

bool boolean(const jv::JV& object, std::string_view key, bool fallback) {
    const jv::JV* value = object.property(key);
    if (value == nullptr) return fallback;
    if (!value->isBoolean()) throw ConfigError(fmt::format("{} must be a boolean", key));
    return value->booleanValue();
}

std::optional<std::string> string(const jv::JV& object, std::string_view key, std::string_view path) {
    const jv::JV* value = object.property(key);
    if (value == nullptr) return std::nullopt;
    if (!value->isString()) throw ConfigError(fmt::format("{} must be a string", path));
    return std::string(value->stringValue());
}

template <class Enum, std::size_t N>
Enum choice(const jv::JV& object, std::string_view key, Enum fallback,
            const std::array<std::pair<std::string_view, Enum>, N>& names) {
    const jv::JV* value = object.property(key);
    if (value == nullptr) return fallback;
    if (value->isString()) {
        for (const auto& [name, result] : names) {
            if (name == value->stringValue()) return result;
        }
    }
    std::string allowed;
    for (const auto& [name, result] : names) allowed += fmt::format("{}\"{}\"", allowed.empty() ? "" : ", ", name);
    throw ConfigError(fmt::format("{} must be one of {}", key, allowed));
}

SidebarItem sidebarItem(const jv::JV& value, int depth) {
    if (value.isString()) {
        const std::string_view name = value.stringValue();
        if (name == "overview") return {SidebarItem::Kind::overview, {}, {}, {}};
        if (name == "operations") return {SidebarItem::Kind::operations, {}, {}, {}};
        if (name == "resources") return {SidebarItem::Kind::resources, {}, {}, {}};
        throw ConfigError(fmt::format("Unknown sidebar item: '{}'", name));
    }
    if (value.isObject() && value.property("text") != nullptr && value.property("text")->isString()) {
        const std::string text(value.property("text")->stringValue());
        const jv::JV* href = value.property("href");
        const jv::JV* items = value.property("items");
        if (href != nullptr && href->isString() && items == nullptr) {
            return {SidebarItem::Kind::link, text, std::string(href->stringValue()), {}};
        }
        // Groups hold links and predefined items; a group inside a group would not fit the sidebar's two levels.
        if (items != nullptr && items->isArray() && href == nullptr && depth == 0) {
            SidebarItem group{SidebarItem::Kind::group, text, {}, {}};
            for (const jv::JV* item : items->items()) group.items.push_back(sidebarItem(*item, depth + 1));
            return group;
        }
    }
    throw ConfigError(
        "A sidebar item must be \"overview\", \"operations\", \"resources\", an object with \"text\" and \"href\" or "
        "an object with \"text\" and \"items\"");
}

void readI18n(const jv::JV& i18n, Configuration& config) {
    if (!i18n.isObject()) throw ConfigError("i18n must be an object");
    if (const jv::JV* locales = i18n.property("locales")) {
        if (!locales->isArray()) throw ConfigError("Locales must be an array");
        if (locales->size() == 0) throw ConfigError("Locales array cannot be empty");
        for (const jv::JV* locale : locales->items()) {
            if (!locale->isString()) throw ConfigError("Locale must be a string");
            const std::string_view code = locale->stringValue();
            if (std::find(kLanguageCodes.begin(), kLanguageCodes.end(), code) == kLanguageCodes.end()) {
                throw ConfigError("Not a valid ISO 639-1 language code");
            }
            // A locale listed twice would generate its pages twice.
            if (std::find(config.locales.begin(), config.locales.end(), code) == config.locales.end()) {
                config.locales.emplace_back(code);
            }
        }
    }
    config.defaultLocale = string(i18n, "default_locale", "default_locale");
    if (config.defaultLocale &&
        std::find(config.locales.begin(), config.locales.end(), *config.defaultLocale) == config.locales.end()) {
        throw ConfigError("Value of the default_locale is not in the locales array");
    }
    config.prefixDefaultLocale = boolean(i18n, "prefix_default_locale", false);
    if (config.prefixDefaultLocale && !config.defaultLocale) {
        throw ConfigError("When prefix_defule_locale is used, default_locale must also be set");
    }
}

}  // namespace

std::string_view sidebarOperationItemLayoutToTemplate(SidebarOperationItemLayout layout) {
    switch (layout) {
        case SidebarOperationItemLayout::method_url_summary:
            return "method-url-summary";
        case SidebarOperationItemLayout::url_method_summary:
            return "url-method-summary";
        case SidebarOperationItemLayout::method_url:
            return "method-url";
        case SidebarOperationItemLayout::url_method:
            return "url-method";
        case SidebarOperationItemLayout::summary:
            return "summary";
    }
    return "method-url-summary";
}

bool Configuration::hasRequestCodeExample(RequestBodyExampleVariant variant) const {
    return std::find(requestCodeExamples.begin(), requestCodeExamples.end(), variant) != requestCodeExamples.end();
}

Configuration Configuration::fromJV(const jv::JV& value) {
    if (!value.isObject()) throw ConfigError("The doc_html configuration must be an object");
    Configuration config;
    config.htmlTitlePrefix = string(value, "html_title_prefix", "html_title_prefix");
    if (const jv::JV* meta = value.property("html_meta")) {
        if (!meta->isObject()) throw ConfigError("html_meta must be an object");
        config.metaAuthor = string(*meta, "author", "html_meta.author");
        config.metaDescription = string(*meta, "description", "html_meta.description");
        config.metaGenerator = string(*meta, "generator", "html_meta.generator");
        config.metaKeywords = string(*meta, "keywords", "html_meta.keywords");
    }
    config.pages = boolean(value, "pages", config.pages);
    config.operations = choice(value, "operations", config.operations,
                               std::array<std::pair<std::string_view, OperationGranularity>, 3>{{
                                   {"merge", OperationGranularity::merge},
                                   {"group", OperationGranularity::group},
                                   {"separate", OperationGranularity::separate},
                               }});
    config.resources = choice(value, "resources", config.resources,
                              std::array<std::pair<std::string_view, ResourceGranularity>, 2>{{
                                  {"merge", ResourceGranularity::merge},
                                  {"separate", ResourceGranularity::separate},
                              }});
    config.search = boolean(value, "search", config.search);
    config.changelog = boolean(value, "changelog", config.changelog);
    if (const jv::JV* schema = value.property("openapi_schema")) {
        if (schema->isBoolean()) {
            config.openapiSchema = schema->booleanValue();
        } else if (schema->isString()) {
            config.openapiSchema = true;
            config.openapiSchemaFileName = std::string(schema->stringValue());
        } else {
            throw ConfigError("openapi_schema must be a boolean or a string");
        }
    }
    if (const jv::JV* templ = value.property("template")) {
        if (!templ->isObject()) throw ConfigError("template must be an object");
        if (auto name = string(*templ, "package", "template.package")) config.templatePackage = *name;
        if (auto version = string(*templ, "version", "template.version")) config.templateVersion = *version;
    }
    if (const jv::JV* sidebar = value.property("sidebar")) {
        if (!sidebar->isObject()) throw ConfigError("sidebar must be an object");
        if (const jv::JV* items = sidebar->property("items")) {
            if (!items->isArray()) throw ConfigError("sidebar.items must be an array");
            config.sidebarItems.clear();
            for (const jv::JV* item : items->items()) config.sidebarItems.push_back(sidebarItem(*item, 0));
        }
        config.operationItemLayout = choice(*sidebar, "operation_item_layout", config.operationItemLayout,
                                            std::array<std::pair<std::string_view, SidebarOperationItemLayout>, 5>{{
                                                {"method_url_summary", SidebarOperationItemLayout::method_url_summary},
                                                {"url_method_summary", SidebarOperationItemLayout::url_method_summary},
                                                {"method_url", SidebarOperationItemLayout::method_url},
                                                {"url_method", SidebarOperationItemLayout::url_method},
                                                {"summary", SidebarOperationItemLayout::summary},
                                            }});
    }
    if (const jv::JV* i18n = value.property("i18n")) readI18n(*i18n, config);
    if (const jv::JV* examples = value.property("request_code_examples")) {
        if (examples->isBoolean()) {
            config.requestCodeExamples.clear();
            if (examples->booleanValue()) {
                config.requestCodeExamples = {RequestBodyExampleVariant::curl, RequestBodyExampleVariant::vanilla_js};
            }
        } else if (examples->isArray()) {
            config.requestCodeExamples.clear();
            for (const jv::JV* example : examples->items()) {
                if (!example->isString()) throw ConfigError("Request code example must be a string");
                RequestBodyExampleVariant variant;
                if (example->stringValue() == "curl") {
                    variant = RequestBodyExampleVariant::curl;
                } else if (example->stringValue() == "vanilla_js") {
                    variant = RequestBodyExampleVariant::vanilla_js;
                } else {
                    throw ConfigError(fmt::format("Unknown request code example: '{}'", example->stringValue()));
                }
                if (!config.hasRequestCodeExample(variant)) config.requestCodeExamples.push_back(variant);
            }
        } else {
            throw ConfigError("request_code_examples must be an array or a boolean");
        }
    }
    config.useRequestBodyExamples = boolean(value, "use_request_body_examples", config.useRequestBodyExamples);
    config.generateResponseSchema = boolean(value, "generate_response_schema", config.generateResponseSchema);
    config.useResponseExamples = boolean(value, "use_response_examples", config.useResponseExamples);
    config.failOnGeneratorError = boolean(value, "fail_on_generator_error", config.failOnGeneratorError);
    return config;
}

const std::map<std::string, std::string, std::less<>>& templateImports() {
    static const std::map<std::string, std::string, std::less<>> imports = [] {
        std::map<std::string, std::string, std::less<>> table{
            {"Layout", "src/layouts/Layout.astro"},
            {"CodeBlock", "src/components/code/CodeBlock.astro"},
            {"OperationUsageList", "src/components/operation/UsageList.astro"},
            {"OperationUsageEntry", "src/components/operation/UsageEntry.astro"},
            {"ResourceUsageList", "src/components/schema/UsageList.astro"},
            {"ResourceUsageEntry", "src/components/schema/UsageEntry.astro"},
            {"Property", "src/components/schema/Property.astro"},
            {"astroConfig", "astro.config.mjs"},
        };
        for (std::string_view name :
             {"Header", "Group", "Operation", "Resource", "ExternalLink", "Sidebar", "Overview"}) {
            table.emplace(name, fmt::format("src/components/{}.astro", name));
        }
        for (std::string_view name : {"SearchForm", "SearchResults", "SearchEntry"}) {
            table.emplace(name, fmt::format("src/components/search/{}.astro", name));
        }
        for (std::string_view name :
             {"SecurityRequirements", "SecurityRequirement", "Parameter", "RequestBody", "Response", "Responses",
              "RequestExample", "RequestExamples", "ResponseExamples", "ResponseSchemas"}) {
            table.emplace(name, fmt::format("src/components/operation/{}.astro", name));
        }
        for (std::string_view name : {"OverviewItem", "OperationItem", "OperationItemGroup", "OperationsWrapper",
                                      "ResourceItem", "ResourcesWrapper", "CustomItem", "CustomItemGroup"}) {
            table.emplace(name, fmt::format("src/components/sidebar/{}.astro", name));
        }
        for (std::string_view name : {"Contact", "License", "Server", "Tag", "SecurityScheme"}) {
            table.emplace(name, fmt::format("src/components/overview/{}.astro", name));
        }
        return table;
    }();
    return imports;
}

}  // namespace zephalon::openapi_generator::doc_html
