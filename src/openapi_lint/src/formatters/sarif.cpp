#include <map>
#include <ostream>

#include "formatters.h"
#include "report_text.h"
#include "zephalon/foundation/strings.h"
#include "zephalon/jv/json_writer.h"
#include "zephalon/number/number.h"
#include "zephalon/openapi_lint/context.h"

namespace zephalon::openapi_lint {

namespace {

// A URI for a path: relative paths become relative references, absolute ones "file://" URIs; each segment is
// percent-encoded.
std::string pathUri(const std::string& path) {
    std::string uri = path.starts_with('/') ? "file://" : "";
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = path.find('/', start);
        uri += urlEncode(std::string_view(path).substr(start, slash - start));
        if (slash == std::string::npos) break;
        uri += '/';
        start = slash + 1;
    }
    return uri;
}

class SarifWriter {
  public:
    void key(std::string_view name) { writer_.writeString(name); }
    void member(std::string_view name, std::string_view value) {
        key(name);
        writer_.writeString(value);
    }
    void member(std::string_view name, std::uint64_t value) {
        key(name);
        writer_.writeNumber(number::Number(value));
    }
    void textMember(std::string_view name, std::string_view text) {
        key(name);
        writer_.writeObjectStart();
        member("text", text);
        writer_.writeObjectEnd();
    }
    jv::JSONWriter& raw() { return writer_; }

  private:
    jv::JSONWriter writer_;
};

}  // namespace

void SarifFormatter::format(const Context& context) {
    const Issues& issues = context.result().issues();
    const auto groups = sortIssues(context.result());

    // The rules that reported something, in id order; results refer to them by index.
    std::map<std::string_view, std::uint64_t> ruleIndex;
    for (const Issue& issue : issues) ruleIndex.emplace(issue.ruleId(), 0);
    std::uint64_t next = 0;
    for (auto& entry : ruleIndex) entry.second = next++;

    SarifWriter w;
    jv::JSONWriter& json = w.raw();
    json.writeObjectStart();
    w.member("$schema", "https://json.schemastore.org/sarif-2.1.0.json");
    w.member("version", "2.1.0");
    w.key("runs");
    json.writeArrayStart();
    json.writeObjectStart();

    w.key("tool");
    json.writeObjectStart();
    w.key("driver");
    json.writeObjectStart();
    w.member("name", "zephalon");
    w.member("version", ZEPHALON_VERSION);
    w.member("informationUri", "https://zephalon.dev");
    w.key("rules");
    json.writeArrayStart();
    for (const auto& [id, index] : ruleIndex) {
        json.writeObjectStart();
        w.member("id", id);
        w.textMember("shortDescription", id);
        w.member("helpUri", ruleDocUrl(id));
        json.writeObjectEnd();
    }
    json.writeArrayEnd();
    json.writeObjectEnd();
    json.writeObjectEnd();

    w.key("results");
    json.writeArrayStart();
    for (const auto& [file, indices] : groups) {
        const std::string uri = pathUri(pathFromWorkingDirectory(file));
        for (std::size_t i : indices) {
            const Issue& issue = issues[i];
            json.writeObjectStart();
            w.member("ruleId", issue.ruleId());
            w.member("ruleIndex", ruleIndex.at(issue.ruleId()));
            w.member("level", severityToString(issue.severity()));
            w.textMember("message", issue.message());
            w.key("locations");
            json.writeArrayStart();
            json.writeObjectStart();
            w.key("physicalLocation");
            json.writeObjectStart();
            w.key("artifactLocation");
            json.writeObjectStart();
            w.member("uri", uri);
            json.writeObjectEnd();
            if (issue.hasPos()) {
                w.key("region");
                json.writeObjectStart();
                w.member("startLine", shownLine(issue));
                w.member("startColumn", shownColumn(issue));
                json.writeObjectEnd();
            }
            json.writeObjectEnd();
            w.key("logicalLocations");
            json.writeArrayStart();
            json.writeObjectStart();
            w.member("fullyQualifiedName", issue.jsonPointer());
            json.writeObjectEnd();
            json.writeArrayEnd();
            json.writeObjectEnd();
            json.writeArrayEnd();
            json.writeObjectEnd();
        }
    }
    json.writeArrayEnd();

    json.writeObjectEnd();
    json.writeArrayEnd();
    json.writeObjectEnd();
    // The writer ends a complete indented document with a line feed.
    out() << json.toString();
}

}  // namespace zephalon::openapi_lint
