#include "standard.h"

#include "formatters/formatters.h"
#include "rules/rules.h"
#include "rulesets.h"

namespace zephalon::openapi_lint {

namespace {

template <class F>
FormatterFactory formatter() {
    return [](std::ostream& out) { return std::make_unique<F>(out); };
}

template <class S>
std::pair<std::string_view, RulesetFactory> ruleset() {
    return {S::Id, [] { return std::make_unique<S>(); }};
}

template <class R>
std::pair<std::string_view, RuleFactory> rule() {
    return {R::Id, [](Severity severity) { return std::make_unique<R>(severity); }};
}

}  // namespace

StandardEntries<FormatterFactory> standardFormatters() {
    return {
        {"checkstyle", formatter<CheckstyleFormatter>()},
        {"compact", formatter<CompactFormatter>()},
        {"github", formatter<GithubFormatter>()},
        {"html", formatter<HTMLFormatter>()},
        {"json", formatter<JSONFormatter>()},
        {"junit", formatter<JUnitFormatter>()},
        {"sarif", formatter<SarifFormatter>()},
        {"stylish", formatter<StylishFormatter>()},
        {"tap", formatter<TAPFormatter>()},
        {"unix", formatter<UnixFormatter>()},
        {"visualstudio", formatter<VisualStudioFormatter>()},
    };
}

StandardEntries<RulesetFactory> standardRulesets() {
    return {ruleset<AllRuleset>(), ruleset<RecommendedRuleset>(), ruleset<StrictRuleset>(), ruleset<JsonApiRuleset>()};
}

StandardEntries<RuleFactory> standardRules() {
    return {
        rule<AudienceDefined>(),
        rule<ContactDefined>(),
        rule<IDDefined>(),
        rule<InfoDefined>(),
        rule<JSONAPIContentType>(),
        rule<JSONAPISchemaValidation>(),
        rule<JSONSchemaValidation>(),
        rule<LicenseDefined>(),
        rule<NoContentResponseDefined>(),
        rule<OpenAPIJSONSchemaValidation>(),
        rule<OperationDescriptionDefined>(),
        rule<OperationDocumentNotPrimitive>(),
        rule<OperationIdDefined>(),
        rule<OperationIdUnique>(),
        rule<OperationRateLimitingDefined>(),
        rule<OperationSecurityDefined>(),
        rule<OperationSuccessResponse>(),
        rule<OperationTagsDefined>(),
        rule<ParameterDescriptionDefined>(),
        rule<ParameterNaming>(),
        rule<ParametersUnique>(),
        rule<PathParametersDefined>(),
        rule<PathParametersOnItems>(),
        rule<PathsMaxCount>(),
        rule<PathsMaxDepth>(),
        rule<PathsSorted>(),
        rule<PathsUnique>(),
        rule<PathsWellFormed>(),
        rule<ResourceTypeUnique>(),
        rule<SafeMarkdown>(),
        rule<SchemaConstraints>(),
        rule<SchemaDatetimeSuffix>(),
        rule<SchemaDiscriminatorDefined>(),
        rule<SchemaEnumNaming>(),
        rule<SchemaEnumNoDuplicates>(),
        rule<SchemaEnumTypes>(),
        rule<SchemaExampleDefined>(),
        rule<SchemaFormatDefined>(),
        rule<SchemaFormatTypeMismatch>(),
        rule<SchemaNoAdditionalProperties>(),
        rule<SchemaPropertyNaming>(),
        rule<ServerURLs>(),
        rule<ServersDefined>(),
        rule<SpellCheck>(),
        rule<StandardMediaTypes>(),
        rule<StandardResponseCodes>(),
        rule<StandardResponseErrors>(),
        rule<TagDescriptionDefined>(),
        rule<TagsSorted>(),
        rule<TagsUnique>(),
        rule<UnambiguousResponseCodes>(),
        rule<UnusedRequestBody>(),
        rule<UnusedSharedComponent>(),
    };
}

}  // namespace zephalon::openapi_lint
