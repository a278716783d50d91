#pragma once

// The lint engine: configured rules run over one document after another, optionally fix what they can, and one
// report covers every document of the run.
//
//     Linter linter(std::cout);
//     linter.setDefaultConfig();                 // or setConfig(the "lint" section of a configuration file)
//     linter.setFormatter("json");
//     for (...) linter.process(*readResult, path);
//     linter.report();

#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "zephalon/jv/jv.h"
#include "zephalon/openapi_lint/context.h"
#include "zephalon/openapi_lint/formatter.h"
#include "zephalon/openapi_lint/rule.h"

namespace zephalon::openapi {
class OpenAPIReadResult;
}

namespace zephalon::openapi_lint {

class Linter {
  public:
    // Reports and configuration notices go to `out`; the formatter is "stylish" until another is set.
    explicit Linter(std::ostream& out);
    ~Linter();
    Linter(const Linter&) = delete;
    Linter& operator=(const Linter&) = delete;

    // Throws std::runtime_error "Formatter not found: <id>" for an unknown id.
    void setFormatter(std::string_view id);
    void setFormatter(std::unique_ptr<Formatter> formatter);
    void setAutoFix(bool autoFix) { autoFix_ = autoFix; }
    // Issues carry their JSON Pointer when the formatter prints it, or always once this is set (a baseline matches
    // findings by it). Set both before processing: a pointer cannot be derived after its document is gone.
    void setKeepPointers(bool keep) { keepPointers_ = keep; }

    // The "recommended" rule set.
    void setDefaultConfig();
    // Applies a "lint" configuration section: "extends" (rule set ids, in order; a later set's entry for a rule
    // replaces an earlier one's) and then "rules" (id -> severity, ["severity", options] or "off"). Null configures
    // nothing. An unknown rule set or rule is noted on the output stream and skipped. A malformed section throws
    // jv::JVError; a malformed rule entry throws RuleConfigurationError naming the rule.
    void setConfig(const jv::JV* lintSection);

    // Lints one document: with auto-fix on, the fixable rules repair the model first and the document is written
    // back to its file (atomically) when a fix changed it; then every rule checks the document. Findings accumulate
    // in the context across documents. `fileName` becomes the canonical absolute path of the issues.
    void process(openapi::OpenAPIReadResult& readResult, const std::string& fileName);
    // As above with the path the document was read from, if any.
    void process(openapi::OpenAPIReadResult& readResult);

    // Prints the findings of every document processed so far. Throws std::logic_error when the formatter prints
    // pointers that were not recorded (it was set after some document was processed).
    void report();

    Context& context() { return context_; }
    const Context& context() const { return context_; }
    // The configured rules by id.
    const std::map<std::string, std::unique_ptr<Rule>, std::less<>>& rules() const { return rules_; }

  private:
    void extendRuleset(std::string_view rulesetId);
    void configureRule(std::string_view ruleId, const jv::JV& value);

    std::ostream& out_;
    Context context_;
    bool autoFix_ = false;
    bool keepPointers_ = false;
    // Set once a document was processed without recording pointers.
    bool pointersLeftOut_ = false;
    std::map<std::string, std::unique_ptr<Rule>, std::less<>> rules_;
    std::unique_ptr<Formatter> formatter_;
};

}  // namespace zephalon::openapi_lint
