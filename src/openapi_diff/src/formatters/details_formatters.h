#pragma once

#include "../formatter.h"

namespace zephalon::openapi_diff {

// Every change of a DetailedReport, in the order found, with its position, severity and description.

// One line per change: "<file>:<line>:<column>: [<severity>] <description>".
class UnixDetailsFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// One line per change: "<file>(<line>,<column>): <severity>: <description>.".
class VisualStudioDetailsFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// The destination file, then a table of position, severity and description.
class StylishDetailsFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// An array of objects with "type", "severity", "target", "config_key", "key" or "index" when the change has one,
// "line" and "column".
class JSONDetailsFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// One list item per change.
class MarkdownDetailsFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// A page with the counts and a table of the changes.
class HTMLDetailsFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

}  // namespace zephalon::openapi_diff
