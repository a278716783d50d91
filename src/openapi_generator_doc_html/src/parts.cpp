#include "parts.h"

#include <fmt/format.h>

#include <fstream>
#include <sstream>

namespace zephalon::openapi_generator::doc_html {
namespace {

std::string dump(const json& value) {
    // Invalid UTF-8 in a document text must not end the run: it shows as replacement characters.
    return value.dump(2, ' ', false, json::error_handler_t::replace);
}

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool singlePage(const Configuration& config) {
    return config.operations == OperationGranularity::merge && config.resources == ResourceGranularity::merge;
}

// A part that writes one Astro file.
class AstroPart : public Part {
  public:
    AstroPart(Context& context, Locale locale, std::string path)
        : Part(context, std::move(locale)), path_(std::move(path)) {}

    void generateCode() override { context_.project().addSourceFile(path_)->setText(source_.text()); }

  protected:
    void import(std::string name, std::string_view component) {
        source_.imports.emplace_back(std::move(name), context_.templateImport(component));
    }
    void importLocal(std::string name, std::string_view path) {
        source_.imports.emplace_back(std::move(name), Context::relativeImport(path_, path));
    }
    void constant(std::string name, json value) { source_.constants.emplace_back(std::move(name), std::move(value)); }
    void markup(std::string_view text) { source_.markup += text; }

    std::string path_;
    AstroSource source_;
};

// Components --------------------------------------------------------------------------------------------------

class OperationPart : public AstroPart {
  public:
    OperationPart(Context& context, Locale locale, std::size_t operation)
        : AstroPart(context, locale,
                    Context::componentPath(locale, "operations", context.operationComponent(operation))),
          operation_(operation) {}

    void collectData() override {
        import("Operation", "Operation");
        const std::string usage = context_.operationUsageComponent(operation_);
        importLocal(usage, Context::componentPath(locale_, "operations", usage));
        json data = operationData(context_, locale_, operation_);
        json imports = json::array();
        for (const auto& [name, specifier] : source_.imports) imports.push_back({{"name", name}, {"from", specifier}});
        data["imports"] = std::move(imports);
        constant("data", std::move(data));
        markup(fmt::format("<Operation data={{data}}>\n  <{} slot=\"usage\" />\n</Operation>\n", usage));
    }

  private:
    std::size_t operation_;
};

class OperationUsagePart : public AstroPart {
  public:
    OperationUsagePart(Context& context, Locale locale, std::size_t operation)
        : AstroPart(context, locale,
                    Context::componentPath(locale, "operations", context.operationUsageComponent(operation))),
          operation_(operation) {}

    void collectData() override {
        import("UsageList", "OperationUsageList");
        json entries = json::array();
        for (std::size_t resource : context_.resourcesUsedBy(operation_)) {
            entries.push_back(
                {{"name", context_.resources()[resource].name}, {"href", context_.resourceHref(locale_, resource)}});
        }
        constant("entries", std::move(entries));
        markup("<UsageList entries={entries} />\n");
    }

  private:
    std::size_t operation_;
};

class ResourcePart : public AstroPart {
  public:
    ResourcePart(Context& context, Locale locale, std::size_t resource)
        : AstroPart(context, locale, Context::componentPath(locale, "schemas", context.resourceComponent(resource))),
          resource_(resource) {}

    void collectData() override {
        import("Resource", "Resource");
        const std::string usage = context_.resourceUsageComponent(resource_);
        importLocal(usage, Context::componentPath(locale_, "schemas", usage));
        constant("data", resourceData(context_, locale_, resource_));
        markup(fmt::format("<Resource data={{data}}>\n  <{} slot=\"usage\" />\n</Resource>\n", usage));
    }

  private:
    std::size_t resource_;
};

class ResourceUsagePart : public AstroPart {
  public:
    ResourceUsagePart(Context& context, Locale locale, std::size_t resource)
        : AstroPart(context, locale,
                    Context::componentPath(locale, "schemas", context.resourceUsageComponent(resource))),
          resource_(resource) {}

