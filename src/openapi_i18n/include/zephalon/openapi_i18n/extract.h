#pragma once

// Extraction of the human-readable texts of an OpenAPI document (titles, summaries, descriptions, names) into one
// flat JSON object keyed by the JSON Pointer at which each text stands in the source. Translators copy the file per
// locale and translate the values; Translator loads the results.

#include <iosfwd>
#include <memory>
#include <string>

#include "zephalon/jv/jv.h"
#include "zephalon/openapi/reader_result.h"

namespace zephalon::openapi_i18n {

// The texts of a document that was read, as an object from source pointer to text. Only texts that stand in the
// source are taken, so every key resolves in the source document to exactly its value.
std::unique_ptr<jv::JVDoc> extractTexts(const openapi::OpenAPIReadResult& result);

class Extract {
  public:
    void setInputPath(std::string path) { inputPath_ = std::move(path); }
    // Empty means standard output.
    void setOutputPath(std::string path) { outputPath_ = std::move(path); }
    const std::string& inputPath() const { return inputPath_; }
    const std::string& outputPath() const { return outputPath_; }

    // Reads the input without validating it (a document with problems still yields every text that could be
    // placed), extracts its texts and writes them. A file that cannot be read at all fails with the reader's
    // message. The output file is replaced atomically: a failed run leaves no partial file; a file that cannot be
    // written fails with "Failed to open output file <path>". An output path that names the input file is refused
    // before anything is read.
    void process() const;

    // Writes the document as JSON with indent 2, members in byte-wise key order, and a final line feed.
    static void save(const jv::JVDoc& doc, std::ostream& out);

  private:
    std::string inputPath_;
    std::string outputPath_;
};

}  // namespace zephalon::openapi_i18n
