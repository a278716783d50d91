#include <fmt/format.h>

#include <ostream>

#include "formatters.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv/yaml_writer.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

namespace {

// The diagnostic block of one file, members in the order a reader expects them.
std::unique_ptr<jv::JVDoc> diagnostics(const Issues& issues, const std::vector<std::size_t>& indices) {
    auto doc = std::make_unique<jv::JVDoc>(std::make_unique<jv::JV>(jv::JV::ObjectTag{}));
    jv::JV& root = *doc->root();
    std::uint64_t errors = 0;
    for (std::size_t index : indices) {
        if (issues[index].severity() == Severity::Error) ++errors;
    }
    root.setStringProperty("severity", errors > 0 ? "error" : "warning");
    root.setUIntProperty("errorCount", errors);
    root.setUIntProperty("warningCount", indices.size() - errors);
    jv::JV* list = root.setArrayProperty("issues");
    doc->addProps(root, {"severity", "errorCount", "warningCount", "issues"});
    for (std::size_t index : indices) {
        const Issue& issue = issues[index];
        jv::JV* entry = list->addObject();
        if (issue.hasPos()) {
            entry->setIntProperty("line", issue.line());
            entry->setIntProperty("column", issue.column());
            doc->addProps(*entry, {"line", "column"});
        }
        entry->setStringProperty("severity", severityToString(issue.severity()));
        entry->setStringProperty("rule", issue.ruleId());
        entry->setStringProperty("message", issue.message());
        doc->addProps(*entry, {"severity", "rule", "message"});
    }
    return doc;
}

}  // namespace

void TAPFormatter::format(const Context& context) {
    const auto groups = sortIssues(context.result());
    std::string text = fmt::format("TAP version 14\n1..{}\n", groups.size());
    jv::YAMLWriter writer;
    writer.setIndentSize(2);
    for (const auto& [file, indices] : groups) {
        fmt::format_to(std::back_inserter(text), "not ok - {}\n  ---\n", file);
        writer.write(*diagnostics(context.result().issues(), indices));
        std::string_view yaml = writer.toString();
        while (!yaml.empty()) {
            const std::size_t end = yaml.find('\n');
            text += "  ";
            text += yaml.substr(0, end);
            text += '\n';
            yaml = end == std::string_view::npos ? std::string_view{} : yaml.substr(end + 1);
        }
        text += "  ...\n";
    }
    out() << text;
}

}  // namespace zephalon::openapi_lint
