#pragma once

// The machinery behind Writer and StandaloneSchemaWriter: objects under construction that remember the order in
// which their members were written, the component index for "$ref" pointers, and the node writers.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "zephalon/jv/jv.h"
#include "zephalon/number/number.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/schema_keywords.h"
#include "zephalon/openapi/writer.h"

namespace zephalon::openapi::detail {

struct Hooks {
    PropOrderHook propOrder;
    KeyedPropOrderHook keyedPropOrder;
    SourceValueHook sourceValue;
    ValueOrderHook valueOrder;
    WrittenNodeHook writtenNode;
};

// An output object and its keys in the order written. Keys are views of literals or of model keys, both of which
// outlive the write.
//
// `source` is the object the node (or the map) was read from, when the model came from a document and the node was
// not added by code since. With a source, the writer keeps what the document said wherever the model still means
// the same: members at their default, the document's spelling of a keyword, members the model has no place for.
struct OutObject {
    explicit OutObject(jv::JV* target, const jv::JV* from = nullptr)
        : object(target), source(from != nullptr && from->isObject() ? from : nullptr) {}

    jv::JV* object;
    const jv::JV* source;
    std::vector<std::string_view> keys;
    // For maps of nodes: the node written under each entry key, so that an entry whose key was changed keeps its
    // place.
    std::vector<const Node*> entryNodes;

    const jv::JV* sourceMember(std::string_view key) const {
        return source != nullptr ? source->property(key) : nullptr;
    }

    jv::JV* put(std::string_view key, std::unique_ptr<jv::JV> value);
    jv::JV* putObject(std::string_view key);
    jv::JV* putArray(std::string_view key);
    jv::JV* putEntry(std::string_view key, const Node* node);

    // A required string; when the model holds the empty placeholder of a member the source lacked, nothing.
    void writeString(std::string_view value, std::string_view key);
    void writeOptionalString(const std::optional<std::string>& value, std::string_view key);
    // Only when true.
    void writeBoolean(bool value, std::string_view key);
    // Only when different from the default, or when the source spelt the same value out.
    void writeOptionalBoolean(bool value, std::string_view key, bool defaultValue);
    // An enumerated name: only when not the default, or when the source spelt the same name out.
    void writeName(std::string_view value, std::string_view key, bool isDefault);
    void writeNumber(const number::Number& value, std::string_view key);
    void writeOptionalNumber(const std::optional<number::Number>& value, std::string_view key);
    void writeOptionalCount(const std::optional<std::uint64_t>& value, std::string_view key);
    // An array of strings, only when not empty; the source's array when it holds the same strings.
    void writeStrings(const std::vector<std::string>& values, std::string_view key);
};

// What a member of a source object is to the node kind it was read into; decides what becomes of a member that the
// writer did not write.
enum class MemberRole : std::uint8_t {
    // The model has no place for it: written back as read.
    unknown,
    // A value, node or name the model holds; not written means the model no longer has it.
    value,
    // A boolean written only when true; not written means false.
    flag,
    // An array or map written only when not empty; not written means empty.
    collection,
};
MemberRole memberRole(NodeType type, std::string_view key);

class WriterCore {
  public:
    // `anchor` is any node of the model to write; its root supplies the components and the version.
    WriterCore(const Hooks& hooks, jv::JVDoc& doc, const Node* anchor);

    void setStandalone(bool standalone) { standalone_ = standalone; }
    // Boolean schemas exist from 3.1 on; a 3.0 document spells them as objects.
    bool booleanSchemas() const { return !is30_; }

    void writeOpenAPI(const OpenAPI& root, jv::JV& target);
    void writeSchema(const Schema& schema, jv::JV& target, bool booleanAllowed);
    // Gives "$ref" to references whose targets live outside components, now that every node has its place.
    void resolvePendingReferences();

  private:
    struct ComponentKey {
        std::string_view kind;
        const std::string* key;
    };

