#pragma once

#include "../formatter.h"

namespace zephalon::openapi_diff {

// A ChangelogReport in order: the metadata, the servers, the added, removed and deprecated operations, and the
// modified operations with what changed in their fields, parameters, request body, responses and security.

// One line per item: "<file>:<line>:<column>: <message>. [<severity>]".
class UnixChangelogFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// One line per item: "<file>(<line>,<column>): <severity>: <message>.".
class VisualStudioChangelogFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// The destination file, then a table of position, severity and message under one heading per section; the
// details of a modified operation are indented under its own row.
class StylishChangelogFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// One object with "metadata", "servers", "added", "removed", "deprecated" and "modified".
class JSONChangelogFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// One section per kind of item; nothing at all without changes.
class MarkdownChangelogFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

// A page with the counts and one section per kind of item.
class HTMLChangelogFormatter : public BasicFormatter {
  public:
    using BasicFormatter::BasicFormatter;
    void format(const Report& report) override;
};

}  // namespace zephalon::openapi_diff
