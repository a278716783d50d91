// Every document of the shared test data against itself and against an empty document, both ways: every comparison
// class runs, and what reaches the report is well-formed.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "comparison.h"

namespace zephalon::openapi_diff {
namespace {

using testing::compareDocuments;
using testing::Comparison;

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void expectWellFormed(const Comparison& comparison, const std::string& name) {
    for (const Change& change : comparison.changes) {
        SCOPED_TRACE(name + ": " + Comparison::describe(change));
        ASSERT_NE(change.node, nullptr);
        EXPECT_NO_THROW(change.target());
        EXPECT_EQ(!change.key.empty(), isKeyType(change.type) || isExtensionType(change.type));
        EXPECT_EQ(change.hasIndex(), isElementType(change.type));
        // What the changelog tells apart by rule.
        if (isExtensionType(change.type)) continue;
        if (change.configKey == ConfigKey::openapi_servers) {
            EXPECT_TRUE(isElementType(change.type));
        }
        if (change.configKey == ConfigKey::paths || change.configKey == ConfigKey::pathItem_operations) {
            EXPECT_TRUE(isKeyType(change.type));
        }
    }
}

TEST(DocumentsDiffTest, EveryTestDocumentAgainstItselfAndAgainstNothing) {
    std::size_t documents = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZEPHALON_TESTDATA_DIR "/openapi")) {
        const std::filesystem::path& path = entry.path();
        FileFormat format = path.extension() == ".json" ? FileFormat::JSON : FileFormat::YAML;
        std::string text = readText(path);
        std::string name = path.filename().string();
        bool v30 = text.find("3.0.") != std::string::npos && text.find("3.0.") < 40;
        std::string empty = v30 ? R"({"openapi": "3.0.3", "info": {"title": "T", "version": "1"}, "paths": {}})"
                                : R"({"openapi": "3.1.0", "info": {"title": "T", "version": "1"}, "paths": {}})";
        ++documents;

        auto same = compareDocuments(text, text, testing::recommendedRules(), format);
        EXPECT_TRUE(same.changes.empty()) << name << ": " << Comparison::describe(same.changes.front());

        auto source = openapi::checkedReadFromString(text, format);
        auto nothing = openapi::checkedReadFromString(empty, FileFormat::JSON);
        for (bool added : {true, false}) {
            Comparison comparison;
            testing::RecordingReport report;
            Configuration config = testing::recommendedRules();
            {
                Context context(config, report);
                context.setSource(added ? *nothing : *source);
                context.setDest(added ? *source : *nothing);
                OpenAPIDiff().process(added ? nothing->model() : source->model(),
                                      added ? source->model() : nothing->model(), context);
            }
            comparison.changes = report.changes;
            EXPECT_FALSE(comparison.changes.empty()) << name;
            expectWellFormed(comparison, name);
        }
    }
    EXPECT_GE(documents, 10u);
}

}  // namespace
}  // namespace zephalon::openapi_diff
