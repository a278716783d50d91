// Trees read from text keep their nodes, texts and blocks in memory of their own that is freed with the document.
// These tests edit such trees in every way the API allows, take values out of them and let the document go first:
// the sanitizer build reports any value freed too early or never.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "zephalon/jv/file_io.h"
#include "zephalon/jv/json_reader.h"
#include "zephalon/jv/json_writer.h"
#include "zephalon/jv/jv.h"
#include "zephalon/jv/yaml_reader.h"

namespace zephalon::jv {
namespace {

constexpr const char* kText = R"({
  "name": "pets",
  "big": 123456789012345678901234567890.5,
  "count": 3,
  "tags": ["a", "b", "a long tag that is not interned because it is longer than forty bytes"],
  "nested": {"z": {"deep": [1, 2, {"k": "v"}]}, "a": true, "m": null},
  "list": [{"id": 1}, {"id": 2}]
})";

std::string compact(const JV& value) {
    JSONWriter writer;
    writer.setIndentSize(0);
    writer.write(value);
    return writer.toString();
}

// Applies the same edits to a read tree and to a tree built on the heap from the same text.
void editEverywhere(JV& root, JVDoc& doc) {
    root.setStringProperty("name", "dogs");
    root.property("count")->setNumericValue(4);
    root.property("big")->setString("no longer a number");
    root.property("tags")->addString("d");  // the read array grows out of its block
    root.property("tags")->removeAt(0);
    JV* nested = root.property("nested");
    nested->setBoolProperty("b", false);  // a new key in a read object
    nested->removeProperty("m");
    nested->property("z")->property("deep")->at(2)->setProperty("k", std::make_unique<JV>("w"));
    doc.addProp(*nested, "b");
    root.property("list")->at(0)->setObjectProperty("extra")->setIntProperty("x", 1);
    root.property("list")->cloneTo(*root.setNullProperty("copy"));
    root.property("list")->at(1)->setArray();
    doc.clearPropOrder(*root.property("list")->at(0));
}

TEST(ReadTree, EditsToAReadTreeMatchTheSameEditsToABuiltOne) {
    auto read = readJsonString(kText);
    auto built = std::make_unique<JVDoc>(read->root()->clone());
    editEverywhere(*read->root(), *read);
    editEverywhere(*built->root(), *built);
    EXPECT_TRUE(read->root()->equal(*built->root()));
    EXPECT_EQ(compact(*read->root()), compact(*built->root()));
    EXPECT_EQ(read->root()->property("nested")->pointer(), "/nested");
    EXPECT_EQ(read->propOrder(*read->root()->property("nested")), (std::vector<std::string_view>{"z", "a", "m", "b"}));
}

// A read object's source order lies in where its members' nodes were made until its members change: then it is
// recorded as a list of keys, as for built objects, so a key taken out and put back, or given a new value, keeps its
// place.
TEST(ReadTree, SourceOrderOutlastsChangesOfTheMembers) {
    auto doc = readJsonString(R"({"c": 1, "a": {"y": 1, "x": 2}, "b": [true]})");
    JV& root = *doc->root();
    std::unique_ptr<JV> a = root.releaseProperty("a");
    root.setProperty("c", std::make_unique<JV>("new"));
    root.setNullProperty("aa");
    root.setProperty("a", std::move(a));
    EXPECT_EQ(doc->propOrder(root), (std::vector<std::string_view>{"c", "a", "b"}));
    EXPECT_EQ(doc->propOrder(*root.property("a")), (std::vector<std::string_view>{"y", "x"}));
    EXPECT_TRUE(doc->propOrder(*root.property("a")->clone()).empty());
    doc->clearPropOrder(*root.property("a"));
    EXPECT_TRUE(doc->propOrder(*root.property("a")).empty());
    doc->addProp(*root.property("a"), "x");
    EXPECT_EQ(doc->propOrder(*root.property("a")), (std::vector<std::string_view>{"x"}));
}