    // Counts nesting on the way down so that a pathological model ends in an error rather than a stack overflow.
    class DepthGuard {
      public:
        explicit DepthGuard(WriterCore& core);
        ~DepthGuard() { --core_.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;

      private:
        WriterCore& core_;
    };

    void indexComponents(const Components& components);
    std::vector<std::string_view> nodeOrder(const Node* node) const;
    std::vector<std::string_view> keyedOrder(const Node* node, std::string_view key) const;
    const jv::JV* sourceOf(const Node* node) const;
    const jv::JV* sourceMember(const Node* node, std::string_view key) const;
    // Records the key order of a written map (or of an object without a node): the source's order for the keys it
    // had, then the rest in the order written.
    // With `node`, source members that were not written are brought back where they still hold (keepSourceMember).
    void finish(OutObject& out, const std::vector<std::string_view>& sourceOrder, const Node* node = nullptr);
    // The same for a node's object.
    void finishNode(OutObject& out, const Node& node);
    // Brings back a member of the node's source that the writer did not write, when it still holds: one the model
    // has no place for, a false flag, an empty collection. Whether it did.
    bool keepSourceMember(OutObject& out, const Node& node, std::string_view key);
    // Where an entry whose key changed since reading stands in the source order; empty when none did.
    std::string_view renamedEntry(const OutObject& out, std::string_view sourceKey,
                                  std::optional<std::unordered_map<const jv::JV*, std::string_view>>& moved) const;
    OutObject nodeObject(jv::JV& target, const Node& node) const {
        if (hooks_.writtenNode) hooks_.writtenNode(&node, target);
        return OutObject{&target, sourceOf(&node)};
    }
    // A map member of `owner`, with the map it was read from.
    static OutObject mapObject(OutObject& owner, std::string_view key) {
        const jv::JV* source = owner.sourceMember(key);
        return OutObject{owner.putObject(key), source};
    }
    // The key order of a written map of `owner`: the source map's, or what the keyed hook knows.
    void finishMap(OutObject& out, const Node& owner, std::string_view orderKey);
    void copyValue(OutObject& out, std::string_view key, const jv::JV& value, const jv::JV* source);
    void applySourceOrder(jv::JV& copy, const jv::JV* source);
    void writeExtensions(OutObject& out, const Node& node);
    static bool isSharedTarget(const Node* node);
    void remember(const Node& node, jv::JV& written);
    void writeReference(const Reference& ref, jv::JV& target);
    // Whether the reference text, followed through the output, arrives where `target` was written.
    bool leadsTo(std::string_view ref, const Node* target) const;
    static void checkReferenceKind(NodeType type);

    // Schemas.
    void writeSchemaSlot(const Node* slot, jv::JV& target, bool booleanAllowed);
    void writeSchemaMember(OutObject& out, std::string_view key, const Node* slot, bool booleanAllowed);
    void writeSchemaList(OutObject& out, std::string_view key, const NodeList& list);
    void writeSchemaMap(OutObject& out, std::string_view key, const NodeMap& map, const Schema& owner,
                        std::string_view orderKey);
    void writeExclusiveBound(OutObject& out, const ExclusiveBound& bound, std::string_view key);
    void writeNumberAndStringBounds(OutObject& out, const Schema& schema);
    void writeTypes(OutObject& out, const Schema& schema);
    static bool typesAsRead(const jv::JV* type, const jv::JV* nullable, const Schema& schema);
    static bool requiredAsRead(const jv::JV& source, const Schema& schema);
    static bool tagsAsRead(const jv::JV& source, const std::vector<std::string_view>& names);
    void writeEnum(OutObject& out, const Schema& schema, bool allowConst);
    void writeRequired(OutObject& out, const Schema& schema);
    void writeSchemaExamples(OutObject& out, const Schema& schema);
    void writeDiscriminator(OutObject& out, const Discriminator& discriminator);
    void writeXml(OutObject& out, const XML& xml);
    void writeExternalDocs(OutObject& out, const ExternalDocumentation* docs, bool withUrl);
    void writeSchemaMembers(OutObject& out, const Schema& schema);
    void writeOtherKeyword(OutObject& out, const Schema& schema, OtherSchemaKeyword keyword);
    void writeStandaloneSchemaMembers(OutObject& out, const Schema& schema);
    void collapseBooleanSchema(jv::JV& target);
    // Callback path items that the source wrote as "$ref": written back as that reference when what was written in
    // place equals what the reference leads to.
    void restoreReferencedCallbackItems();

