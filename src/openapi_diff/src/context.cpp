#include "context.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <functional>
#include <span>
#include <utility>

#include "config_key_table.h"
#include "pair_memo.h"
#include "zephalon/foundation/assertions.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi/schema_format.h"

namespace zephalon::openapi_diff {

class ContextImpl {
  public:
    ContextImpl(const Configuration& config, Report& report) : config(config), report(report) {}

    // Where a node is in the document it belongs to, or one member of its object when that member is there;
    // unknown without that document.
    Pos nodePos(const openapi::Node* node, bool inSource, std::string_view member = {}) const {
        const openapi::OpenAPIReadResult* result = inSource ? source : dest;
        if (node == nullptr || result == nullptr) return {};
        std::optional<openapi::SourceLocation> location;
        if (!member.empty()) location = result->sourceLocation(node, member);
        if (!location) location = result->sourceLocation(node);
        return location ? location->pos : Pos{};
    }

    // The file a node stands in when it is not the compared document's own file; empty otherwise.
    std::string nodeFile(const openapi::Node* node, bool inSource) const {
        const openapi::OpenAPIReadResult* result = inSource ? source : dest;
        if (node == nullptr || result == nullptr || !result->isMultiFile()) return {};
        std::optional<std::filesystem::path> file = result->sourceFile(node);
        if (!file || file == result->filePath()) return {};
        return file->string();
    }

    void pushScope(const openapi::Node* sourceNode, const openapi::Node* destNode, ConfigKey configKey,
                   std::optional<std::string> key, std::uint64_t index) {
        Scope& scope = scopes.emplace_back();
        scope.configKey = configKey;
        scope.key = std::move(key);
        scope.index = index;
        scope.source = sourceNode;
        scope.dest = destNode;
    }

    // The node a property removed from `node` was in: `node` itself when it is a source node, else the source node
    // the comparison paired it with (a property removed from a node that is still there is only in the source).
    const openapi::Node* sourceHolder(const openapi::Node* node) const {
        for (auto it = scopes.rbegin(); it != scopes.rend(); ++it) {
            if (it->selfDest == node && it->selfSource != nullptr) return it->selfSource;
        }
        if (source != nullptr && dest != nullptr && node == dest->model()) return source->model();
        return node;
    }

    void popScope();
    // Appends a change that is never reported to the innermost scope.
    void recordHidden(ChangeType type, Option option, bool conditional);
    // Drops the innermost scope with everything it collected (used when a comparison is abandoned by an exception).
    void discardScope() { scopes.pop_back(); }
    void record(ScopeChange change);

    const Configuration& config;
    Report& report;
    const openapi::OpenAPIReadResult* source = nullptr;
    const openapi::OpenAPIReadResult* dest = nullptr;
    std::vector<Scope> scopes;
    PairMemo pairs;

