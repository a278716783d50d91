#pragma once

// One walk of a document that hands every node to several handlers, in the order they were added.

#include <memory>
#include <vector>

#include "zephalon/openapi/visitor.h"

namespace zephalon::openapi_lint {

// A handler that takes nodes by kind only, through its `handle` overloads: the shared walk spares it the untyped
// `handleNode` call, which would cost a call per node and handler.
class KindHandler : public openapi::NodeVisitHandler {
  public:
    void handleNode(const openapi::Node*) final {}
};

class SharedWalk : public openapi::NodeVisitHandler {
  public:
    void add(std::unique_ptr<openapi::NodeVisitHandler> handler) {
        if (dynamic_cast<const KindHandler*>(handler.get()) == nullptr) untyped_.push_back(handler.get());
        handlers_.push_back(std::move(handler));
    }
    bool empty() const { return handlers_.empty(); }

    void handle(const openapi::OpenAPI* node) override { forward(node); }
    void handle(const openapi::Info* node) override { forward(node); }
    void handle(const openapi::Contact* node) override { forward(node); }
    void handle(const openapi::License* node) override { forward(node); }
    void handle(const openapi::Server* node) override { forward(node); }
    void handle(const openapi::ServerVariable* node) override { forward(node); }
    void handle(const openapi::Paths* node) override { forward(node); }
    void handle(const openapi::PathItem* node) override { forward(node); }
    void handle(const openapi::Components* node) override { forward(node); }
    void handle(const openapi::Schema* node) override { forward(node); }
    void handle(const openapi::Responses* node) override { forward(node); }
    void handle(const openapi::Response* node) override { forward(node); }
    void handle(const openapi::Parameter* node) override { forward(node); }
    void handle(const openapi::Example* node) override { forward(node); }
    void handle(const openapi::RequestBody* node) override { forward(node); }
    void handle(const openapi::Header* node) override { forward(node); }
    void handle(const openapi::SecurityScheme* node) override { forward(node); }
    void handle(const openapi::Link* node) override { forward(node); }
    void handle(const openapi::Callback* node) override { forward(node); }
    void handle(const openapi::Operation* node) override { forward(node); }
    void handle(const openapi::ExternalDocumentation* node) override { forward(node); }
    void handle(const openapi::Tag* node) override { forward(node); }
    void handle(const openapi::SecurityRequirement* node) override { forward(node); }
    void handle(const openapi::Encoding* node) override { forward(node); }
    void handle(const openapi::MediaType* node) override { forward(node); }
    void handle(const openapi::OAuthFlows* node) override { forward(node); }
    void handle(const openapi::OAuthFlow* node) override { forward(node); }
    void handle(const openapi::Discriminator* node) override { forward(node); }
    void handle(const openapi::XML* node) override { forward(node); }
    void handleNode(const openapi::Node* node) override {
        for (openapi::NodeVisitHandler* handler : untyped_) handler->handleNode(node);
    }
    void documentVisited() override {
        for (const auto& handler : handlers_) handler->documentVisited();
    }

  private:
    template <class T>
    void forward(const T* node) {
        for (const auto& handler : handlers_) handler->handle(node);
    }

    std::vector<std::unique_ptr<openapi::NodeVisitHandler>> handlers_;
    // The handlers that may want `handleNode`.
    std::vector<openapi::NodeVisitHandler*> untyped_;
};

}  // namespace zephalon::openapi_lint
