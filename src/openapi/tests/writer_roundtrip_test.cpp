// A document read and written back with its read result must come out as it went in: the same members with the same
// values, spelt the same way (numbers included), in the same key order. After an edit through the model, only the
// edited place may differ.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/pointer.h"
#include "zephalon/openapi/model.h"
#include "zephalon/openapi/reader.h"
#include "zephalon/openapi/writer.h"

namespace zephalon::openapi {
namespace {

namespace fs = std::filesystem;
using jv::JV;

// The places where two trees differ: "<pointer>" for a value, "<pointer> keys" for an object whose key list (order
// included) differs, "<pointer> size" for arrays of different lengths. Scalars are compared as text, so 1.0 and 1
// differ.
void collectDifferences(const JV& expected, const jv::JVDoc& expectedDoc, const JV& actual, const jv::JVDoc& actualDoc,
                        const std::string& where, std::vector<std::string>& out) {
    if (expected.type() != actual.type()) {
        out.push_back(where);
        return;
    }
    if (expected.isArray()) {
        if (expected.size() != actual.size()) {
            out.push_back(where + " size");
            return;
        }
        for (std::size_t i = 0; i < expected.size(); ++i) {
            collectDifferences(*expected.at(i), expectedDoc, *actual.at(i), actualDoc, where + "/" + std::to_string(i),
                               out);
        }
        return;
    }
    if (!expected.isObject()) {
        if (jv::toString(expected, FileFormat::JSON) != jv::toString(actual, FileFormat::JSON)) out.push_back(where);
        return;
    }
    auto order = [](const JV& object, const jv::JVDoc& doc) {
        std::vector<std::string> keys;
        for (std::string_view key : doc.propOrder(object)) keys.emplace_back(key);
        if (keys.empty()) {
            for (auto property : object.properties()) keys.emplace_back(property.key);
        }
        return keys;
    };
    if (order(expected, expectedDoc) != order(actual, actualDoc)) out.push_back(where + " keys");
    for (auto property : expected.properties()) {
        if (const JV* other = actual.property(property.key); other != nullptr) {
            collectDifferences(*property.value, expectedDoc, *other, actualDoc,
                               where + "/" + jv::escapeToken(property.key), out);
        }
    }
}

std::vector<std::string> differences(const jv::JVDoc& expected, const jv::JVDoc& actual) {
    std::vector<std::string> out;
    collectDifferences(*expected.root(), expected, *actual.root(), actual, "", out);
    return out;
}

std::vector<fs::path> documents(std::string_view folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(ZEPHALON_TESTDATA_DIR) / folder)) {
        if (jv::guessFormat(entry.path())) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<fs::path> documents() {
    auto files = documents("openapi");
    for (auto& file : documents("writeback")) files.push_back(std::move(file));
    return files;
}

FileFormat formatOf(const fs::path& file) { return *jv::guessFormat(file); }

TEST(WriterRoundTrip, EveryTestDocumentIsWrittenBackAsItWasRead) {
    const auto files = documents();
    ASSERT_GE(files.size(), 18u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        auto result = checkedReadFromFile(file);
        auto source = jv::readFile(file);
        // In the document's own format, and in the other one.
        for (FileFormat format :
             {formatOf(file), formatOf(file) == FileFormat::JSON ? FileFormat::YAML : FileFormat::JSON}) {
            std::string written;
            writeToString(result.get(), written, format);
            auto output = jv::readString(written, format);
            EXPECT_EQ(differences(*source, *output), std::vector<std::string>{});
        }
    }
}

// What the writer produces is a fixed point: reading it again and writing it again changes nothing, in JSON and in
// YAML.
TEST(WriterRoundTrip, WrittenDocumentsReadBackWithoutIssuesAndRewriteIdentically) {
    for (const fs::path& file : documents()) {
        SCOPED_TRACE(file.filename().string());
        auto result = checkedReadFromFile(file);
        for (FileFormat format : {FileFormat::JSON, FileFormat::YAML}) {
            std::string first;
            writeToString(result.get(), first, format);
            auto again = readFromString(first, format);
            EXPECT_FALSE(again->hasIssues()) << formatIssues(*again);
            std::string second;
            writeToString(again.get(), second, format);
            EXPECT_TRUE(jv::readString(first, format)->root()->equal(*jv::readString(second, format)->root()));
        }
    }
}

TEST(WriterRoundTrip, FileWritesFollowTheExtensionAndLeaveNoPartialFile) {
    auto result = checkedReadFromFile(fs::path(ZEPHALON_TESTDATA_DIR) / "openapi" / "bookshop-3.1.yaml");
    const fs::path dir = fs::temp_directory_path() /
                         ("zephalon-writer-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    const fs::path json = dir / "out.json";
    writeToFile(result.get(), json);
    auto reread = checkedReadFromFile(json);
    std::string a;
    std::string b;
    writeToString(result.get(), a, FileFormat::JSON);
    writeToString(reread.get(), b, FileFormat::JSON);
    EXPECT_EQ(a, b);

    // An unknown extension fails before anything is written.
    EXPECT_THROW(writeToFile(result.get(), dir / "out.txt"), std::exception);
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
    fs::remove_all(dir);
}

// After an edit the source order still holds for what the source had; new members follow in the writer's order.
TEST(WriterRoundTrip, EditedModelKeepsSourceOrderAndAppendsNewMembers) {
    const std::string text = R"({"paths": {"/z": {}, "/a": {}}, "info": {"version": "1", "title": "T"},
        "openapi": "3.1.0", "components": {"schemas": {"S": {"properties": {"y": {}, "x": {}}, "type": "object"}}}})";
    auto result = checkedReadFromString(text, FileFormat::JSON);
    OpenAPI* model = result->model();
    model->paths()->addItem("/m");
    model->paths()->removeItem("/z");
    Schema* schema = model->components()->schema("S");
    schema->addProperty("b");
    schema->setTitle("Added");
    model->info()->setDescription("new");

    std::string written;
    writeToString(result.get(), written, FileFormat::JSON);
    auto doc = jv::readString(written, FileFormat::JSON);
    auto keys = [&](const JV* object) {
        std::vector<std::string> out;
        for (std::string_view key : doc->propOrder(*object)) out.emplace_back(key);
        return out;
    };
    const JV& root = *doc->root();
    EXPECT_EQ(keys(&root), (std::vector<std::string>{"paths", "info", "openapi", "components"}));
    EXPECT_EQ(keys(root.property("paths")), (std::vector<std::string>{"/a", "/m"}));
    EXPECT_EQ(keys(root.property("info")), (std::vector<std::string>{"version", "title", "description"}));
    const JV* s = root.property("components")->property("schemas")->property("S");
    EXPECT_EQ(keys(s), (std::vector<std::string>{"properties", "type", "title"}));
    EXPECT_EQ(keys(s->property("properties")), (std::vector<std::string>{"y", "x", "b"}));
}

// An edit through the model shows up where it was made, and nowhere else.
class WriterEdit : public ::testing::Test {
  protected:
    void read(std::string_view name) {
        file_ = fs::path(ZEPHALON_TESTDATA_DIR) / "writeback" / name;
        result_ = checkedReadFromFile(file_);
        source_ = jv::readFile(file_);
    }
    std::unique_ptr<jv::JVDoc> write() {
        std::string written;
        writeToString(result_.get(), written, formatOf(file_));
        return jv::readString(written, formatOf(file_));
    }
    std::vector<std::string> changes() { return differences(*source_, *write()); }
    OpenAPI* model() { return result_->model(); }

