#pragma once

#include "../formatter.h"

namespace zephalon::openapi_diff {

// The line-oriented families print the description of the highest severity ("Breaking changes") on one line.
class StylishStatusFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

class UnixStatusFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

class VisualStudioStatusFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// {"status": "<severity>"}.
class JSONStatusFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// "## Severity" and the description.
class MarkdownStatusFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// A page with the description as its heading.
class HTMLStatusFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

}  // namespace zephalon::openapi_diff
