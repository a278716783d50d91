#include "report_text.h"

#include <filesystem>
#include <system_error>

namespace zephalon::openapi_lint {

std::string pathFromWorkingDirectory(const std::string& file) {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::weakly_canonical(std::filesystem::current_path(error), error);
    if (error || file.empty()) return file;
    const std::filesystem::path relative = std::filesystem::path(file).lexically_relative(base);
    // A file outside the working directory is named in full rather than by a climb of "..".
    if (relative.empty() || *relative.begin() == "..") return file;
    return relative.generic_string();
}

}  // namespace zephalon::openapi_lint
