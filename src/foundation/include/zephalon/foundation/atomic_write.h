#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zephalon {

// A file could not be read, written or created; the message names the path.
class FileError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Replaces the file at `path` with `content` so that readers see either the old
// file or the complete new one, never a truncated mix: the content goes to a
// temporary file beside the target, is flushed to disk, and only then renamed
// over the target. On any failure the temporary file is removed, the target is
// left untouched and FileError is thrown.
//
// A new file gets mode 0644 (less the umask); a replaced file keeps its mode
// and, where permitted, its owner and group. A file the caller may not write is
// refused even though its directory would allow the rename. When `path` is a
// symbolic link, the file it points to is replaced and the link stays. Other
// hard links to the old file keep the old content. The parent directory must
// exist.
void writeFileAtomically(const std::string& path, std::string_view content);

struct FileContent {
    std::string path;
    std::string_view content;
};

// Replaces several files so that either all of them change or none does, as
// far as the system allows: every content is written to its temporary file and
// flushed (the step that runs out of space or meets a read-only file) before
// the first rename. When a file fails there, every temporary file is removed
// and all targets keep their old content. Only a rename failing after the first
// one succeeded (the directories changed underneath) leaves the files mixed.
void writeFilesAtomically(const std::vector<FileContent>& files);

}  // namespace zephalon
