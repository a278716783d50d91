#include "markdown_parser.h"

#include <limits>
#include <stdexcept>
#include <utility>

namespace zephalon::markdown {

MarkdownParser::MarkdownParser() {
    parser_.abi_version = 0;
    parser_.flags = MD_FLAG_TABLES;
    parser_.enter_block = [](MD_BLOCKTYPE type, void* detail, void* userdata) {
        return guarded(userdata, [&](MarkdownParser& self) { self.enterBlock(type, detail); });
    };
    parser_.leave_block = [](MD_BLOCKTYPE type, void* detail, void* userdata) {
        return guarded(userdata, [&](MarkdownParser& self) { self.leaveBlock(type, detail); });
    };
    parser_.enter_span = [](MD_SPANTYPE type, void* detail, void* userdata) {
        return guarded(userdata, [&](MarkdownParser& self) { self.enterSpan(type, detail); });
    };
    parser_.leave_span = [](MD_SPANTYPE type, void* detail, void* userdata) {
        return guarded(userdata, [&](MarkdownParser& self) { self.leaveSpan(type, detail); });
    };
    parser_.text = [](MD_TEXTTYPE type, const MD_CHAR* text, MD_SIZE size, void* userdata) {
        return guarded(userdata, [&](MarkdownParser& self) { self.text(type, std::string_view(text, size)); });
    };
    parser_.debug_log = [](const char* message, void* userdata) {
        guarded(userdata, [&](MarkdownParser& self) { self.debugLog(message); });
    };
}

template <typename Event>
int MarkdownParser::guarded(void* userdata, Event&& event) {
    auto& self = *static_cast<MarkdownParser*>(userdata);
    if (self.pending_) {
        return 1;
    }
    try {
        event(self);
        return 0;
    } catch (...) {
        self.pending_ = std::current_exception();
        return 1;
    }
}

void MarkdownParser::parse(std::string_view text) {
    if (text.size() > std::numeric_limits<MD_SIZE>::max()) {
        throw std::length_error("Markdown text too large to render: " + std::to_string(text.size()) + " bytes");
    }
    pending_ = nullptr;
    // An empty view may carry a null pointer, which md4c need not expect.
    md_parse(text.empty() ? "" : text.data(), static_cast<MD_SIZE>(text.size()), &parser_, this);
    if (pending_) {
        std::rethrow_exception(std::exchange(pending_, nullptr));
    }
}

void MarkdownParser::enterBlock(MD_BLOCKTYPE, void*) {}
void MarkdownParser::leaveBlock(MD_BLOCKTYPE, void*) {}
void MarkdownParser::enterSpan(MD_SPANTYPE, void*) {}
void MarkdownParser::leaveSpan(MD_SPANTYPE, void*) {}
void MarkdownParser::text(MD_TEXTTYPE, std::string_view) {}
void MarkdownParser::debugLog(const char*) {}

}  // namespace zephalon::markdown