    void collectData() override {
        import("UsageList", "ResourceUsageList");
        json entries = json::array();
        for (std::size_t operation : context_.operationsUsing(resource_)) {
            const OperationEntry& entry = context_.operations()[operation];
            const auto& summary = entry.info.operation->summary();
            entries.push_back(
                {{"method", openapi::operationMethodToString(entry.info.method)},
                 {"path", entry.info.path},
                 {"summary",
                  summary ? json(context_.text(locale_, entry.info.operation, "summary", *summary)) : json(nullptr)},
                 {"href", context_.operationHref(locale_, operation)}});
        }
        constant("entries", std::move(entries));
        markup("<UsageList entries={entries} />\n");
    }

  private:
    std::size_t resource_;
};

class OverviewPart : public AstroPart {
  public:
    OverviewPart(Context& context, Locale locale)
        : AstroPart(context, locale, Context::componentPath(locale, "", "Overview")) {}

    void collectData() override {
        import("Overview", "Overview");
        constant("data", overviewData(context_, locale_));
        markup("<Overview data={data} />\n");
    }
};

class SidebarOperationsPart : public AstroPart {
  public:
    SidebarOperationsPart(Context& context, Locale locale)
        : AstroPart(context, locale, Context::componentPath(locale, "sidebar", "Operations")) {}

    void collectData() override {
        import("OperationsWrapper", "OperationsWrapper");
        import("OperationItemGroup", "OperationItemGroup");
        import("OperationItem", "OperationItem");
        json groups = json::array();
        auto addGroup = [&](const json& name, const json& href, const std::vector<std::size_t>& operations) {
            json items = json::array();
            for (std::size_t operation : operations) {
                const OperationEntry& entry = context_.operations()[operation];
                const auto& summary = entry.info.operation->summary();
                items.push_back(
                    {{"method", openapi::operationMethodToString(entry.info.method)},
                     {"path", entry.info.path},
                     {"summary", summary ? json(context_.text(locale_, entry.info.operation, "summary", *summary))
                                         : json(nullptr)},
                     {"deprecated", entry.info.operation->deprecated()},
                     {"href", context_.operationHref(locale_, operation)},
                     {"layout", sidebarOperationItemLayoutToTemplate(context_.config().operationItemLayout)}});
            }
            groups.push_back({{"name", name}, {"href", href}, {"items", std::move(items)}});
        };
        const bool grouped = context_.config().operations == OperationGranularity::group;
        for (const GroupEntry& group : context_.groups()) {
            addGroup(group.name, grouped ? json(context_.pageUrl(locale_, "groups/" + group.key)) : json(nullptr),
                     group.operations);
        }
        if (!context_.ungrouped().empty()) {
            addGroup(nullptr, grouped ? json(context_.pageUrl(locale_, "operations")) : json(nullptr),
                     context_.ungrouped());
        }
        constant("groups", std::move(groups));
        markup(
            "<OperationsWrapper>\n"
            "  {groups.map((group) => (\n"
            "    <OperationItemGroup data={group}>\n"
            "      {group.items.map((item) => <OperationItem data={item} />)}\n"
            "    </OperationItemGroup>\n"
            "  ))}\n"
            "</OperationsWrapper>\n");
    }
};

class SidebarResourcesPart : public AstroPart {
  public:
    SidebarResourcesPart(Context& context, Locale locale)
        : AstroPart(context, locale, Context::componentPath(locale, "sidebar", "Resources")) {}

    void collectData() override {
        import("ResourcesWrapper", "ResourcesWrapper");
        import("ResourceItem", "ResourceItem");
        json items = json::array();
        for (std::size_t i = 0; i < context_.resources().size(); ++i) {
            items.push_back({{"name", context_.resources()[i].name}, {"href", context_.resourceHref(locale_, i)}});
        }
        constant("items", std::move(items));
        markup(
            "<ResourcesWrapper>\n"
            "  {items.map((item) => <ResourceItem data={item} />)}\n"
            "</ResourcesWrapper>\n");
    }
};

class SidebarPart : public AstroPart {
  public:
    SidebarPart(Context& context, Locale locale)
        : AstroPart(context, locale, Context::componentPath(locale, "", "Sidebar")) {}

