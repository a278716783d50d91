#pragma once

// Turns a document model back into JSON values, and from there into JSON or YAML text.
//
// The writer builds a fresh JVDoc. Every object it writes records a key order in that document: the order the source
// document had (through the property-order hooks, which the read-result overloads bind) followed by the members the
// source did not have, in the writer's own order. Without a source every object comes out in the writer's order.
//
// Shared nodes are written as "$ref" objects pointing into "#/components/<kind>/<key>". A reference to a node that
// lives elsewhere in the document is written as a pointer to where that node was written.

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"

namespace zephalon::openapi {

class Node;
class OpenAPI;
class OpenAPIReadResult;
class Schema;

// The key order that the source document had for a node's object, or for a keyed collection of the node (such as
// "properties" of a schema or "schemas" of components). Empty when unknown.
using PropOrderHook = std::function<std::vector<std::string_view>(const Node*)>;
using KeyedPropOrderHook = std::function<std::vector<std::string_view>(const Node*, std::string_view)>;
// The value a node was read from (null when unknown), and the key order of a source value. Used to keep the key
// order of free-form values (examples, defaults, extensions), which the model stores without one.
using SourceValueHook = std::function<const jv::JV*(const Node*)>;
using ValueOrderHook = std::function<std::vector<std::string_view>(const jv::JV&)>;
// Told of every node written and the object written for it (for a Reference, its "$ref" object), so that a caller
// can tell which part of the output came from which node.
using WrittenNodeHook = std::function<void(const Node*, const jv::JV&)>;

class Writer {
  public:
    Writer();
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void setPropOrderHook(PropOrderHook hook) { propOrder_ = std::move(hook); }
    void setKeyedPropOrderHook(KeyedPropOrderHook hook) { keyedPropOrder_ = std::move(hook); }
    void setSourceValueHook(SourceValueHook hook) { sourceValue_ = std::move(hook); }
    void setValueOrderHook(ValueOrderHook hook) { valueOrder_ = std::move(hook); }
    void setWrittenNodeHook(WrittenNodeHook hook) { writtenNode_ = std::move(hook); }

    // Builds a new output document for `root` (replacing any earlier one) and returns its root object. Throws
    // std::runtime_error when the model nests deeper than kMaxDepth nodes.
    jv::JV* toJV(const OpenAPI* root);

    // The output document; null before toJV.
    const jv::JVDoc* doc() const { return doc_.get(); }
    std::unique_ptr<jv::JVDoc> releaseDoc() { return std::move(doc_); }

    // Nesting of written nodes beyond which the writer gives up rather than exhaust the stack.
    static constexpr int kMaxDepth = 512;

    class Impl;

  private:
    PropOrderHook propOrder_;
    KeyedPropOrderHook keyedPropOrder_;
    SourceValueHook sourceValue_;
    ValueOrderHook valueOrder_;
    WrittenNodeHook writtenNode_;
    std::unique_ptr<jv::JVDoc> doc_;
};

// One schema outside any document, with the keywords a reader of generated documentation needs.
class StandaloneSchemaWriter {
  public:
    StandaloneSchemaWriter();
    ~StandaloneSchemaWriter();
    StandaloneSchemaWriter(const StandaloneSchemaWriter&) = delete;
    StandaloneSchemaWriter& operator=(const StandaloneSchemaWriter&) = delete;

    // Builds a new output document for `schema` and returns its root value (an object, or a boolean for the always-
    // and never-matching schemas).
    jv::JV* toJV(const Schema* schema);

    const jv::JVDoc* doc() const { return doc_.get(); }
    std::unique_ptr<jv::JVDoc> releaseDoc() { return std::move(doc_); }

  private:
    std::unique_ptr<jv::JVDoc> doc_;
};

// The model of a read result, keeping the source document's key order.
void writeToStream(const OpenAPIReadResult* result, std::ostream& out, const jv::StreamWriteOptions& options);
void writeToStream(const OpenAPIReadResult* result, std::ostream& out, FileFormat format);
void writeToString(const OpenAPIReadResult* result, std::string& out, FileFormat format);
// The format follows the file's extension; the file is replaced atomically.
void writeToFile(const OpenAPIReadResult* result, const std::filesystem::path& path);
void writeToFile(const OpenAPIReadResult* result, const std::filesystem::path& path,
                 const jv::FileWriteOptions& options);

// The model of a read result written back into the files it was read from: the root first (with the path it was
// read from, empty when it was not read from a file), then the other files in the order of `otherFiles`. The root
// holds what writeToFile writes, less what the model read from other files; each other file is its source with each
// part the model read from it as written now. References keep the text they had in their file. Throws
// std::runtime_error when a part of the model cannot be put back into the file it came from.
struct WrittenFile {
    std::filesystem::path path;
    std::unique_ptr<jv::JVDoc> doc;
};
std::vector<WrittenFile> writeToFiles(const OpenAPIReadResult& result);

// For changing the model of a document split over several files: takes how each file is written before the change,
// and afterwards writes only the files whose written text changed, so that the files the change did not touch keep
// every byte.
class FileWriteBack {
  public:
    explicit FileWriteBack(const OpenAPIReadResult& result);
    // Writes the changed files (the root to `rootPath`, each in the format of its extension) all in one step, so that
    // either every one of them changes or none does; returns the paths written, the root first.
    std::vector<std::filesystem::path> writeChanged(const std::filesystem::path& rootPath) const;

  private:
    const OpenAPIReadResult& result_;
    std::vector<std::string> texts_;
};

// A model without a source document, in the writer's own order.
void writeToStream(const OpenAPI& model, std::ostream& out, const jv::StreamWriteOptions& options);
void writeToStream(const OpenAPI& model, std::ostream& out, FileFormat format);
void writeToString(const OpenAPI& model, std::string& out, FileFormat format);
void writeToFile(const OpenAPI& model, const std::filesystem::path& path);
void writeToFile(const OpenAPI& model, const std::filesystem::path& path, const jv::FileWriteOptions& options);

// One schema through the StandaloneSchemaWriter.
void writeToString(const Schema* schema, std::string& out, FileFormat format);

}  // namespace zephalon::openapi
