#pragma once

// What a rule sees while it runs: the document being linted and the result its findings go to.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "zephalon/jv/jv.h"
#include "zephalon/jv/pointer_texts.h"
#include "zephalon/openapi_lint/issue.h"

namespace zephalon::openapi {
class Node;
class OpenAPI;
class OpenAPIReadResult;
}  // namespace zephalon::openapi

namespace zephalon::openapi_lint {

class Rule;

class Context {
  public:
    Context() = default;

    // The canonical absolute path of the document being linted; empty when it has none.
    const std::string& file() const { return *file_; }
    void setFile(std::string file) { file_ = std::make_shared<const std::string>(std::move(file)); }

    // The document being linted (not owned); null between documents.
    openapi::OpenAPIReadResult* readResult() const { return readResult_; }
    void setReadResult(openapi::OpenAPIReadResult* readResult);
    // The model of the read result.
    openapi::OpenAPI* model() const;

    // Every finding of the run, across documents.
    Result& result() { return result_; }
    const Result& result() const { return result_; }
    void setResult(Result result) { result_ = std::move(result); }

    // Whether findings get their JSON Pointer (on unless switched off). Its text is a good part of what a finding
    // costs, and most reports do not print it.
    void setRecordPointers(bool record) { recordPointers_ = record; }

    // Records a finding of `rule` at `node`: the rule's id, severity and fixability, this context's file, and the
    // node's source position and, when recorded, JSON Pointer. The one way rules report.
    void addIssue(const Rule& rule, std::string_view message, const openapi::Node* node);
    // Records a finding at a value of the source document that no node of the model stands for (a duplicate the
    // model merged away, a member a validation points at): its position, or that of the nearest value around it
    // that has one, and its JSON Pointer when recorded.
    void addIssue(const Rule& rule, std::string_view message, const jv::JV* value);
    // The model node read from the value, or from the nearest value around it that a node was read from; null when
    // there is none.
    const openapi::Node* nearestNode(const jv::JV* value) const;

    // Gives the issue the source position of the node (1-based line and column, in JSON and YAML alike); an issue
    // about a node without a known position keeps (-1, -1).
    void setPos(Issue& issue, const openapi::Node* node) const;
    // The JSON Pointer of the node in the source document; "" for the root and for nodes that were not read from
    // the document.
    std::string nodeToJsonPointer(const openapi::Node* node) const;

  private:
    // Records a finding at a source value (null when the node has none; the finding then has no place), whose
    // position is `pos` when that is known.
    void record(const Rule& rule, std::string_view message, const jv::JV* value, Pos pos);
    // Sets the issue's position (`pos` when known, else that of the value or of the nearest value around it that
    // has one; unknown for null), and its file when the value stands in another file than the root document.
    void place(Issue& issue, const jv::JV* value, Pos pos) const;

    Issue::SharedText file_ = std::make_shared<const std::string>();
    openapi::OpenAPIReadResult* readResult_ = nullptr;
    // The canonical paths of the other files of a split document, as its findings share them.
    mutable std::map<std::filesystem::path, Issue::SharedText> otherFiles_;
    // YAML positions count from 0; reports count lines and columns from 1.
    int positionBase_ = 0;
    bool recordPointers_ = true;
    // The findings of one document come in document order; their pointer texts share their containers' texts.
    jv::PointerTexts pointerTexts_;
    // The messages of the run, each kept once: most rules say the same few things about many nodes.
    std::unordered_map<std::string_view, Issue::SharedText> messages_;
    Result result_;
};

}  // namespace zephalon::openapi_lint
