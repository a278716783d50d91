#include "zephalon/openapi/openapi.h"

#include <algorithm>

#include "slots.h"
#include "zephalon/openapi/components.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi/paths.h"
#include "zephalon/openapi/security.h"
#include "zephalon/openapi/server.h"

namespace zephalon::openapi {

OpenAPI::OpenAPI()
    : Node(nullptr, NodeType::OpenAPI),
      info_(std::make_unique<Info>(this)),
      paths_(std::make_unique<Paths>(this)),
      components_(std::make_unique<Components>(this)) {}

OpenAPI::~OpenAPI() {
    // Tear the tree down while this object is whole: the operations that go report their removal here, and the
    // index must neither be consulted after its own destruction nor kept for a dying tree.
    tearingDown_ = true;
    operationIndex_.clear();
    detail::resetOwned(paths_);
    detail::clearAll(webhooks_);
    detail::resetOwned(components_);
    detail::clearAll(security_);
    detail::clearAll(tags_);
    detail::clearAll(servers_);
    detail::resetOwned(externalDocs_);
    detail::resetOwned(info_);
}

void OpenAPI::handleEvent(NodeEvent& event) {
    if (tearingDown_) {
        return;
    }
    if (auto* added = std::get_if<OperationAddedEvent>(&event)) {
        if (added->operation->operationId()) {
            indexOperation(added->operation, *added->operation->operationId());
        }
    } else if (auto* removed = std::get_if<OperationRemovedEvent>(&event)) {
        if (removed->operationId) {
            unindexOperation(removed->operation, *removed->operationId);
        }
    } else if (auto* changed = std::get_if<OperationIdChangedEvent>(&event)) {
        if (changed->oldOperationId) {
            unindexOperation(changed->operation, *changed->oldOperationId);
        }
        if (changed->newOperationId) {
            indexOperation(changed->operation, *changed->newOperationId);
        }
    }
}

void OpenAPI::indexOperation(Operation* operation, const std::string& id) {
    auto& holders = operationIndex_[id];
    if (std::find(holders.begin(), holders.end(), operation) == holders.end()) {
        holders.push_back(operation);
    }
}

void OpenAPI::unindexOperation(Operation* operation, const std::string& id) {
    // Only this operation's own entry goes: another operation sharing the id keeps it.
    auto it = operationIndex_.find(id);
    if (it == operationIndex_.end()) {
        return;
    }
    auto& holders = it->second;
    holders.erase(std::remove(holders.begin(), holders.end(), operation), holders.end());
    if (holders.empty()) {
        operationIndex_.erase(it);
    }
}

Operation* OpenAPI::operationById(std::string_view id) const {
    auto it = operationIndex_.find(id);
    return it == operationIndex_.end() ? nullptr : it->second.front();
}

void OpenAPI::setTitle(std::string title) { info_->setTitle(std::move(title)); }

void OpenAPI::setVersion(std::string version) { info_->setVersion(std::move(version)); }

Server* OpenAPI::addServer(std::string url) { return detail::appendItem<Server>(servers_, this, std::move(url)); }

Server* OpenAPI::findServer(std::string_view url) const {
    auto it = std::find_if(servers_.begin(), servers_.end(), [&](const auto& server) { return server->url() == url; });
    return it == servers_.end() ? nullptr : it->get();
}

void OpenAPI::removeServerAt(std::size_t index) { detail::removeItemAt(servers_, index); }

void OpenAPI::clearServers() { detail::clearAll(servers_); }

PathItem* OpenAPI::webhook(std::string_view name) const { return detail::resolvedEntry<PathItem>(webhooks_, name); }

Node* OpenAPI::webhookNode(std::string_view name) const { return detail::entryNode(webhooks_, name); }

PathItem* OpenAPI::addWebhook(std::string_view name) { return detail::addEntry<PathItem>(webhooks_, name, this); }

Reference* OpenAPI::addWebhookRef(std::string_view name, PathItem* target) {
    return detail::addEntryRef(webhooks_, name, this, target);
}

Reference* OpenAPI::addWebhookRef(std::string_view name, Reference* target) {
    return detail::addEntryRef(webhooks_, name, this, target);
}

void OpenAPI::removeWebhook(std::string_view name) { detail::removeEntry(webhooks_, name); }

void OpenAPI::clearWebhooks() { detail::clearAll(webhooks_); }

SecurityRequirement* OpenAPI::addSecurityRequirement() {
    return detail::appendItem<SecurityRequirement>(security_, this);
}

void OpenAPI::removeSecurityRequirementAt(std::size_t index) { detail::removeItemAt(security_, index); }

void OpenAPI::clearSecurityRequirements() { detail::clearAll(security_); }

Tag* OpenAPI::addTag(std::string name) {
    if (Tag* existing = findTag(name)) {
        return existing;
    }
    return detail::appendItem<Tag>(tags_, this, std::move(name));
}

Tag* OpenAPI::findTag(std::string_view name) const {
    auto it = std::find_if(tags_.begin(), tags_.end(), [&](const auto& tag) { return tag->name() == name; });
    return it == tags_.end() ? nullptr : it->get();
}

void OpenAPI::removeTagAt(std::size_t index) { detail::removeItemAt(tags_, index); }

void OpenAPI::clearTags() { detail::clearAll(tags_); }

void OpenAPI::sortTags(const std::function<bool(const Tag*, const Tag*)>& less) {
    std::sort(tags_.begin(), tags_.end(), [&](const auto& a, const auto& b) { return less(a.get(), b.get()); });
}

ExternalDocumentation* OpenAPI::addExternalDocs(std::string url) {
    if (!externalDocs_) {
        externalDocs_ = std::make_unique<ExternalDocumentation>(this, std::move(url));
    }
    return externalDocs_.get();
}

void OpenAPI::removeExternalDocs() { detail::resetOwned(externalDocs_); }

}  // namespace zephalon::openapi
