#include "configuration.h"

#include <fmt/format.h>

#include <utility>

#include "config_key_table.h"
#include "zephalon/jv/file_io.h"

extern const char zephalon_diff_recommended_config[];
extern const std::size_t zephalon_diff_recommended_config_size;

namespace zephalon::openapi_diff {
namespace {

using openapi::NodeType;

struct Section {
    std::string_view name;
    NodeType type;
};

constexpr Section kSections[] = {
    {"openapi", NodeType::OpenAPI},
    {"info", NodeType::Info},
    {"contact", NodeType::Contact},
    {"license", NodeType::License},
    {"server", NodeType::Server},
    {"serverVariable", NodeType::ServerVariable},
    {"components", NodeType::Components},
    {"paths", NodeType::Paths},
    {"pathItem", NodeType::PathItem},
    {"operation", NodeType::Operation},
    {"externalDocumentation", NodeType::ExternalDocumentation},
    {"parameter", NodeType::Parameter},
    {"requestBody", NodeType::RequestBody},
    {"mediaType", NodeType::MediaType},
    {"encoding", NodeType::Encoding},
    {"responses", NodeType::Responses},
    {"response", NodeType::Response},
    {"callback", NodeType::Callback},
    {"example", NodeType::Example},
    {"link", NodeType::Link},
    {"header", NodeType::Header},
    {"tag", NodeType::Tag},
    {"reference", NodeType::Reference},
    {"schema", NodeType::Schema},
    {"discriminator", NodeType::Discriminator},
    {"xml", NodeType::XML},
    {"securityScheme", NodeType::SecurityScheme},
    {"oauthFlows", NodeType::OAuthFlows},
    {"oauthFlow", NodeType::OAuthFlow},
    {"securityRequirement", NodeType::SecurityRequirement},
};

const Section* findSection(std::string_view name) {
    for (const Section& section : kSections) {
        if (section.name == name) return &section;
    }
    return nullptr;
}

// The key of a property of a section; for the container sections, the key of the section itself.
const ConfigKeyInfo* findKey(std::string_view section, std::string_view property) {
    static const std::map<std::pair<std::string_view, std::string_view>, const ConfigKeyInfo*> index = [] {
        std::map<std::pair<std::string_view, std::string_view>, const ConfigKeyInfo*> keys;
        for (const ConfigKeyInfo& info : configKeyTable()) keys.emplace(std::pair{info.section, info.property}, &info);
        return keys;
    }();
    auto it = index.find(std::pair{section, property});
    return it == index.end() ? nullptr : it->second;
}

Option readOption(const jv::JV& value) {
    if (!value.isString()) throw jv::JVError("Expected string", &value);
    std::optional<Option> option = optionFromString(value.stringValue());
    if (!option) throw jv::JVError("Invalid option", &value);
    return *option;
}

// Type errors carry the offending value itself, so that they point at the right place in the file.
void requireKind(const jv::JV& value, jv::JV::Type type, std::string_view name) {
    if (value.type() == type) return;
    const char* article = type == jv::JV::Type::Array ? "An array" : "An object";
    throw jv::JVError(fmt::format("{} value is expected for '{}'.", article, name), &value);
}

void requireStringOrObject(const jv::JV& value) {
    if (!value.isString() && !value.isObject()) throw jv::JVError("Expected string or object", &value);
}

// Raises "Unexpected properties" at the first member of `object` that is not among `allowed`.
void checkMembers(const jv::JV& object, std::initializer_list<std::string_view> allowed) {
    for (const auto& [key, member] : object.properties()) {
        bool known = false;
        for (std::string_view name : allowed) known = known || name == key;
        if (!known) throw jv::JVError("Unexpected properties", member);
    }
}

void readRequiredLeaf(const jv::JV& value, NodeDiffConfig& config) {
    requireStringOrObject(value);
    if (value.isString()) {
        config.setForModified(readOption(value));
        return;
    }
    checkMembers(value, {"modify"});
    const jv::JV* modify = value.property("modify");
    if (modify == nullptr) throw jv::JVError("Expected 'modified' property", &value);
    config.setForModified(readOption(*modify));
}

using PlainSetter = void (NodeDiffConfig::*)(Option);
using ConditionalSetter = void (NodeDiffConfig::*)(bool, Option, Option);

// One of "add", "remove", "modify" of a boolean property: an option, or {"if": bool, "then": option, "else": option}.
void readConditionalOption(const jv::JV& value, NodeDiffConfig& config, PlainSetter plain,
                           ConditionalSetter conditional) {
    requireStringOrObject(value);
    if (value.isString()) {
        (config.*plain)(readOption(value));
        return;
    }
    checkMembers(value, {"if", "then", "else"});
    bool condition = value.booleanPropertyValue("if");
    Option then = readOption(value.requiredProperty("then"));
    Option otherwise = readOption(value.requiredProperty("else"));
    (config.*conditional)(condition, then, otherwise);
}

void readLeaf(const jv::JV& value, NodeDiffConfig& config, bool conditional) {
    requireStringOrObject(value);
    if (value.isString()) {
        Option option = readOption(value);
        config.setForAdded(option);
        config.setForRemoved(option);
        config.setForModified(option);
        return;
    }
    checkMembers(value, {"add", "remove", "modify"});
    struct Member {
        std::string_view name;
        PlainSetter plain;
        ConditionalSetter conditional;
    };
    const Member members[] = {
        {"add", &NodeDiffConfig::setForAdded, &NodeDiffConfig::setForAdded},
        {"remove", &NodeDiffConfig::setForRemoved, &NodeDiffConfig::setForRemoved},
        {"modify", &NodeDiffConfig::setForModified, &NodeDiffConfig::setForModified},
    };
    for (const Member& member : members) {
        const jv::JV* option = value.property(member.name);
        if (option == nullptr) continue;
        if (conditional) {
            readConditionalOption(*option, config, member.plain, member.conditional);
        } else {
            (config.*member.plain)(readOption(*option));
        }
    }
}

void readContainer(const jv::JV& value, NodeDiffConfig& config, std::initializer_list<std::string_view> allowed) {
    requireStringOrObject(value);
    if (value.isString()) {
        Option option = readOption(value);
        config.setForItemAdded(option);
        config.setForItemRemoved(option);
        config.setForItemModified(option);
        return;
    }
    checkMembers(value, allowed);
    if (const jv::JV* option = value.property("add_item")) config.setForItemAdded(readOption(*option));
    if (const jv::JV* option = value.property("remove_item")) config.setForItemRemoved(readOption(*option));
    if (const jv::JV* option = value.property("modify_item")) config.setForItemModified(readOption(*option));
}

void readSetting(const ConfigKeyInfo& info, const jv::JV& value, NodeDiffConfig& config) {
    switch (info.kind) {
        case PropertyKind::requiredLeaf:
            readRequiredLeaf(value, config);
            break;
        case PropertyKind::optionalLeaf:
            readLeaf(value, config, false);
            break;
        case PropertyKind::conditionalLeaf:
            readLeaf(value, config, true);
            break;
        case PropertyKind::container:
            readContainer(value, config, {"add_item", "remove_item", "modify_item"});
            break;
    }
}

// "extensions" of a section or of "defaults": a string is the rule for every extension ("*"), an object maps
// extension names (or "*") to rules shaped like those of optional properties.
template <class Rules>
void readExtensions(const jv::JV& value, Rules& rules) {
    requireStringOrObject(value);
    if (value.isString()) {
        readLeaf(value, rules["*"], false);
        return;
    }
    for (const auto& [name, setting] : value.properties()) {
        auto it = rules.try_emplace(std::string(name)).first;
        readLeaf(*setting, it->second, false);
    }
}

}  // namespace

void Configuration::clear() {
    properties_.fill(NodeDiffConfig{});
    extensions_.clear();
    defaultExtensions_.clear();
}

void Configuration::fromJV(const jv::JV& config) {
    requireKind(config, jv::JV::Type::Object, "diff");
    if (const jv::JV* extends = config.property("extends")) {
        requireKind(*extends, jv::JV::Type::Array, "extends");
        for (const jv::JV* name : extends->items()) {
            if (!name->isString()) throw jv::JVError("Expected string", name);
            if (name->stringValue() != "recommended") {
                throw jv::JVError(fmt::format("Unknown ruleset: {}", name->stringValue()), name);
            }
            fromJV(*recommendedConfig().root());
        }
    }
    if (const jv::JV* rules = config.property("rules")) {
        requireKind(*rules, jv::JV::Type::Object, "rules");
        readRules(*rules);
    }
}

void Configuration::readRules(const jv::JV& rules) {
    for (const auto& [name, value] : rules.properties()) {
        if (name == "defaults") {
            requireKind(*value, jv::JV::Type::Object, name);
            if (const jv::JV* extensions = value->property("extensions")) {
                readExtensions(*extensions, defaultExtensions_);
            }
            continue;
        }
        // Sections this program does not know are left alone, so a configuration written for a later version
        // still loads.
        if (const Section* section = findSection(name)) readSection(section->type, section->name, *value);
    }
}

void Configuration::readSection(const openapi::NodeType type, std::string_view section, const jv::JV& value) {
    // The container sections hold their rule directly (and may configure their node's extensions beside it).
    if (const ConfigKeyInfo* own = findKey(section, section); own != nullptr && own->kind == PropertyKind::container) {
        if (value.isObject()) {
            if (const jv::JV* extensions = value.property("extensions")) readExtensions(*extensions, extensions_[type]);
        }
        readContainer(value, properties_[static_cast<std::size_t>(own->key)],
                      {"add_item", "remove_item", "modify_item", "extensions"});
        return;
    }
    requireKind(value, jv::JV::Type::Object, section);
    for (const auto& [property, setting] : value.properties()) {
        if (property == "extensions") {
            readExtensions(*setting, extensions_[type]);
        } else if (const ConfigKeyInfo* info = findKey(section, property)) {
            readSetting(*info, *setting, properties_[static_cast<std::size_t>(info->key)]);
        }
    }
}

NodeDiffConfig Configuration::forNodeExtension(openapi::NodeType type, std::string_view name) const {
    auto find = [](const ExtensionRules& rules, std::string_view key) -> const NodeDiffConfig* {
        auto it = rules.find(key);
        return it == rules.end() ? nullptr : &it->second;
    };
    if (auto it = extensions_.find(openapi::normalizeSubtypes(type)); it != extensions_.end()) {
        if (const NodeDiffConfig* config = find(it->second, name)) return *config;
        if (const NodeDiffConfig* config = find(it->second, "*")) return *config;
    }
    if (const NodeDiffConfig* config = find(defaultExtensions_, name)) return *config;
    if (const NodeDiffConfig* config = find(defaultExtensions_, "*")) return *config;
    return NodeDiffConfig{};
}

void Configuration::setForNodeExtension(openapi::NodeType type, std::string_view name, NodeDiffConfig config) {
    extensions_[openapi::normalizeSubtypes(type)].insert_or_assign(std::string(name), config);
}

void Configuration::setForDefaultExtension(std::string_view name, NodeDiffConfig config) {
    defaultExtensions_.insert_or_assign(std::string(name), config);
}

const jv::JVDoc& recommendedConfig() {
    static const std::unique_ptr<jv::JVDoc> doc = jv::readString(
        std::string_view(zephalon_diff_recommended_config, zephalon_diff_recommended_config_size), FileFormat::YAML);
    return *doc;
}

}  // namespace zephalon::openapi_diff
