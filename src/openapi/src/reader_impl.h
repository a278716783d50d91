#pragma once

// The machinery behind Parser: one DocumentReader walks one JVDoc and fills one OpenAPIReadResult.

#include <bitset>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "zephalon/foundation/file_system.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/number/number.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi/schema_keywords.h"

namespace zephalon::openapi::detail {

// The component maps a "$ref" can point into.
enum class RefKind : std::uint8_t {
    schema,
    response,
    parameter,
    example,
    requestBody,
    header,
    link,
    callback,
    pathItem
};

struct KindInfo {
    std::string_view prefix;
    std::string_view mapName;
};
KindInfo kindInfo(RefKind kind);
bool isOfKind(RefKind kind, const Node& node);

class DocumentReader {
  public:
    DocumentReader(OpenAPIReadResult& result, const SchemaDialectRegistry& dialects,
                   const SchemaFormatRegistry& formats, bool allowNullableIn31, const ReadOptions& options);
    ~DocumentReader();

    // Builds a fresh model from the result's document.
    void read();

    // Schemas (and callbacks, which hold path items) nest no deeper than this; deeper input is reported, not read,
    // so that hostile documents cannot exhaust the stack.
    static constexpr int kMaxDepth = 128;

  private:
    using JV = jv::JV;
    // Loops over members name the key and value as plain references rather than structured bindings: the steps
    // inside capture them in lambdas, which some compilers (clang before 16) refuse for bindings.
    using Members = std::vector<std::pair<std::string_view, const JV*>>;

    // --- issues and guarded steps ---
    void issue(const Node* node, const JV* value, std::string message);
    // Runs one step; an exception becomes an issue (a JVError with its own value) and reading goes on.
    template <class F>
    void guard(const Node* node, const JV* value, F&& step) {
        try {
            step();
        } catch (const jv::JVError& e) {
            issue(node, e.node != nullptr ? e.node : value, e.what());
        } catch (const std::exception& e) {
            issue(node, value, e.what());
        }
    }

    // --- typed members; a member of the wrong type is an issue and reads as absent ---
    std::optional<std::string> optString(const Node* node, const JV& object, std::string_view key);
    std::optional<bool> optBool(const Node* node, const JV& object, std::string_view key);
    const number::Number* optNumber(const Node* node, const JV& object, std::string_view key);
    std::optional<std::uint64_t> optCount(const Node* node, const JV& object, std::string_view key);
    const JV* optArray(const Node* node, const JV& object, std::string_view key);
    const JV* optObject(const Node* node, const JV& object, std::string_view key);
    // Source key order when the document recorded it, else key order.
    Members members(const JV& object) const;
    static bool isExtensionKey(std::string_view key) { return key.starts_with("x-"); }
    void readExtensions(Node* node, const JV& object);
    void map(const Node* node, const JV& value) {
        result_.addMapping(node, &value);
        // The first node read from a target of another file stands for it from now on, before its content is read,
        // so that references back to it (cycles) find it.
        if (&value == awaitedValue_) {
            externalNodes_[awaitedValue_] = const_cast<Node*>(node);
            awaitedValue_ = nullptr;
        }
    }
    void mapKeyed(const Node* node, std::string_view key, const JV* value) { result_.addMapping(node, key, value); }
    // Reports a non-object value with `message`; true when it is an object.
    bool expectObject(const Node* node, const JV& value, std::string_view message);