    void collectData() override {
        import("Sidebar", "Sidebar");
        import("OverviewItem", "OverviewItem");
        import("CustomItem", "CustomItem");
        import("CustomItemGroup", "CustomItemGroup");
        importLocal("Operations", Context::componentPath(locale_, "sidebar", "Operations"));
        importLocal("Resources", Context::componentPath(locale_, "sidebar", "Resources"));
        json items = json::array();
        std::string body;
        for (const SidebarItem& item : context_.config().sidebarItems) body += render(item, items, "  ");
        constant("items", std::move(items));
        markup("<Sidebar>\n" + body + "</Sidebar>\n");
    }

  private:
    std::string render(const SidebarItem& item, json& items, const std::string& indent) {
        switch (item.kind) {
            case SidebarItem::Kind::overview: {
                items.push_back({{"text", "Overview"}, {"href", context_.pageUrl(locale_, "index")}});
                return fmt::format("{}<OverviewItem data={{items[{}]}} />\n", indent, items.size() - 1);
            }
            case SidebarItem::Kind::operations:
                return indent + "<Operations />\n";
            case SidebarItem::Kind::resources:
                return indent + "<Resources />\n";
            case SidebarItem::Kind::link:
                items.push_back({{"text", item.text}, {"href", item.href}});
                return fmt::format("{}<CustomItem data={{items[{}]}} />\n", indent, items.size() - 1);
            case SidebarItem::Kind::group: {
                items.push_back({{"text", item.text}});
                std::string text = fmt::format("{}<CustomItemGroup data={{items[{}]}}>\n", indent, items.size() - 1);
                for (const SidebarItem& child : item.items) text += render(child, items, indent + "  ");
                return text + indent + "</CustomItemGroup>\n";
            }
        }
        return {};
    }
};

// Pages -------------------------------------------------------------------------------------------------------

class PagePart : public AstroPart {
  public:
    PagePart(Context& context, Locale locale, std::string directory, std::string name, std::string page,
             std::string title)
        : AstroPart(context, locale, Context::pagePath(locale, directory, name)),
          page_(std::move(page)),
          title_(std::move(title)) {}

    void collectData() override {
        import("Layout", "Layout");
        importLocal("Sidebar", Context::componentPath(locale_, "", "Sidebar"));
        content();
        json page = json::object();
        page["html"] = context_.htmlData(locale_, title_);
        page["localeSelectorData"] = context_.localeSelectorData(locale_, page_);
        json imports = json::array();
        for (const auto& [name, specifier] : source_.imports) imports.push_back({{"name", name}, {"from", specifier}});
        page["imports"] = std::move(imports);
        page["Sidebar"] = "Sidebar";
        page["name"] = title_;
        page["path"] = context_.pageUrl(locale_, page_);
        page.update(extra_);
        source_.constants.insert(source_.constants.begin(), {"page", std::move(page)});
        source_.markup =
            "<Layout html={page.html} localeSelectorData={page.localeSelectorData} path={page.path}>\n"
            "  <Sidebar slot=\"sidebar\" />\n" +
            source_.markup + "</Layout>\n";
    }

  protected:
    virtual void content() = 0;

    void operation(std::size_t index, const std::string& indent) {
        const std::string name = context_.operationComponent(index);
        importLocal(name, Context::componentPath(locale_, "operations", name));
        markup(fmt::format("{}<{} />\n", indent, name));
    }
    void resource(std::size_t index, const std::string& indent) {
        const std::string name = context_.resourceComponent(index);
        importLocal(name, Context::componentPath(locale_, "schemas", name));
        markup(fmt::format("{}<{} />\n", indent, name));
    }
    void group(const json& data, const std::vector<std::size_t>& operations) {
        if (extra_.find("groups") == extra_.end()) extra_["groups"] = json::array();
        extra_["groups"].push_back(data);
        markup(fmt::format("  <Group data={{page.groups[{}]}}>\n", extra_["groups"].size() - 1));
        for (std::size_t operation : operations) this->operation(operation, "    ");
        markup("  </Group>\n");
    }
    json groupData(const GroupEntry& entry) const {
        const openapi::Tag* tag = context_.document().findTag(entry.name);
        json description = nullptr;
        if (tag != nullptr && tag->description()) {
            description = context_.markdown(locale_, tag, "description", *tag->description());
        }
        return {{"id", Context::tagId(entry.name)},
                {"name", tag != nullptr ? context_.text(locale_, tag, "name", entry.name) : entry.name},
                {"description", description}};
    }
    void allOperationGroups() {
        if (extra_.find("groups") == extra_.end()) extra_["groups"] = json::array();
        for (const GroupEntry& entry : context_.groups()) group(groupData(entry), entry.operations);
        if (!context_.ungrouped().empty()) {
            group({{"id", "tag_"}, {"name", "Other operations"}, {"description", nullptr}}, context_.ungrouped());
        }
    }
    void allResources() {
        if (context_.resources().empty()) return;
        if (extra_.find("groups") == extra_.end()) extra_["groups"] = json::array();
        extra_["groups"].push_back({{"id", "resources"}, {"name", "Resources"}, {"description", nullptr}});
        markup(fmt::format("  <Group data={{page.groups[{}]}}>\n", extra_["groups"].size() - 1));
        for (std::size_t i = 0; i < context_.resources().size(); ++i) resource(i, "    ");
        markup("  </Group>\n");
    }
    void importTemplate(std::string name) { import(name, name); }

