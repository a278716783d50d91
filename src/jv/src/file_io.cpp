#include "zephalon/jv/file_io.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <istream>
#include <ostream>
#include <stdexcept>

#include "zephalon/foundation/atomic_write.h"
#include "zephalon/jv/json_reader.h"
#include "zephalon/jv/json_writer.h"
#include "zephalon/jv/read_error.h"
#include "zephalon/jv/yaml_reader.h"
#include "zephalon/jv/yaml_writer.h"

namespace zephalon::jv {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

FileFormat requireFormat(const std::filesystem::path& path) {
    std::optional<FileFormat> format = guessFormat(path);
    if (!format) throw std::runtime_error(fmt::format("Unsupported file format: {}", path.string()));
    return *format;
}

template <typename Node>
std::string render(const Node& node, FileFormat format, int indentSize, const PropertyFactory& factory) {
    if (format == FileFormat::JSON) {
        JSONWriter writer;
        writer.setIndentSize(indentSize);
        if (factory) writer.setPropertyFactory(factory);
        writer.write(node);
        return writer.release();
    }
    YAMLWriter writer;
    writer.setIndentSize(indentSize);
    if (factory) writer.setPropertyFactory(factory);
    writer.write(node);
    return writer.release();
}

StreamWriteOptions optionsFor(FileFormat format) {
    StreamWriteOptions options;
    options.format = format;
    return options;
}

}  // namespace

std::optional<FileFormat> guessFormat(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    if (equalsIgnoringCase(extension, ".json")) return FileFormat::JSON;
    if (equalsIgnoringCase(extension, ".yaml") || equalsIgnoringCase(extension, ".yml")) return FileFormat::YAML;
    return std::nullopt;
}

std::string_view extensionForFormat(FileFormat format) { return format == FileFormat::JSON ? ".json" : ".yaml"; }

std::unique_ptr<JVDoc> readFile(const std::filesystem::path& path) { return readFileAndFormat(path).first; }

std::pair<std::unique_ptr<JVDoc>, FileFormat> readFileAndFormat(const std::filesystem::path& path) {
    FileFormat format = requireFormat(path);
    std::error_code error;
    // A directory opens as a stream on Linux but cannot be read; name it like any other unreadable path.
    std::ifstream in;
    if (!std::filesystem::is_directory(path, error)) in.open(path, std::ios::binary);
    if (!in.is_open()) throw std::runtime_error(fmt::format("Cannot open file: {}", path.string()));
    try {
        return {readStream(in, format), format};
    } catch (const ReadError& error) {
        // Only here is the file known; a message that names it lets the user find the fault among several files.
        throw error.inFile(path.string());
    }
}

std::unique_ptr<JVDoc> readStream(std::istream& in, FileFormat format) {
    return format == FileFormat::JSON ? readJsonStream(in) : readYamlStream(in);
}

std::unique_ptr<JVDoc> readString(std::string_view text, FileFormat format) {
    return format == FileFormat::JSON ? readJsonString(text) : readYamlString(text);
}

void writeFile(const JVDoc& doc, const std::filesystem::path& path) { writeFile(doc, path, FileWriteOptions{}); }

void writeFile(const JVDoc& doc, const std::filesystem::path& path, const FileWriteOptions& options) {
    FileFormat format = requireFormat(path);
    // The whole text is rendered before the file is touched, so a writer error leaves the old file in place too.
    std::string text = render(doc, format, options.indentSize, options.propertyFactory);
    try {
        writeFileAtomically(path.string(), text);
    } catch (const FileError&) {
        throw FileError(fmt::format("Failed to open file: {}", path.string()));
    }
}

void writeStream(const JVDoc& doc, std::ostream& out, FileFormat format) { writeStream(doc, out, optionsFor(format)); }

void writeStream(const JVDoc& doc, std::ostream& out, const StreamWriteOptions& options) {
    std::string text = render(doc, options.format, options.indentSize, options.propertyFactory);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out) throw std::runtime_error("Failed to write to the output stream");
}

void writeString(const JVDoc& doc, std::string& out, FileFormat format) { writeString(doc, out, optionsFor(format)); }

void writeString(const JVDoc& doc, std::string& out, const StreamWriteOptions& options) {
    out = render(doc, options.format, options.indentSize, options.propertyFactory);
}

void writeString(const JV& node, std::string& out, const StreamWriteOptions& options) {
    out = render(node, options.format, options.indentSize, options.propertyFactory);
}

std::string toString(const JVDoc& doc, FileFormat format) { return render(doc, format, 2, PropertyFactory{}); }

std::string toString(const JV& node, FileFormat format) { return render(node, format, 2, PropertyFactory{}); }

}  // namespace zephalon::jv
