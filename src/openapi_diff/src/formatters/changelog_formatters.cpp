#include "changelog_formatters.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <array>
#include <cstdint>
#include <vector>

#include "../reports/changelog_report.h"
#include "formatting.h"
#include "zephalon/foundation/markup.h"
#include "zephalon/foundation/strings.h"

namespace zephalon::openapi_diff {
namespace {

const ChangelogReport& changelogReport(const Report& report) { return dynamic_cast<const ChangelogReport&>(report); }

// The kinds of line a changelog is made of, in the order of the message table below.
enum class Item : std::uint8_t {
    metadata,
    serverAdded,
    serverRemoved,
    serverModified,
    operationAdded,
    operationRemoved,
    operationDeprecated,
    operationModified,
    operationFields,
    parameterAdded,
    parameterRemoved,
    parameterModified,
    requestBody,
    responseAdded,
    responseRemoved,
    responseModified,
    security,
};

// The message of each kind of line per family. {0} and {1} are the item's subject (method, parameter name, response
// code, server URL) and its place (path, parameter location); {2} is the severity.
struct Messages {
    std::string_view stylishText;
    std::string_view unixText;
    std::string_view visualStudioText;
};

constexpr std::array<Messages, 17> kMessages{{
    {"Metadata changed", "Metadata changed [{2}].", "Metadata changed."},
    {"Added server {0}", "Server added {0}. [{2}]", "Added server {0}."},
    {"Removed server {0}", "Server removed {0}. [{2}]", "Removed server {0}."},
    {"Modified server {0}", "Server modified {0}. [{2}]", "Modified server {0}."},
    {"Added operation {0} {1}", "Operation added {0} {1}. [{2}]", "Added operation {0} {1}."},
    {"Removed operation {0} {1}", "Operation removed {0} {1}. [{2}]", "Removed operation {0} {1}."},
    {"Deprecated operation {0} {1}", "Operation deprecated {0} {1}. [{2}]", "Deprecated operation {0} {1}."},
    {"Modified operation {0} {1}", "Operation modified {0} {1}. [{2}]", "Operation modified."},
    {"Operation metadata changed", "Operation metadata changed. [{2}]", "Operation metadata changed."},
    {"Added parameter {0} in {1}", "Added parameter {0} in {1}. [{2}]", "Added parameter {0} in {1}."},
    {"Removed parameter {0} in {1}", "Removed parameter {0} in {1}. [{2}]", "Removed parameter {0} in {1}."},
    {"Modified parameter {0} in {1}", "Modified parameter {0} in {1}. [{2}]", "Modified parameter {0} in {1}."},
    {"Request body changed", "Request body changed. [{2}]", "Request body changed."},
    {"Added response code {0}", "Added response code {0}. [{2}]", "Added response code {0}."},
    {"Removed response code {0}", "Removed response code {0}. [{2}]", "Removed response code {0}."},
    {"Modified response code {0}", "Modified response code {0}. [{2}]", "Modified response code {0}."},
    {"Security requirements changed", "Security requirements changed. [{2}]", "Security requirements changed."},
}};

// The heading of the section a kind of line belongs to in the Stylish table.
std::string_view sectionOf(Item item) {
    if (item == Item::metadata) return "Metadata";
    if (item <= Item::serverModified) return "Servers";
    if (item == Item::operationAdded) return "Operations Added";
    if (item == Item::operationRemoved) return "Operations Removed";
    if (item == Item::operationDeprecated) return "Operations Deprecated";
    return "Operations Modified";
}

// The details of a modified operation stand under the operation's own line.
bool isDetail(Item item) { return item > Item::operationModified; }

struct Line {
    Item item;
    ChangeSeverity severity;
    Pos pos;
    // Whether the position is in the source document (what was removed is only there).
    bool inSource;
    std::string subject;
    std::string place;
    // The other file of a split document the position is in; empty for the compared file itself.
    std::string file;

