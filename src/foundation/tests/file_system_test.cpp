#include "zephalon/foundation/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "test_dir.h"

namespace zephalon {
namespace {

using testing::TempDir;

std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileError& e) {
        return e.what();
    }
    return "<no error>";
}

TEST(MemoryFileSystem, MkdirpRecordsEveryParent) {
    auto fs = memoryFileSystem();
    fs->mkdirp("a/b/c");
    EXPECT_EQ(fs->directories(), (std::vector<std::string>{"a", "a/b", "a/b/c"}));
    fs->mkdirp("/abs//x/");
    EXPECT_TRUE(fs->exists("/abs"));
    EXPECT_TRUE(fs->exists("/abs//x"));
    EXPECT_TRUE(fs->exists("a/b/"));
    EXPECT_FALSE(fs->exists("a/b/c/d"));
    EXPECT_TRUE(fs->exists("/abs/"));
}

TEST(MemoryFileSystem, FilesAreStoredReplacedAndListedInByteOrder) {
    auto fs = memoryFileSystem();
    fs->write("b.txt", "1");
    fs->write("a.txt", "2");
    fs->write("B.txt", "3");
    fs->write("\xc3\xa9.txt", "4");
    fs->write("a.txt", "replaced");
    EXPECT_EQ(fs->read("a.txt"), "replaced");
    EXPECT_EQ(fs->files(), (std::vector<std::string>{"B.txt", "a.txt", "b.txt", "\xc3\xa9.txt"}));
    std::string binary("x\0y", 3);
    fs->write("bin", binary);
    EXPECT_EQ(fs->read("bin"), binary);
}

TEST(MemoryFileSystem, Dump) {
    auto fs = memoryFileSystem();
    EXPECT_EQ(fs->dump(), "MemoryFileSystem:\nDirectories:\nFiles:\n");
    fs->mkdirp("src/x");
    fs->write("src/x/a.ts", "");
    fs->write("README.md", "hi");
    EXPECT_EQ(fs->dump(), "MemoryFileSystem:\nDirectories:\n  src\n  src/x\nFiles:\n  README.md\n  src/x/a.ts\n");
}

TEST(MemoryFileSystem, ErrorsMatchTheDiskAndChangeNothing) {
    auto fs = memoryFileSystem();
    EXPECT_EQ(messageOf([&] { (void)fs->read("nope"); }), "File does not exist: nope");
    fs->mkdirp("dir");
    EXPECT_EQ(messageOf([&] { (void)fs->read("dir"); }), "File does not exist: dir");
    EXPECT_EQ(messageOf([&] { fs->write("dir", "x"); }), "Failed to open file for writing: dir");
    fs->write("file", "x");
    EXPECT_FALSE(fs->exists("file/"));
    EXPECT_EQ(messageOf([&] { (void)fs->read("file/"); }), "File does not exist: file/");
    EXPECT_EQ(messageOf([&] { fs->write("other/", "x"); }), "Failed to open file for writing: other/");
    EXPECT_NE(messageOf([&] { fs->mkdirp("file/sub/deeper"); }).find("file/sub/deeper"), std::string::npos);
    EXPECT_EQ(fs->directories(), std::vector<std::string>{"dir"});
    EXPECT_EQ(fs->read("file"), "x");
}

TEST(MemoryFileSystem, UsableThroughTheInterface) {
    std::unique_ptr<FileSystem> fs = memoryFileSystem();
    fs->mkdirp("out");
    fs->write("out/index.html", "<html>");
    EXPECT_TRUE(fs->exists("out/index.html"));
    EXPECT_EQ(fs->read("out/index.html"), "<html>");
}

TEST(LocalFileSystem, RoundTripAndDirectories) {
    TempDir dir;
    auto fs = localFileSystem();
    const std::string nested = dir.file("x/y/z");
    EXPECT_FALSE(fs->exists(nested));
    fs->mkdirp(nested);
    fs->mkdirp(nested);  // existing directories are fine
    EXPECT_TRUE(std::filesystem::is_directory(nested));
    const std::string file = nested + "/out.txt";
    std::string content("line\r\n\0\xff", 8);
    fs->write(file, content);
    EXPECT_TRUE(fs->exists(file));
    EXPECT_EQ(fs->read(file), content);
}

