// Runs a libFuzzer target outside a fuzz build: once on the empty input, then on every file named on the command
// line and every file of every directory named there (in name order). Ordinary builds link each fuzz target with
// this driver and run it over the target's seed inputs as a test, so a fuzz target that no longer compiles, or an
// input that once crashed it, breaks the test run instead of the next fuzzing session.

#include <fmt/format.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool runFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fmt::print("{}: cannot be read\n", path.string());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(""), 0);
    std::size_t inputs = 1;
    for (int i = 1; i < argc; ++i) {
        const fs::path path(argv[i]);
        std::error_code error;
        if (fs::is_directory(path, error)) {
            std::vector<fs::path> files;
            for (const auto& entry : fs::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end());
            for (const auto& file : files) {
                if (!runFile(file)) {
                    return 1;
                }
                ++inputs;
            }
        } else if (fs::is_regular_file(path, error)) {
            if (!runFile(path)) {
                return 1;
            }
            ++inputs;
        } else {
            fmt::print("{}: no such file or directory\n", path.string());
            return 1;
        }
    }
    fmt::print("{} inputs replayed\n", inputs);
    return 0;
}
