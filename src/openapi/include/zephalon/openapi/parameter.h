#pragma once

// Parameters (one class per location) and Header, which describes a header the way a parameter would.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zephalon/openapi/embedded.h"
#include "zephalon/openapi/node.h"

namespace zephalon::openapi {

class Parameter : public Node {
  public:
    enum class Location : std::uint8_t { path, query, header, cookie };

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    Location location() const { return location_; }

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    // Always true for path parameters at construction.
    bool required() const { return required_; }
    void setRequired(bool required) { required_ = required; }
    bool deprecated() const { return deprecated_; }
    void setDeprecated(bool deprecated) { deprecated_ = deprecated; }
    // Starts true for query parameters (the default of their "form" style), false for the others.
    bool explode() const { return explode_; }
    void setExplode(bool explode) { explode_ = explode; }

    Examples& examples() { return examples_; }
    const Examples& examples() const { return examples_; }
    SchemaOrMediaType& schemaOrContent() { return schemaOrContent_; }
    const SchemaOrMediaType& schemaOrContent() const { return schemaOrContent_; }

  protected:
    Parameter(Node* parent, std::string name, Location location);

  private:
    std::string name_;
    Location location_;
    std::optional<std::string> description_;
    bool required_;
    bool deprecated_ = false;
    bool explode_;
    Examples examples_{this};
    SchemaOrMediaType schemaOrContent_{this};
};

std::string_view parameterLocationToString(Parameter::Location location);
Parameter::Location parameterLocationFromString(std::string_view text);

class PathParameter final : public Parameter {
  public:
    enum class Style : std::uint8_t { matrix, label, simple };

    PathParameter(Node* parent, std::string name) : Parameter(parent, std::move(name), Location::path) {}

    Style style() const { return style_; }
    void setStyle(Style style) { style_ = style; }

  private:
    Style style_ = Style::simple;
};

std::string_view pathParameterStyleToString(PathParameter::Style style);
PathParameter::Style stringToPathParameterStyle(std::string_view text);

class QueryParameter final : public Parameter {
  public:
    enum class Style : std::uint8_t { form, spaceDelimited, pipeDelimited, deepObject };

    QueryParameter(Node* parent, std::string name) : Parameter(parent, std::move(name), Location::query) {}

    Style style() const { return style_; }
    void setStyle(Style style) { style_ = style; }
    bool allowEmptyValue() const { return allowEmptyValue_; }
    void setAllowEmptyValue(bool allow) { allowEmptyValue_ = allow; }
    bool allowReserved() const { return allowReserved_; }
    void setAllowReserved(bool allow) { allowReserved_ = allow; }

  private:
    Style style_ = Style::form;
    bool allowEmptyValue_ = false;
    bool allowReserved_ = false;
};

std::string_view queryParameterStyleToString(QueryParameter::Style style);
QueryParameter::Style stringToQueryParameterStyle(std::string_view text);

class HeaderParameter final : public Parameter {
  public:
    HeaderParameter(Node* parent, std::string name) : Parameter(parent, std::move(name), Location::header) {}
};

class CookieParameter final : public Parameter {
  public:
    CookieParameter(Node* parent, std::string name) : Parameter(parent, std::move(name), Location::cookie) {}
};

class Header final : public Node {
  public:
    explicit Header(Node* parent) : Node(parent, NodeType::Header) {}

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    bool required() const { return required_; }
    void setRequired(bool required) { required_ = required; }
    bool deprecated() const { return deprecated_; }
    void setDeprecated(bool deprecated) { deprecated_ = deprecated; }
    bool explode() const { return explode_; }
    void setExplode(bool explode) { explode_ = explode; }

    Examples& examples() { return examples_; }
    const Examples& examples() const { return examples_; }
    SchemaOrMediaType& schemaOrContent() { return schemaOrContent_; }
    const SchemaOrMediaType& schemaOrContent() const { return schemaOrContent_; }

  private:
    std::optional<std::string> description_;
    bool required_ = false;
    bool deprecated_ = false;
    bool explode_ = false;
    Examples examples_{this};
    SchemaOrMediaType schemaOrContent_{this};
};

}  // namespace zephalon::openapi