  private:
    void appendToParent(ScopeChange change);
    void closeItem(Scope& scope);
    void summarise(Scope& scope);
};

namespace {

// Only the scope's own change may still be "nested" when it closes; a property or extension whose rule says
// "nested" has nothing inside it to take a severity from.
Option settled(Option option) { return option == Option::nested ? Option::none : option; }

Option highestOption(std::vector<ScopeChange>::const_iterator begin, std::vector<ScopeChange>::const_iterator end) {
    Option highest = Option::none;
    for (auto it = begin; it != end; ++it) highest = std::max(highest, it->option);
    return highest;
}

// The member of the document object that a property key stands for: its name in the rule table, except for the
// schema keywords that are written with a "$".
std::string_view documentMember(ConfigKey key) {
    switch (key) {
        case ConfigKey::schema_dialect:
            return "$schema";
        case ConfigKey::schema_id:
            return "$id";
        case ConfigKey::schema_anchor:
            return "$anchor";
        case ConfigKey::schema_dynamicAnchor:
            return "$dynamicAnchor";
        case ConfigKey::schema_dynamicRef:
            return "$dynamicRef";
        case ConfigKey::schema_vocabulary:
            return "$vocabulary";
        default:
            return configKeyInfo(key).property;
    }
}

bool isSelfType(ChangeType type) {
    return type == ChangeType::added || type == ChangeType::removed || type == ChangeType::modified;
}

}  // namespace

void ContextImpl::record(ScopeChange change) {
    if (scopes.empty()) {
        appendToParent(std::move(change));
    } else {
        scopes.back().changes.push_back(std::move(change));
    }
}

void ContextImpl::appendToParent(ScopeChange change) {
    // Called while the closing scope is still on the stack: the parent is the one below it.
    if (scopes.size() <= 1) {
        if (change.hidden) return;
        Change finished{change.type,
                        nodeDiffConfigOptionToSeverity(change.option),
                        change.configKey,
                        change.node,
                        std::move(change.key),
                        change.index,
                        change.pos,
                        std::move(change.file)};
        report.add(finished);
        return;
    }
    change.conditional = false;
    scopes[scopes.size() - 2].changes.push_back(std::move(change));
}

void ContextImpl::popScope() {
    ZEPHALON_PRECONDITION(!scopes.empty(), "No scope to close");
    Scope& scope = scopes.back();
    if (!scope.changes.empty()) {
        if (isSelfType(scope.changes.front().type)) {
            closeItem(scope);
        } else if (!scope.isEntry()) {
            for (ScopeChange& change : scope.changes) appendToParent(std::move(change));
        } else {
            summarise(scope);
        }
    }
    scopes.pop_back();
}

// The scope's first change is the node's own: it stands for everything inside.
void ContextImpl::closeItem(Scope& scope) {
    std::vector<ScopeChange>& changes = scope.changes;
    // An item without inner changes is not reported.
    if (changes.size() == 1) return;
    ScopeChange& self = changes.front();
    auto inner = changes.begin() + 1;
    if (self.option == Option::nested) self.option = highestOption(inner, changes.end());

    // Inside a new or removed item, nothing affects clients more than the item itself: a new optional parameter
    // does not break anyone because its schema is new too. Only a rule that depends on the new value of one of
    // the item's own flags (a new parameter that is required) can make the item more severe.
    if (self.type == ChangeType::added || self.type == ChangeType::removed) {
        for (auto it = inner; it != changes.end(); ++it) {
            if (it->conditional) self.option = std::max(self.option, it->option);
        }
        for (auto it = inner; it != changes.end(); ++it) {
            if (!it->conditional) it->option = std::min(it->option, self.option);
        }
    }

    if (scope.key) {
        self.type = toKeyType(self.type);
        self.key = *scope.key;
    } else if (scope.index != Change::kNoIndex) {
        self.type = toElementType(self.type);
        self.index = scope.index;
    } else {
        self.type = toPropertyType(self.type);
    }
    if (self.option == Option::none) return;
    self.node = scope.dest != nullptr ? scope.dest : scope.source;
    for (ScopeChange& change : changes) appendToParent(std::move(change));
}

void ContextImpl::recordHidden(ChangeType type, Option option, bool conditional) {
    ZEPHALON_PRECONDITION(!scopes.empty(), "A hidden change needs an open scope");
    ScopeChange change;
    change.type = type;
    change.option = option;
    change.configKey = scopes.back().configKey;
    change.conditional = conditional;
    change.hidden = true;
    scopes.back().changes.push_back(std::move(change));
}

// An entry without a change of its own (a plain value in a list or map) becomes one change of the entry.
void ContextImpl::summarise(Scope& scope) {
    const std::vector<ScopeChange>& changes = scope.changes;
    bool allAdded = std::all_of(changes.begin(), changes.end(), [](const auto& c) { return isAddType(c.type); });
    bool allRemoved = std::all_of(changes.begin(), changes.end(), [](const auto& c) { return isRemoveType(c.type); });
    ChangeType self = allAdded ? ChangeType::added : allRemoved ? ChangeType::removed : ChangeType::modified;

    ScopeChange summary;
    summary.type = scope.key ? toKeyType(self) : toElementType(self);
    summary.option = highestOption(changes.begin(), changes.end());
    summary.configKey = scope.configKey;
    bool inSource = scope.dest == nullptr;
    summary.node = inSource ? scope.source : scope.dest;
    summary.pos = nodePos(summary.node, inSource, documentMember(scope.configKey));
    if (scope.key) summary.key = *scope.key;
    summary.index = scope.index;
    appendToParent(std::move(summary));
}

ContextScopeGuard::ContextScopeGuard(ContextImpl& context)
    : context_(context), exceptions_(std::uncaught_exceptions()) {}

ContextScopeGuard::~ContextScopeGuard() {
    // A comparison abandoned by an exception reports nothing of what it collected.
    if (std::uncaught_exceptions() > exceptions_) {
        context_.discardScope();
    } else {
        context_.popScope();
    }
}

PairGuard::PairGuard(ContextImpl* context, bool compare, std::size_t firstChange)
    : context_(context), compare_(compare), firstChange_(firstChange), exceptions_(std::uncaught_exceptions()) {}

PairGuard::~PairGuard() {
    if (context_ == nullptr) return;
    if (std::uncaught_exceptions() > exceptions_) {
        context_->pairs.abandon();
        return;
    }
    const std::vector<ScopeChange>& changes = context_->scopes.back().changes;
    context_->pairs.end(std::span<const ScopeChange>(changes).subspan(firstChange_));
}

Context::Context(const Configuration& config, Report& report) : impl_(std::make_unique<ContextImpl>(config, report)) {}

Context::~Context() = default;

void Context::setSource(const openapi::OpenAPIReadResult& source) {
    impl_->source = &source;
    if (source.filePath()) impl_->report.setSourceFile(source.filePath()->string());
}

void Context::setDest(const openapi::OpenAPIReadResult& dest) {
    impl_->dest = &dest;
    if (dest.filePath()) impl_->report.setDestFile(dest.filePath()->string());
}

const Configuration& Context::config() const { return impl_->config; }
Report& Context::report() const { return impl_->report; }
std::size_t Context::depth() const { return impl_->scopes.size(); }

ContextScopeGuard Context::enterScope(const openapi::Node* source, const openapi::Node* dest, ConfigKey configKey) {
    impl_->pushScope(source, dest, configKey, std::nullopt, Change::kNoIndex);
    return ContextScopeGuard(*impl_);
}

ContextScopeGuard Context::enterScope(const openapi::Node* source, const openapi::Node* dest, ConfigKey configKey,
                                      std::uint64_t index) {
    impl_->pushScope(source, dest, configKey, std::nullopt, index);
    return ContextScopeGuard(*impl_);
}

ContextScopeGuard Context::enterScope(const openapi::Node* source, const openapi::Node* dest, ConfigKey configKey,
                                      std::string_view key) {
    impl_->pushScope(source, dest, configKey, std::string(key), Change::kNoIndex);
    return ContextScopeGuard(*impl_);
}

void Context::emitSelf(const openapi::Node* source, const openapi::Node* dest) {
    ZEPHALON_PRECONDITION(!impl_->scopes.empty(), "A node's own change needs an open scope");
    if (source == nullptr && dest == nullptr) return;
    Scope& scope = impl_->scopes.back();
    ChangeType type = source == nullptr ? ChangeType::added
                      : dest == nullptr ? ChangeType::removed
                                        : ChangeType::modified;
    NodeDiffConfig config = impl_->config.forNodeProperty(scope.configKey);
    // A nested object under a container's rule (a schema's propertyNames) is classified as the container's item:
    // such a rule sets nothing else.
    bool asItem = scope.isEntry() || configKeyInfo(scope.configKey).kind == PropertyKind::container;
    ScopeChange change;
    change.type = type;
    change.option = config.forType(asItem ? toKeyType(type) : toPropertyType(type));
    change.configKey = scope.configKey;
    bool inSource = type == ChangeType::removed;
    change.node = inSource ? source : dest;
    change.pos = impl_->nodePos(change.node, inSource);
    change.file = impl_->nodeFile(change.node, inSource);
    if (scope.key) change.key = *scope.key;
    scope.changes.push_back(std::move(change));
    scope.selfSource = source;
    scope.selfDest = dest;
}

PairGuard Context::beginPair(const openapi::Node* source, const openapi::Node* dest) {
    ZEPHALON_PRECONDITION(!impl_->scopes.empty(), "A pair is compared in the scope opened for it");
    std::size_t firstChange = impl_->scopes.back().changes.size();
    if (!PairMemo::isShared(source, dest)) return PairGuard(nullptr, true, firstChange);
    PairMemo::Digest digest;
    switch (impl_->pairs.begin(source, dest, digest)) {
        case PairMemo::Verdict::compare:
            return PairGuard(impl_.get(), true, firstChange);
        case PairMemo::Verdict::skip:
            break;
        case PairMemo::Verdict::repeat: {
            emitSelf(source, dest);
            ChangeType type = source == nullptr ? ChangeType::propertyAdded
                              : dest == nullptr ? ChangeType::propertyRemoved
                                                : ChangeType::propertyModified;
            if (digest.hasPlain) impl_->recordHidden(type, digest.plain, false);
            if (digest.hasConditional) impl_->recordHidden(type, digest.conditional, true);
            break;
        }
    }
    return PairGuard(nullptr, false, firstChange);
}

void Context::keepItem() { impl_->recordHidden(ChangeType::propertyModified, Option::none, false); }

void Context::propertyChange(const openapi::Node* node, ChangeType type, ConfigKey key, std::optional<bool> value) {
    NodeDiffConfig config = impl_->config.forNodeProperty(key);
    ScopeChange change;
    change.type = type;
    change.configKey = key;
    change.node = node;
    // The property in the node that holds it (which is more precise than the scope's nodes: for an entry of a
    // container they are the container's owners), or the node when the property is not written out.
    bool removed = type == ChangeType::propertyRemoved;
    change.pos = impl_->nodePos(removed ? impl_->sourceHolder(node) : node, removed, documentMember(key));
    change.file = impl_->nodeFile(removed ? impl_->sourceHolder(node) : node, removed);
    if (impl_->scopes.empty()) {
        change.option = settled(config.forType(type));
        if (change.option == Option::none) return;
        impl_->record(std::move(change));
        return;
    }
    Scope& scope = impl_->scopes.back();
    // The first change of a scope without a change of its own is a plain entry value: it takes the entry's rule.
    if (scope.changes.empty()) {
        change.option = settled(config.forType(toKeyTypeClass(type), value));
    } else {
        change.option = settled(config.forType(type, value));
        change.conditional = value.has_value() && config.isConditional(type);
    }
    scope.changes.push_back(std::move(change));
}

void Context::extensionChange(ChangeType type, const openapi::Node* node, std::string_view name) {
    ZEPHALON_PRECONDITION(node != nullptr, "An extension change needs its node");
    ScopeChange change;
    change.type = type;
    change.option = settled(impl_->config.forNodeExtension(node->type(), name).forType(type));
    if (!impl_->scopes.empty()) change.configKey = impl_->scopes.back().configKey;
    change.node = node;
    change.key = std::string(name);
    change.pos = impl_->nodePos(node, type == ChangeType::extensionRemoved, name);
    change.file = impl_->nodeFile(node, type == ChangeType::extensionRemoved);
    if (impl_->scopes.empty() && change.option == Option::none) return;
    impl_->record(std::move(change));
}

void Context::emitExtensionAdded(const openapi::Node* node, std::string_view name) {
    extensionChange(ChangeType::extensionAdded, node, name);
}

void Context::emitExtensionRemoved(const openapi::Node* node, std::string_view name) {
    extensionChange(ChangeType::extensionRemoved, node, name);
}

void Context::emitExtensionModified(const openapi::Node* node, std::string_view name) {
    extensionChange(ChangeType::extensionModified, node, name);
}

// ---- property comparisons ----

namespace {

template <class T>
bool sameValue(const T& a, const T& b) {
    return a == b;
}

bool sameValue(const openapi::NumericBound& a, const openapi::NumericBound& b) {
    return a.value == b.value && a.exclusive == b.exclusive;
}

bool sameJV(const jv::JV& a, const jv::JV& b) { return a.equal(b); }

// Registered dialects and formats are unique objects.
constexpr auto sameIdentity = [](const auto& a, const auto& b) { return &a == &b; };

// Values held by pointer (null is absent), compared with `equal` when both are present.
template <class T, class Equal>
void emitPointed(Context& context, ConfigKey key, const openapi::Node* node, const T* oldValue, const T* newValue,
                 Equal equal) {
    if (oldValue != nullptr && newValue == nullptr) {
        context.propertyChange(node, ChangeType::propertyRemoved, key);
    } else if (oldValue == nullptr && newValue != nullptr) {
        context.propertyChange(node, ChangeType::propertyAdded, key);
    } else if (oldValue != nullptr && newValue != nullptr && !equal(*oldValue, *newValue)) {
        context.propertyChange(node, ChangeType::propertyModified, key);
    }
}

template <class T>
void emitOptional(Context& context, ConfigKey key, const openapi::Node* node, const std::optional<T>& oldValue,
                  const std::optional<T>& newValue) {
    emitPointed(context, key, node, oldValue ? &*oldValue : nullptr, newValue ? &*newValue : nullptr,
                [](const T& a, const T& b) { return sameValue(a, b); });
}

}  // namespace

void Context::maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const std::optional<std::string>& value) {
    emitOptional<std::string>(*this, key, node, std::nullopt, value);
}
void Context::maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node,
                                      const std::optional<std::string>& value) {
    emitOptional<std::string>(*this, key, node, value, std::nullopt);
}
void Context::maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node,
                                      const std::optional<std::string>& oldValue,
                                      const std::optional<std::string>& newValue) {
    emitOptional(*this, key, node, oldValue, newValue);
}

