#include "zephalon/foundation/markdown.h"

#include <utf8.h>

#include <iterator>
#include <optional>

#include "html_entities.h"
#include "markdown_handler.h"

namespace zephalon::markdown {

namespace {

constexpr std::array<unsigned char, 256> makeEscapeMap() {
    constexpr unsigned char html = 1;
    constexpr unsigned char url = 2;
    std::array<unsigned char, 256> map{};
    for (unsigned char c : {'\0', '"', '&', '<', '>', '{', '}'}) {
        map[c] |= html;
    }
    // Everything that is not safe to leave bare in a URL attribute: controls, space, quotes, markup characters,
    // brackets, backslash, caret, grave accent, braces, bar, DEL and all non-ASCII bytes.
    for (unsigned c = 0x01; c <= 0x20; ++c) {
        map[c] |= url;
    }
    for (unsigned char c : {'"', '&', '\'', '<', '>', '[', '\\', ']', '^', '`', '{', '|', '}'}) {
        map[c] |= url;
    }
    for (unsigned c = 0x7F; c <= 0xFF; ++c) {
        map[c] |= url;
    }
    return map;
}

constexpr char32_t kReplacementCharacter = 0xFFFD;

std::string toUtf8(char32_t codePoint) {
    std::string text;
    utf8::append(codePoint, std::back_inserter(text));
    return text;
}

int digitValue(char c, int base) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (base == 16 && c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (base == 16 && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// "&#65;" or "&#x41;": the code point, with everything that is not a Unicode scalar value (no digits, 0, surrogates,
// beyond U+10FFFF) turned into the replacement character.
char32_t numericEntityCodePoint(std::string_view digits) {
    int base = 10;
    if (!digits.empty() && (digits.front() == 'x' || digits.front() == 'X')) {
        base = 16;
        digits.remove_prefix(1);
    }
    if (digits.empty()) {
        return kReplacementCharacter;
    }
    char32_t codePoint = 0;
    for (const char c : digits) {
        const int value = digitValue(c, base);
        if (value < 0) {
            return kReplacementCharacter;
        }
        codePoint = codePoint * static_cast<char32_t>(base) + static_cast<char32_t>(value);
        if (codePoint >= 0x110000) {
            return kReplacementCharacter;
        }
    }
    if (codePoint == 0 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return kReplacementCharacter;
    }
    return codePoint;
}

// The characters an entity as written ("&name;", "&#...;") stands for; std::nullopt when it names nothing.
std::optional<std::string> decodeEntity(std::string_view entity) {
    if (entity.size() < 3 || entity.front() != '&' || entity.back() != ';') {
        return std::nullopt;
    }
    const std::string_view body = entity.substr(1, entity.size() - 2);
    if (body.front() == '#') {
        return toUtf8(numericEntityCodePoint(body.substr(1)));
    }
    if (const auto characters = findHtmlEntity(body)) {
        return std::string(*characters);
    }
    return std::nullopt;
}

}  // namespace

const std::array<unsigned char, 256> Handler::escapeMap_ = makeEscapeMap();

void Handler::enterBlock(MD_BLOCKTYPE type, void* detail) {
    switch (type) {
        case MD_BLOCK_DOC:
        case MD_BLOCK_HTML:
            break;
        case MD_BLOCK_QUOTE:
            output_ += "<blockquote>\n";
            break;
        case MD_BLOCK_UL:
            output_ += "<ul>\n";
            break;
        case MD_BLOCK_OL:
            output_ += "<ol>\n";
            break;
        case MD_BLOCK_LI:
            output_ += "<li>\n";
            break;
        case MD_BLOCK_HR:
            output_ += (flags_ & kXhtml) != 0 ? "<hr />\n" : "<hr>\n";
            break;
        case MD_BLOCK_H:
            output_ += "<h";
            output_ += static_cast<char>('0' + static_cast<const MD_BLOCK_H_DETAIL*>(detail)->level);
            output_ += '>';
            break;
        case MD_BLOCK_CODE:
            output_ += "<pre><code>\n";
            break;
        case MD_BLOCK_P:
            output_ += "<p>";
            break;
        case MD_BLOCK_TABLE:
            output_ += "<table>\n";
            break;
        case MD_BLOCK_THEAD:
            output_ += "<thead>\n";
            break;
        case MD_BLOCK_TBODY:
            output_ += "<tbody>\n";
            break;
        case MD_BLOCK_TR:
            output_ += "<tr>\n";
            break;
        case MD_BLOCK_TH:
            output_ += "<th>\n";
            break;
        case MD_BLOCK_TD:
            output_ += "<td>\n";
            break;
    }
}

void Handler::leaveBlock(MD_BLOCKTYPE type, void* detail) {
    switch (type) {
        case MD_BLOCK_DOC:
        case MD_BLOCK_HTML:
        case MD_BLOCK_HR:
            break;
        case MD_BLOCK_QUOTE:
            output_ += "</blockquote>\n";
            break;
        case MD_BLOCK_UL:
            output_ += "</ul>\n";
            break;
        case MD_BLOCK_OL:
            output_ += "</ol>\n";
            break;
        case MD_BLOCK_LI:
            output_ += "</li>\n";
            break;
        case MD_BLOCK_H:
            output_ += "</h";
            output_ += static_cast<char>('0' + static_cast<const MD_BLOCK_H_DETAIL*>(detail)->level);
            output_ += ">\n";
            break;
        case MD_BLOCK_CODE:
            output_ += "</code></pre>\n";
            break;
        case MD_BLOCK_P:
            output_ += "</p>\n";
            break;
        case MD_BLOCK_TABLE:
            output_ += "</table>\n";
            break;
        case MD_BLOCK_THEAD:
            output_ += "</thead>\n";
            break;
        case MD_BLOCK_TBODY:
            output_ += "</tbody>\n";
            break;
        case MD_BLOCK_TR:
            output_ += "</tr>\n";
            break;
        case MD_BLOCK_TH:
            output_ += "</th>\n";
            break;
        case MD_BLOCK_TD:
            output_ += "</td>\n";
            break;
    }
}

void Handler::enterSpan(MD_SPANTYPE type, void* detail) {
    // Inside an image everything is alt text, an attribute value: no tags.
    if (imageNesting_ > 0) {
        if (type == MD_SPAN_IMG) {
            ++imageNesting_;
        }
        return;
    }
    switch (type) {
        case MD_SPAN_EM:
            output_ += "<em>";
            break;
        case MD_SPAN_STRONG:
            output_ += "<strong>";
            break;
        case MD_SPAN_CODE:
            output_ += "<code>";
            break;
        case MD_SPAN_DEL:
            output_ += "<del>";
            break;
        case MD_SPAN_U:
            output_ += "<u>";
            break;
        case MD_SPAN_A: {
            const auto& link = *static_cast<const MD_SPAN_A_DETAIL*>(detail);
            output_ += "<a href=\"";
            writeAttribute(link.href, &Handler::escapeUrl);
            writeTitle(link.title);
            output_ += "\">";
            break;
        }
        case MD_SPAN_IMG: {
            const auto& image = *static_cast<const MD_SPAN_IMG_DETAIL*>(detail);
            output_ += "<img src=\"";
            writeAttribute(image.src, &Handler::escapeUrl);
            writeTitle(image.title);
            output_ += "\" alt=\"";
            ++imageNesting_;
            break;
        }
        case MD_SPAN_LATEXMATH:
            output_ += "<x-equation>";
            break;
        case MD_SPAN_LATEXMATH_DISPLAY:
            output_ += "<x-equation type=\"display\">";
            break;
        case MD_SPAN_WIKILINK:
            output_ += "<x-wikilink>";
            break;
    }
}

void Handler::leaveSpan(MD_SPANTYPE type, void*) {
    if (type == MD_SPAN_IMG) {
        if (--imageNesting_ == 0) {
            output_ += (flags_ & kXhtml) != 0 ? "\" />" : "\">";
        }
        return;
    }
    if (imageNesting_ > 0) {
        return;
    }
    switch (type) {
        case MD_SPAN_EM:
            output_ += "</em>";
            break;
        case MD_SPAN_STRONG:
            output_ += "</strong>";
            break;
        case MD_SPAN_CODE:
            output_ += "</code>";
            break;
        case MD_SPAN_DEL:
            output_ += "</del>";
            break;
        case MD_SPAN_U:
            output_ += "</u>";
            break;
        case MD_SPAN_A:
            output_ += "</a>";
            break;
        case MD_SPAN_LATEXMATH:
        case MD_SPAN_LATEXMATH_DISPLAY:
            output_ += "</x-equation>";
            break;
        case MD_SPAN_WIKILINK:
            output_ += "</x-wikilink>";
            break;
        case MD_SPAN_IMG:
            break;
    }
}

void Handler::text(MD_TEXTTYPE type, std::string_view text) {
    switch (type) {
        case MD_TEXT_NULLCHAR:
            output_ += "&#x0000;";
            break;
        case MD_TEXT_BR:
            output_ += imageNesting_ > 0 ? " " : (flags_ & kXhtml) != 0 ? "<br />\n" : "<br>\n";
            break;
        case MD_TEXT_SOFTBR:
            output_ += imageNesting_ > 0 ? " " : "\n";
            break;
        case MD_TEXT_ENTITY:
            writeEntity(text, &Handler::escapeHtml);
            break;
        case MD_TEXT_HTML:
            // In alt text raw HTML is just characters of the attribute.
            if (imageNesting_ > 0) {
                escapeHtml(text);
            } else {
                writeRawHtml(text);
            }
            break;
        case MD_TEXT_NORMAL:
        case MD_TEXT_CODE:
        case MD_TEXT_LATEXMATH:
            escapeHtml(text);
            break;
    }
}

void Handler::escapeHtml(std::string_view text) {
    const auto needsEscape = [](char c) { return (escapeMap_[static_cast<unsigned char>(c)] & kHtmlBit) != 0; };
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        // Plain runs are long in ordinary prose; looking at four bytes per step keeps the loop tight.
        while (pos + 3 < text.size() && !needsEscape(text[pos]) && !needsEscape(text[pos + 1]) &&
               !needsEscape(text[pos + 2]) && !needsEscape(text[pos + 3])) {
            pos += 4;
        }
        while (pos < text.size() && !needsEscape(text[pos])) {
            ++pos;
        }
        output_.append(text.substr(start, pos - start));
        if (pos == text.size()) {
            break;
        }
        switch (text[pos]) {
            case '"':
                output_ += "&quot;";
                break;
            case '&':
                output_ += "&amp;";
                break;
            case '<':
                output_ += "&lt;";
                break;
            case '>':
                output_ += "&gt;";
                break;
            case '{':
                output_ += "&lcub;";
                break;
            case '}':
                output_ += "&rcub;";
                break;
            default:  // NUL is dropped
                break;
        }
        ++pos;
    }
}

void Handler::escapeUrl(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        while (pos < text.size() && (escapeMap_[static_cast<unsigned char>(text[pos])] & kUrlBit) == 0) {
            ++pos;
        }
        output_.append(text.substr(start, pos - start));
        if (pos == text.size()) {
            break;
        }
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte == '&') {
            output_ += "&amp;";
        } else {
            output_ += '%';
            output_ += kHex[byte >> 4];
            output_ += kHex[byte & 0x0F];
        }
        ++pos;
    }
}

