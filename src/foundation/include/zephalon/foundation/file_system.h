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
    virtual void write(const std::string& path, std::string_view content) = 0;
};

class LocalFileSystem : public FileSystem {
  public:
    bool exists(const std::string& path) const override;
    std::string read(const std::string& path) const override;
    void mkdirp(const std::string& path) override;
    // Replaces the file atomically (see writeFileAtomically): a failed write
    // never leaves a truncated file behind.
    void write(const std::string& path, std::string_view content) override;
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
    void write(const std::string& path, std::string_view content) override;

    // Stored paths in byte-wise order.
    std::vector<std::string> files() const;
    std::vector<std::string> directories() const;
    // A listing of the directories, then the files, one indented path a line.
    std::string dump() const;

  private:
    std::map<std::string, std::string> files_;
    std::set<std::string> directories_;
};

std::unique_ptr<LocalFileSystem> localFileSystem();
std::unique_ptr<MemoryFileSystem> memoryFileSystem();

}  // namespace zephalon
