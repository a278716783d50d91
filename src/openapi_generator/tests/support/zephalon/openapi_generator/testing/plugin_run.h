#pragma once

// Runs one generator plugin on a document text and keeps what it writes in memory, so a test reads the
// generated files without touching the disk.

#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "zephalon/foundation/file_system.h"
#include "zephalon/openapi_generator/generator.h"
#include "zephalon/openapi_generator/testing/test_files.h"

namespace zephalon::openapi_generator::testing {

template <typename PluginType>
class PluginRun {
  public:
    // An empty `output` leaves the plugin without an output path.
    explicit PluginRun(std::string_view document, std::string_view output = "out") {
        auto fs = memoryFileSystem();
        memory_ = fs.get();
        generator_.context().setFS(std::move(fs));
        generator_.setInputPath(files_.write("api.yaml", document));
        plugin_ = generator_.addPlugin(std::make_unique<PluginType>(generator_.context()));
        if (!output.empty()) plugin_->setOutputPath(output);
    }

    // A configuration file for the run.
    void config(std::string_view text) { generator_.setConfigFilePath(files_.write("zephalon.yaml", text)); }
    PluginType& plugin() const { return *plugin_; }

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
    TestFiles files_;
    Generator generator_;
    MemoryFileSystem* memory_ = nullptr;
    PluginType* plugin_ = nullptr;
    std::string printed_;
};

}  // namespace zephalon::openapi_generator::testing
