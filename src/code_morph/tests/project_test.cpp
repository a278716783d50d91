// Projects: paths inside the project and nowhere else, the file registry, and saving to memory and to disk.

#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "zephalon/code_morph/astro.h"
#include "zephalon/code_morph/base.h"
#include "zephalon/code_morph/typescript.h"

namespace zephalon::code_morph {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A fresh directory, removed with the object.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zephalon-code-morph-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
        root_ = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    const std::filesystem::path& path() const { return root_; }

    // Every regular file below the directory, relative to it, sorted.
    std::vector<std::string> files() const {
        std::vector<std::string> result;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
            if (entry.is_regular_file()) result.push_back(std::filesystem::relative(entry.path(), root_).string());
        }
        std::sort(result.begin(), result.end());
        return result;
    }

  private:
    std::filesystem::path root_;
};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

// Names as they come in documents: tags, operation ids and schema names meant to escape the output directory.
const std::vector<std::string> kHostileNames = {
    "../../etc/x",
    "..",
    ".",
    "/etc/passwd",
    "a/../../b",
    "C:\\Windows\\x",
    std::string("nul\0byte", 8),
    "line\nbreak",
    "tab\there",
    "~/.ssh/config",
    "",
    ".hidden",
    "caf\xc3\xa9",
    "bad\xc3(utf8",
    "del\x7f",
};

TEST(ProjectPathTest, PathsThatCouldLeaveTheProjectAreRefused) {
    auto fs = memoryFileSystem();
    base::Project project(*fs);
    for (std::string_view path : {"/etc/passwd", "../x", "a/../../x", "a/..", "..", "a\\b", "", ".", "./", "a/\tb"}) {
        EXPECT_THAT(errorOf([&] { project.addSourceFile(path); }), HasSubstr("Invalid source file path: \"")) << path;
    }
    EXPECT_EQ(errorOf([&] { project.addSourceFile(std::string("a\0b", 3)); }),
              "Invalid source file path: \"a\\u0000b\"");
    EXPECT_THAT(project.sourceFiles(), ::testing::IsEmpty());

    // Harmless spellings are made plain, so one file cannot hide behind two names.
    EXPECT_EQ(project.addSourceFile("./src//a.ts/")->path(), "src/a.ts");
    EXPECT_EQ(errorOf([&] { project.addSourceFile("src/./a.ts"); }), "Source file already exists: src/a.ts");
    EXPECT_EQ(project.sourceFile("src//a.ts"), project.getOrCreateSourceFile("./src/a.ts"));
    EXPECT_EQ(errorOf([&] { project.sourceFile("src/b.ts"); }), "Source file not found: src/b.ts");
    EXPECT_THROW(project.sourceFile("../a.ts"), std::out_of_range);
    project.removeSourceFile("../a.ts");  // never there: nothing happens
    project.removeSourceFile("src/a.ts");
    EXPECT_THAT(project.sourceFiles(), ::testing::IsEmpty());
}

TEST(ProjectPathTest, SafeFileNamesAreOneHarmlessSegment) {
    EXPECT_EQ(base::safeFileName("../../etc/x"), "_.._.._etc_x");
    EXPECT_EQ(base::safeFileName(""), "_");
    EXPECT_EQ(base::safeFileName(".."), "_..");
    EXPECT_EQ(base::safeFileName("Pet Store v2.json"), "Pet_Store_v2.json");
    EXPECT_EQ(base::safeFileName("caf\xc3\xa9"), "caf\xc3\xa9");
    EXPECT_EQ(base::safeFileName("bad\xc3(utf8\xed\xa0\x80"), "bad__utf8___");
    for (const auto& name : kHostileNames) {
        const std::string safe = base::safeFileName(name);
        EXPECT_FALSE(safe.empty());
        EXPECT_EQ(safe.find('/'), std::string::npos) << name;
        EXPECT_NE(safe.front(), '.') << name;
        EXPECT_EQ(base::normalizeSourcePath(safe), safe) << name;
    }
}

