#include "zephalon/openapi/schema_format.h"

#include <stdexcept>
#include <utility>
#include <vector>

namespace zephalon::openapi {

constinit const SchemaFormat SchemaFormat::Date{"date", SchemaType::string};
constinit const SchemaFormat SchemaFormat::DateTime{"date-time", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Time{"time", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Duration{"duration", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Email{"email", SchemaType::string};
constinit const SchemaFormat SchemaFormat::IdnEmail{"idn-email", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Hostname{"hostname", SchemaType::string};
constinit const SchemaFormat SchemaFormat::IdnHostname{"idn-hostname", SchemaType::string};
constinit const SchemaFormat SchemaFormat::IpV4{"ipv4", SchemaType::string};
constinit const SchemaFormat SchemaFormat::IpV6{"ipv6", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Uri{"uri", SchemaType::string};
constinit const SchemaFormat SchemaFormat::UriReference{"uri-reference", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Iri{"iri", SchemaType::string};
constinit const SchemaFormat SchemaFormat::IriReference{"iri-reference", SchemaType::string};
constinit const SchemaFormat SchemaFormat::UriTemplate{"uri-template", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Uuid{"uuid", SchemaType::string};
constinit const SchemaFormat SchemaFormat::JsonPointer{"json-pointer", SchemaType::string};
constinit const SchemaFormat SchemaFormat::RelativeJsonPointer{"relative-json-pointer", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Regex{"regex", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Int32{"int32", SchemaType::integer};
constinit const SchemaFormat SchemaFormat::Int64{"int64", SchemaType::integer};
constinit const SchemaFormat SchemaFormat::Float{"float", SchemaType::number};
constinit const SchemaFormat SchemaFormat::Double{"double", SchemaType::number};
constinit const SchemaFormat SchemaFormat::Password{"password", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Byte{"byte", SchemaType::string};
constinit const SchemaFormat SchemaFormat::Binary{"binary", SchemaType::string};

const std::unordered_map<std::string_view, const SchemaFormat*>& SchemaFormatRegistry::builtins() {
    static const auto table = [] {
        std::unordered_map<std::string_view, const SchemaFormat*> formats;
        for (const SchemaFormat* format :
             {&SchemaFormat::Date,     &SchemaFormat::DateTime,     &SchemaFormat::Time,
              &SchemaFormat::Duration, &SchemaFormat::Email,        &SchemaFormat::IdnEmail,
              &SchemaFormat::Hostname, &SchemaFormat::IdnHostname,  &SchemaFormat::IpV4,
              &SchemaFormat::IpV6,     &SchemaFormat::Uri,          &SchemaFormat::UriReference,
              &SchemaFormat::Iri,      &SchemaFormat::IriReference, &SchemaFormat::UriTemplate,
              &SchemaFormat::Uuid,     &SchemaFormat::JsonPointer,  &SchemaFormat::RelativeJsonPointer,
              &SchemaFormat::Regex,    &SchemaFormat::Int32,        &SchemaFormat::Int64,
              &SchemaFormat::Float,    &SchemaFormat::Double,       &SchemaFormat::Password,
              &SchemaFormat::Byte,     &SchemaFormat::Binary}) {
            formats.emplace(format->name(), format);
        }
        return formats;
    }();
    return table;
}

const SchemaFormat* SchemaFormatRegistry::get(std::string_view name) const {
    const auto& table = builtins();
    if (auto it = table.find(name); it != table.end()) {
        return it->second;
    }
    if (auto it = custom_.find(std::string(name)); it != custom_.end()) {
        return it->second.get();
    }
    return nullptr;
}

const SchemaFormat* SchemaFormatRegistry::add(std::string_view name, SchemaType type) {
    if (const SchemaFormat* known = get(name)) {
        return known;
    }
    auto entry = custom_.emplace(std::string(name), nullptr).first;
    entry->second = std::make_unique<SchemaFormat>(entry->first, type);
    return entry->second.get();
}

void SchemaFormatRegistry::fromJV(const jv::JV* value) {
    if (value == nullptr) {
        return;
    }
    if (!value->isArray()) {
        throw std::runtime_error("Custom format JV must be an array");
    }
    // Read every entry before registering any, so a bad configuration leaves the registry as it was.
    std::vector<std::pair<std::string_view, SchemaType>> entries;
    for (const jv::JV* entry : value->items()) {
        if (!entry->isObject()) {
            throw jv::JVError("A custom format must be an object with a 'name' and a 'type'.", entry);
        }
        std::string_view name = entry->stringPropertyValue("name");
        std::string_view type = entry->stringPropertyValue("type");
        entries.emplace_back(name, schemaTypeFromString(type));
    }
    for (const auto& [name, type] : entries) {
        add(name, type);
    }
}

constinit const SchemaDialect SchemaDialect::Draft4{"http://json-schema.org/draft-04/schema#"};
constinit const SchemaDialect SchemaDialect::Draft6{"http://json-schema.org/draft-06/schema#"};
constinit const SchemaDialect SchemaDialect::Draft7{"http://json-schema.org/draft-07/schema#"};
constinit const SchemaDialect SchemaDialect::Draft2019_09{"https://json-schema.org/draft/2019-09/schema"};
constinit const SchemaDialect SchemaDialect::Draft2020_12{"https://json-schema.org/draft/2020-12/schema"};

namespace {

// RFC 3986 equivalence for the one difference that matters in practice: "…/schema#" and "…/schema".
std::string_view withoutEmptyFragment(std::string_view uri) {
    return uri.ends_with('#') ? uri.substr(0, uri.size() - 1) : uri;
}

}  // namespace

bool SchemaDialect::names(std::string_view uri) const {
    return withoutEmptyFragment(uri) == withoutEmptyFragment(identifier_);
}

SchemaDialectRegistry::SchemaDialectRegistry() {
    for (const SchemaDialect* dialect : {&SchemaDialect::Draft4, &SchemaDialect::Draft6, &SchemaDialect::Draft7,
                                         &SchemaDialect::Draft2019_09, &SchemaDialect::Draft2020_12}) {
        dialects_.emplace(withoutEmptyFragment(dialect->identifier()), dialect);
    }
}

const SchemaDialect* SchemaDialectRegistry::get(std::string_view identifier) const {
    auto it = dialects_.find(withoutEmptyFragment(identifier));
    return it == dialects_.end() ? nullptr : it->second;
}

}  // namespace zephalon::openapi
