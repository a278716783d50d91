#include <fmt/format.h>

#include <stdexcept>

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

}  // namespace zephalon::jv::schema