TEST(ProjectSaveTest, HostileNamesStayInsideTheOutputDirectoryOnDiskAndInMemory) {
    TempDir dir;
    const auto output = dir.path() / "out";
    auto local = localFileSystem();
    auto memory = memoryFileSystem();
    for (FileSystem* fs : std::initializer_list<FileSystem*>{local.get(), memory.get()}) {
        typescript::Project project(*fs);
        project.setPath(output.string());
        for (const auto& name : kHostileNames) {
            auto* file = project.getOrCreateSourceFile(fmt::format("src/{}.ts", base::safeFileName(name)));
            file->setText("export {};\n");
        }
        project.save();
    }
    for (const auto& file : dir.files()) EXPECT_EQ(file.rfind("out/src/", 0), 0u) << file;
    EXPECT_EQ(dir.files().size(), kHostileNames.size());
    for (const auto& path : memory->files()) EXPECT_EQ(path.rfind(output.string() + "/src/", 0), 0u) << path;
    EXPECT_EQ(memory->files().size(), kHostileNames.size());
}

TEST(ProjectSaveTest, WritesEveryFileWithItsDirectoriesAndReplacesOldContent) {
    TempDir dir;
    auto fs = localFileSystem();
    astro::Project site(*fs);
    site.setPath((dir.path() / "site").string() + "/");
    site.addPageFile("operations/getPet")->setText("---\n---\n<h1>Pet</h1>\n");
    site.addComponentFile("Sidebar")->setText("<nav/>");
    site.packageJsonFile()->setText("{}\n");
    site.astroConfigFile();
    site.tailwindConfigFile();
    site.readmeFile()->setText("# Site\n");
    site.tsConfigFile();
    EXPECT_EQ(errorOf([&] { site.readmeFile(); }), "Source file already exists: README.md");
    site.save();
    EXPECT_THAT(dir.files(), ElementsAre("site/README.md", "site/astro.config.mjs", "site/package.json",
                                         "site/src/components/Sidebar.astro", "site/src/pages/operations/getPet.astro",
                                         "site/tailwind.config.cjs", "site/tsconfig.json"));
    EXPECT_EQ(readFile(dir.path() / "site/src/components/Sidebar.astro"), "<nav/>");

    // Saving again replaces each file whole, and leaves no temporary file beside it.
    site.sourceFile("README.md")->setText("# New\n");
    site.save();
    site.save();
    EXPECT_EQ(readFile(dir.path() / "site/README.md"), "# New\n");
    EXPECT_EQ(dir.files().size(), 7u);
}

TEST(ProjectSaveTest, AFailingFileStopsTheSaveAndNamesThePlace) {
    auto fs = memoryFileSystem();
    fs->mkdirp("out/b.txt");  // a directory where a file should go
    base::Project project(*fs);
    project.setPath("out");
    project.addSourceFile("a.txt")->setText("a");
    project.addSourceFile("b.txt")->setText("b");
    project.addSourceFile("c.txt")->setText("c");
    EXPECT_THAT(errorOf([&] { project.save(); }), HasSubstr("out/b.txt"));
    // Files before the failure are written; the one after is not.
    EXPECT_THAT(fs->files(), ElementsAre("out/a.txt"));

    base::SourceFile loose(nullptr, "x.txt");
    EXPECT_EQ(errorOf([&] { loose.save(); }), "Source file x.txt belongs to no project and cannot be saved");
}

TEST(ProjectSaveTest, FlavoursCreateTheirOwnFiles) {
    auto fs = memoryFileSystem();
    typescript::Project project(*fs);
    typescript::SourceFile* module = project.addModuleFile("pets");
    module->addImport("./utils", "init");
    base::Project& plain = project;
    // Added through the base interface, a file is still of the project's flavour.
    auto* added = dynamic_cast<typescript::SourceFile*>(plain.addSourceFile("src/other.ts"));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(project.sourceFile("src/pets.ts"), module);
    EXPECT_EQ(module->project(), &project);
    EXPECT_EQ(module->parent(), &project);
    project.save();
    EXPECT_EQ(fs->read("src/pets.ts"), "import { init } from \"./utils\";\n");
    project.clear();
    EXPECT_TRUE(project.sourceFiles().empty());
}

}  // namespace
}  // namespace zephalon::code_morph