    // --- references ---
    // "$ref" may point anywhere in the document; the target must be a node of the kind the slot expects. Targets
    // that are not read yet are linked once the whole document is read.
    enum class RefStatus : std::uint8_t {
        found,      // `node` is the target
        pending,    // the target is a reference that is not resolved yet
        unread,     // the place exists but no node was read from it (yet)
        missing,    // the pointer names nothing, or the reference leaves the document
        wrongKind,  // `node` is of another kind
    };
    struct RefTarget {
        RefStatus status;
        Node* node = nullptr;
    };
    struct PendingLink {
        RefKind kind;
        Reference* reference;
    };
    // The "$ref" text of an object that has one; an issue and an empty text for a "$ref" that is not a string.
    static bool isRef(const JV& value) { return value.isObject() && value.property("$ref") != nullptr; }
    std::string refText(const JV& value) const;
    // The key of the concrete component entry that `ref` names, following aliases (entries that are themselves
    // references) through the document; nothing for a reference elsewhere, to a missing entry, or around a cycle.
    std::optional<std::string> componentKey(RefKind kind, std::string_view ref) const;
    // The concrete component entry a reference names, or null.
    Node* lookup(RefKind kind, std::string_view ref) const;
    // Where a reference leads, as far as the document read so far tells.
    RefTarget findTarget(RefKind kind, std::string_view ref) const;
    // The value a reference leads to, following references through the document; null when it leads nowhere.
    const JV* refValue(std::string_view ref) const;
    static std::string_view kindName(RefKind kind);
    void readReference(Reference* reference, const JV& value);
    // Reads a reference of a non-schema kind into a slot: `add` stores a Reference to the target, given the target
    // or a Reference (which is followed to its target). A reference to nothing or to a node of another kind is an
    // issue of `owner` and leaves the slot empty; one whose target is not read yet is linked at the end.
    template <class Target, class Add>
    void readRefSlot(RefKind kind, Node* owner, const JV& value, Add&& add) {
        std::string ref = refText(value);
        if (isExternal(ref)) {
            bool inDocument = false;
            Node* node = readExternal(kind, owner, value, ref, inDocument);
            if (!inDocument) {
                if (node == nullptr) return;
                Reference* reference = add(static_cast<Target*>(node));
                if (reference != nullptr) readReference(reference, value);
                return;
            }
        }
        RefTarget target = findTarget(kind, ref);
        Reference* reference = nullptr;
        switch (target.status) {
            case RefStatus::found:
                reference = add(static_cast<Target*>(target.node));
                break;
            case RefStatus::pending:
            case RefStatus::unread:
                reference = add(pendingMarker_.get());
                if (reference != nullptr) pendingLinks_.emplace(ref, PendingLink{kind, reference});
                break;
            case RefStatus::missing:
                return issue(owner, &value, "Unresolved reference: " + ref);
            case RefStatus::wrongKind:
                return issue(owner, &value, wrongKindMessage(kind, ref));
        }
        if (reference != nullptr) readReference(reference, value);
    }
    static std::string wrongKindMessage(RefKind kind, std::string_view ref);

    // --- schema references ---
    // A schema slot: a reference (resolved now, or linked at the end through the placeholder), a boolean schema or
    // an object schema. `make` creates the new schema in the slot, `makeRef` stores a reference to a target.
    template <class Make, class MakeRef>
    void readSchemaSlot(Node* owner, const JV& value, Make&& make, MakeRef&& makeRef) {
        if (isRef(value)) {
            std::string ref = refText(value);
            if (isExternal(ref)) {
                bool inDocument = false;
                Node* node = readExternal(RefKind::schema, owner, value, ref, inDocument);
                if (!inDocument) {
                    if (node == nullptr) return;
                    Reference* reference = makeRef(static_cast<Schema*>(node));
                    if (reference != nullptr) readReference(reference, value);
                    return;
                }
            }
            RefTarget target = findTarget(RefKind::schema, ref);
            const bool found = target.status == RefStatus::found;
            Reference* reference = makeRef(found ? static_cast<Schema*>(target.node) : placeholder_.get());
            if (reference == nullptr) return;
            if (!found) pendingLinks_.emplace(std::move(ref), PendingLink{RefKind::schema, reference});
            readReference(reference, value);
        } else if (value.isObject() || value.isBoolean()) {
            Schema* schema = make();
            if (schema != nullptr) readSchema(schema, value);
        } else {
            issue(owner, &value, "Schema must be an object or boolean");
        }
    }
    void resolvePendingLinks();

