#include "zephalon/openapi_lint/context.h"

#include <filesystem>
#include <utility>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/node.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi_lint/rule.h"

namespace zephalon::openapi_lint {

namespace {

// Where a node stands in the source: the value it was read from, and that value's position as the node keeps it.
struct Source {
    const jv::JV* value = nullptr;
    Pos pos;
};

// The source of the node, or of its nearest ancestor that was read: a node that a fix added, or one the model holds
// whatever the source says, has no place of its own, and its parent is where a reader of the file finds it.
Source sourceOf(const openapi::OpenAPIReadResult* readResult, const openapi::Node* node) {
    if (readResult == nullptr) return {};
    for (; node != nullptr; node = node->parent()) {
        if (const jv::JV* value = readResult->value(node)) return {value, readResult->nodePos(node)};
    }
    return {};
}

}  // namespace

void Context::setReadResult(openapi::OpenAPIReadResult* readResult) {
    readResult_ = readResult;
    pointerTexts_.clear();
    otherFiles_.clear();
    positionBase_ = 0;
    if (readResult != nullptr && readResult->filePath()) {
        if (jv::guessFormat(*readResult->filePath()) == FileFormat::YAML) positionBase_ = 1;
    }
}

openapi::OpenAPI* Context::model() const { return readResult_ == nullptr ? nullptr : readResult_->model(); }

void Context::addIssue(const Rule& rule, std::string_view message, const openapi::Node* node) {
    const Source source = sourceOf(readResult_, node);
    record(rule, message, source.value, source.pos);
}

void Context::addIssue(const Rule& rule, std::string_view message, const jv::JV* value) {
    record(rule, message, value, Pos{});
}

void Context::record(const Rule& rule, std::string_view message, const jv::JV* value, Pos pos) {
    Issue issue;
    issue.setFile(file_);
    issue.setSeverity(rule.severity());
    issue.setRuleId(rule.sharedId());
    auto kept = messages_.find(message);
    if (kept == messages_.end()) {
        auto text = std::make_shared<const std::string>(message);
        // Keyed by the kept text itself, which lives as long as the entry.
        kept = messages_.emplace(*text, text).first;
    }
    issue.setMessage(kept->second);
    if (value != nullptr && recordPointers_) issue.setJsonPointer(pointerTexts_.of(*value));
    place(issue, value, pos);
    issue.setAutoFixable(rule.autoFixable());
    result_.addIssue(std::move(issue));
}

const openapi::Node* Context::nearestNode(const jv::JV* value) const {
    if (readResult_ == nullptr) return nullptr;
    for (; value != nullptr; value = value->parent()) {
        if (const openapi::Node* node = readResult_->nodeOf(value)) return node;
    }
    return nullptr;
}

void Context::setPos(Issue& issue, const openapi::Node* node) const {
    const Source source = sourceOf(readResult_, node);
    place(issue, source.value, source.pos);
}

void Context::place(Issue& issue, const jv::JV* value, Pos pos) const {
    int base = positionBase_;
    // In a document split over several files a finding belongs to the file its value was read from, and its
    // position counts as that file's format does.
    if (readResult_ != nullptr && readResult_->isMultiFile() && value != nullptr) {
        std::optional<std::filesystem::path> file = readResult_->sourceFile(value);
        if (file && file != readResult_->filePath()) {
            auto [known, added] = otherFiles_.try_emplace(*file);
            if (added) {
                known->second = std::make_shared<const std::string>(
                    std::filesystem::weakly_canonical(std::filesystem::absolute(*file)).string());
            }
            issue.setFile(known->second);
            base = jv::guessFormat(*file) == FileFormat::YAML ? 1 : 0;
        } else {
            issue.setFile(file_);
        }
    }
    if (!pos.known()) {
        // YAML scalars carry no position; the nearest enclosing collection does.
        const jv::JV* placed = value;
        while (placed != nullptr && !placed->pos.known()) placed = placed->parent();
        if (placed == nullptr) {
            issue.setLine(-1);
            issue.setColumn(-1);
            return;
        }
        pos = placed->pos;
    }
    issue.setLine(static_cast<std::int64_t>(pos.line) + base);
    issue.setColumn(static_cast<std::int64_t>(pos.column) + base);
}

std::string Context::nodeToJsonPointer(const openapi::Node* node) const {
    const jv::JV* value = sourceOf(readResult_, node).value;
    return value != nullptr ? value->pointer() : std::string();
}

}  // namespace zephalon::openapi_lint
