#pragma once

// The HTTP/1.1 server around a MockApi.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>

#include "zephalon/openapi_mock/mock_api.h"

namespace zephalon::openapi_mock {

struct ServerOptions {
    std::filesystem::path document;
    // Custom formats for reading the document; null means the built-in ones. Must outlive the server.
    const openapi::SchemaFormatRegistry* formats = nullptr;
    std::string host = "127.0.0.1";
    // 0 lets the system choose a free port; the start line names it.
    std::uint16_t port = 4010;
    MockOptions mock;
    // Read the document again whenever it changes on disk.
    bool watch = false;
};

// Serves on one thread until SIGINT or SIGTERM arrives. Writes a start line with the address and the number of
// routes, then one line per request, to `log`. Throws std::runtime_error when the document cannot be read or the
// address cannot be bound.
void serve(const ServerOptions& options, std::ostream& log);

}  // namespace zephalon::openapi_mock
