#pragma once

// For the fuzz targets that start from an OpenAPI model: the model of a fuzz input's text, read as the commands
// read it (built-in dialects, the built-in schema formats).

#include <memory>
#include <string_view>

#include "fuzz_document.h"
#include "zephalon/jv/jv.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi/schema_format.h"

namespace zephalon::fuzz {

// The parser is lenient: problems become issues of the result, never exceptions.
inline std::unique_ptr<openapi::OpenAPIReadResult> parseModel(std::unique_ptr<jv::JVDoc> doc) {
    // Results refer to the registry; one for the whole run outlives them all.
    static const openapi::SchemaFormatRegistry formats;
    openapi::Parser parser(nullptr, &formats);
    parser.fromDoc(std::move(doc));
    return parser.result();
}

// The model of the text, or null when the value reader refuses it.
inline std::unique_ptr<openapi::OpenAPIReadResult> readModelOrSkip(std::string_view text, FileFormat format) {
    std::unique_ptr<jv::JVDoc> doc = readOrSkip(text, format);
    return doc == nullptr ? nullptr : parseModel(std::move(doc));
}

}  // namespace zephalon::fuzz