    // The line's message in one family's words; `escape` makes the document's text safe for the format.
    std::string message(std::string_view Messages::*family, Escape escape) const {
        return fmt::format(fmt::runtime(kMessages[static_cast<std::size_t>(item)].*family), escape(subject),
                           escape(place), severityToString(severity));
    }
};

bool isRemoval(Item item) {
    return item == Item::serverRemoved || item == Item::operationRemoved || item == Item::parameterRemoved ||
           item == Item::responseRemoved;
}

void addOperations(std::vector<Line>& lines, Item item, const std::vector<ChangelogReport::Operation>& operations) {
    for (const auto& operation : operations) {
        lines.push_back({item, operation.severity, operation.pos, isRemoval(item), asciiToUpper(operation.method),
                         operation.url, operation.file});
    }
}

void addServers(std::vector<Line>& lines, Item item, const std::vector<ChangelogReport::Server>& servers) {
    for (const auto& server : servers) {
        lines.push_back({item, server.severity, server.pos, isRemoval(item), server.url, {}, server.file});
    }
}

template <class Parameters>
void addParameters(std::vector<Line>& lines, Item item, const Parameters& parameters) {
    for (const auto& parameter : parameters) {
        lines.push_back({item, parameter.severity, parameter.pos, isRemoval(item), parameter.name, parameter.location,
                         parameter.file});
    }
}

void addResponses(std::vector<Line>& lines, Item item, const std::vector<ChangelogReport::Response>& responses) {
    for (const auto& response : responses) {
        lines.push_back({item, response.severity, response.pos, isRemoval(item), response.code, {}, response.file});
    }
}

void addMark(std::vector<Line>& lines, Item item, const ChangelogReport::Mark& mark) {
    if (mark.set) lines.push_back({item, mark.severity, mark.pos, mark.inSource, {}, {}, mark.file});
}

// What changed in a modified operation, below the operation's own line.
std::vector<Line> detailLines(const ChangelogReport::ModifiedOperation& operation) {
    std::vector<Line> lines;
    addMark(lines, Item::operationFields, operation.fieldsMark);
    addParameters(lines, Item::parameterAdded, operation.addedParameters);
    addParameters(lines, Item::parameterRemoved, operation.removedParameters);
    addParameters(lines, Item::parameterModified, operation.modifiedParameters);
    addMark(lines, Item::requestBody, operation.requestBody);
    addResponses(lines, Item::responseAdded, operation.addedResponses);
    addResponses(lines, Item::responseRemoved, operation.removedResponses);
    addResponses(lines, Item::responseModified, operation.modifiedResponses);
    addMark(lines, Item::security, operation.security.mark);
    return lines;
}

// Every line of the changelog, in the order all families write them.
std::vector<Line> changelogLines(const ChangelogReport& report) {
    std::vector<Line> lines;
    addMark(lines, Item::metadata, report.metadata().mark);
    addServers(lines, Item::serverAdded, report.addedServers());
    addServers(lines, Item::serverRemoved, report.removedServers());
    addServers(lines, Item::serverModified, report.modifiedServers());
    addOperations(lines, Item::operationAdded, report.added());
    addOperations(lines, Item::operationRemoved, report.removed());
    addOperations(lines, Item::operationDeprecated, report.deprecated());
    for (const auto& operation : report.modified()) {
        lines.push_back({Item::operationModified, operation.severity, operation.pos, false,
                         asciiToUpper(operation.method), operation.url, operation.file});
        std::vector<Line> details = detailLines(operation);
        lines.insert(lines.end(), details.begin(), details.end());
    }
    return lines;
}

std::vector<std::string> metadataFieldNames(unsigned fields) {
    static constexpr std::array<std::pair<unsigned, std::string_view>, 6> kNames{{
        {ChangelogReport::title, "title"},
        {ChangelogReport::summary, "summary"},
        {ChangelogReport::description, "description"},
        {ChangelogReport::termsOfService, "terms of service"},
        {ChangelogReport::contact, "contact"},
        {ChangelogReport::license, "license"},
    }};
    std::vector<std::string> names;
    for (const auto& [bit, name] : kNames) {
        if ((fields & bit) != 0) names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> operationFieldNames(unsigned fields) {
    std::vector<std::string> names;
    if ((fields & ChangelogReport::operationSummary) != 0) names.emplace_back("summary");
    if ((fields & ChangelogReport::operationDescription) != 0) names.emplace_back("description");
    if ((fields & ChangelogReport::operationId) != 0) names.emplace_back("operationId");
    return names;
}

// Severity and position; "file" only for a position in another file of a split document, so that the report of a
// single file keeps its shape.
nlohmann::ordered_json positioned(nlohmann::ordered_json object, ChangeSeverity severity, Pos pos,
                                  const std::string& file) {
    object["severity"] = severityToString(severity);
    if (!file.empty()) object["file"] = file;
    object["line"] = pos.line;
    object["column"] = pos.column;
    return object;
}

nlohmann::ordered_json jsonOperations(const std::vector<ChangelogReport::Operation>& operations) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& operation : operations) {
        list.push_back(positioned({{"url", operation.url}, {"method", operation.method}}, operation.severity,
                                  operation.pos, operation.file));
    }
    return list;
}

nlohmann::ordered_json jsonServers(const std::vector<ChangelogReport::Server>& servers) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& server : servers)
        list.push_back(positioned({{"url", server.url}}, server.severity, server.pos, server.file));
    return list;
}

