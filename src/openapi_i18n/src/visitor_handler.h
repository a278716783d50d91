#pragma once

// The traversal handler that collects the texts of every node into the extraction object.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "zephalon/jv/jv.h"
#include "zephalon/openapi/visitor.h"

namespace zephalon::openapi_i18n {

class VisitorHandler : public openapi::NodeVisitHandler {
  public:
    // The JSON Pointer text of a node's property in the source document, or nothing when no text or map of texts
    // stands there (an unmapped node, an absent member, or a member that is neither a string nor an object).
    using PointerFunction = std::function<std::optional<std::string>(const openapi::Node*, std::string_view)>;

    // Texts go to `output`, which must be an object, when `finish` is called.
    VisitorHandler(jv::JV& output, PointerFunction pointer);

    // Adds the collected texts to the output object. They are collected first and added in key order because an
    // object keeps its members sorted: adding them in traversal order would move the members already there on
    // every insertion, which is quadratic for a large document.
    void finish();

    void handle(const openapi::Info* node) override;
    void handle(const openapi::Contact* node) override;
    void handle(const openapi::License* node) override;
    void handle(const openapi::Server* node) override;
    void handle(const openapi::ServerVariable* node) override;
    void handle(const openapi::PathItem* node) override;
    void handle(const openapi::Operation* node) override;
    void handle(const openapi::Parameter* node) override;
    void handle(const openapi::RequestBody* node) override;
    void handle(const openapi::Response* node) override;
    void handle(const openapi::Header* node) override;
    void handle(const openapi::Example* node) override;
    void handle(const openapi::Link* node) override;
    void handle(const openapi::Tag* node) override;
    void handle(const openapi::ExternalDocumentation* node) override;
    void handle(const openapi::SecurityScheme* node) override;
    void handle(const openapi::OAuthFlow* node) override;
    void handle(const openapi::Schema* node) override;
    // The summary and description that a reference object may carry beside "$ref" override the target's in
    // rendered documentation, so they are texts of the document as well. The traversal never hands references to
    // a handler; they are reached through the targets they point at.
    void handleNode(const openapi::Node* node) override;

    // Records `text` under the pointer of the node's property; nothing happens when the property has no pointer.
    void addEntry(const openapi::Node* node, std::string_view property, std::string_view text);

  private:
    void addOptional(const openapi::Node* node, std::string_view property, const std::optional<std::string>& text);

    jv::JV& output_;
    PointerFunction pointer_;
    std::map<std::string, std::string, std::less<>> entries_;
};

}  // namespace zephalon::openapi_i18n
