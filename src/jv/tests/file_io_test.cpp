#include "zephalon/jv/file_io.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "zephalon/jv/read_error.h"

namespace zephalon::jv {
namespace {

namespace fs = std::filesystem;

class FileIo : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / fmt::format("zephalon-jv-io-{}-{}", ::getpid(),
                                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path path(std::string_view name) const { return dir_ / name; }

    void put(const fs::path& file, std::string_view text) const {
        std::ofstream out(file, std::ios::binary);
        out << text;
    }

    static std::string slurp(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    template <typename F>
    static std::string failureOf(F&& action) {
        try {
            action();
        } catch (const std::exception& error) {
            return error.what();
        }
        return "(no error)";
    }

    fs::path dir_;
};

TEST_F(FileIo, GuessesTheFormatFromTheExtension) {
    EXPECT_EQ(guessFormat("a/api.json"), FileFormat::JSON);
    EXPECT_EQ(guessFormat("api.yaml"), FileFormat::YAML);
    EXPECT_EQ(guessFormat("api.yml"), FileFormat::YAML);
    EXPECT_EQ(guessFormat("API.YML"), FileFormat::YAML);
    EXPECT_EQ(guessFormat("api.json.txt"), std::nullopt);
    EXPECT_EQ(guessFormat("json"), std::nullopt);
    EXPECT_EQ(guessFormat(".yaml/api"), std::nullopt);
    EXPECT_EQ(extensionForFormat(FileFormat::JSON), ".json");
    EXPECT_EQ(extensionForFormat(FileFormat::YAML), ".yaml");
}

TEST_F(FileIo, ReadFailuresNameThePath) {
    fs::path missing = path("missing.yaml");
    EXPECT_EQ(failureOf([&] { readFile(missing); }), "Cannot open file: " + missing.string());
    fs::path text = path("notes.txt");
    put(text, "{}");
    EXPECT_EQ(failureOf([&] { readFile(text); }), "Unsupported file format: " + text.string());
    fs::path folder = path("folder.json");
    fs::create_directory(folder);
    EXPECT_EQ(failureOf([&] { readFile(folder); }), "Cannot open file: " + folder.string());

    fs::path badJson = path("bad.json");
    put(badJson, "{\"a\": 01}");
    EXPECT_EQ(failureOf([&] { readFile(badJson); }),
              badJson.string() + ":1:8: JSON parse error: expected ',' or '}' after an object member, found a number");
    fs::path badYaml = path("bad.yml");
    put(badYaml, "a: [\n");
    EXPECT_EQ(failureOf([&] { readFile(badYaml); }),
              badYaml.string() +
                  ":2:1: Failed to parse YAML: did not find expected node content (while parsing a flow node that "
                  "starts at 2:1)");
}

TEST_F(FileIo, WriteThenReadKeepsValuesAndKeyOrderInBothFormats) {
    auto doc = readString(R"({"info": {"version": "1.0", "title": "T"}, "openapi": "3.0.3", "n": [1, 2.5]})",
                          FileFormat::JSON);
    for (const char* name : {"out.json", "out.yaml"}) {
        fs::path file = path(name);
        writeFile(*doc, file);
        auto [back, format] = readFileAndFormat(file);
        EXPECT_EQ(format, guessFormat(file));
        EXPECT_TRUE(back->root()->equal(*doc->root())) << name;
        std::vector<std::string_view> order{"version", "title"};
        EXPECT_EQ(back->propOrder(*back->root()->property("info")), order) << name;
    }
    // "n" is a boolean to YAML 1.1 readers, so the key is quoted too.
    EXPECT_EQ(slurp(path("out.yaml")), "info:\n  version: '1.0'\n  title: T\nopenapi: 3.0.3\n'n':\n- 1\n- 2.5\n");

    FileWriteOptions compact;
    compact.indentSize = 0;
    writeFile(*doc, path("compact.json"), compact);
    EXPECT_EQ(slurp(path("compact.json")), R"({"info":{"version":"1.0","title":"T"},"openapi":"3.0.3","n":[1,2.5]})");
}

TEST_F(FileIo, FailedWritesLeaveTheTargetUntouched) {
    fs::path target = path("api.json");
    put(target, "{\"old\": true}\n");

    // A value the JSON writer refuses: nothing may reach the file.
    JVDoc bad;
    bad.setRoot(JV::Type::Object);
    bad.root()->setStringProperty("fine", "x");
    bad.root()->setFloatProperty("nan", std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(failureOf([&] { writeFile(bad, target); }), "InvalidNumber");
    EXPECT_EQ(slurp(target), "{\"old\": true}\n");
    EXPECT_EQ(entries(), 1u);

    fs::path nowhere = path("no/such/dir/api.yaml");
    JVDoc good;
    good.setRoot(JV::Type::Object);
    EXPECT_EQ(failureOf([&] { writeFile(good, nowhere); }), "Failed to open file: " + nowhere.string());
    EXPECT_FALSE(fs::exists(nowhere));

    fs::path unsupported = path("api.txt");
    EXPECT_EQ(failureOf([&] { writeFile(good, unsupported); }), "Unsupported file format: " + unsupported.string());
    EXPECT_FALSE(fs::exists(unsupported));
}

TEST_F(FileIo, StreamsAndStrings) {
    std::istringstream in("a: 1\nb: [x]\n");
    auto doc = readStream(in, FileFormat::YAML);
    std::ostringstream out;
    writeStream(*doc, out, FileFormat::JSON);
    EXPECT_EQ(out.str(), "{\n  \"a\": 1,\n  \"b\": [\n    \"x\"\n  ]\n}\n");
    std::string text;
    writeString(*doc, text, FileFormat::YAML);
    EXPECT_EQ(text, "a: 1\nb:\n- x\n");
    EXPECT_EQ(toString(*doc->root()->property("b"), FileFormat::JSON), "[\n  \"x\"\n]\n");
}

// Hands out its text a few bytes at a time and cannot seek, like a pipe.
class TrickleBuffer : public std::streambuf {
  public:
    explicit TrickleBuffer(std::string text) : text_(std::move(text)) {}

  protected:
    int_type underflow() override {
        if (at_ >= text_.size()) return traits_type::eof();
        std::size_t n = std::min<std::size_t>(3, text_.size() - at_);
        setg(text_.data() + at_, text_.data() + at_, text_.data() + at_ + n);
        at_ += n;
        return traits_type::to_int_type(*gptr());
    }

  private:
    std::string text_;
    std::size_t at_ = 0;
};

// A stream is read from where it stands to its end, whether it can tell its length or not.
TEST_F(FileIo, StreamsAreReadFromTheirPositionToTheEnd) {
    std::string json = "{\"a\": [1, \"" + std::string(70000, 'x') + "\"]}";
    for (FileFormat format : {FileFormat::JSON, FileFormat::YAML}) {
        std::istringstream partly("skip" + json);
        partly.ignore(4);
        auto doc = readStream(partly, format);
        EXPECT_EQ(doc->findNode("/a/1")->stringValue().size(), 70000u);

        TrickleBuffer trickle(json);
        std::istream pipe(&trickle);
        auto piped = readStream(pipe, format);
        EXPECT_EQ(piped->findNode("/a/1")->stringValue().size(), 70000u);
        EXPECT_EQ(piped->findNode("/a")->pos, readString(json, format)->findNode("/a")->pos);

        fs::path file = path("doc.json");
        put(file, json);
        std::ifstream in(file, std::ios::binary);
        in.ignore(1);
        // The opening brace was taken already: what is left is not one value.
        EXPECT_THROW(readStream(in, format), ReadError);
    }
}

}  // namespace
}  // namespace zephalon::jv
