#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"

namespace zephalon::openapi::testing {

inline std::unique_ptr<OpenAPIReadResult> readJson(std::string_view text) {
    return readFromString(text, FileFormat::JSON);
}

inline std::vector<std::string> messages(const OpenAPIReadResult& result) {
    std::vector<std::string> out;
    for (const Issue& issue : result.issues()) out.push_back(issue.message);
    return out;
}

// A 3.0 or 3.1 document around the given components and paths members (JSON text without braces).
inline std::string document(std::string_view version, std::string_view components, std::string_view paths = "") {
    std::string text = "{\"openapi\": \"";
    text += version;
    text += "\", \"info\": {\"title\": \"t\", \"version\": \"1\"},\n\"components\": {";
    text += components;
    text += "},\n\"paths\": {";
    text += paths;
    text += "}}";
    return text;
}

}  // namespace zephalon::openapi::testing
