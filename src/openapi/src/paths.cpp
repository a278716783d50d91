#include "zephalon/openapi/paths.h"

#include <fmt/format.h>

#include <stdexcept>

#include "parameter_list.h"
#include "slots.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi/server.h"

namespace zephalon::openapi {

// --- PathItem ---

// References to a path item are detached before its operations go: their removal events reach listeners anywhere
// above, which may follow references and must not find a path item half torn down.
PathItem::~PathItem() { clearReferences(); }

Operation* PathItem::operation(HttpMethod method) const {
    auto it = operations_.find(method);
    return it == operations_.end() ? nullptr : it->second.get();
}

Operation* PathItem::addOperation(HttpMethod method) {
    if (operations_.find(method) != operations_.end()) {
        throw std::runtime_error("operation already exists");
    }
    auto operation = std::make_unique<Operation>(this);
    Operation* raw = operation.get();
    operations_.emplace(method, std::move(operation));
    return raw;
}

void PathItem::removeOperation(HttpMethod method) { detail::removeEntry(operations_, method); }

void PathItem::clearOperations() { detail::clearAll(operations_); }

Server* PathItem::serverAt(std::size_t index) const { return detail::itemAt(servers_, index); }

Server* PathItem::addServer(std::string url) { return detail::appendItem<Server>(servers_, this, std::move(url)); }

void PathItem::removeServer(std::size_t index) { detail::removeItemAt(servers_, index); }

Parameter* PathItem::parameter(std::size_t index) const { return detail::resolvedItem<Parameter>(parameters_, index); }

Parameter* PathItem::parameter(std::string_view name, Parameter::Location location) const {
    return detail::findParameter(parameters_, name, location);
}

Parameter* PathItem::addPathParameter(std::string name) {
    return detail::appendParameter(parameters_, this, std::move(name), Parameter::Location::path);
}

Parameter* PathItem::addQueryParameter(std::string name) {
    return detail::appendParameter(parameters_, this, std::move(name), Parameter::Location::query);
}

Parameter* PathItem::addHeaderParameter(std::string name) {
    return detail::appendParameter(parameters_, this, std::move(name), Parameter::Location::header);
}

Parameter* PathItem::addCookieParameter(std::string name) {
    return detail::appendParameter(parameters_, this, std::move(name), Parameter::Location::cookie);
}

Reference* PathItem::addParameterRef(Parameter* target) { return detail::appendRef(parameters_, this, target); }

Reference* PathItem::addParameterRef(Reference* target) { return detail::appendRef(parameters_, this, target); }

void PathItem::removeParameter(std::size_t index) { detail::removeItemAt(parameters_, index); }

// --- Paths ---

Paths::~Paths() = default;

PathItem* Paths::item(std::string_view path) const { return detail::resolvedEntry<PathItem>(items_, path); }

Node* Paths::itemNode(std::string_view path) const { return detail::entryNode(items_, path); }

PathItem* Paths::addItem(std::string_view path) { return detail::addEntry<PathItem>(items_, path, this); }

Reference* Paths::addItemRef(std::string_view path, PathItem* target) {
    return detail::addEntryRef(items_, path, this, target);
}

Reference* Paths::addItemRef(std::string_view path, Reference* target) {
    return detail::addEntryRef(items_, path, this, target);
}

void Paths::removeItem(std::string_view path) { detail::removeEntry(items_, path); }

void Paths::replaceUrl(std::string_view oldPath, std::string_view newPath) {
    if (oldPath == newPath) {
        return;
    }
    auto it = items_.find(oldPath);
    if (it == items_.end()) {
        throw std::runtime_error(fmt::format("Path does not exist {}", oldPath));
    }
    if (newPath.empty()) {
        throw std::runtime_error("New path URL cannot be empty");
    }
    if (items_.find(newPath) != items_.end()) {
        throw std::runtime_error(fmt::format("Path already exists {}", newPath));
    }
    // Re-keying the map node moves the path item itself: its address, and so every link to it, stays valid.
    auto entry = items_.extract(it);
    entry.key() = std::string(newPath);
    items_.insert(std::move(entry));
}

// --- Callback ---

// As for path items: nothing may lead into a callback while the operations below it report their removal.
Callback::~Callback() { clearReferences(); }

PathItem* Callback::item(std::string_view expression) const {
    auto it = items_.find(expression);
    return it == items_.end() ? nullptr : it->second.get();
}

PathItem* Callback::addItem(std::string_view expression) {
    return detail::addEntry<PathItem>(items_, expression, this);
}

void Callback::removeItem(std::string_view expression) { detail::removeEntry(items_, expression); }

// Removal goes through the shared helpers: a child is detached before it is destroyed.

void PathItem::clearServers() { detail::clearAll(servers_); }

void PathItem::clearParameters() { detail::clearAll(parameters_); }

void Paths::clearItems() { detail::clearAll(items_); }

void Callback::clearItems() { detail::clearAll(items_); }

}  // namespace zephalon::openapi
