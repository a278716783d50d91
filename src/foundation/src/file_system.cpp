#include "zephalon/foundation/file_system.h"

#include <fmt/format.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace zephalon {

namespace {

std::string withoutTrailingSlashes(const std::string& path) {
    std::string result = path;
    while (result.size() > 1 && result.back() == '/') {
        result.pop_back();
    }
    return result;
}

// Creates the directory and each missing parent, noting every directory it made (parents first).
void makeDirectories(const std::string& path, std::vector<std::filesystem::path>& made) {
    std::filesystem::path current;
    for (const std::filesystem::path& part : std::filesystem::path(path)) {
        if (part.empty()) continue;
        current /= part;
        std::error_code ec;
        if (std::filesystem::create_directory(current, ec)) {
            made.push_back(current);
        } else if (ec) {
            throw FileError(fmt::format("Failed to create directory: {}: {}", path, ec.message()));
        } else if (!std::filesystem::is_directory(current, ec)) {
            // create_directory reports nothing made, and no error, when the path exists as a file.
            throw FileError(fmt::format("Failed to create directory: {}: {}", path, "Not a directory"));
        }
    }
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
    std::vector<std::filesystem::path> made;
    makeDirectories(path, made);
}

void LocalFileSystem::write(const std::string& path, std::string content) { writeFileAtomically(path, content); }

void LocalFileSystem::writeTree(const std::vector<std::string>& directories, std::map<std::string, std::string> files) {
    std::vector<std::filesystem::path> made;
    try {
        for (const std::string& directory : directories) makeDirectories(directory, made);
        std::vector<FileContent> contents;
        contents.reserve(files.size());
        for (const auto& [path, content] : files) contents.push_back(FileContent{path, content});
        writeFilesAtomically(contents);
    } catch (...) {
        // Children before their parents; a directory that something else has filled meanwhile stays.
        for (auto it = made.rbegin(); it != made.rend(); ++it) {
            std::error_code ec;
            std::filesystem::remove(*it, ec);
        }
        throw;
    }
}

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

void MemoryFileSystem::write(const std::string& path, std::string content) {
    const std::string key = withoutTrailingSlashes(path);
    if (key.empty() || directories_.contains(key) || key.size() != path.size()) {
        throw FileError(fmt::format("Failed to open file for writing: {}", path));
    }
    files_.insert_or_assign(key, std::move(content));
}

void MemoryFileSystem::writeTree(const std::vector<std::string>& directories,
                                 std::map<std::string, std::string> files) {
    // Built on a copy, which replaces this one only when every step succeeded.
    MemoryFileSystem next = *this;
    for (const std::string& directory : directories) next.mkdirp(directory);
    for (auto& [path, content] : files) next.write(path, std::move(content));
    *this = std::move(next);
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

std::map<std::string, std::string> MemoryFileSystem::takeFiles() { return std::exchange(files_, {}); }

bool StagedFileSystem::exists(const std::string& path) const { return staged_.exists(path) || target_.exists(path); }

std::string StagedFileSystem::read(const std::string& path) const {
    return staged_.files_.contains(path) ? staged_.read(path) : target_.read(path);
}

void StagedFileSystem::mkdirp(const std::string& path) { staged_.mkdirp(path); }

void StagedFileSystem::write(const std::string& path, std::string content) { staged_.write(path, std::move(content)); }

void StagedFileSystem::writeTree(const std::vector<std::string>& directories,
                                 std::map<std::string, std::string> files) {
    staged_.writeTree(directories, std::move(files));
}

void StagedFileSystem::commit() {
    MemoryFileSystem staged = std::exchange(staged_, MemoryFileSystem());
    const std::vector<std::string> directories = staged.directories();
    target_.writeTree(directories, staged.takeFiles());
}

std::unique_ptr<LocalFileSystem> localFileSystem() { return std::make_unique<LocalFileSystem>(); }

std::unique_ptr<MemoryFileSystem> memoryFileSystem() { return std::make_unique<MemoryFileSystem>(); }

}  // namespace zephalon
