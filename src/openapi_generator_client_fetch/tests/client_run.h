#pragma once

// Runs the client generator on a document text and keeps what it writes in memory.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "zephalon/foundation/file_system.h"
#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator_client_fetch/client_fetch.h"

namespace zephalon::openapi_generator::client_fetch::testing {

class ClientRun {
  public:
    explicit ClientRun(std::string_view document, std::string_view output = "out") {
        std::string pattern = (std::filesystem::temp_directory_path() / "zephalon-client-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
        directory_ = pattern;
        const auto input = directory_ / "api.yaml";
        std::ofstream(input, std::ios::binary) << document;
        auto fs = memoryFileSystem();
        memory_ = fs.get();
        generator_.context().setFS(std::move(fs));
        generator_.setInputPath(input.string());
        auto* plugin = generator_.addPlugin(std::make_unique<Plugin>(generator_.context()));
        if (!output.empty()) plugin->setOutputPath(output);
    }
    ClientRun(const ClientRun&) = delete;
    ClientRun& operator=(const ClientRun&) = delete;
    ~ClientRun() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }

    // Runs the generator; the error's message, or "" when it succeeded.
    std::string run() {
        try {
            generator_.run();
        } catch (const std::exception& failure) {
            return failure.what();
        }
        return "";
    }

    // A file the generator wrote ("src/types.ts"), relative to the output directory.
    std::string file(std::string_view path) const { return memory_->read("out/" + std::string(path)); }
    MemoryFileSystem& memory() const { return *memory_; }

  private:
    std::filesystem::path directory_;
    Generator generator_;
    MemoryFileSystem* memory_ = nullptr;
};

}  // namespace zephalon::openapi_generator::client_fetch::testing
