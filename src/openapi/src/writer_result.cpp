// Writing the model of a read result: the writer's hooks are bound to the result, so that the output keeps the key
// order of the document that was read.

#include <ostream>

#include "zephalon/jv/file_io.h"
#include "zephalon/openapi/openapi.h"
#include "zephalon/openapi/reader_result.h"
#include "zephalon/openapi/writer.h"

namespace zephalon::openapi {

namespace {

std::unique_ptr<jv::JVDoc> writeResult(const OpenAPIReadResult* result) {
    Writer writer;
    if (result == nullptr) {
        writer.toJV(nullptr);
        return writer.releaseDoc();
    }
    writer.setPropOrderHook([result](const Node* node) { return result->propOrder(node); });
    writer.setKeyedPropOrderHook(
        [result](const Node* node, std::string_view key) { return result->propOrder(node, key); });
    writer.setSourceValueHook([result](const Node* node) { return result->value(node); });
    if (const jv::JVDoc* doc = result->doc(); doc != nullptr) {
        writer.setValueOrderHook([doc](const jv::JV& value) { return doc->propOrder(value); });
    }
    writer.toJV(result->model());
    return writer.releaseDoc();
}

}  // namespace

void writeToStream(const OpenAPIReadResult* result, std::ostream& out, const jv::StreamWriteOptions& options) {
    jv::writeStream(*writeResult(result), out, options);
}

void writeToStream(const OpenAPIReadResult* result, std::ostream& out, FileFormat format) {
    jv::writeStream(*writeResult(result), out, format);
}

void writeToString(const OpenAPIReadResult* result, std::string& out, FileFormat format) {
    jv::writeString(*writeResult(result), out, format);
}

void writeToFile(const OpenAPIReadResult* result, const std::filesystem::path& path) {
    jv::writeFile(*writeResult(result), path);
}

void writeToFile(const OpenAPIReadResult* result, const std::filesystem::path& path,
                 const jv::FileWriteOptions& options) {
    jv::writeFile(*writeResult(result), path, options);
}

}  // namespace zephalon::openapi
