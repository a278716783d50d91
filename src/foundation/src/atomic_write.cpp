#include "zephalon/foundation/atomic_write.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
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

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view content) {
    const std::string target = resolveLinks(path);

    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    if (replacing && !S_ISREG(existing.st_mode)) {
        // A directory, device or pipe: renaming over it would fail at best and
        // replace something that is not a document at worst.
        throw FileError(fmt::format("Failed to open file for writing: {}", path));
    }
    if (replacing && ::access(target.c_str(), W_OK) != 0) {
        // The rename would happily replace a read-only file; refuse, as opening
        // the file for writing would.
        throw FileError(fmt::format("Failed to open file for writing: {}", path));
    }

    TemporaryFile temporary(target);
    if (!temporary.opened()) {
        throw FileError(fmt::format("Failed to open file for writing: {}", path));
    }
    const mode_t mode = replacing ? (existing.st_mode & 07777) : (0644 & ~currentUmask());
    if (::fchmod(temporary.fd(), mode) != 0) {
        throw FileError(fmt::format("Failed to write file: {}: {}", path, describe(errno)));
    }
    if (replacing && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        // Keep the owner when allowed to (root, or a group the user belongs to);
        // otherwise the file becomes the writer's, as any new file would.
        (void)::fchown(temporary.fd(), existing.st_uid, existing.st_gid);
    }
    writeAll(temporary.fd(), content, path);
    if (::fsync(temporary.fd()) != 0) {
        throw FileError(fmt::format("Failed to write file: {}: {}", path, describe(errno)));
    }
    if (temporary.close() != 0) {
        throw FileError(fmt::format("Failed to write file: {}: {}", path, describe(errno)));
    }
    if (::rename(temporary.name(), target.c_str()) != 0) {
        throw FileError(fmt::format("Failed to write file: {}: {}", path, describe(errno)));
    }
    temporary.release();
    syncDirectory(target);
}

}  // namespace zephalon
