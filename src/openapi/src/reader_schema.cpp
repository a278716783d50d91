// The schema reader: JSON Schema keywords of both OpenAPI versions, in a fixed order.

#include <fmt/format.h>

#include <unordered_map>

#include "reader_impl.h"

namespace zephalon::openapi::detail {

namespace {

// Bit numbers of the keywords in DocumentReader::KeywordSet.
enum Keyword : unsigned {
    kExtension,
    kId,
    kSchema,
    kType,
    kConst,
    kEnum,
    kTitle,
    kDescription,
    kComment,
    kAnchor,
    kDynamicAnchor,
    kDynamicRef,
    kVocabulary,
    kDefault,
    kDeprecated,
    kReadOnly,
    kWriteOnly,
    kDefs,
    kDefinitions,
    kNullable,
    kFormat,
    kMultipleOf,
    kMaximum,
    kExclusiveMaximum,
    kMinimum,
    kExclusiveMinimum,
    kMaxLength,
    kMinLength,
    kPattern,
    kContentEncoding,
    kContentMediaType,
    kContentSchema,
    kMaxItems,
    kMinItems,
    kUniqueItems,
    kPrefixItems,
    kItems,
    kAdditionalItems,
    kContains,
    kMaxContains,
    kMinContains,
    kUnevaluatedItems,
    kMaxProperties,
    kMinProperties,
    kRequired,
    kProperties,
    kPatternProperties,
    kAdditionalProperties,
    kPropertyNames,
    kDependentRequired,
    kDependentSchemas,
    kUnevaluatedProperties,
    kAllOf,
    kAnyOf,
    kOneOf,
    kNot,
    kIf,
    kThen,
    kElse,
    kExample,
    kExamples,
    kDiscriminator,
    kXml,
    kExternalDocs,
    kKeywordCount
};

const std::unordered_map<std::string_view, Keyword>& keywordTable() {
    static const std::unordered_map<std::string_view, Keyword> table{
        {"$id", kId},
        {"$schema", kSchema},
        {"type", kType},
        {"const", kConst},
        {"enum", kEnum},
        {"title", kTitle},
        {"description", kDescription},
        {"$comment", kComment},
        {"$anchor", kAnchor},
        {"$dynamicAnchor", kDynamicAnchor},
        {"$dynamicRef", kDynamicRef},
        {"$vocabulary", kVocabulary},
        {"default", kDefault},
        {"deprecated", kDeprecated},
        {"readOnly", kReadOnly},
        {"writeOnly", kWriteOnly},
        {"$defs", kDefs},
        {"definitions", kDefinitions},
        {"nullable", kNullable},
        {"format", kFormat},
        {"multipleOf", kMultipleOf},
        {"maximum", kMaximum},
        {"exclusiveMaximum", kExclusiveMaximum},
        {"minimum", kMinimum},
        {"exclusiveMinimum", kExclusiveMinimum},
        {"maxLength", kMaxLength},
        {"minLength", kMinLength},
        {"pattern", kPattern},
        {"contentEncoding", kContentEncoding},
        {"contentMediaType", kContentMediaType},
        {"contentSchema", kContentSchema},
        {"maxItems", kMaxItems},
        {"minItems", kMinItems},
        {"uniqueItems", kUniqueItems},
        {"prefixItems", kPrefixItems},
        {"items", kItems},
        {"additionalItems", kAdditionalItems},
        {"contains", kContains},
        {"maxContains", kMaxContains},
        {"minContains", kMinContains},
        {"unevaluatedItems", kUnevaluatedItems},
        {"maxProperties", kMaxProperties},
        {"minProperties", kMinProperties},
        {"required", kRequired},
        {"properties", kProperties},
        {"patternProperties", kPatternProperties},
        {"additionalProperties", kAdditionalProperties},
        {"propertyNames", kPropertyNames},
        {"dependentRequired", kDependentRequired},
        {"dependentSchemas", kDependentSchemas},
        {"unevaluatedProperties", kUnevaluatedProperties},
        {"allOf", kAllOf},
        {"anyOf", kAnyOf},
        {"oneOf", kOneOf},
        {"not", kNot},
        {"if", kIf},
        {"then", kThen},
        {"else", kElse},
        {"example", kExample},
        {"examples", kExamples},
        {"discriminator", kDiscriminator},
        {"xml", kXml},
        {"externalDocs", kExternalDocs},
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
    auto any = [&](std::initializer_list<Keyword> keywords) {
        for (Keyword k : keywords) {
            if (has[k]) return true;
        }
        return false;
    };
    // Every keyword is a step of its own: one bad keyword does not hide the rest of the schema.
    if (has[kId]) {
        guard(s, &v, [&] {
            if (auto id = optString(s, v, "$id")) s->setId(std::move(*id));
        });
    }
    if (has[kSchema]) {
        guard(s, &v, [&] {
            if (auto dialect = optString(s, v, "$schema")) {
                const SchemaDialect* known = dialects_.get(*dialect);
                if (known == nullptr) {
                    issue(s, &v, fmt::format("Unknown schema dialect: {}", *dialect));
                } else {
                    s->setDialect(known);
                }
            }
        });
    }
    if (has[kType]) guard(s, &v, [&] { readSchemaTypes(s, v); });
    if (any({kConst, kEnum})) guard(s, &v, [&] { readConstAndEnum(s, v); });
    if (has[kExtension]) guard(s, &v, [&] { readExtensions(s, v); });
    if (any({kTitle, kDescription, kComment, kAnchor, kDynamicAnchor, kDynamicRef, kVocabulary})) {
        guard(s, &v, [&] {
            if (auto title = optString(s, v, "title")) s->setTitle(std::move(*title));
            if (auto description = optString(s, v, "description")) s->setDescription(std::move(*description));
            if (auto comment = optString(s, v, "$comment")) s->setComment(std::move(*comment));
            if (auto anchor = optString(s, v, "$anchor")) s->setAnchor(std::move(*anchor));
            if (auto anchor = optString(s, v, "$dynamicAnchor")) s->setDynamicAnchor(std::move(*anchor));
            if (auto ref = optString(s, v, "$dynamicRef")) s->setDynamicRef(std::move(*ref));
            if (auto vocabulary = optString(s, v, "$vocabulary")) s->setVocabulary(std::move(*vocabulary));
        });
    }
    if (has[kDefault]) guard(s, &v, [&] { s->setDefaultValue(v.property("default")); });
    if (any({kDeprecated, kReadOnly, kWriteOnly})) {
        guard(s, &v, [&] {
            if (auto deprecated = optBool(s, v, "deprecated")) s->setDeprecated(*deprecated);
            if (auto readOnly = optBool(s, v, "readOnly")) s->setReadOnly(*readOnly);
            if (auto writeOnly = optBool(s, v, "writeOnly")) s->setWriteOnly(*writeOnly);
        });
    }
    if (any({kDefs, kDefinitions})) guard(s, &v, [&] { readDefinitions(s, v); });
    if (has[kNullable]) guard(s, &v, [&] { readNullable(s, v); });
    if (has[kFormat]) {
        guard(s, &v, [&] {
            if (auto format = optString(s, v, "format")) {
                const SchemaFormat* known = formats_.get(*format);
                if (known == nullptr) {
                    issue(s, &v, fmt::format("Unknown format: {}", *format));
                } else {
                    s->setFormat(known);
                }
            }
        });
    }
    if (any({kMultipleOf, kMaximum, kExclusiveMaximum, kMinimum, kExclusiveMinimum})) readNumericKeywords(s, v, has);
    if (any({kMaxLength, kMinLength, kPattern, kContentEncoding, kContentMediaType, kContentSchema})) {
        guard(s, &v, [&] {
            if (auto n = optCount(s, v, "maxLength")) s->setMaxLength(*n);
            if (auto n = optCount(s, v, "minLength")) s->setMinLength(*n);
            if (auto pattern = optString(s, v, "pattern")) s->setPattern(std::move(*pattern));
            if (auto encoding = optString(s, v, "contentEncoding")) s->setContentEncoding(std::move(*encoding));
            if (auto mediaType = optString(s, v, "contentMediaType")) s->setContentMediaType(std::move(*mediaType));
            if (const JV* sub = v.property("contentSchema")) {
                readSchemaSlot(
                    s, *sub, [&] { return s->setContentSchema(); },
                    [&](Schema* t) { return s->setContentSchemaRef(t); });
            }
        });
    }
    if (any({kMaxItems, kMinItems, kUniqueItems, kPrefixItems, kItems, kAdditionalItems, kContains, kMaxContains,
             kMinContains, kUnevaluatedItems})) {
        readArrayKeywords(s, v, has);
    }
    if (any({kMaxProperties, kMinProperties, kRequired, kProperties, kPatternProperties, kAdditionalProperties,
             kPropertyNames, kDependentRequired, kDependentSchemas, kUnevaluatedProperties})) {
        readObjectKeywords(s, v, has);
    }
    if (any({kAllOf, kAnyOf, kOneOf, kNot, kIf, kThen, kElse})) readCompositeKeywords(s, v, has);
    if (any({kExample, kExamples})) guard(s, &v, [&] { readSchemaExamples(s, v); });
    if (has[kDiscriminator]) guard(s, &v, [&] { readDiscriminator(s, v); });
    if (has[kXml]) guard(s, &v, [&] { readXml(s, v); });
    if (has[kExternalDocs]) {
        guard(s, &v, [&] {
            if (const JV* docs = optObject(s, v, "externalDocs")) {
                readExternalDocs(s, *docs, [&](std::string url) { return s->addExternalDocs(std::move(url)); });
            }
        });
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
    for (const auto& [name, sub] : members(*map)) {
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

void DocumentReader::readNumericKeywords(Schema* s, const JV& v, const KeywordSet& has) {
    if (has[kMultipleOf])
        guard(s, &v, [&] {
            if (const number::Number* n = optNumber(s, v, "multipleOf")) s->setMultipleOf(*n);
        });
    if (has[kMaximum])
        guard(s, &v, [&] {
            if (const number::Number* n = optNumber(s, v, "maximum")) s->setMaximum(*n);
        });
    if (has[kExclusiveMaximum])
        guard(s, &v, [&] {
            const JV* bound = v.property("exclusiveMaximum");
            if (bound == nullptr) return;
            if (is30_) {
                if (!bound->isBoolean()) return issue(s, &v, "Expected boolean value");
                s->setExclusiveMaximum(bound->booleanValue());
            } else {
                if (!bound->isNumber()) return issue(s, &v, "Expected numeric value");
                s->setExclusiveMaximum(bound->numberValue());
            }
        });
    if (has[kMinimum])
        guard(s, &v, [&] {
            if (const number::Number* n = optNumber(s, v, "minimum")) s->setMinimum(*n);
        });
    if (has[kExclusiveMinimum])
        guard(s, &v, [&] {
            const JV* bound = v.property("exclusiveMinimum");
            if (bound == nullptr) return;
            if (is30_) {
                if (!bound->isBoolean()) return issue(s, &v, "Expected boolean value");
                s->setExclusiveMinimum(bound->booleanValue());
            } else {
                if (!bound->isNumber()) return issue(s, &v, "Expected numeric value");
                s->setExclusiveMinimum(bound->numberValue());
            }
        });
}

void DocumentReader::readArrayKeywords(Schema* s, const JV& v, const KeywordSet& has) {
    if (has[kMaxItems] || has[kMinItems] || has[kUniqueItems])
        guard(s, &v, [&] {
            if (auto n = optCount(s, v, "maxItems")) s->setMaxItems(*n);
            if (auto n = optCount(s, v, "minItems")) s->setMinItems(*n);
            if (auto unique = optBool(s, v, "uniqueItems")) s->setUniqueItems(*unique);
        });
    if (has[kPrefixItems])
        guard(s, &v, [&] {
            if (const JV* items = optArray(s, v, "prefixItems")) {
                for (const JV* sub : items->items()) {
                    readSchemaSlot(
                        s, *sub, [&] { return s->addPrefixItem(); }, [&](Schema* t) { return s->addPrefixItemRef(t); });
                }
            }
        });
    if (has[kItems])
        guard(s, &v, [&] {
            if (const JV* sub = v.property("items")) {
                readSchemaSlot(
                    s, *sub, [&] { return s->setItems(); }, [&](Schema* t) { return s->setItemsRef(t); });
            }
        });
    if (has[kAdditionalItems])
        guard(s, &v, [&] {
            if (const JV* sub = v.property("additionalItems")) {
                readSchemaSlot(
                    s, *sub, [&] { return s->setAdditionalItems(); },
                    [&](Schema* t) { return s->setAdditionalItemsRef(t); });
            }
        });
    if (has[kContains])
        guard(s, &v, [&] {
            if (const JV* sub = v.property("contains")) {
                readSchemaSlot(
                    s, *sub, [&] { return s->setContains(); }, [&](Schema* t) { return s->setContainsRef(t); });
            }
        });
    if (has[kMaxContains] || has[kMinContains])
        guard(s, &v, [&] {
            if (auto n = optCount(s, v, "maxContains")) s->setMaxContains(*n);
            if (auto n = optCount(s, v, "minContains")) s->setMinContains(*n);
        });
    if (has[kUnevaluatedItems])
        guard(s, &v, [&] {
            if (const JV* sub = v.property("unevaluatedItems")) {
                readSchemaSlot(
                    s, *sub, [&] { return s->setUnevaluatedItems(); },
                    [&](Schema* t) { return s->setUnevaluatedItemsRef(t); });
            }
        });
}

void DocumentReader::readObjectKeywords(Schema* s, const JV& v, const KeywordSet& has) {
    if (has[kMaxProperties] || has[kMinProperties])
        guard(s, &v, [&] {
            if (auto n = optCount(s, v, "maxProperties")) s->setMaxProperties(*n);
            if (auto n = optCount(s, v, "minProperties")) s->setMinProperties(*n);
        });
    if (has[kRequired])
        guard(s, &v, [&] {
            const JV* required = v.property("required");
            if (required == nullptr) return;
            if (!required->isArray()) return issue(s, &v, "Expected array value");
            for (const JV* name : required->items()) {
                if (name->isString()) {
                    s->addRequired(name->stringValue());
                } else {
                    issue(s, required, "Expected string value");
                }
            }
        });
    auto readMap = [&](std::string_view keyword, Keyword bit, auto make, auto makeRef) {
        if (!has[bit]) return;
        guard(s, &v, [&] {
            const JV* entries = optObject(s, v, keyword);
            if (entries == nullptr) return;
            mapKeyed(s, keyword, entries);
            for (const auto& [name, sub] : members(*entries)) {
                readSchemaSlot(
                    s, *sub, [&] { return make(name); }, [&](Schema* t) { return makeRef(name, t); });
            }
        });
    };
    readMap(
        "properties", kProperties, [&](std::string_view name) { return s->addProperty(name); },
        [&](std::string_view name, Schema* t) { return s->addPropertyRef(name, t); });
    readMap(
        "patternProperties", kPatternProperties, [&](std::string_view name) { return s->addPatternProperty(name); },
        [&](std::string_view name, Schema* t) { return s->addPatternPropertyRef(name, t); });
    if (has[kAdditionalProperties])
        guard(s, &v, [&] {
            if (const JV* sub = v.property("additionalProperties")) {
                readSchemaSlot(
                    s, *sub, [&] { return s->setAdditionalProperties(); },
                    [&](Schema* t) { return s->setAdditionalPropertiesRef(t); });
            }
        });
    if (has[kPropertyNames])
        guard(s, &v, [&] {
            if (const JV* sub = v.property("propertyNames")) {
                readSchemaSlot(
                    s, *sub, [&] { return s->setPropertyNames(); },
                    [&](Schema* t) { return s->setPropertyNamesRef(t); });
            }
        });
    if (has[kDependentRequired])
        guard(s, &v, [&] {
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
        });
    readMap(
        "dependentSchemas", kDependentSchemas, [&](std::string_view name) { return s->addDependentSchema(name); },
        [&](std::string_view name, Schema* t) { return s->addDependentSchemaRef(name, t); });
    if (has[kUnevaluatedProperties])
        guard(s, &v, [&] {
            if (const JV* sub = v.property("unevaluatedProperties")) {
                readSchemaSlot(
                    s, *sub, [&] { return s->setUnevaluatedProperties(); },
                    [&](Schema* t) { return s->setUnevaluatedPropertiesRef(t); });
            }
        });
}

void DocumentReader::readCompositeKeywords(Schema* s, const JV& v, const KeywordSet& has) {
    auto readList = [&](std::string_view keyword, Keyword bit, auto make, auto makeRef) {
        if (!has[bit]) return;
        guard(s, &v, [&] {
            const JV* list = optArray(s, v, keyword);
            if (list == nullptr) return;
            for (const JV* sub : list->items()) readSchemaSlot(s, *sub, make, makeRef);
        });
    };
    readList(
        "allOf", kAllOf, [&] { return s->addAllOf(); }, [&](Schema* t) { return s->addAllOfRef(t); });
    readList(
        "anyOf", kAnyOf, [&] { return s->addAnyOf(); }, [&](Schema* t) { return s->addAnyOfRef(t); });
    readList(
        "oneOf", kOneOf, [&] { return s->addOneOf(); }, [&](Schema* t) { return s->addOneOfRef(t); });
    auto readOne = [&](std::string_view keyword, Keyword bit, auto make, auto makeRef) {
        if (!has[bit]) return;
        guard(s, &v, [&] {
            if (const JV* sub = v.property(keyword)) readSchemaSlot(s, *sub, make, makeRef);
        });
    };
    readOne(
        "not", kNot, [&] { return s->setNot(); }, [&](Schema* t) { return s->setNotRef(t); });
    readOne(
        "if", kIf, [&] { return s->setIf(); }, [&](Schema* t) { return s->setIfRef(t); });
    readOne(
        "then", kThen, [&] { return s->setThen(); }, [&](Schema* t) { return s->setThenRef(t); });
    readOne(
        "else", kElse, [&] { return s->setElse(); }, [&](Schema* t) { return s->setElseRef(t); });
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
