#pragma once

// The root of a document model.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/openapi/node.h"

namespace zephalon::openapi {

class Components;
class ExternalDocumentation;
class Info;
class Operation;
class PathItem;
class Paths;
class SecurityRequirement;
class Server;
class Tag;

class OpenAPI final : public Node {
  public:
    // A new model: specVersion "3.1.0", an empty Info, empty Paths and empty Components.
    OpenAPI();
    ~OpenAPI() override;

    // Keeps the operation index current.
    void handleEvent(NodeEvent& event) override;

    // The document's "openapi" value.
    const std::string& specVersion() const { return specVersion_; }
    void setSpecVersion(std::string version) { specVersion_ = std::move(version); }
    bool is30() const { return specVersion_.starts_with("3.0"); }
    bool is31() const { return specVersion_.starts_with("3.1"); }

    Info* info() const { return info_.get(); }
    // Shortcuts for the Info's title and version.
    void setTitle(std::string title);
    void setVersion(std::string version);

    // 3.1.
    const std::optional<std::string>& jsonSchemaDialect() const { return jsonSchemaDialect_; }
    void setJsonSchemaDialect(std::string dialect) { jsonSchemaDialect_ = std::move(dialect); }
    void removeJsonSchemaDialect() { jsonSchemaDialect_.reset(); }

    const OwnedList<Server>& servers() const { return servers_; }
    // Throws like Server's constructor for a malformed url, adding nothing.
    Server* addServer(std::string url);
    // The first server with that url.
    Server* findServer(std::string_view url) const;
    void removeServerAt(std::size_t index);
    void clearServers();

    Paths* paths() const { return paths_.get(); }

    // 3.1. Path item slots by webhook name.
    const NodeMap& webhooks() const { return webhooks_; }
    PathItem* webhook(std::string_view name) const;
    Node* webhookNode(std::string_view name) const;
    PathItem* addWebhook(std::string_view name);
    Reference* addWebhookRef(std::string_view name, PathItem* target);
    Reference* addWebhookRef(std::string_view name, Reference* target);
    void removeWebhook(std::string_view name);
    void clearWebhooks();

    Components* components() const { return components_.get(); }

    const OwnedList<SecurityRequirement>& security() const { return security_; }
    SecurityRequirement* addSecurityRequirement();
    void removeSecurityRequirementAt(std::size_t index);
    void clearSecurityRequirements();

    // Tags in declaration order. Removing a tag unlinks it from the operations that use it.
    const OwnedList<Tag>& tags() const { return tags_; }
    // Returns the existing tag of that name when there is one.
    Tag* addTag(std::string name);
    Tag* findTag(std::string_view name) const;
    void removeTagAt(std::size_t index);
    void clearTags();
    // Reorders the tags by a caller's less-than; equal tags may change places.
    void sortTags(const std::function<bool(const Tag*, const Tag*)>& less);

    ExternalDocumentation* externalDocs() const { return externalDocs_.get(); }
    ExternalDocumentation* addExternalDocs(std::string url);
    void removeExternalDocs();

    // The operation carrying this id; when several do, the one that took the id first.
    Operation* operationById(std::string_view id) const;

  private:
    void indexOperation(Operation* operation, const std::string& id);
    void unindexOperation(Operation* operation, const std::string& id);

    std::string specVersion_ = "3.1.0";
    std::unique_ptr<Info> info_;
    std::optional<std::string> jsonSchemaDialect_;
    OwnedList<Server> servers_;
    std::unique_ptr<Paths> paths_;
    NodeMap webhooks_;
    std::unique_ptr<Components> components_;
    OwnedList<SecurityRequirement> security_;
    OwnedList<Tag> tags_;
    std::unique_ptr<ExternalDocumentation> externalDocs_;
    // Operations by id, in the order they took it; front() is the answer.
    std::map<std::string, std::vector<Operation*>, std::less<>> operationIndex_;
    bool tearingDown_ = false;
};

}  // namespace zephalon::openapi
