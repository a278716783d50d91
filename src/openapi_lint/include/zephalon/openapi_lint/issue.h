#pragma once

// The findings of a lint run: one Issue per finding, collected in a Result with running counts.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

namespace zephalon::openapi_lint {

enum class Severity { Warning = 0, Error = 1 };

// "warning" or "error".
std::string_view severityToString(Severity severity);
// "error"/"err" and "warning"/"warn"; anything else throws std::runtime_error "Invalid severity".
Severity severityFromString(std::string_view text);

// One finding. Positions are 1-based; -1 means unknown.
class Issue {
  public:
    // A text that many findings carry alike (a rule's id, a document's path, a message): shared instead of copied
    // into each.
    using SharedText = std::shared_ptr<const std::string>;

    const std::string& ruleId() const { return text(ruleId_); }
    Severity severity() const { return severity_; }
    // The canonical absolute path of the document.
    const std::string& file() const { return text(file_); }
    std::int64_t line() const { return line_; }
    std::int64_t column() const { return column_; }
    // The JSON Pointer of the offending value in the source document ("" for the root).
    const std::string& jsonPointer() const { return jsonPointer_; }
    const std::string& message() const { return text(message_); }
    bool autoFixable() const { return autoFixable_; }

    bool hasPos() const { return line_ != -1; }

    void setRuleId(std::string ruleId) { ruleId_ = std::make_shared<const std::string>(std::move(ruleId)); }
    void setRuleId(SharedText ruleId) { ruleId_ = std::move(ruleId); }
    void setSeverity(Severity severity) { severity_ = severity; }
    void setFile(std::string file) { file_ = std::make_shared<const std::string>(std::move(file)); }
    void setFile(SharedText file) { file_ = std::move(file); }
    void setLine(std::int64_t line) { line_ = line; }
    void setColumn(std::int64_t column) { column_ = column; }
    void setJsonPointer(std::string pointer) { jsonPointer_ = std::move(pointer); }
    void setMessage(std::string message) { message_ = std::make_shared<const std::string>(std::move(message)); }
    void setMessage(SharedText message) { message_ = std::move(message); }
    void setAutoFixable(bool autoFixable) { autoFixable_ = autoFixable; }

  private:
    static const std::string& text(const SharedText& shared) {
        static const std::string empty;
        return shared != nullptr ? *shared : empty;
    }

    SharedText ruleId_;
    Severity severity_ = Severity::Warning;
    SharedText file_;
    std::int64_t line_ = -1;
    std::int64_t column_ = -1;
    std::string jsonPointer_;
    SharedText message_;
    bool autoFixable_ = false;
};

// The issues of a result, in the order they were added. They stay where they were put: a run with a hundred thousand
// findings would otherwise move them all again each time the list outgrew its memory, and ask the system for twice
// the memory they need.
using Issues = std::deque<Issue>;

class Result {
  public:
    explicit Result(unsigned maxWarnings = 0) : maxWarnings_(maxWarnings) {}

    // Appends the issue and counts it by severity (and as fixable when it is).
    void addIssue(Issue issue);

    // An error, or at least `maxWarnings` warnings when that limit is above 0 (0 sets no limit on warnings).
    bool isFailure() const;

    unsigned maxWarnings() const { return maxWarnings_; }
    // In the order they were added.
    const Issues& issues() const { return issues_; }
    unsigned errorCount() const { return errorCount_; }
    unsigned warningCount() const { return warningCount_; }
    unsigned fixableErrorCount() const { return fixableErrorCount_; }
    unsigned fixableWarningCount() const { return fixableWarningCount_; }

  private:
    unsigned maxWarnings_;
    Issues issues_;
    unsigned errorCount_ = 0;
    unsigned warningCount_ = 0;
    unsigned fixableErrorCount_ = 0;
    unsigned fixableWarningCount_ = 0;
};

}  // namespace zephalon::openapi_lint
