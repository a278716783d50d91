#include "version.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace zephalon::openapi_diff {
namespace {

constexpr const char* kInvalid = "semver::version::from_string invalid version.";

std::string invalidMessage(std::string_view text) {
    try {
        SemanticVersion::parse(text);
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return "accepted";
}

TEST(SemanticVersionTest, AcceptsSemanticVersionsWithoutSmallLimits) {
    SemanticVersion version = SemanticVersion::parse("2024.1.300-rc.1+build.007");
    EXPECT_EQ(version.major, 2024u);
    EXPECT_EQ(version.minor, 1u);
    EXPECT_EQ(version.patch, 300u);
    EXPECT_EQ(version.preRelease, "rc.1");
    EXPECT_EQ(version.build, "build.007");
    EXPECT_EQ(version.toString(), "2024.1.300-rc.1+build.007");

    EXPECT_EQ(SemanticVersion::parse("1.2.256").patch, 256u);
    EXPECT_EQ(SemanticVersion::parse("18446744073709551615.0.0").major, 18446744073709551615u);
    for (const char* text :
         {"0.0.0", "1.0.0-0", "1.0.0-x-y.z--", "1.0.0-0A.is.legal", "1.0.0+0.build.-", "1.0.0-alpha+001"}) {
        EXPECT_EQ(SemanticVersion::parse(text).toString(), text);
    }
}

TEST(SemanticVersionTest, RejectsEverythingElseWithOneMessage) {
    for (const char* text : {"",
                             "1.0",
                             "1",
                             "1.2",
                             "1.2.3.4",
                             "01.2.3",
                             "1.02.3",
                             "1.2.03",
                             "1..3",
                             ".1.2",
                             "1.2.",
                             "v1.2.3",
                             " 1.2.3",
                             "1.2.3 ",
                             "1.2.3-",
                             "1.2.3+",
                             "1.2.3-01",
                             "1.2.3-a..b",
                             "1.2.3-a.",
                             "1.2.3+a..b",
                             "1.2.3-é",
                             "1.2.3+a_b",
                             "-1.2.3",
                             "1.-2.3",
                             "18446744073709551616.0.0",
                             "1.2.3-beta+",
                             "a.b.c"}) {
        EXPECT_EQ(invalidMessage(text), kInvalid) << text;
    }
}

TEST(SemanticVersionTest, OrdersByPrecedence) {
    // The precedence chain of semantic versioning, in increasing order.
    const std::vector<std::string> ordered{"1.0.0-alpha",
                                           "1.0.0-alpha.1",
                                           "1.0.0-alpha.beta",
                                           "1.0.0-beta",
                                           "1.0.0-beta.2",
                                           "1.0.0-beta.11",
                                           "1.0.0-rc.1",
                                           "1.0.0",
                                           "1.0.1",
                                           "1.1.0",
                                           "1.10.0",
                                           "2.0.0",
                                           "10.0.0",
                                           "18446744073709551615.0.0"};
    for (std::size_t i = 0; i + 1 < ordered.size(); ++i) {
        EXPECT_LT(SemanticVersion::parse(ordered[i]), SemanticVersion::parse(ordered[i + 1]))
            << ordered[i] << " < " << ordered[i + 1];
    }
    // Numeric identifiers compare by value however long they are; build metadata never counts.
    EXPECT_LT(SemanticVersion::parse("1.0.0-99999999999999999999"),
              SemanticVersion::parse("1.0.0-100000000000000000000"));
    EXPECT_EQ(SemanticVersion::parse("1.0.0+a"), SemanticVersion::parse("1.0.0+b"));
    EXPECT_EQ(SemanticVersion::parse("1.0.0-rc.1+a"), SemanticVersion::parse("1.0.0-rc.1"));
}

TEST(VersionBumpTest, RaisesTheSourceVersionUnlessTheDestinationIsAlreadyThere) {
    struct Case {
        const char* source;
        VersionChange change;
        const char* dest;
        const char* expected;
    };
    const Case cases[] = {
        {"1.2.3", VersionChange::minor, "1.2.3", "1.3.0"},
        {"1.2.3", VersionChange::minor, "1.3.0", "1.3.0"},
        {"1.2.3", VersionChange::minor, "1.4.0", "1.4.0"},
        {"1.2.3", VersionChange::minor, "1.3.0-rc.1", "1.3.0"},
        {"1.2.3", VersionChange::minor, "1.3.0+ci.5", "1.3.0+ci.5"},
        {"1.2.3", VersionChange::major, "1.2.3", "2.0.0"},
        {"1.2.3", VersionChange::major, "1.9.9", "2.0.0"},
        {"1.2.3", VersionChange::patch, "1.2.3", "1.2.4"},
        {"1.2.3", VersionChange::patch, "0.9.0", "1.2.4"},
        // The pre-release and build metadata of the source stay.
        {"1.2.3-beta.1", VersionChange::minor, "1.2.3-beta.1", "1.3.0-beta.1"},
        {"1.2.3-beta.1", VersionChange::patch, "1.2.4", "1.2.4"},
        {"1.2.3+sha.5", VersionChange::patch, "1.2.3", "1.2.4+sha.5"},
        {"2024.1.300", VersionChange::patch, "2024.1.300", "2024.1.301"},
        {"1.2.255", VersionChange::patch, "1.2.255", "1.2.256"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bumpVersionIfNeeded(c.source, c.change, c.dest), c.expected)
            << c.source << " " << static_cast<int>(c.change) << " " << c.dest;
    }
}

TEST(VersionBumpTest, RefusesInvalidVersionsAndNumbersThatCannotGrow) {
    EXPECT_THROW(bumpVersionIfNeeded("1.0", VersionChange::patch, "1.0.0"), std::invalid_argument);
    EXPECT_THROW(bumpVersionIfNeeded("1.0.0", VersionChange::patch, "latest"), std::invalid_argument);
    try {
        bumpVersionIfNeeded("1.18446744073709551615.0", VersionChange::minor, "1.0.0");
        FAIL() << "no error";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "The version 1.18446744073709551615.0 cannot be raised any further.");
    }
    EXPECT_EQ(bumpVersionIfNeeded("1.18446744073709551615.0", VersionChange::major, "1.0.0"), "2.0.0");
}

TEST(VersionBumpTest, MapsSeveritiesToTheStepTheyCallFor) {
    EXPECT_EQ(versionChangeFor(ChangeSeverity::breaking), VersionChange::major);
    EXPECT_EQ(versionChangeFor(ChangeSeverity::nonBreaking), VersionChange::minor);
    EXPECT_EQ(versionChangeFor(ChangeSeverity::nonFunctional), VersionChange::patch);
    EXPECT_EQ(versionChangeFor(ChangeSeverity::none), VersionChange::none);
}

}  // namespace
}  // namespace zephalon::openapi_diff
