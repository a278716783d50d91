#pragma once

#include <string>
#include <string_view>

namespace zephalon::markdown {

// Renders one Markdown text (CommonMark with the tables extension) as an HTML fragment for the documentation site.
// The fragment is pasted into Astro pages, so it never contains a literal brace: braces in text, titles and raw HTML
// are written as "&lcub;" and "&rcub;", and in URLs percent-encoded, so Astro cannot read them as expressions.
// Raw HTML in the text is otherwise kept as written.
std::string markdownToHtml(std::string_view text);

}  // namespace zephalon::markdown