TEST(ReadTree, ValuesTakenOutOutliveTheirDocument) {
    std::unique_ptr<JV> nested;
    std::unique_ptr<JV> deep;
    std::unique_ptr<JV> tag;
    std::unique_ptr<JV> root;
    std::unique_ptr<JV> copy;
    {
        auto doc = readJsonString(kText);
        nested = doc->root()->releaseProperty("nested");
        // A value taken out of a value that was taken out.
        deep = nested->property("z")->releaseProperty("deep");
        tag = doc->root()->property("tags")->releaseAt(2);
        copy = doc->root()->property("list")->clone();
        auto other = readJsonString(kText);
        root = other->releaseRoot();
    }
    EXPECT_EQ(compact(*nested), R"({"a":true,"m":null,"z":{}})");
    EXPECT_EQ(nested->pos, (Pos{6, 13}));
    EXPECT_EQ(compact(*deep), R"([1,2,{"k":"v"}])");
    EXPECT_EQ(deep->parent(), nullptr);
    EXPECT_EQ(deep->at(2)->pointer(), "/2");
    EXPECT_EQ(tag->stringValue(), "a long tag that is not interned because it is longer than forty bytes");
    EXPECT_EQ(compact(*copy), R"([{"id":1},{"id":2}])");
    EXPECT_EQ(root->property("big")->numberValue().string(), "123456789012345678901234567890.5");

    // Taken-out values go back into trees, read or built, and are destroyed with them.
    auto doc = readJsonString(kText);
    doc->root()->setProperty("nested", std::move(nested));
    doc->root()->property("list")->add(std::move(root));
    JV built(JV::ObjectTag{});
    built.setProperty("deep", std::move(deep));
    built.setProperty("tag", std::move(tag));
    EXPECT_EQ(compact(*doc->root()->property("nested")), R"({"a":true,"m":null,"z":{}})");
    EXPECT_EQ(doc->root()->property("list")->at(2)->property("name")->pointer(), "/list/2/name");
    doc.reset();
    EXPECT_EQ(compact(built), R"({"deep":[1,2,{"k":"v"}],"tag":"a long tag that is not interned because it is )"
                              R"(longer than forty bytes"})");
}

TEST(ReadTree, ValuesMovedWithinTheirTreeAndReplacedRoots) {
    auto doc = readJsonString(kText);
    JV& root = *doc->root();
    root.setProperty("moved", root.releaseProperty("nested"));
    root.property("moved")->property("z")->setProperty("again", root.property("list")->releaseAt(0));
    EXPECT_EQ(root.property("moved")->property("z")->property("again")->pointer(), "/moved/z/again");
    // A document read into another's place frees the first, values taken out of it excepted.
    std::unique_ptr<JV> kept = root.releaseProperty("tags");
    doc->setRoot(readJsonString(kText)->releaseRoot());
    EXPECT_EQ(compact(*kept), R"(["a","b","a long tag that is not interned because it is longer than forty bytes"])");
    EXPECT_EQ(doc->root()->property("count")->numberValue().string(), "3");
}

// The pointer texts of a document's "$ref" values, sorted.
std::vector<std::string> referencePointers(const JVDoc& doc) {
    std::vector<std::string> pointers;
    for (const JV* value : doc.references()) {
        EXPECT_EQ(value->parent()->property("$ref"), value);
        pointers.push_back(value->pointer());
    }
    std::sort(pointers.begin(), pointers.end());
    return pointers;
}

TEST(ReadTree, ReferencesNotedByTheReaderAreThoseAWalkFinds) {
    const std::vector<std::string> expected{"/a/$ref", "/list/1/$ref", "/list/2/deep/$ref", "/twice/$ref"};
    auto json =
        readJsonString(R"({"a": {"$ref": "#/x"}, "list": [{"$ref": 1}, {"$ref": "#/y"}, {"deep": {"$ref": "z"}}],
                                   "twice": {"$ref": "first", "$ref": "kept"}, "text": "$ref", "$refs": "no"})");
    EXPECT_EQ(referencePointers(*json), expected);
    EXPECT_EQ(json->root()->property("twice")->property("$ref")->stringValue(), "kept");
    // Aliases and merge keys make objects of their own, each with its own reference.
    auto yaml = readYamlString(R"(a: &shared {$ref: '#/x'}
list: [{$ref: 1}, *shared, {deep: {<<: *shared}}]
twice: {$ref: first}
)");
    EXPECT_EQ(referencePointers(*yaml), expected);
    // A tree that was not read is walked; a replaced root is the tree that counts.
    JVDoc built(json->root()->clone());
    EXPECT_EQ(referencePointers(built), expected);
    json->setRoot(readJsonString(R"([{"$ref": "#/only"}])")->releaseRoot());
    EXPECT_EQ(referencePointers(*json), std::vector<std::string>{"/0/$ref"});
}

TEST(ReadTree, EveryValueOfAStreamHasItsOwnMemory) {
    DefaultHandler handler;
    JSONReader::Options options;
    options.allowMultipleValues = true;
    JSONReader reader(handler, options);
    ASSERT_TRUE(reader.read(R"({"a": ["x", "y"]} "second" 3)"));
    std::unique_ptr<JVDoc> doc = handler.document();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(compact(*doc->root()), "3");
    // A failed read leaves nothing behind (the leak checker watches this one).
    DefaultHandler partial;
    JSONReader broken(partial);
    EXPECT_FALSE(broken.read(R"({"a": [{"b": "c", "d": [1, 2)"));
}

}  // namespace
}  // namespace zephalon::jv
