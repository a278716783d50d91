#pragma once

// The mock of one API description: routes every operation of the document's paths, checks requests against the
// description and answers with its examples or with generated sample values.
//
//     auto api = MockApi::fromFile("api.yaml", &formats, {});
//     Response response = api->handle(request);
//
// Everything runs on the caller's thread; a MockApi is not shared between threads.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "zephalon/openapi_mock/exchange.h"

namespace zephalon::openapi {
class OpenAPIReadResult;
class SchemaFormatRegistry;
}  // namespace zephalon::openapi

namespace zephalon::openapi_mock {

struct MockOptions {
    // Check parameters, credentials and request bodies before answering.
    bool validate = true;
    // Fixes every generated value: the same request gets the same answer for the same seed.
    std::uint64_t seed = 0;
    // Lets references of the document lead out of its directory tree.
    bool allowRefsOutside = false;
};

class MockApi {
  public:
    // Takes a document read without issues. Schemas the validator cannot compile are listed in warnings() and
    // do not check anything.
    MockApi(std::unique_ptr<openapi::OpenAPIReadResult> document, MockOptions options);
    ~MockApi();
    MockApi(const MockApi&) = delete;
    MockApi& operator=(const MockApi&) = delete;

    // Reads the document with the checked reader; its errors propagate with the reader's message. The registry
    // (custom formats) must outlive the mock; null means the built-in formats.
    static std::unique_ptr<MockApi> fromFile(const std::filesystem::path& path,
                                             const openapi::SchemaFormatRegistry* formats, MockOptions options);

    // Answers one request. Never throws for anything a client sends.
    Response handle(const Request& request);

    // The number of operations served.
    std::size_t routeCount() const;
    // The path of the first server URL ("/v1"), under which every path is served; empty for the root.
    const std::string& basePath() const;
    // What could not be prepared, one line each (the mock serves the rest).
    const std::vector<std::string>& warnings() const;
    // The files the document was read from: its own (when it came from one) and each file its references led to.
    const std::vector<std::filesystem::path>& sourceFiles() const { return sourceFiles_; }

  private:
    class Impl;
    std::unique_ptr<Impl> impl_;
    std::vector<std::filesystem::path> sourceFiles_;
};

}  // namespace zephalon::openapi_mock
