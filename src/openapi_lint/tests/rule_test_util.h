#pragma once

// Running one rule of the catalogue on a small document, as a configuration that switches it on would.

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi_lint/context.h"
#include "zephalon/openapi_lint/linter.h"
#include "zephalon/openapi_lint/registry.h"

namespace zephalon::openapi_lint::testing {

inline std::vector<std::string> describe(const Result& result) {
    std::vector<std::string> lines;
    for (const Issue& issue : result.issues()) lines.push_back(issue.message() + " @ " + issue.jsonPointer());
    return lines;
}

// The "message @ pointer" of every finding of one rule on a document that was read, with the options given as JSON
// text (none: the rule's defaults).
inline std::vector<std::string> findings(std::string_view ruleId, openapi::OpenAPIReadResult& document,
                                         const char* options = nullptr) {
    std::ostringstream out;
    Linter linter(out);
    linter.setKeepPointers(true);
    auto config =
        jv::readString(options == nullptr ? fmt::format(R"({{"rules": {{"{}": "error"}}}})", ruleId)
                                          : fmt::format(R"({{"rules": {{"{}": ["error", {}]}}}})", ruleId, options),
                       FileFormat::JSON);
    linter.setConfig(config->root());
    linter.process(document);
    return describe(linter.context().result());
}

// The same for a document given as text (YAML or JSON).
inline std::vector<std::string> findings(std::string_view ruleId, std::string_view document,
                                         const char* options = nullptr) {
    auto result = openapi::checkedReadFromString(document, FileFormat::YAML);
    return findings(ruleId, *result, options);
}

// The message of the configuration error that the options give, or "no error".
inline std::string optionError(std::string_view ruleId, const char* options) {
    try {
        findings(ruleId, "openapi: 3.1.0\ninfo: {title: t, version: '1'}\npaths: {}\n", options);
    } catch (const RuleConfigurationError& e) {
        return e.what();
    }
    return "no error";
}

// Applies the rule's fix (which must change the document), then checks the fixed model with the rule: the findings
// that are left.
inline std::vector<std::string> findingsAfterFix(std::string_view ruleId, std::string_view document) {
    auto result = openapi::checkedReadFromString(document, FileFormat::YAML);
    Context context;
    context.setReadResult(result.get());
    auto rule = createRule(ruleId, Severity::Error);
    EXPECT_TRUE(rule->autoFix(context)) << ruleId;
    EXPECT_FALSE(rule->autoFix(context)) << ruleId << ": a second fix finds nothing left to do";
    rule->run(context);
    return describe(context.result());
}

}  // namespace zephalon::openapi_lint::testing