nlohmann::ordered_json jsonParameters(const std::vector<ChangelogReport::Parameter>& parameters) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& parameter : parameters) {
        list.push_back({{"name", parameter.name}, {"location", parameter.location}});
    }
    return list;
}

nlohmann::ordered_json jsonCodes(const std::vector<ChangelogReport::Response>& responses) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& response : responses) list.push_back(response.code);
    return list;
}

nlohmann::ordered_json jsonModified(const ChangelogReport::ModifiedOperation& operation) {
    nlohmann::ordered_json modifiedParameters = nlohmann::ordered_json::array();
    for (const auto& parameter : operation.modifiedParameters) {
        modifiedParameters.push_back(
            {{"name", parameter.name}, {"location", parameter.location}, {"required", parameter.required}});
    }
    nlohmann::ordered_json object = positioned({{"url", operation.url}, {"method", operation.method}},
                                               operation.severity, operation.pos, operation.file);
    object["metadata"] = {{"summary", (operation.fields & ChangelogReport::operationSummary) != 0},
                          {"description", (operation.fields & ChangelogReport::operationDescription) != 0},
                          {"operationId", (operation.fields & ChangelogReport::operationId) != 0}};
    object["parameters"] = {{"added", jsonParameters(operation.addedParameters)},
                            {"removed", jsonParameters(operation.removedParameters)},
                            {"modified", std::move(modifiedParameters)}};
    object["request_body"] = operation.requestBody.set;
    object["responses"] = {{"added", jsonCodes(operation.addedResponses)},
                           {"removed", jsonCodes(operation.removedResponses)},
                           {"modified", jsonCodes(operation.modifiedResponses)}};
    object["security"] = {{"added", operation.security.added},
                          {"removed", operation.security.removed},
                          {"modified", operation.security.modified}};
    return object;
}

// The data of the markup templates; `escape` makes the document's text safe for the format. "file" is empty for
// a position in the compared file itself.
nlohmann::json templateItem(const Line& line, std::string text, Escape escape) {
    return {{"class", severityToClassName(line.severity)},
            {"severity", severityToString(line.severity)},
            {"text", std::move(text)},
            {"line", line.pos.line},
            {"column", line.pos.column},
            {"file", escape(line.file)}};
}

