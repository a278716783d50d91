#pragma once

// Reading OpenAPI documents into the model. The parser is lenient: a problem in one part of a document is recorded
// as an Issue of the result and reading goes on, so that callers can report many problems at once. The checked
// entry points turn a non-empty issue list into one std::runtime_error.
//
// "$ref" values may point anywhere in the document and, relative to the file that holds them, into other files of
// the same directory tree: those are read once each, and what they hold joins the model as components of the root
// (see OpenAPIReadResult::bundlePlan).

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "zephalon/foundation/file_system.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi {

class SchemaDialectRegistry;
class SchemaFormatRegistry;

// How references into other files are followed.
struct ReadOptions {
    // Where the other files are read from; null means the local disk.
    const FileSystem* fileSystem = nullptr;
    // Lets references lead out of the directory tree of the root document. Off, such a reference is an issue: a
    // document from elsewhere must not make the tool read arbitrary files.
    bool allowRefsOutside = false;
};

// More files than this behind one document is an issue rather than a read that never ends.
inline constexpr std::size_t kMaxReferencedFiles = 1000;

// One parser reads one document: construct, call one of the `from` operations, optionally checkIssues, then take
// the result.
class Parser {
  public:
    // The format registry is required (std::invalid_argument "Schema format registry must be provided"); a null
    // dialect registry means the built-in dialects. `allowNullableIn31` accepts the 3.0 keyword "nullable" in 3.1
    // documents too, as the read functions below do.
    Parser(const SchemaDialectRegistry* dialects, const SchemaFormatRegistry* formats, bool allowNullableIn31 = true);
    ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    void setReadOptions(const ReadOptions& options) { options_ = options; }

    // Reads the file (format by extension) and records its path. Errors of the file or of its syntax propagate.
    void fromFile(const std::filesystem::path& path);
    void fromStream(std::istream& in, FileFormat format);
    void fromString(std::string_view text, FileFormat format);
    // Takes the document and parses it.
    void fromDoc(std::unique_ptr<jv::JVDoc> doc);
    // Parses the document already held by the result (a fresh model replaces any earlier one).
    void fromJV();

    // Throws std::runtime_error with formatIssues' text when the result holds issues.
    void checkIssues() const;

    // Hands the result over; the parser holds none afterwards.
    std::unique_ptr<OpenAPIReadResult> result();

  private:
    const SchemaDialectRegistry* dialects_;
    const SchemaFormatRegistry* formats_;
    std::unique_ptr<SchemaDialectRegistry> ownDialects_;
    bool allowNullableIn31_;
    ReadOptions options_;
    std::unique_ptr<OpenAPIReadResult> result_;
};

// The text of all issues, one per line: "<message> at (<line>, <column>)", followed by advice when a schema uses a
// format that is not registered. Empty when there are no issues.
std::string formatIssues(const OpenAPIReadResult& result);

// Read functions that make their own registries (a default format registry unless one is passed). The checked
// variants throw when the document has issues; the variants taking a registry throw std::invalid_argument "Schema
// format registry must be provided" for null. A registry passed in must outlive the returned model.
std::unique_ptr<OpenAPIReadResult> readFromString(std::string_view text, FileFormat format);
std::unique_ptr<OpenAPIReadResult> readFromString(std::string_view text, FileFormat format,
                                                  const SchemaFormatRegistry* formats);
std::unique_ptr<OpenAPIReadResult> checkedReadFromString(std::string_view text, FileFormat format);
std::unique_ptr<OpenAPIReadResult> checkedReadFromFile(const std::filesystem::path& path);
std::unique_ptr<OpenAPIReadResult> checkedReadFromFile(const std::filesystem::path& path,
                                                       const SchemaFormatRegistry* formats);
std::unique_ptr<OpenAPIReadResult> uncheckedReadFromFile(const std::filesystem::path& path);
std::unique_ptr<OpenAPIReadResult> checkedReadFromFile(const std::filesystem::path& path,
                                                       const SchemaFormatRegistry* formats, const ReadOptions& options);
std::unique_ptr<OpenAPIReadResult> uncheckedReadFromFile(const std::filesystem::path& path,
                                                         const SchemaFormatRegistry* formats,
                                                         const ReadOptions& options);

}  // namespace zephalon::openapi
