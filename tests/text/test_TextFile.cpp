#include "TextFile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("orvanix_textfile_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    fs::path dir_;
};

TEST_F(TextFileTest, LineRules) {
    Put(Path("in.txt"), "one\r\ntwo\nth\rree\r\n\r\nlast\x1A"
                        "after\r\n");
    TTextFile file;
    ASSERT_TRUE(OpenTextFile(Path("in.txt"), 'I', file).Ok());
    for (const char* expected : {"one", "two", "three", "", "last"}) {
        EXPECT_FALSE(file.Eof());
        EXPECT_EQ(file.ReadTextLine(), expected);
    }
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.ReadTextLine(), "");
}

TEST_F(TextFileTest, OpenModes) {
    TTextFile file;
    EXPECT_EQ(OpenTextFile(Path("missing"), 'R', file).Errno(), ENOENT);
    EXPECT_EQ(OpenTextFile(Path("x"), 'Z', file).Errno(), EINVAL);

    ASSERT_TRUE(OpenTextFile(Path("w.txt"), 'W', file).Ok());
    file.WriteLine("a");
    ASSERT_TRUE(file.Close().Ok());
    ASSERT_TRUE(OpenTextFile(Path("w.txt"), 'A', file).Ok());
    file.WriteLine("b");
    ASSERT_TRUE(file.Close().Ok());
    EXPECT_EQ(Get(Path("w.txt")), "a\r\nb\r\n");
    ASSERT_TRUE(OpenTextFile(Path("w.txt"), 'O', file).Ok());
    ASSERT_TRUE(file.Close().Ok());
    EXPECT_EQ(Get(Path("w.txt")), "");
}

TEST_F(TextFileTest, AtomicWriteReplacesAndKeepsPermissions) {
    Put(Path("f"), "old");
    chmod(Path("f").c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomic(Path("f"), "new").Ok());
    EXPECT_EQ(Get(Path("f")), "new");
    struct stat info {};
    stat(Path("f").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(TextFileTest, AtomicWriteThroughSymlinkReplacesTheTarget) {
    Put(Path("real"), "old");
    fs::create_symlink(Path("real"), Path("link"));
    ASSERT_TRUE(WriteFileAtomic(Path("link"), "new").Ok());
    EXPECT_TRUE(fs::is_symlink(Path("link")));
    EXPECT_EQ(Get(Path("real")), "new");
}

TEST_F(TextFileTest, FailedWritesLeaveTheOldFile) {
    fs::create_directory(Path("dir"));
    Put(Path("dir/inside"), "keep");
    EXPECT_FALSE(WriteFileAtomic(Path("dir"), "x").Ok());
    EXPECT_EQ(Get(Path("dir/inside")), "keep");

    Put(Path("ro"), "old");
    chmod(Path("ro").c_str(), 0444);
    EXPECT_EQ(WriteFileAtomic(Path("ro"), "x").Errno(), EACCES);
    EXPECT_EQ(Get(Path("ro")), "old");

    EXPECT_FALSE(WriteFileAtomic(Path("nofolder/f"), "x").Ok());
    EXPECT_FALSE(WriteFileAtomic(Path("ro/f"), "x").Ok()); // a file is no folder
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(TextFileTest, ReadOnlyFolderRefusesWriting) {
    if (geteuid() == 0) GTEST_SKIP() << "permission bits do not bind root";
    Put(Path("f"), "old");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WriteFileAtomic(Path("f"), "new").Ok());
    EXPECT_EQ(Get(Path("f")), "old");
}

} // namespace
