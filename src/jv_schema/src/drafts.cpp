#include "zephalon/jv_schema/drafts.h"

#include "draft2020_12_keywords.h"

namespace zephalon::jv::schema {

namespace draft6 {

void Draft6Dialect::process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema, JV const& json) const {
    Keywords keywords;
    bool pushed = IdKeyword::maybeCreate(context, keywords, json, schema);
    bool hasRef = RefKeyword::maybeCreate(context, keywords, json, pushed);
    // A reference still takes the annotations and definitions beside it, but no assertion or applicator.
    SchemaKeyword::maybeCreate(context, keywords, json);
    TitleKeyword::maybeCreate(context, keywords, json);
    DescriptionKeyword::maybeCreate(context, keywords, json);
    DefaultKeyword::maybeCreate(context, keywords, json);
    DefinitionsKeyword::maybeCreate(context, keywords, json);
    ExamplesKeyword::maybeCreate(context, keywords, json);
    if (!hasRef) {
        AllOfKeyword::maybeCreate(context, keywords, json);
        AnyOfKeyword::maybeCreate(context, keywords, json);
        OneOfKeyword::maybeCreate(context, keywords, json);
        NotKeyword::maybeCreate(context, keywords, json);
        TypeKeyword::maybeCreate(context, keywords, json);
        FormatKeyword::maybeCreate(context, keywords, json, strictFormat);
        ConstKeyword::maybeCreate(context, keywords, json);
        EnumKeyword::maybeCreate(context, keywords, json);
        MinimumKeyword::maybeCreate(context, keywords, json);
        MaximumKeyword::maybeCreate(context, keywords, json);
        ExclusiveMinimumKeyword::maybeCreate(context, keywords, json);
        ExclusiveMaximumKeyword::maybeCreate(context, keywords, json);
        MultipleOfKeyword::maybeCreate(context, keywords, json);
        MinLengthKeyword::maybeCreate(context, keywords, json);
        MaxLengthKeyword::maybeCreate(context, keywords, json);
        PatternKeyword::maybeCreate(context, keywords, json);
        MinItemsKeyword::maybeCreate(context, keywords, json);
        MaxItemsKeyword::maybeCreate(context, keywords, json);
        UniqueItemsKeyword::maybeCreate(context, keywords, json);
        ContainsKeywordGroup::maybeCreate(context, keywords, json, false);
        ItemsKeywordGroup::maybeCreate(context, keywords, json);
        PropertiesKeywordGroup::maybeCreate(context, keywords, json);
        PropertyNamesKeyword::maybeCreate(context, keywords, json);
        MinPropertiesKeyword::maybeCreate(context, keywords, json);
        MaxPropertiesKeyword::maybeCreate(context, keywords, json);
        RequiredKeyword::maybeCreate(context, keywords, json);
        DependenciesKeyword::maybeCreate(context, keywords, json);
    }
    setKeywords(schema, std::move(keywords));
    endIdentifier(*context, pushed);
}

JVSchema const* Draft6Dialect::metaSchema() { return loadBuiltInSchema(draft06Uri); }

}  // namespace draft6

