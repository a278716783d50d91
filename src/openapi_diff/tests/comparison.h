#pragma once

// Compares two documents with the full comparison and collects what reaches the report, for the tests of the
// comparison classes.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config_key_table.h"
#include "configuration.h"
#include "context.h"
#include "diffs/openapi_diff.h"
#include "recording_report.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_diff::testing {

struct Comparison {
    std::unique_ptr<openapi::OpenAPIReadResult> source;
    std::unique_ptr<openapi::OpenAPIReadResult> dest;
    std::vector<Change> changes;
    ChangeSeverity severity = ChangeSeverity::none;

    // "key_added paths '/pets' non-breaking", "element_removed operation.parameters [1] breaking", ...
    std::vector<std::string> described() const {
        std::vector<std::string> out;
        for (const Change& change : changes) out.push_back(describe(change));
        return out;
    }
    // The changes of one rule.
    std::vector<std::string> described(ConfigKey key) const {
        std::vector<std::string> out;
        for (const Change& change : changes) {
            if (change.configKey == key) out.push_back(describe(change));
        }
        return out;
    }

    static std::string describe(const Change& change) {
        const ConfigKeyInfo& info = configKeyInfo(change.configKey);
        bool section = change.configKey == ConfigKey::paths || change.configKey == ConfigKey::responses ||
                       change.configKey == ConfigKey::callback || change.configKey == ConfigKey::securityRequirement;
        std::string text = fmt::format("{} {}", changeTypeToString(change.type), info.section);
        if (!section) text += fmt::format(".{}", info.property);
        if (!change.key.empty()) text += fmt::format(" '{}'", change.key);
        if (change.hasIndex()) text += fmt::format(" [{}]", change.index);
        return text + fmt::format(" {}", severityToString(change.severity));
    }
};

inline Configuration recommendedRules() {
    Configuration config;
    config.fromJV(*jv::readString(R"({"extends": ["recommended"]})", FileFormat::JSON)->root());
    return config;
}

// Runs the whole comparison of two read documents into a report.
inline void compareInto(const openapi::OpenAPIReadResult& source, const openapi::OpenAPIReadResult& dest,
                        Report& report, const Configuration& config = recommendedRules()) {
    Context context(config, report);
    context.setSource(source);
    context.setDest(dest);
    OpenAPIDiff().process(source.model(), dest.model(), context);
    EXPECT_EQ(context.depth(), 0u);
}

inline Comparison compareDocuments(std::string_view sourceText, std::string_view destText,
                                   const Configuration& config = recommendedRules(),
                                   FileFormat format = FileFormat::YAML) {
    Comparison out;
    out.source = openapi::checkedReadFromString(sourceText, format);
    out.dest = openapi::checkedReadFromString(destText, format);
    RecordingReport report;
    compareInto(*out.source, *out.dest, report, config);
    out.changes = report.changes;
    out.severity = report.highestSeverity();
    return out;
}

// A text with one piece replaced; the piece must be there.
inline std::string edited(std::string_view text, std::string_view from, std::string_view to) {
    std::string out(text);
    std::size_t at = out.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) out.replace(at, from.size(), to);
    return out;
}

}  // namespace zephalon::openapi_diff::testing