    // Document nodes.
    void writeSlot(const Node* slot, jv::JV& target);
    void writeSlotMember(OutObject& out, std::string_view key, const Node* slot);
    void writeSlotMap(OutObject& out, std::string_view key, const NodeMap& map, const Node& owner,
                      std::string_view orderKey);
    void writeNode(const Node& node, jv::JV& target);
    void writeInfo(const Info& info, jv::JV& target);
    void writeContact(const Contact& contact, jv::JV& target);
    void writeLicense(const License& license, jv::JV& target);
    void writeServers(OutObject& out, const OwnedList<Server>& servers);
    void writeServer(const Server& server, jv::JV& target);
    void writeServerVariable(const ServerVariable& variable, jv::JV& target);
    void writeTag(const Tag& tag, jv::JV& target);
    void writePaths(const Paths& paths, jv::JV& target);
    void writePathItem(const PathItem& item, jv::JV& target);
    void writeParameters(OutObject& out, const NodeList& parameters);
    void writeOperation(const Operation& operation, jv::JV& target);
    void writeSecurity(OutObject& out, const OwnedList<SecurityRequirement>& security, bool always);
    void writeSecurityRequirement(const SecurityRequirement& requirement, jv::JV& target);
    void writeResponses(const Responses& responses, const Operation& owner, jv::JV& target);
    void writeResponse(const Response& response, jv::JV& target);
    void writeParameter(const Parameter& parameter, jv::JV& target);
    void writeHeader(const Header& header, jv::JV& target);
    void writeExamples(OutObject& out, const Examples& examples, const Node& owner);
    void writeSchemaOrContent(OutObject& out, const SchemaOrMediaType& value, const Node& owner);
    void writeContent(OutObject& out, const OwnedMap<MediaType>& content, const Node& owner);
    void writeRequestBody(const RequestBody& body, jv::JV& target);
    void writeMediaType(const MediaType& mediaType, jv::JV& target);
    void writeEncoding(const Encoding& encoding, jv::JV& target);
    void writeCallback(const Callback& callback, jv::JV& target);
    void writeExample(const Example& example, jv::JV& target);
    void writeLink(const Link& link, jv::JV& target);
    void writeComponents(const Components& components, jv::JV& target);
    void writeSecurityScheme(const SecurityScheme& scheme, jv::JV& target);
    void writeOAuthFlows(const OAuthFlows& flows, jv::JV& target);
    void writeOAuthFlow(const OAuthFlow& flow, jv::JV& target);

    const Hooks& hooks_;
    jv::JVDoc& doc_;
    bool is30_ = false;
    bool standalone_ = false;
    int depth_ = 0;
    std::unordered_map<const Node*, ComponentKey> componentKeys_;
    // Where nodes that references point at were written, and the reference objects still waiting for a pointer.
    std::unordered_map<const Node*, jv::JV*> writtenNodes_;
    std::vector<std::pair<jv::JV*, const Node*>> pendingRefs_;
    // Reference objects with the "$ref" text of their source, to be kept where it still leads to the target.
    struct SourceRef {
        jv::JV* object;
        const Node* target;
        std::string_view text;
    };
    std::vector<SourceRef> sourceRefs_;
    struct InlinedItem {
        jv::JV* written;
        const jv::JV* source;
    };
    std::vector<InlinedItem> inlinedItems_;
    // Values the writing dropped (the `not` of a schema that became `false`). They stay alive until the writing
    // ends: nodes written into them are known by their address here and to the hooks, and a new value made at the
    // same address would be taken for them.
    std::vector<std::unique_ptr<jv::JV>> dropped_;
};

}  // namespace zephalon::openapi::detail
