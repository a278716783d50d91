#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "../report.h"

namespace zephalon::openapi {
class Node;
class Operation;
}  // namespace zephalon::openapi

namespace zephalon::openapi_diff {

// An operation-oriented summary of the changes: what happened to the document's metadata and servers, and which
// operations were added, removed, deprecated or modified (with what changed in them).
//
// Changes arrive in the order the comparison visits the documents, so the change of a path comes before the changes
// of its operations and an operation's change before its details. Every detail is checked against the model before
// it is placed: a change of an operation inside a callback or a webhook is not mistaken for one of the current path,
// and the details of an added operation are not filed under the modified operation seen before it.
class ChangelogReport : public Report {
  public:
    // Bits of the changed info fields.
    enum MetadataField : unsigned {
        title = 1,
        summary = 2,
        description = 4,
        termsOfService = 8,
        contact = 16,
        license = 32,
    };
    // Bits of the changed operation fields.
    enum OperationField : unsigned {
        operationSummary = 1,
        operationDescription = 2,
        operationId = 4,
    };

    // The most severe of several changes, and where the first of them is: in the source document when it was a
    // removal, else in the destination.
    struct Mark {
        bool set = false;
        ChangeSeverity severity = ChangeSeverity::none;
        Pos pos;
        bool inSource = false;
        // The file `pos` is in when it is another file of a document split over several files; empty otherwise.
        std::string file;

        void raise(const Change& change);
    };

    struct Metadata {
        Mark mark;
        unsigned fields = 0;

        // True until some change of the document's metadata was seen.
        bool empty() const { return !mark.set; }
    };

    struct Server {
        std::string url;
        ChangeSeverity severity = ChangeSeverity::none;
        Pos pos;
        // As Mark::file.
        std::string file;
    };

    struct Operation {
        // Lower case, as in the document ("get").
        std::string method;
        // The path template ("/pets/{id}").
        std::string url;
        ChangeSeverity severity = ChangeSeverity::none;
        Pos pos;
        // As Mark::file.
        std::string file;
    };

    struct Parameter {
        std::string name;
        // "path", "query", "header" or "cookie".
        std::string location;
        ChangeSeverity severity = ChangeSeverity::none;
        Pos pos;
        // As Mark::file.
        std::string file;
    };

    struct ModifiedParameter : Parameter {
        // Whether the parameter is required now.
        bool required = false;
    };

    struct Response {
        // The status code, or "default".
        std::string code;
        ChangeSeverity severity = ChangeSeverity::none;
        Pos pos;
        // As Mark::file.
        std::string file;
    };

    struct Security {
        std::uint64_t added = 0;
        std::uint64_t removed = 0;
        std::uint64_t modified = 0;
        Mark mark;
    };

    struct ModifiedOperation : Operation {
        unsigned fields = 0;
        Mark fieldsMark;
        std::vector<Parameter> addedParameters;
        std::vector<Parameter> removedParameters;
        std::vector<ModifiedParameter> modifiedParameters;
        Mark requestBody;
        std::vector<Response> addedResponses;
        std::vector<Response> removedResponses;
        std::vector<Response> modifiedResponses;
        Security security;
    };

    void add(const Change& change) override;

    // The positions of removed servers, operations, parameters and responses are in the source document, where
    // those still are; all others are in the destination.
    const Metadata& metadata() const { return metadata_; }
    const std::vector<Server>& addedServers() const { return addedServers_; }
    const std::vector<Server>& removedServers() const { return removedServers_; }
    const std::vector<Server>& modifiedServers() const { return modifiedServers_; }
    const std::vector<Operation>& added() const { return added_; }
    const std::vector<Operation>& removed() const { return removed_; }
    const std::vector<Operation>& deprecated() const { return deprecated_; }
    const std::vector<ModifiedOperation>& modified() const { return modified_; }

    // How many changes could not be placed anywhere in the summary and were counted as metadata changes instead.
    std::uint64_t unplacedCount() const { return unplaced_; }

  private:
    // The latest change of an entry of the paths map or of a path item's operations.
    struct Current {
        ChangeType type = ChangeType::none;
        std::string key;
    };

    void placeMetadata(const Change& change);
    void placeServer(const Change& change);
    void placePathChange(const Change& change);
    void placeOperationEntry(const Change& change);
    void placeDeprecation(const Change& change);
    void placeDetail(const Change& change);
    // A change that contradicts what came before it still counts: it raises the metadata's severity, so that no
    // summary hides a change.
    void placeNowhere(const Change& change);

    // The operation of the current path and method in the document `node` belongs to, or null.
    const openapi::Operation* currentOperation(const openapi::Node* node) const;

    Metadata metadata_;
    std::vector<Server> addedServers_;
    std::vector<Server> removedServers_;
    std::vector<Server> modifiedServers_;
    std::vector<Operation> added_;
    std::vector<Operation> removed_;
    std::vector<Operation> deprecated_;
    std::vector<ModifiedOperation> modified_;
    std::optional<Current> path_;
    std::optional<Current> operation_;
    std::uint64_t unplaced_ = 0;
};

}  // namespace zephalon::openapi_diff
