#include "formatting.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <algorithm>
#include <array>
#include <stdexcept>

#include "report_templates.h"
#include "zephalon/foundation/assertions.h"
#include "zephalon/jv/json_writer.h"
#include "zephalon/number/number.h"
#include "zephalon/templating/environment.h"

namespace zephalon::openapi_diff {

std::string_view severityToClassName(ChangeSeverity severity) {
    static constexpr std::array<std::string_view, 4> kNames{"none", "non-functional", "non-breaking", "breaking"};
    auto index = static_cast<std::size_t>(severity);
    if (index >= kNames.size()) ZEPHALON_UNREACHABLE("Unsupported severity level");
    return kNames[index];
}

std::string describeChange(const Change& change, Escape escape) {
    std::string_view target = targetToString(change.target());
    std::string text;
    if (isExtensionType(change.type)) {
        text = fmt::format("{} {}", changeTypeToString(change.type), target);
    } else {
        std::string_view property = configKeyToPropertyName(change.configKey);
        // A security requirement is a map of its own, like the paths: its entries are not a property of it.
        bool oneWord = target == property || change.configKey == ConfigKey::securityRequirement;
        text = oneWord ? fmt::format("{} {}", changeTypeToString(change.type), target)
                       : fmt::format("{} {}.{}", changeTypeToString(change.type), target, property);
    }
    if (!change.key.empty()) {
        fmt::format_to(std::back_inserter(text), " '{}'", escape(change.key));
    } else if (change.hasIndex()) {
        fmt::format_to(std::back_inserter(text), " [{}]", change.index);
    }
    return text;
}

FileLabels::FileLabels(const Report& report)
    : source_(lineText(report.sourceFile().value_or("<unknown>"))),
      dest_(lineText(report.destFile().value_or("<unknown>"))) {}

std::string inFile(std::string_view file, Escape escape) {
    return file.empty() ? std::string() : " in " + escape(file);
}

std::string lineText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            fmt::format_to(std::back_inserter(out), "\\u{:04x}", byte);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string escapeMarkdown(std::string_view text) {
    static constexpr std::string_view kSpecial = "\\`*_[]<>&~|";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (kSpecial.find(c) != std::string_view::npos) out.push_back('\\');
        // A line break would end the list item the text stands in.
        if (c == '\n' || c == '\r') {
            out.push_back(' ');
        } else {
            out.push_back(c);
        }
    }
    return out;
}

void StylishTable::heading(std::string text) {
    Line& line = lines_.emplace_back();
    line.heading = true;
    line.message = std::move(text);
}

void StylishTable::row(Pos pos, ChangeSeverity severity, std::string message) {
    lines_.push_back(Line{false, std::to_string(pos.line), std::to_string(pos.column),
                          std::string(severityToString(severity)), std::move(message)});
    ++rows_;
}

void StylishTable::write(std::ostream& out, const std::optional<std::string>& file) const {
    if (rows_ == 0) return;
    std::size_t lineWidth = 0;
    std::size_t columnWidth = 0;
    std::size_t severityWidth = 0;
    for (const Line& line : lines_) {
        lineWidth = std::max(lineWidth, line.lineCell.size());
        columnWidth = std::max(columnWidth, line.columnCell.size());
        severityWidth = std::max(severityWidth, line.severityCell.size());
    }
    std::string text;
    if (file) text += lineText(*file) + "\n";
    for (const Line& line : lines_) {
        if (line.heading) {
            text += line.message + "\n";
            continue;
        }
        fmt::format_to(std::back_inserter(text), "  {:>{}}  {:>{}}  {:>{}}  {}\n", line.lineCell, lineWidth,
                       line.columnCell, columnWidth, line.severityCell, severityWidth, line.message);
    }
    out << text;
}

namespace {

templating::Environment makeEnvironment() {
    templating::Environment environment;
    for (const templates::EmbeddedText& text : templates::embeddedTexts()) {
        environment.addTemplate(std::string(text.name), text.text);
    }
    return environment;
}

void writeValue(jv::JSONWriter& writer, const nlohmann::ordered_json& value) {
    switch (value.type()) {
        case nlohmann::json::value_t::null:
            writer.writeNull();
            return;
        case nlohmann::json::value_t::boolean:
            writer.writeBoolean(value.get<bool>());
            return;
        case nlohmann::json::value_t::number_integer:
            writer.writeNumber(number::Number(value.get<std::int64_t>()));
            return;
        case nlohmann::json::value_t::number_unsigned:
            writer.writeNumber(number::Number(value.get<std::uint64_t>()));
            return;
        case nlohmann::json::value_t::number_float:
            writer.writeNumber(number::Number(value.get<double>()));
            return;
        case nlohmann::json::value_t::string:
            writer.writeString(value.get_ref<const std::string&>());
            return;
        case nlohmann::json::value_t::array:
            writer.writeArrayStart();
            for (const auto& element : value) writeValue(writer, element);
            writer.writeArrayEnd();
            return;
        case nlohmann::json::value_t::object:
            writer.writeObjectStart();
            for (const auto& [key, member] : value.items()) {
                writer.writeString(key);
                writeValue(writer, member);
            }
            writer.writeObjectEnd();
            return;
        default:
            ZEPHALON_UNREACHABLE("Unsupported JSON value in a report");
    }
}

}  // namespace

nlohmann::json templateCounts(const Report& report) {
    return {{"total", report.count()},
            {"breaking", report.count(ChangeSeverity::breaking)},
            {"nonBreaking", report.count(ChangeSeverity::nonBreaking)},
            {"nonFunctional", report.count(ChangeSeverity::nonFunctional)}};
}

void renderTemplate(std::ostream& out, std::string_view name, const nlohmann::json& data) {
    static const templating::Environment environment = makeEnvironment();
    const templating::Template* tmpl = environment.find(name);
    if (tmpl == nullptr) ZEPHALON_UNREACHABLE("Missing report template");
    environment.render(out, *tmpl, data);
}

void writeJson(std::ostream& out, const nlohmann::ordered_json& value) {
    jv::JSONWriter writer;
    writer.setIndentSize(2);
    writeValue(writer, value);
    const std::string& text = writer.toString();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) throw std::runtime_error("Failed to write to the output stream");
}

}  // namespace zephalon::openapi_diff
