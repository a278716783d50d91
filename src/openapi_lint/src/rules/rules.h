#pragma once

// The rules of the catalogue, one source file each.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "zephalon/foundation/regex.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/openapi_lint/context.h"
#include "zephalon/openapi_lint/rule.h"

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
class RuleHandler : public openapi::NodeVisitHandler {
  public:
    RuleHandler(const R& rule, Context& context) : rule_(rule), context_(context) {}

  protected:
    const R& rule() const { return rule_; }
    Context& context() const { return context_; }
    void report(std::string message, const openapi::Node* node) const {
        context_.addIssue(rule_, std::move(message), node);
    }

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
    void run(Context& context) override;
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

}  // namespace zephalon::openapi_lint
