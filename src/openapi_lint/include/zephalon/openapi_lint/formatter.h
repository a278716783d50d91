#pragma once

// Report formatters: each turns the findings of a run into one kind of text on its output stream.

#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zephalon::openapi_lint {

class Context;
class Issue;
class Result;

class Formatter {
  public:
    explicit Formatter(std::ostream& out) : out_(out) {}
    Formatter(const Formatter&) = delete;
    Formatter& operator=(const Formatter&) = delete;
    virtual ~Formatter() = default;

    // Writes the report of every issue in the context's result.
    virtual void format(const Context& context) = 0;
    // Whether the report prints the issues' JSON Pointers; the linter records them only when someone reads them.
    virtual bool showsPointers() const { return false; }

  protected:
    std::ostream& out() const { return out_; }

  private:
    std::ostream& out_;
};

// The issues of a result grouped by file (files in byte-wise order), each group holding indices into
// `result.issues()` ordered by line and then column; issues without a position come last, and issues at the same
// place keep the order in which they were found.
std::map<std::string, std::vector<std::size_t>> sortIssues(const Result& result);

// The documentation page of a rule.
std::string ruleDocUrl(std::string_view ruleId);

}  // namespace zephalon::openapi_lint
