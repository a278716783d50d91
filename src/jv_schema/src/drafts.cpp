#include "zephalon/jv_schema/drafts.h"

#include "keywords.h"
#include "later_keywords.h"

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

}  // namespace zephalon::jv::schema
