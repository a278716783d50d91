#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_zephalon.h"

namespace zephalon::e2e {
namespace {

// The library names in the order `credits` shows them.
std::vector<std::string> creditedNames() {
    std::vector<std::string> names;
    for (const auto& line : splitLines(runZephalon({"credits"}).out)) {
        if (line.rfind("- ", 0) == 0) {
            names.push_back(line.substr(2, line.rfind(" (") - 2));
        }
    }
    return names;
}

TEST(LicenseTest, ListWrapsTheCreditedNamesAtEightyColumns) {
    const auto result = runZephalon({"license", "--list"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const auto lines = splitLines(result.out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Zephalon uses the following open-source libraries:");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines.back(), "");
    EXPECT_EQ(result.out.substr(result.out.size() - 2), "\n\n");

    std::string joined;
    for (size_t i = 2; i + 1 < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 80u) << lines[i];
        EXPECT_FALSE(lines[i].empty());
        joined += lines[i];
    }
    std::string expected;
    for (const auto& name : creditedNames()) {
        expected += (expected.empty() ? "" : ", ") + name;
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(joined, expected);
    // The names fill lines greedily: each line but the last is too full to take the next name.
    for (size_t i = 2; i + 2 < lines.size(); ++i) {
        const std::string next = lines[i + 1].substr(0, lines[i + 1].find(','));
        EXPECT_GT(lines[i].size() + next.size() + 2, 80u) << lines[i];
    }
}

TEST(LicenseTest, LibraryLookupIsExact) {
    const auto found = runZephalon({"license", "--library", "libyaml"});
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.err, "");
    EXPECT_EQ(found.out.rfind("Copyright (c) 2006-2020 Kirill Simonov\n", 0), 0u) << found.out;
    EXPECT_NE(found.out.find("Permission is hereby granted"), std::string::npos);
    EXPECT_EQ(found.out.substr(found.out.size() - 2), "\n\n");

    for (const std::string name : {"LIBYAML", "libyam", "libyaml ", "yajl"}) {
        const auto missing = runZephalon({"license", "--library", name});
        EXPECT_EQ(missing.status, 1) << name;
        EXPECT_EQ(missing.out, "Unknown library: " + name + "\n");
        EXPECT_EQ(missing.err, "");
    }
}

TEST(LicenseTest, EveryCreditedLibraryHasItsLicence) {
    for (const auto& name : creditedNames()) {
        const auto result = runZephalon({"license", "--library", name});
        EXPECT_EQ(result.status, 0) << name;
        EXPECT_GT(result.out.size(), 500u) << name;
        EXPECT_EQ(result.out.find("No library"), std::string::npos) << name;
    }
}

TEST(LicenseTest, SecondLicenceTextFollowsTheFirst) {
    const auto result = runZephalon({"license", "--library", "HunSpell"});
    EXPECT_EQ(result.status, 0);
    const auto mpl = result.out.find("MOZILLA PUBLIC LICENSE");
    const auto lgpl = result.out.find("GNU LESSER GENERAL PUBLIC LICENSE");
    ASSERT_NE(mpl, std::string::npos);
    ASSERT_NE(lgpl, std::string::npos);
    EXPECT_LT(mpl, lgpl);
    // The texts are shown as the libraries wrote them, nested indentation included.
    EXPECT_NE(result.out.find("\n     1.0.1. \"Commercial Use\""), std::string::npos);
}

TEST(LicenseTest, WithoutOptionsShowsTheProgramsOwnTerms) {
    const auto result = runZephalon({"license"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.rfind("MIT License\n\nCopyright (c) 2026 The Zephalon developers\n", 0), 0u) << result.out;
    for (const auto& line : splitLines(result.out)) {
        EXPECT_TRUE(line.empty() || line[0] != ' ') << "indented: " << line;
    }
    EXPECT_EQ(result.out.substr(result.out.size() - 11), "SOFTWARE.\n\n");
}

TEST(LicenseTest, ListAndLibraryTogetherAreRejected) {
    const auto result = runZephalon({"license", "--list", "--library", "libyaml"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.find("Permission"), std::string::npos);
    EXPECT_EQ(result.out.find("Zephalon uses"), std::string::npos);
}

}  // namespace
}  // namespace zephalon::e2e
