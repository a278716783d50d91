#pragma once

// The registries behind a schema's "format" and "$schema": the model keeps a pointer to a registered entry instead
// of free text, so an unknown format or dialect is noticed when a document is read.

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "zephalon/jv/jv.h"
#include "zephalon/openapi/enums.h"

namespace zephalon::openapi {

// Registered entries are referred to by address, so they neither copy nor move. The built-in constants are
// constant-initialised and usable at any time, including from other static initialisers; a custom format's name is
// held by its registry.
class SchemaFormat {
  public:
    // `name` must outlive the format: a literal for the built-ins, the registry's key for a custom format.
    constexpr SchemaFormat(std::string_view name, SchemaType type) : name_(name), type_(type) {}
    SchemaFormat(const SchemaFormat&) = delete;
    SchemaFormat& operator=(const SchemaFormat&) = delete;

    // The "format" keyword value.
    std::string_view name() const { return name_; }
    // The instance type the format applies to.
    SchemaType type() const { return type_; }

    // Built-in formats, alive for the whole run.
    static const SchemaFormat Date;
    static const SchemaFormat DateTime;
    static const SchemaFormat Time;
    static const SchemaFormat Duration;
    static const SchemaFormat Email;
    static const SchemaFormat IdnEmail;
    static const SchemaFormat Hostname;
    static const SchemaFormat IdnHostname;
    static const SchemaFormat IpV4;
    static const SchemaFormat IpV6;
    static const SchemaFormat Uri;
    static const SchemaFormat UriReference;
    static const SchemaFormat Iri;
    static const SchemaFormat IriReference;
    static const SchemaFormat UriTemplate;
    static const SchemaFormat Uuid;
    static const SchemaFormat JsonPointer;
    static const SchemaFormat RelativeJsonPointer;
    static const SchemaFormat Regex;
    static const SchemaFormat Int32;
    static const SchemaFormat Int64;
    static const SchemaFormat Float;
    static const SchemaFormat Double;
    static const SchemaFormat Password;
    // The base64 and raw octet formats that OpenAPI 3.0 itself defines.
    static const SchemaFormat Byte;
    static const SchemaFormat Binary;

  private:
    std::string_view name_;
    SchemaType type_;
};

// Built-in formats plus the custom formats of one configuration. Schemas point into the registry, so a registry
// holding custom formats must outlive the models read with it.
class SchemaFormatRegistry {
  public:
    SchemaFormatRegistry() = default;
    SchemaFormatRegistry(const SchemaFormatRegistry&) = delete;
    SchemaFormatRegistry& operator=(const SchemaFormatRegistry&) = delete;

    // The shared table of built-in formats by name.
    static const std::unordered_map<std::string_view, const SchemaFormat*>& builtins();

    bool has(std::string_view name) const { return get(name) != nullptr; }
    // Built-ins first; null when the name is unknown. Names compare exactly.
    const SchemaFormat* get(std::string_view name) const;

    // Adds a custom format; a name that is already known keeps its first definition. Returns the registered entry.
    const SchemaFormat* add(std::string_view name, SchemaType type);

    // Reads custom formats from configuration: an array of {"name": string, "type": schema type name}. Null does
    // nothing. Throws std::runtime_error "Custom format JV must be an array" for another value, jv::JVError for a
    // missing or mistyped member, and std::runtime_error "Invalid schema type" for an unknown type. Entries are
    // checked before any is added, so a failure adds nothing.
    void fromJV(const jv::JV* value);

  private:
    // Keyed by the name that the format views: map nodes, and so the keys, stay where they are as the map grows.
    std::unordered_map<std::string, std::unique_ptr<SchemaFormat>> custom_;
};

class SchemaDialect {
  public:
    // `identifier` must outlive the program (a literal).
    constexpr explicit SchemaDialect(std::string_view identifier) : identifier_(identifier) {}
    SchemaDialect(const SchemaDialect&) = delete;
    SchemaDialect& operator=(const SchemaDialect&) = delete;

    // The meta-schema URI.
    std::string_view identifier() const { return identifier_; }
    // Whether `uri` names this dialect: the identifier, with or without an empty fragment ("…/schema#" is the same
    // URI as "…/schema").
    bool names(std::string_view uri) const;

    static const SchemaDialect Draft4;
    static const SchemaDialect Draft6;
    static const SchemaDialect Draft7;
    static const SchemaDialect Draft2019_09;
    static const SchemaDialect Draft2020_12;

  private:
    std::string_view identifier_;
};

// The JSON Schema dialects known by their meta-schema URI.
class SchemaDialectRegistry {
  public:
    SchemaDialectRegistry();

    bool has(std::string_view identifier) const { return get(identifier) != nullptr; }
    // Null when the identifier is unknown. Identifiers compare exactly, except that an empty fragment counts as
    // absent.
    const SchemaDialect* get(std::string_view identifier) const;

  private:
    std::unordered_map<std::string_view, const SchemaDialect*> dialects_;
};

}  // namespace zephalon::openapi
