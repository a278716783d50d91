#pragma once

// What reading a document produces: the JSON value tree, the model built from it, the association between the two
// (so that every model node has a source position and a JSON Pointer), and the problems found while reading.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "zephalon/foundation/pointer_map.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv/pos.h"

namespace zephalon::openapi {

class Node;
class OpenAPI;

// One problem found while reading: the node being read, the JSON value at fault (null when there is none) and the
// message.
struct Issue {
    const Node* node = nullptr;
    const jv::JV* value = nullptr;
    std::string message;
};

// Where a model node, or one member of the object it was read from, stands in the source document.
struct SourceLocation {
    // The source value itself.
    const jv::JV* value = nullptr;
    // Its JSON Pointer text (RFC 6901, "" for the document root), with keys escaped exactly as the document's own.
    std::string pointer;
    // Its position. A value without one of its own (a YAML scalar) takes that of the nearest enclosing value.
    Pos pos;
};

// A file read besides the root document because a reference of the document leads into it.
struct SourceFile {
    // The path as the reader opened it: the root's directory joined with the references' relative paths.
    std::filesystem::path path;
    std::unique_ptr<jv::JVDoc> doc;
};

// How a document split over several files becomes one: what `bundleDocument` does with the "$ref" objects and the
// targets the reader met in the other files. The values belong to the result's documents.
struct BundlePlan {
    // A target of another file that becomes a component of the root document.
    struct Component {
        std::string map;  // "schemas", "responses", ...
        std::string name;
        const jv::JV* value = nullptr;
    };
    std::vector<Component> components;
    // "$ref" object -> the reference text it takes in the single document.
    std::unordered_map<const jv::JV*, std::string> rewrites;
    // "$ref" object -> the value written in its place (path items of `paths`, component entries that only point to
    // another file).
    std::unordered_map<const jv::JV*, const jv::JV*> inlined;
};

class OpenAPIReadResult {
  public:
    OpenAPIReadResult();
    explicit OpenAPIReadResult(std::unique_ptr<jv::JVDoc> doc);
    ~OpenAPIReadResult();
    OpenAPIReadResult(const OpenAPIReadResult&) = delete;
    OpenAPIReadResult& operator=(const OpenAPIReadResult&) = delete;

    // The document that was read; null until one is set.
    jv::JVDoc* doc() const { return doc_.get(); }
    // Replaces the document; the mappings into the previous one are dropped.
    void setDoc(std::unique_ptr<jv::JVDoc> doc);

    // The model; null until a document was parsed.
    OpenAPI* model() const { return model_.get(); }
    // Replaces the model; the mappings of the previous one are dropped.
    void setModel(std::unique_ptr<OpenAPI> model);
    // Hands the model over; the mappings are dropped with it.
    std::unique_ptr<OpenAPI> releaseModel();

    // Node -> the value it was read from. A node keeps its first mapping. A node is mapped by one result at a time
    // (the reader maps the nodes it makes for its result): mapping it in another result moves it there.
    void addMapping(const Node* node, const jv::JV* value);
    // (node, key) -> the value of a keyed collection of that node ("schemas" of Components, "encoding" of a
    // MediaType, ...).
    void addMapping(const Node* node, std::string_view key, const jv::JV* value);

    // The value a node was read from; null when unmapped.
    const jv::JV* value(const Node* node) const;
    const jv::JV* value(const Node* node, std::string_view key) const;

    // The position of the node's value; (-1, -1) when the node has none.
    Pos nodePos(const Node* node) const;
    // The JSON Pointer text of the node's value (or of its keyed collection). Throws std::out_of_range for a node
    // that was never mapped; absent when the keyed collection is not recorded.
    std::optional<std::string> jsonPointer(const Node* node) const;
    std::optional<std::string> jsonPointer(const Node* node, std::string_view key) const;

    // The source key order of the node's object (or of its keyed collection); empty when unmapped.
    std::vector<std::string_view> propOrder(const Node* node) const;
    std::vector<std::string_view> propOrder(const Node* node, std::string_view key) const;
    void clearPropOrder(const Node* node);

