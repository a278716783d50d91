#pragma once

// The state of one comparison. Comparisons walk both documents in parallel, open a scope for every nested object
// and container entry they descend into, and report the node's own presence, its properties and its extensions
// into the innermost open scope. Closing a scope classifies what was collected in it and hands the result to the
// scope below, or to the report once the outermost scope closes.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "configuration.h"
#include "node_diff_config.h"
#include "report.h"
#include "zephalon/jv/jv.h"
#include "zephalon/number/number.h"
#include "zephalon/openapi/node.h"
#include "zephalon/openapi/schema.h"
#include "zephalon/openapi_diff/change.h"

namespace zephalon::openapi {
class OpenAPIReadResult;
class SchemaDialect;
class SchemaFormat;
}  // namespace zephalon::openapi

namespace zephalon::openapi_diff {

// A change collected in a scope. Its option may still be "nested" (for the scope's own change, until the scope
// closes).
struct ScopeChange {
    ChangeType type = ChangeType::none;
    Option option = Option::none;
    ConfigKey configKey = ConfigKey::openapi_openapi;
    const openapi::Node* node = nullptr;
    std::string key;
    std::uint64_t index = Change::kNoIndex;
    Pos pos;
    std::string file;
    // The option depends on the new value of a boolean property recorded directly in this scope (such as a new
    // parameter's `required: true`); such a change may raise the option of an added or removed item.
    bool conditional = false;
    // Stands for changes inside a node that were reported in detail elsewhere, or for the content of an item that
    // has no inner changes to show: it takes part in classifying the scopes it passes through but never reaches the
    // report.
    bool hidden = false;
};

// One nested object or container entry being compared.
struct Scope {
    ConfigKey configKey = ConfigKey::openapi_openapi;
    // The entry's map key or list index, when the scope stands for an entry.
    std::optional<std::string> key;
    std::uint64_t index = Change::kNoIndex;
    const openapi::Node* source = nullptr;
    const openapi::Node* dest = nullptr;
    // The pair of nodes whose own change was emitted in this scope (the entry itself rather than its owners).
    const openapi::Node* selfSource = nullptr;
    const openapi::Node* selfDest = nullptr;
    std::vector<ScopeChange> changes;

    bool isEntry() const { return key.has_value() || index != Change::kNoIndex; }
};

class ContextImpl;

// Closes the scope that Context::enterScope opened.
class [[nodiscard]] ContextScopeGuard {
  public:
    explicit ContextScopeGuard(ContextImpl& context);
    ContextScopeGuard(const ContextScopeGuard&) = delete;
    ContextScopeGuard& operator=(const ContextScopeGuard&) = delete;
    ~ContextScopeGuard();

  private:
    ContextImpl& context_;
    int exceptions_;
};

// Ends the comparison of a pair of nodes that Context::beginPair started.
class [[nodiscard]] PairGuard {
  public:
    PairGuard(ContextImpl* context, bool compare, std::size_t firstChange);
    PairGuard(const PairGuard&) = delete;
    PairGuard& operator=(const PairGuard&) = delete;
    ~PairGuard();

    // Whether the caller is to compare the pair; when not, whatever the pair stands for is already recorded.
    bool compare() const { return compare_; }

  private:
    // Set while a shared pair is being compared, so that the result is remembered.
    ContextImpl* context_;
    bool compare_;
    std::size_t firstChange_;
    int exceptions_;
};

class Context {
  public:
    Context(const Configuration& config, Report& report);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // The documents compared; their file names go to the report, and changes take their positions from them.
    void setSource(const openapi::OpenAPIReadResult& source);
    void setDest(const openapi::OpenAPIReadResult& dest);

    const Configuration& config() const;
    Report& report() const;
    // The number of open scopes.
    std::size_t depth() const;

    // Opens a scope for a nested object (key and index absent) or for a container entry.
    ContextScopeGuard enterScope(const openapi::Node* source, const openapi::Node* dest, ConfigKey configKey);
    ContextScopeGuard enterScope(const openapi::Node* source, const openapi::Node* dest, ConfigKey configKey,
                                 std::uint64_t index);
    ContextScopeGuard enterScope(const openapi::Node* source, const openapi::Node* dest, ConfigKey configKey,
                                 std::string_view key);