void Handler::writeRawHtml(std::string_view text) {
    // Raw HTML is kept, except that its braces would open Astro expressions in the page; as character references
    // they still read the same in element content and attribute values.
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t brace = text.find_first_of("{}", pos);
        if (brace == std::string_view::npos) {
            output_.append(text.substr(pos));
            break;
        }
        output_.append(text.substr(pos, brace - pos));
        output_ += text[brace] == '{' ? "&lcub;" : "&rcub;";
        pos = brace + 1;
    }
}

void Handler::writeEntity(std::string_view entity, Escape escape) {
    if ((flags_ & kVerbatimEntities) != 0) {
        output_.append(entity);
        return;
    }
    // A name HTML does not define is no entity: it stays text, so "&foo;" reads as written.
    const auto characters = decodeEntity(entity);
    (this->*escape)(characters ? std::string_view(*characters) : entity);
}

void Handler::writeAttribute(const MD_ATTRIBUTE& attribute, Escape escape) {
    if (attribute.text == nullptr) {
        return;
    }
    for (std::size_t i = 0; attribute.substr_offsets[i] < attribute.size; ++i) {
        const std::string_view part(attribute.text + attribute.substr_offsets[i],
                                    attribute.substr_offsets[i + 1] - attribute.substr_offsets[i]);
        switch (attribute.substr_types[i]) {
            case MD_TEXT_ENTITY:
                writeEntity(part, escape);
                break;
            case MD_TEXT_NULLCHAR:
                (this->*escape)(toUtf8(kReplacementCharacter));
                break;
            default:
                (this->*escape)(part);
                break;
        }
    }
}

void Handler::writeTitle(const MD_ATTRIBUTE& title) {
    if (title.text == nullptr || title.size == 0) {
        return;
    }
    output_ += "\" title=\"";
    writeAttribute(title, &Handler::escapeHtml);
}

std::string markdownToHtml(std::string_view text) {
    Handler handler;
    handler.output().reserve(1024);
    handler.parse(text);
    return std::move(handler.output());
}

}  // namespace zephalon::markdown
