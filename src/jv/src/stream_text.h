#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace zephalon::jv::detail {

// The rest of a stream as one text. A stream that can tell its length (a file, a string stream) has the text's
// room reserved up front: a document of tens of megabytes would otherwise be copied into ever larger buffers,
// each faulted in afresh, which took as long as a tenth of reading it. Streams that cannot seek (pipes) are read
// as they come. The stream's state afterwards is that of reading it to its end.
inline std::string readRest(std::istream& in) {
    std::string text;
    if (std::streambuf* buffer = in.rdbuf(); buffer != nullptr && in.good()) {
        // Seeking through the buffer leaves the stream's own state alone when the stream cannot seek.
        auto here = buffer->pubseekoff(0, std::ios::cur, std::ios::in);
        if (here != std::streampos(-1)) {
            auto end = buffer->pubseekoff(0, std::ios::end, std::ios::in);
            buffer->pubseekpos(here, std::ios::in);
            if (end != std::streampos(-1) && end > here) text.reserve(static_cast<std::size_t>(end - here));
        }
    }
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (!in) break;
    }
    return text;
}

}  // namespace zephalon::jv::detail
