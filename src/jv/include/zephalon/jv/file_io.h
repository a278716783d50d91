#pragma once

// Reading and writing whole documents in JSON or YAML, by file name or on streams and strings.

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "zephalon/jv/jv.h"
#include "zephalon/jv/property_factory.h"

namespace zephalon {

enum class FileFormat { JSON = 0, YAML = 1 };

}  // namespace zephalon

namespace zephalon::jv {

struct StreamWriteOptions {
    FileFormat format = FileFormat::JSON;
    // 0 writes compact JSON or flow-style YAML.
    int indentSize = 2;
    // Empty: the document's source key order (byte-wise key order for a bare value).
    PropertyFactory propertyFactory;
};

struct FileWriteOptions {
    int indentSize = 2;
    PropertyFactory propertyFactory;
};

// ".json" is JSON; ".yaml" and ".yml" are YAML, in any letter case; anything else has no format.
std::optional<FileFormat> guessFormat(const std::filesystem::path& path);
// ".json" or ".yaml".
std::string_view extensionForFormat(FileFormat format);

// Reading. Unknown extensions raise "Unsupported file format: <path>", unreadable files "Cannot open file: <path>";
// syntax errors are the readers' own ("JSON parse error", "Failed to parse YAML").
std::unique_ptr<JVDoc> readFile(const std::filesystem::path& path);
std::pair<std::unique_ptr<JVDoc>, FileFormat> readFileAndFormat(const std::filesystem::path& path);
std::unique_ptr<JVDoc> readStream(std::istream& in, FileFormat format);
std::unique_ptr<JVDoc> readString(std::string_view text, FileFormat format);

// Writing, with indent 2 and the document's source key order unless options say otherwise. writeFile replaces
// the file atomically: on any failure the previous file is left as it was. Unknown extensions raise
// "Unsupported file format: <path>", files that cannot be written "Failed to open file: <path>".
void writeFile(const JVDoc& doc, const std::filesystem::path& path);
void writeFile(const JVDoc& doc, const std::filesystem::path& path, const FileWriteOptions& options);
void writeStream(const JVDoc& doc, std::ostream& out, FileFormat format);
void writeStream(const JVDoc& doc, std::ostream& out, const StreamWriteOptions& options);
void writeString(const JVDoc& doc, std::string& out, FileFormat format);
void writeString(const JVDoc& doc, std::string& out, const StreamWriteOptions& options);

// A bare value has no source key order: unless a factory is given, keys come in byte-wise order.
void writeString(const JV& node, std::string& out, const StreamWriteOptions& options);
std::string toString(const JVDoc& doc, FileFormat format);
std::string toString(const JV& node, FileFormat format);

}  // namespace zephalon::jv
