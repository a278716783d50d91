#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include "zephalon/jv/pos.h"

namespace zephalon::jv {

// A text that cannot be read as a document: the reader's reason ("JSON parse error: ...", "Failed to parse YAML:
// ..."), where in the text it was found (1-based line and byte column; unknown when the reader has none), and the
// file once the file layer knows it. The message reads "file:line:column: reason", leaving out what is unknown, so
// a user's editor can jump to the spot.
class ReadError : public std::runtime_error {
  public:
    ReadError(std::string reason, Pos pos, std::string file = {})
        : std::runtime_error(compose(reason, pos, file)),
          reason_(std::move(reason)),
          pos_(pos),
          file_(std::move(file)) {}

    const std::string& reason() const { return reason_; }
    Pos pos() const { return pos_; }
    const std::string& file() const { return file_; }

    ReadError inFile(std::string file) const { return ReadError(reason_, pos_, std::move(file)); }

  private:
    static std::string compose(const std::string& reason, Pos pos, const std::string& file) {
        std::string text = file;
        if (pos.known()) {
            if (!text.empty()) text += ':';
            text += std::to_string(pos.line) + ':' + std::to_string(pos.column);
        }
        if (!text.empty()) text += ": ";
        return text + reason;
    }

    std::string reason_;
    Pos pos_;
    std::string file_;
};

}  // namespace zephalon::jv
