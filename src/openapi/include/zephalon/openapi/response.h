#pragma once

// What an operation answers: Responses keyed by status, each Response with headers, content and links; and the
// reusable Example and Link objects.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "zephalon/openapi/media_type.h"
#include "zephalon/openapi/node.h"
#include "zephalon/openapi/server.h"

namespace zephalon::openapi {

class Header;

class Example final : public Node {
  public:
    explicit Example(Node* parent) : Node(parent, NodeType::Example) {}
    ~Example() override;

    const std::optional<std::string>& summary() const { return summary_; }
    void setSummary(std::string summary) { summary_ = std::move(summary); }
    void removeSummary() { summary_.reset(); }

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    // Null when absent. setValue stores a deep copy.
    jv::JV* value() const { return value_.get(); }
    jv::JV* setValue(const jv::JV* value);
    void removeValue();

    const std::optional<std::string>& externalValue() const { return externalValue_; }
    void setExternalValue(std::string url) { externalValue_ = std::move(url); }
    void removeExternalValue() { externalValue_.reset(); }

  private:
    std::optional<std::string> summary_;
    std::optional<std::string> description_;
    std::unique_ptr<jv::JV> value_;
    std::optional<std::string> externalValue_;
};

class Link final : public Node {
  public:
    using Parameters = std::map<std::string, std::unique_ptr<jv::JV>, std::less<>>;

    explicit Link(Node* parent) : Node(parent, NodeType::Link) {}
    ~Link() override;

    const std::optional<std::string>& operationRef() const { return operationRef_; }
    void setOperationRef(std::string ref) { operationRef_ = std::move(ref); }
    void removeOperationRef() { operationRef_.reset(); }

    const std::optional<std::string>& operationId() const { return operationId_; }
    void setOperationId(std::string id) { operationId_ = std::move(id); }
    void removeOperationId() { operationId_.reset(); }

    // Values or runtime expressions by parameter name. add makes a null value (keeping an existing one); set stores a
    // deep copy, replacing any value.
    const Parameters& parameters() const { return parameters_; }
    jv::JV* parameter(std::string_view name) const;
    jv::JV* addParameter(std::string_view name);
    jv::JV* setParameter(std::string_view name, const jv::JV* value);
    void removeParameter(std::string_view name);
    void clearParameters() { parameters_.clear(); }

    jv::JV* requestBody() const { return requestBody_.get(); }
    jv::JV* setRequestBody();
    jv::JV* setRequestBody(const jv::JV* value);
    void removeRequestBody();

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    Server* server() const { return server_.get(); }
    // Replaces any server. Throws like Server's constructor for a malformed url, leaving the link unchanged.
    Server* setServer(std::string url);
    void removeServer();

  private:
    std::optional<std::string> operationRef_;
    std::optional<std::string> operationId_;
    Parameters parameters_;
    std::unique_ptr<jv::JV> requestBody_;
    std::optional<std::string> description_;
    std::unique_ptr<Server> server_;
};

class Response final : public Node {
  public:
    explicit Response(Node* parent) : Node(parent, NodeType::Response) {}
    ~Response() override;

    const std::string& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }

    const NodeMap& headers() const { return headers_; }
    Header* header(std::string_view name) const;
    Node* headerNode(std::string_view name) const;
    Header* addHeader(std::string_view name);
    Reference* addHeaderRef(std::string_view name, Header* target);
    Reference* addHeaderRef(std::string_view name, Reference* target);
    void removeHeader(std::string_view name);
    void clearHeaders();

    const OwnedMap<MediaType>& content() const { return content_; }
    MediaType* mediaType(std::string_view key) const;
    MediaType* addMediaType(std::string_view key);
    void removeMediaType(std::string_view key);
    void clearMediaTypes();
    std::string mediaTypeKey(const MediaType* mediaType) const;

    const NodeMap& links() const { return links_; }
    Link* link(std::string_view name) const;
    Node* linkNode(std::string_view name) const;
    Link* addLink(std::string_view name);
    Reference* addLinkRef(std::string_view name, Link* target);
    Reference* addLinkRef(std::string_view name, Reference* target);
    void removeLink(std::string_view name);
    void clearLinks();

  private:
    std::string description_;
    NodeMap headers_;
    OwnedMap<MediaType> content_;
    NodeMap links_;
};

// Responses by status key: "200", "4XX", "default".
class Responses final : public Node {
  public:
    explicit Responses(Node* parent) : Node(parent, NodeType::Responses) {}
    ~Responses() override;

    const NodeMap& responses() const { return responses_; }
    Response* response(std::string_view key) const;
    Node* responseNode(std::string_view key) const;
    Response* addResponse(std::string_view key);
    Reference* addResponseRef(std::string_view key, Response* target);
    Reference* addResponseRef(std::string_view key, Reference* target);
    void removeResponse(std::string_view key);
    void clearResponses();
    // The status key under which `response` is stored, directly or through a reference; empty when none.
    std::string responseKey(const Response* response) const;

  private:
    NodeMap responses_;
};

}  // namespace zephalon::openapi
