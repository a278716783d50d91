#pragma once

// One walk of a document that hands every node to several handlers, in the order they were added.

#include <array>
#include <bitset>
#include <cstddef>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "zephalon/openapi/visitor.h"

namespace zephalon::openapi_lint {

// The classes of node that `handle` takes, each with its place in a set of kinds.
using HandledNodes =
    std::tuple<openapi::OpenAPI, openapi::Info, openapi::Contact, openapi::License, openapi::Server,
               openapi::ServerVariable, openapi::Paths, openapi::PathItem, openapi::Components, openapi::Schema,
               openapi::Responses, openapi::Response, openapi::Parameter, openapi::Example, openapi::RequestBody,
               openapi::Header, openapi::SecurityScheme, openapi::Link, openapi::Callback, openapi::Operation,
               openapi::ExternalDocumentation, openapi::Tag, openapi::SecurityRequirement, openapi::Encoding,
               openapi::MediaType, openapi::OAuthFlows, openapi::OAuthFlow, openapi::Discriminator, openapi::XML>;
using KindSet = std::bitset<std::tuple_size_v<HandledNodes>>;

namespace detail {

template <class T, class... Classes>
constexpr std::size_t indexOf(std::tuple<Classes...>*) {
    std::size_t index = 0;
    (void)((std::is_same_v<T, Classes> ? false : (++index, true)) && ...);
    return index;
}

// Whether H has a `handle` for T of its own (or of a base below NodeVisitHandler): the base's are hidden then.
template <class H, class T>
constexpr bool hasHandle = requires {
    static_cast<void (H::*)(const T*)>(&H::handle);
};

template <class H, class... Classes>
KindSet kindsOf(std::tuple<Classes...>*) {
    KindSet kinds;
    std::size_t index = 0;
    ((kinds[index++] = hasHandle<H, Classes>), ...);
    return kinds;
}

}  // namespace detail

template <class T>
constexpr std::size_t kindIndex = detail::indexOf<T>(static_cast<HandledNodes*>(nullptr));

// A handler that takes nodes by kind only, through its `handle` overloads: the shared walk spares it the untyped
// `handleNode` call, and hands it the kinds it has a `handle` for alone (all of them, unless made by
// `makeKindHandler`). A large document has hundreds of thousands of nodes, and most handlers take a kind or two.
class KindHandler : public openapi::NodeVisitHandler {
  public:
    void handleNode(const openapi::Node*) final {}

    const KindSet& kinds() const { return kinds_; }
    void setKinds(const KindSet& kinds) { kinds_ = kinds; }

  private:
    KindSet kinds_ = KindSet().set();
};

// A handler of class H, told the kinds it has a `handle` for.
template <class H, class... Args>
std::unique_ptr<H> makeKindHandler(Args&&... args) {
    auto handler = std::make_unique<H>(std::forward<Args>(args)...);
    handler->setKinds(detail::kindsOf<H>(static_cast<HandledNodes*>(nullptr)));
    return handler;
}

class SharedWalk : public openapi::NodeVisitHandler {
  public:
    void add(std::unique_ptr<openapi::NodeVisitHandler> handler) {
        const auto* byKind = dynamic_cast<const KindHandler*>(handler.get());
        if (byKind == nullptr) untyped_.push_back(handler.get());
        for (std::size_t kind = 0; kind < byKind_.size(); ++kind) {
            if (byKind == nullptr || byKind->kinds()[kind]) byKind_[kind].push_back(handler.get());
        }
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
        for (openapi::NodeVisitHandler* handler : byKind_[kindIndex<T>]) handler->handle(node);
    }

    std::vector<std::unique_ptr<openapi::NodeVisitHandler>> handlers_;
    // The handlers of each kind, in the order they were added.
    std::array<std::vector<openapi::NodeVisitHandler*>, std::tuple_size_v<HandledNodes>> byKind_;
    // The handlers that may want `handleNode`.
    std::vector<openapi::NodeVisitHandler*> untyped_;
};

}  // namespace zephalon::openapi_lint
