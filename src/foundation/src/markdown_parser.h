#pragma once

#include <md4c.h>

#include <exception>
#include <string_view>

namespace zephalon::markdown {

// The event layer over md4c: one virtual operation per md4c event, each doing nothing by default, so that a subclass
// overrides only the events it cares about. The dialect is CommonMark with tables and nothing else.
class MarkdownParser {
  public:
    MarkdownParser();
    MarkdownParser(const MarkdownParser&) = delete;
    MarkdownParser& operator=(const MarkdownParser&) = delete;
    virtual ~MarkdownParser() = default;

    // Runs md4c over `text`. An exception thrown by an event handler stops the parse and is rethrown here; md4c's own
    // failure (out of memory) also stops it, and what the handlers did so far stands. Texts of 4 GiB and more, which
    // md4c cannot address, are refused with std::length_error.
    void parse(std::string_view text);

  protected:
    virtual void enterBlock(MD_BLOCKTYPE type, void* detail);
    virtual void leaveBlock(MD_BLOCKTYPE type, void* detail);
    virtual void enterSpan(MD_SPANTYPE type, void* detail);
    virtual void leaveSpan(MD_SPANTYPE type, void* detail);
    virtual void text(MD_TEXTTYPE type, std::string_view text);
    virtual void debugLog(const char* message);

  private:
    // md4c is C: exceptions must not unwind through it, so the callbacks park them here and abort the parse.
    template <typename Event>
    static int guarded(void* userdata, Event&& event);

    MD_PARSER parser_{};
    std::exception_ptr pending_;
};

}  // namespace zephalon::markdown
