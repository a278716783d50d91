#include "zephalon/openapi_format/configuration.h"

#include <fmt/format.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <utility>

namespace zephalon::openapi_format {
namespace {

// A conventional key order for every kind of OpenAPI object: identity first, then description, then content, with
// the maps of paths and responses sorted.
constexpr std::string_view kRecommendedConfig = R"({
  "openapi": {
    "property_order": {
      "openapi": ["openapi", "info", "jsonSchemaDialect", "servers", "paths", "webhooks", "components", "security",
                  "tags", "externalDocs"],
      "info": ["title", "summary", "description", "version", "termsOfService", "contact", "license"],
      "contact": ["name", "url", "email"],
      "license": ["name", "identifier", "url"],
      "server": ["url", "description", "variables"],
      "serverVariable": ["description", "default", "enum"],
      "paths": "sorted",
      "pathItem": ["summary", "description", "parameters", "get", "post", "put", "patch", "delete", "options", "head",
                   "trace", "servers"],
      "operation": ["tags", "summary", "operationId", "description", "externalDocs", "deprecated", "parameters",
                    "requestBody", "responses", "callbacks", "security", "servers"],
      "components": ["schemas", "responses", "parameters", "requestBodies", "headers", "pathItems",
                     "securitySchemes", "links", "callbacks", "examples"],
      "externalDocumentation": ["description", "url"],
      "parameter": ["name", "in", "description", "required", "deprecated", "style", "allowEmptyValue", "explode",
                    "allowReserved", "schema", "content", "example", "examples"],
      "requestBody": ["description", "required", "content"],
      "mediaType": ["schema", "encoding", "example", "examples"],
      "encoding": ["contentType", "style", "headers", "explode", "allowReserved"],
      "responses": "sorted",
      "response": ["description", "headers", "content", "links"],
      "example": ["summary", "description", "value", "externalValue"],
      "link": ["description", "server", "operationRef", "operationId", "parameters", "requestBody"],
      "header": ["name", "description", "required", "deprecated", "allowEmptyValue", "explode", "allowReserved",
                 "schema", "content", "example", "examples"],
      "tag": ["name", "description", "externalDocs"],
      "reference": ["$ref", "summary", "description"],
      "schema": ["title", "description", "type", "format", "const", "enum", "minimum", "exclusiveMinimum", "maximum",
                 "exclusiveMaximum", "multipleOf", "minLength", "maxLength", "pattern", "items", "prefixItems",
                 "minItems", "maxItems", "uniqueItems", "required", "properties", "patternProperties",
                 "propertyNames", "additionalProperties", "minProperties", "maxProperties", "allOf", "oneOf",
                 "anyOf", "not", "discriminator", "xml", "externalDocs"],
      "discriminator": ["propertyName", "mapping"],
      "xml": ["name", "namespace", "prefix", "attribute", "wrapped"],
      "securityScheme": ["name", "description", "type", "in", "scheme", "bearerFormat", "flows", "openIdConnectUrl"],
      "oauthFlows": ["implicit", "password", "clientCredentials", "authorizationCode"]
    }
  }
})";

constexpr std::string_view kOriginalConfig = R"({"openapi": {}})";

constexpr const char* kInvalidIndent = "Invalid indent size (2 to 9)";

PropertyOrder orderShortcut(const jv::JV& node) {
    std::string_view text = node.stringValue();
    if (text == "original") return PropertyOrder::Original;
    if (text == "sorted") return PropertyOrder::Sorted;
    throw ConfigurationError(fmt::format("Unsupported order shortcut: {}", text), &node);
}

}  // namespace

void Configuration::fromJV(const jv::JV& section) {
    if (const jv::JV* extends = section.optionalArrayProperty("extends")) {
        for (const jv::JV* base : extends->items()) {
            if (!base->isString()) throw ConfigurationError("Extends must be a string", base);
            std::string_view name = base->stringValue();
            if (name == "recommended") {
                fromJV(*recommendedConfig().root());
            } else if (name == "original") {
                fromJV(*originalConfig().root());
            } else {
                throw ConfigurationError(fmt::format("Unknown extends value: {}", name), base);
            }
        }
    }
    if (section.property("openapi") == nullptr) throw ConfigurationError("is required", &section, "openapi");
    readOpenAPISection(section.objectProperty("openapi"));
}