void Context::maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const std::string& value) {
    emitPointed<std::string>(*this, key, node, nullptr, &value, std::equal_to<>{});
}
void Context::maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const std::string& value) {
    emitPointed<std::string>(*this, key, node, &value, nullptr, std::equal_to<>{});
}
void Context::maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, const std::string& oldValue,
                                      const std::string& newValue) {
    emitPointed(*this, key, node, &oldValue, &newValue, std::equal_to<>{});
}

void Context::maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, bool value, bool defaultValue) {
    if (value != defaultValue) propertyChange(node, ChangeType::propertyAdded, key, value);
}
void Context::maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, bool value, bool defaultValue) {
    if (value != defaultValue) propertyChange(node, ChangeType::propertyRemoved, key, value);
}
void Context::maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, bool oldValue, bool newValue) {
    if (oldValue != newValue) propertyChange(node, ChangeType::propertyModified, key, newValue);
}

void Context::maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const jv::JV* value) {
    emitPointed<jv::JV>(*this, key, node, nullptr, value, sameJV);
}
void Context::maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const jv::JV* value) {
    emitPointed<jv::JV>(*this, key, node, value, nullptr, sameJV);
}
void Context::maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, const jv::JV* oldValue,
                                      const jv::JV* newValue) {
    emitPointed(*this, key, node, oldValue, newValue, sameJV);
}

