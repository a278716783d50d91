#include "schema_diff.h"

#include <string>
#include <string_view>
#include <vector>

#include "containers.h"
#include "tag_diff.h"
#include "zephalon/openapi/enums.h"
#include "zephalon/openapi/info.h"

namespace zephalon::openapi_diff {

using openapi::Discriminator;
using openapi::Schema;
using openapi::XML;

namespace {

using Subschema = Schema* (Schema::*)() const;

void compareSubschema(const NodeDiff* parent, Context& context, ConfigKey key, const Schema* source, const Schema* dest,
                      Subschema subschema) {
    compareNested<SchemaDiff>(parent, context, key, source != nullptr ? (source->*subschema)() : nullptr,
                              dest != nullptr ? (dest->*subschema)() : nullptr);
}

// Lists of subschemas (allOf, prefixItems, ...) are paired by position.
template <class Get>
void compareSubschemaList(const NodeDiff* parent, Context& context, ConfigKey key, const Schema* source,
                          const Schema* dest, Get get) {
    std::vector<const Schema*> before = resolvedList<Schema>(source != nullptr ? &get(*source) : nullptr);
    std::vector<const Schema*> after = resolvedList<Schema>(dest != nullptr ? &get(*dest) : nullptr);
    compareByPosition(context, key, source, before, dest, after,
                      [&](const Schema* a, const Schema* b) { SchemaDiff(parent).process(a, b, context); });
}

template <class Get>
void compareSubschemaMap(const NodeDiff* parent, Context& context, ConfigKey key, const Schema* source,
                         const Schema* dest, Get get) {
    compareMap<Schema>(context, key, source, source != nullptr ? &get(*source) : nullptr, dest,
                       dest != nullptr ? &get(*dest) : nullptr,
                       [&](const Schema* a, const Schema* b) { SchemaDiff(parent).process(a, b, context); });
}

// The model keeps "const" as a one-value enum marked as such.
const jv::JV* constValue(const Schema& schema) {
    return schema.isConst() && !schema.enumValues().empty() ? schema.enumValues().front().get() : nullptr;
}

std::vector<const jv::JV*> enumValues(const Schema* schema) {
    std::vector<const jv::JV*> values;
    if (schema == nullptr || schema->isConst()) return values;
    values.reserve(schema->enumValues().size());
    for (const auto& value : schema->enumValues()) values.push_back(value.get());
    return values;
}

bool sameValues(const Schema::NamedValues& a, const Schema::NamedValues& b) {
    if (a.size() != b.size()) return false;
    for (auto left = a.begin(), right = b.begin(); left != a.end(); ++left, ++right) {
        if (left->first != right->first || !left->second->equal(*right->second)) return false;
    }
    return true;
}

bool sameValues(const Schema::Values& a, const Schema::Values& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!a[i]->equal(*b[i])) return false;
    }
    return true;
}

bool hasExamples(const Schema* schema) {
    return schema != nullptr && (!schema->examples().empty() || schema->hasExampleList());
}

// Examples say nothing about what is valid, so they are compared as one value under their rule rather than entry
// by entry, whose changes would take the rule's item options.
void compareExamples(Context& context, const Schema* source, const Schema* dest) {
    compareProperty(context, ConfigKey::schema_examples, source, dest,
                    [](const Schema& n) -> const jv::JV* { return n.exampleValue(); });
    bool before = hasExamples(source);
    bool after = hasExamples(dest);
    if (before && after) {
        if (!sameValues(source->examples(), dest->examples()) ||
            !sameValues(source->exampleList(), dest->exampleList())) {
            context.propertyChange(dest, ChangeType::propertyModified, ConfigKey::schema_examples);
        }
    } else if (after) {
        context.propertyChange(dest, ChangeType::propertyAdded, ConfigKey::schema_examples);
    } else if (before) {
        context.propertyChange(source, ChangeType::propertyRemoved, ConfigKey::schema_examples);
    }
}

}  // namespace