    fs::path file_;
    std::unique_ptr<OpenAPIReadResult> result_;
    std::unique_ptr<jv::JVDoc> source_;
};

TEST_F(WriterEdit, SettingTheVersionChangesOnlyTheVersion) {
    read("orders-3.0.yaml");
    model()->info()->setVersion("2.0.0");
    EXPECT_EQ(changes(), std::vector<std::string>{"/info/version"});
    EXPECT_EQ(write()->root()->property("info")->property("version")->stringValue(), "2.0.0");
}

TEST_F(WriterEdit, AnExtensionAddedToInfoIsTheOnlyNewMember) {
    read("orders-3.0.yaml");
    model()->info()->addExtension("x-audience")->setString("partners");
    EXPECT_EQ(changes(), std::vector<std::string>{"/info keys"});
    auto written = write();
    const JV* info = written->root()->property("info");
    EXPECT_EQ(info->property("x-audience")->stringValue(), "partners");
    // After the members the source had.
    auto keys = written->propOrder(*info);
    EXPECT_EQ(keys.back(), "x-audience");
}

TEST_F(WriterEdit, SortingTagsReordersOnlyTheTagList) {
    read("orders-3.0.yaml");
    const auto& tags = model()->tags();
    ASSERT_GE(tags.size(), 3u);
    ASSERT_FALSE(
        std::is_sorted(tags.begin(), tags.end(), [](const auto& a, const auto& b) { return a->name() < b->name(); }));
    model()->sortTags([](const Tag* a, const Tag* b) { return a->name() < b->name(); });
    // Every element of the array now holds another tag; nothing outside it changed.
    for (const std::string& place : changes()) EXPECT_TRUE(place.starts_with("/tags/")) << place;
    auto written = write();
    std::vector<std::string> names;
    for (const JV* tag : written->root()->property("tags")->items())
        names.emplace_back(tag->property("name")->stringValue());
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    // Each tag object is still the one read, with all its members.
    const JV* sourceTags = source_->root()->property("tags");
    for (const JV* tag : written->root()->property("tags")->items()) {
        auto same = std::find_if(sourceTags->items().begin(), sourceTags->items().end(),
                                 [&](const JV* original) { return original->equal(*tag); });
        EXPECT_NE(same, sourceTags->items().end());
    }
}

TEST_F(WriterEdit, ARenamedPathKeepsItsPlaceAndItsContent) {
    read("orders-3.0.yaml");
    model()->paths()->replaceUrl("/orders/{orderId}", "/orders/{id}");
    auto written = write();
    const JV* paths = written->root()->property("paths");
    const JV* before = source_->root()->property("paths");
    std::vector<std::string> expected;
    for (std::string_view key : source_->propOrder(*before)) {
        expected.emplace_back(key == "/orders/{orderId}" ? "/orders/{id}" : std::string(key));
    }
    std::vector<std::string> actual;
    for (std::string_view key : written->propOrder(*paths)) actual.emplace_back(key);
    EXPECT_EQ(actual, expected);
    EXPECT_TRUE(paths->property("/orders/{id}")->equal(*before->property("/orders/{orderId}")));
    EXPECT_EQ(changes(), std::vector<std::string>{"/paths keys"});
}

TEST_F(WriterEdit, RemovingADuplicateEnumValueChangesOnlyThatEnum) {
    read("orders-3.0.yaml");
    Schema* status = model()->components()->schema("OrderStatus");
    ASSERT_NE(status, nullptr);
    ASSERT_EQ(status->enumValues().size(), 4u);
    ASSERT_TRUE(status->enumValues()[1]->equal(*status->enumValues()[3]));
    status->removeEnum(3);
    EXPECT_EQ(changes(), std::vector<std::string>{"/components/schemas/OrderStatus/enum size"});
}

// Values at their default and keywords of the older spelling are only kept while the model still says the same.
TEST_F(WriterEdit, ChangedMembersAreWrittenFromTheModel) {
    read("orders-3.0.yaml");
    Operation* list = model()->operationById("listOrders");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->deprecated());
    list->setDeprecated(false);
    list->removeSummary();
    Schema* order = model()->components()->schema("Order");
    ASSERT_TRUE(order->required().contains("id"));
    order->removeRequired("id");
    auto written = write();
    const JV* get = written->root()->property("paths")->property("/orders")->property("get");
    EXPECT_FALSE(get->hasProperty("deprecated"));
    EXPECT_FALSE(get->hasProperty("summary"));
    const JV* required =
        written->root()->property("components")->property("schemas")->property("Order")->property("required");
    std::vector<std::string> names;
    for (const JV* name : required->items()) names.emplace_back(name->stringValue());
    EXPECT_EQ(names, (std::vector<std::string>{"items", "status"}));
    EXPECT_EQ(changes(),
              (std::vector<std::string>{"/components/schemas/Order/required size", "/paths/~1orders/get keys"}));
}