    std::string page_;
    std::string title_;
    json extra_ = json::object();
};

class SinglePage : public PagePart {
  public:
    SinglePage(Context& context, Locale locale) : PagePart(context, locale, "", "index", "index", "Index") {}

  protected:
    void content() override {
        importTemplate("Group");
        importLocal("Overview", Context::componentPath(locale_, "", "Overview"));
        markup("  <Overview />\n");
        allOperationGroups();
        allResources();
    }
};

class OverviewPage : public PagePart {
  public:
    OverviewPage(Context& context, Locale locale) : PagePart(context, locale, "", "index", "index", "Overview") {}

  protected:
    void content() override {
        importLocal("Overview", Context::componentPath(locale_, "", "Overview"));
        markup("  <Overview />\n");
    }
};

class OperationIndexPage : public PagePart {
  public:
    OperationIndexPage(Context& context, Locale locale)
        : PagePart(context, locale, "", "operations", "operations", "Operations") {}

  protected:
    void content() override {
        importTemplate("Group");
        allOperationGroups();
    }
};

class OperationGroupPage : public PagePart {
  public:
    OperationGroupPage(Context& context, Locale locale, std::size_t group)
        : PagePart(context, locale, "groups", context.groups()[group].key, "groups/" + context.groups()[group].key,
                   fmt::format("Operations {}", context.groups()[group].name)),
          group_(group) {}

  protected:
    void content() override {
        importTemplate("Group");
        const GroupEntry& entry = context_.groups()[group_];
        group(groupData(entry), entry.operations);
    }

  private:
    std::size_t group_;
};

class UngroupedOperationsPage : public PagePart {
  public:
    UngroupedOperationsPage(Context& context, Locale locale)
        : PagePart(context, locale, "", "operations", "operations", "Operations (ungrouped)") {}

  protected:
    void content() override {
        importTemplate("Group");
        group({{"id", "tag_"}, {"name", "Operations (ungrouped)"}, {"description", nullptr}}, context_.ungrouped());
    }
};

class OperationPage : public PagePart {
  public:
    OperationPage(Context& context, Locale locale, std::size_t operation)
        : PagePart(context, locale, "operations", context.operations()[operation].key,
                   "operations/" + context.operations()[operation].key,
                   fmt::format("Operation {} {}",
                               upper(openapi::operationMethodToString(context.operations()[operation].info.method)),
                               context.operations()[operation].info.path)),
          operation_(operation) {}

  protected:
    void content() override { operation(operation_, "  "); }

  private:
    std::size_t operation_;
};

class ResourceIndexPage : public PagePart {
  public:
    ResourceIndexPage(Context& context, Locale locale)
        : PagePart(context, locale, "", "resources", "resources", "Resources") {}

  protected:
    void content() override {
        importTemplate("Group");
        allResources();
    }
};

class ResourcePage : public PagePart {
  public:
    ResourcePage(Context& context, Locale locale, std::size_t resource)
        : PagePart(context, locale, "resources", context.resources()[resource].key,
                   "resources/" + context.resources()[resource].key,
                   fmt::format("Resource {}", context.resources()[resource].name)),
          resource_(resource) {}