namespace draft7 {

void Draft7Dialect::process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema, JV const& json) const {
    Keywords keywords;
    bool pushed = draft6::IdKeyword::maybeCreate(context, keywords, json, schema);
    // As in draft 4, a reference replaces its schema object; definitions beside it stay reachable for other
    // references.
    if (RefKeyword::maybeCreate(context, keywords, json, pushed)) {
        DefinitionsKeyword::maybeCreate(context, keywords, json);
    } else {
        SchemaKeyword::maybeCreate(context, keywords, json);
        TitleKeyword::maybeCreate(context, keywords, json);
        DescriptionKeyword::maybeCreate(context, keywords, json);
        CommentKeyword::maybeCreate(context, keywords, json);
        DefaultKeyword::maybeCreate(context, keywords, json);
        DefinitionsKeyword::maybeCreate(context, keywords, json);
        ExamplesKeyword::maybeCreate(context, keywords, json);
        ReadOnlyKeyword::maybeCreate(context, keywords, json);
        WriteOnlyKeyword::maybeCreate(context, keywords, json);
        AllOfKeyword::maybeCreate(context, keywords, json);
        AnyOfKeyword::maybeCreate(context, keywords, json);
        OneOfKeyword::maybeCreate(context, keywords, json);
        NotKeyword::maybeCreate(context, keywords, json);
        ConditionalKeywordGroup::maybeCreate(context, keywords, json);
        TypeKeyword::maybeCreate(context, keywords, json);
        FormatKeyword::maybeCreate(context, keywords, json, strictFormat);
        ConstKeyword::maybeCreate(context, keywords, json);
        EnumKeyword::maybeCreate(context, keywords, json);
        draft6::MinimumKeyword::maybeCreate(context, keywords, json);
        draft6::MaximumKeyword::maybeCreate(context, keywords, json);
        ExclusiveMinimumKeyword::maybeCreate(context, keywords, json);
        ExclusiveMaximumKeyword::maybeCreate(context, keywords, json);
        MultipleOfKeyword::maybeCreate(context, keywords, json);
        MinLengthKeyword::maybeCreate(context, keywords, json);
        MaxLengthKeyword::maybeCreate(context, keywords, json);
        PatternKeyword::maybeCreate(context, keywords, json);
        ContentKeywordGroup::maybeCreate(context, keywords, json);
        MinItemsKeyword::maybeCreate(context, keywords, json);
        MaxItemsKeyword::maybeCreate(context, keywords, json);
        UniqueItemsKeyword::maybeCreate(context, keywords, json);
        ContainsKeywordGroup::maybeCreate(context, keywords, json, false);
        ItemsKeywordGroup::maybeCreate(context, keywords, json);
        PropertiesKeywordGroup::maybeCreate(context, keywords, json);
        MinPropertiesKeyword::maybeCreate(context, keywords, json);
        MaxPropertiesKeyword::maybeCreate(context, keywords, json);
        RequiredKeyword::maybeCreate(context, keywords, json);
        PropertyNamesKeyword::maybeCreate(context, keywords, json);
        DependenciesKeyword::maybeCreate(context, keywords, json);
    }
    setKeywords(schema, std::move(keywords));
    endIdentifier(*context, pushed);
}

JVSchema const* Draft7Dialect::metaSchema() { return loadBuiltInSchema(draft07Uri); }

}  // namespace draft7

