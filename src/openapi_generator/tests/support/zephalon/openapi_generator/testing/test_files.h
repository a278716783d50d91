#pragma once

// A fresh temporary directory for the files a test reads, removed with the object.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zephalon::openapi_generator::testing {

class TestFiles {
  public:
    TestFiles() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zephalon-generator-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
        root_ = pattern;
    }
    TestFiles(const TestFiles&) = delete;
    TestFiles& operator=(const TestFiles&) = delete;
    ~TestFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    // Writes the file and returns its path.
    std::string write(std::string_view name, std::string_view content) const {
        const auto path = root_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    std::string path(std::string_view name) const { return (root_ / name).string(); }

  private:
    std::filesystem::path root_;
};

}  // namespace zephalon::openapi_generator::testing