void Configuration::readOpenAPISection(const jv::JV& openapi) {
    if (const jv::JV* format = openapi.optionalStringProperty("format")) {
        std::string_view text = format->stringValue();
        if (text == "yaml") {
            format_ = FileFormat::YAML;
        } else if (text == "json") {
            format_ = FileFormat::JSON;
        } else {
            throw ConfigurationError(fmt::format("Unknown file format: {}", text), format);
        }
    }
    if (const jv::JV* indent = openapi.optionalIntegerProperty("indent")) {
        std::int64_t size = openapi.integerPropertyValue("indent");
        if (size < kMinIndentSize || size > kMaxIndentSize) throw ConfigurationError(kInvalidIndent, indent);
        setIndentSize(static_cast<unsigned>(size));
    }
    if (const jv::JV* orders = openapi.optionalObjectProperty("property_order")) readPropertyOrders(*orders);
}

void Configuration::readPropertyOrders(const jv::JV& orders) {
    for (auto [kind, order] : orders.properties()) {
        if (kind == "default") {
            if (!order->isString()) throw ConfigurationError("Default order must be a string", order);
            setDefaultPropertyOrder(orderShortcut(*order));
        } else if (order->isString()) {
            kindOrders_.insert_or_assign(std::string(kind), orderShortcut(*order));
        } else if (order->isArray()) {
            std::vector<std::string> keys;
            keys.reserve(order->size());
            for (const jv::JV* key : order->items()) {
                if (!key->isString()) throw ConfigurationError("Element is not a string", key);
                keys.emplace_back(key->stringValue());
            }
            setFixedPropertyOrder(std::string(kind), std::move(keys));
        } else {
            throw ConfigurationError("Property order block must be a string or an array", order);
        }
    }
}

void Configuration::reset() {
    format_ = FileFormat::YAML;
    indentSize_ = 2;
    defaultPropertyOrder_ = PropertyOrder::Original;
    kindOrders_.clear();
}

void Configuration::setIndentSize(unsigned size) {
    if (size < kMinIndentSize || size > kMaxIndentSize) throw std::runtime_error(kInvalidIndent);
    indentSize_ = size;
}

void Configuration::setDefaultPropertyOrder(PropertyOrder order) {
    if (order == PropertyOrder::Fixed) throw std::runtime_error("Invalid default property order");
    defaultPropertyOrder_ = order;
}

void Configuration::setSortedPropertyOrder(const std::string& kind) {
    kindOrders_.insert_or_assign(kind, PropertyOrder::Sorted);
}

void Configuration::setOriginalPropertyOrder(const std::string& kind) {
    kindOrders_.insert_or_assign(kind, PropertyOrder::Original);
}

void Configuration::setFixedPropertyOrder(const std::string& kind, std::vector<std::string> keys) {
    kindOrders_.insert_or_assign(kind, std::move(keys));
}

PropertyOrder Configuration::propertyOrder(std::string_view kind) const {
    auto it = kindOrders_.find(kind);
    if (it == kindOrders_.end()) return defaultPropertyOrder_;
    if (const auto* shortcut = std::get_if<PropertyOrder>(&it->second)) return *shortcut;
    return PropertyOrder::Fixed;
}

const std::vector<std::string>* Configuration::fixedPropertyOrder(std::string_view kind) const {
    auto it = kindOrders_.find(kind);
    if (it == kindOrders_.end()) return nullptr;
    return std::get_if<std::vector<std::string>>(&it->second);
}

const jv::JVDoc& recommendedConfig() {
    static const std::unique_ptr<jv::JVDoc> doc = jv::readString(kRecommendedConfig, FileFormat::JSON);
    return *doc;
}

const jv::JVDoc& originalConfig() {
    static const std::unique_ptr<jv::JVDoc> doc = jv::readString(kOriginalConfig, FileFormat::JSON);
    return *doc;
}

}  // namespace zephalon::openapi_format
