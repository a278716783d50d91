#include "zephalon/jv_schema/draft4.h"

#include <string>

#include "keywords.h"
#include "zephalon/foundation/ecmascript_regex.h"

namespace zephalon::jv::schema::draft4 {

void Draft4Dialect::process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema, JV const& json) const {
    Keywords keywords;
    bool pushed = IdKeyword::maybeCreate(context, keywords, json, schema);
    // In draft 4 a reference replaces the schema object it sits in: nothing beside it takes part in validation.
    // Definitions beside it are still compiled (they always pass), because other references, often the very
    // one beside them, point into them.
    if (RefKeyword::maybeCreate(context, keywords, json, pushed)) {
        DefinitionsKeyword::maybeCreate(context, keywords, json);
    } else {
        SchemaKeyword::maybeCreate(context, keywords, json);
        TitleKeyword::maybeCreate(context, keywords, json);
        DescriptionKeyword::maybeCreate(context, keywords, json);
        DefaultKeyword::maybeCreate(context, keywords, json);
        DefinitionsKeyword::maybeCreate(context, keywords, json);
        AllOfKeyword::maybeCreate(context, keywords, json);
        AnyOfKeyword::maybeCreate(context, keywords, json);
        OneOfKeyword::maybeCreate(context, keywords, json);
        NotKeyword::maybeCreate(context, keywords, json);
        TypeKeyword::maybeCreate(context, keywords, json);
        FormatKeyword::maybeCreate(context, keywords, json, strictFormat);
        EnumKeyword::maybeCreate(context, keywords, json);
        MinimumKeyword::maybeCreate(context, keywords, json);
        MaximumKeyword::maybeCreate(context, keywords, json);
        MultipleOfKeyword::maybeCreate(context, keywords, json);
        MinLengthKeyword::maybeCreate(context, keywords, json);
        MaxLengthKeyword::maybeCreate(context, keywords, json);
        PatternKeyword::maybeCreate(context, keywords, json);
        MinItemsKeyword::maybeCreate(context, keywords, json);
        MaxItemsKeyword::maybeCreate(context, keywords, json);
        UniqueItemsKeyword::maybeCreate(context, keywords, json);
        ItemsKeywordGroup::maybeCreate(context, keywords, json);
        PropertiesKeywordGroup::maybeCreate(context, keywords, json);
        MinPropertiesKeyword::maybeCreate(context, keywords, json);
        MaxPropertiesKeyword::maybeCreate(context, keywords, json);
        RequiredKeyword::maybeCreate(context, keywords, json);
        DependenciesKeyword::maybeCreate(context, keywords, json);
    }
    setKeywords(schema, std::move(keywords));
    endIdentifier(*context, pushed);
}

JVSchema const* Draft4Dialect::metaSchema() { return loadBuiltInSchema(draft04Uri); }

Regex createEcmaScriptRegex(std::string_view pattern) {
    try {
        return zephalon::createEcmaScriptRegex(pattern);
    } catch (RegexError const&) {
        // Schemas in the wild also carry patterns that only the lenient, non-Unicode ECMAScript grammar accepts
        // (escaped punctuation such as "\\@"); browsers run those, so do we. A pattern invalid in both stays an
        // error.
        return zephalon::createEcmaScriptRegex(pattern, EcmaScriptRegexOptions{.unicode = false});
    }
}

}  // namespace zephalon::jv::schema::draft4
