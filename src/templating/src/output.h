#pragma once

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zephalon::templating {

// Rendered text collected in blocks. A large output never has to be moved to grow (on a busy machine, growing one
// string of many megabytes costs more than rendering it), and a stream receives the blocks one by one.
class Output {
  public:
    void append(std::string_view text) {
        if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < text.size()) {
            // Blocks double from 1 KiB to 64 KiB, which keeps small outputs small and stays below the size at
            // which the allocator maps fresh pages from the system.
            std::size_t size = blocks_.empty() ? 1024 : std::min<std::size_t>(blocks_.back().capacity() * 2, 65536);
            blocks_.emplace_back().reserve(std::max(size, text.size()));
        }
        blocks_.back() += text;
        size_ += text.size();
    }

    std::size_t size() const { return size_; }

    std::string str() && {
        if (blocks_.size() == 1 && blocks_[0].capacity() <= 2 * blocks_[0].size()) {
            return std::move(blocks_[0]);
        }
        std::string text;
        text.reserve(size_);
        for (const std::string& block : blocks_) {
            text += block;
        }
        return text;
    }

    void writeTo(std::ostream& out) const {
        for (const std::string& block : blocks_) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        }
    }

  private:
    std::vector<std::string> blocks_;
    std::size_t size_ = 0;
};

}  // namespace zephalon::templating
