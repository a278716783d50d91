#include "zephalon/openapi_lint/context.h"

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/node.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi_lint/rule.h"

namespace zephalon::openapi_lint {

namespace {

// The value the node was read from, or that of its nearest ancestor that was read: a node that a fix added has no
// source of its own, and its parent is where a reader of the file finds it.
const jv::JV* sourceValue(const openapi::OpenAPIReadResult* readResult, const openapi::Node* node) {
    if (readResult == nullptr) return nullptr;
    for (; node != nullptr; node = node->parent()) {
        if (const jv::JV* value = readResult->value(node)) return value;
    }
    return nullptr;
}

}  // namespace

void Context::setReadResult(openapi::OpenAPIReadResult* readResult) {
    readResult_ = readResult;
    positionBase_ = 0;
    if (readResult != nullptr && readResult->filePath()) {
        if (jv::guessFormat(*readResult->filePath()) == FileFormat::YAML) positionBase_ = 1;
    }
}

openapi::OpenAPI* Context::model() const { return readResult_ == nullptr ? nullptr : readResult_->model(); }

void Context::addIssue(const Rule& rule, std::string message, const openapi::Node* node) {
    Issue issue;
    issue.setFile(file_);
    issue.setSeverity(rule.severity());
    issue.setRuleId(rule.id());
    issue.setMessage(std::move(message));
    issue.setJsonPointer(nodeToJsonPointer(node));
    setPos(issue, node);
    issue.setAutoFixable(rule.autoFixable());
    result_.addIssue(issue);
}

void Context::setPos(Issue& issue, const openapi::Node* node) const {
    const jv::JV* value = sourceValue(readResult_, node);
    // YAML scalars carry no position; the collection that holds them does.
    while (value != nullptr && !value->pos.known()) value = value->parent();
    if (value == nullptr) {
        issue.setLine(-1);
        issue.setColumn(-1);
        return;
    }
    issue.setLine(static_cast<std::int64_t>(value->pos.line) + positionBase_);
    issue.setColumn(static_cast<std::int64_t>(value->pos.column) + positionBase_);
}

std::string Context::nodeToJsonPointer(const openapi::Node* node) const {
    const jv::JV* value = sourceValue(readResult_, node);
    return value == nullptr ? std::string() : value->pointer();
}

}  // namespace zephalon::openapi_lint
