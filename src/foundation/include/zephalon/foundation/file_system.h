#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "zephalon/foundation/atomic_write.h"

namespace zephalon {

// Where generated projects and other output files go. Code that writes through
// this interface can be pointed at memory instead of the disk, which is how
// tests capture and inspect whole generated trees. Failures raise FileError.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    virtual bool exists(const std::string& path) const = 0;
    // The whole content of a file.
    virtual std::string read(const std::string& path) const = 0;
    // Creates the directory and every missing parent.
    virtual void mkdirp(const std::string& path) = 0;
    // Creates or replaces a file; its directory must exist.
    virtual void write(const std::string& path, std::string content) = 0;
    // Creates the directories (with their parents), then creates or replaces the files, as one step: when one of
    // them fails, the directories made for it are removed again and every file keeps what it held before.
    virtual void writeTree(const std::vector<std::string>& directories, std::map<std::string, std::string> files) = 0;
};

class LocalFileSystem : public FileSystem {
  public:
    bool exists(const std::string& path) const override;
    std::string read(const std::string& path) const override;
    void mkdirp(const std::string& path) override;
    // Replaces the file atomically (see writeFileAtomically): a failed write
    // never leaves a truncated file behind.
    void write(const std::string& path, std::string content) override;
    // The files go through writeFilesAtomically.
    void writeTree(const std::vector<std::string>& directories, std::map<std::string, std::string> files) override;
};

// Files and directories held in memory. Paths are taken literally apart from
// trailing slashes; there is no notion of a current directory or of "..".
class MemoryFileSystem : public FileSystem {
  public:
    bool exists(const std::string& path) const override;
    std::string read(const std::string& path) const override;
    // Records the path and each of its parents; fails where one of them is a file.
    void mkdirp(const std::string& path) override;
    // Stores or replaces a file; fails where the path is a recorded directory.
    void write(const std::string& path, std::string content) override;
    void writeTree(const std::vector<std::string>& directories, std::map<std::string, std::string> files) override;

    // Stored paths in byte-wise order.
    std::vector<std::string> files() const;
    std::vector<std::string> directories() const;
    // A listing of the directories, then the files, one indented path a line.
    std::string dump() const;

    // Removes every file and hands over their contents by path; the directories stay.
    std::map<std::string, std::string> takeFiles();

  private:
    friend class StagedFileSystem;

    std::map<std::string, std::string> files_;
    std::set<std::string> directories_;
};

// Holds every directory and file written through it until `commit` hands them all to the target in one writeTree:
// whatever fails before then (an error found halfway through a generated project, a full disk) leaves the target as
// it was. Reads and existence checks see the staged files over the target's.
class StagedFileSystem : public FileSystem {
  public:
    explicit StagedFileSystem(FileSystem& target) : target_(target) {}

    bool exists(const std::string& path) const override;
    std::string read(const std::string& path) const override;
    void mkdirp(const std::string& path) override;
    void write(const std::string& path, std::string content) override;
    void writeTree(const std::vector<std::string>& directories, std::map<std::string, std::string> files) override;

    // Writes everything staged to the target and starts again empty; when the target fails, nothing of the stage
    // reaches it and the stage is dropped.
    void commit();

  private:
    FileSystem& target_;
    MemoryFileSystem staged_;
};

std::unique_ptr<LocalFileSystem> localFileSystem();
std::unique_ptr<MemoryFileSystem> memoryFileSystem();

}  // namespace zephalon
