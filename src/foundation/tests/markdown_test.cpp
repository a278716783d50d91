#include "zephalon/foundation/markdown.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "markdown_handler.h"

namespace zephalon::markdown {
namespace {

std::string render(std::string_view text, unsigned flags) {
    Handler handler(flags);
    handler.parse(text);
    return handler.output();
}

TEST(MarkdownBlocksTest, RenderEachBlockWithItsFixedTags) {
    EXPECT_EQ(markdownToHtml(""), "");
    EXPECT_EQ(markdownToHtml("Hello\nworld"), "<p>Hello\nworld</p>\n");
    EXPECT_EQ(markdownToHtml("# One\n###### Six"), "<h1>One</h1>\n<h6>Six</h6>\n");
    EXPECT_EQ(markdownToHtml("> quoted"), "<blockquote>\n<p>quoted</p>\n</blockquote>\n");
    EXPECT_EQ(markdownToHtml("- a\n- b"), "<ul>\n<li>\na</li>\n<li>\nb</li>\n</ul>\n");
    // The start number of an ordered list is not written.
    EXPECT_EQ(markdownToHtml("3. a\n4. b"), "<ol>\n<li>\na</li>\n<li>\nb</li>\n</ol>\n");
    EXPECT_EQ(markdownToHtml("- a\n\n  - b"), "<ul>\n<li>\n<p>a</p>\n<ul>\n<li>\nb</li>\n</ul>\n</li>\n</ul>\n");
    EXPECT_EQ(markdownToHtml("a\n\n---\n\nb"), "<p>a</p>\n<hr>\n<p>b</p>\n");
}

TEST(MarkdownBlocksTest, CodeBlocksDropTheLanguageAndEscapeTheirText) {
    EXPECT_EQ(markdownToHtml("```js\nif (a < b) { f(\"x\"); }\n```"),
              "<pre><code>\nif (a &lt; b) &lcub; f(&quot;x&quot;); &rcub;\n</code></pre>\n");
    EXPECT_EQ(markdownToHtml("    indented & code"), "<pre><code>\nindented &amp; code\n</code></pre>\n");
}

TEST(MarkdownBlocksTest, TablesHaveNoAlignmentAndOtherExtensionsStayOff) {
    EXPECT_EQ(markdownToHtml("| a | b |\n|:--|--:|\n| 1 | {2} |"),
              "<table>\n<thead>\n<tr>\n<th>\na</th>\n<th>\nb</th>\n</tr>\n</thead>\n"
              "<tbody>\n<tr>\n<td>\n1</td>\n<td>\n&lcub;2&rcub;</td>\n</tr>\n</tbody>\n</table>\n");
    // Strikethrough, task lists, underline, LaTeX math, wiki links and bare-URL links are not recognised.
    EXPECT_EQ(markdownToHtml("~~x~~ $y$ [[z]] www.example.com"), "<p>~~x~~ $y$ [[z]] www.example.com</p>\n");
    EXPECT_EQ(markdownToHtml("- [x] done"), "<ul>\n<li>\n[x] done</li>\n</ul>\n");
    EXPECT_EQ(markdownToHtml("_u_"), "<p><em>u</em></p>\n");
}

TEST(MarkdownSpansTest, RenderInlineMarkup) {
    EXPECT_EQ(markdownToHtml("*a* **b** `c <d>`"), "<p><em>a</em> <strong>b</strong> <code>c &lt;d&gt;</code></p>\n");
    EXPECT_EQ(markdownToHtml("a  \nb"), "<p>a<br>\nb</p>\n");
    EXPECT_EQ(markdownToHtml("[x](/a \"T\")"), "<p><a href=\"/a\" title=\"T\">x</a></p>\n");
    EXPECT_EQ(markdownToHtml("<https://example.com/?a=1&b=2>"),
              "<p><a href=\"https://example.com/?a=1&amp;b=2\">https://example.com/?a=1&amp;b=2</a></p>\n");
}

TEST(MarkdownSpansTest, ImagesPutTheirContentInTheAltAttribute) {
    EXPECT_EQ(markdownToHtml("![a *b*\nc](i.png \"t\")"), "<p><img src=\"i.png\" title=\"t\" alt=\"a b c\"></p>\n");
    // A nested image or link contributes only its text.
    EXPECT_EQ(markdownToHtml("![x ![y](j.png) [z](/u)](i.png)"), "<p><img src=\"i.png\" alt=\"x y z\"></p>\n");
    // Raw HTML inside alt text is only characters of the attribute.
    EXPECT_EQ(markdownToHtml("![<b>\"q\"</b>](i.png)"),
              "<p><img src=\"i.png\" alt=\"&lt;b&gt;&quot;q&quot;&lt;/b&gt;\"></p>\n");
}

TEST(MarkdownEscapingTest, TextCannotOpenAstroExpressionsOrMarkup) {
    EXPECT_EQ(markdownToHtml("A {b}"), "<p>A &lcub;b&rcub;</p>\n");
    EXPECT_EQ(markdownToHtml("x < y & \"z\" > w"), "<p>x &lt; y &amp; &quot;z&quot; &gt; w</p>\n");
    // Escaped markup and entities that decode to markup characters stay text.
    EXPECT_EQ(markdownToHtml("\\<script> &lt;b&gt; &#123;x&#x7D;"), "<p>&lt;script&gt; &lt;b&gt; &lcub;x&rcub;</p>\n");
}

TEST(MarkdownEscapingTest, UrlsArePercentEncodedAndCannotLeaveTheAttribute) {
    EXPECT_EQ(markdownToHtml("[x](<a b>)"), "<p><a href=\"a%20b\">x</a></p>\n");
    EXPECT_EQ(markdownToHtml("[x](/p?a=1&b=2)"), "<p><a href=\"/p?a=1&amp;b=2\">x</a></p>\n");
    // Existing percent escapes are kept; non-ASCII bytes, braces and the like are encoded.
    EXPECT_EQ(markdownToHtml("[x](/%41/é/{id}/a|b/`c`)"),
              "<p><a href=\"/%41/%C3%A9/%7Bid%7D/a%7Cb/%60c%60\">x</a></p>\n");
    // A quote in the destination cannot close the attribute and add another.
    EXPECT_EQ(markdownToHtml("[x](<a\" onclick=\"f()>)"), "<p><a href=\"a%22%20onclick=%22f()\">x</a></p>\n");
    // Entities in destinations are decoded before encoding; in titles they are decoded and HTML-escaped.
    EXPECT_EQ(markdownToHtml("[x](/&eacute;&amp; \"&quot;{t}<\")"),
              "<p><a href=\"/%C3%A9&amp;\" title=\"&quot;&lcub;t&rcub;&lt;\">x</a></p>\n");
}

TEST(MarkdownEscapingTest, RawHtmlIsKeptButItsBracesAreNot) {
    EXPECT_EQ(markdownToHtml("<div title=\"{a}\">\n{b}\n</div>"),
              "<div title=\"&lcub;a&rcub;\">\n&lcub;b&rcub;\n</div>\n");
    EXPECT_EQ(markdownToHtml("a <span class=\"c\">{x}</span>"), "<p>a <span class=\"c\">&lcub;x&rcub;</span></p>\n");
}

TEST(MarkdownEntitiesTest, NamedEntitiesDecodeToOneOrTwoCodePoints) {
    EXPECT_EQ(markdownToHtml("&copy; &nbsp; &amp; &lcub;"), "<p>\u00A9 \u00A0 &amp; &lcub;</p>\n");
    EXPECT_EQ(markdownToHtml("&NotEqualTilde;"), "<p>\u2242\u0338</p>\n");
    // Names are case-sensitive, and a name HTML does not define is plain text.
    EXPECT_EQ(markdownToHtml("&Copy; &COPY; &nosuchentity;"), "<p>&amp;Copy; \u00A9 &amp;nosuchentity;</p>\n");
}

TEST(MarkdownEntitiesTest, NumericEntitiesBecomeCodePointsOrTheReplacementCharacter) {
    EXPECT_EQ(markdownToHtml("&#65;&#x41;&#X41;&#x1F600;"), "<p>AAA\U0001F600</p>\n");
    for (const char* invalid : {"&#0;", "&#x0;", "&#xD800;", "&#xDFFF;", "&#x110000;", "&#1114112;"}) {
        EXPECT_EQ(markdownToHtml(invalid), "<p>\uFFFD</p>\n") << invalid;
    }
    EXPECT_EQ(markdownToHtml("&#x10FFFF;"), "<p>\U0010FFFF</p>\n");
}

TEST(MarkdownEntitiesTest, NulCharactersAreReplaced) {
    using namespace std::string_literals;
    EXPECT_EQ(markdownToHtml("a\0b"s), "<p>a&#x0000;b</p>\n");
    EXPECT_EQ(markdownToHtml("[x](/a \"t\0\")"s), "<p><a href=\"/a\" title=\"t\uFFFD\">x</a></p>\n");
}

TEST(MarkdownHandlerTest, FlagsSelectVerbatimEntitiesAndXhtmlVoidElements) {
    EXPECT_EQ(render("&copy; &#65; [x](/&eacute;)", Handler::kVerbatimEntities),
              "<p>&copy; &#65; <a href=\"/&eacute;\">x</a></p>\n");
    EXPECT_EQ(render("a  \nb\n\n***\n\n![i](p.png)", Handler::kXhtml),
              "<p>a<br />\nb</p>\n<hr />\n<p><img src=\"p.png\" alt=\"i\" /></p>\n");
}

TEST(MarkdownHandlerTest, AnExceptionFromAHandlerStopsTheParseAndReachesTheCaller) {
    struct Failing : MarkdownParser {
        int texts = 0;
        void text(MD_TEXTTYPE, std::string_view) override {
            ++texts;
            throw std::runtime_error("handler failed");
        }
    };
    Failing parser;
    EXPECT_THROW(parser.parse("a *b* c\n\nd"), std::runtime_error);
    EXPECT_EQ(parser.texts, 1);
    // The parser is usable again afterwards.
    EXPECT_THROW(parser.parse("e"), std::runtime_error);
    EXPECT_EQ(parser.texts, 2);
}

}  // namespace
}  // namespace zephalon::markdown
