#include "changelog_report.h"

#include <algorithm>

#include "zephalon/openapi/enums.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/paths.h"
#include "zephalon/openapi/response.h"
#include "zephalon/openapi/server.h"

namespace zephalon::openapi_diff {

using openapi::nodeCast;

namespace {

// The path item of `path` in the document `node` belongs to, or null.
const openapi::PathItem* pathItemOf(const openapi::Node* node, std::string_view path) {
    const auto* root = nodeCast<openapi::OpenAPI>(node->root());
    if (root == nullptr || root->paths() == nullptr) return nullptr;
    return root->paths()->item(path);
}

// Whether `item` is the path item of some path of its document (rather than of a callback, a webhook, or a shared
// path item that no path uses).
bool servesAPath(const openapi::PathItem* item) {
    const auto* root = nodeCast<openapi::OpenAPI>(item->root());
    if (root == nullptr || root->paths() == nullptr) return false;
    const openapi::NodeMap& items = root->paths()->items();
    return std::any_of(items.begin(), items.end(),
                       [&](const auto& entry) { return entry.second && entry.second->resolveNode() == item; });
}

}  // namespace

void ChangelogReport::Mark::raise(const Change& change) {
    if (!set) {
        set = true;
        pos = change.pos;
        inSource = isRemoveType(change.type);
        file = change.file;
    }
    severity = std::max(severity, change.severity);
}

void ChangelogReport::add(const Change& change) {
    switch (change.configKey) {
        case ConfigKey::openapi_info:
        case ConfigKey::info_title:
        case ConfigKey::info_summary:
        case ConfigKey::info_description:
        case ConfigKey::info_termsOfService:
        case ConfigKey::info_contact:
        case ConfigKey::info_license:
            placeMetadata(change);
            break;
        case ConfigKey::openapi_servers:
            placeServer(change);
            break;
        case ConfigKey::paths:
            placePathChange(change);
            break;
        case ConfigKey::pathItem_operations:
            placeOperationEntry(change);
            break;
        case ConfigKey::operation_deprecated:
            placeDeprecation(change);
            break;
        default:
            placeDetail(change);
            break;
    }
    updateStats(change.severity);
}

void ChangelogReport::placeMetadata(const Change& change) {
    metadata_.mark.raise(change);
    switch (change.configKey) {
        case ConfigKey::info_title:
            metadata_.fields |= title;
            break;
        case ConfigKey::info_summary:
            metadata_.fields |= summary;
            break;
        case ConfigKey::info_description:
            metadata_.fields |= description;
            break;
        case ConfigKey::info_termsOfService:
            metadata_.fields |= termsOfService;
            break;
        case ConfigKey::info_contact:
            metadata_.fields |= contact;
            break;
        case ConfigKey::info_license:
            metadata_.fields |= license;
            break;
        default:
            break;
    }
}

void ChangelogReport::placeServer(const Change& change) {
    // The extensions of a server are part of that server's own change, which comes first.
    if (isExtensionType(change.type) && nodeCast<openapi::Server>(change.node) != nullptr) return;
    // Servers are elements of the root's list; the change's node is the root of the document that has the server.
    const auto* root = nodeCast<openapi::OpenAPI>(change.node);
    if (!isElementType(change.type) || root == nullptr || change.index >= root->servers().size()) {
        placeNowhere(change);
        return;
    }
    Server server{root->servers()[change.index]->url(), change.severity, change.pos, change.file};
    if (change.type == ChangeType::elementAdded) {
        addedServers_.push_back(std::move(server));
    } else if (change.type == ChangeType::elementRemoved) {
        removedServers_.push_back(std::move(server));
    } else {
        modifiedServers_.push_back(std::move(server));
    }
}

void ChangelogReport::placePathChange(const Change& change) {
    // The extensions of a path item belong to that path's change, which comes first.
    if (isExtensionType(change.type) && nodeCast<openapi::PathItem>(change.node) != nullptr) return;
    if (!isKeyType(change.type) || nodeCast<openapi::Paths>(change.node) == nullptr) {
        placeNowhere(change);
        return;
    }
    path_ = Current{change.type, change.key};
    operation_.reset();
}

void ChangelogReport::placeOperationEntry(const Change& change) {
    // The extensions of an operation belong to that operation's change, which comes first.
    if (isExtensionType(change.type) && nodeCast<openapi::Operation>(change.node) != nullptr) return;
    const auto* item = nodeCast<openapi::PathItem>(change.node);
    if (!isKeyType(change.type) || item == nullptr || !openapi::isValidOperationMethod(change.key)) {
        placeNowhere(change);
        return;
    }
    bool ofCurrentPath = path_ && pathItemOf(item, path_->key) == item;
    if (!ofCurrentPath) {
        // Operations of callbacks and webhooks are details of what holds them, not operations of the API's paths.
        if (servesAPath(item)) placeNowhere(change);
        return;
    }
    Operation operation{change.key, path_->key, change.severity, change.pos, change.file};
    bool placed = false;
    if (change.type == ChangeType::keyAdded) {
        placed = path_->type != ChangeType::keyRemoved;
        if (placed) added_.push_back(std::move(operation));
    } else if (change.type == ChangeType::keyRemoved) {
        placed = path_->type != ChangeType::keyAdded;
        if (placed) removed_.push_back(std::move(operation));
    } else {
        placed = path_->type == ChangeType::keyModified;
        if (placed) static_cast<Operation&>(modified_.emplace_back()) = std::move(operation);
    }
    if (!placed) {
        operation_.reset();
        placeNowhere(change);
        return;
    }
    operation_ = Current{change.type, change.key};
}

void ChangelogReport::placeDeprecation(const Change& change) {
    // A removed operation that was deprecated, or one that no longer is, is not newly deprecated.
    if (!operation_ || operation_->type == ChangeType::keyRemoved || isRemoveType(change.type)) return;
    const auto* operation = nodeCast<openapi::Operation>(change.node);
    if (operation == nullptr || !operation->deprecated() || currentOperation(operation) != operation) return;
    deprecated_.push_back(Operation{operation_->key, path_->key, change.severity, change.pos, change.file});
}

void ChangelogReport::placeDetail(const Change& change) {
    // Only a modified operation lists its details; those of an added or removed one are in its own change.
    if (!operation_ || operation_->type != ChangeType::keyModified || modified_.empty()) return;
    if (change.node == nullptr) return;
    const openapi::Operation* operation = currentOperation(change.node);
    if (operation == nullptr) return;
    ModifiedOperation& target = modified_.back();

    switch (change.configKey) {
        case ConfigKey::operation_summary:
        case ConfigKey::operation_description:
        case ConfigKey::operation_operationId: {
            if (change.node != operation || !isPropertyType(change.type)) return;
            target.fields |= change.configKey == ConfigKey::operation_summary       ? operationSummary
                             : change.configKey == ConfigKey::operation_description ? operationDescription
                                                                                    : operationId;
            target.fieldsMark.raise(change);
            return;
        }
        case ConfigKey::operation_parameters: {
            if (change.node != operation || !isElementType(change.type)) return;
            const openapi::Parameter* parameter = operation->parameter(change.index);
            if (parameter == nullptr) return;
            Parameter entry{parameter->name(), std::string(openapi::parameterLocationToString(parameter->location())),
                            change.severity, change.pos, change.file};
            if (change.type == ChangeType::elementAdded) {
                target.addedParameters.push_back(std::move(entry));
            } else if (change.type == ChangeType::elementRemoved) {
                target.removedParameters.push_back(std::move(entry));
            } else {
                target.modifiedParameters.push_back(ModifiedParameter{std::move(entry), parameter->required()});
            }
            return;
        }
        case ConfigKey::operation_requestBody:
            if (change.node == operation->requestBody()) target.requestBody.raise(change);
            return;
        case ConfigKey::responses: {
            if (change.node != operation->responses() || !isKeyType(change.type)) return;
            Response response{change.key, change.severity, change.pos, change.file};
            if (change.type == ChangeType::keyAdded) {
                target.addedResponses.push_back(std::move(response));
            } else if (change.type == ChangeType::keyRemoved) {
                target.removedResponses.push_back(std::move(response));
            } else {
                target.modifiedResponses.push_back(std::move(response));
            }
            return;
        }
        case ConfigKey::operation_security:
            if (change.node != operation || !isElementType(change.type)) return;
            if (change.type == ChangeType::elementAdded) {
                ++target.security.added;
            } else if (change.type == ChangeType::elementRemoved) {
                ++target.security.removed;
            } else {
                ++target.security.modified;
            }
            target.security.mark.raise(change);
            return;
        default:
            return;
    }
}

void ChangelogReport::placeNowhere(const Change& change) {
    metadata_.mark.raise(change);
    ++unplaced_;
}

const openapi::Operation* ChangelogReport::currentOperation(const openapi::Node* node) const {
    if (!path_ || !operation_) return nullptr;
    const openapi::PathItem* item = pathItemOf(node, path_->key);
    std::optional<openapi::HttpMethod> method = openapi::operationMethodFromString(operation_->key);
    if (item == nullptr || !method) return nullptr;
    return item->operation(*method);
}

}  // namespace zephalon::openapi_diff
