#include "status_formatters.h"

#include <fmt/ostream.h>

#include "formatting.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"

namespace zephalon::openapi_diff {
namespace {

void writeDescription(std::ostream& out, const Report& report) {
    fmt::print(out, "{}\n", severityDescription(report.highestSeverity()));
}

}  // namespace

void StylishStatusFormatter::format(const Report& report) { writeDescription(out(), report); }

void UnixStatusFormatter::format(const Report& report) { writeDescription(out(), report); }

void VisualStudioStatusFormatter::format(const Report& report) { writeDescription(out(), report); }

void JSONStatusFormatter::format(const Report& report) {
    jv::JVDoc doc(std::make_unique<jv::JV>(jv::JV::ObjectTag{}));
    doc.root()->setStringProperty("status", severityToString(report.highestSeverity()));
    jv::writeStream(doc, out(), FileFormat::JSON);
}

void MarkdownStatusFormatter::format(const Report& report) {
    renderTemplate(out(), "markdown_status.jinja", {{"severity", severityDescription(report.highestSeverity())}});
}

void HTMLStatusFormatter::format(const Report& report) {
    renderTemplate(out(), "html_status.jinja",
                   {{"title", "Status report"}, {"description", severityDescription(report.highestSeverity())}});
}

}  // namespace zephalon::openapi_diff