nlohmann::json operationData(const ChangelogReport::Operation& operation, Escape escape) {
    return {{"class", severityToClassName(operation.severity)},
            {"severity", severityToString(operation.severity)},
            {"method", escape(operation.method)},
            {"url", escape(operation.url)},
            {"text", escape(asciiToUpper(operation.method) + " " + operation.url)},
            {"line", operation.pos.line},
            {"column", operation.pos.column},
            {"file", escape(operation.file)}};
}

nlohmann::json operationList(const std::vector<ChangelogReport::Operation>& operations, Escape escape) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& operation : operations) list.push_back(operationData(operation, escape));
    return list;
}

nlohmann::json metadataData(const ChangelogReport& report, Escape escape) {
    const ChangelogReport::Metadata& metadata = report.metadata();
    if (metadata.empty()) return false;
    nlohmann::json fields = nlohmann::json::array();
    for (const std::string& name : metadataFieldNames(metadata.fields)) fields.push_back(escape(name));
    return {{"class", severityToClassName(metadata.mark.severity)},
            {"severity", severityToString(metadata.mark.severity)},
            {"fields", std::move(fields)},
            {"line", metadata.mark.pos.line},
            {"column", metadata.mark.pos.column},
            {"file", escape(metadata.mark.file)}};
}

nlohmann::json serverList(const ChangelogReport& report, Escape escape) {
    std::vector<Line> lines;
    addServers(lines, Item::serverAdded, report.addedServers());
    addServers(lines, Item::serverRemoved, report.removedServers());
    addServers(lines, Item::serverModified, report.modifiedServers());
    nlohmann::json list = nlohmann::json::array();
    for (const Line& line : lines) {
        list.push_back(templateItem(line, line.message(&Messages::stylishText, escape), escape));
    }
    return list;
}

}  // namespace

void UnixChangelogFormatter::format(const Report& report) {
    const FileLabels files(report);
    std::string text;
    for (const Line& line : changelogLines(changelogReport(report))) {
        fmt::format_to(std::back_inserter(text), "{}:{}:{}: {}\n", files.of(line.inSource, line.file), line.pos.line,
                       line.pos.column, line.message(&Messages::unixText, lineText));
    }
    fmt::print(out(), "{}", text);
}

void VisualStudioChangelogFormatter::format(const Report& report) {
    const FileLabels files(report);
    std::string text;
    for (const Line& line : changelogLines(changelogReport(report))) {
        fmt::format_to(std::back_inserter(text), "{}({},{}): {}: {}\n", files.of(line.inSource, line.file),
                       line.pos.line, line.pos.column, severityToString(line.severity),
                       line.message(&Messages::visualStudioText, lineText));
    }
    fmt::print(out(), "{}", text);
}

void StylishChangelogFormatter::format(const Report& report) {
    StylishTable table;
    std::string_view section;
    for (const Line& line : changelogLines(changelogReport(report))) {
        if (sectionOf(line.item) != section) {
            section = sectionOf(line.item);
            table.heading(std::string(section));
        }
        std::string message = line.message(&Messages::stylishText, lineText) + inFile(line.file, lineText);
        table.row(line.pos, line.severity, isDetail(line.item) ? "  " + message : message);
    }
    table.write(out(), report.destFile());
}

void JSONChangelogFormatter::format(const Report& report) {
    const ChangelogReport& changelog = changelogReport(report);
    const ChangelogReport::Metadata& metadata = changelog.metadata();
    auto has = [&](unsigned bit) { return (metadata.fields & bit) != 0; };
    nlohmann::ordered_json modified = nlohmann::ordered_json::array();
    for (const auto& operation : changelog.modified()) modified.push_back(jsonModified(operation));
    nlohmann::ordered_json json{
        {"metadata",
         {{"title", has(ChangelogReport::title)},
          {"summary", has(ChangelogReport::summary)},
          {"description", has(ChangelogReport::description)},
          {"termsOfService", has(ChangelogReport::termsOfService)},
          {"contact", has(ChangelogReport::contact)},
          {"license", has(ChangelogReport::license)},
          {"severity", severityToString(metadata.mark.severity)}}},
        {"servers",
         {{"added", jsonServers(changelog.addedServers())},
          {"removed", jsonServers(changelog.removedServers())},
          {"modified", jsonServers(changelog.modifiedServers())}}},
        {"added", jsonOperations(changelog.added())},
        {"removed", jsonOperations(changelog.removed())},
        {"deprecated", jsonOperations(changelog.deprecated())},
        {"modified", std::move(modified)},
    };
    writeJson(out(), json);
}

