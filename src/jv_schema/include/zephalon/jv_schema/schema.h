#pragma once

// Compiled JSON Schemas and their validation.
//
// A schema given as a JV tree is compiled once into a tree of keyword objects (JVSchema owns its keywords,
// keywords own their subschemas); validation then walks the instance without touching the schema's JSON again.
// All schemas compiled from one root share a SchemaContext, which maps absolute URLs to the compiled schemas so
// that "$ref" can find its target lazily, after the whole tree has been compiled.
//
// Validation reports findings as Issue records (a message and the position of the instance value concerned);
// it never throws for instance data. Compilation errors are JVError exceptions carrying the offending JSON value.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "zephalon/jv/jv.h"

namespace zephalon::jv::schema {

class JVSchema;
class JVKeyword;
class SchemaContext;
class JVValidationResult;

using Keywords = std::vector<std::unique_ptr<JVKeyword>>;

// A value one keyword leaves for another during one validation run (for example the number of array
// elements that "items" covered, which "additionalItems" continues from).
class JVAnnotation {
  public:
    virtual ~JVAnnotation() = default;
};

class TitleAnnotation : public JVAnnotation {
  public:
    explicit TitleAnnotation(std::string text) : title(std::move(text)) {}
    std::string title;
};

class ItemsCountAnnotation : public JVAnnotation {
  public:
    explicit ItemsCountAnnotation(std::size_t n) : count(n) {}
    std::size_t count;
};

// How many leading elements "prefixItems" covered, for "items" to continue from.
class PrefixItemsCountAnnotation : public JVAnnotation {
  public:
    explicit PrefixItemsCountAnnotation(std::size_t n) : count(n) {}
    std::size_t count;
};

// One validation finding: what is wrong and where the instance value concerned sits in its source.
struct Issue {
    std::string message;
    Pos pos;
};

// The output of one validation run.
class JVValidationResult {
  public:
    struct AnnotationKey {
        JV const* instance;
        std::string name;
    };
    struct AnnotationKeyLess {
        using is_transparent = void;
        template <typename A, typename B>
        bool operator()(A const& a, B const& b) const {
            if (keyOf(a).first != keyOf(b).first) return keyOf(a).first < keyOf(b).first;
            return keyOf(a).second < keyOf(b).second;
        }

      private:
        static std::pair<JV const*, std::string_view> keyOf(AnnotationKey const& k) { return {k.instance, k.name}; }
        static std::pair<JV const*, std::string_view> keyOf(std::pair<JV const*, std::string_view> const& k) {
            return k;
        }
    };
    using Annotations = std::map<AnnotationKey, std::unique_ptr<JVAnnotation>, AnnotationKeyLess>;

    std::vector<Issue> issues;
    Annotations annotations;

    // Adds an issue at the instance's source position (unknown when no instance is given), unless muted.
    void addIssue(std::string message, JV const* instance);
    void addIssue(char const* message, JV const* instance) {
        if (recording()) addIssue(std::string(message), instance);
    }

    // Whether issues are recorded. A keyword that only asks whether a subschema passes and drops whatever the
    // subschema finds ("if", "not", "contains") mutes the result meanwhile: a document is asked such questions at
    // nearly every object, and the findings would be formatted and stored only to be dropped.
    bool recording() const { return muted_ == 0; }
    class Muted {
      public:
        explicit Muted(JVValidationResult& result) : result_(result) { ++result_.muted_; }
        ~Muted() { --result_.muted_; }
        Muted(Muted const&) = delete;
        Muted& operator=(Muted const&) = delete;

      private:
        JVValidationResult& result_;
    };
    // Inserts or replaces the annotation `name` of the instance.
    void addAnnotation(JV const* instance, std::string name, std::unique_ptr<JVAnnotation> annotation);
    JVAnnotation* findAnnotation(JV const* instance, std::string_view name) const;
    void removeAnnotation(JV const* instance, std::string_view name);

    bool empty() const { return issues.empty(); }

