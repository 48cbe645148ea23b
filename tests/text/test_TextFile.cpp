#include "SystemCallFaults.h"
#include "TempFolder.h"
#include "Unprivileged.h"
#include "text/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using testsupport::NobodyId;
using testsupport::RunUnprivileged;

namespace {

class TextFileTest : public testsupport::TTempFolderTest {
protected:
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(TextFileTest, LineRules) {
    Put(Path("in.txt"), "one\r\ntwo\nth\rree\r\n\r\nlast\x1A"
                        "after\r\n");
    TTextFile file;
    ASSERT_TRUE(OpenTextFile(Path("in.txt"), file).Ok());
    for (const char* expected : {"one", "two", "three", "", "last"}) {
        EXPECT_FALSE(file.Eof());
        EXPECT_EQ(file.ReadTextLine(), expected);
    }
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(file.ReadTextLine(), "");
}

// Reading needs an existing file; a folder is none.
TEST_F(TextFileTest, OnlyAnExistingFileOpens) {
    fs::create_directory(Path("folder"));
    TTextFile file;
    for (const char* name : {"missing", "folder"})
        EXPECT_EQ(OpenTextFile(Path(name), file).Errno(), ENOENT) << name;
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

// A save through a link replaces the file the link names, a relative target taken from the
// link's own folder whatever the working folder; a loop of links fails instead of going round.
TEST_F(TextFileTest, AtomicWriteThroughLinksReplacesTheirTarget) {
    fs::create_directories(dir_ / "real");
    fs::create_directories(dir_ / "site");
    fs::create_directories(dir_ / "elsewhere/deeper");
    Put(Path("real/news.rdf"), "old");
    fs::create_symlink(Path("real/news.rdf"), Path("absolute.rdf"));
    fs::create_symlink("../real/news.rdf", Path("site/news.rdf"));
    fs::create_symlink("site/news.rdf", Path("news.rdf")); // relative, to a relative link
    fs::create_symlink("b", Path("a"));
    fs::create_symlink("a", Path("b"));
    const fs::path working = fs::current_path();
    fs::current_path(dir_ / "elsewhere/deeper");
    for (const char* link : {"absolute.rdf", "site/news.rdf", "news.rdf"}) {
        EXPECT_TRUE(WriteFileAtomic(Path(link), link).Ok()) << link;
        EXPECT_EQ(Get(Path("real/news.rdf")), link);
        EXPECT_TRUE(fs::is_symlink(Path(link)));
    }
    EXPECT_EQ(WriteFileAtomic(Path("a"), "loop").Errno(), ELOOP);
    fs::current_path(working);
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
    Put(Path("f"), "old");
    const std::optional<std::string> failure = RunUnprivileged(
        [&]() -> std::string {
            fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
            if (WriteFileAtomic(Path("f"), "new").Errno() != EACCES) return "not refused";
            return Get(Path("f")) == "old" ? "" : "file changed";
        },
        {dir_, Path("f")});
    if (!failure) GTEST_SKIP() << "cannot drop to an unprivileged user";
    EXPECT_EQ(*failure, "");
}

TEST_F(TextFileTest, OwnerThatCannotBeKeptDoesNotFailTheSave) {
    Put(Path("root's"), "old");
    chmod(Path("root's").c_str(), 0666);
    const std::optional<std::string> failure = RunUnprivileged(
        [&]() -> std::string {
            if (!WriteFileAtomic(Path("root's"), "new").Ok()) return "save failed";
            return Get(Path("root's")) == "new" ? "" : "not written";
        },
        {dir_});
    if (!failure) GTEST_SKIP() << "cannot drop to an unprivileged user";
    EXPECT_EQ(*failure, "");
}

TEST_F(TextFileTest, ReplacingKeepsOwnerGroupAndMode) {
    for (const mode_t mode : {0600, 0640, 0664, 0604}) {
        Put(Path("f"), "old");
        chmod(Path("f").c_str(), mode);
        const bool root = geteuid() == 0;
        if (root) {
            ASSERT_EQ(chown(Path("f").c_str(), NobodyId, NobodyId), 0);
        }
        struct stat before {};
        ASSERT_EQ(stat(Path("f").c_str(), &before), 0);
        ASSERT_TRUE(WriteFileAtomic(Path("f"), "new").Ok());
        struct stat after {};
        ASSERT_EQ(stat(Path("f").c_str(), &after), 0);
        EXPECT_NE(after.st_ino, before.st_ino) << "replaced, not rewritten";
        EXPECT_EQ(after.st_mode & 07777, mode);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
    }
}

// New files get the usual permissions under the process's umask, save after save, and the umask
// is the same afterwards.
TEST_F(TextFileTest, NewFilesFollowTheUmask) {
    const mode_t saved = umask(022);
    for (const mode_t mask : {022, 077, 002, 027}) {
        SCOPED_TRACE(mask);
        umask(mask);
        for (const char* name : {"first", "second"}) {
            ASSERT_TRUE(WriteFileAtomic(Path(name), "new").Ok());
            struct stat info {};
            ASSERT_EQ(stat(Path(name).c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, 0666 & ~mask) << name;
            fs::remove(Path(name));
        }
        EXPECT_EQ(umask(mask), mask);
    }
    umask(saved);
}

// Another user's file in a folder everyone may write to: replaced only when the saver (nobody)
// could write it by hand, by the class of permission bits that applies to the saver.
TEST_F(TextFileTest, AnotherUsersFileIsReplacedOnlyWhenTheUserMayWriteIt) {
    if (geteuid() != 0) GTEST_SKIP() << "another user's file takes root";
    const struct {
        mode_t mode;
        gid_t group;
        bool replaced;
    } cases[] = {
        {0644, 0, false}, {0606, NobodyId, false}, {0660, NobodyId, true}, {0666, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        Put(Path("theirs"), "theirs");
        ASSERT_EQ(chmod(Path("theirs").c_str(), c.mode), 0);
        ASSERT_EQ(chown(Path("theirs").c_str(), 0, c.group), 0);
        ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
        const std::optional<std::string> failure = RunUnprivileged(
            [&]() -> std::string {
                const TResult result = WriteFileAtomic(Path("theirs"), "new");
                if (result.Ok() != c.replaced) return "replaced: " + std::to_string(result.Ok());
                return c.replaced || result.Errno() == EACCES ? "" : "reason: " + result.Reason();
            },
            {});
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(*failure, "");
        EXPECT_EQ(Get(Path("theirs")), c.replaced ? "new" : "theirs");
        EXPECT_EQ(Entries(), std::vector<std::string>{"theirs"});
    }
}

// A user (nobody) saves to "shared/news.rdf" where another user may have planted a link to a file
// of the saver's own. Links are followed as the kernel follows them: in a sticky folder everyone
// may write to, only the saver's own links and those of the folder's owner.
TEST_F(TextFileTest, LinksInSharedFoldersAreFollowedAsTheKernelWould) {
    if (geteuid() != 0) GTEST_SKIP() << "planting another user's link takes root";
    constexpr uid_t Other = 0;       // the user who plants links
    constexpr uid_t FolderOwner = 1; // owns the shared folder
    const struct {
        const char* name;
        mode_t folderMode;
        uid_t linkOwner;
        bool throughOwnLink; // the save names the saver's own link to the planted one
        bool followed;
    } cases[] = {
        {"another user's link", 01777, Other, false, false},
        {"another user's link behind the saver's own", 01777, Other, true, false},
        {"the saver's own link", 01777, NobodyId, false, true},
        {"the folder owner's link", 01777, FolderOwner, false, true},
        {"a sticky folder only its owner writes", 01755, Other, false, true},
        {"an open folder without the sticky bit", 0777, Other, false, true},
    };
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path at = dir_ / std::to_string(++row);
        for (const char* folder : {"mine", "shared"})
            fs::create_directories(at / folder);
        const fs::path victim = at / "mine" / "important.xml";
        const fs::path planted = at / "shared" / "news.rdf";
        const fs::path own = at / "mine" / "news.rdf";
        Put(victim, "mine");
        fs::create_symlink(victim, planted);
        fs::create_symlink(planted, own);
        ASSERT_EQ(chmod((at / "shared").c_str(), c.folderMode), 0);
        ASSERT_EQ(chown((at / "shared").c_str(), FolderOwner, FolderOwner), 0);
        ASSERT_EQ(lchown(planted.c_str(), c.linkOwner, c.linkOwner), 0);
        const std::optional<std::string> failure = RunUnprivileged(
            [&]() -> std::string {
                const TResult result = WriteFileAtomic(c.throughOwnLink ? own : planted, "feed");
                if (result.Ok() != c.followed) return "followed: " + std::to_string(result.Ok());
                if (!c.followed && result.Reason().find(planted.string()) == std::string::npos)
                    return "the reason does not name the link: " + result.Reason();
                return Get(victim) == (c.followed ? "feed" : "mine") ? ""
                                                                     : "victim: " + Get(victim);
            },
            {at / "mine", victim, own});
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(*failure, "");
        for (const char* folder : {"mine", "shared"})
            EXPECT_EQ(std::distance(fs::directory_iterator(at / folder), fs::directory_iterator()),
                      folder == std::string("mine") ? 2 : 1)
                << "a temporary file was left in " << folder;
    }
}

// Targets that are no regular file: each is refused and left exactly as it was.
struct ObstacleCase {
    const char* name;
    std::function<bool(const fs::path& target)> make; // false: not possible here
};

void PrintTo(const ObstacleCase& c, std::ostream* out) {
    *out << c.name;
}

class ObstacleTest : public TextFileTest, public ::testing::WithParamInterface<ObstacleCase> {};

TEST_P(ObstacleTest, IsNeverReplaced) {
    const fs::path target = dir_ / "target";
    if (!GetParam().make(target)) GTEST_SKIP() << "cannot make this kind of file here";
    struct stat before {};
    ASSERT_EQ(lstat(target.c_str(), &before), 0);
    const size_t entries = Entries().size();

    const TResult result = WriteFileAtomic(target, "new");
    EXPECT_FALSE(result.Ok());
    EXPECT_FALSE(result.Reason().empty());
    struct stat after {};
    ASSERT_EQ(lstat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(Entries().size(), entries) << "no file left or made";
}

int Pipe() {
    static int ends[2] = {-1, -1};
    if (ends[0] < 0 && pipe(ends) != 0) return -1;
    return ends[0];
}

INSTANTIATE_TEST_SUITE_P(
    NotARegularFile, ObstacleTest,
    ::testing::Values(
        ObstacleCase{"Fifo", [](const fs::path& at) { return mkfifo(at.c_str(), 0644) == 0; }},
        ObstacleCase{"Socket",
                     [](const fs::path& at) {
                         const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
                         sockaddr_un address{};
                         address.sun_family = AF_UNIX;
                         if (at.native().size() >= sizeof address.sun_path) return false;
                         std::strcpy(address.sun_path, at.c_str());
                         const bool bound =
                             bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
                         close(fd);
                         return bound;
                     }},
        ObstacleCase{"CharacterDevice",
                     [](const fs::path& at) {
                         return mknod(at.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
                     }},
        ObstacleCase{"Folder", [](const fs::path& at) { return fs::create_directory(at); }},
        ObstacleCase{"DanglingLink",
                     [](const fs::path& at) {
                         fs::create_symlink(at.parent_path() / "nowhere", at);
                         return true;
                     }},
        ObstacleCase{"LinkToAFifo",
                     [](const fs::path& at) {
                         fs::create_symlink(at.parent_path() / "fifo", at);
                         return mkfifo((at.parent_path() / "fifo").c_str(), 0644) == 0;
                     }},
        ObstacleCase{"LinkIntoProcSelfFd",
                     [](const fs::path& at) {
                         const int fd = Pipe();
                         fs::create_symlink("/proc/self/fd/" + std::to_string(fd), at);
                         return fd >= 0;
                     }}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(TextFileTest, NamesUpToTheLimitCanBeWritten) {
    for (const size_t length : {1, 200, 250, NAME_MAX}) {
        const std::string name(length, 'n');
        Put(Path(name), "old");
        EXPECT_TRUE(WriteFileAtomic(Path(name), "new").Ok()) << length;
        EXPECT_EQ(Get(Path(name)), "new");
        fs::remove(Path(name));
        EXPECT_EQ(Entries().size(), 0u) << length;
    }
}

// A failing step inside the write is reported with its cause and leaves neither a changed target
// nor a temporary file.
TEST_F(TextFileTest, FailingStepsAreReportedAndCleanedUp) {
    const std::pair<TSystemCall, int> steps[] = {
        {TSystemCall::Fsync, EIO}, {TSystemCall::Close, ENOSPC}, {TSystemCall::Rename, EXDEV}};
    for (const auto& [call, error] : steps) {
        Put(Path("f"), "old");
        FailNextCall(call, error);
        EXPECT_EQ(WriteFileAtomic(Path("f"), "new").Errno(), error);
        EXPECT_TRUE(DisarmCalls()) << "the step was never reached";
        EXPECT_EQ(Get(Path("f")), "old");
        EXPECT_EQ(Entries(), std::vector<std::string>{"f"});
    }
}

TEST_F(TextFileTest, FailingReadIsReported) {
    Put(Path("in.txt"), "text");
    TTextFile file;
    FailNextCall(TSystemCall::Read, EIO);
    EXPECT_EQ(OpenTextFile(Path("in.txt"), file).Errno(), EIO);
    EXPECT_TRUE(DisarmCalls());
}

// Leftovers of killed saves: which files the next save of "news.rdf" removes.
TEST_F(TextFileTest, NextSaveRemovesOnlyItsOwnStaleTemporaries) {
    ASSERT_TRUE(WriteFileAtomic(Path("news.rdf"), "first").Ok());
    const std::string own = fs::path(LastRenameSource()).filename().string();
    ASSERT_TRUE(WriteFileAtomic(Path("other.rdf"), "other").Ok());
    const std::string other = fs::path(LastRenameSource()).filename().string();
    ASSERT_EQ(own.size(), 24u);
    const std::string tag = own.substr(0, own.size() - 6);
    ASSERT_NE(tag, other.substr(0, other.size() - 6));

    struct Leftover {
        std::string name;
        std::function<void(const std::string& path)> make;
        bool old;
        bool removed;
    };
    const auto file = [](const std::string& path) { Put(path, "partial"); };
    const auto folder = [](const std::string& path) { fs::create_directory(path); };
    const auto link = [this](const std::string& path) {
        Put(Path("linked"), "keep");
        fs::create_symlink(Path("linked"), path);
    };
    const Leftover leftovers[] = {
        {tag + "aB3xYz", file, true, true},
        {tag + "fresh1", file, false, false},
        {other, file, true, false},
        {tag + "link01", link, true, false},
        {tag + "dir001", folder, true, false},
        {tag + "short", file, true, false},
        {tag + "toolong", file, true, false},
        {tag + "a.b-cd", file, true, false},
    };
    for (const Leftover& leftover : leftovers) {
        leftover.make(Path(leftover.name));
        if (!leftover.old) continue;
        const timespec twoMinutesAgo[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
        ASSERT_EQ(
            utimensat(AT_FDCWD, Path(leftover.name).c_str(), twoMinutesAgo, AT_SYMLINK_NOFOLLOW),
            0);
    }
    ASSERT_TRUE(WriteFileAtomic(Path("news.rdf"), "second").Ok());
    for (const Leftover& leftover : leftovers)
        EXPECT_EQ(!fs::exists(fs::symlink_status(Path(leftover.name))), leftover.removed)
            << leftover.name;
    EXPECT_EQ(Get(Path("linked")), "keep");
}

} // namespace
