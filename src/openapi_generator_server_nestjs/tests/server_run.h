#pragma once

// Runs the NestJS generator on a document text and keeps what it writes in memory.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "zephalon/foundation/file_system.h"
#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator_server_nestjs/server_nestjs.h"

namespace zephalon::openapi_generator::server_nestjs::testing {

class ServerRun {
  public:
    explicit ServerRun(std::string_view document, std::string_view output = "out") {
        std::string pattern = (std::filesystem::temp_directory_path() / "zephalon-nestjs-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
        directory_ = pattern;
        const auto input = directory_ / "api.yaml";
        std::ofstream(input, std::ios::binary) << document;
        auto fs = memoryFileSystem();
        memory_ = fs.get();
        generator_.context().setFS(std::move(fs));
        generator_.setInputPath(input.string());
        plugin_ = generator_.addPlugin(std::make_unique<Plugin>(generator_.context()));
        if (!output.empty()) plugin_->setOutputPath(output);
    }
    ServerRun(const ServerRun&) = delete;
    ServerRun& operator=(const ServerRun&) = delete;
    ~ServerRun() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }

    // A configuration file for the run.
    void config(std::string_view text) {
        const auto path = directory_ / "zephalon.yaml";
        std::ofstream(path, std::ios::binary) << text;
        generator_.setConfigFilePath(path.string());
    }
    Plugin& plugin() const { return *plugin_; }

    // Runs the generator; the error's message, or "" when it succeeded. What it prints is kept in printed().
    std::string run() {
        ::testing::internal::CaptureStdout();
        std::string error;
        try {
            generator_.run();
        } catch (const std::exception& failure) {
            error = failure.what();
        }
        printed_ = ::testing::internal::GetCapturedStdout();
        return error;
    }
    const std::string& printed() const { return printed_; }

    // A file the generator wrote ("src/types.ts"), relative to the output directory.
    std::string file(std::string_view path) const { return memory_->read("out/" + std::string(path)); }
    MemoryFileSystem& memory() const { return *memory_; }

  private:
    std::filesystem::path directory_;
    Generator generator_;
    MemoryFileSystem* memory_ = nullptr;
    Plugin* plugin_ = nullptr;
    std::string printed_;
};

}  // namespace zephalon::openapi_generator::server_nestjs::testing