std::vector<std::string> strings(const JV& array) {
    std::vector<std::string> out;
    for (const JV* element : array.items()) out.emplace_back(element->stringValue());
    return out;
}

// Operation tags that the root does not declare are names of their own, kept through reading and writing.
TEST(OperationTags, UndeclaredTagsAreKeptAsNames) {
    auto result = checkedReadFromString(R"({"openapi": "3.1.0", "info": {"title": "T", "version": "1"},
        "tags": [{"name": "orders"}],
        "paths": {"/a": {"get": {"tags": ["internal", "orders", "", "internal", "beta"], "responses": {}}}}})",
                                        FileFormat::JSON);
    Operation* get = result->model()->paths()->item("/a")->operation(HttpMethod::get);
    ASSERT_EQ(get->tags().size(), 1u);
    EXPECT_EQ(get->tags()[0]->name(), "orders");
    EXPECT_EQ(get->tagNames(), (std::vector<std::string_view>{"internal", "orders", "beta"}));

    std::string written;
    writeToString(result.get(), written, FileFormat::JSON);
    auto doc = jv::readString(written, FileFormat::JSON);
    // Unchanged, the array is written as it was, empty string and repeat included.
    const JV* tags = doc->root()->property("paths")->property("/a")->property("get")->property("tags");
    EXPECT_EQ(strings(*tags), (std::vector<std::string>{"internal", "orders", "", "internal", "beta"}));

    // After a change, the names in the model's order.
    EXPECT_TRUE(get->removeTagName("internal"));
    EXPECT_FALSE(get->removeTagName("internal"));
    get->addTag("gamma");
    writeToString(result.get(), written, FileFormat::JSON);
    doc = jv::readString(written, FileFormat::JSON);
    tags = doc->root()->property("paths")->property("/a")->property("get")->property("tags");
    EXPECT_EQ(strings(*tags), (std::vector<std::string>{"orders", "beta", "gamma"}));
    // And without a source.
    writeToString(*result->model(), written, FileFormat::JSON);
    doc = jv::readString(written, FileFormat::JSON);
    tags = doc->root()->property("paths")->property("/a")->property("get")->property("tags");
    EXPECT_EQ(strings(*tags), (std::vector<std::string>{"orders", "beta", "gamma"}));
}

}  // namespace
}  // namespace zephalon::openapi
