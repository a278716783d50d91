#pragma once

// Accepted findings of a legacy document, so that a team can adopt the linter and still see every new finding.
//
// A finding is identified by its file, rule id and JSON Pointer, never by its line, so edits elsewhere in the
// document keep it matched. The file is YAML, sorted by file, rule and pointer so that a review shows exactly the
// findings that came or went:
//
//     version: "1.0"
//     findings:
//       api/petstore.yaml:
//         operation-id-defined:
//           - /paths/~1pets/get
//
// Paths are relative to the directory of the baseline file, with "/" separators.

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "zephalon/openapi_lint/issue.h"

namespace zephalon::openapi_lint {

class Baseline {
  public:
    // Reads a baseline file. Throws std::runtime_error "<path>: <reason>" when it cannot be read or is not a
    // baseline.
    static Baseline load(const std::filesystem::path& path);
    // The findings of a result, to be saved at `path`.
    static Baseline fromResult(const Result& result, const std::filesystem::path& path);

    // Replaces the file atomically. Throws std::runtime_error "Failed to write baseline file: <path>".
    void save(const std::filesystem::path& path) const;
    std::string toYaml() const;

    bool contains(const Issue& issue) const;
    // The result without the accepted findings, counted afresh.
    Result filter(const Result& result) const;

    std::size_t size() const;

  private:
    explicit Baseline(std::filesystem::path directory) : directory_(std::move(directory)) {}
    std::string relativeFile(const std::string& file) const;

    // Canonical directory that the file names are relative to.
    std::filesystem::path directory_;
    // File -> rule id -> JSON Pointers.
    std::map<std::string, std::map<std::string, std::set<std::string>>> findings_;
};

}  // namespace zephalon::openapi_lint
