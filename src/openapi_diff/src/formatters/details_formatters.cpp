#include "details_formatters.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include "../reports/detailed_report.h"
#include "formatting.h"
#include "zephalon/foundation/markup.h"

namespace zephalon::openapi_diff {
namespace {

const DetailedReport& detailedReport(const Report& report) { return dynamic_cast<const DetailedReport&>(report); }

// The counts and the changes, for the markup formats; `escape` makes document text safe for the format.
nlohmann::json templateData(const Report& report, Escape escape) {
    nlohmann::json changes = nlohmann::json::array();
    for (const Change& change : detailedReport(report).changes()) {
        changes.push_back({{"class", severityToClassName(change.severity)},
                           {"severity", severityToString(change.severity)},
                           {"description", describeChange(change, escape)},
                           {"line", change.pos.line},
                           {"column", change.pos.column},
                           {"file", escape(change.file)}});
    }
    return {{"title", "Detailed report"}, {"counts", templateCounts(report)}, {"changes", std::move(changes)}};
}

}  // namespace

void UnixDetailsFormatter::format(const Report& report) {
    const FileLabels files(report);
    std::string text;
    for (const Change& change : detailedReport(report).changes()) {
        fmt::format_to(std::back_inserter(text), "{}:{}:{}: [{}] {}\n", files.of(change), change.pos.line,
                       change.pos.column, severityToString(change.severity), describeChange(change, lineText));
    }
    fmt::print(out(), "{}", text);
}

void VisualStudioDetailsFormatter::format(const Report& report) {
    const FileLabels files(report);
    std::string text;
    for (const Change& change : detailedReport(report).changes()) {
        fmt::format_to(std::back_inserter(text), "{}({},{}): {}: {}.\n", files.of(change), change.pos.line,
                       change.pos.column, severityToString(change.severity), describeChange(change, lineText));
    }
    fmt::print(out(), "{}", text);
}

void StylishDetailsFormatter::format(const Report& report) {
    StylishTable table;
    for (const Change& change : detailedReport(report).changes()) {
        table.row(change.pos, change.severity, describeChange(change, lineText) + inFile(change.file, lineText));
    }
    table.write(out(), report.destFile());
}

void JSONDetailsFormatter::format(const Report& report) {
    nlohmann::ordered_json changes = nlohmann::ordered_json::array();
    for (const Change& change : detailedReport(report).changes()) {
        nlohmann::ordered_json entry{{"type", changeTypeToString(change.type)},
                                     {"severity", severityToString(change.severity)},
                                     {"target", targetToString(change.target())},
                                     {"config_key", configKeyToPropertyName(change.configKey)}};
        if (!change.key.empty()) entry["key"] = change.key;
        if (change.hasIndex()) entry["index"] = change.index;
        if (!change.file.empty()) entry["file"] = change.file;
        entry["line"] = change.pos.line;
        entry["column"] = change.pos.column;
        changes.push_back(std::move(entry));
    }
    writeJson(out(), changes);
}

void MarkdownDetailsFormatter::format(const Report& report) {
    renderTemplate(out(), "markdown_details.jinja", templateData(report, escapeMarkdown));
}

void HTMLDetailsFormatter::format(const Report& report) {
    renderTemplate(out(), "html_details.jinja", templateData(report, toMarkupText));
}

}  // namespace zephalon::openapi_diff
