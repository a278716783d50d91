#pragma once

// The routes of an API: Paths maps templates to PathItems, a PathItem holds one Operation per method, and a
// Callback maps runtime expressions to PathItems of its own.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "zephalon/openapi/enums.h"
#include "zephalon/openapi/node.h"
#include "zephalon/openapi/operation.h"
#include "zephalon/openapi/parameter.h"
#include "zephalon/openapi/server.h"

namespace zephalon::openapi {

class PathItem final : public Node {
  public:
    using Operations = std::map<HttpMethod, std::unique_ptr<Operation>>;

    explicit PathItem(Node* parent) : Node(parent, NodeType::PathItem) {}
    ~PathItem() override;

    const std::optional<std::string>& summary() const { return summary_; }
    void setSummary(std::string summary) { summary_ = std::move(summary); }
    void removeSummary() { summary_.reset(); }

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    // Operations in method order (get, put, post, delete, options, head, patch, trace).
    const Operations& operations() const { return operations_; }
    Operation* operation(HttpMethod method) const;
    // Throws std::runtime_error "operation already exists" when the method is taken.
    Operation* addOperation(HttpMethod method);
    void removeOperation(HttpMethod method);
    void clearOperations();

    const OwnedList<Server>& servers() const { return servers_; }
    Server* serverAt(std::size_t index) const;
    Server* addServer(std::string url);
    void removeServer(std::size_t index);
    void clearServers();

    // Parameter slots in document order.
    const NodeList& parameters() const { return parameters_; }
    // The resolved parameter at `index`; null when out of range or dangling.
    Parameter* parameter(std::size_t index) const;
    // The first parameter with that name and location.
    Parameter* parameter(std::string_view name, Parameter::Location location) const;
    Parameter* addPathParameter(std::string name);
    Parameter* addQueryParameter(std::string name);
    Parameter* addHeaderParameter(std::string name);
    Parameter* addCookieParameter(std::string name);
    Reference* addParameterRef(Parameter* target);
    Reference* addParameterRef(Reference* target);
    void removeParameter(std::size_t index);
    void clearParameters();

  private:
    std::optional<std::string> summary_;
    std::optional<std::string> description_;
    Operations operations_;
    OwnedList<Server> servers_;
    NodeList parameters_;
};

class Paths final : public Node {
  public:
    explicit Paths(Node* parent) : Node(parent, NodeType::Paths) {}
    ~Paths() override;

    // Path item slots by path template.
    const NodeMap& items() const { return items_; }
    PathItem* item(std::string_view path) const;
    Node* itemNode(std::string_view path) const;
    PathItem* addItem(std::string_view path);
    Reference* addItemRef(std::string_view path, PathItem* target);
    Reference* addItemRef(std::string_view path, Reference* target);
    void removeItem(std::string_view path);
    void clearItems();

    // Moves the entry of `oldPath` to `newPath` unchanged. Equal paths do nothing. Throws std::runtime_error "Path
    // does not exist {}", "New path URL cannot be empty" or "Path already exists {}" and then changes nothing.
    void replaceUrl(std::string_view oldPath, std::string_view newPath);

  private:
    NodeMap items_;
};

// Callback path items by runtime expression.
class Callback final : public Node {
  public:
    explicit Callback(Node* parent) : Node(parent, NodeType::Callback) {}
    ~Callback() override;

    const OwnedMap<PathItem>& items() const { return items_; }
    PathItem* item(std::string_view expression) const;
    PathItem* addItem(std::string_view expression);
    void removeItem(std::string_view expression);
    void clearItems();

  private:
    OwnedMap<PathItem> items_;
};

}  // namespace zephalon::openapi
