#include "zephalon/openapi_diff/differ.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/info.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/reader.h"

namespace zephalon::openapi_diff {
namespace {

std::string document(std::string_view version, std::string_view infoMembers = "", std::string_view title = "Pets") {
    return fmt::format(R"({{"openapi": "3.1.0", "info": {{"title": "{}", "version": "{}"{}}}, "paths": {{}}}})", title,
                       version, infoMembers);
}

// A breaking change: the API got another name.
std::string renamed(std::string_view version) { return document(version, "", "Cats"); }

std::unique_ptr<openapi::OpenAPIReadResult> read(std::string_view text) {
    return openapi::checkedReadFromString(text, FileFormat::JSON);
}

class DifferTest : public ::testing::Test {
  protected:
    // Compares two documents with the recommended rules and a status report in the given format.
    DiffResult run(std::string_view sourceText, std::string_view destText, std::string_view formatter = "stylish") {
        source = read(sourceText);
        dest = read(destText);
        Differ differ(out);
        if (config.empty()) {
            differ.setDefaultConfig();
        } else {
            differ.setConfig(jv::readString(config, FileFormat::JSON)->root());
        }
        differ.setUpdateVersion(update);
        differ.setCheckVersion(check);
        differ.setReport("status");
        differ.setFormatter("status", formatter);
        return differ.process(*source, *dest);
    }

    const std::string& destVersion() const { return dest->model()->info()->version(); }

    std::ostringstream out;
    std::string config;
    bool update = false;
    bool check = false;
    std::unique_ptr<openapi::OpenAPIReadResult> source;
    std::unique_ptr<openapi::OpenAPIReadResult> dest;
};

TEST_F(DifferTest, PrintsTheStatusOfTheMostSevereChange) {
    EXPECT_EQ(run(document("1.0.0"), document("1.0.0")).severity, ChangeSeverity::none);
    EXPECT_EQ(out.str(), "No changes\n");
    out.str("");
    EXPECT_EQ(run(document("1.0.0"), renamed("1.0.0")).severity, ChangeSeverity::breaking);
    EXPECT_EQ(out.str(), "Breaking changes\n");
    out.str("");
    run(document("1.0.0"), document("1.0.0", R"(, "description": "All the pets.")"), "json");
    auto status = jv::readString(out.str(), FileFormat::JSON);
    EXPECT_EQ(status->root()->size(), 1u);
    EXPECT_EQ(status->root()->stringPropertyValue("status"), "non-functional");
}

TEST_F(DifferTest, UpdatingTheVersionRaisesItByTheStepTheChangesCallFor) {
    update = true;
    struct Case {
        std::string source;
        std::string dest;
        VersionChange change;
        const char* version;
    };
    const Case cases[] = {
        {document("1.2.3"), document("1.2.3", R"(, "description": "All the pets.")"), VersionChange::patch, "1.2.4"},
        {document("1.2.3"), document("1.2.3", R"(, "contact": {"name": "Team"})"), VersionChange::minor, "1.3.0"},
        {document("1.2.3"), document("1.4.0", R"(, "contact": {"name": "Team"})"), VersionChange::minor, "1.4.0"},
        {document("1.2.3"), renamed("1.2.3"), VersionChange::major, "2.0.0"},
        {document("1.2.3"), renamed("1.3.0"), VersionChange::major, "2.0.0"},
        {document("1.2.3"), document("1.2.3"), VersionChange::none, "1.2.3"},
        // The version itself is no change under the recommended rules.
        {document("1.2.3"), document("0.1"), VersionChange::none, "0.1"},
    };
    for (const Case& c : cases) {
        DiffResult result = run(c.source, c.dest);
        EXPECT_EQ(result.versionChange, c.change) << c.dest;
        EXPECT_EQ(destVersion(), c.version) << c.dest;
    }
    EXPECT_EQ(out.str(), "");
}

TEST_F(DifferTest, AnInvalidVersionLeavesTheDestinationAlone) {
    update = true;
    for (auto [from, to] : {std::pair{"1.0", "1.0.0"}, std::pair{"1.0.0", "v2"}}) {
        try {
            run(document(from), renamed(to));
            ADD_FAILURE() << "no error for " << from << " -> " << to;
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), "semver::version::from_string invalid version.");
        }
        EXPECT_EQ(destVersion(), to);
    }
}

TEST_F(DifferTest, CheckingTheVersionReportsADestinationVersionThatIsTooLow) {
    check = true;
    DiffResult low = run(document("1.2.3"), renamed("1.2.4"));
    EXPECT_TRUE(low.versionTooLow);
    EXPECT_EQ(low.versionChange, VersionChange::none);
    EXPECT_EQ(out.str(), "Breaking changes\nVersion 1.2.4 is lower than the required 2.0.0 for Breaking changes\n");
    EXPECT_EQ(destVersion(), "1.2.4");

    out.str("");
    DiffResult enough = run(document("1.2.3"), document("1.3.0", R"(, "contact": {"name": "Team"})"));
    EXPECT_FALSE(enough.versionTooLow);
    EXPECT_EQ(out.str(), "Non-breaking changes\n");
}

TEST_F(DifferTest, ConfigurationsReplaceTheRecommendedRules) {
    // Without "extends", only what the configuration names is classified.
    config = R"({"rules": {"info": {"description": "breaking"}}})";
    EXPECT_EQ(run(document("1.0.0"), renamed("1.0.0")).severity, ChangeSeverity::none);
    // Info is a nested object: without a rule for it, nothing inside it is reported.
    EXPECT_EQ(run(document("1.0.0"), document("1.0.0", R"(, "description": "d")")).severity, ChangeSeverity::none);

    config = R"({"extends": ["recommended"], "rules": {"info": {"version": "breaking"}}})";
    EXPECT_EQ(run(document("1.0.0"), document("1.0.1")).severity, ChangeSeverity::breaking);
    EXPECT_EQ(run(document("1.0.0"), document("1.0.0", R"(, "summary": "s")")).severity, ChangeSeverity::nonFunctional);
}

TEST(DifferNamesTest, UnknownReportsAndFormattersAreRefused) {
    std::ostringstream out;
    Differ differ(out);
    auto message = [](auto&& call) -> std::string {
        try {
            call();
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return "accepted";
    };
    EXPECT_EQ(message([&] { differ.setReport("summary"); }), "Result not found: summary");
    EXPECT_EQ(message([&] { differ.setFormatter("status", "xml"); }),
              "Invalid formatter (xml) or report (status) name");
    EXPECT_EQ(message([&] { differ.setFormatter("details", "json"); }),
              "Invalid formatter (json) or report (details) name");
    EXPECT_EQ(message([&] { differ.setReport("status"); }), "accepted");
    EXPECT_EQ(message([&] { differ.setFormatter("status", "unix"); }), "accepted");
}

}  // namespace
}  // namespace zephalon::openapi_diff