    // What the schemas applied to an object or array have evaluated of it: the members (by their position in
    // iteration order) or elements that "unevaluatedProperties" and "unevaluatedItems" leave alone. Each schema of
    // the dialects that know those keywords opens a frame for the instance it is applied to; when it passes, what it
    // evaluated counts for the schema applied to the same instance around it, when it fails it counts for nothing.
    // Frames live only while their schema is applied, so a validation holds as many as its current depth.
    void markEvaluated(JV const& instance, std::size_t index);
    void markEvaluated(JV const& instance, std::size_t from, std::size_t to);
    void markAllEvaluated(JV const& instance);
    bool isEvaluated(JV const& instance, std::size_t index) const;
    bool allEvaluated(JV const& instance) const;

    // Guards "$ref" against evaluating the same reference for the same instance value inside itself, which
    // would never end (a schema such as {"$ref": "#"}). Entered by the reference keyword; see RefKeyword.
    class ReferenceScope {
      public:
        ReferenceScope(JVValidationResult& result, void const* reference, JV const* instance);
        ~ReferenceScope();
        ReferenceScope(ReferenceScope const&) = delete;
        ReferenceScope& operator=(ReferenceScope const&) = delete;
        // False when the same reference is already being evaluated for the same instance, or references are
        // nested beyond maxReferenceDepth.
        bool entered() const { return entered_; }
        // Set when the scope was refused because references nest beyond maxReferenceDepth.
        bool tooDeep() const { return tooDeep_; }

      private:
        JVValidationResult& result_;
        bool entered_ = false;
        bool tooDeep_ = false;
    };
    static constexpr std::size_t maxReferenceDepth = 4096;

    // The schema resources validation has entered, outermost first: where "$dynamicRef" and "$recursiveRef"
    // look for the anchor they bind to.
    struct ScopeEntry {
        SchemaContext const* context;
        JVSchema const* resource;
    };
    std::vector<ScopeEntry> dynamicScope;

  private:
    friend class JVSchema;

    // One bit per member or item of the instance: in `word` for up to 64 of them (nearly every object and array),
    // else in `more`.
    struct EvaluationFrame {
        JV const* instance = nullptr;
        bool all = false;
        std::uint64_t word = 0;
        std::vector<std::uint64_t> more;
        std::uint64_t* words() { return more.empty() ? &word : more.data(); }
        std::uint64_t const* words() const { return more.empty() ? &word : more.data(); }
        std::size_t wordCount() const { return more.empty() ? 1 : more.size(); }
    };
    EvaluationFrame* frameFor(JV const& instance);
    EvaluationFrame const* frameFor(JV const& instance) const;
    void openFrame(JV const& instance);
    // Closes the innermost frame; when `keep`, what it holds is added to the frame below if that one is about the
    // same instance.
    void closeFrame(bool keep);

    std::vector<std::pair<void const*, JV const*>> activeReferences_;
    // Frames in use are the first `openFrames_`; the others keep their storage for reuse.
    std::vector<EvaluationFrame> frames_;
    std::size_t openFrames_ = 0;

    // The work budget of the validation in progress, counted in schema applications (see JVSchema::validate).
    bool running_ = false;
    bool aborted_ = false;
    bool budgetExtended_ = false;
    std::uint64_t budget_ = 0;
    JV const* root_ = nullptr;
    std::size_t muted_ = 0;  // open Muted scopes
};

// Abstract base of every keyword. Each concrete keyword also has a static maybeCreate(context, keywords,
// schemaJson) that looks for its own member in the schema object and appends itself when present.
class JVKeyword {
  public:
    virtual ~JVKeyword() = default;
    // True when the instance satisfies the keyword; a keyword applies only to instances of its type and passes
    // any other instance.
    virtual bool validate(JV const& instance, JVValidationResult& result) const = 0;
};

// One compiled schema: the root or any subschema.
class JVSchema {
  public:
    // An empty schema (accepts everything) with a new context.
    JVSchema();
    // Compiles `json` with a new context whose base URL is the default base URL.
    explicit JVSchema(JV const& json);
    // Compiles `json` with a new context whose base URL is `baseUrl` (an absolute URL), so that references
    // into this document resolve against the place it was retrieved from.
    JVSchema(JV const& json, std::string_view baseUrl);
    // As above, but the context keeps `json` itself as its copy of the document instead of cloning it: for a large
    // document whose subschemas are compiled only when asked for (findOrCompileSchema).
    JVSchema(std::unique_ptr<JV> json, std::string_view baseUrl);
    // Compiles `json` as a subschema sharing `context`.
    JVSchema(std::shared_ptr<SchemaContext> context, JV const& json);
    ~JVSchema();

