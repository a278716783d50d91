#pragma once

// What the formatters share: the words they use for a change, escaping for the markup formats, the table of the
// Stylish family, the report templates and the JSON writer.

#include <cstddef>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../report.h"

namespace zephalon::openapi_diff {

// "none", "non-functional", "non-breaking", "breaking": the class of a severity in the HTML reports.
std::string_view severityToClassName(ChangeSeverity severity);

// What a change is, in words: "{type} {target}.{property}", with " '{key}'" or " [{index}]" when the change has
// one, for example "key_removed paths '/pets/{id}'" or "element_added operation.parameters [2]". The target and
// the property collapse into one word when they are the same (the paths, responses and callback maps), and for a
// security requirement, which is a map of its own; an extension change names the node whose extension it is
// ("extension_added operation 'x-internal'"). The key comes from the document, so `escape` makes it safe for the
// format the description is written in.
using Escape = std::string (*)(std::string_view);
std::string describeChange(const Change& change, Escape escape);

// Text from a document made safe for a line of the plain-text formats: control characters, which could end the
// line early or drive the terminal, become \u00XX escapes.
std::string lineText(std::string_view text);

// The names of the compared files as the line formats write them, which name the file each position is in: the
// source file for the position of a removal (what was removed is only there), the destination file otherwise;
// "<unknown>" for a document that was not read from a file. A position in another file of a document split over
// several files (`file` not empty) names that file.
class FileLabels {
  public:
    explicit FileLabels(const Report& report);
    const std::string& of(bool inSource) const { return inSource ? source_ : dest_; }
    std::string of(bool inSource, std::string_view file) const { return file.empty() ? of(inSource) : lineText(file); }
    std::string of(const Change& change) const { return of(isRemoveType(change.type), change.file); }

  private:
    std::string source_;
    std::string dest_;
};

// " in <file>" after a message whose position is in another file of a document split over several files; nothing
// for a position in the compared file itself (`file` empty).
std::string inFile(std::string_view file, Escape escape);
// Text made safe for Markdown: the characters that start emphasis, links, code or HTML are escaped with a
// backslash, so the text renders as written.
std::string escapeMarkdown(std::string_view text);

// The table of the Stylish family: the destination file on a line of its own, then one row per item with the
// line, the column and the severity right-aligned to the widest cell of their column, and a message. Headings
// stand on lines of their own between the rows. Nothing is written without rows.
class StylishTable {
  public:
    void heading(std::string text);
    void row(Pos pos, ChangeSeverity severity, std::string message);
    void write(std::ostream& out, const std::optional<std::string>& file) const;

  private:
    struct Line {
        bool heading = false;
        std::string lineCell;
        std::string columnCell;
        std::string severityCell;
        std::string message;
    };
    std::vector<Line> lines_;
    std::size_t rows_ = 0;
};

// The counts the HTML pages show: "total", "breaking", "nonBreaking", "nonFunctional".
nlohmann::json templateCounts(const Report& report);

// Renders one of the report templates ("html_status.jinja", "markdown_changelog.jinja", ...), which may include or
// extend the others.
void renderTemplate(std::ostream& out, std::string_view name, const nlohmann::json& data);

// Writes a JSON value with the document writer; objects keep the order of their members.
void writeJson(std::ostream& out, const nlohmann::ordered_json& value);

}  // namespace zephalon::openapi_diff
