#include "zephalon/openapi_lint/baseline.h"

#include <gtest/gtest.h>

#include "lint_test_util.h"

namespace zephalon::openapi_lint {
namespace {

using testing::TempDir;

Issue finding(const std::string& file, const std::string& ruleId, const std::string& pointer, std::int64_t line,
              Severity severity = Severity::Error) {
    Issue issue;
    issue.setFile(file);
    issue.setRuleId(ruleId);
    issue.setJsonPointer(pointer);
    issue.setLine(line);
    issue.setColumn(1);
    issue.setSeverity(severity);
    return issue;
}

TEST(BaselineTest, IsWrittenSortedWithPathsRelativeToItself) {
    TempDir dir;
    Result result;
    result.addIssue(finding(dir.file("specs/b.yaml"), "tags-sorted", "/tags", 3));
    result.addIssue(finding(dir.file("specs/a.json"), "operation-id-defined", "/paths/~1pets/post", 9));
    result.addIssue(finding(dir.file("specs/a.json"), "operation-id-defined", "/paths/~1pets/get", 4));
    result.addIssue(finding(dir.file("specs/a.json"), "operation-id-defined", "/paths/~1pets/get", 5));
    result.addIssue(finding(dir.file("specs/a.json"), "info-defined", "", -1));
    const std::string path = dir.file("baseline.yaml");
    Baseline::fromResult(result, path).save(path);
    EXPECT_EQ(dir.read("baseline.yaml"),
              "version: '1.0'\n"
              "findings:\n"
              "  specs/a.json:\n"
              "    info-defined:\n"
              "    - ''\n"
              "    operation-id-defined:\n"
              "    - /paths/~1pets/get\n"
              "    - /paths/~1pets/post\n"
              "  specs/b.yaml:\n"
              "    tags-sorted:\n"
              "    - /tags\n");
}

TEST(BaselineTest, MatchesByFileRuleAndPointerWhateverTheLine) {
    TempDir dir;
    Result old;
    old.addIssue(finding(dir.file("a.json"), "operation-id-defined", "/paths/~1pets/get", 4));
    old.addIssue(finding(dir.file("a.json"), "tags-sorted", "/tags", 2));
    const std::string path = dir.file("ci/baseline.yaml");
    std::filesystem::create_directories(dir.path() / "ci");
    Baseline::fromResult(old, path).save(path);
    const Baseline baseline = Baseline::load(path);
    EXPECT_EQ(baseline.size(), 2u);

    Result now;
    now.addIssue(finding(dir.file("a.json"), "operation-id-defined", "/paths/~1pets/get", 40));  // moved: accepted
    now.addIssue(finding(dir.file("a.json"), "operation-id-defined", "/paths/~1pets/put", 44));  // new place
    now.addIssue(finding(dir.file("b.json"), "tags-sorted", "/tags", 2, Severity::Warning));     // other file
    now.addIssue(finding(dir.file("a.json"), "info-defined", "/tags", 2, Severity::Warning));    // other rule
    const Result kept = baseline.filter(now);
    ASSERT_EQ(kept.issues().size(), 3u);
    EXPECT_EQ(kept.issues()[0].jsonPointer(), "/paths/~1pets/put");
    EXPECT_EQ(kept.errorCount(), 1u);
    EXPECT_EQ(kept.warningCount(), 2u);
}

TEST(BaselineTest, RefusesFilesThatAreNotBaselines) {
    TempDir dir;
    auto error = [&](const std::string& text) -> std::string {
        const std::string path = dir.write("b.yaml", text);
        try {
            Baseline::load(path);
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "no error";
    };
    const std::string prefix = dir.file("b.yaml") + ": not a lint baseline (";
    EXPECT_EQ(error("- a\n"), prefix + "the root must be an object)");
    EXPECT_EQ(error("findings: {}\n"), prefix + "version must be the string \"1.0\")");
    EXPECT_EQ(error("version: 1.0\nfindings: {}\n"), prefix + "version must be the string \"1.0\")");
    EXPECT_EQ(error("version: '1.0'\n"), prefix + "findings must be an object of files)");
    EXPECT_EQ(error("version: '1.0'\nfindings: {a.json: [x]}\n"),
              prefix + "the entry of a.json must be an object of rules)");
    EXPECT_EQ(error("version: '1.0'\nfindings: {a.json: {r: /x}}\n"),
              prefix + "the entry of r in a.json must be a list of JSON Pointers)");
    EXPECT_EQ(error("version: '1.0'\nfindings: {a.json: {r: [1]}}\n"),
              prefix + "the entry of r in a.json must be a list of JSON Pointers)");
    EXPECT_EQ(error("version: '1.0'\nfindings: {a.json: {r: [/x, \"\"]}}\n"), "no error");
    EXPECT_NE(error("version: [\n").find(dir.file("b.yaml") + ": "), std::string::npos);
    EXPECT_THROW(Baseline::load(dir.file("missing.yaml")), std::runtime_error);
}

TEST(BaselineTest, SaveFailureLeavesNoFileAndSaysWhere) {
    TempDir dir;
    const std::string path = dir.file("missing-dir/baseline.yaml");
    try {
        Baseline::fromResult(Result(), path).save(path);
        FAIL() << "expected an error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Failed to write baseline file: " + path);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace zephalon::openapi_lint
