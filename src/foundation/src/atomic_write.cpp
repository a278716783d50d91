#include "zephalon/foundation/atomic_write.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <vector>

namespace zephalon {

namespace {

std::string describe(int error) { return std::strerror(error); }

// Follows a chain of symbolic links to the file they finally name, so that the
// rename replaces that file rather than the link. A dangling link resolves to
// the path it points at, which is then created.
std::string resolveLinks(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path current = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec))) {
            return current.string();
        }
        fs::path target = fs::read_symlink(current, ec);
        if (ec) {
            return current.string();
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    // A link loop: let the rename fail on it with the system's own error.
    return path;
}

mode_t currentUmask() {
    // umask can only be read by setting it; the process is single-threaded.
    mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target) {
        std::filesystem::path targetPath(target);
        std::filesystem::path directory = targetPath.parent_path();
        std::string pattern = (directory.empty() ? std::string() : directory.string() + "/") + "." +
                              targetPath.filename().string() + ".tmp.XXXXXX";
        name_.assign(pattern.begin(), pattern.end());
        name_.push_back('\0');
        fd_ = ::mkstemp(name_.data());
        if (fd_ < 0) {
            name_.clear();
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!name_.empty()) {
            ::unlink(name_.data());
        }
    }

    bool opened() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const char* name() const { return name_.data(); }

    // Closes the descriptor; close can report a deferred write error.
    int close() {
        int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }
    // After a successful rename there is nothing left to clean up.
    void release() { name_.clear(); }

  private:
    std::vector<char> name_;
    int fd_ = -1;
};

void writeAll(int fd, std::string_view content, const std::string& path) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(fmt::format("Failed to write file: {}: {}", path, describe(errno)));
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

void syncDirectory(const std::string& target) {
    // Makes the rename itself durable. Best effort: some file systems refuse
    // fsync on directories, and the content is already safely on disk.
    std::filesystem::path directory = std::filesystem::path(target).parent_path();
    int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

// A file's new content written in full beside it, ready to be renamed over it.
class PreparedFile {
  public:
    PreparedFile(const std::string& path, std::string_view content) : path_(path), target_(resolveLinks(path)) {
        struct stat existing {};
        const bool replacing = ::stat(target_.c_str(), &existing) == 0;
        if (replacing && !S_ISREG(existing.st_mode)) {
            // A directory, device or pipe: renaming over it would fail at best and
            // replace something that is not a document at worst.
            throw FileError(fmt::format("Failed to open file for writing: {}", path));
        }
        if (replacing && ::access(target_.c_str(), W_OK) != 0) {
            // The rename would happily replace a read-only file; refuse, as opening
            // the file for writing would.
            throw FileError(fmt::format("Failed to open file for writing: {}", path));
        }

        temporary_ = std::make_unique<TemporaryFile>(target_);
        if (!temporary_->opened()) {
            throw FileError(fmt::format("Failed to open file for writing: {}", path));
        }
        const mode_t mode = replacing ? (existing.st_mode & 07777) : (0644 & ~currentUmask());
        if (::fchmod(temporary_->fd(), mode) != 0) {
            throw FileError(fmt::format("Failed to write file: {}: {}", path, describe(errno)));
        }
        if (replacing && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
            // Keep the owner when allowed to (root, or a group the user belongs to);
            // otherwise the file becomes the writer's, as any new file would.
            (void)::fchown(temporary_->fd(), existing.st_uid, existing.st_gid);
        }
        writeAll(temporary_->fd(), content, path);
        if (::fsync(temporary_->fd()) != 0) {
            throw FileError(fmt::format("Failed to write file: {}: {}", path, describe(errno)));
        }
        if (temporary_->close() != 0) {
            throw FileError(fmt::format("Failed to write file: {}: {}", path, describe(errno)));
        }
    }

    // Puts the new content in place of the target; syncing the target's directory makes that durable.
    void replace() {
        if (::rename(temporary_->name(), target_.c_str()) != 0) {
            throw FileError(fmt::format("Failed to write file: {}: {}", path_, describe(errno)));
        }
        temporary_->release();
    }
    const std::string& target() const { return target_; }

  private:
    std::string path_;
    std::string target_;
    // Held by pointer: a prepared file moves into a list, its temporary file's name must not.
    std::unique_ptr<TemporaryFile> temporary_;
};

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view content) {
    PreparedFile file(path, content);
    file.replace();
    syncDirectory(file.target());
}

void writeFilesAtomically(const std::vector<FileContent>& files) {
    std::vector<PreparedFile> prepared;
    prepared.reserve(files.size());
    for (const FileContent& file : files) prepared.emplace_back(file.path, file.content);
    for (PreparedFile& file : prepared) file.replace();
    // A generated project puts hundreds of files in a few directories: each directory is synced once.
    std::set<std::string> directories;
    for (const PreparedFile& file : prepared) {
        if (directories.insert(std::filesystem::path(file.target()).parent_path().string()).second) {
            syncDirectory(file.target());
        }
    }
}

}  // namespace zephalon
