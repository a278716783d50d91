#pragma once

// The rules of the catalogue, one source file each.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "../shared_walk.h"
#include "zephalon/foundation/naming_convention.h"
#include "zephalon/foundation/regex.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi_lint/context.h"
#include "zephalon/openapi_lint/rule.h"

namespace zephalon {
class SpellChecker;
}  // namespace zephalon

namespace zephalon::openapi_lint {

// Whether a description says something: present and at least `minLength` characters (not bytes) long.
bool isValidDescription(const std::optional<std::string>& description, std::uint64_t minLength);

// A rule that asks for meaningful descriptions. Its options set the minimum length (default 10): a string holding
// the number, or an object with a "minLength" number.
class DescriptionRule : public Rule {
  public:
    using Rule::Rule;
    void setOptions(const jv::JV& options) override;

    bool isValidDescription(const std::optional<std::string>& description) const {
        return openapi_lint::isValidDescription(description, minLength_);
    }

  private:
    std::uint64_t minLength_ = 10;
};

// The base of a rule's handler: reports through the context on behalf of the rule.
template <class R>
class RuleHandler : public KindHandler {
  public:
    RuleHandler(const R& rule, Context& context) : rule_(rule), context_(context) {}

  protected:
    const R& rule() const { return rule_; }
    Context& context() const { return context_; }
    void report(std::string_view message, const openapi::Node* node) const { context_.addIssue(rule_, message, node); }