    // Records the presence of the current scope's node: added when only `dest` exists, removed when only `source`
    // does, modified when both do, nothing when neither. Needs an open scope. A node that stands for an entry of a
    // container (the scope has a key or an index, or its rule is a container's) takes the container's item rule.
    void emitSelf(const openapi::Node* source, const openapi::Node* dest);

    // Starts comparing a pair of nodes in the current scope, which the caller opened for it; the comparison's own
    // change must be the first thing it records. A pair in which either node is shared through references is
    // compared once: see pair_memo.h. Needs an open scope.
    PairGuard beginPair(const openapi::Node* source, const openapi::Node* dest);

    // Keeps the current item in the report although nothing inside it changed: for an item whose emptiness is what
    // it says (a security requirement without schemes makes authentication optional).
    void keepItem();

    // Property changes. Add and Remove report the value when it is present (a flag when it differs from its
    // default); Modify reports a removal, an addition or a modification, or nothing when the values are equal.
    // `node` is the node that holds the property: the destination node, or the source node for Remove.
    void maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const std::optional<std::string>& value);
    void maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const std::optional<std::string>& value);
    void maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, const std::optional<std::string>& oldValue,
                                 const std::optional<std::string>& newValue);
    void maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const std::string& value);
    void maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const std::string& value);
    void maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, const std::string& oldValue,
                                 const std::string& newValue);
    // Flags: the new value (for Remove, the removed one) selects the conditional rules.
    void maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, bool value, bool defaultValue);
    void maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, bool value, bool defaultValue);
    void maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, bool oldValue, bool newValue);
    // Free-form values compare structurally; null is absent.
    void maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const jv::JV* value);
    void maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const jv::JV* value);
    void maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, const jv::JV* oldValue,
                                 const jv::JV* newValue);
    void maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const std::optional<std::uint64_t>& value);
    void maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const std::optional<std::uint64_t>& value);
    void maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, const std::optional<std::uint64_t>& oldValue,
                                 const std::optional<std::uint64_t>& newValue);
    void maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const std::optional<number::Number>& value);
    void maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const std::optional<number::Number>& value);
    void maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node,
                                 const std::optional<number::Number>& oldValue,
                                 const std::optional<number::Number>& newValue);
    void maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node,
                              const std::optional<openapi::NumericBound>& value);
    void maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node,
                                 const std::optional<openapi::NumericBound>& value);
    void maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node,
                                 const std::optional<openapi::NumericBound>& oldValue,
                                 const std::optional<openapi::NumericBound>& newValue);
    // Registered dialects and formats compare by identity; null is absent.
    void maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const openapi::SchemaDialect* value);
    void maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const openapi::SchemaDialect* value);
    void maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, const openapi::SchemaDialect* oldValue,
                                 const openapi::SchemaDialect* newValue);
    void maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const openapi::SchemaFormat* value);
    void maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const openapi::SchemaFormat* value);
    void maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, const openapi::SchemaFormat* oldValue,
                                 const openapi::SchemaFormat* newValue);
    // Any other pointer would silently turn into a flag.
    void maybeEmitPropertyAdd(ConfigKey, const openapi::Node*, const void*) = delete;
    void maybeEmitPropertyAdd(ConfigKey, const openapi::Node*, const void*, bool) = delete;
    void maybeEmitPropertyRemove(ConfigKey, const openapi::Node*, const void*) = delete;
    void maybeEmitPropertyRemove(ConfigKey, const openapi::Node*, const void*, bool) = delete;
    void maybeEmitPropertyModify(ConfigKey, const openapi::Node*, const void*, const void*) = delete;

    // Extension changes of a node (the destination node, or the source node for a removal).
    void emitExtensionAdded(const openapi::Node* node, std::string_view name);
    void emitExtensionRemoved(const openapi::Node* node, std::string_view name);
    void emitExtensionModified(const openapi::Node* node, std::string_view name);

    // Records a property change of `node`; `value` is the new value of a flag, which selects the conditional rules.
    void propertyChange(const openapi::Node* node, ChangeType type, ConfigKey key,
                        std::optional<bool> value = std::nullopt);
    void extensionChange(ChangeType type, const openapi::Node* node, std::string_view name);

  private:
    std::unique_ptr<ContextImpl> impl_;
};

}  // namespace zephalon::openapi_diff
