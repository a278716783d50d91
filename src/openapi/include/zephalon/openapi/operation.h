#pragma once

// One HTTP operation of a path item, and where an operation sits in its document.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/openapi/enums.h"
#include "zephalon/openapi/node.h"
#include "zephalon/openapi/parameter.h"

namespace zephalon::openapi {

class Callback;
class ExternalDocumentation;
class OpenAPI;
class PathItem;
class RequestBody;
class Responses;
class SecurityRequirement;
class Server;
class Tag;

// The root learns of every operation through events, so that operationById stays current however operations are
// created, renamed or destroyed.
class Operation final : public Node {
  public:
    // Announces itself to the root (OperationAddedEvent).
    explicit Operation(Node* parent);
    // Announces its removal (OperationRemovedEvent) with the id it had.
    ~Operation() override;

    // An operation's tags are names. A name that the root declares is linked to the root's Tag, so that tags()
    // lists the declared tags in order; a name that it does not declare is kept as a plain name (documents need not
    // declare every tag they use) and shows only in tagNames().
    //
    // addTag adds a name once: it links and returns the root's tag of that name, or keeps a plain name and returns
    // null. A linked tag that the root removes stays as a plain name.
    const std::vector<Tag*>& tags() const { return tags_; }
    // Every tag name, declared or not, in order.
    std::vector<std::string_view> tagNames() const;
    Tag* addTag(std::string_view name);
    bool hasTag(std::string_view name) const;
    bool hasTag(const Tag* tag) const;
    // The linked tag of that name; null for a plain name.
    Tag* findTag(std::string_view name) const;
    // Removes the index-th linked tag (an index into tags()).
    void removeTag(std::size_t index);
    // Removes a name, linked or not; false when the operation has no such tag.
    bool removeTagName(std::string_view name);
    void clearTags();

    const std::optional<std::string>& summary() const { return summary_; }
    void setSummary(std::string summary) { summary_ = std::move(summary); }
    void removeSummary() { summary_.reset(); }

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    ExternalDocumentation* externalDocs() const { return externalDocs_.get(); }
    ExternalDocumentation* addExternalDocs(std::string url);
    void removeExternalDocs();

    const std::optional<std::string>& operationId() const { return operationId_; }
    // Does nothing when unchanged; throws std::runtime_error "OperationId cannot be empty" for an empty id.
    void setOperationId(std::string id);
    void removeOperationId();

    const NodeList& parameters() const { return parameters_; }
    Parameter* parameter(std::size_t index) const;
    Parameter* parameter(std::string_view name, Parameter::Location location) const;
    Parameter* addPathParameter(std::string name);
    Parameter* addQueryParameter(std::string name);
    Parameter* addHeaderParameter(std::string name);
    Parameter* addCookieParameter(std::string name);
    Reference* addParameterRef(Parameter* target);
    Reference* addParameterRef(Reference* target);
    void removeParameter(std::size_t index);
    void clearParameters();

    // The parameters that apply: the operation's own in order, then those of the enclosing path item that the
    // operation does not redefine (same name and location). Dangling references are skipped.
    std::vector<Parameter*> effectiveParameters() const;

    // The request body slot; null when absent.
    Node* requestBodyNode() const { return requestBody_.get(); }
    RequestBody* requestBody() const;
    // Replaces the slot by a new request body or a reference.
    RequestBody* setRequestBody();
    Reference* setRequestBodyRef(RequestBody* target);
    Reference* setRequestBodyRef(Reference* target);
    void removeRequestBody();

    Responses* responses() const { return responses_.get(); }

    const NodeMap& callbacks() const { return callbacks_; }
    Callback* callback(std::string_view name) const;
    Node* callbackNode(std::string_view name) const;
    Callback* addCallback(std::string_view name);
    Reference* addCallbackRef(std::string_view name, Callback* target);
    Reference* addCallbackRef(std::string_view name, Reference* target);
    void removeCallback(std::string_view name);
    void clearCallbacks();

    bool deprecated() const { return deprecated_; }
    void setDeprecated(bool deprecated) { deprecated_ = deprecated; }

    // True while the operation has no "security" of its own and the root's requirements apply. Setting it to true
    // deletes the operation's own requirements.
    bool inheritsSecurity() const { return inheritsSecurity_; }
    void setInheritsSecurity(bool inherits);
    // The operation's own requirements; an empty list with inheritsSecurity false means no security is needed.
    // Adding a requirement switches inheritance off.
    const OwnedList<SecurityRequirement>& security() const { return security_; }
    SecurityRequirement* addSecurityRequirement();
    void removeSecurityRequirementAt(std::size_t index);
    void clearSecurityRequirements();

    const OwnedList<Server>& servers() const { return servers_; }
    Server* serverAt(std::size_t index) const;
    Server* addServer(std::string url);
    void removeServer(std::size_t index);
    void clearServers();

  private:
    friend class Tag;
    void unlinkTag(Tag* tag);
    void relinkTags();

    // One per name: the linked tag, or null with the plain name.
    struct TagEntry {
        Tag* tag = nullptr;
        std::string name;
    };
    std::vector<TagEntry> tagEntries_;
    // The linked entries of tagEntries_, in order.
    std::vector<Tag*> tags_;
    std::optional<std::string> summary_;
    std::optional<std::string> description_;
    std::unique_ptr<ExternalDocumentation> externalDocs_;
    std::optional<std::string> operationId_;
    NodeList parameters_;
    std::unique_ptr<Node> requestBody_;
    std::unique_ptr<Responses> responses_;
    NodeMap callbacks_;
    bool deprecated_ = false;
    bool inheritsSecurity_ = true;
    OwnedList<SecurityRequirement> security_;
    OwnedList<Server> servers_;
};

// Where an operation sits: its path template (or webhook name), its method and its path item.
struct OperationInfo {
    const Operation* operation = nullptr;
    const PathItem* pathItem = nullptr;
    HttpMethod method = HttpMethod::get;
    std::string path;
};

// Nothing when the operation is not reached from the root's paths or webhooks (for instance inside a callback).
std::optional<OperationInfo> operationInfo(const Operation* operation);
std::optional<OperationInfo> operationInfoByOperationId(const OpenAPI* document, std::string_view operationId);

}  // namespace zephalon::openapi