    // Where a node stands in the source: the value it was read from, that value's JSON Pointer and its position.
    // Nothing for a node that was not read from the document: one made by code after the read, or one the model
    // always holds whatever the source says (the Components of a document without "components", the Responses of an
    // operation without "responses"). A Reference stands where its "$ref" object does.
    std::optional<SourceLocation> sourceLocation(const Node* node) const;
    // Where one member of the node's source object stands, such as "description" of an operation or "schemas" of
    // components. Nothing when the node has no source object or the object has no such member; the member may be of
    // any JSON type (check `value` before relying on it).
    std::optional<SourceLocation> sourceLocation(const Node* node, std::string_view property) const;

    // The node made from the value at this JSON Pointer text; null when there is none.
    Node* findNode(std::string_view pointer) const;
    // The node made from this value of the document; null when there is none. When several nodes share a value (the
    // empty schema that stores a `false` schema, a path item a callback holds in place of a reference), the one
    // nearest the root.
    Node* nodeOf(const jv::JV* value) const;

    // One line per mapping: "<json type>@<value address> -> <node type>@<node address>".
    void dumpMappings(std::ostream& out) const;

    const std::vector<Issue>& issues() const { return issues_; }
    bool hasIssues() const { return !issues_.empty(); }
    void addIssue(const Node* node, const jv::JV* value, std::string message);
    void clearIssues() { issues_.clear(); }
    // The position reported for an issue: its value's (or, for a value without one, that of the nearest enclosing
    // value that has one), else its node's, else (-1, -1).
    Pos issuePos(const Issue& issue) const;

    // The path of the file the document was read from, when it was read from a file.
    const std::optional<std::filesystem::path>& filePath() const { return filePath_; }
    void setFilePath(std::filesystem::path path) { filePath_ = std::move(path); }

    // The files read besides the root document, in the order the reader first reached them. Each is read once.
    const std::vector<SourceFile>& otherFiles() const { return otherFiles_; }
    bool isMultiFile() const { return !otherFiles_.empty(); }
    const jv::JVDoc& addOtherFile(std::filesystem::path path, std::unique_ptr<jv::JVDoc> doc);
    // The document a value belongs to (the root document or one of the other files); null for a value of neither.
    const jv::JVDoc* docOf(const jv::JV* value) const;
    // The file a value, a node or an issue stands in: the root's path for the root document (nothing when the root
    // was not read from a file), the other file's path otherwise. A node without a value of its own stands where
    // its nearest mapped ancestor does.
    std::optional<std::filesystem::path> sourceFile(const jv::JV* value) const;
    std::optional<std::filesystem::path> sourceFile(const Node* node) const;
    std::optional<std::filesystem::path> issueFile(const Issue& issue) const;

    // What bundling into one document needs; filled by the reader when references lead into other files.
    BundlePlan& bundlePlan() { return bundlePlan_; }
    const BundlePlan& bundlePlan() const { return bundlePlan_; }

    // Drops every mapping (used before a new parse).
    void clearMappings();
    std::size_t mappingCount() const { return mapped_.size(); }

  private:
    void indexValue(const jv::JV* value, const Node* node) const;

    struct KeyedValue {
        std::string key;
        const jv::JV* value;
    };

    std::unique_ptr<jv::JVDoc> doc_;
    std::unique_ptr<OpenAPI> model_;
    // Every node -> value mapping in the order it was made. The value is also on the node itself, under this
    // result's mapping number, which changes whenever the mappings are dropped.
    std::vector<std::pair<const Node*, const jv::JV*>> mapped_;
    std::uint32_t mapping_;
    // Built on the first findNode and kept current from then on: most reads never ask for it.
    mutable PointerMap<jv::JV, const Node*> valueToNode_;
    mutable bool valueToNodeBuilt_ = false;
    std::unordered_map<const Node*, std::vector<KeyedValue>> keyedValues_;
    std::vector<Issue> issues_;
    std::optional<std::filesystem::path> filePath_;
    std::vector<SourceFile> otherFiles_;
    // Root value of each other file -> its index in otherFiles_.
    std::unordered_map<const jv::JV*, std::size_t> otherRoots_;
    BundlePlan bundlePlan_;
};

// Refuses to write to `path` when it names a file the document was read from, however it is spelled (a link,
// "./"): writing there would destroy what was read. Throws std::runtime_error "The <role> <path> is the input
// document" or "The <role> <path> is a file of the input document", `role` being for example "output file".
void refuseToOverwrite(const OpenAPIReadResult& result, const std::string& path, std::string_view role);

}  // namespace zephalon::openapi
