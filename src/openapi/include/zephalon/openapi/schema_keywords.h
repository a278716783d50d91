#pragma once

// The keywords of the Schema Object, once: every place that goes through a schema keyword by keyword (the reader,
// the writer, the traversal, tests, comparisons) expands this table instead of listing the keywords again.
//
// ZEPHALON_SCHEMA_KEYWORDS(TEXT, FLAG, COUNT, NUMBER, SUBSCHEMA, SUBSCHEMA_LIST, SUBSCHEMA_MAP, OTHER) calls one of
// its arguments per keyword, in the order the writer writes them:
//   TEXT(name, getter, setter)                 an optional string
//   FLAG(name, getter, setter)                 a bool, false by default
//   COUNT(name, getter, setter)                an optional non-negative count
//   NUMBER(name, getter, setter)               an optional Number
//   SUBSCHEMA(name, getter, setter, refSetter) one subschema slot; the getter returns the slot as stored
//   SUBSCHEMA_LIST(name, getter, adder, refAdder)     a list of subschema slots
//   SUBSCHEMA_MAP(name, getter, adder, refAdder)      a map of subschema slots by name
//   OTHER(name, id)                            a keyword with a shape of its own, handled by `id` where it is used
// Getters and setters name members of Schema. `name` is the keyword as written in a document. The subschema
// keywords come in the order the traversal visits them, except the definitions ("$defs", or the older
// "definitions"), which are OTHER because they go by two names, and which the traversal visits last.

#define ZEPHALON_SCHEMA_KEYWORDS(TEXT, FLAG, COUNT, NUMBER, SUBSCHEMA, SUBSCHEMA_LIST, SUBSCHEMA_MAP, OTHER) \
    TEXT("$id", id, setId)                                                                                  \
    OTHER("$schema", dialect)                                                                               \
    TEXT("title", title, setTitle)                                                                          \
    TEXT("description", description, setDescription)                                                        \
    TEXT("$comment", comment, setComment)                                                                   \
    TEXT("$anchor", anchor, setAnchor)                                                                      \
    TEXT("$dynamicAnchor", dynamicAnchor, setDynamicAnchor)                                                 \
    TEXT("$dynamicRef", dynamicRef, setDynamicRef)                                                          \
    TEXT("$vocabulary", vocabulary, setVocabulary)                                                          \
    OTHER("default", defaultValue)                                                                          \
    OTHER("type", types)                                                                                    \
    OTHER("nullable", nullable)                                                                             \
    OTHER("format", format)                                                                                 \
    OTHER("const", constValue)                                                                              \
    OTHER("enum", enumValues)                                                                               \
    FLAG("deprecated", deprecated, setDeprecated)                                                           \
    FLAG("readOnly", readOnly, setReadOnly)                                                                 \
    FLAG("writeOnly", writeOnly, setWriteOnly)                                                              \
    OTHER("$defs", definitions)                                                                             \
    OTHER("definitions", olderDefinitions)                                                                  \
    OTHER("example", exampleValue)                                                                          \
    OTHER("examples", examples)                                                                             \
    NUMBER("multipleOf", multipleOf, setMultipleOf)                                                         \
    NUMBER("maximum", maximum, setMaximum)                                                                  \
    OTHER("exclusiveMaximum", exclusiveMaximum)                                                             \
    NUMBER("minimum", minimum, setMinimum)                                                                  \
    OTHER("exclusiveMinimum", exclusiveMinimum)                                                             \
    COUNT("maxLength", maxLength, setMaxLength)                                                             \
    COUNT("minLength", minLength, setMinLength)                                                             \
    TEXT("pattern", pattern, setPattern)                                                                    \
    TEXT("contentEncoding", contentEncoding, setContentEncoding)                                            \
    TEXT("contentMediaType", contentMediaType, setContentMediaType)                                         \
    SUBSCHEMA("contentSchema", contentSchemaNode, setContentSchema, setContentSchemaRef)                    \
    COUNT("maxItems", maxItems, setMaxItems)                                                                \
    COUNT("minItems", minItems, setMinItems)                                                                \
    FLAG("uniqueItems", uniqueItems, setUniqueItems)                                                        \
    SUBSCHEMA_LIST("prefixItems", prefixItems, addPrefixItem, addPrefixItemRef)                             \
    SUBSCHEMA("items", itemsNode, setItems, setItemsRef)                                                    \
    SUBSCHEMA("additionalItems", additionalItemsNode, setAdditionalItems, setAdditionalItemsRef)            \
    SUBSCHEMA("contains", containsNode, setContains, setContainsRef)                                        \
    COUNT("maxContains", maxContains, setMaxContains)                                                       \
    COUNT("minContains", minContains, setMinContains)                                                       \
    SUBSCHEMA("unevaluatedItems", unevaluatedItemsNode, setUnevaluatedItems, setUnevaluatedItemsRef)        \
    COUNT("maxProperties", maxProperties, setMaxProperties)                                                 \
    COUNT("minProperties", minProperties, setMinProperties)                                                 \
    OTHER("required", required)                                                                             \
    SUBSCHEMA_MAP("properties", properties, addProperty, addPropertyRef)                                    \
    SUBSCHEMA_MAP("patternProperties", patternProperties, addPatternProperty, addPatternPropertyRef)        \
    SUBSCHEMA("additionalProperties", additionalPropertiesNode, setAdditionalProperties,                   \
              setAdditionalPropertiesRef)                                                                   \
    SUBSCHEMA("propertyNames", propertyNamesNode, setPropertyNames, setPropertyNamesRef)                    \
    OTHER("dependentRequired", dependentRequired)                                                           \
    SUBSCHEMA_MAP("dependentSchemas", dependentSchemas, addDependentSchema, addDependentSchemaRef)          \
    SUBSCHEMA("unevaluatedProperties", unevaluatedPropertiesNode, setUnevaluatedProperties,                \
              setUnevaluatedPropertiesRef)                                                                  \
    SUBSCHEMA_LIST("allOf", allOf, addAllOf, addAllOfRef)                                                   \
    SUBSCHEMA_LIST("oneOf", oneOf, addOneOf, addOneOfRef)                                                   \
    SUBSCHEMA_LIST("anyOf", anyOf, addAnyOf, addAnyOfRef)                                                   \
    SUBSCHEMA("not", notSchemaNode, setNot, setNotRef)                                                      \
    SUBSCHEMA("if", ifSchemaNode, setIf, setIfRef)                                                          \
    SUBSCHEMA("then", thenSchemaNode, setThen, setThenRef)                                                  \
    SUBSCHEMA("else", elseSchemaNode, setElse, setElseRef)                                                  \
    OTHER("discriminator", discriminator)                                                                   \
    OTHER("xml", xml)                                                                                       \
    OTHER("externalDocs", externalDocs)

// Expands to nothing, for the kinds an expansion does not need.
#define ZEPHALON_SCHEMA_KEYWORD_IGNORE(...)

#include <cstdint>

namespace zephalon::openapi {

// The OTHER keywords of the table, by their ids.
enum class OtherSchemaKeyword : std::uint8_t {
#define ZEPHALON_OTHER_SCHEMA_KEYWORD(name, id) id,
    ZEPHALON_SCHEMA_KEYWORDS(ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE,
                             ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE,
                             ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_SCHEMA_KEYWORD_IGNORE,
                             ZEPHALON_SCHEMA_KEYWORD_IGNORE, ZEPHALON_OTHER_SCHEMA_KEYWORD)
#undef ZEPHALON_OTHER_SCHEMA_KEYWORD
};

}  // namespace zephalon::openapi
