#include <fmt/format.h>

#include <stdexcept>
#include <utility>

#include "paths.h"
#include "zephalon/code_morph/base.h"

namespace zephalon::code_morph::base {

void Node::emit(std::string&) const {}

SourceFile::SourceFile(Project* project, std::string path) : Node(project), project_(project), path_(std::move(path)) {}

std::string SourceFile::fullPath() const { return project_ == nullptr ? path_ : project_->resolve(path_); }

void SourceFile::emit(std::string& out) const { out += text_; }

void SourceFile::save() const {
    if (project_ == nullptr) {
        throw std::runtime_error(fmt::format("Source file {} belongs to no project and cannot be saved", path_));
    }
    std::string content;
    emit(content);
    const std::string path = fullPath();
    if (const auto slash = path.rfind('/'); slash != std::string::npos && slash > 0) {
        project_->fs().mkdirp(path.substr(0, slash));
    }
    project_->fs().write(path, std::move(content));
}

std::string Project::resolve(std::string_view relative) const {
    if (path_.empty()) return std::string(relative);
    if (path_.back() == '/') return fmt::format("{}{}", path_, relative);
    return fmt::format("{}/{}", path_, relative);
}

SourceFile* Project::addSourceFile(std::string_view path) {
    std::string normal = normalizeSourcePath(path);
    if (files_.contains(normal)) throw std::runtime_error(fmt::format("Source file already exists: {}", normal));
    auto file = createSourceFile(normal);
    SourceFile* added = file.get();
    files_.emplace(std::move(normal), std::move(file));
    return added;
}

SourceFile* Project::sourceFile(std::string_view path) const {
    const auto normal = normalizedSourcePath(path);
    auto it = normal ? files_.find(*normal) : files_.end();
    if (it == files_.end()) throw std::out_of_range(fmt::format("Source file not found: {}", path));
    return it->second.get();
}

SourceFile* Project::getOrCreateSourceFile(std::string_view path) {
    std::string normal = normalizeSourcePath(path);
    if (auto it = files_.find(normal); it != files_.end()) return it->second.get();
    return addSourceFile(normal);
}

void Project::removeSourceFile(std::string_view path) {
    if (const auto normal = normalizedSourcePath(path)) files_.erase(*normal);
}

void Project::save() const {
    for (const auto& [path, file] : files_) file->save();
}

std::unique_ptr<SourceFile> Project::createSourceFile(std::string path) {
    return std::make_unique<SourceFile>(this, std::move(path));
}

}  // namespace zephalon::code_morph::base