namespace {

enum class Later { Draft201909, Draft202012 };

// The keywords of 2019-09 and 2020-12, which differ only in their dynamic references and array keywords. Each
// group of keywords belongs to a vocabulary and is compiled only when the dialect has it; the core keywords are
// always compiled (nothing else can be located without them).
void processLater(Later draft, JVSchemaDialect const& dialect, std::shared_ptr<SchemaContext> const& context,
                  JVSchema& schema, JV const& json) {
    bool modern = draft == Later::Draft202012;
    auto has = [&](std::uint32_t vocabulary) { return (dialect.vocabularies & vocabulary) != 0; };
    Keywords keywords;
    bool pushed = draft6::IdKeyword::maybeCreate(context, keywords, json, schema);
    markResource(*context, schema, json);
    // From 2019-09 on, "$ref" is one applicator among the others and resolves against the schema's own "$id".
    RefKeyword::maybeCreate(context, keywords, json, false);
    SchemaKeyword::maybeCreate(context, keywords, json);
    if (has(vocabulary::metaData)) {
        TitleKeyword::maybeCreate(context, keywords, json);
        DescriptionKeyword::maybeCreate(context, keywords, json);
    }
    CommentKeyword::maybeCreate(context, keywords, json);
    if (has(vocabulary::metaData)) DefaultKeyword::maybeCreate(context, keywords, json);
    DefinitionsKeyword::maybeCreate(context, keywords, json, "$defs");
    // Older documents still keep their subschemas under "definitions"; references into them must work.
    DefinitionsKeyword::maybeCreate(context, keywords, json, "definitions");
    if (modern) {
        DynamicAnchorKeyword::maybeCreate(context, keywords, json, schema);
        DynamicRefKeyword::maybeCreate(context, keywords, json, false);
    } else {
        RecursiveAnchorKeyword::maybeCreate(context, keywords, json, schema);
        DynamicRefKeyword::maybeCreate(context, keywords, json, true);
    }
    AnchorKeyword::maybeCreate(context, keywords, json, schema);
    VocabularyKeyword::maybeCreate(context, keywords, json);
    if (has(vocabulary::metaData)) {
        DeprecatedKeyword::maybeCreate(context, keywords, json);
        ExamplesKeyword::maybeCreate(context, keywords, json);
        ReadOnlyKeyword::maybeCreate(context, keywords, json);
        WriteOnlyKeyword::maybeCreate(context, keywords, json);
    }
    if (has(vocabulary::applicator)) {
        AllOfKeyword::maybeCreate(context, keywords, json);
        std::size_t before = keywords.size();
        AnyOfKeyword::maybeCreate(context, keywords, json);
        if (keywords.size() > before) static_cast<AnyOfKeyword&>(*keywords.back()).evaluateAll = true;
        OneOfKeyword::maybeCreate(context, keywords, json);
        NotKeyword::maybeCreate(context, keywords, json);
        ConditionalKeywordGroup::maybeCreate(context, keywords, json);
    }
    if (has(vocabulary::validation)) TypeKeyword::maybeCreate(context, keywords, json);
    if (has(vocabulary::formatAssertion)) {
        FormatKeyword::maybeCreate(context, keywords, json, true);
    } else if (has(vocabulary::formatAnnotation)) {
        FormatKeyword::maybeCreate(context, keywords, json, dialect.strictFormat);
    }
    if (has(vocabulary::validation)) {
        ConstKeyword::maybeCreate(context, keywords, json);
        EnumKeyword::maybeCreate(context, keywords, json);
        draft6::MinimumKeyword::maybeCreate(context, keywords, json);
        draft6::MaximumKeyword::maybeCreate(context, keywords, json);
        ExclusiveMinimumKeyword::maybeCreate(context, keywords, json);
        ExclusiveMaximumKeyword::maybeCreate(context, keywords, json);
        MultipleOfKeyword::maybeCreate(context, keywords, json);
        MinLengthKeyword::maybeCreate(context, keywords, json);
        MaxLengthKeyword::maybeCreate(context, keywords, json);
        PatternKeyword::maybeCreate(context, keywords, json);
    }
    if (has(vocabulary::content)) draft2019_09::ContentKeywordGroup::maybeCreate(context, keywords, json);
    if (has(vocabulary::validation)) {
        MinItemsKeyword::maybeCreate(context, keywords, json);
        MaxItemsKeyword::maybeCreate(context, keywords, json);
        UniqueItemsKeyword::maybeCreate(context, keywords, json);
    }
    if (has(vocabulary::applicator)) {
        if (modern) {
            draft2020_12::ItemsKeywordGroup::maybeCreate(context, keywords, json);
        } else {
            draft2019_09::ItemsKeywordGroup::maybeCreate(context, keywords, json);
        }
        // "minContains" and "maxContains" are validation keywords that only mean something beside "contains".
        ContainsKeywordGroup::maybeCreate(context, keywords, json, has(vocabulary::validation), modern);
        std::size_t before = keywords.size();
        PropertiesKeywordGroup::maybeCreate(context, keywords, json);
        if (keywords.size() > before) static_cast<PropertiesKeywordGroup&>(*keywords.back()).recordEvaluated = true;
    }
    if (has(vocabulary::validation)) {
        MinPropertiesKeyword::maybeCreate(context, keywords, json);
        MaxPropertiesKeyword::maybeCreate(context, keywords, json);
        RequiredKeyword::maybeCreate(context, keywords, json);
    }
    if (has(vocabulary::applicator)) {
        PropertyNamesKeyword::maybeCreate(context, keywords, json);
        DependentSchemasKeyword::maybeCreate(context, keywords, json);
    }
    if (has(vocabulary::validation)) DependentRequiredKeyword::maybeCreate(context, keywords, json);
    if (has(vocabulary::applicator)) DependenciesKeyword::maybeCreate(context, keywords, json);
    if (has(vocabulary::unevaluated)) {
        UnevaluatedItemsKeyword::maybeCreate(context, keywords, json);
        UnevaluatedPropertiesKeyword::maybeCreate(context, keywords, json);
    }
    JVSchemaDialect::setKeywords(schema, std::move(keywords));
    endResource(*context, schema);
    endIdentifier(*context, pushed);
}

}  // namespace

void draft2019_09::Draft201909Dialect::process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema,
                                               JV const& json) const {
    processLater(Later::Draft201909, *this, context, schema, json);
}

JVSchema const* draft2019_09::Draft201909Dialect::metaSchema() { return loadBuiltInSchema(draft201909Uri); }

void draft2020_12::Draft202012Dialect::process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema,
                                               JV const& json) const {
    processLater(Later::Draft202012, *this, context, schema, json);
}

JVSchema const* draft2020_12::Draft202012Dialect::metaSchema() { return loadBuiltInSchema(draft202012Uri); }

}  // namespace zephalon::jv::schema
