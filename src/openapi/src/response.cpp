#include "zephalon/openapi/response.h"

#include "slots.h"
#include "zephalon/openapi/media_type.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/server.h"

namespace zephalon::openapi {

// --- Example ---

Example::~Example() = default;

jv::JV* Example::setValue(const jv::JV* value) {
    value_ = value == nullptr ? std::make_unique<jv::JV>() : value->clone();
    return value_.get();
}

void Example::removeValue() { detail::resetOwned(value_); }

// --- Link ---

Link::~Link() = default;

jv::JV* Link::parameter(std::string_view name) const {
    auto it = parameters_.find(name);
    return it == parameters_.end() ? nullptr : it->second.get();
}

jv::JV* Link::addParameter(std::string_view name) {
    if (auto it = parameters_.find(name); it != parameters_.end()) {
        return it->second.get();
    }
    return parameters_.emplace(std::string(name), std::make_unique<jv::JV>()).first->second.get();
}

jv::JV* Link::setParameter(std::string_view name, const jv::JV* value) {
    auto copy = value == nullptr ? std::make_unique<jv::JV>() : value->clone();
    jv::JV* raw = copy.get();
    if (auto it = parameters_.find(name); it != parameters_.end()) {
        it->second = std::move(copy);
    } else {
        parameters_.emplace(std::string(name), std::move(copy));
    }
    return raw;
}

void Link::removeParameter(std::string_view name) {
    if (auto it = parameters_.find(name); it != parameters_.end()) {
        parameters_.erase(it);
    }
}

jv::JV* Link::setRequestBody() {
    requestBody_ = std::make_unique<jv::JV>();
    return requestBody_.get();
}

jv::JV* Link::setRequestBody(const jv::JV* value) {
    requestBody_ = value == nullptr ? std::make_unique<jv::JV>() : value->clone();
    return requestBody_.get();
}

void Link::removeRequestBody() { detail::resetOwned(requestBody_); }

Server* Link::setServer(std::string url) {
    auto server = std::make_unique<Server>(this, std::move(url));
    std::unique_ptr<Server> old = std::exchange(server_, std::move(server));
    return server_.get();
}

void Link::removeServer() { detail::resetOwned(server_); }

// --- Response ---

Response::~Response() = default;

Header* Response::header(std::string_view name) const { return detail::resolvedEntry<Header>(headers_, name); }

Node* Response::headerNode(std::string_view name) const { return detail::entryNode(headers_, name); }

Header* Response::addHeader(std::string_view name) { return detail::addEntry<Header>(headers_, name, this); }

Reference* Response::addHeaderRef(std::string_view name, Header* target) {
    return detail::addEntryRef(headers_, name, this, target);
}

Reference* Response::addHeaderRef(std::string_view name, Reference* target) {
    return detail::addEntryRef(headers_, name, this, target);
}

void Response::removeHeader(std::string_view name) { detail::removeEntry(headers_, name); }

MediaType* Response::mediaType(std::string_view key) const { return detail::resolvedEntry<MediaType>(content_, key); }

MediaType* Response::addMediaType(std::string_view key) { return detail::addEntry<MediaType>(content_, key, this); }

void Response::removeMediaType(std::string_view key) { detail::removeEntry(content_, key); }

std::string Response::mediaTypeKey(const MediaType* mediaType) const {
    for (const auto& [key, entry] : content_) {
        if (entry.get() == mediaType) {
            return key;
        }
    }
    return {};
}

Link* Response::link(std::string_view name) const { return detail::resolvedEntry<Link>(links_, name); }

Node* Response::linkNode(std::string_view name) const { return detail::entryNode(links_, name); }

Link* Response::addLink(std::string_view name) { return detail::addEntry<Link>(links_, name, this); }

Reference* Response::addLinkRef(std::string_view name, Link* target) {
    return detail::addEntryRef(links_, name, this, target);
}

Reference* Response::addLinkRef(std::string_view name, Reference* target) {
    return detail::addEntryRef(links_, name, this, target);
}

void Response::removeLink(std::string_view name) { detail::removeEntry(links_, name); }

// --- Responses ---

Responses::~Responses() = default;

Response* Responses::response(std::string_view key) const { return detail::resolvedEntry<Response>(responses_, key); }

Node* Responses::responseNode(std::string_view key) const { return detail::entryNode(responses_, key); }

Response* Responses::addResponse(std::string_view key) { return detail::addEntry<Response>(responses_, key, this); }

Reference* Responses::addResponseRef(std::string_view key, Response* target) {
    return detail::addEntryRef(responses_, key, this, target);
}

Reference* Responses::addResponseRef(std::string_view key, Reference* target) {
    return detail::addEntryRef(responses_, key, this, target);
}

void Responses::removeResponse(std::string_view key) { detail::removeEntry(responses_, key); }

std::string Responses::responseKey(const Response* response) const {
    for (const auto& [key, entry] : responses_) {
        if (entry->resolveNode() == response) {
            return key;
        }
    }
    return {};
}

// Removal goes through the shared helpers: a child is detached before it is destroyed.

void Response::clearHeaders() { detail::clearAll(headers_); }

void Response::clearMediaTypes() { detail::clearAll(content_); }

void Response::clearLinks() { detail::clearAll(links_); }

void Responses::clearResponses() { detail::clearAll(responses_); }

}  // namespace zephalon::openapi
