#pragma once

// Servers and the variables that their url templates name.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/openapi/node.h"

namespace zephalon::openapi {

class ServerVariable final : public Node {
  public:
    explicit ServerVariable(Node* parent) : Node(parent, NodeType::ServerVariable) {}

    // Allowed values in document order.
    const std::vector<std::string>& enumValues() const { return enum_; }
    bool hasEnum(std::string_view value) const;
    void addEnum(std::string value);
    void removeEnumAt(std::size_t index);
    void clearEnum() { enum_.clear(); }

    const std::string& defaultValue() const { return default_; }
    void setDefaultValue(std::string value) { default_ = std::move(value); }

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

  private:
    std::vector<std::string> enum_;
    std::string default_;
    std::optional<std::string> description_;
};

// The variables of a server always match the "{name}" placeholders of its url.
class Server final : public Node {
  public:
    // Throws std::runtime_error for a malformed url template (see updateVariables).
    Server(Node* parent, std::string url);
    ~Server() override;

    const std::string& url() const { return url_; }
    // Changes the url and its variables together; on failure neither changes.
    void setUrl(std::string url);

    const std::optional<std::string>& description() const { return description_; }
    void setDescription(std::string description) { description_ = std::move(description); }
    void removeDescription() { description_.reset(); }

    const OwnedMap<ServerVariable>& variables() const { return variables_; }
    ServerVariable* variable(std::string_view name) const;

    // The url with each placeholder replaced by its variable's default, in one pass over the url: a default that
    // holds a placeholder is written as it stands.
    std::string defaultUrl() const;

    // Rebuilds the variable map from the placeholders of `url`, keeping the settings of variables whose names remain
    // and dropping the others. Throws std::runtime_error "Empty variable name" or "Duplicate server variable name: "
    // plus the name, leaving the variables unchanged.
    void updateVariables(std::string_view url);

  private:
    std::string url_;
    std::optional<std::string> description_;
    OwnedMap<ServerVariable> variables_;
};

}  // namespace zephalon::openapi
