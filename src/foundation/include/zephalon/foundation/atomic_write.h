#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

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

}  // namespace zephalon