  protected:
    void content() override { resource(resource_, "  "); }

  private:
    std::size_t resource_;
};

class SearchPage : public PagePart {
  public:
    SearchPage(Context& context, Locale locale) : PagePart(context, locale, "", "search", "search", "Search") {}

  protected:
    void content() override {
        importTemplate("Header");
        importTemplate("SearchForm");
        importTemplate("SearchResults");
        json entries = json::array();
        for (std::size_t i = 0; i < context_.operations().size(); ++i) {
            const OperationEntry& entry = context_.operations()[i];
            const openapi::Operation& operation = *entry.info.operation;
            entries.push_back(
                {{"kind", "operation"},
                 {"method", openapi::operationMethodToString(entry.info.method)},
                 {"path", entry.info.path},
                 {"title", operation.summary()
                               ? json(context_.text(locale_, &operation, "summary", *operation.summary()))
                               : json(nullptr)},
                 {"operationId", operation.operationId() ? json(*operation.operationId()) : json(nullptr)},
                 {"href", context_.operationHref(locale_, i)}});
        }
        for (std::size_t i = 0; i < context_.resources().size(); ++i) {
            entries.push_back({{"kind", "resource"},
                               {"method", nullptr},
                               {"path", nullptr},
                               {"title", context_.resources()[i].name},
                               {"operationId", nullptr},
                               {"href", context_.resourceHref(locale_, i)}});
        }
        extra_["entries"] = std::move(entries);
        markup(
            "  <Header title={page.name} />\n"
            "  <SearchForm />\n"
            "  <SearchResults entries={page.entries} />\n");
    }
};

class ChangelogPage : public PagePart {
  public:
    ChangelogPage(Context& context, Locale locale)
        : PagePart(context, locale, "", "changelog", "changelog", "Changelog") {}

  protected:
    void content() override {
        importTemplate("Header");
        const openapi::Info* info = context_.document().info();
        extra_["changelog"] = {{"title", info != nullptr ? context_.text(locale_, info, "title", info->title()) : ""},
                               {"version", info != nullptr ? info->version() : ""}};
        markup(
            "  <Header title={page.name} />\n"
            "  <p class=\"text-slate-700\">{page.changelog.title} {page.changelog.version}</p>\n");
    }
};

// The page at "/" of a site whose every locale has its own prefix: links to each of them.
class MultiLocaleIndexPage : public AstroPart {
  public:
    explicit MultiLocaleIndexPage(Context& context)
        : AstroPart(context, Locale{}, Context::pagePath(Locale{}, "", "index")) {}

    void collectData() override {
        import("Layout", "Layout");
        import("Header", "Header");
        json page = json::object();
        page["html"] = context_.htmlData(Locale{context_.defaultLocale(), false}, "Index");
        json options = json::array();
        for (const Locale& locale : context_.locales()) {
            options.push_back(
                {{"value", locale.code}, {"href", context_.pageUrl(locale, "index")}, {"label", locale.code}});
        }
        page["localeSelectorData"] = {{"current", context_.defaultLocale()}, {"options", options}};
        page["name"] = "Index";
        page["path"] = "/";
        constant("page", std::move(page));
        markup(
            "<Layout html={page.html} localeSelectorData={page.localeSelectorData} path={page.path}>\n"
            "  <Header title={page.name} />\n"
            "  <ul class=\"list-disc pl-6\">\n"
            "    {page.localeSelectorData.options.map((option) => (\n"
            "      <li><a class=\"text-sky-700 underline\" href={option.href} "
            "lang={option.value}>{option.label}</a></li>\n"
            "    ))}\n"
            "  </ul>\n"
            "</Layout>\n");
    }
};

// Files -------------------------------------------------------------------------------------------------------

class TextPart : public Part {
  public:
    TextPart(Context& context, std::string path) : Part(context, Locale{}), path_(std::move(path)) {}
    void generateCode() override { context_.project().addSourceFile(path_)->setText(text_); }

