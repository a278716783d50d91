#pragma once

#include <array>
#include <string>
#include <string_view>

#include "markdown_parser.h"

namespace zephalon::markdown {

// Renders the md4c events as HTML into a string.
class Handler : public MarkdownParser {
  public:
    // Flag bits.
    static constexpr unsigned kVerbatimEntities = 2;  // copy entities as written instead of decoding them
    static constexpr unsigned kXhtml = 8;             // "<hr />", "<br />" and "... />" for void elements

    explicit Handler(unsigned flags = 0) : flags_(flags) {}

    std::string& output() { return output_; }

  protected:
    void enterBlock(MD_BLOCKTYPE type, void* detail) override;
    void leaveBlock(MD_BLOCKTYPE type, void* detail) override;
    void enterSpan(MD_SPANTYPE type, void* detail) override;
    void leaveSpan(MD_SPANTYPE type, void* detail) override;
    void text(MD_TEXTTYPE type, std::string_view text) override;

  private:
    using Escape = void (Handler::*)(std::string_view);

    // Bits of escapeMap_.
    static constexpr unsigned char kHtmlBit = 1;
    static constexpr unsigned char kUrlBit = 2;
    static const std::array<unsigned char, 256> escapeMap_;

    void escapeHtml(std::string_view text);
    void escapeUrl(std::string_view text);
    void writeRawHtml(std::string_view text);
    void writeEntity(std::string_view entity, Escape escape);
    void writeAttribute(const MD_ATTRIBUTE& attribute, Escape escape);
    void writeTitle(const MD_ATTRIBUTE& title);

    std::string output_;
    unsigned flags_;
    int imageNesting_ = 0;  // above 0 while inside an image, whose content becomes its alt attribute
};

}  // namespace zephalon::markdown
