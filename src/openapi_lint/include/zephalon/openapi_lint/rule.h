#pragma once

// Rules and rule sets.
//
// A rule checks one thing over a whole document and reports each finding through its context:
//
//     class PathsMaxCount : public Rule {
//       public:
//         static constexpr std::string_view Id = "paths-max-count";
//         explicit PathsMaxCount(Severity severity) : Rule(Id, severity) {}
//         void run(Context& context) override;
//     };
//
// A rule that looks at nodes of many kinds overrides `createHandler` instead of `run`: the linter walks each document
// once and hands every node to the handlers of all such rules, so that forty rules cost one walk, not forty.
//
// A rule set is a named list of rule ids with their severities and options; configurations extend rule sets.

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/jv/jv.h"
#include "zephalon/openapi_lint/issue.h"

namespace zephalon::openapi {
class Node;
class NodeVisitHandler;
}  // namespace zephalon::openapi

namespace zephalon::openapi_lint {

class Context;

// An option value that a rule cannot use.
class RuleConfigurationError : public std::runtime_error {
  public:
    explicit RuleConfigurationError(const std::string& message) : std::runtime_error(message) {}
};

class Rule {
  public:
    Rule(std::string_view id, Severity severity) : id_(std::make_shared<const std::string>(id)), severity_(severity) {}
    Rule(const Rule&) = delete;
    Rule& operator=(const Rule&) = delete;
    virtual ~Rule() = default;

    // Whether `autoFix` can repair what `run` reports.
    virtual bool autoFixable() const { return false; }
    // Options from the configuration; throws RuleConfigurationError for a value the rule cannot use. The base
    // ignores them.
    virtual void setOptions(const jv::JV& options);
    // The handler that checks the nodes of the context's document, reporting through `context.addIssue`; it lives
    // for one walk. Null (the base) for a rule that checks the document in `run`.
    virtual std::unique_ptr<openapi::NodeVisitHandler> createHandler(Context& context);
    // Checks the context's document and reports through `context.addIssue`. The base walks the document with the
    // rule's handler.
    virtual void run(Context& context);
    // Repairs the context's model in place. Returns whether it changed anything: a document is only written back
    // when some fix changed it.
    virtual bool autoFix(Context& context);

    const std::string& id() const { return *id_; }
    // The id as the rule's findings share it.
    const Issue::SharedText& sharedId() const { return id_; }
    Severity severity() const { return severity_; }
    void setSeverity(Severity severity) { severity_ = severity; }

    // Whether a document switched this rule off at the node: the node or one of its ancestors lists the rule's id
    // in its "x-zephalon-lint-disable" or "x-lint-disable" extension. The overloads ask for each node in turn.
    bool isDisabled(const openapi::Node* node) const;
    bool isDisabled(const openapi::Node* first, const openapi::Node* second) const;
    bool isDisabled(const openapi::Node* first, const openapi::Node* second, const openapi::Node* third) const;
    // Whether an extension value is an array holding the string `id`.
    static bool isDisabled(const jv::JV& list, std::string_view id);

  protected:
    void addIssue(Context& context, std::string_view message, const openapi::Node* node) const;
    void addIssue(Context& context, std::string_view message, const jv::JV* value) const;

  private:
    Issue::SharedText id_;
    Severity severity_;
};

class Ruleset {
  public:
    struct Entry {
        std::string ruleId;
        Severity severity;
        // Null when the rule keeps its defaults.
        std::unique_ptr<jv::JV> options;
    };

    explicit Ruleset(std::string_view id) : id_(id) {}
    virtual ~Ruleset() = default;

    const std::string& id() const { return id_; }
    // In the order they were added.
    const std::vector<Entry>& rules() const { return rules_; }

    void addRule(std::string_view ruleId, Severity severity);
    void addRule(std::string_view ruleId, Severity severity, std::unique_ptr<jv::JV> options);

  private:
    std::string id_;
    std::vector<Entry> rules_;
};

}  // namespace zephalon::openapi_lint