TEST(LocalFileSystem, ErrorsNameThePath) {
    TempDir dir;
    auto fs = localFileSystem();
    const std::string missing = dir.file("missing.txt");
    EXPECT_EQ(messageOf([&] { (void)fs->read(missing); }), "Failed to open file for reading: " + missing);
    EXPECT_EQ(messageOf([&] { (void)fs->read(dir.path().string()); }),
              "Failed to open file for reading: " + dir.path().string());
    const std::string file = dir.file("plain");
    fs->write(file, "x");
    EXPECT_NE(messageOf([&] { fs->mkdirp(file + "/sub"); }).find(file + "/sub"), std::string::npos);
    EXPECT_NE(messageOf([&] { fs->mkdirp(file); }).find(file), std::string::npos);
    EXPECT_EQ(messageOf([&] { fs->write(dir.file("nodir/f"), "x"); }),
              "Failed to open file for writing: " + dir.file("nodir/f"));
}

TEST(LocalFileSystem, AFailedTreeTakesBackTheDirectoriesItMade) {
    TempDir dir;
    auto fs = localFileSystem();
    const std::string kept = dir.file("kept");
    fs->mkdirp(kept);
    testing::spit(kept + "/index.html", "old");
    std::filesystem::create_directories(dir.file("kept/blocked.txt"));
    const std::vector<std::string> directories{kept + "/assets/css", dir.file("new/deep")};
    EXPECT_EQ(messageOf([&] {
                  fs->writeTree(directories, {{kept + "/index.html", "new"},
                                              {kept + "/assets/css/site.css", "body {}"},
                                              {dir.file("new/deep/x.txt"), "x"},
                                              {kept + "/blocked.txt", "x"}});
              }),
              "Failed to open file for writing: " + kept + "/blocked.txt");
    EXPECT_EQ(testing::slurp(kept + "/index.html"), "old");
    EXPECT_FALSE(fs->exists(kept + "/assets"));
    EXPECT_FALSE(fs->exists(dir.file("new")));
    EXPECT_EQ(dir.entries(), std::set<std::string>{"kept"});

    std::filesystem::remove(dir.file("kept/blocked.txt"));
    fs->writeTree(directories, {{kept + "/index.html", "new"}, {kept + "/assets/css/site.css", "body {}"}});
    EXPECT_EQ(testing::slurp(kept + "/index.html"), "new");
    EXPECT_EQ(testing::slurp(kept + "/assets/css/site.css"), "body {}");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("new/deep")));
}

TEST(MemoryFileSystem, AFailedTreeChangesNothing) {
    auto fs = memoryFileSystem();
    fs->write("old.txt", "old");
    EXPECT_NE(messageOf([&] {
                  fs->writeTree({"out", "old.txt/sub"}, {{"out/a.txt", "a"}});
              }).find("old.txt/sub"),
              std::string::npos);
    EXPECT_EQ(fs->dump(), "MemoryFileSystem:\nDirectories:\nFiles:\n  old.txt\n");
}

TEST(StagedFileSystem, NothingReachesTheTargetBeforeTheCommit) {
    MemoryFileSystem target;
    target.write("kept.txt", "kept");
    target.write("site/index.html", "old");
    {
        StagedFileSystem staged(target);
        staged.mkdirp("site/css");
        staged.write("site/index.html", "new");
        staged.write("site/css/a.css", "a");
        // Reads and existence checks see the stage over the target.
        EXPECT_EQ(staged.read("site/index.html"), "new");
        EXPECT_EQ(staged.read("kept.txt"), "kept");
        EXPECT_TRUE(staged.exists("site/css"));
        EXPECT_EQ(target.read("site/index.html"), "old");
        EXPECT_FALSE(target.exists("site/css/a.css"));
        // Dropped without a commit: the target never sees it.
    }
    EXPECT_EQ(target.files(), (std::vector<std::string>{"kept.txt", "site/index.html"}));

    StagedFileSystem staged(target);
    staged.mkdirp("site/css");
    staged.write("site/index.html", "new");
    staged.write("site/css/a.css", "a");
    staged.commit();
    EXPECT_EQ(target.read("site/index.html"), "new");
    EXPECT_EQ(target.read("site/css/a.css"), "a");
    EXPECT_TRUE(target.exists("site/css"));

    // A commit the target refuses leaves the target as it was, and the stage empty.
    staged.write("site/css", "x");
    staged.write("site/index.html", "newer");
    EXPECT_EQ(messageOf([&] { staged.commit(); }), "Failed to open file for writing: site/css");
    EXPECT_EQ(target.read("site/index.html"), "new");
    EXPECT_EQ(staged.read("site/index.html"), "new");
}

}  // namespace
}  // namespace zephalon
