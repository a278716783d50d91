#include "zephalon/openapi/operation.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>

#include "parameter_list.h"
#include "slots.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/media_type.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/paths.h"
#include "zephalon/openapi/response.h"
#include "zephalon/openapi/security.h"
#include "zephalon/openapi/server.h"

namespace zephalon::openapi {

Operation::Operation(Node* parent) : Node(parent, NodeType::Operation), responses_(std::make_unique<Responses>(this)) {
    NodeEvent event = OperationAddedEvent{this};
    dispatchEvent(event);
}

Operation::~Operation() {
    for (Tag* tag : tags_) {
        tag->users_.erase(this);
    }
    NodeEvent event = OperationRemovedEvent{this, operationId_};
    dispatchEvent(event);
}

// --- tags ---

Tag* Operation::addTag(std::string_view name) {
    for (const TagEntry& entry : tagEntries_) {
        if ((entry.tag != nullptr ? std::string_view(entry.tag->name()) : std::string_view(entry.name)) == name) {
            return entry.tag;
        }
    }
    auto* document = nodeCast<OpenAPI>(root());
    Tag* tag = document == nullptr ? nullptr : document->findTag(name);
    if (tag != nullptr) {
        tagEntries_.push_back(TagEntry{tag, {}});
        tags_.push_back(tag);
        tag->users_.insert(this);
    } else {
        tagEntries_.push_back(TagEntry{nullptr, std::string(name)});
    }
    return tag;
}

std::vector<std::string_view> Operation::tagNames() const {
    std::vector<std::string_view> names;
    names.reserve(tagEntries_.size());
    for (const TagEntry& entry : tagEntries_) names.emplace_back(entry.tag != nullptr ? entry.tag->name() : entry.name);
    return names;
}

bool Operation::hasTag(std::string_view name) const {
    const auto names = tagNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool Operation::hasTag(const Tag* tag) const { return std::find(tags_.begin(), tags_.end(), tag) != tags_.end(); }

Tag* Operation::findTag(std::string_view name) const {
    auto it = std::find_if(tags_.begin(), tags_.end(), [&](const Tag* tag) { return tag->name() == name; });
    return it == tags_.end() ? nullptr : *it;
}

void Operation::relinkTags() {
    tags_.clear();
    for (const TagEntry& entry : tagEntries_) {
        if (entry.tag != nullptr) tags_.push_back(entry.tag);
    }
}

void Operation::removeTag(std::size_t index) {
    if (index >= tags_.size()) return;
    Tag* tag = tags_[index];
    tagEntries_.erase(
        std::find_if(tagEntries_.begin(), tagEntries_.end(), [&](const TagEntry& entry) { return entry.tag == tag; }));
    relinkTags();
    tag->users_.erase(this);
}

bool Operation::removeTagName(std::string_view name) {
    auto it = std::find_if(tagEntries_.begin(), tagEntries_.end(), [&](const TagEntry& entry) {
        return (entry.tag != nullptr ? std::string_view(entry.tag->name()) : std::string_view(entry.name)) == name;
    });
    if (it == tagEntries_.end()) return false;
    Tag* tag = it->tag;
    tagEntries_.erase(it);
    if (tag != nullptr) {
        relinkTags();
        tag->users_.erase(this);
    }
    return true;
}

void Operation::clearTags() {
    for (Tag* tag : tags_) {
        tag->users_.erase(this);
    }
    tagEntries_.clear();
    tags_.clear();
}

void Operation::unlinkTag(Tag* tag) {
    for (TagEntry& entry : tagEntries_) {
        if (entry.tag == tag) entry = TagEntry{nullptr, tag->name()};
    }
    relinkTags();
    tag->users_.erase(this);
}

// --- documentation ---

ExternalDocumentation* Operation::addExternalDocs(std::string url) {
    if (!externalDocs_) {
        externalDocs_ = std::make_unique<ExternalDocumentation>(this, std::move(url));
    }
    return externalDocs_.get();
}

void Operation::removeExternalDocs() { detail::resetOwned(externalDocs_); }

// --- id ---

void Operation::setOperationId(std::string id) {
    if (operationId_ == id) {
        return;
    }
    if (id.empty()) {
        throw std::runtime_error("OperationId cannot be empty");
    }
    NodeEvent event = OperationIdChangedEvent{this, operationId_, id};
    operationId_ = std::move(id);
    dispatchEvent(event);
}

void Operation::removeOperationId() {
    if (!operationId_) {
        return;
    }
    NodeEvent event = OperationIdChangedEvent{this, operationId_, std::nullopt};
    operationId_.reset();
    dispatchEvent(event);
}

// --- parameters ---

Parameter* Operation::parameter(std::size_t index) const { return detail::resolvedItem<Parameter>(parameters_, index); }

Parameter* Operation::parameter(std::string_view name, Parameter::Location location) const {
    return detail::findParameter(parameters_, name, location);
}

Parameter* Operation::addPathParameter(std::string name) {
    return detail::appendParameter(parameters_, this, std::move(name), Parameter::Location::path);
}

Parameter* Operation::addQueryParameter(std::string name) {
    return detail::appendParameter(parameters_, this, std::move(name), Parameter::Location::query);
}

Parameter* Operation::addHeaderParameter(std::string name) {
    return detail::appendParameter(parameters_, this, std::move(name), Parameter::Location::header);
}

Parameter* Operation::addCookieParameter(std::string name) {
    return detail::appendParameter(parameters_, this, std::move(name), Parameter::Location::cookie);
}

Reference* Operation::addParameterRef(Parameter* target) { return detail::appendRef(parameters_, this, target); }

Reference* Operation::addParameterRef(Reference* target) { return detail::appendRef(parameters_, this, target); }

void Operation::removeParameter(std::size_t index) { detail::removeItemAt(parameters_, index); }

std::vector<Parameter*> Operation::effectiveParameters() const {
    std::vector<Parameter*> result;
    std::set<std::pair<std::string_view, Parameter::Location>> own;
    for (const auto& slot : parameters_) {
        if (auto* parameter = nodeCast<Parameter>(slot->resolveNode())) {
            result.push_back(parameter);
            own.emplace(parameter->name(), parameter->location());
        }
    }
    if (auto* pathItem = nodeCast<PathItem>(parent())) {
        for (const auto& slot : pathItem->parameters()) {
            auto* parameter = nodeCast<Parameter>(slot->resolveNode());
            if (parameter != nullptr && !own.contains({parameter->name(), parameter->location()})) {
                result.push_back(parameter);
            }
        }
    }
    return result;
}

// --- request body, callbacks ---

RequestBody* Operation::requestBody() const { return detail::resolvedSlot<RequestBody>(requestBody_); }

RequestBody* Operation::setRequestBody() { return detail::setSlot<RequestBody>(requestBody_, this); }

Reference* Operation::setRequestBodyRef(RequestBody* target) { return detail::setSlotRef(requestBody_, this, target); }

Reference* Operation::setRequestBodyRef(Reference* target) { return detail::setSlotRef(requestBody_, this, target); }

void Operation::removeRequestBody() { detail::resetOwned(requestBody_); }

Callback* Operation::callback(std::string_view name) const { return detail::resolvedEntry<Callback>(callbacks_, name); }

Node* Operation::callbackNode(std::string_view name) const { return detail::entryNode(callbacks_, name); }

Callback* Operation::addCallback(std::string_view name) { return detail::addEntry<Callback>(callbacks_, name, this); }

Reference* Operation::addCallbackRef(std::string_view name, Callback* target) {
    return detail::addEntryRef(callbacks_, name, this, target);
}

Reference* Operation::addCallbackRef(std::string_view name, Reference* target) {
    return detail::addEntryRef(callbacks_, name, this, target);
}

void Operation::removeCallback(std::string_view name) { detail::removeEntry(callbacks_, name); }

void Operation::clearCallbacks() { detail::clearAll(callbacks_); }

// --- security, servers ---

void Operation::setInheritsSecurity(bool inherits) {
    if (inherits) {
        detail::clearAll(security_);
    }
    inheritsSecurity_ = inherits;
}

SecurityRequirement* Operation::addSecurityRequirement() {
    inheritsSecurity_ = false;
    return detail::appendItem<SecurityRequirement>(security_, this);
}

void Operation::removeSecurityRequirementAt(std::size_t index) { detail::removeItemAt(security_, index); }

void Operation::clearSecurityRequirements() { detail::clearAll(security_); }

Server* Operation::serverAt(std::size_t index) const { return detail::itemAt(servers_, index); }

Server* Operation::addServer(std::string url) { return detail::appendItem<Server>(servers_, this, std::move(url)); }

void Operation::removeServer(std::size_t index) { detail::removeItemAt(servers_, index); }

void Operation::clearServers() { detail::clearAll(servers_); }

// --- where an operation sits ---

namespace {

std::optional<HttpMethod> methodOf(const PathItem& pathItem, const Operation* operation) {
    for (const auto& [method, candidate] : pathItem.operations()) {
        if (candidate.get() == operation) {
            return method;
        }
    }
    return std::nullopt;
}

// The key of the slot in `map` that holds `pathItem` itself or a reference to it.
const std::string* keyOf(const NodeMap& map, const PathItem* pathItem) {
    for (const auto& [key, slot] : map) {
        if (slot->resolveNode() == pathItem) {
            return &key;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<OperationInfo> operationInfo(const Operation* operation) {
    if (operation == nullptr) {
        return std::nullopt;
    }
    const auto* pathItem = nodeCast<PathItem>(operation->parent());
    if (pathItem == nullptr) {
        return std::nullopt;
    }
    auto method = methodOf(*pathItem, operation);
    if (!method) {
        return std::nullopt;
    }
    const auto* document = nodeCast<OpenAPI>(operation->root());
    if (document != nullptr) {
        const std::string* key = keyOf(document->paths()->items(), pathItem);
        if (key == nullptr) {
            key = keyOf(document->webhooks(), pathItem);
        }
        if (key != nullptr) {
            return OperationInfo{operation, pathItem, *method, *key};
        }
    }
    // A callback's path item sits under its runtime expression.
    if (const auto* callback = nodeCast<Callback>(pathItem->parent())) {
        for (const auto& [expression, item] : callback->items()) {
            if (item.get() == pathItem) {
                return OperationInfo{operation, pathItem, *method, expression};
            }
        }
    }
    return std::nullopt;
}

std::optional<OperationInfo> operationInfoByOperationId(const OpenAPI* document, std::string_view operationId) {
    if (document == nullptr) {
        return std::nullopt;
    }
    return operationInfo(document->operationById(operationId));
}

// Removal goes through the shared helpers: a child is detached before it is destroyed.

void Operation::clearParameters() { detail::clearAll(parameters_); }

}  // namespace zephalon::openapi
