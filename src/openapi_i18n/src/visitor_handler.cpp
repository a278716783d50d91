#include "visitor_handler.h"

#include <utility>

#include "zephalon/jv/pointer.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/media_type.h"
#include "zephalon/openapi/node.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/paths.h"
#include "zephalon/openapi/response.h"
#include "zephalon/openapi/schema.h"
#include "zephalon/openapi/security.h"
#include "zephalon/openapi/server.h"

namespace zephalon::openapi_i18n {

using namespace openapi;

VisitorHandler::VisitorHandler(jv::JV& output, PointerFunction pointer)
    : output_(output), pointer_(std::move(pointer)) {}

void VisitorHandler::addEntry(const Node* node, std::string_view property, std::string_view text) {
    std::optional<std::string> pointer = pointer_(node, property);
    if (pointer) entries_.insert_or_assign(std::move(*pointer), std::string(text));
}

void VisitorHandler::finish() {
    for (const auto& [pointer, text] : entries_) output_.setStringProperty(pointer, text);
    entries_.clear();
}

void VisitorHandler::addOptional(const Node* node, std::string_view property, const std::optional<std::string>& text) {
    if (text) addEntry(node, property, *text);
}

void VisitorHandler::handle(const Info* node) {
    addEntry(node, "title", node->title());
    addOptional(node, "summary", node->summary());
    addOptional(node, "description", node->description());
}

void VisitorHandler::handle(const Contact* node) { addOptional(node, "name", node->name()); }

void VisitorHandler::handle(const License* node) { addEntry(node, "name", node->name()); }

void VisitorHandler::handle(const Server* node) { addOptional(node, "description", node->description()); }

void VisitorHandler::handle(const ServerVariable* node) { addOptional(node, "description", node->description()); }

void VisitorHandler::handle(const PathItem* node) {
    addOptional(node, "summary", node->summary());
    addOptional(node, "description", node->description());
}

void VisitorHandler::handle(const Operation* node) {
    addOptional(node, "summary", node->summary());
    addOptional(node, "description", node->description());
}

void VisitorHandler::handle(const Parameter* node) { addOptional(node, "description", node->description()); }

void VisitorHandler::handle(const RequestBody* node) { addOptional(node, "description", node->description()); }

void VisitorHandler::handle(const Response* node) { addEntry(node, "description", node->description()); }

void VisitorHandler::handle(const Header* node) { addOptional(node, "description", node->description()); }

void VisitorHandler::handle(const Example* node) {
    addOptional(node, "summary", node->summary());
    addOptional(node, "description", node->description());
}

void VisitorHandler::handle(const Link* node) { addOptional(node, "description", node->description()); }

void VisitorHandler::handle(const Tag* node) { addOptional(node, "description", node->description()); }

void VisitorHandler::handle(const ExternalDocumentation* node) {
    addOptional(node, "description", node->description());
}

void VisitorHandler::handle(const SecurityScheme* node) { addOptional(node, "description", node->description()); }

// Scope descriptions are shown to whoever authorises a client, so they are translated like any other text.
void VisitorHandler::handle(const OAuthFlow* node) {
    if (node->scopes().empty()) return;
    std::optional<std::string> scopes = pointer_(node, "scopes");
    if (!scopes) return;
    for (const auto& [name, description] : node->scopes()) {
        entries_.insert_or_assign(*scopes + "/" + jv::escapeToken(name), description);
    }
}

void VisitorHandler::handle(const Schema* node) {
    addOptional(node, "title", node->title());
    addOptional(node, "description", node->description());
}

void VisitorHandler::handleNode(const Node* node) {
    for (const Reference* reference : node->references()) {
        addOptional(reference, "summary", reference->summary());
        addOptional(reference, "description", reference->description());
    }
}

}  // namespace zephalon::openapi_i18n