void Context::maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node,
                                   const std::optional<std::uint64_t>& value) {
    emitOptional<std::uint64_t>(*this, key, node, std::nullopt, value);
}
void Context::maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node,
                                      const std::optional<std::uint64_t>& value) {
    emitOptional<std::uint64_t>(*this, key, node, value, std::nullopt);
}
void Context::maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node,
                                      const std::optional<std::uint64_t>& oldValue,
                                      const std::optional<std::uint64_t>& newValue) {
    emitOptional(*this, key, node, oldValue, newValue);
}

void Context::maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node,
                                   const std::optional<number::Number>& value) {
    emitOptional<number::Number>(*this, key, node, std::nullopt, value);
}
void Context::maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node,
                                      const std::optional<number::Number>& value) {
    emitOptional<number::Number>(*this, key, node, value, std::nullopt);
}
void Context::maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node,
                                      const std::optional<number::Number>& oldValue,
                                      const std::optional<number::Number>& newValue) {
    emitOptional(*this, key, node, oldValue, newValue);
}

void Context::maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node,
                                   const std::optional<openapi::NumericBound>& value) {
    emitOptional<openapi::NumericBound>(*this, key, node, std::nullopt, value);
}
void Context::maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node,
                                      const std::optional<openapi::NumericBound>& value) {
    emitOptional<openapi::NumericBound>(*this, key, node, value, std::nullopt);
}
void Context::maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node,
                                      const std::optional<openapi::NumericBound>& oldValue,
                                      const std::optional<openapi::NumericBound>& newValue) {
    emitOptional(*this, key, node, oldValue, newValue);
}