    // The context's URL map points at schemas, so a schema stays where it was built.
    JVSchema(JVSchema const&) = delete;
    JVSchema& operator=(JVSchema const&) = delete;

    void load(JV const& json);

    // Validates the instance, adding issues to `result`. A validation is given an amount of work in proportion
    // to the sizes of the instance and of the schema (counted in schema applications, with generous room); one
    // that needs more, as a schema that branches through references at every level can, ends early with the
    // single issue "Validation aborted: the schema needs too much work for this instance" at the instance.
    bool validate(JV const& instance, JVValidationResult& result) const;
    // Validates the document's root value (an empty document validates as null would).
    bool validate(JVDoc const& doc, JVValidationResult& result) const;

    bool isBoolean() const { return std::holds_alternative<bool>(body); }

    static constexpr std::string_view abortedMessage =
        "Validation aborted: the schema needs too much work for this instance";

  private:
    bool validateRoot(JV const& instance, JVValidationResult& result) const;
    bool validateScoped(JV const& instance, JVValidationResult& result) const;

  public:
    std::shared_ptr<SchemaContext> context;
    std::variant<bool, Keywords> body{true};

    // Set by the dialects that know "unevaluatedItems"/"unevaluatedProperties": what this schema evaluated
    // counts for the schemas around it only when it passes, and what they evaluated is not visible inside.
    bool scopesEvaluation = false;
    // The base URL of the schema resource this schema starts (the document root or a schema with "$id"), empty
    // for other schemas.
    std::string resourceUrl;
    // The resource this schema belongs to (itself for a resource root); null for the older dialects.
    JVSchema const* enclosingResource = nullptr;
    // The name of its "$dynamicAnchor", and whether it carries "$recursiveAnchor": true.
    std::string dynamicAnchor;
    bool recursiveAnchor = false;
};

// One entry of the base-URL stack: the base URL and the location, relative to it, of the schema being compiled.
struct BaseUrlEntry {
    std::string url;
    JVPointer path;
};

class JVSchemaDialect;

// The vocabularies of 2019-09 and 2020-12, as bits: the groups of keywords that a meta-schema's "$vocabulary"
// switches on. A dialect named by its published URI has all of them except format assertion.
namespace vocabulary {
inline constexpr std::uint32_t core = 1u << 0;
inline constexpr std::uint32_t applicator = 1u << 1;
// "unevaluatedItems" and "unevaluatedProperties"; in 2019-09 they belong to the applicator vocabulary.
inline constexpr std::uint32_t unevaluated = 1u << 2;
inline constexpr std::uint32_t validation = 1u << 3;
inline constexpr std::uint32_t metaData = 1u << 4;
// "format" as an annotation (2019-09 calls this vocabulary "format"), asserting as the registry's strictFormat says.
inline constexpr std::uint32_t formatAnnotation = 1u << 5;
// "format" always asserting.
inline constexpr std::uint32_t formatAssertion = 1u << 6;
inline constexpr std::uint32_t content = 1u << 7;
inline constexpr std::uint32_t standard =
    core | applicator | unevaluated | validation | metaData | formatAnnotation | content;
}  // namespace vocabulary

// State shared by every schema compiled from one root.
class SchemaContext {
  public:
    SchemaContext();
    explicit SchemaContext(std::string baseUrl);

    std::vector<BaseUrlEntry> baseUrls;
    std::map<std::string, JVSchema*, std::less<>> schemas;
    std::string dialect;
    // The dynamic anchors by resource URL and name, and the resource roots with "$recursiveAnchor": true.
    std::map<std::string, std::map<std::string, JVSchema const*, std::less<>>, std::less<>> dynamicAnchors;
    std::map<std::string, JVSchema const*, std::less<>> recursiveAnchors;
    // The resources enclosing the schema being compiled, innermost last.
    std::vector<JVSchema const*> resourceStack;

