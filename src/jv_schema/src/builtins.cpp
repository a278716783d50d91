#include "builtins.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "jv_access.h"
#include "url.h"
#include "zephalon/jv_schema/schema.h"

// The published schema texts, embedded at build time from src/jv_schema/schemas/.
#define ZEPHALON_EMBEDDED(symbol) \
    extern const char symbol[];   \
    extern const std::size_t symbol##_size;
ZEPHALON_EMBEDDED(zephalon_schema_draft_04)
ZEPHALON_EMBEDDED(zephalon_schema_draft_06)
ZEPHALON_EMBEDDED(zephalon_schema_draft_07)
ZEPHALON_EMBEDDED(zephalon_schema_2019_09)
ZEPHALON_EMBEDDED(zephalon_schema_2019_09_meta_applicator)
ZEPHALON_EMBEDDED(zephalon_schema_2019_09_meta_content)
ZEPHALON_EMBEDDED(zephalon_schema_2019_09_meta_core)
ZEPHALON_EMBEDDED(zephalon_schema_2019_09_meta_format)
ZEPHALON_EMBEDDED(zephalon_schema_2019_09_meta_meta_data)
ZEPHALON_EMBEDDED(zephalon_schema_2019_09_meta_validation)
ZEPHALON_EMBEDDED(zephalon_schema_2020_12)
ZEPHALON_EMBEDDED(zephalon_schema_2020_12_meta_applicator)
ZEPHALON_EMBEDDED(zephalon_schema_2020_12_meta_content)
ZEPHALON_EMBEDDED(zephalon_schema_2020_12_meta_core)
ZEPHALON_EMBEDDED(zephalon_schema_2020_12_meta_format_annotation)
ZEPHALON_EMBEDDED(zephalon_schema_2020_12_meta_format_assertion)
ZEPHALON_EMBEDDED(zephalon_schema_2020_12_meta_meta_data)
ZEPHALON_EMBEDDED(zephalon_schema_2020_12_meta_unevaluated)
ZEPHALON_EMBEDDED(zephalon_schema_2020_12_meta_validation)
ZEPHALON_EMBEDDED(zephalon_schema_oas_3_0_2021_09_28)
ZEPHALON_EMBEDDED(zephalon_schema_oas_3_1_2022_10_07)
ZEPHALON_EMBEDDED(zephalon_schema_oas_3_1_dialect_base)
ZEPHALON_EMBEDDED(zephalon_schema_oas_3_1_meta_base)
ZEPHALON_EMBEDDED(zephalon_schema_oas_3_1_schema_base_2022_10_07)
#undef ZEPHALON_EMBEDDED

namespace zephalon::jv::schema {

namespace {

struct BuiltIn {
    std::string_view id;  // without trailing "#"
    char const* text;
    std::size_t const* size;
};

#define ZEPHALON_BUILTIN(id, symbol) \
    BuiltIn { id, ::symbol, &::symbol##_size }
std::array<BuiltIn, 24> const builtIns = {
    ZEPHALON_BUILTIN("http://json-schema.org/draft-04/schema", zephalon_schema_draft_04),
    ZEPHALON_BUILTIN("http://json-schema.org/draft-06/schema", zephalon_schema_draft_06),
    ZEPHALON_BUILTIN("http://json-schema.org/draft-07/schema", zephalon_schema_draft_07),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2019-09/schema", zephalon_schema_2019_09),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2019-09/meta/applicator", zephalon_schema_2019_09_meta_applicator),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2019-09/meta/content", zephalon_schema_2019_09_meta_content),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2019-09/meta/core", zephalon_schema_2019_09_meta_core),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2019-09/meta/format", zephalon_schema_2019_09_meta_format),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2019-09/meta/meta-data", zephalon_schema_2019_09_meta_meta_data),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2019-09/meta/validation", zephalon_schema_2019_09_meta_validation),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2020-12/schema", zephalon_schema_2020_12),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2020-12/meta/applicator", zephalon_schema_2020_12_meta_applicator),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2020-12/meta/content", zephalon_schema_2020_12_meta_content),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2020-12/meta/core", zephalon_schema_2020_12_meta_core),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2020-12/meta/format-annotation",
                     zephalon_schema_2020_12_meta_format_annotation),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2020-12/meta/format-assertion",
                     zephalon_schema_2020_12_meta_format_assertion),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2020-12/meta/meta-data", zephalon_schema_2020_12_meta_meta_data),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2020-12/meta/unevaluated",
                     zephalon_schema_2020_12_meta_unevaluated),
    ZEPHALON_BUILTIN("https://json-schema.org/draft/2020-12/meta/validation", zephalon_schema_2020_12_meta_validation),
    ZEPHALON_BUILTIN("https://spec.openapis.org/oas/3.0/schema/2021-09-28", zephalon_schema_oas_3_0_2021_09_28),
    ZEPHALON_BUILTIN("https://spec.openapis.org/oas/3.1/schema/2022-10-07", zephalon_schema_oas_3_1_2022_10_07),
    ZEPHALON_BUILTIN("https://spec.openapis.org/oas/3.1/dialect/base", zephalon_schema_oas_3_1_dialect_base),
    ZEPHALON_BUILTIN("https://spec.openapis.org/oas/3.1/meta/base", zephalon_schema_oas_3_1_meta_base),
    ZEPHALON_BUILTIN("https://spec.openapis.org/oas/3.1/schema-base/2022-10-07",
                     zephalon_schema_oas_3_1_schema_base_2022_10_07),
};
#undef ZEPHALON_BUILTIN

