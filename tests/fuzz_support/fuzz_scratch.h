#pragma once

// For the fuzz targets that go through files: scratch files of this process in the temporary directory, one per
// name, so that fuzzing processes running side by side keep apart.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace zephalon::fuzz {

// "<temporary directory>/zephalon-<name>-<process id><extension>".
inline std::string scratchPath(std::string_view name, std::string_view extension) {
    std::string file = "zephalon-";
    file += name;
    file += '-';
    file += std::to_string(getpid());
    file += extension;
    return (std::filesystem::temp_directory_path() / file).string();
}

}  // namespace zephalon::fuzz