    // A copy of the document the root was compiled from. References to locations that hold no compiled schema (a
    // subschema under a keyword the dialect does not know, or inside "examples") are compiled from it on first
    // use; a "$schema" naming a meta-schema of the same document finds its "$vocabulary" there.
    std::unique_ptr<JV> source;
    // Where each schema resource of the document starts: its base URL and its location in `source`.
    std::map<std::string, JVPointer, std::less<>> resourceLocations;
    // How many schemas were compiled in this context; a validation's work budget grows with it.
    std::size_t schemaCount = 0;

    std::string const& currentBaseUrl() const;
    // The entry below the top; the top itself when the stack has one entry.
    std::string const& previousBaseUrl() const;
    // Pushes `url` resolved against the current base, with an empty path.
    void pushBaseUrl(std::string_view url);
    void popBaseUrl();
    void pushPath(std::string_view token);
    void pushPath(std::size_t index);
    void popPath();

    // Registers the schema under the current base URL with the current path as fragment (an existing entry is
    // replaced).
    void addSchema(JVSchema* schema);
    // Registers the schema under the current base URL with `anchor` as fragment.
    void addSchema(JVSchema* schema, std::string_view anchor);
    // Registers the schema under an absolute URL as given.
    void addSchemaAt(std::string url, JVSchema* schema);

    // Finds the schema a reference points at: first a built-in or loaded schema (when `tryBuiltIn`), then the
    // url resolved against the current base in this context, then a fragment inside a built-in or loaded
    // document. Null when nothing is there.
    JVSchema const* findSchema(std::string_view url, bool tryBuiltIn) const;
    // The schema at a location relative to the current base URL.
    JVSchema const* findSchema(JVPointer const& pointer) const;
    // As findSchema (url, true); a JSON Pointer location of a document that holds no compiled schema is compiled
    // from the document on first use. Null when there is nothing, or nothing that compiles, at the location.
    JVSchema const* findOrCompileSchema(std::string_view url);
    // The object in `source` where the schema resource with this base URL (no fragment) starts, found by its
    // identifier; null when the document has none.
    JV const* findResourceSource(std::string_view url) const;

    // The dialect a schema object is compiled with: the one its "$schema" member names (nullptr when it has
    // none), otherwise that of the nearest enclosing schema object that names one, otherwise the root's. A
    // "$schema" other than the published dialect URIs names a meta-schema (built in, in this document or given
    // by a loader), whose own "$schema" gives the keywords and whose "$vocabulary" the vocabularies.
    std::unique_ptr<JVSchemaDialect> getDialect(JV const* schemaMember);

  private:
    friend class JVSchema;

    // A dialect as a known dialect URI with the vocabularies switched on.
    struct DialectChoice {
        std::string uri;
        std::uint32_t vocabularies;
    };
    // `member` is the "$schema" value that named the dialect (for the errors), null for the default.
    DialectChoice const& chooseDialect(std::string_view uri, JV const* member);
    DialectChoice chooseCustomDialect(std::string_view uri, JV const* member, std::vector<std::string>& visiting);
    std::unique_ptr<JVSchemaDialect> makeDialect(DialectChoice const& choice) const;

    // Registers under `key`; an existing entry is replaced only when `replace` is set.
    void putSchema(std::string key, JVSchema* schema, bool replace);

    // The base URL the document was given.
    std::string documentBase_;
    // While findOrCompileSchema compiles a value: each entry of `schemas` it wrote, with what the entry held before
    // (null when it was new), so that a value that does not compile can be taken back without copying the table.
    std::vector<std::pair<std::string, JVSchema*>>* schemaUndo_ = nullptr;
    // The dialects named by the schema objects being compiled, innermost last.
    std::vector<DialectChoice> dialectStack_;
    std::map<std::string, DialectChoice, std::less<>> dialectChoices_;
    // Schemas compiled from `source` after the tree, and the locations whose values did not compile.
    std::vector<std::unique_ptr<JVSchema>> lateSchemas_;
    std::set<std::string, std::less<>> uncompilable_;
};

// The keywords of one JSON Schema draft.
class JVSchemaDialect {
  public:
    explicit JVSchemaDialect(bool strict) : strictFormat(strict) {}
    virtual ~JVSchemaDialect() = default;
    virtual void process(std::shared_ptr<SchemaContext> const& context, JVSchema& schema, JV const& json) const = 0;
    // Moves the keywords into the schema; a schema object that yielded no keyword accepts everything.
    static void setKeywords(JVSchema& schema, Keywords keywords);

