#pragma once

// In-memory models of generated projects. A generator fills a Project with source files, each producing its text on
// demand, and saves the whole project through a FileSystem, so the same generator writes to disk or into memory:
//
//     auto fs = localFileSystem();
//     typescript::Project project(*fs);
//     project.setPath(outputDirectory);
//     auto* file = project.addModuleFile(base::safeFileName(tag));   // "src/<tag>.ts"
//     file->addImport("./utils", "makeUrl");
//     project.save();
//
// Paths inside a project are relative and stay inside it: names from documents (tags, operation ids, schema names)
// become file names through safeFileName, and addSourceFile refuses any path that could leave the project directory.
// Flavours: typescript.h, java.h, astro.h.

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "zephalon/foundation/file_system.h"

namespace zephalon::code_morph::base {

// A file name (one path segment) made from any text: ASCII letters, digits, "-", "_", "." and well-formed UTF-8
// sequences of characters beyond ASCII stay; every other byte becomes "_", and so does a leading "." (no hidden files,
// no "." or ".."). Never empty: "" gives "_". "../../etc/x" gives "_.._.._etc_x".
std::string safeFileName(std::string_view name);

// The normal form of a path inside a project: segments joined by "/", without empty and "." segments. Raises
// std::runtime_error "Invalid source file path: <the path as a JSON string>" for a path that is absolute, has a ".."
// segment, holds a NUL, a backslash or another control character, or names nothing.
std::string normalizeSourcePath(std::string_view path);

// An element of a generated project. Nodes are owned by their parent and know it.
class Node {
  public:
    explicit Node(Node* parent = nullptr) : parent_(parent) {}
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    Node* parent() const { return parent_; }
    // Set by the node that takes ownership of this one.
    void setParent(Node* parent) { parent_ = parent; }

    // Appends the node's text to `out`; a plain node has none.
    virtual void emit(std::string& out) const;

  private:
    Node* parent_;
};

class Project;

// A file of a project, by its path inside the project. The base file holds its text as set.
class SourceFile : public Node {
  public:
    // `path` is already normalised (Project::addSourceFile does it). A file without a project cannot be saved.
    SourceFile(Project* project, std::string path);

    Project* project() const { return project_; }
    // Relative to the project path.
    const std::string& path() const { return path_; }
    // Where the file goes in the file system: the project path joined with path().
    std::string fullPath() const;

    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }

    // Appends the text.
    void emit(std::string& out) const override;
    // Writes what emit gives through the project's file system, creating the directories first. The file system
    // replaces the file atomically or not at all; its errors propagate. std::runtime_error when the file has no
    // project.
    virtual void save() const;

  private:
    Project* project_;
    std::string path_;
    std::string text_;
};

class Project : public Node {
  public:
    using SourceFiles = std::map<std::string, std::unique_ptr<SourceFile>, std::less<>>;

    // The file system must outlive the project.
    explicit Project(FileSystem& fs) : fs_(fs) {}

    FileSystem& fs() const { return fs_; }
    // The directory the files are saved in; "" is the current directory (or the root of a memory file system).
    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }
    // The file-system path of a path inside the project.
    std::string resolve(std::string_view relative) const;

    // By path, in byte-wise order.
    const SourceFiles& sourceFiles() const { return files_; }

    // Adds a file of the project's flavour at the normalised path (see normalizeSourcePath, whose error it raises).
    // std::runtime_error "Source file already exists: <path>" when the path is taken.
    virtual SourceFile* addSourceFile(std::string_view path);
    // std::out_of_range "Source file not found: <path>" when there is none.
    SourceFile* sourceFile(std::string_view path) const;
    SourceFile* getOrCreateSourceFile(std::string_view path);
    // Removing a missing file does nothing.
    void removeSourceFile(std::string_view path);
    void clear() { files_.clear(); }

    // Saves every file in path order. A failure ends the run with its error; files saved before it stay written.
    void save() const;

  protected:
    // The flavour's kind of file.
    virtual std::unique_ptr<SourceFile> createSourceFile(std::string path);

  private:
    FileSystem& fs_;
    std::string path_;
    SourceFiles files_;
};

// A project whose files are all of one flavour's class, with the lookups typed accordingly.
template <class File>
class ProjectOf : public Project {
  public:
    using Project::Project;

    File* addSourceFile(std::string_view path) override { return static_cast<File*>(Project::addSourceFile(path)); }
    File* sourceFile(std::string_view path) const { return static_cast<File*>(Project::sourceFile(path)); }
    File* getOrCreateSourceFile(std::string_view path) {
        return static_cast<File*>(Project::getOrCreateSourceFile(path));
    }

  protected:
    std::unique_ptr<SourceFile> createSourceFile(std::string path) override {
        return std::make_unique<File>(this, std::move(path));
    }
};

}  // namespace zephalon::code_morph::base