  private:
    const R& rule_;
    Context& context_;
};

// A "204" response has no content.
class NoContentResponseDefined : public Rule {
  public:
    static constexpr std::string_view Id = "no-content-response-defined";
    explicit NoContentResponseDefined(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Every operation has a meaningful description.
class OperationDescriptionDefined : public DescriptionRule {
  public:
    static constexpr std::string_view Id = "operation-description-defined";
    explicit OperationDescriptionDefined(Severity severity) : DescriptionRule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Request and response bodies are objects or arrays, so that they can grow without breaking clients.
class OperationDocumentNotPrimitive : public Rule {
  public:
    static constexpr std::string_view Id = "operation-document-not-primitive";
    explicit OperationDocumentNotPrimitive(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// No two operations share an operationId.
class OperationIdUnique : public Rule {
  public:
    static constexpr std::string_view Id = "operation-id-unique";
    explicit OperationIdUnique(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Responses tell clients about rate limits: "Retry-After" on 429 and 503, a limit header on 2xx and 4xx.
class OperationRateLimitingDefined : public Rule {
  public:
    static constexpr std::string_view Id = "operation-rate-limiting-defined";
    explicit OperationRateLimitingDefined(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// A security requirement applies to every operation, its own or the document's.
class OperationSecurityDefined : public Rule {
  public:
    static constexpr std::string_view Id = "operation-security-defined";
    explicit OperationSecurityDefined(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Every operation can succeed: a 2xx or 3xx response, or a default one.
class OperationSuccessResponse : public Rule {
  public:
    static constexpr std::string_view Id = "operation-success-response";
    explicit OperationSuccessResponse(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Every operation has tags.
class OperationTagsDefined : public Rule {
  public:
    static constexpr std::string_view Id = "operation-tags-defined";
    explicit OperationTagsDefined(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// The media types of parameters, headers, request bodies and responses are well-formed.
class StandardMediaTypes : public Rule {
  public:
    static constexpr std::string_view Id = "standard-media-types";
    explicit StandardMediaTypes(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Response codes are three-digit status codes or ranges such as "4XX" (or "default").
class StandardResponseCodes : public Rule {
  public:
    static constexpr std::string_view Id = "standard-response-codes";
    explicit StandardResponseCodes(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Error responses (4xx and 5xx) follow the configured error convention; the only one is "problem-json": Problem Details
// as "application/problem+json" with the members type, title, status, detail and instance.
class StandardResponseErrors : public Rule {
  public:
    static constexpr std::string_view Id = "standard-response-errors";
    explicit StandardResponseErrors(Severity severity) : Rule(Id, severity) {}
    // A convention name.
    void setOptions(const jv::JV& options) override;
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// No responses object mixes a range code with a specific code of the same class ("4XX" with "404").
class UnambiguousResponseCodes : public Rule {
  public:
    static constexpr std::string_view Id = "unambiguous-response-codes";
    explicit UnambiguousResponseCodes(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// get, head and trace operations define no request body: their semantics give it no meaning.
class UnusedRequestBody : public Rule {
  public:
    static constexpr std::string_view Id = "unused-request-body";
    explicit UnusedRequestBody(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Every operation, wherever it is declared, has an operationId.
class OperationIdDefined : public Rule {
  public:
    static constexpr std::string_view Id = "operation-id-defined";
    explicit OperationIdDefined(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// The document declares at most a configured number of paths.
class PathsMaxCount : public Rule {
  public:
    static constexpr std::string_view Id = "paths-max-count";
    explicit PathsMaxCount(Severity severity) : Rule(Id, severity) {}
    // A positive integer.
    void setOptions(const jv::JV& options) override;
    void run(Context& context) override;

  private:
    std::uint64_t maxCount_ = 8;
};

// The root tags are in ascending order of name; the fix sorts them.
class TagsSorted : public Rule {
  public:
    static constexpr std::string_view Id = "tags-sorted";
    explicit TagsSorted(Severity severity) : Rule(Id, severity) {}
    bool autoFixable() const override { return true; }
    void run(Context& context) override;
    bool autoFix(Context& context) override;
};

// Every root tag has a meaningful description.
class TagDescriptionDefined : public DescriptionRule {
  public:
    static constexpr std::string_view Id = "tag-description-defined";
    explicit TagDescriptionDefined(Severity severity) : DescriptionRule(Id, severity) {}
    void run(Context& context) override;
};

// The info object names the API's audience in "x-audience".
class AudienceDefined : public Rule {
  public:
    static constexpr std::string_view Id = "audience-defined";
    explicit AudienceDefined(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override;
};

// The info object has a contact with a name, an email and a URL.
class ContactDefined : public Rule {
  public:
    static constexpr std::string_view Id = "contact-defined";
    explicit ContactDefined(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override;
};

// The info object carries an API identifier in an extension (default "x-id") matching a pattern (default a UUID);
// the fix adds a random version-4 UUID where the identifier is missing.
class IDDefined : public Rule {
  public:
    static constexpr std::string_view Id = "id-defined";
    explicit IDDefined(Severity severity);
    ~IDDefined() override;
    // An object with "attribute" (an extension name) and "pattern" (a regular expression, or "uuid").
    void setOptions(const jv::JV& options) override;
    bool autoFixable() const override { return true; }
    void run(Context& context) override;
    bool autoFix(Context& context) override;

  private:
    std::string attribute_ = "x-id";
    std::unique_ptr<Regex> pattern_;
};

// The info object has a description and a version, and in 3.1 a summary.
class InfoDefined : public Rule {
  public:
    static constexpr std::string_view Id = "info-defined";
    explicit InfoDefined(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override;
};

// Every component schema shows an example.
class SchemaExampleDefined : public Rule {
  public:
    static constexpr std::string_view Id = "schema-example-defined";
    explicit SchemaExampleDefined(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override;
};

// The document names at least one server.
class ServersDefined : public Rule {
  public:
    static constexpr std::string_view Id = "servers-defined";
    explicit ServersDefined(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override;
};

// Server URLs are lower case (their variables aside) and do not use plain http.
class ServerURLs : public Rule {
  public:
    static constexpr std::string_view Id = "server-urls";
    explicit ServerURLs(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// No two root tags share a name.
class TagsUnique : public Rule {
  public:
    static constexpr std::string_view Id = "tags-unique";
    explicit TagsUnique(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override;
};

// Whether the text is an identifier of the SPDX license list (the list this build embeds).
bool isSpdxLicenseIdentifier(std::string_view id);

// The info object has a license with a name, and a URL or an SPDX identifier.
class LicenseDefined : public Rule {
  public:
    static constexpr std::string_view Id = "license-defined";
    explicit LicenseDefined(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override;
};

// Every component under "components" is used: referenced from outside itself, named by a discriminator mapping, or
// (a security scheme) named by a security requirement.
class UnusedSharedComponent : public Rule {
  public:
    static constexpr std::string_view Id = "unused-shared-component";
    explicit UnusedSharedComponent(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// The document validates against the published schema of its OpenAPI version; each finding of the validation is
// reported where it stands.
class JSONSchemaValidation : public Rule {
  public:
    static constexpr std::string_view Id = "json-schema-validation";
    explicit JSONSchemaValidation(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override;
};

// Every example validates against the schema it illustrates: the "example" and named "examples" of media types,
// parameters and headers against their schema, and a schema's own "example", "examples" and "default" against the
// schema. Required readOnly properties may be left out of what a client sends, writeOnly ones out of what it
// receives.
class OpenAPIJSONSchemaValidation : public Rule {
  public:
    static constexpr std::string_view Id = "openapi-json-schema-validation";
    explicit OpenAPIJSONSchemaValidation(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// --- Free text ---

// The titles, summaries and descriptions of the info object, the servers and their variables are spelled right, by
// the dictionaries the options name. Without dictionaries the rule checks nothing.
class SpellCheck : public Rule {
  public:
    static constexpr std::string_view Id = "spell-check";
    explicit SpellCheck(Severity severity);
    ~SpellCheck() override;
    // An object with the paths of a Hunspell "dictionary" (.dic) and "affix" (.aff) file.
    void setOptions(const jv::JV& options) override;
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
    const SpellChecker& checker() const { return *checker_; }

  private:
    std::unique_ptr<SpellChecker> checker_;
};

// Descriptions hold no script: no <script> element and no eval() call, in any letter case.
class SafeMarkdown : public Rule {
  public:
    static constexpr std::string_view Id = "safe-markdown";
    explicit SafeMarkdown(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// The finding of a description, if it holds a script: "Markdown contains <script> tag" or "Markdown contains eval()
// function"; empty when it holds none.
std::string_view unsafeMarkdown(std::string_view description);

// --- Parameters and paths ---

// A naming convention by its option name: "camel", "const", "kebab", "pascal", "header" or "snake". Throws
// RuleConfigurationError "Unknown naming convention: {}" for any other value.
NamingConvention namingConventionFromString(std::string_view name);

// A naming convention option: a convention name. Throws RuleConfigurationError for null, another kind of value or an
// unknown name.
NamingConvention namingConventionOption(const jv::JV& options);

// The names of the parameters of a path template ("/users/{id}" -> "id"), in order, repeats included.
std::vector<std::string_view> pathTemplateParameters(std::string_view path);
// The parameters of a parameter list, references resolved and dangling ones left out.
std::vector<openapi::Parameter*> resolvedParameters(const openapi::NodeList& slots);
// Whether the parameters declare every name as a path parameter.
bool declaresPathParameters(const std::vector<openapi::Parameter*>& parameters,
                            const std::vector<std::string_view>& names);
// The path template with every parameter replaced by "{}", so that "/users/{id}" and "/users/{name}" compare equal.
std::string normalizeUrl(std::string_view path);

// The templates of a document's `paths` by the path item each leads to: for handlers that check a path item against
// its templates when the walk reaches it, while its operations and parameters are at hand.
class PathTemplates {
  public:
    struct Entry {
        const openapi::PathItem* item;
        std::string_view path;
        const openapi::Node* slot;
    };

    // Takes the templates of `paths`, which must outlive this object.
    void collect(const openapi::Paths& paths);
    // The templates that lead to the item, in key order: one as a rule, none for the path item of a webhook or a
    // callback.
    std::span<const Entry> of(const openapi::PathItem* item) const;

  private:
    // By item, and in key order among one item's.
    std::vector<Entry> entries_;
};

// The base of a handler that checks each path item of `paths` against each template with parameters that leads to
// it, when the walk reaches the item.
template <class R>
class PathTemplateHandler : public RuleHandler<R> {
  public:
    using RuleHandler<R>::RuleHandler;

    void handle(const openapi::Paths* paths) override { templates_.collect(*paths); }
    void handle(const openapi::PathItem* item) override {
        for (const PathTemplates::Entry& entry : templates_.of(item)) {
            const std::vector<std::string_view> names = pathTemplateParameters(entry.path);
            if (!names.empty()) check(*item, *entry.slot, names);
        }
    }

  protected:
    // Checks the path item that `slot` leads to, under a template naming these parameters.
    virtual void check(const openapi::PathItem& item, const openapi::Node& slot,
                       const std::vector<std::string_view>& names) = 0;

  private:
    PathTemplates templates_;
};

// Every parameter has a meaningful description.
class ParameterDescriptionDefined : public DescriptionRule {
  public:
    static constexpr std::string_view Id = "parameter-description-defined";
    explicit ParameterDescriptionDefined(Severity severity) : DescriptionRule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Parameter names follow the naming convention of their location.
class ParameterNaming : public Rule {
  public:
    static constexpr std::string_view Id = "parameter-naming";
    explicit ParameterNaming(Severity severity) : Rule(Id, severity) {}
    // One convention for every location, or an object with "default", "path", "query", "header" and "cookie".
    void setOptions(const jv::JV& options) override;
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
    NamingConvention convention(openapi::Parameter::Location location) const;

  private:
    NamingConvention default_ = NamingConvention::SnakeCase;
    // By location (path, query, header, cookie); unset ones follow the default.
    std::array<std::optional<NamingConvention>, 4> byLocation_{std::nullopt, NamingConvention::KebabCase,
                                                               NamingConvention::HeaderCase, std::nullopt};
};

// No operation or path item declares the same parameter (name and location) twice.
class ParametersUnique : public Rule {
  public:
    static constexpr std::string_view Id = "parameters-unique";
    explicit ParametersUnique(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Every parameter of a path template is declared as a path parameter of each operation (or of its path item).
class PathParametersDefined : public Rule {
  public:
    static constexpr std::string_view Id = "path-parameters-defined";
    explicit PathParametersDefined(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// The parameters of a path template are declared once, on the path item, rather than on each operation.
class PathParametersOnItems : public Rule {
  public:
    static constexpr std::string_view Id = "path-parameters-on-items";
    explicit PathParametersOnItems(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// The path templates in the order a written document has them: the source order, then paths added since in key
// order.
std::vector<std::string> pathOrder(const Context& context);
// Makes the written document list its paths in this order.
void setPathOrder(const Context& context, const std::vector<std::string>& order);

// Path templates have at most a configured number of segments.
class PathsMaxDepth : public Rule {
  public:
    static constexpr std::string_view Id = "paths-max-depth";
    explicit PathsMaxDepth(Severity severity) : Rule(Id, severity) {}
    // A positive integer.
    void setOptions(const jv::JV& options) override;
    void run(Context& context) override;

  private:
    std::uint64_t maxDepth_ = 4;
};

// The paths are in ascending order; the fix sorts them.
class PathsSorted : public Rule {
  public:
    static constexpr std::string_view Id = "paths-sorted";
    explicit PathsSorted(Severity severity) : Rule(Id, severity) {}
    bool autoFixable() const override { return true; }
    void run(Context& context) override;
    bool autoFix(Context& context) override;
};

// No two path templates differ only in the names of their parameters.
class PathsUnique : public Rule {
  public:
    static constexpr std::string_view Id = "paths-unique";
    explicit PathsUnique(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override;
};

// The well-formed spelling of a path template: one leading "/", no empty segments, no trailing "/" (except for the
// root itself), lower case outside the parameters, whose names are kept as they are.
std::string wellFormedPath(std::string_view path);

// Path templates are well-formed; the fix rewrites the ones that are not.
class PathsWellFormed : public Rule {
  public:
    static constexpr std::string_view Id = "paths-well-formed";
    explicit PathsWellFormed(Severity severity) : Rule(Id, severity) {}
    bool autoFixable() const override { return true; }
    void run(Context& context) override;
    bool autoFix(Context& context) override;
};

// --- Schemas ---

// Schemas of the selected types restrict their values: a range for numbers, a length or pattern for strings, a size
// for arrays and objects.
class SchemaConstraints : public Rule {
  public:
    static constexpr std::string_view Id = "schema-constraints";
    explicit SchemaConstraints(Severity severity) : Rule(Id, severity) {}
    // An object of booleans "integer", "number", "string", "array" and "object"; the types it leaves out are not
    // checked.
    void setOptions(const jv::JV& options) override;
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;

    struct Types {
        bool integer = true;
        bool number = true;
        bool string = true;
        bool array = true;
        bool object = true;
    };
    const Types& types() const { return types_; }

  private:
    Types types_;
};

// Date-time properties carry a suffix in their name (default "_at").
class SchemaDatetimeSuffix : public Rule {
  public:
    static constexpr std::string_view Id = "schema-datetime-suffix";
    explicit SchemaDatetimeSuffix(Severity severity) : Rule(Id, severity) {}
    // The suffix.
    void setOptions(const jv::JV& options) override;
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
    const std::string& suffix() const { return suffix_; }

  private:
    std::string suffix_ = "_at";
};

// A schema with oneOf names a discriminator.
class SchemaDiscriminatorDefined : public Rule {
  public:
    static constexpr std::string_view Id = "schema-discriminator-defined";
    explicit SchemaDiscriminatorDefined(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// String enum values follow a naming convention (default "const").
class SchemaEnumNaming : public Rule {
  public:
    static constexpr std::string_view Id = "schema-enum-naming";
    explicit SchemaEnumNaming(Severity severity) : Rule(Id, severity) {}
    // A convention name.
    void setOptions(const jv::JV& options) override;
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
    NamingConvention convention() const { return convention_; }

  private:
    NamingConvention convention_ = NamingConvention::ConstCase;
};

// The indices of the enum values that repeat an earlier one (JSON equality: 1 and 1.0 are the same value).
std::vector<std::size_t> duplicateEnumValues(const openapi::Schema& schema);

// No enum lists a value twice; the fix keeps the first of each.
class SchemaEnumNoDuplicates : public Rule {
  public:
    static constexpr std::string_view Id = "schema-enum-no-duplicates";
    explicit SchemaEnumNoDuplicates(Severity severity) : Rule(Id, severity) {}
    bool autoFixable() const override { return true; }
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
    bool autoFix(Context& context) override;
};

// Enum values are of the schema's types.
class SchemaEnumTypes : public Rule {
  public:
    static constexpr std::string_view Id = "schema-enum-types";
    explicit SchemaEnumTypes(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Number and integer schemas name a format of their type (float or double, int32 or int64).
class SchemaFormatDefined : public Rule {
  public:
    static constexpr std::string_view Id = "schema-format-defined";
    explicit SchemaFormatDefined(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// A typed schema's format applies to one of its types.
class SchemaFormatTypeMismatch : public Rule {
  public:
    static constexpr std::string_view Id = "schema-format-type-mismatch";
    explicit SchemaFormatTypeMismatch(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Object schemas close themselves to undeclared properties.
class SchemaNoAdditionalProperties : public Rule {
  public:
    static constexpr std::string_view Id = "schema-no-additional-properties";
    explicit SchemaNoAdditionalProperties(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Property names follow a naming convention (default "snake").
class SchemaPropertyNaming : public Rule {
  public:
    static constexpr std::string_view Id = "schema-property-naming";
    explicit SchemaPropertyNaming(Severity severity) : Rule(Id, severity) {}
    // A convention name.
    void setOptions(const jv::JV& options) override;
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
    NamingConvention convention() const { return convention_; }

  private:
    NamingConvention convention_ = NamingConvention::SnakeCase;
};

// --- JSON:API ---

// Request bodies and responses use the JSON:API media type.
class JSONAPIContentType : public Rule {
  public:
    static constexpr std::string_view Id = "json-api/content-type";
    explicit JSONAPIContentType(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// Bodies of the JSON:API media type are JSON:API documents: they have data, errors or meta, and not both data and
// errors.
class JSONAPISchemaValidation : public Rule {
  public:
    static constexpr std::string_view Id = "json-api/schema-validation";
    explicit JSONAPISchemaValidation(Severity severity) : Rule(Id, severity) {}
    std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context) override;
};

// No two component schemas model resource objects of the same type.
class ResourceTypeUnique : public Rule {
  public:
    static constexpr std::string_view Id = "json-api/resource-type-unique";
    explicit ResourceTypeUnique(Severity severity) : Rule(Id, severity) {}
    void run(Context& context) override;
};

inline constexpr std::string_view kJsonApiMediaType = "application/vnd.api+json";

// Whether a media type key has this essence, whatever its parameters and letter case ("application/json;
// charset=utf-8" is "application/json").
bool isMediaType(std::string_view key, std::string_view essence);

// The first of the schema and its allOf members (depth first, references followed, each once) that satisfies the
// predicate; null when none does.
const openapi::Schema* findInAllOf(const openapi::Schema* schema,
                                   const std::function<bool(const openapi::Schema&)>& predicate);

// A limit option: a positive integer. Throws RuleConfigurationError "Options must not be null", "Options must be a
// number" or, for a number that is not a positive integer, the given message.
std::uint64_t positiveIntegerOption(const jv::JV& options, const char* notPositive);

// The properties a schema declares itself or through allOf, references followed; each schema is looked at once, so
// cycles end.
void collectProperties(const openapi::Schema* schema, std::set<std::string, std::less<>>& names);

}  // namespace zephalon::openapi_lint
