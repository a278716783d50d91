#include "zephalon/foundation/atomic_write.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "test_dir.h"

namespace zephalon {
namespace {

using testing::slurp;
using testing::spit;
using testing::TempDir;

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

TEST(AtomicWrite, CreatesAndReplacesWithoutLeftovers) {
    TempDir dir;
    const std::string target = dir.file("doc.yaml");
    writeFileAtomically(target, "first");
    EXPECT_EQ(slurp(target), "first");
    writeFileAtomically(target, "");
    EXPECT_EQ(slurp(target), "");
    std::string big(3 * 1024 * 1024 + 7, 'z');
    big[12345] = '\0';
    writeFileAtomically(target, big);
    EXPECT_EQ(slurp(target), big);
    EXPECT_EQ(dir.entries(), std::set<std::string>{"doc.yaml"});
}

TEST(AtomicWrite, NewFileModeFollowsUmaskAndReplacedFileKeepsItsMode) {
    TempDir dir;
    const mode_t old = ::umask(027);
    const std::string fresh = dir.file("fresh.json");
    writeFileAtomically(fresh, "{}");
    ::umask(old);
    EXPECT_EQ(modeOf(fresh), 0640u);

    const std::string script = dir.file("run.sh");
    spit(script, "old");
    ASSERT_EQ(::chmod(script.c_str(), 0751), 0);
    writeFileAtomically(script, "new");
    EXPECT_EQ(modeOf(script), 0751u);
    EXPECT_EQ(slurp(script), "new");
}

TEST(AtomicWrite, ReadOnlyFileIsRefused) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    TempDir dir;
    const std::string target = dir.file("locked.yaml");
    spit(target, "original");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    EXPECT_THROW(writeFileAtomically(target, "replacement"), FileError);
    EXPECT_EQ(slurp(target), "original");
    EXPECT_EQ(modeOf(target), 0444u);
    EXPECT_EQ(dir.entries(), std::set<std::string>{"locked.yaml"});
}

TEST(AtomicWrite, ReplacedFileKeepsItsOwner) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can hand a file to another user";
    }
    TempDir dir;
    const std::string target = dir.file("owned.yaml");
    spit(target, "old");
    ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    writeFileAtomically(target, "new");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(slurp(target), "new");
}

TEST(AtomicWrite, WritesThroughSymbolicLinks) {
    TempDir dir;
    const std::string real = dir.file("real.yaml");
    const std::string link = dir.file("link.yaml");
    spit(real, "old");
    std::filesystem::create_symlink("real.yaml", link);
    writeFileAtomically(link, "new");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(slurp(real), "new");
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"link.yaml", "real.yaml"}));
}

TEST(AtomicWrite, DirectoryTargetFailsAndIsLeftAlone) {
    TempDir dir;
    const std::string target = dir.file("sub");
    std::filesystem::create_directory(target);
    spit(dir.file("sub/inside"), "keep");
    try {
        writeFileAtomically(target, "content");
        FAIL() << "writing over a directory succeeded";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Failed to open file for writing: " + target);
    }
    EXPECT_TRUE(std::filesystem::is_directory(target));
    EXPECT_EQ(slurp(dir.file("sub/inside")), "keep");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"sub"});
}

TEST(AtomicWrite, MissingParentDirectoryNamesThePath) {
    TempDir dir;
    const std::string target = dir.file("missing/doc.json");
    EXPECT_THROW(
        {
            try {
                writeFileAtomically(target, "x");
            } catch (const FileError& e) {
                EXPECT_NE(std::string(e.what()).find(target), std::string::npos);
                throw;
            }
        },
        FileError);
    EXPECT_TRUE(dir.entries().empty());
}

// The message of the FileError the action throws while files may grow to 4 KiB at most: exceeding the limit makes
// write() fail part-way through, as a full disk does, and binds root too, which a read-only directory would not.
std::string failureWithSmallFiles(const std::function<void()>& action) {
    struct rlimit saved {};
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string message = "<no error>";
    try {
        action();
    } catch (const FileError& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    return message;
}

TEST(AtomicWrite, FailureHalfwayKeepsTheOldContent) {
    TempDir dir;
    const std::string target = dir.file("doc.yaml");
    spit(target, "original");
    const std::string message =
        failureWithSmallFiles([&] { writeFileAtomically(target, std::string(64 * 1024, 'x')); });
    EXPECT_NE(message.find(target), std::string::npos) << message;
    EXPECT_EQ(slurp(target), "original");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"doc.yaml"});
}

TEST(AtomicWrite, ABatchChangesEveryFileOrNone) {
    TempDir dir;
    const std::string first = dir.file("a.yaml");
    const std::string second = dir.file("b.yaml");
    spit(first, "old a");
    writeFilesAtomically({{first, "new a"}, {second, "new b"}});
    EXPECT_EQ(slurp(first), "new a");
    EXPECT_EQ(slurp(second), "new b");

    // The last file cannot be written (a directory stands where it goes): the first keeps its content, although its
    // new text was written in full beside it.
    const std::string blocked = dir.file("c.yaml");
    std::filesystem::create_directory(blocked);
    std::string message;
    try {
        writeFilesAtomically({{first, "newer a"}, {second, "newer b"}, {blocked, "c"}});
    } catch (const FileError& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "Failed to open file for writing: " + blocked);
    EXPECT_EQ(slurp(first), "new a");
    EXPECT_EQ(slurp(second), "new b");
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"a.yaml", "b.yaml", "c.yaml"}));

    // Running out of room on the second file.
    message = failureWithSmallFiles([&] {
        writeFilesAtomically({{first, "small"}, {second, std::string(64 * 1024, 'x')}});
    });
    EXPECT_EQ(message.rfind("Failed to write file: " + second + ": ", 0), 0u) << message;
    EXPECT_EQ(slurp(first), "new a");
    EXPECT_EQ(slurp(second), "new b");
    EXPECT_EQ(dir.entries(), (std::set<std::string>{"a.yaml", "b.yaml", "c.yaml"}));
}

TEST(AtomicWrite, ReadOnlyDirectoryKeepsTheOldContent) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    TempDir dir;
    const std::string target = dir.file("doc.yaml");
    spit(target, "original");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(writeFileAtomically(target, "replacement"), FileError);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(slurp(target), "original");
    EXPECT_EQ(dir.entries(), std::set<std::string>{"doc.yaml"});
}

}  // namespace
}  // namespace zephalon