void MarkdownChangelogFormatter::format(const Report& report) {
    const ChangelogReport& changelog = changelogReport(report);
    nlohmann::json modified = nlohmann::json::array();
    for (const auto& operation : changelog.modified()) {
        nlohmann::json details = nlohmann::json::array();
        for (const Line& line : detailLines(operation)) {
            details.push_back(templateItem(line, line.message(&Messages::stylishText, escapeMarkdown), escapeMarkdown));
        }
        nlohmann::json data = operationData(operation, escapeMarkdown);
        data["details"] = std::move(details);
        modified.push_back(std::move(data));
    }
    renderTemplate(out(), "markdown_changelog.jinja",
                   {{"metadata", metadataData(changelog, escapeMarkdown)},
                    {"servers", serverList(changelog, escapeMarkdown)},
                    {"added", operationList(changelog.added(), escapeMarkdown)},
                    {"removed", operationList(changelog.removed(), escapeMarkdown)},
                    {"deprecated", operationList(changelog.deprecated(), escapeMarkdown)},
                    {"modified", std::move(modified)}});
}

void HTMLChangelogFormatter::format(const Report& report) {
    const ChangelogReport& changelog = changelogReport(report);
    nlohmann::json sections = nlohmann::json::array();
    auto addSection = [&](std::string_view id, std::string_view heading, nlohmann::json items) {
        if (!items.empty()) sections.push_back({{"id", id}, {"heading", heading}, {"items", std::move(items)}});
    };
    addSection("servers", "Servers", serverList(changelog, toMarkupText));
    addSection("added", "Operations Added", operationList(changelog.added(), toMarkupText));
    addSection("removed", "Operations Removed", operationList(changelog.removed(), toMarkupText));
    addSection("deprecated", "Operations Deprecated", operationList(changelog.deprecated(), toMarkupText));

    nlohmann::json modified = nlohmann::json::array();
    for (const auto& operation : changelog.modified()) {
        auto names = [](const auto& parameters) {
            nlohmann::json list = nlohmann::json::array();
            for (const auto& parameter : parameters) {
                list.push_back(toMarkupText(parameter.name + " in " + parameter.location));
            }
            return list;
        };
        auto codes = [](const std::vector<ChangelogReport::Response>& responses) {
            nlohmann::json list = nlohmann::json::array();
            for (const auto& response : responses) list.push_back(toMarkupText(response.code));
            return list;
        };
        nlohmann::json data = operationData(operation, toMarkupText);
        data["metadata"] = operationFieldNames(operation.fields);
        data["parameters"] = {{"added", names(operation.addedParameters)},
                              {"removed", names(operation.removedParameters)},
                              {"modified", names(operation.modifiedParameters)}};
        data["request_body"] = operation.requestBody.set;
        data["responses"] = {{"added", codes(operation.addedResponses)},
                             {"removed", codes(operation.removedResponses)},
                             {"modified", codes(operation.modifiedResponses)}};
        data["security"] = {{"added", operation.security.added},
                            {"removed", operation.security.removed},
                            {"modified", operation.security.modified}};
        modified.push_back(std::move(data));
    }
    renderTemplate(out(), "html_changelog.jinja",
                   {{"title", "Status report"},
                    {"counts", templateCounts(report)},
                    {"metadata", metadataData(changelog, toMarkupText)},
                    {"sections", std::move(sections)},
                    {"modified", std::move(modified)}});
}

}  // namespace zephalon::openapi_diff