    bool strictFormat;
    // The vocabularies whose keywords 2019-09 and 2020-12 compile (bits of `vocabulary`); the older drafts have
    // none and ignore it.
    std::uint32_t vocabularies = vocabulary::standard;
};

// The process-wide table of known dialects, the default for schemas without "$schema", and whether "format"
// asserts.
class JVDialectRegistry {
  public:
    using Factory = std::function<std::unique_ptr<JVSchemaDialect>(bool strictFormat)>;

    static JVDialectRegistry& instance();

    // Accepts the short names "draft-04", "draft-06", "draft-07", "2019-09", "2020-12" and the dialect URIs.
    void setDefaultDialect(std::string_view name);
    void setStrictFormat(bool strict) { strictFormat = strict; }
    // Exact comparison with the dialect URIs; throws JVError "Unknown schema dialect: <uri>" otherwise (the
    // JV overload carries the member; the string overload carries no node).
    std::unique_ptr<JVSchemaDialect> findDialect(std::string_view uri) const;
    std::unique_ptr<JVSchemaDialect> findDialect(JV const& member) const;
    // Whether a dialect with this URI has keywords compiled into this build.
    bool hasDialect(std::string_view uri) const;

    std::string defaultDialect;
    bool strictFormat = false;

  private:
    JVDialectRegistry();
    struct Entry {
        std::string uri;
        std::string shortName;
        Factory factory;
    };
    Entry const* find(std::string_view uri) const;
    std::vector<Entry> dialects_;
};

// The dialect URIs as the drafts publish them.
inline constexpr std::string_view draft04Uri = "http://json-schema.org/draft-04/schema#";
inline constexpr std::string_view draft06Uri = "http://json-schema.org/draft-06/schema#";
inline constexpr std::string_view draft07Uri = "http://json-schema.org/draft-07/schema#";
inline constexpr std::string_view draft201909Uri = "https://json-schema.org/draft/2019-09/schema";
inline constexpr std::string_view draft202012Uri = "https://json-schema.org/draft/2020-12/schema";

// Built-in schemas (the published meta-schemas and OpenAPI schemas) and loaded schemas, compiled on first use
// and cached for the life of the process. Null for an unknown URL.
JVSchema const* loadBuiltInSchema(std::string_view url);
// The published text of a built-in schema (without trailing "#"), empty when the URL names none.
std::string_view builtInSchemaText(std::string_view url);
// The identifiers of every built-in schema.
std::vector<std::string_view> builtInSchemaIds();
JVSchema const* openapi30MetaSchema();
JVSchema const* openapi31MetaSchema();

// Loaders supply schemas that are neither built in nor part of the document (for example over a network or
// from a directory). A loader receives an absolute URL without fragment and returns the compiled schema or
// null; the first non-null answer is cached for the life of the process.
using SchemaLoader = std::function<std::unique_ptr<JVSchema>(std::string const& url)>;
void registerSchemaLoader(std::string const& name, SchemaLoader loader);
void unregisterSchemaLoader(std::string const& name);
std::map<std::string, SchemaLoader> const& schemaLoaders();

// URLs.
std::string const& defaultBaseUrl();
// RFC 3986 resolution of `url` against the absolute `base`.
std::string resolveUrl(std::string_view url, std::string_view base);
// Resolves a reference as "$ref" and "id" do: the fragment is percent-decoded (it is a JSON Pointer or an
// anchor name), the rest is resolved against the base, and a trailing "#" is dropped.
std::string resolveReference(std::string_view ref, std::string_view base);
std::string resolveReference(std::string_view ref, SchemaContext const& context, bool usePrevious);
// base + "#" + pointer text; the base alone for the empty pointer.
std::string combineUrl(std::string_view base, JVPointer const& pointer);
std::string combineUrl(std::string_view base, std::string_view fragment);
// Appends one escaped JSON Pointer token to a fragment.
std::string appendFragmentSegment(std::string_view fragment, std::string_view segment);

}  // namespace zephalon::jv::schema