    // --- other files ---
    // A reference read while in another file is always resolved against that file, even "#/..." ones.
    bool isExternal(std::string_view ref) const { return currentFile_ != 0 || !ref.starts_with('#'); }
    // Where a reference into another file leads, after following references that only point on.
    struct ExternalPlace {
        std::size_t file;
        const JV* value;
    };
    // Follows `ref` from the current file to a value that is not itself a reference. A reference that cannot be
    // followed is an issue of `owner` at `refObject`. When the way leads back into the root document, `ref` becomes
    // the in-document reference and `backToRoot` is set; nothing is returned either way.
    std::optional<ExternalPlace> locate(const Node* owner, const JV& refObject, std::string& ref, bool& backToRoot,
                                        bool report = true);
    // Component entries of the root that only point into another file give their key to what they point at, even
    // when another reference reaches it first: a tree whose root lists every schema by reference keeps its names.
    void collectRootAliases(const JV& components);
    // The node a reference into another file stands for: read now as a component of the root when it is new (named
    // after the place), else the node read before. Null after an issue. `inDocument` when the reference leads back
    // into the root document: `ref` is then the in-document text to resolve as usual.
    Node* readExternal(RefKind kind, const Node* owner, const JV& refObject, std::string& ref, bool& inDocument);
    // Reads the target of a component entry, path or webhook that only points into another file in its place;
    // false when that is not the case (the caller then reads it as a reference).
    bool readInPlace(const Node* owner, const JV& refObject, const std::string& pointerToPlace,
                     const std::function<void(const JV&)>& read);
    // Loads a file once; throws with the user-facing reason.
    std::size_t loadFile(const std::filesystem::path& path);
    void startFiles();
    template <class F>
    void inFile(std::size_t file, F&& read) {
        std::size_t saved = currentFile_;
        currentFile_ = file;
        try {
            read();
        } catch (...) {
            currentFile_ = saved;
            throw;
        }
        currentFile_ = saved;
    }
    // A component key of `kind` that neither the root document nor an earlier target uses.
    std::string freeComponentName(RefKind kind, std::string base) const;
    Node* componentNode(RefKind kind, std::string_view key) const;
    void recordRewrite(const JV& refObject, const std::string& text);

    // --- object readers (in document order of the root) ---
    void readOpenAPI(const JV& root);
    void readInfo(Info* info, const JV& value);
    void readContact(Info* info, const JV& value);
    void readLicense(Info* info, const JV& value);
    template <class Make>
    void readServer(const JV& value, const Node* owner, Make&& make);
    void readServerVariable(ServerVariable* variable, const JV& value);
    void readTag(const JV& value);
    void readExternalDocs(const Node* owner, const JV& value,
                          const std::function<ExternalDocumentation*(std::string)>& add);
    void readComponents(const JV& value);
    void readComponentEntry(RefKind kind, std::string_view key, const JV& value);
    void readSecurityScheme(std::string_view key, const JV& value);
    void readOAuthFlows(OAuthFlows* flows, const JV& value);
    void readOAuthFlow(OAuthFlow* flow, const JV& value);
    void readPaths(const JV& value);
    void readWebhooks(const JV& value);
    void readPathItem(PathItem* item, const JV& value);
    void readOperation(Operation* operation, const JV& value);
    template <class Owner>
    void readParameterSlot(Owner* owner, const JV& value);
    Parameter* makeParameter(Node* owner, const JV& value,
                             const std::function<Parameter*(Parameter::Location, std::string)>& add);
    void readParameter(Parameter* parameter, const JV& value);
    void readRequestBody(RequestBody* body, const JV& value);
    void readMediaType(MediaType* mediaType, const JV& value);
    void readEncoding(Encoding* encoding, const JV& value);
    void readResponses(Operation* operation, const JV& value);
    void readResponse(Response* response, const JV& value);
    void readCallback(Callback* callback, const JV& value);
    void readExample(Example* example, const JV& value);
    void readLink(Link* link, const JV& value);
    void readHeader(Header* header, const JV& value);
    void readSecurityRequirement(SecurityRequirement* requirement, const JV& value);
    void readExamples(Node* owner, Examples& examples, const JV& value);
    void readSchemaOrContent(Node* owner, SchemaOrMediaType& slot, const JV& value);
    template <class Owner>
    void readHeaderMap(Owner* owner, const JV& headers);

