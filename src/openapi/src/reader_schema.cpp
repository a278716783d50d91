// The schema reader: JSON Schema keywords of both OpenAPI versions, in a fixed order.

#include <fmt/format.h>

#include <unordered_map>

#include "reader_impl.h"
#include "zephalon/openapi/schema_keywords.h"

namespace zephalon::openapi::detail {

namespace {

// Bit numbers of the keywords in DocumentReader::KeywordSet, in the table's order, and the extensions after them.
enum Keyword : unsigned {
#define ZEPHALON_KEYWORD_BIT(name, get, ...) kw_##get,
    ZEPHALON_SCHEMA_KEYWORDS(ZEPHALON_KEYWORD_BIT, ZEPHALON_KEYWORD_BIT, ZEPHALON_KEYWORD_BIT, ZEPHALON_KEYWORD_BIT,
                             ZEPHALON_KEYWORD_BIT, ZEPHALON_KEYWORD_BIT, ZEPHALON_KEYWORD_BIT, ZEPHALON_KEYWORD_BIT)
#undef ZEPHALON_KEYWORD_BIT
        kExtension,
    kKeywordCount
};

const std::unordered_map<std::string_view, Keyword>& keywordTable() {
    static const std::unordered_map<std::string_view, Keyword> table{
#define ZEPHALON_KEYWORD_ENTRY(name, get, ...) {name, kw_##get},
        ZEPHALON_SCHEMA_KEYWORDS(ZEPHALON_KEYWORD_ENTRY, ZEPHALON_KEYWORD_ENTRY, ZEPHALON_KEYWORD_ENTRY,
                                 ZEPHALON_KEYWORD_ENTRY, ZEPHALON_KEYWORD_ENTRY, ZEPHALON_KEYWORD_ENTRY,
                                 ZEPHALON_KEYWORD_ENTRY, ZEPHALON_KEYWORD_ENTRY)
#undef ZEPHALON_KEYWORD_ENTRY
    };
    return table;
}

}  // namespace

void DocumentReader::readSchema(Schema* schema, const JV& value) {
    map(schema, value);
    if (value.isBoolean()) {
        // `false` is stored as a schema that forbids everything; `true` is the empty schema. The `not` made for it
        // stands where the `false` does, so that every node of the model has a place in the source.
        if (!value.booleanValue()) map(schema->setNot(), value);
        return;
    }
    DepthScope depth(*this, schema, value);
    if (!depth.ok()) return;
    readSchemaKeywords(schema, value);
}

void DocumentReader::readSchemaKeywords(Schema* s, const JV& v) {
    static_assert(kKeywordCount <= KeywordSet().size());
    KeywordSet has;
    const auto& table = keywordTable();
    for (auto [key, value] : v.properties()) {
        if (isExtensionKey(key)) {
            has.set(kExtension);
        } else if (auto it = table.find(key); it != table.end()) {
            has.set(it->second);
        }
    }
    if (has[kExtension]) guard(s, &v, [&] { readExtensions(s, v); });
        // Every keyword present is a step of its own, in the table's order: one bad keyword does not hide the rest of
        // the schema.
#define ZEPHALON_READ_TEXT(name, get, set)                                   \
    if (has[kw_##get]) {                                                     \
        guard(s, &v, [&] {                                                   \
            if (auto text = optString(s, v, name)) s->set(std::move(*text)); \
        });                                                                  \
    }
#define ZEPHALON_READ_FLAG(name, get, set)                      \
    if (has[kw_##get]) {                                        \
        guard(s, &v, [&] {                                      \
            if (auto flag = optBool(s, v, name)) s->set(*flag); \
        });                                                     \
    }
#define ZEPHALON_READ_COUNT(name, get, set)                        \
    if (has[kw_##get]) {                                           \
        guard(s, &v, [&] {                                         \
            if (auto count = optCount(s, v, name)) s->set(*count); \
        });                                                        \
    }
#define ZEPHALON_READ_NUMBER(name, get, set)                                           \
    if (has[kw_##get]) {                                                               \
        guard(s, &v, [&] {                                                             \
            if (const number::Number* number = optNumber(s, v, name)) s->set(*number); \
        });                                                                            \
    }
#define ZEPHALON_READ_SUBSCHEMA(name, get, set, setRef)                                                   \
    if (has[kw_##get]) {                                                                                  \
        guard(s, &v, [&] {                                                                                \
            readSchemaSlot(                                                                               \
                s, *v.property(name), [&] { return s->set(); }, [&](Schema* t) { return s->setRef(t); }); \
        });                                                                                               \
    }
#define ZEPHALON_READ_SUBSCHEMA_LIST(name, get, add, addRef)                                         \
    if (has[kw_##get]) {                                                                             \
        guard(s, &v, [&] {                                                                           \
            if (const JV* list = optArray(s, v, name)) {                                             \
                for (const JV* sub : list->items()) {                                                \
                    readSchemaSlot(                                                                  \
                        s, *sub, [&] { return s->add(); }, [&](Schema* t) { return s->addRef(t); }); \
                }                                                                                    \
            }                                                                                        \
        });                                                                                          \
    }
#define ZEPHALON_READ_SUBSCHEMA_MAP(name, get, add, addRef)                                                  \
    if (has[kw_##get]) {                                                                                     \
        guard(s, &v, [&] {                                                                                   \
            if (const JV* entries = optObject(s, v, name)) {                                                 \
                mapKeyed(s, name, entries);                                                                  \
                for (const auto& member : members(*entries)) {                                               \
                    const auto& key = member.first;                                                          \
                    const auto& sub = member.second;                                                         \
                    readSchemaSlot(                                                                          \
                        s, *sub, [&] { return s->add(key); }, [&](Schema* t) { return s->addRef(key, t); }); \
                }                                                                                            \
            }                                                                                                \
        });                                                                                                  \
    }
#define ZEPHALON_READ_OTHER(name, id) \
    if (has[kw_##id]) guard(s, &v, [&] { readOtherKeyword(s, v, OtherSchemaKeyword::id, has); });
    ZEPHALON_SCHEMA_KEYWORDS(ZEPHALON_READ_TEXT, ZEPHALON_READ_FLAG, ZEPHALON_READ_COUNT, ZEPHALON_READ_NUMBER,
                             ZEPHALON_READ_SUBSCHEMA, ZEPHALON_READ_SUBSCHEMA_LIST, ZEPHALON_READ_SUBSCHEMA_MAP,
                             ZEPHALON_READ_OTHER)
#undef ZEPHALON_READ_TEXT
#undef ZEPHALON_READ_FLAG
#undef ZEPHALON_READ_COUNT
#undef ZEPHALON_READ_NUMBER
#undef ZEPHALON_READ_SUBSCHEMA
#undef ZEPHALON_READ_SUBSCHEMA_LIST
#undef ZEPHALON_READ_SUBSCHEMA_MAP
#undef ZEPHALON_READ_OTHER
}

void DocumentReader::readOtherKeyword(Schema* s, const JV& v, OtherSchemaKeyword keyword, const KeywordSet& has) {
    switch (keyword) {
        case OtherSchemaKeyword::dialect:
            if (auto dialect = optString(s, v, "$schema")) {
                const SchemaDialect* known = dialects_.get(*dialect);
                if (known == nullptr) {
                    issue(s, &v, fmt::format("Unknown schema dialect: {}", *dialect));
                } else {
                    s->setDialect(known);
                }
            }
            return;
        case OtherSchemaKeyword::defaultValue:
            s->setDefaultValue(v.property("default"));
            return;
        case OtherSchemaKeyword::types:
            return readSchemaTypes(s, v);
        case OtherSchemaKeyword::nullable:
            return readNullable(s, v);
        case OtherSchemaKeyword::format:
            if (auto format = optString(s, v, "format")) {
                const SchemaFormat* known = formats_.get(*format);
                if (known == nullptr) {
                    issue(s, &v, fmt::format("Unknown format: {}", *format));
                } else {
                    s->setFormat(known);
                }
            }
            return;
        case OtherSchemaKeyword::constValue:
            return readConstAndEnum(s, v);
        case OtherSchemaKeyword::enumValues:
            if (!has[kw_constValue]) readConstAndEnum(s, v);
            return;
        case OtherSchemaKeyword::definitions:
            return readDefinitions(s, v);
        case OtherSchemaKeyword::olderDefinitions:
            if (!has[kw_definitions]) readDefinitions(s, v);
            return;
        case OtherSchemaKeyword::exampleValue:
            return readSchemaExamples(s, v);
        case OtherSchemaKeyword::examples:
            if (!has[kw_exampleValue]) readSchemaExamples(s, v);
            return;
        case OtherSchemaKeyword::exclusiveMaximum:
            return readExclusiveBound(s, v, "exclusiveMaximum");
        case OtherSchemaKeyword::exclusiveMinimum:
            return readExclusiveBound(s, v, "exclusiveMinimum");
        case OtherSchemaKeyword::required:
            return readRequired(s, v);
        case OtherSchemaKeyword::dependentRequired:
            return readDependentRequired(s, v);
        case OtherSchemaKeyword::discriminator:
            return readDiscriminator(s, v);
        case OtherSchemaKeyword::xml:
            return readXml(s, v);
        case OtherSchemaKeyword::externalDocs:
            if (const JV* docs = optObject(s, v, "externalDocs")) {
                readExternalDocs(s, *docs, [&](std::string url) { return s->addExternalDocs(std::move(url)); });
            }
            return;
    }
}

void DocumentReader::readSchemaTypes(Schema* s, const JV& v) {
    const JV* type = v.property("type");
    if (type == nullptr) return;
    s->clearTypes();
    auto add = [&](std::string_view name) {
        try {
            s->addType(name);
        } catch (const std::exception& e) {
            issue(s, &v, e.what());
        }
    };
    if (type->isString()) {
        add(type->stringValue());
    } else if (type->isArray()) {
        for (const JV* item : type->items()) {
            if (item->isString()) {
                add(item->stringValue());
            } else {
                issue(s, type, "Expected string value for schema type");
            }
        }
    } else {
        issue(s, &v, "Expected string or array value for schema type");
    }
}

void DocumentReader::readConstAndEnum(Schema* s, const JV& v) {
    const JV* constant = v.property("const");
    const JV* values = v.property("enum");
    if (constant != nullptr) {
        if (is30_) {
            issue(s, &v, "const keyword is only supported in OpenAPI 3.1");
        } else if (values != nullptr) {
            issue(s, &v, "const and enum keywords are mutually exclusive");
        } else {
            s->addEnum(*constant);
            s->setConst(true);
            return;
        }
    }
    if (values == nullptr) return;
    if (!values->isArray()) {
        issue(s, &v, "An array value is expected for 'enum'.");
        return;
    }
    for (const JV* item : values->items()) s->addEnum(*item);
}

void DocumentReader::readDefinitions(Schema* s, const JV& v) {
    const JV* defs = v.property("$defs");
    const JV* definitions = v.property("definitions");
    if (defs != nullptr && definitions != nullptr) issue(s, &v, "definitions and $defs are mutually exclusive");
    std::string_view keyword = defs != nullptr ? "$defs" : "definitions";
    const JV* map = defs != nullptr ? defs : definitions;
    if (map == nullptr) return;
    if (!map->isObject()) {
        issue(s, &v, fmt::format("An object value is expected for '{}'.", keyword));
        return;
    }
    mapKeyed(s, "definitions", map);
    for (const auto& member : members(*map)) {
        const auto& name = member.first;
        const auto& sub = member.second;
        readSchemaSlot(
            s, *sub, [&] { return s->addDefinition(name); }, [&](Schema* t) { return s->addDefinitionRef(name, t); });
    }
}

void DocumentReader::readNullable(Schema* s, const JV& v) {
    auto nullable = optBool(s, v, "nullable");
    if (!nullable) return;
    if (!is30_ && !allowNullableIn31_) {
        issue(s, &v, "Nullable is only supported in OpenAPI 3.0");
        return;
    }
    // A schema without types already admits null; listing null alone would make it admit nothing else.
    if (*nullable && s->typeCount() > 0) s->addType(SchemaType::null);
}

void DocumentReader::readExclusiveBound(Schema* s, const JV& v, std::string_view keyword) {
    const JV* bound = v.property(keyword);
    const bool maximum = keyword == "exclusiveMaximum";
    // Draft 4 (which a 3.0 document uses, and a 3.1 schema may choose) has a flag beside minimum and maximum; later
    // drafts have the bound itself.
    if (usesExclusiveFlags(*s)) {
        if (!bound->isBoolean()) return issue(s, &v, "Expected boolean value");
        maximum ? s->setExclusiveMaximum(bound->booleanValue()) : s->setExclusiveMinimum(bound->booleanValue());
    } else {
        if (!bound->isNumber()) return issue(s, &v, "Expected numeric value");
        maximum ? s->setExclusiveMaximum(bound->numberValue()) : s->setExclusiveMinimum(bound->numberValue());
    }
}

void DocumentReader::readRequired(Schema* s, const JV& v) {
    const JV* required = v.property("required");
    if (!required->isArray()) return issue(s, &v, "Expected array value");
    for (const JV* name : required->items()) {
        if (name->isString()) {
            s->addRequired(name->stringValue());
        } else {
            issue(s, required, "Expected string value");
        }
    }
}

void DocumentReader::readDependentRequired(Schema* s, const JV& v) {
    const JV* dependent = optObject(s, v, "dependentRequired");
    if (dependent == nullptr) return;
    mapKeyed(s, "dependentRequired", dependent);
    for (const auto& [property, names] : members(*dependent)) {
        if (!names->isArray()) {
            issue(s, dependent, fmt::format("An array value is expected for '{}'.", property));
            continue;
        }
        for (const JV* name : names->items()) {
            if (name->isString()) {
                s->addDependentRequired(property, name->stringValue());
            } else {
                issue(s, names, "Expected string value");
            }
        }
    }
}

void DocumentReader::readSchemaExamples(Schema* s, const JV& v) {
    if (const JV* example = v.property("example")) s->setExampleValue(example);
    const JV* examples = v.property("examples");
    if (examples == nullptr) return;
    if (examples->isArray()) {
        // The JSON Schema form: a list of sample values.
        for (const JV* item : examples->items()) s->addListExample(item);
    } else if (examples->isObject()) {
        mapKeyed(s, "examples", examples);
        for (const auto& [name, example] : members(*examples)) s->setExample(name, example);
    } else {
        issue(s, &v, "An array or object value is expected for 'examples'.");
    }
}

void DocumentReader::readDiscriminator(Schema* s, const JV& v) {
    const JV* value = optObject(s, v, "discriminator");
    if (value == nullptr) return;
    Discriminator* discriminator = s->setDiscriminator(std::string(value->stringPropertyValue("propertyName")));
    map(discriminator, *value);
    readExtensions(discriminator, *value);
    if (const JV* mapping = optObject(discriminator, *value, "mapping")) {
        mapKeyed(discriminator, "mapping", mapping);
        for (const auto& [key, ref] : members(*mapping)) {
            if (ref->isString()) {
                discriminator->setMapping(key, std::string(ref->stringValue()));
            } else {
                issue(discriminator, mapping, fmt::format("A string value is expected for '{}'.", key));
            }
        }
    }
}

void DocumentReader::readXml(Schema* s, const JV& v) {
    const JV* value = optObject(s, v, "xml");
    if (value == nullptr) return;
    XML* xml = s->setXml();
    map(xml, *value);
    readExtensions(xml, *value);
    if (auto name = optString(xml, *value, "name")) xml->setName(*name);
    if (auto ns = optString(xml, *value, "namespace")) xml->setXmlNamespace(*ns);
    if (auto prefix = optString(xml, *value, "prefix")) xml->setPrefix(*prefix);
    if (auto attribute = optBool(xml, *value, "attribute")) xml->setAttribute(*attribute);
    if (auto wrapped = optBool(xml, *value, "wrapped")) xml->setWrapped(*wrapped);
}

}  // namespace zephalon::openapi::detail
