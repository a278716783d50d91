#include "zephalon/openapi_i18n/extract.h"

#include <fmt/format.h>

#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "visitor_handler.h"
#include "zephalon/foundation/atomic_write.h"
#include "zephalon/jv/file_io.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi/visitor.h"
#include "zephalon/telemetry/telemetry.h"

namespace zephalon::openapi_i18n {
namespace {

// Pointers are taken from the source tree itself, so they match the document byte for byte, escapes included.
// A text stands as a string, the scopes of an OAuth flow as the object whose members are their texts. A member of
// another kind (a number or an object where a description belongs) was rejected by the reader; it has no text to
// offer, and a key for it would ask translators for a text the document does not have.
std::optional<std::string> sourcePointer(const openapi::OpenAPIReadResult& result, const openapi::Node* node,
                                         std::string_view property) {
    std::optional<openapi::SourceLocation> location = result.sourceLocation(node, property);
    if (!location) return std::nullopt;
    const bool isText = property == "scopes" ? location->value->isObject() : location->value->isString();
    if (!isText) return std::nullopt;
    return std::move(location->pointer);
}

std::string render(const jv::JVDoc& doc) {
    jv::StreamWriteOptions options;
    options.format = FileFormat::JSON;
    options.indentSize = 2;
    std::string text;
    // A bare value has no recorded key order, so members come in byte-wise key order.
    jv::writeString(*doc.root(), text, options);
    if (text.empty() || text.back() != '\n') text.push_back('\n');
    return text;
}

}  // namespace

std::unique_ptr<jv::JVDoc> extractTexts(const openapi::OpenAPIReadResult& result) {
    auto doc = std::make_unique<jv::JVDoc>(std::make_unique<jv::JV>(jv::JV::Type::Object));
    if (result.model() == nullptr) return doc;
    VisitorHandler handler(*doc->root(), [&result](const openapi::Node* node, std::string_view property) {
        return sourcePointer(result, node, property);
    });
    openapi::visitNodes(result.model(), handler);
    handler.finish();
    return doc;
}

void Extract::save(const jv::JVDoc& doc, std::ostream& out) {
    const std::string text = render(doc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) throw std::runtime_error("Failed to write to the output stream");
}

void Extract::process() const {
    // An empty file, a YAML file of comments or a bare value holds no texts; extracting "{}" from it would hide
    // that the wrong file was named.
    auto notADocument = [&] {
        return std::runtime_error(fmt::format("{}: not an OpenAPI document (the root must be an object)", inputPath_));
    };
    std::error_code error;
    if (jv::guessFormat(inputPath_) && std::filesystem::is_regular_file(inputPath_, error) &&
        std::filesystem::file_size(inputPath_, error) == 0 && !error) {
        throw notADocument();
    }
    std::unique_ptr<openapi::OpenAPIReadResult> result;
    {
        auto scope = telemetry::getSpanScope("read");
        result = openapi::uncheckedReadFromFile(inputPath_);
    }
    const jv::JVDoc* source = result->doc();
    if (source == nullptr || source->root() == nullptr || !source->root()->isObject()) throw notADocument();
    // Writing the texts over the document they came from would destroy the document.
    if (!outputPath_.empty()) openapi::refuseToOverwrite(*result, outputPath_, "output file");

    std::unique_ptr<jv::JVDoc> output;
    {
        auto scope = telemetry::getSpanScope("extract");
        output = extractTexts(*result);
    }

    auto scope = telemetry::getSpanScope("write");
    if (outputPath_.empty()) {
        save(*output, std::cout);
        return;
    }
    try {
        writeFileAtomically(outputPath_, render(*output));
    } catch (const FileError&) {
        throw std::runtime_error(fmt::format("Failed to open output file {}", outputPath_));
    }
}

}  // namespace zephalon::openapi_i18n
