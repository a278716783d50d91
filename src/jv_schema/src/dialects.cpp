#include <fmt/format.h>

#include <algorithm>
#include <span>
#include <stdexcept>

#include "builtins.h"
#include "jv_access.h"
#include "zephalon/jv_schema/draft4.h"
#include "zephalon/jv_schema/drafts.h"
#include "zephalon/jv_schema/schema.h"

namespace zephalon::jv::schema {

JVDialectRegistry::JVDialectRegistry() : defaultDialect(draft202012Uri) {
    // Dialects whose keywords this build compiles. A "$schema" naming any other URI is refused.
    dialects_.push_back(Entry{std::string(draft04Uri), "draft-04", [](bool strict) -> std::unique_ptr<JVSchemaDialect> {
                                  return std::make_unique<draft4::Draft4Dialect>(strict);
                              }});
    dialects_.push_back(Entry{std::string(draft06Uri), "draft-06", [](bool strict) -> std::unique_ptr<JVSchemaDialect> {
                                  return std::make_unique<draft6::Draft6Dialect>(strict);
                              }});
    dialects_.push_back(Entry{std::string(draft07Uri), "draft-07", [](bool strict) -> std::unique_ptr<JVSchemaDialect> {
                                  return std::make_unique<draft7::Draft7Dialect>(strict);
                              }});
    dialects_.push_back(
        Entry{std::string(draft201909Uri), "2019-09", [](bool strict) -> std::unique_ptr<JVSchemaDialect> {
                  return std::make_unique<draft2019_09::Draft201909Dialect>(strict);
              }});
    dialects_.push_back(
        Entry{std::string(draft202012Uri), "2020-12", [](bool strict) -> std::unique_ptr<JVSchemaDialect> {
                  return std::make_unique<draft2020_12::Draft202012Dialect>(strict);
              }});
}

JVDialectRegistry& JVDialectRegistry::instance() {
    static JVDialectRegistry registry;
    return registry;
}

JVDialectRegistry::Entry const* JVDialectRegistry::find(std::string_view uri) const {
    for (auto const& entry : dialects_) {
        if (entry.uri == uri) return &entry;
    }
    return nullptr;
}

bool JVDialectRegistry::hasDialect(std::string_view uri) const { return find(uri) != nullptr; }

void JVDialectRegistry::setDefaultDialect(std::string_view name) {
    static constexpr std::pair<std::string_view, std::string_view> known[] = {
        {"draft-04", draft04Uri},    {"draft-06", draft06Uri},    {"draft-07", draft07Uri},
        {"2019-09", draft201909Uri}, {"2020-12", draft202012Uri},
    };
    for (auto const& [shortName, uri] : known) {
        if (name == shortName || name == uri) {
            defaultDialect = std::string(uri);
            return;
        }
    }
    throw std::runtime_error(fmt::format("Unknown schema dialect: {}", name));
}

std::unique_ptr<JVSchemaDialect> JVDialectRegistry::findDialect(std::string_view uri) const {
    if (Entry const* entry = find(uri)) return entry->factory(strictFormat);
    throw JVError(fmt::format("Unknown schema dialect: {}", uri), nullptr);
}

std::unique_ptr<JVSchemaDialect> JVDialectRegistry::findDialect(JV const& member) const {
    if (!member.isString()) compileError("Schema dialect must be a string", member);
    if (Entry const* entry = find(member.stringValue())) return entry->factory(strictFormat);
    compileError(fmt::format("Unknown schema dialect: {}", member.stringValue()), member);
}

// ---------------------------------------------------------------------------------------------------------------
// The dialect of a schema object

namespace {

[[noreturn]] void dialectError(std::string const& message, JV const* member) {
    if (member) compileError(message, *member);
    throw JVError(message, nullptr);
}

std::string_view dropTrailingHash(std::string_view uri) {
    if (!uri.empty() && uri.back() == '#') uri.remove_suffix(1);
    return uri;
}

// The vocabulary bit of a vocabulary URI of the given draft; 0 for a vocabulary this engine does not know.
std::uint32_t vocabularyBit(std::string_view draft, std::string_view uri) {
    struct Known {
        std::string_view suffix;
        std::uint32_t bits;
    };
    static constexpr Known draft201909[] = {
        {"core", vocabulary::core},
        {"applicator", vocabulary::applicator | vocabulary::unevaluated},
        {"validation", vocabulary::validation},
        {"meta-data", vocabulary::metaData},
        {"format", vocabulary::formatAnnotation},
        {"content", vocabulary::content},
    };
    static constexpr Known draft202012[] = {
        {"core", vocabulary::core},
        {"applicator", vocabulary::applicator},
        {"unevaluated", vocabulary::unevaluated},
        {"validation", vocabulary::validation},
        {"meta-data", vocabulary::metaData},
        {"format-annotation", vocabulary::formatAnnotation},
        {"format-assertion", vocabulary::formatAssertion},
        {"content", vocabulary::content},
    };
    std::span<Known const> known;
    std::string_view prefix;
    if (draft == draft201909Uri) {
        known = draft201909;
        prefix = "https://json-schema.org/draft/2019-09/vocab/";
    } else if (draft == draft202012Uri) {
        known = draft202012;
        prefix = "https://json-schema.org/draft/2020-12/vocab/";
    }
    if (!uri.starts_with(prefix)) return 0;
    uri.remove_prefix(prefix.size());
    for (auto const& entry : known) {
        if (entry.suffix == uri) return entry.bits;
    }
    return 0;
}

}  // namespace

std::unique_ptr<JVSchemaDialect> SchemaContext::getDialect(JV const* schemaMember) {
    if (schemaMember) {
        if (!isString(*schemaMember)) compileError("Schema dialect must be a string", *schemaMember);
        auto chosen = makeDialect(chooseDialect(stringOf(*schemaMember), schemaMember));
        if (dialect.empty()) dialect = std::string(stringOf(*schemaMember));
        return chosen;
    }
    if (!dialectStack_.empty()) return makeDialect(dialectStack_.back());
    if (dialect.empty()) dialect = JVDialectRegistry::instance().defaultDialect;
    return makeDialect(chooseDialect(dialect, nullptr));
}

SchemaContext::DialectChoice const& SchemaContext::chooseDialect(std::string_view uri, JV const* member) {
    if (auto it = dialectChoices_.find(uri); it != dialectChoices_.end()) return it->second;
    std::vector<std::string> visiting;
    DialectChoice choice = JVDialectRegistry::instance().hasDialect(uri)
                               ? DialectChoice{std::string(uri), vocabulary::standard}
                               : chooseCustomDialect(uri, member, visiting);
    return dialectChoices_.emplace(std::string(uri), std::move(choice)).first->second;
}

SchemaContext::DialectChoice SchemaContext::chooseCustomDialect(std::string_view uri, JV const* member,
                                                                std::vector<std::string>& visiting) {
    auto const& registry = JVDialectRegistry::instance();
    std::string metaUrl(dropTrailingHash(uri));
    // A chain of meta-schemas that comes back to itself never reaches the keywords of a known draft. The drafts'
    // own meta-schemas are dialects under their published URIs only, not under other spellings of them.
    if (std::find(visiting.begin(), visiting.end(), metaUrl) != visiting.end() || registry.hasDialect(metaUrl) ||
        registry.hasDialect(metaUrl + "#")) {
        dialectError(fmt::format("Unknown schema dialect: {}", uri), member);
    }
    visiting.push_back(metaUrl);

    // The meta-schema: a resource of this document, or a built-in or loaded document.
    JV const* meta = findResourceSource(metaUrl);
    if (!meta) {
        JVSchema const* loaded = nullptr;
        try {
            loaded = loadSchema(metaUrl, true);
        } catch (std::exception const& e) {
            dialectError(fmt::format("Schema dialect {} cannot be loaded: {}", uri, e.what()), member);
        }
        if (loaded) meta = loaded->context->findResourceSource(metaUrl);
    }
    if (!meta || !meta->isObject()) dialectError(fmt::format("Unknown schema dialect: {}", uri), member);

    // Its own "$schema" gives the keywords; without one, the default dialect does.
    JV const* metaDialect = meta->property("$schema");
    std::string baseUri =
        metaDialect && metaDialect->isString() ? std::string(metaDialect->stringValue()) : registry.defaultDialect;
    DialectChoice base = registry.hasDialect(baseUri) ? DialectChoice{baseUri, vocabulary::standard}
                                                      : chooseCustomDialect(baseUri, member, visiting);
    JV const* declared = meta->property("$vocabulary");
    if ((base.uri != draft201909Uri && base.uri != draft202012Uri) || !declared || !declared->isObject()) {
        return base;
    }
    // The vocabularies it lists replace those of its own dialect. Core is always there: the other keywords
    // cannot be located without it.
    std::uint32_t bits = vocabulary::core;
    for (auto [name, required] : declared->properties()) {
        if (std::uint32_t bit = vocabularyBit(base.uri, name)) {
            bits |= bit;
        } else if (required->isBoolean() && required->booleanValue()) {
            dialectError(fmt::format("Schema dialect {} requires the unknown vocabulary {}", uri, name), member);
        }
    }
    return DialectChoice{base.uri, bits};
}

std::unique_ptr<JVSchemaDialect> SchemaContext::makeDialect(DialectChoice const& choice) const {
    auto made = JVDialectRegistry::instance().findDialect(std::string_view(choice.uri));
    made->vocabularies = choice.vocabularies;
    return made;
}

}  // namespace zephalon::jv::schema