std::map<std::string, std::unique_ptr<JVSchema>, std::less<>>& cache() {
    static std::map<std::string, std::unique_ptr<JVSchema>, std::less<>> schemas;
    return schemas;
}

std::map<std::string, SchemaLoader>& loaders() {
    static std::map<std::string, SchemaLoader> registered;
    return registered;
}

std::string_view dropTrailingHash(std::string_view u) {
    if (!u.empty() && u.back() == '#') u.remove_suffix(1);
    return u;
}

}  // namespace

std::string_view builtInSchemaText(std::string_view u) {
    u = dropTrailingHash(u);
    for (auto const& b : builtIns) {
        if (b.id == u) return {b.text, *b.size};
    }
    return {};
}

std::vector<std::string_view> builtInSchemaIds() {
    std::vector<std::string_view> ids;
    for (auto const& b : builtIns) ids.push_back(b.id);
    return ids;
}

JVSchema const* loadBuiltInSchema(std::string_view u) { return loadSchema(u, true); }

JVSchema const* loadSchema(std::string_view u, bool askLoaders) {
    u = dropTrailingHash(u);
    auto& schemas = cache();
    if (auto it = schemas.find(u); it != schemas.end()) return it->second.get();
    // Compiling a document can ask for another one (the meta-schema its "$schema" names), which can ask for the
    // first again; a document already being compiled is not there yet.
    static std::vector<std::string> compiling;
    if (std::find(compiling.begin(), compiling.end(), u) != compiling.end()) return nullptr;
    compiling.emplace_back(u);
    struct Done {
        ~Done() { compiling.pop_back(); }
    } done;
    std::unique_ptr<JVSchema> compiled;
    if (std::string_view text = builtInSchemaText(u); !text.empty()) {
        auto doc = parseJsonText(text);
        compiled = std::make_unique<JVSchema>(*rootOf(*doc), u);
    } else if (askLoaders && u.find('#') == std::string_view::npos) {
        // Loaders serve whole documents; a location inside one is found through the document's context.
        std::string key(u);
        for (auto const& [name, loader] : loaders()) {
            compiled = loader(key);
            if (compiled) break;
        }
    }
    if (!compiled) return nullptr;
    JVSchema const* result = compiled.get();
    schemas.emplace(std::string(u), std::move(compiled));
    return result;
}

JVSchema const* openapi30MetaSchema() {
    return loadBuiltInSchema("https://spec.openapis.org/oas/3.0/schema/2021-09-28");
}

JVSchema const* openapi31MetaSchema() {
    return loadBuiltInSchema("https://spec.openapis.org/oas/3.1/schema/2022-10-07");
}

void registerSchemaLoader(std::string const& name, SchemaLoader loader) { loaders()[name] = std::move(loader); }

void unregisterSchemaLoader(std::string const& name) { loaders().erase(name); }

std::map<std::string, SchemaLoader> const& schemaLoaders() { return loaders(); }

}  // namespace zephalon::jv::schema