    // --- schemas ---
    void readSchema(Schema* schema, const JV& value);
    // Which keywords an object schema has, by the bit numbers of reader_schema.cpp: most schemas use a handful of
    // the sixty-odd keywords, and asking the object for each one would dominate the parse.
    using KeywordSet = std::bitset<72>;
    void readSchemaKeywords(Schema* schema, const JV& value);
    void readOtherKeyword(Schema* schema, const JV& value, OtherSchemaKeyword keyword, const KeywordSet& has);
    void readSchemaTypes(Schema* schema, const JV& value);
    void readConstAndEnum(Schema* schema, const JV& value);
    void readDefinitions(Schema* schema, const JV& value);
    void readNullable(Schema* schema, const JV& value);
    void readExclusiveBound(Schema* schema, const JV& value, std::string_view keyword);
    void readRequired(Schema* schema, const JV& value);
    void readDependentRequired(Schema* schema, const JV& value);
    void readSchemaExamples(Schema* schema, const JV& value);
    void readDiscriminator(Schema* schema, const JV& value);
    void readXml(Schema* schema, const JV& value);

    // Keeps nesting bounded; false (after reporting) when `value` lies too deep.
    class DepthScope {
      public:
        DepthScope(DocumentReader& reader, const Node* node, const JV& value);
        ~DepthScope() { --reader_.depth_; }
        bool ok() const { return ok_; }

      private:
        DocumentReader& reader_;
        bool ok_;
    };

    OpenAPIReadResult& result_;
    const jv::JVDoc& doc_;
    const SchemaDialectRegistry& dialects_;
    const SchemaFormatRegistry& formats_;
    bool allowNullableIn31_;
    ReadOptions options_;
    std::unique_ptr<FileSystem> ownFileSystem_;
    struct FileEntry {
        std::filesystem::path path;
        const jv::JVDoc* doc;
    };
    // The root document first, then the other files in the order reached.
    std::vector<FileEntry> files_;
    std::map<std::filesystem::path, std::size_t> fileIndex_;
    // The directory tree references may not leave, as an absolute, normal path.
    std::filesystem::path rootDir_;
    std::size_t currentFile_ = 0;
    // Target value in another file -> the node read from it, and the reference text it has in one document.
    std::unordered_map<const JV*, Node*> externalNodes_;
    std::unordered_map<const JV*, std::string> externalRefs_;
    const JV* awaitedValue_ = nullptr;
    struct RootAlias {
        RefKind kind;
        std::string key;
        const JV* refObject;
    };
    std::unordered_map<const JV*, RootAlias> rootAliases_;
    bool is30_ = false;
    OpenAPI* model_ = nullptr;
    const JV* componentsValue_ = nullptr;
    // Stands in as the target of references whose target is not known yet (of any kind: nothing resolves through
    // it while reading). The marker is a Reference to it, for the slots that take a Reference.
    std::unique_ptr<Schema> placeholder_;
    std::unique_ptr<Reference> pendingMarker_;
    // By reference text, so that unresolved references are reported in that order.
    std::multimap<std::string, PendingLink> pendingLinks_;
    int depth_ = 0;
    // Path items being read in place of a reference inside a callback (which cannot hold references).
    std::vector<const JV*> inlinedPathItems_;
};

}  // namespace zephalon::openapi::detail
