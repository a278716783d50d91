#include "zephalon/openapi_i18n/translator.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "zephalon/jv/file_io.h"

namespace zephalon::openapi_i18n {
namespace {

std::unique_ptr<jv::JVDoc> json(std::string_view text) { return jv::readString(text, FileFormat::JSON); }

TEST(TranslatorTest, StringMembersAreRecordedPerLocaleAndOthersSkipped) {
    Translator translator;
    auto de = json(R"({"/info/title": "Haustiere", "/info/description": 7, "/paths/~1pets/get/summary": "Liste",
                       "/nested": {"a": "b"}, "/list": ["x"], "/none": null, "/flag": true, "": "Wurzel"})");
    translator.addTranslations("de", *de->root());

    EXPECT_TRUE(translator.hasLocale("de"));
    EXPECT_FALSE(translator.hasLocale("fr"));
    EXPECT_EQ(translator.size(), 3u);
    EXPECT_EQ(translator.translate("de", "/info/title"), "Haustiere");
    EXPECT_EQ(translator.translate("de", "/paths/~1pets/get/summary"), "Liste");
    // The empty key is the pointer of the whole document and just as valid as any other.
    EXPECT_EQ(translator.translate("de", ""), "Wurzel");
    for (const char* skipped : {"/info/description", "/nested", "/list", "/none", "/flag"}) {
        EXPECT_FALSE(translator.hasTranslation("de", skipped)) << skipped;
        EXPECT_EQ(translator.translate("de", skipped), std::nullopt) << skipped;
    }
}

TEST(TranslatorTest, LocalesNeverAnswerForEachOther) {
    Translator translator;
    translator.addTranslations("de", *json(R"({"/info/title": "Haustiere"})")->root());
    translator.addTranslations("fr", *json(R"({"/info/summary": "Animaux"})")->root());

    EXPECT_EQ(translator.size(), 2u);
    EXPECT_TRUE(translator.hasTranslation("de", "/info/title"));
    EXPECT_FALSE(translator.hasTranslation("fr", "/info/title"));
    EXPECT_EQ(translator.translate("fr", "/info/title"), std::nullopt);
    EXPECT_EQ(translator.translate("de", "/info/summary"), std::nullopt);
    EXPECT_EQ(translator.translate("it", "/info/title"), std::nullopt);
    // A locale and key that concatenate to the same text are still different entries.
    translator.addTranslations("d", *json(R"({"e/info/title": "x"})")->root());
    EXPECT_EQ(translator.translate("d", "e/info/title"), "x");
    EXPECT_EQ(translator.translate("de", "/info/title"), "Haustiere");
}

TEST(TranslatorTest, LaterDataForALocaleReplacesRepeatedKeysAndKeepsTheRest) {
    Translator translator;
    translator.addTranslations("de", *json(R"({"/a": "alt", "/b": "bleibt"})")->root());
    translator.addTranslations("de", *json(R"({"/a": "neu", "/c": "dazu"})")->root());
    EXPECT_EQ(translator.size(), 3u);
    EXPECT_EQ(translator.translate("de", "/a"), "neu");
    EXPECT_EQ(translator.translate("de", "/b"), "bleibt");
    EXPECT_EQ(translator.translate("de", "/c"), "dazu");
}

TEST(TranslatorTest, EmptyObjectStillRegistersTheLocale) {
    Translator translator;
    translator.addTranslations("ja", *json("{}")->root());
    EXPECT_TRUE(translator.hasLocale("ja"));
    EXPECT_EQ(translator.size(), 0u);
}

TEST(TranslatorTest, NonObjectDataIsRejectedWithoutRecordingAnything) {
    Translator translator;
    for (const char* text : {R"(["/a", "x"])", R"("text")", "null", "1"}) {
        try {
            translator.addTranslations("de", *json(text)->root());
            ADD_FAILURE() << "accepted " << text;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Invalid locale data");
        }
    }
    EXPECT_FALSE(translator.hasLocale("de"));
    EXPECT_EQ(translator.size(), 0u);
}

}  // namespace
}  // namespace zephalon::openapi_i18n
