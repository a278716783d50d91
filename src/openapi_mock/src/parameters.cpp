#include "parameters.h"

#include <fmt/format.h>

#include "zephalon/jv/file_io.h"
#include "zephalon/number/number.h"
#include "zephalon/openapi/model.h"

namespace zephalon::openapi_mock {

namespace {

using openapi::Parameter;
using openapi::Schema;
using openapi::SchemaType;

enum class Shape { primitive, array, object };

Shape shapeOf(const Schema* schema) {
    if (!schema) return Shape::primitive;
    if (schema->hasType(SchemaType::array)) return Shape::array;
    if (schema->hasType(SchemaType::object)) return Shape::object;
    if (schema->types().empty()) {
        if (schema->itemsNode()) return Shape::array;
        if (!schema->properties().empty()) return Shape::object;
    }
    return Shape::primitive;
}

const Schema* itemSchema(const Schema* schema) { return schema ? schema->items() : nullptr; }

const Schema* propertySchema(const Schema* schema, std::string_view name) {
    if (!schema) return nullptr;
    if (const Schema* property = schema->property(name)) return property;
    return schema->additionalProperties();
}

std::string where(const Parameter& parameter) {
    return fmt::format("{} parameter '{}'", openapi::parameterLocationToString(parameter.location()), parameter.name());
}

std::unique_ptr<jv::JV> arrayOf(const std::vector<std::string>& texts, const Schema* schema) {
    auto array = std::make_unique<jv::JV>(jv::JV::ArrayTag{});
    for (const auto& text : texts) array->add(coerce(text, itemSchema(schema)));
    return array;
}

// "k1,v1,k2,v2" as an object.
std::unique_ptr<jv::JV> objectFromList(const std::vector<std::string>& items, const Schema* schema,
                                       const Parameter& parameter) {
    if (items.size() % 2 != 0) {
        throw ParameterError(fmt::format("The {} does not hold name and value pairs", where(parameter)));
    }
    auto object = std::make_unique<jv::JV>(jv::JV::ObjectTag{});
    for (std::size_t i = 0; i < items.size(); i += 2) {
        object->setProperty(items[i], coerce(items[i + 1], propertySchema(schema, items[i])));
    }
    return object;
}

// "k1=v1" items as an object.
std::unique_ptr<jv::JV> objectFromAssignments(const std::vector<std::string>& items, const Schema* schema,
                                              const Parameter& parameter) {
    auto object = std::make_unique<jv::JV>(jv::JV::ObjectTag{});
    for (const auto& item : items) {
        auto equals = item.find('=');
        if (equals == std::string::npos) {
            throw ParameterError(fmt::format("The {} holds '{}', which is no name=value pair", where(parameter), item));
        }
        std::string name = item.substr(0, equals);
        object->setProperty(name, coerce(std::string_view(item).substr(equals + 1), propertySchema(schema, name)));
    }
    return object;
}

// Splits a text as sent at a delimiter, then decodes each item.
std::vector<std::string> splitDecoded(std::string_view raw, char separator, bool form) {
    std::vector<std::string> items;
    for (std::string_view item : split(raw, separator)) items.push_back(form ? formDecode(item) : percentDecode(item));
    return items;
}

std::vector<std::string> splitPlain(std::string_view text, char separator, bool trim) {
    std::vector<std::string> items;
    for (std::string_view item : split(text, separator)) items.emplace_back(trim ? trimSpaces(item) : item);
    return items;
}

// A parameter described by "content": the whole text is one value of that media type.
std::unique_ptr<jv::JV> contentValue(const Parameter& parameter, std::string_view text) {
    const auto& value = parameter.schemaOrContent();
    if (isJsonMediaType(mediaTypeEssence(value.mediaTypeKey()))) {
        try {
            auto doc = jv::readString(text, FileFormat::JSON);
            return doc->releaseRoot();
        } catch (const std::exception&) {
            throw ParameterError(fmt::format("The {} is not valid JSON", where(parameter)));
        }
    }
    return std::make_unique<jv::JV>(text);
}

bool isContent(const Parameter& parameter) {
    return parameter.schemaOrContent().schemaMode() == openapi::SchemaOrMediaType::Mode::content;
}

std::unique_ptr<jv::JV> readPath(const Parameter& parameter, std::string_view raw) {
    if (isContent(parameter)) return contentValue(parameter, percentDecode(raw));
    const Schema* schema = parameter.schemaOrContent().effectiveSchema();
    Shape shape = shapeOf(schema);
    bool explode = parameter.explode();
    auto style = static_cast<const openapi::PathParameter&>(parameter).style();
    std::string_view text = raw;
    char separator = ',';
    if (style == openapi::PathParameter::Style::label) {
        if (!text.starts_with('.')) {
            throw ParameterError(fmt::format("The {} must start with '.' (label style)", where(parameter)));
        }
        text.remove_prefix(1);
        if (explode) separator = '.';
    } else if (style == openapi::PathParameter::Style::matrix) {
        if (!text.starts_with(';')) {
            throw ParameterError(fmt::format("The {} must start with ';' (matrix style)", where(parameter)));
        }
        text.remove_prefix(1);
        if (explode && shape == Shape::object) {
            return objectFromAssignments(splitDecoded(text, ';', false), schema, parameter);
        }
        std::vector<std::string> values;
        for (std::string_view part : split(text, ';')) {
            auto equals = part.find('=');
            std::string_view name = part.substr(0, equals);
            if (percentDecode(name) != parameter.name()) {
                throw ParameterError(
                    fmt::format("The {} must be written ';{}=...' (matrix style)", where(parameter), parameter.name()));
            }
            values.emplace_back(equals == std::string_view::npos ? std::string_view() : part.substr(equals + 1));
            if (!explode || shape != Shape::array) break;
        }
        if (shape == Shape::array && explode) {
            std::vector<std::string> decoded;
            for (const auto& value : values) decoded.push_back(percentDecode(value));
            return arrayOf(decoded, schema);
        }
        text = values.front();
        explode = false;
    } else if (explode && shape == Shape::object) {
        return objectFromAssignments(splitDecoded(text, ',', false), schema, parameter);
    }
    switch (shape) {
        case Shape::primitive:
            return coerce(percentDecode(text), schema);
        case Shape::array:
            return arrayOf(text.empty() ? std::vector<std::string>{} : splitDecoded(text, separator, false), schema);
        case Shape::object:
            if (explode) return objectFromAssignments(splitDecoded(text, separator, false), schema, parameter);
            return objectFromList(text.empty() ? std::vector<std::string>{} : splitDecoded(text, ',', false), schema,
                                  parameter);
    }
    return nullptr;
}

std::unique_ptr<jv::JV> readQuery(const Parameter& parameter, const Pairs& query) {
    const std::string& name = parameter.name();
    std::vector<std::string_view> values;
    for (const auto& [key, value] : query) {
        if (key == name) values.push_back(value);
    }
    if (isContent(parameter)) return values.empty() ? nullptr : contentValue(parameter, formDecode(values.front()));

    const Schema* schema = parameter.schemaOrContent().effectiveSchema();
    const auto& queryParameter = static_cast<const openapi::QueryParameter&>(parameter);
    auto style = queryParameter.style();
    bool explode = parameter.explode();
    switch (shapeOf(schema)) {
        case Shape::primitive: {
            if (values.empty()) return nullptr;
            std::string text = formDecode(values.front());
            if (text.empty() && !queryParameter.allowEmptyValue()) {
                throw ParameterError(fmt::format("The {} must not be empty", where(parameter)));
            }
            return coerce(text, schema);
        }
        case Shape::array: {
            if (values.empty()) return nullptr;
            if (explode) {
                std::vector<std::string> decoded;
                for (std::string_view value : values) decoded.push_back(formDecode(value));
                return arrayOf(decoded, schema);
            }
            std::string_view raw = values.front();
            if (raw.empty()) return arrayOf({}, schema);
            if (style == openapi::QueryParameter::Style::spaceDelimited) {
                return arrayOf(splitPlain(formDecode(raw), ' ', false), schema);
            }
            if (style == openapi::QueryParameter::Style::pipeDelimited) {
                return arrayOf(splitPlain(formDecode(raw), '|', false), schema);
            }
            return arrayOf(splitDecoded(raw, ',', true), schema);
        }
        case Shape::object: {
            if (style == openapi::QueryParameter::Style::deepObject) {
                std::unique_ptr<jv::JV> object;
                std::string prefix = name + "[";
                for (const auto& [key, value] : query) {
                    if (!key.starts_with(prefix) || !key.ends_with(']')) continue;
                    if (!object) object = std::make_unique<jv::JV>(jv::JV::ObjectTag{});
                    std::string property = key.substr(prefix.size(), key.size() - prefix.size() - 1);
                    object->setProperty(property, coerce(formDecode(value), propertySchema(schema, property)));
                }
                return object;
            }
            if (explode) {
                // Each property travels as a parameter of its own: "?role=admin&firstName=Alex".
                std::unique_ptr<jv::JV> object;
                for (const auto& [key, value] : query) {
                    if (!schema || !schema->property(key)) continue;
                    if (!object) object = std::make_unique<jv::JV>(jv::JV::ObjectTag{});
                    object->setProperty(key, coerce(formDecode(value), schema->property(key)));
                }
                return object;
            }
            if (values.empty()) return nullptr;
            if (values.front().empty()) return std::make_unique<jv::JV>(jv::JV::ObjectTag{});
            return objectFromList(splitDecoded(values.front(), ',', true), schema, parameter);
        }
    }
    return nullptr;
}

std::unique_ptr<jv::JV> readHeader(const Parameter& parameter, const Request& request) {
    auto value = request.header(parameter.name());
    if (!value) return nullptr;
    if (isContent(parameter)) return contentValue(parameter, *value);
    const Schema* schema = parameter.schemaOrContent().effectiveSchema();
    std::string_view text = trimSpaces(*value);
    switch (shapeOf(schema)) {
        case Shape::primitive:
            return coerce(text, schema);
        case Shape::array:
            return arrayOf(text.empty() ? std::vector<std::string>{} : splitPlain(text, ',', true), schema);
        case Shape::object: {
            auto items = text.empty() ? std::vector<std::string>{} : splitPlain(text, ',', true);
            if (parameter.explode()) return objectFromAssignments(items, schema, parameter);
            return objectFromList(items, schema, parameter);
        }
    }
    return nullptr;
}

std::unique_ptr<jv::JV> readCookie(const Parameter& parameter, const Pairs& cookies) {
    const Schema* schema = parameter.schemaOrContent().effectiveSchema();
    Shape shape = shapeOf(schema);
    if (shape == Shape::object && parameter.explode() && !isContent(parameter)) {
        std::unique_ptr<jv::JV> object;
        for (const auto& [key, value] : cookies) {
            if (!schema || !schema->property(key)) continue;
            if (!object) object = std::make_unique<jv::JV>(jv::JV::ObjectTag{});
            object->setProperty(key, coerce(percentDecode(value), schema->property(key)));
        }
        return object;
    }
    std::vector<std::string_view> values;
    for (const auto& [key, value] : cookies) {
        if (key == parameter.name()) values.push_back(value);
    }
    if (values.empty()) return nullptr;
    if (isContent(parameter)) return contentValue(parameter, percentDecode(values.front()));
    switch (shape) {
        case Shape::primitive:
            return coerce(percentDecode(values.front()), schema);
        case Shape::array: {
            if (parameter.explode()) {
                std::vector<std::string> decoded;
                for (std::string_view value : values) decoded.push_back(percentDecode(value));
                return arrayOf(decoded, schema);
            }
            if (values.front().empty()) return arrayOf({}, schema);
            return arrayOf(splitDecoded(values.front(), ',', false), schema);
        }
        case Shape::object:
            if (values.front().empty()) return std::make_unique<jv::JV>(jv::JV::ObjectTag{});
            return objectFromList(splitDecoded(values.front(), ',', false), schema, parameter);
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<jv::JV> coerce(std::string_view text, const Schema* schema) {
    if (schema) {
        // Texts that spell a number, boolean or null become one where the schema allows it; a string is the
        // fallback, so a value that fits nothing is reported by the schema check.
        for (SchemaType type : schema->types()) {
            switch (type) {
                case SchemaType::integer:
                case SchemaType::number: {
                    auto number = number::Number::parse(text);
                    if (number && (type == SchemaType::number || number->isInteger())) {
                        return std::make_unique<jv::JV>(*number);
                    }
                    break;
                }
                case SchemaType::boolean:
                    if (text == "true" || text == "false") return std::make_unique<jv::JV>(text == "true");
                    break;
                case SchemaType::null:
                    if (text == "null") return std::make_unique<jv::JV>(nullptr);
                    break;
                default:
                    break;
            }
        }
    }
    return std::make_unique<jv::JV>(text);
}

std::unique_ptr<jv::JV> readParameter(const Parameter& parameter, const RequestParts& parts) {
    switch (parameter.location()) {
        case Parameter::Location::path: {
            if (!parts.path) return nullptr;
            for (const auto& [name, raw] : parts.path->variables) {
                if (name == parameter.name()) return readPath(parameter, raw);
            }
            return nullptr;
        }
        case Parameter::Location::query:
            return readQuery(parameter, parts.query);
        case Parameter::Location::header:
            return readHeader(parameter, *parts.request);
        case Parameter::Location::cookie:
            return readCookie(parameter, parts.cookies);
    }
    return nullptr;
}

}  // namespace zephalon::openapi_mock
