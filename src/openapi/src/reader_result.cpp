#include "zephalon/openapi/reader_result.h"

#include <fmt/format.h>

#include <atomic>
#include <ostream>
#include <stdexcept>

#include "zephalon/openapi/node.h"
#include "zephalon/openapi/openapi.h"

namespace zephalon::openapi {

namespace {

// Numbers of mappings, unique in the process, so that a node never mistakes another result's mapping (or a dropped
// one) for the current one. 0 is no mapping's: a node that was never mapped has it. (Four billion mappings in one
// process would make a number come round again.)
std::uint32_t newMappingNumber() {
    static std::atomic<std::uint32_t> last{0};
    std::uint32_t number = ++last;
    while (number == 0) number = ++last;
    return number;
}

}  // namespace

OpenAPIReadResult::OpenAPIReadResult() : mapping_(newMappingNumber()) {}

OpenAPIReadResult::OpenAPIReadResult(std::unique_ptr<jv::JVDoc> doc)
    : doc_(std::move(doc)), mapping_(newMappingNumber()) {}

// The model goes first: its nodes are keys of the maps, and nothing may look them up once they are gone.
OpenAPIReadResult::~OpenAPIReadResult() {
    clearMappings();
    model_.reset();
}

void OpenAPIReadResult::setDoc(std::unique_ptr<jv::JVDoc> doc) {
    clearMappings();
    issues_.clear();
    otherRoots_.clear();
    otherFiles_.clear();
    bundlePlan_ = BundlePlan{};
    doc_ = std::move(doc);
}

void OpenAPIReadResult::setModel(std::unique_ptr<OpenAPI> model) {
    clearMappings();
    model_ = std::move(model);
}

std::unique_ptr<OpenAPI> OpenAPIReadResult::releaseModel() {
    clearMappings();
    return std::move(model_);
}

void OpenAPIReadResult::clearMappings() {
    // The nodes keep their values under the old number, which no result uses again.
    mapped_.clear();
    mapping_ = newMappingNumber();
    valueToNode_.clear();
    valueToNodeBuilt_ = false;
    keyedValues_.clear();
}

void OpenAPIReadResult::addMapping(const Node* node, const jv::JV* value) {
    if (node == nullptr || value == nullptr || node->mapping_ == mapping_) return;
    node->source_ = value;
    node->sourcePos_ = value->pos;
    node->mapping_ = mapping_;
    mapped_.emplace_back(node, value);
    if (valueToNodeBuilt_) indexValue(value, node);
}

void OpenAPIReadResult::addMapping(const Node* node, std::string_view key, const jv::JV* value) {
    if (node == nullptr || value == nullptr) return;
    auto& entries = keyedValues_[node];
    for (auto& entry : entries) {
        if (entry.key == key) {
            entry.value = value;
            return;
        }
    }
    entries.push_back({std::string(key), value});
}

const jv::JV* OpenAPIReadResult::value(const Node* node) const {
    return node != nullptr && node->mapping_ == mapping_ ? node->source_ : nullptr;
}

const jv::JV* OpenAPIReadResult::value(const Node* node, std::string_view key) const {
    auto it = keyedValues_.find(node);
    if (it == keyedValues_.end()) return nullptr;
    for (const auto& entry : it->second) {
        if (entry.key == key) return entry.value;
    }
    return nullptr;
}

Pos OpenAPIReadResult::nodePos(const Node* node) const {
    return node != nullptr && node->mapping_ == mapping_ ? node->sourcePos_ : Pos{};
}

std::optional<std::string> OpenAPIReadResult::jsonPointer(const Node* node) const {
    const jv::JV* found = value(node);
    if (found == nullptr) throw std::out_of_range("Node has no source value");
    return found->pointer();
}

std::optional<std::string> OpenAPIReadResult::jsonPointer(const Node* node, std::string_view key) const {
    if (value(node) == nullptr) throw std::out_of_range("Node has no source value");
    const jv::JV* v = value(node, key);
    if (v == nullptr) return std::nullopt;
    return v->pointer();
}

std::vector<std::string_view> OpenAPIReadResult::propOrder(const Node* node) const {
    const jv::JV* v = value(node);
    const jv::JVDoc* doc = docOf(v);
    if (v == nullptr || doc == nullptr || !v->isObject()) return {};
    return doc->propOrder(*v);
}

std::vector<std::string_view> OpenAPIReadResult::propOrder(const Node* node, std::string_view key) const {
    const jv::JV* v = value(node, key);
    const jv::JVDoc* doc = docOf(v);
    if (v == nullptr || doc == nullptr || !v->isObject()) return {};
    return doc->propOrder(*v);
}

void OpenAPIReadResult::clearPropOrder(const Node* node) {
    const jv::JV* v = value(node);
    const jv::JVDoc* doc = docOf(v);
    if (v == nullptr || doc == nullptr || !v->isObject()) return;
    // The documents own their values; the mapping only holds them read-only.
    const_cast<jv::JVDoc*>(doc)->clearPropOrder(const_cast<jv::JV&>(*v));
}

const jv::JVDoc& OpenAPIReadResult::addOtherFile(std::filesystem::path path, std::unique_ptr<jv::JVDoc> doc) {
    const jv::JVDoc& added = *doc;
    if (doc->root() != nullptr) otherRoots_.emplace(doc->root(), otherFiles_.size());
    otherFiles_.push_back(SourceFile{std::move(path), std::move(doc)});
    return added;
}

const jv::JVDoc* OpenAPIReadResult::docOf(const jv::JV* value) const {
    if (value == nullptr) return nullptr;
    const jv::JV* top = value;
    while (top->parent() != nullptr) top = top->parent();
    if (doc_ != nullptr && top == doc_->root()) return doc_.get();
    auto it = otherRoots_.find(top);
    return it == otherRoots_.end() ? nullptr : otherFiles_[it->second].doc.get();
}

std::optional<std::filesystem::path> OpenAPIReadResult::sourceFile(const jv::JV* value) const {
    if (value == nullptr) return std::nullopt;
    const jv::JV* top = value;
    while (top->parent() != nullptr) top = top->parent();
    if (auto it = otherRoots_.find(top); it != otherRoots_.end()) return otherFiles_[it->second].path;
    if (doc_ != nullptr && top == doc_->root()) return filePath_;
    return std::nullopt;
}

std::optional<std::filesystem::path> OpenAPIReadResult::sourceFile(const Node* node) const {
    for (const Node* n = node; n != nullptr; n = n->parent()) {
        if (const jv::JV* v = value(n)) return sourceFile(v);
    }
    return filePath_;
}

std::optional<std::filesystem::path> OpenAPIReadResult::issueFile(const Issue& issue) const {
    if (issue.value != nullptr) return sourceFile(issue.value);
    return sourceFile(issue.node);
}

namespace {

// YAML scalars carry no position; the nearest enclosing collection does.
Pos enclosingPos(const jv::JV* value) {
    for (const jv::JV* v = value; v != nullptr; v = v->parent()) {
        if (v->pos.known()) return v->pos;
    }
    return Pos{};
}

SourceLocation locationOf(const jv::JV& value) { return SourceLocation{&value, value.pointer(), enclosingPos(&value)}; }

}  // namespace

std::optional<SourceLocation> OpenAPIReadResult::sourceLocation(const Node* node) const {
    const jv::JV* v = value(node);
    if (v == nullptr) return std::nullopt;
    return locationOf(*v);
}

std::optional<SourceLocation> OpenAPIReadResult::sourceLocation(const Node* node, std::string_view property) const {
    const jv::JV* v = value(node);
    if (v == nullptr || !v->isObject()) return std::nullopt;
    const jv::JV* member = v->property(property);
    if (member == nullptr) return std::nullopt;
    return locationOf(*member);
}

Node* OpenAPIReadResult::findNode(std::string_view pointer) const {
    if (doc_ == nullptr) return nullptr;
    return nodeOf(static_cast<const jv::JVDoc&>(*doc_).findNode(pointer));
}

namespace {

std::size_t depth(const Node* node) {
    std::size_t levels = 0;
    for (; node != nullptr; node = node->parent()) ++levels;
    return levels;
}

}  // namespace

void OpenAPIReadResult::indexValue(const jv::JV* value, const Node* node) const {
    if (valueToNode_.insert(value, node)) return;
    // Shared values are rare; the node nearest the root stands for them, whatever order the map holds them in.
    const Node** existing = valueToNode_.find(value);
    if (depth(node) < depth(*existing)) *existing = node;
}

Node* OpenAPIReadResult::nodeOf(const jv::JV* value) const {
    if (value == nullptr) return nullptr;
    if (!valueToNodeBuilt_) {
        valueToNode_.reserve(mapped_.size());
        for (const auto& [n, val] : mapped_) indexValue(val, n);
        valueToNodeBuilt_ = true;
    }
    const Node* const* found = valueToNode_.find(value);
    // Nodes are handed out for editing; the maps hold them read-only.
    return found == nullptr ? nullptr : const_cast<Node*>(*found);
}

void OpenAPIReadResult::dumpMappings(std::ostream& out) const {
    for (const auto& [node, v] : mapped_) {
        out << fmt::format("{}@{} -> {}@{}\n", jv::jvNodeType(*v), static_cast<const void*>(v),
                           nodeTypeToString(node->type()), static_cast<const void*>(node));
    }
}

void OpenAPIReadResult::addIssue(const Node* node, const jv::JV* value, std::string message) {
    issues_.push_back(Issue{node, value, std::move(message)});
}

Pos OpenAPIReadResult::issuePos(const Issue& issue) const {
    if (Pos p = enclosingPos(issue.value); p.known()) return p;
    if (issue.node != nullptr) {
        Pos p = nodePos(issue.node);
        if (p.known()) return p;
    }
    return Pos{};
}

void refuseToOverwrite(const OpenAPIReadResult& result, const std::string& path, std::string_view role) {
    const auto names = [&path](const std::filesystem::path& file) {
        std::error_code ignored;
        return std::filesystem::equivalent(file, path, ignored);
    };
    if (result.filePath() && names(*result.filePath())) {
        throw std::runtime_error(fmt::format("The {} {} is the input document", role, path));
    }
    for (const SourceFile& file : result.otherFiles()) {
        if (names(file.path)) {
            throw std::runtime_error(fmt::format("The {} {} is a file of the input document", role, path));
        }
    }
}

}  // namespace zephalon::openapi
