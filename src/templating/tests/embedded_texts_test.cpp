// Templates kept as files and embedded at build time arrive byte for byte and work together.

#include <gtest/gtest.h>

#include <string>

#include "embedded_test_templates.h"
#include "template_test_support.h"

namespace zephalon::templating::testing {
namespace {

TEST(EmbeddedTexts, KeepTheFilesBytesAndRelativeNames) {
    auto texts = embedded_test_templates::embeddedTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].name, "greeting.txt");
    EXPECT_EQ(texts[0].text, "Hello, {{ name }}!");  // saved without a final newline
    EXPECT_EQ(texts[1].name, "nested/page.html");
    EXPECT_EQ(texts[1].text, "<p class=\"x\\y\">\xc3\xa9 {% include \"greeting.txt\" %}</p>\n");

    Environment env;
    for (const auto& text : texts) {
        env.addTemplate(std::string(text.name), text.text);
    }
    EXPECT_EQ(env.render(*env.find("nested/page.html"), {{"name", "you"}}),
              "<p class=\"x\\y\">\xc3\xa9 Hello, you!</p>\n");
}

}  // namespace
}  // namespace zephalon::templating::testing