  protected:
    std::string path_;
    std::string text_;
};

// Versions the template package is built and tested with.
constexpr std::string_view kAstroVersion = "5.9.4";
constexpr std::string_view kAstroTailwindVersion = "5.1.5";
constexpr std::string_view kTailwindVersion = "3.4.9";

class PackageJson : public TextPart {
  public:
    PackageJson(Context& context, std::string name, std::string version)
        : TextPart(context, "package.json"), name_(std::move(name)), version_(std::move(version)) {}
    void collectData() override {
        json package = json::object();
        package["name"] = name_;
        package["version"] = version_;
        package["private"] = true;
        package["type"] = "module";
        package["scripts"] = {{"dev", "astro dev"}, {"build", "astro build"}, {"preview", "astro preview"}};
        package["dependencies"] = {{"@astrojs/tailwind", kAstroTailwindVersion},
                                   {"astro", kAstroVersion},
                                   {"tailwindcss", kTailwindVersion},
                                   {context_.config().templatePackage, context_.config().templateVersion}};
        text_ = dump(package) + "\n";
    }

  private:
    std::string name_;
    std::string version_;
};

class TypeScriptConfig : public TextPart {
  public:
    explicit TypeScriptConfig(Context& context) : TextPart(context, "tsconfig.json") {}
    void collectData() override {
        text_ = dump({{"extends", "astro/tsconfigs/strict"},
                      {"include", {".astro/types.d.ts", "**/*"}},
                      {"exclude", {"dist"}}}) +
                "\n";
    }
};

class AstroConfig : public TextPart {
  public:
    explicit AstroConfig(Context& context) : TextPart(context, "astro.config.mjs") {}
    void collectData() override {
        text_ =
            "import { defineConfig } from \"astro/config\";\n"
            "import tailwind from \"@astrojs/tailwind\";\n\n"
            "export default defineConfig({\n"
            "  integrations: [tailwind()],\n";
        if (context_.multiLanguage()) {
            json locales = context_.config().locales;
            text_ += fmt::format(
                "  i18n: {{\n"
                "    locales: {},\n"
                "    defaultLocale: {},\n"
                "    routing: \"manual\",\n"
                "  }},\n",
                locales.dump(), json(context_.defaultLocale()).dump());
        }
        text_ += "});\n";
    }
};

class TailwindConfig : public TextPart {
  public:
    explicit TailwindConfig(Context& context) : TextPart(context, "tailwind.config.cjs") {}
    void collectData() override {
        const json content = {
            "./src/**/*.{astro,html,js,ts}",
            fmt::format("./node_modules/{}/src/**/*.{{astro,html,js,ts}}", context_.config().templatePackage)};
        text_ = fmt::format(
            "/** @type {{import('tailwindcss').Config}} */\n"
            "module.exports = {{\n"
            "  content: {},\n"
            "  theme: {{ extend: {{}} }},\n"
            "  plugins: [],\n"
            "}};\n",
            content.dump());
    }
};

// npm links a "file:" folder into node_modules, where its components would look for Astro beside the folder
// instead of in this site: installing it as a copy keeps one Astro for the whole site.
class NpmConfig : public TextPart {
  public:
    explicit NpmConfig(Context& context) : TextPart(context, ".npmrc") {}
    void collectData() override { text_ = "install-links=true\n"; }
};

class I18nMiddleware : public TextPart {
  public:
    explicit I18nMiddleware(Context& context) : TextPart(context, "src/middleware/index.ts") {}
    void collectData() override {
        const std::vector<std::string>& locales = context_.config().locales;
        text_ = fmt::format(
            "import {{ defineMiddleware }} from \"astro:middleware\";\n\n"
            "const locales: string[] = {};\n"
            "const defaultLocale = {};\n\n"
            "// Every page knows its language: the first segment of its path when that names a locale.\n"
            "export const onRequest = defineMiddleware((context, next) => {{\n"
            "  const segment = context.url.pathname.split(\"/\")[1] ?? \"\";\n"
            "  (context.locals as Record<string, unknown>).locale = locales.includes(segment) ? segment : "
            "defaultLocale;\n"
            "  return next();\n"
            "}});\n",
            json(locales).dump(), json(context_.defaultLocale()).dump());
    }
};

class OpenAPISchemaFile : public TextPart {
  public:
    OpenAPISchemaFile(Context& context, std::string path) : TextPart(context, std::move(path)) {}
    void collectData() override {
        // The document as it was read, byte for byte: the copy is what readers download.
        const std::string& input = context_.generator().inputPath();
        std::ifstream in(input, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        if (!in) throw std::runtime_error(fmt::format("Cannot read {} to copy it into the site", input));
        text_ = std::move(bytes).str();
    }
};

}  // namespace

std::string AstroSource::text() const {
    std::string out = "---\n";
    for (const auto& [name, specifier] : imports) {
        out += fmt::format("import {} from {};\n", name, json(specifier).dump());
    }
    if (!imports.empty() && !constants.empty()) out += '\n';
    for (const auto& [name, value] : constants) out += fmt::format("const {} = {};\n", name, dump(value));
    out += "---\n\n";
    out += markup;
    return out;
}

std::vector<std::unique_ptr<Part>> createParts(Context& context, const SiteFiles& files) {
    const Configuration& config = context.config();
    std::vector<std::unique_ptr<Part>> parts;
    for (const Locale& locale : context.locales()) {
        parts.push_back(std::make_unique<SidebarPart>(context, locale));
        parts.push_back(std::make_unique<SidebarOperationsPart>(context, locale));
        parts.push_back(std::make_unique<SidebarResourcesPart>(context, locale));
        parts.push_back(std::make_unique<OverviewPart>(context, locale));
        for (std::size_t i = 0; i < context.operations().size(); ++i) {
            parts.push_back(std::make_unique<OperationPart>(context, locale, i));
            parts.push_back(std::make_unique<OperationUsagePart>(context, locale, i));
        }
        for (std::size_t i = 0; i < context.resources().size(); ++i) {
            parts.push_back(std::make_unique<ResourcePart>(context, locale, i));
            parts.push_back(std::make_unique<ResourceUsagePart>(context, locale, i));
        }
        if (config.pages) {
            if (singlePage(config)) {
                parts.push_back(std::make_unique<SinglePage>(context, locale));
            } else {
                parts.push_back(std::make_unique<OverviewPage>(context, locale));
                switch (config.operations) {
                    case OperationGranularity::merge:
                        parts.push_back(std::make_unique<OperationIndexPage>(context, locale));
                        break;
                    case OperationGranularity::group:
                        for (std::size_t i = 0; i < context.groups().size(); ++i) {
                            parts.push_back(std::make_unique<OperationGroupPage>(context, locale, i));
                        }
                        parts.push_back(std::make_unique<UngroupedOperationsPage>(context, locale));
                        break;
                    case OperationGranularity::separate:
                        for (std::size_t i = 0; i < context.operations().size(); ++i) {
                            parts.push_back(std::make_unique<OperationPage>(context, locale, i));
                        }
                        break;
                }
                if (config.resources == ResourceGranularity::merge) {
                    parts.push_back(std::make_unique<ResourceIndexPage>(context, locale));
                } else {
                    for (std::size_t i = 0; i < context.resources().size(); ++i) {
                        parts.push_back(std::make_unique<ResourcePage>(context, locale, i));
                    }
                }
            }
            if (config.search) parts.push_back(std::make_unique<SearchPage>(context, locale));
            if (config.changelog) parts.push_back(std::make_unique<ChangelogPage>(context, locale));
        }
    }
    if (context.multiLanguage()) {
        // "/" belongs to the default locale's own index when that locale has no prefix.
        bool rootTaken = false;
        for (const Locale& locale : context.locales()) rootTaken = rootTaken || !locale.prefixed;
        if (config.pages && !rootTaken) parts.push_back(std::make_unique<MultiLocaleIndexPage>(context));
        parts.push_back(std::make_unique<I18nMiddleware>(context));
    }
    if (files.documentCopy) parts.push_back(std::make_unique<OpenAPISchemaFile>(context, *files.documentCopy));
    parts.push_back(std::make_unique<PackageJson>(context, files.packageName, files.packageVersion));
    if (config.templateVersion.starts_with("file:")) parts.push_back(std::make_unique<NpmConfig>(context));
    parts.push_back(std::make_unique<TypeScriptConfig>(context));
    parts.push_back(std::make_unique<AstroConfig>(context));
    parts.push_back(std::make_unique<TailwindConfig>(context));
    return parts;
}

}  // namespace zephalon::openapi_generator::doc_html
