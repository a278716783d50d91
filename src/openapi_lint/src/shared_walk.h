#pragma once

// One walk of a document that hands every node to several handlers, in the order they were added. Rule handlers take
// nodes by kind: the untyped `handleNode`, which none of them uses, is not passed on (it would cost a call per node
// and handler).

#include <memory>
#include <vector>

#include "zephalon/openapi/visitor.h"

namespace zephalon::openapi_lint {

class SharedWalk : public openapi::NodeVisitHandler {
  public:
    void add(std::unique_ptr<openapi::NodeVisitHandler> handler) { handlers_.push_back(std::move(handler)); }
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
    void documentVisited() override {
        for (const auto& handler : handlers_) handler->documentVisited();
    }

  private:
    template <class T>
    void forward(const T* node) {
        for (const auto& handler : handlers_) handler->handle(node);
    }

    std::vector<std::unique_ptr<openapi::NodeVisitHandler>> handlers_;
};

}  // namespace zephalon::openapi_lint