void SchemaDiff::process(const Schema* source, const Schema* dest, Context& context) {
    auto pair = context.beginPair(source, dest);
    if (!pair.compare()) return;
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::schema_id, source, dest, [](const Schema& n) -> auto& { return n.id(); });
    compareProperty(context, ConfigKey::schema_dialect, source, dest, [](const Schema& n) { return n.dialect(); });
    compareProperty(
        context, ConfigKey::schema_title, source, dest, [](const Schema& n) -> auto& { return n.title(); });
    compareProperty(
        context, ConfigKey::schema_description, source, dest, [](const Schema& n) -> auto& { return n.description(); });
    compareProperty(
        context, ConfigKey::schema_anchor, source, dest, [](const Schema& n) -> auto& { return n.anchor(); });
    compareProperty(
        context, ConfigKey::schema_dynamicAnchor, source, dest,
        [](const Schema& n) -> auto& { return n.dynamicAnchor(); });
    compareProperty(
        context, ConfigKey::schema_dynamicRef, source, dest, [](const Schema& n) -> auto& { return n.dynamicRef(); });
    compareProperty(
        context, ConfigKey::schema_vocabulary, source, dest, [](const Schema& n) -> auto& { return n.vocabulary(); });
    compareProperty(context, ConfigKey::schema_default, source, dest,
                    [](const Schema& n) -> const jv::JV* { return n.defaultValue(); });
    compareValues(source, dest, context);
    compareArrays(source, dest, context);
    compareObjects(source, dest, context);
    compareApplicators(source, dest, context);
    compareExamples(context, source, dest);
    auto discriminator = [](const Schema& n) -> const Discriminator* { return n.discriminator(); };
    compareNested<DiscriminatorDiff>(this, context, ConfigKey::schema_discriminator, subNode(source, discriminator),
                                     subNode(dest, discriminator));
    auto xml = [](const Schema& n) -> const XML* { return n.xml(); };
    compareNested<XMLDiff>(this, context, ConfigKey::schema_xml, subNode(source, xml), subNode(dest, xml));
    auto docs = [](const Schema& n) -> const openapi::ExternalDocumentation* { return n.externalDocs(); };
    compareNested<ExternalDocumentationDiff>(this, context, ConfigKey::schema_externalDocs, subNode(source, docs),
                                             subNode(dest, docs));
    NodeDiff::process(source, dest, context);
}

// Types, formats, allowed values, numbers and strings.
void SchemaDiff::compareValues(const Schema* source, const Schema* dest, Context& context) {
    std::vector<openapi::SchemaType> typesBefore =
        source != nullptr ? source->types() : std::vector<openapi::SchemaType>{};
    std::vector<openapi::SchemaType> typesAfter = dest != nullptr ? dest->types() : std::vector<openapi::SchemaType>{};
    compareValueList(
        context, ConfigKey::schema_type, source, typesBefore, dest, typesAfter,
        [&](openapi::SchemaType type) { return source != nullptr && source->hasType(type); },
        [&](openapi::SchemaType type) { return dest != nullptr && dest->hasType(type); },
        [](openapi::SchemaType type) { return std::string(openapi::schemaTypeToString(type)); });
    compareProperty(context, ConfigKey::schema_format, source, dest, [](const Schema& n) { return n.format(); });

    std::vector<const jv::JV*> enumBefore = enumValues(source);
    std::vector<const jv::JV*> enumAfter = enumValues(dest);
    ValueIndex inBefore(enumBefore);
    ValueIndex inAfter(enumAfter);
    compareValueList(
        context, ConfigKey::schema_enum, source, enumBefore, dest, enumAfter,
        [&](const jv::JV* value) { return inBefore.contains(*value); },
        [&](const jv::JV* value) { return inAfter.contains(*value); }, [](const jv::JV* value) { return value; });
    compareProperty(context, ConfigKey::schema_const, source, dest, constValue);

    compareFlag(context, ConfigKey::schema_deprecated, source, dest, false,
                [](const Schema& n) { return n.deprecated(); });
    compareFlag(context, ConfigKey::schema_readOnly, source, dest, false, [](const Schema& n) { return n.readOnly(); });
    compareFlag(context, ConfigKey::schema_writeOnly, source, dest, false,
                [](const Schema& n) { return n.writeOnly(); });
    compareProperty(
        context, ConfigKey::schema_multipleOf, source, dest, [](const Schema& n) -> auto& { return n.multipleOf(); });
    // Both forms of exclusive bounds fold into the bounds in effect.
    compareProperty(context, ConfigKey::schema_minimum, source, dest,
                    [](const Schema& n) { return n.effectiveMinimum(); });
    compareProperty(context, ConfigKey::schema_maximum, source, dest,
                    [](const Schema& n) { return n.effectiveMaximum(); });
    compareProperty(
        context, ConfigKey::schema_minLength, source, dest, [](const Schema& n) -> auto& { return n.minLength(); });
    compareProperty(
        context, ConfigKey::schema_maxLength, source, dest, [](const Schema& n) -> auto& { return n.maxLength(); });
    compareProperty(
        context, ConfigKey::schema_pattern, source, dest, [](const Schema& n) -> auto& { return n.pattern(); });
    compareProperty(
        context, ConfigKey::schema_contentEncoding, source, dest,
        [](const Schema& n) -> auto& { return n.contentEncoding(); });
    compareProperty(
        context, ConfigKey::schema_contentMediaType, source, dest,
        [](const Schema& n) -> auto& { return n.contentMediaType(); });
    compareSubschema(this, context, ConfigKey::schema_contentSchema, source, dest, &Schema::contentSchema);
}

