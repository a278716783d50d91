#pragma once

// The report formatters. Each writes the findings of a Context, grouped and ordered by sortIssues.

#include "zephalon/openapi_lint/formatter.h"

namespace zephalon::openapi_lint {

// Per file: the path, then one aligned line per finding with colours; a summary with counts at the end.
class StylishFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
};

// "path: line L, col C, Error - message. (rule)" lines and a count of problems.
class CompactFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
};

// "path:L:C: message. [Error/rule]" lines, as compilers print them, and a count of problems.
class UnixFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
};

// "path(L,C): error rule : message." lines, as the Visual Studio error list reads them.
class VisualStudioFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
};

// A JSON array with one object per file and its messages.
class JSONFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
    bool showsPointers() const override { return true; }
};

// The Test Anything Protocol: one failed test per file, with a YAML block of its findings.
class TAPFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
};

// SARIF 2.1.0, the exchange format of code-scanning services.
class SarifFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
    bool showsPointers() const override { return true; }
};

// Workflow commands that CI annotates the changed files with: one "::error" or "::warning" line per finding.
class GithubFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
};

// Checkstyle XML, which most CI servers read.
class CheckstyleFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
};

// JUnit XML: a test suite per file and a failed test per finding.
class JUnitFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
};

// A stand-alone HTML page with the counts and a table per file.
class HTMLFormatter : public Formatter {
  public:
    using Formatter::Formatter;
    void format(const Context& context) override;
};

}  // namespace zephalon::openapi_lint
