#include <fmt/format.h>

#include <algorithm>
#include <limits>

#include "model.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/openapi/schema.h"
#include "zephalon/openapi/schema_format.h"
#include "zephalon/openapi_generator/extensions.h"

namespace zephalon::openapi_generator::server_spring {
namespace java = code_morph::java;
using openapi::Schema;
using openapi::SchemaType;

namespace {

// Types the generated code names without qualification: a record of one of these names would hide it.
constexpr std::string_view kTakenNames[] = {
    "Application",
    "Boolean",
    "ByteArrayResource",
    "CookieValue",
    "DecimalMax",
    "DecimalMin",
    "DeleteMapping",
    "Double",
    "Float",
    "GetMapping",
    "Integer",
    "JsonProperty",
    "List",
    "LocalDate",
    "Long",
    "Max",
    "Min",
    "MockBean",
    "NotNull",
    "Object",
    "OffsetDateTime",
    "Override",
    "PatchMapping",
    "PathVariable",
    "Pattern",
    "PostMapping",
    "PutMapping",
    "Record",
    "RequestBody",
    "RequestHeader",
    "RequestMapping",
    "RequestMethod",
    "RequestParam",
    "Resource",
    "RestController",
    "Service",
    "Size",
    "SpringApplication",
    "SpringBootApplication",
    "String",
    "Test",
    "UUID",
    "Valid",
    "Validated",
    "WebMvcTest",
    "Byte",
    "Character",
    "Short",
    "Number",
    "Void",
    "Class",
    "System",
    "Math",
    "Enum",
};

// Methods of every object: a record component of one of these names does not compile, and a service method of one
// of them would clash with Object's.
constexpr std::string_view kObjectMethods[] = {"clone",  "equals",    "finalize", "getClass", "hashCode",
                                               "notify", "notifyAll", "toString", "wait"};

constexpr std::string_view kConstraints = "jakarta.validation.constraints.";

java::Annotation constraint(std::string_view name, std::string arguments = {}) {
    return java::Annotation{fmt::format("@{}{}", name, arguments), {fmt::format("{}{}", kConstraints, name)}};
}

bool isIntegral(ValueKind kind) { return kind == ValueKind::Integer || kind == ValueKind::Long; }
bool isDecimal(ValueKind kind) { return kind == ValueKind::Float || kind == ValueKind::Double; }

// An inclusive whole-number bound for @Min/@Max, when the bound is one that a long holds.
std::optional<std::int64_t> wholeBound(const openapi::NumericBound& bound, bool lower) {
    const number::Number& value = bound.value;
    if (!value.isInteger() || value.isDouble() || value.isDynamic()) return std::nullopt;
    if (value.isULong() && value.ulongValue() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return std::nullopt;
    }
    std::int64_t whole = value.toLong();
    if (!bound.exclusive) return whole;
    if (lower) {
        if (whole == std::numeric_limits<std::int64_t>::max()) return std::nullopt;
        return whole + 1;
    }
    if (whole == std::numeric_limits<std::int64_t>::min()) return std::nullopt;
    return whole - 1;
}

java::Annotation boundAnnotation(const openapi::NumericBound& bound, bool lower, ValueKind kind) {
    if (isIntegral(kind)) {
        if (auto whole = wholeBound(bound, lower))
            return constraint(lower ? "Min" : "Max", fmt::format("({}L)", *whole));
    }
    const std::string value = java::toStringLiteral(bound.value.string());
    return constraint(lower ? "DecimalMin" : "DecimalMax", bound.exclusive
                                                               ? fmt::format("(value = {}, inclusive = false)", value)
                                                               : fmt::format("({})", value));
}

// An object, or a schema without type that has properties.
bool isRecord(const Schema* schema) {
    const auto types = schema->types();
    if (types.empty()) return !schema->properties().empty();
    return types.size() == 1 && types.front() == SchemaType::object;
}

std::string_view formatName(const Schema* schema) {
    return schema->format() != nullptr ? schema->format()->name() : std::string_view();
}

}  // namespace

TypeInfo objectType() { return TypeInfo{"Object", {}, ValueKind::Object, nullptr, false}; }
TypeInfo voidType() { return TypeInfo{"void", {}, ValueKind::Object, nullptr, false}; }

NameRegistry::NameRegistry() {
    for (std::string_view name : kTakenNames) taken_.insert(asciiToLower(name));
}

std::string NameRegistry::claim(const std::string& base) {
    std::string name = base;
    for (int number = 2; !taken_.insert(asciiToLower(name)).second; ++number) name = fmt::format("{}{}", base, number);
    return name;
}

void IssueLog::add(IssueSeverity severity, std::string message, const openapi::Node* node) {
    issues_.push_back(context_.issueAt(severity, std::move(message), node));
}

std::string IssueLog::where(const openapi::Node* node) const {
    std::string pointer = context_.translationKey(node, "");
    return pointer.empty() ? std::string("#") : "#" + pointer;
}

std::string memberName(std::string_view name) {
    std::string result = java::toVariableName(name);
    if (std::find(std::begin(kObjectMethods), std::end(kObjectMethods), result) != std::end(kObjectMethods)) {
        result += '1';
    }
    return result;
}

std::string uniqueIn(std::set<std::string>& used, const std::string& name) {
    std::string result = name;
    for (int number = 2; !used.insert(result).second; ++number) result = fmt::format("{}{}", name, number);
    return result;
}

void TypeInfoMap::resolveComponents(const std::vector<std::pair<std::string, const Schema*>>& components,
                                    const std::string& packageName) {
    // Every component record is named before any is filled, so that a component reached first through another one
    // still gets its own name.
    std::vector<std::pair<NamedType*, NameHint>> records(components.size(), {nullptr, NameHint{}});
    for (std::size_t i = 0; i < components.size(); ++i) {
        const auto& [name, schema] = components[i];
        if (map_.contains(schema)) continue;
        const NameHint hint{packageName, java::toClassName(name), ""};
        const auto types = schema->types();
        if (types.size() > 1 || (types.size() == 1 && types.front() == SchemaType::null)) {
            log_.add(
                IssueSeverity::Warning,
                types.size() > 1
                    ? fmt::format("NamedType with multiple types is not supported ({}.{})", packageName, hint.stem)
                    : fmt::format("NamedType with non-object type is not supported ({}.{})", packageName, hint.stem),
                schema);
            map_.emplace(schema, objectType());
        } else if (isRecord(schema)) {
            records[i] = {createRecord(schema, hint), hint};
        }
    }
    for (std::size_t i = 0; i < components.size(); ++i) {
        const auto& [name, schema] = components[i];
        if (records[i].first != nullptr) {
            fillRecord(*records[i].first, schema, records[i].second);
        } else {
            resolve(schema, NameHint{packageName, java::toClassName(name), ""});
        }
    }
}

TypeInfo TypeInfoMap::resolve(const Schema* schema, const NameHint& hint) {
    if (schema == nullptr) return objectType();
    if (auto known = map_.find(schema); known != map_.end()) return known->second;
    if (inProgress_.contains(schema)) {
        // Only an array can be met again before it is typed (a record is known before its fields are typed): an
        // array that contains itself has no Java type.
        if (std::find(unresolved_.begin(), unresolved_.end(), schema) == unresolved_.end()) {
            unresolved_.push_back(schema);
        }
        return objectType();
    }
    auto types = schema->types();
    if (isRecord(schema)) types = {SchemaType::object};
    TypeInfo info;
    if (types.size() > 1) {
        log_.add(IssueSeverity::Warning,
                 fmt::format("Schemas with multiple types are not currently supported ({})", log_.where(schema)),
                 schema);
        info = objectType();
    } else if (types.empty()) {
        info = objectType();
    } else {
        switch (types.front()) {
            case SchemaType::object: {
                NamedType* named = createRecord(schema, hint);
                fillRecord(*named, schema, hint);
                return map_.at(schema);
            }
            case SchemaType::array: {
                inProgress_.insert(schema);
                TypeInfo item = schema->items() != nullptr ? resolve(schema->items(), hint) : objectType();
                inProgress_.erase(schema);
                info.name = fmt::format("List<{}>", item.name);
                info.imports = std::move(item.imports);
                info.imports.push_back("java.util.List");
                info.kind = ValueKind::List;
                info.holdsRecord = item.holdsRecord;
                break;
            }
            case SchemaType::null:
                log_.add(IssueSeverity::Warning,
                         fmt::format("Schemas with non-object type are not currently supported ({}). Falling back to "
                                     "Object",
                                     log_.where(schema)),
                         schema);
                info = objectType();
                break;
            default:
                info = scalar(schema, types.front());
                break;
        }
    }
    map_.emplace(schema, info);
    return info;
}

TypeInfo TypeInfoMap::resolveBody(const Schema* schema, const NameHint& hint) {
    if (schema->typeCount() == 1 && schema->hasType(SchemaType::string) && formatName(schema) == "binary") {
        return TypeInfo{"Resource", {"org.springframework.core.io.Resource"}, ValueKind::Resource, nullptr, false};
    }
    return resolve(schema, hint);
}

TypeInfo TypeInfoMap::scalar(const Schema* schema, SchemaType type) {
    const std::string_view format = formatName(schema);
    switch (type) {
        case SchemaType::boolean:
            return TypeInfo{"Boolean", {}, ValueKind::Boolean, nullptr, false};
        case SchemaType::integer:
            if (format == "int64") return TypeInfo{"Long", {}, ValueKind::Long, nullptr, false};
            return TypeInfo{"Integer", {}, ValueKind::Integer, nullptr, false};
        case SchemaType::number:
            if (format == "float") return TypeInfo{"Float", {}, ValueKind::Float, nullptr, false};
            return TypeInfo{"Double", {}, ValueKind::Double, nullptr, false};
        default:
            break;
    }
    if (format == "date") return TypeInfo{"LocalDate", {"java.time.LocalDate"}, ValueKind::Date, nullptr, false};
    if (format == "date-time") {
        return TypeInfo{"OffsetDateTime", {"java.time.OffsetDateTime"}, ValueKind::DateTime, nullptr, false};
    }
    if (format == "uuid") return TypeInfo{"UUID", {"java.util.UUID"}, ValueKind::Uuid, nullptr, false};
    // Jackson reads and writes byte arrays as base64 text, which is what both formats carry in JSON.
    if (format == "binary" || format == "byte") return TypeInfo{"byte[]", {}, ValueKind::Bytes, nullptr, false};
    return TypeInfo{"String", {}, ValueKind::String, nullptr, false};
}

NamedType* TypeInfoMap::createRecord(const Schema* schema, const NameHint& hint) {
    auto owned = std::make_unique<NamedType>();
    NamedType* named = owned.get();
    namedTypes_.push_back(std::move(owned));
    named->packageName = hint.packageName;
    named->className = names_.claim(hint.stem + hint.suffix);
    // Known before the fields are typed, so that records may refer to themselves.
    map_.emplace(schema, TypeInfo{named->className, {named->qualifiedName()}, ValueKind::Record, named, true});
    return named;
}

void TypeInfoMap::fillRecord(NamedType& record, const Schema* schema, const NameHint& hint) {
    NamedType* named = &record;
    std::set<std::string> fieldNames;
    for (const auto& [property, node] : schema->properties()) {
        const Schema* propertySchema = schema->property(property);
        if (propertySchema == nullptr) continue;
        std::string name;
        const auto* own = node->type() == openapi::NodeType::Schema ? static_cast<const Schema*>(node.get()) : nullptr;
        if (auto generated = own != nullptr ? extensions::generatedName(own) : std::nullopt) {
            if (java::isValidVariableName(*generated)) {
                name = memberName(*generated);
            } else {
                log_.add(IssueSeverity::Warning,
                         fmt::format("x-zephalon/codegen/name must be a valid variable name ({}.{}.{})",
                                     named->packageName, named->className, property),
                         own);
            }
        }
        if (name.empty()) name = memberName(property);
        name = uniqueIn(fieldNames, name);

        const bool required = schema->isRequired(property);
        TypeInfo type =
            resolve(propertySchema, NameHint{hint.packageName, hint.stem + java::toClassName(property), hint.suffix});
        std::vector<java::Annotation> annotations{java::jackson::propertyAnnotation(property, required)};
        for (auto& annotation : validation(propertySchema, type, required))
            annotations.push_back(std::move(annotation));
        Field field{"", std::move(type), std::move(name)};
        for (const auto& annotation : annotations) {
            if (!field.annotation.empty()) field.annotation += ' ';
            field.annotation += annotation.text;
            named->imports.insert(named->imports.end(), annotation.imports.begin(), annotation.imports.end());
        }
        named->imports.insert(named->imports.end(), field.type.imports.begin(), field.type.imports.end());
        named->fields.push_back(std::move(field));
    }
}

std::vector<java::Annotation> TypeInfoMap::validation(const Schema* schema, const TypeInfo& type, bool required) {
    std::vector<java::Annotation> annotations;
    if (required) annotations.push_back(constraint("NotNull"));
    if (schema == nullptr) return annotations;
    openapi::SchemaConstraints constraints;
    openapi::collectConstraints(*schema, constraints);

    const auto& length = constraints.lengthConstraints;
    const auto& items = constraints.itemCountConstraints;
    const auto& properties = constraints.propertyCountConstraints;
    const int sizeKinds = (length.min || length.max ? 1 : 0) + (items.min || items.max ? 1 : 0) +
                          (properties.min || properties.max ? 1 : 0);
    if (sizeKinds > 1 && sizeReported_.insert(schema).second) {
        log_.add(IssueSeverity::Warning, "Schema has multiple Size annotations for multiple types, skipping", schema);
    }
    // Size applies to text and collections only: on any other type the validator fails at run time.
    const auto size = [&](const openapi::MinMax<std::uint64_t>& limits) {
        if (limits.min || limits.max) {
            annotations.push_back(constraint(
                "Size", fmt::format("({})", java::jakarta::constraints::formatSizeValidation(limits.min, limits.max))));
        }
    };
    if (type.kind == ValueKind::String) size(length);
    if (type.kind == ValueKind::List) size(items);

    if (type.kind == ValueKind::String) {
        for (const std::string& pattern : constraints.patternConstraints) {
            annotations.push_back(constraint("Pattern", fmt::format("(regexp = {})", java::toStringLiteral(pattern))));
        }
    }
    if (isIntegral(type.kind) || isDecimal(type.kind)) {
        if (constraints.rangeConstraints.min) {
            annotations.push_back(boundAnnotation(*constraints.rangeConstraints.min, true, type.kind));
        }
        if (constraints.rangeConstraints.max) {
            annotations.push_back(boundAnnotation(*constraints.rangeConstraints.max, false, type.kind));
        }
    }
    if (type.holdsRecord) annotations.push_back(java::Annotation{"@Valid", {"jakarta.validation.Valid"}});
    return annotations;
}

void TypeInfoMap::reportUnresolved() {
    if (unresolved_.empty()) return;
    std::string message = fmt::format("Some of array schemas were not resolved ({}).\n", unresolved_.size());
    for (const Schema* schema : unresolved_) message += fmt::format("  - {}\n", log_.where(schema));
    log_.add(IssueSeverity::Warning, std::move(message), unresolved_.front());
    unresolved_.clear();
}

std::string placeholderValue(const TypeInfo& type, std::string_view text, std::vector<std::string>& imports) {
    switch (type.kind) {
        case ValueKind::Boolean:
            return "true";
        case ValueKind::Integer:
            return "42";
        case ValueKind::Long:
            return "42L";
        case ValueKind::Float:
            return "3.14f";
        case ValueKind::Double:
            return "3.14";
        case ValueKind::String:
            return java::toStringLiteral(text);
        case ValueKind::Date:
            return "LocalDate.now()";
        case ValueKind::DateTime:
            return "OffsetDateTime.now()";
        case ValueKind::Uuid:
            return "UUID.randomUUID()";
        case ValueKind::Bytes:
            return "new byte[0]";
        case ValueKind::Resource:
            imports.push_back("org.springframework.core.io.ByteArrayResource");
            return "new ByteArrayResource(new byte[0])";
        case ValueKind::List:
            return "List.of()";
        case ValueKind::Object:
        case ValueKind::Record:
            break;
    }
    return fmt::format("new {}()", type.name);
}

std::set<std::pair<const NamedType*, std::size_t>> recursiveFields(
    const std::vector<std::unique_ptr<NamedType>>& types) {
    // Whether constructing `from` with its defaults constructs `target` somewhere (records held directly, not in
    // lists, are constructed).
    const auto reaches = [](const NamedType* from, const NamedType* target) {
        std::vector<const NamedType*> stack{from};
        std::set<const NamedType*> seen{from};
        while (!stack.empty()) {
            const NamedType* current = stack.back();
            stack.pop_back();
            if (current == target) return true;
            for (const Field& field : current->fields) {
                if (field.type.kind == ValueKind::Record && seen.insert(field.type.named).second) {
                    stack.push_back(field.type.named);
                }
            }
        }
        return false;
    };
    std::set<std::pair<const NamedType*, std::size_t>> result;
    for (const auto& type : types) {
        for (std::size_t i = 0; i < type->fields.size(); ++i) {
            const TypeInfo& field = type->fields[i].type;
            if (field.kind == ValueKind::Record && reaches(field.named, type.get())) result.emplace(type.get(), i);
        }
    }
    return result;
}

}  // namespace zephalon::openapi_generator::server_spring