void SchemaDiff::compareArrays(const Schema* source, const Schema* dest, Context& context) {
    compareProperty(
        context, ConfigKey::schema_minItems, source, dest, [](const Schema& n) -> auto& { return n.minItems(); });
    compareProperty(
        context, ConfigKey::schema_maxItems, source, dest, [](const Schema& n) -> auto& { return n.maxItems(); });
    compareFlag(context, ConfigKey::schema_uniqueItems, source, dest, false,
                [](const Schema& n) { return n.uniqueItems(); });
    compareSubschemaList(
        this, context, ConfigKey::schema_prefixItems, source, dest,
        [](const Schema& n) -> auto& { return n.prefixItems(); });
    compareSubschema(this, context, ConfigKey::schema_items, source, dest, &Schema::items);
    compareSubschema(this, context, ConfigKey::schema_contains, source, dest, &Schema::contains);
    compareProperty(
        context, ConfigKey::schema_minContains, source, dest, [](const Schema& n) -> auto& { return n.minContains(); });
    compareProperty(
        context, ConfigKey::schema_maxContains, source, dest, [](const Schema& n) -> auto& { return n.maxContains(); });
    compareSubschema(this, context, ConfigKey::schema_unevaluatedItems, source, dest, &Schema::unevaluatedItems);
}

void SchemaDiff::compareObjects(const Schema* source, const Schema* dest, Context& context) {
    compareProperty(
        context, ConfigKey::schema_minProperties, source, dest,
        [](const Schema& n) -> auto& { return n.minProperties(); });
    compareProperty(
        context, ConfigKey::schema_maxProperties, source, dest,
        [](const Schema& n) -> auto& { return n.maxProperties(); });
    auto names = [](const Schema* schema) {
        std::vector<const std::string*> out;
        if (schema == nullptr) return out;
        out.reserve(schema->required().size());
        for (const std::string& name : schema->required()) out.push_back(&name);
        return out;
    };
    compareValueList(
        context, ConfigKey::schema_required, source, names(source), dest, names(dest),
        [&](const std::string* name) { return source != nullptr && source->isRequired(*name); },
        [&](const std::string* name) { return dest != nullptr && dest->isRequired(*name); },
        [](const std::string* name) -> const std::string& { return *name; });
    compareSubschemaMap(
        this, context, ConfigKey::schema_properties, source, dest,
        [](const Schema& n) -> auto& { return n.properties(); });
    compareSubschemaMap(
        this, context, ConfigKey::schema_patternProperties, source, dest,
        [](const Schema& n) -> auto& { return n.patternProperties(); });
    compareSubschema(this, context, ConfigKey::schema_additionalProperties, source, dest,
                     &Schema::additionalProperties);
    compareSubschema(this, context, ConfigKey::schema_propertyNames, source, dest, &Schema::propertyNames);
    compareSubschema(this, context, ConfigKey::schema_unevaluatedProperties, source, dest,
                     &Schema::unevaluatedProperties);
}

void SchemaDiff::compareApplicators(const Schema* source, const Schema* dest, Context& context) {
    compareSubschemaList(
        this, context, ConfigKey::schema_allOf, source, dest, [](const Schema& n) -> auto& { return n.allOf(); });
    compareSubschemaList(
        this, context, ConfigKey::schema_oneOf, source, dest, [](const Schema& n) -> auto& { return n.oneOf(); });
    compareSubschemaList(
        this, context, ConfigKey::schema_anyOf, source, dest, [](const Schema& n) -> auto& { return n.anyOf(); });
    compareSubschema(this, context, ConfigKey::schema_not, source, dest, &Schema::notSchema);
    compareSubschema(this, context, ConfigKey::schema_if, source, dest, &Schema::ifSchema);
    compareSubschema(this, context, ConfigKey::schema_then, source, dest, &Schema::thenSchema);
    compareSubschema(this, context, ConfigKey::schema_else, source, dest, &Schema::elseSchema);
}

void DiscriminatorDiff::process(const Discriminator* source, const Discriminator* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::discriminator_propertyName, source, dest,
        [](const Discriminator& n) -> auto& { return n.propertyName(); });
    compareValueMap(context, ConfigKey::discriminator_mapping, source, source != nullptr ? &source->mapping() : nullptr,
                    dest, dest != nullptr ? &dest->mapping() : nullptr,
                    [](const std::string& ref) -> const std::string& { return ref; });
    NodeDiff::process(source, dest, context);
}

void XMLDiff::process(const XML* source, const XML* dest, Context& context) {
    context.emitSelf(source, dest);
    compareProperty(
        context, ConfigKey::xml_name, source, dest, [](const XML& n) -> auto& { return n.name(); });
    compareProperty(
        context, ConfigKey::xml_namespace, source, dest, [](const XML& n) -> auto& { return n.xmlNamespace(); });
    compareProperty(
        context, ConfigKey::xml_prefix, source, dest, [](const XML& n) -> auto& { return n.prefix(); });
    compareFlag(context, ConfigKey::xml_attribute, source, dest, false, [](const XML& n) { return n.attribute(); });
    compareFlag(context, ConfigKey::xml_wrapped, source, dest, false, [](const XML& n) { return n.wrapped(); });
    NodeDiff::process(source, dest, context);
}

}  // namespace zephalon::openapi_diff
