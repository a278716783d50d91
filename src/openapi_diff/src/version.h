#pragma once

// Semantic versions (major.minor.patch, an optional pre-release after "-", optional build metadata after "+"), as
// far as raising a document's version after a comparison needs them.

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

#include "zephalon/openapi_diff/change.h"

namespace zephalon::openapi_diff {

class SemanticVersion {
  public:
    // Throws std::invalid_argument "semver::version::from_string invalid version." for a text that is not a
    // semantic version.
    static SemanticVersion parse(std::string_view text);

    std::uint64_t major = 0;
    std::uint64_t minor = 0;
    std::uint64_t patch = 0;
    // Dot-separated identifiers without the leading "-"; empty when there is none.
    std::string preRelease;
    // Without the leading "+"; empty when there is none. Never taken into account when comparing.
    std::string build;

    std::string toString() const;

    // Precedence: the numbers, then the pre-release (a version with one comes before the same version without);
    // build metadata is ignored, so versions differing only in it are equal.
    friend std::strong_ordering operator<=>(const SemanticVersion& a, const SemanticVersion& b);
    friend bool operator==(const SemanticVersion& a, const SemanticVersion& b) { return (a <=> b) == 0; }
};

// breaking → major, non-breaking → minor, non-functional → patch, none → none.
VersionChange versionChangeFor(ChangeSeverity severity);

// Raises the version by one step: major resets minor and patch, minor resets patch. The pre-release and build
// metadata stay. Throws std::invalid_argument when the number to raise is already the largest one.
SemanticVersion bumpVersion(const SemanticVersion& version, VersionChange change);

// The destination's version when it is at least the bumped source version, else the bumped source version.
std::string bumpVersionIfNeeded(std::string_view source, VersionChange change, std::string_view dest);

}  // namespace zephalon::openapi_diff
