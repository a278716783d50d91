#include "zephalon/foundation/file_system.h"

#include <fmt/format.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace zephalon {

namespace {

std::string withoutTrailingSlashes(const std::string& path) {
    std::string result = path;
    while (result.size() > 1 && result.back() == '/') {
        result.pop_back();
    }
    return result;
}

}  // namespace

bool LocalFileSystem::exists(const std::string& path) const {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::string LocalFileSystem::read(const std::string& path) const {
    std::error_code ec;
    // A directory opens as a stream on Linux and then fails on the first read.
    if (std::filesystem::is_directory(path, ec)) {
        throw FileError(fmt::format("Failed to open file for reading: {}", path));
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw FileError(fmt::format("Failed to open file for reading: {}", path));
    }
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw FileError(fmt::format("Failed to read file: {}", path));
    }
    return content;
}

void LocalFileSystem::mkdirp(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    if (ec) {
        throw FileError(fmt::format("Failed to create directory: {}: {}", path, ec.message()));
    }
    // create_directories reports success when the path exists as a file.
    if (!std::filesystem::is_directory(path, ec)) {
        throw FileError(fmt::format("Failed to create directory: {}: {}", path, "Not a directory"));
    }
}

void LocalFileSystem::write(const std::string& path, std::string_view content) { writeFileAtomically(path, content); }

// Like the disk, "dir/" names a directory but "file/" names nothing.
bool MemoryFileSystem::exists(const std::string& path) const {
    return files_.contains(path) || directories_.contains(withoutTrailingSlashes(path));
}

std::string MemoryFileSystem::read(const std::string& path) const {
    auto it = files_.find(path);
    if (it == files_.end()) {
        throw FileError(fmt::format("File does not exist: {}", path));
    }
    return it->second;
}

void MemoryFileSystem::mkdirp(const std::string& path) {
    const std::string full = withoutTrailingSlashes(path);
    if (full.empty()) {
        return;
    }
    // Check every prefix before recording any, so a failure changes nothing.
    std::vector<std::string> prefixes;
    for (std::size_t slash = full.find('/', 1); slash != std::string::npos; slash = full.find('/', slash + 1)) {
        if (full[slash - 1] != '/') {
            prefixes.push_back(full.substr(0, slash));
        }
    }
    prefixes.push_back(full);
    for (const auto& prefix : prefixes) {
        if (files_.contains(prefix)) {
            throw FileError(fmt::format("Failed to create directory: {}: {}", path, "Not a directory"));
        }
    }
    directories_.insert(prefixes.begin(), prefixes.end());
}

void MemoryFileSystem::write(const std::string& path, std::string_view content) {
    const std::string key = withoutTrailingSlashes(path);
    if (key.empty() || directories_.contains(key) || key.size() != path.size()) {
        throw FileError(fmt::format("Failed to open file for writing: {}", path));
    }
    files_.insert_or_assign(key, std::string(content));
}

std::vector<std::string> MemoryFileSystem::files() const {
    std::vector<std::string> result;
    result.reserve(files_.size());
    for (const auto& [path, content] : files_) {
        result.push_back(path);
    }
    return result;
}

std::vector<std::string> MemoryFileSystem::directories() const {
    return std::vector<std::string>(directories_.begin(), directories_.end());
}

std::string MemoryFileSystem::dump() const {
    std::string text = "MemoryFileSystem:\nDirectories:\n";
    for (const auto& directory : directories_) {
        text += fmt::format("  {}\n", directory);
    }
    text += "Files:\n";
    for (const auto& [path, content] : files_) {
        text += fmt::format("  {}\n", path);
    }
    return text;
}

std::unique_ptr<LocalFileSystem> localFileSystem() { return std::make_unique<LocalFileSystem>(); }

std::unique_ptr<MemoryFileSystem> memoryFileSystem() { return std::make_unique<MemoryFileSystem>(); }

}  // namespace zephalon
