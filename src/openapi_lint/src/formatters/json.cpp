#include <ostream>

#include "formatters.h"
#include "report_text.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/jv/json_writer.h"
#include "zephalon/number/number.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

namespace {

void writeMember(jv::JSONWriter& writer, std::string_view key, std::string_view value) {
    writer.writeString(key);
    writer.writeString(value);
}

void writeMember(jv::JSONWriter& writer, std::string_view key, std::uint64_t value) {
    writer.writeString(key);
    writer.writeNumber(number::Number(value));
}

}  // namespace

// Written event by event: the members keep their documented order, which a value tree (sorted by key) would not.
void JSONFormatter::format(const Context& context) {
    const Issues& issues = context.result().issues();
    // The writer opens empty containers over two lines; an empty report is the plain empty array.
    if (issues.empty()) {
        out() << "[]\n";
        return;
    }
    jv::JSONWriter writer;
    writer.writeArrayStart();
    for (const auto& [file, indices] : sortIssues(context.result())) {
        writer.writeObjectStart();
        // A path is bytes; the report is JSON, which holds UTF-8 only.
        writeMember(writer, "filePath", toValidUtf8(file));
        writer.writeString("messages");
        writer.writeArrayStart();
        for (std::size_t index : indices) {
            const Issue& issue = issues[index];
            writer.writeObjectStart();
            writeMember(writer, "line", shownLine(issue));
            writeMember(writer, "column", shownColumn(issue));
            writeMember(writer, "severity", severityToString(issue.severity()));
            writeMember(writer, "rule", issue.ruleId());
            writeMember(writer, "message", issue.message());
            writeMember(writer, "jsonPointer", issue.jsonPointer());
            writer.writeObjectEnd();
        }
        writer.writeArrayEnd();
        writer.writeObjectEnd();
    }
    writer.writeArrayEnd();
    // The writer ends a complete indented document with a line feed.
    out() << writer.toString();
}

}  // namespace zephalon::openapi_lint