void Context::maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const openapi::SchemaDialect* value) {
    emitPointed<openapi::SchemaDialect>(*this, key, node, nullptr, value, sameIdentity);
}
void Context::maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const openapi::SchemaDialect* value) {
    emitPointed<openapi::SchemaDialect>(*this, key, node, value, nullptr, sameIdentity);
}
void Context::maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, const openapi::SchemaDialect* oldValue,
                                      const openapi::SchemaDialect* newValue) {
    emitPointed(*this, key, node, oldValue, newValue, sameIdentity);
}

void Context::maybeEmitPropertyAdd(ConfigKey key, const openapi::Node* node, const openapi::SchemaFormat* value) {
    emitPointed<openapi::SchemaFormat>(*this, key, node, nullptr, value, sameIdentity);
}
void Context::maybeEmitPropertyRemove(ConfigKey key, const openapi::Node* node, const openapi::SchemaFormat* value) {
    emitPointed<openapi::SchemaFormat>(*this, key, node, value, nullptr, sameIdentity);
}
void Context::maybeEmitPropertyModify(ConfigKey key, const openapi::Node* node, const openapi::SchemaFormat* oldValue,
                                      const openapi::SchemaFormat* newValue) {
    emitPointed(*this, key, node, oldValue, newValue, sameIdentity);
}

}  // namespace zephalon::openapi_diff
