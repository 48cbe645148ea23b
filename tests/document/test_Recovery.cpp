#include "TestSupport.h"
#include "document/Messages.h"
#include "document/Recovery.h"
#include "document/TableFile.h"

#include <sys/stat.h>
#include <sys/wait.h>

using namespace testsupport;

namespace {

class RecoveryTest : public TTempFolderTest {
protected:
    std::string Folder() const { return Path("state/orvanix/recovery"); }

    static TFeedDocument SampleDocument(const std::string& fileName) {
        TFeedDocument document;
        document.Channel.Title = Sjis("喫茶ひなた");
        document.Channel.ExtensionIndex = 1;
        document.Row(1) = {Sjis("春の限定ブレンド"), "2005-04-01", "http://hinata.example/", ""};
        document.Row(MaxItemRows) = {"last", "", "", Sjis("説明")};
        document.FileName = fileName;
        return document;
    }

    // An editor that wrote its copy and was killed: its lock went with its process, its files
    // stay.
    void KillEditorWithCopy(const TFeedDocument& document) const {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TRecoverySlot slot;
            _exit(slot.Open(Folder()) && slot.Write({document}) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_EQ(status, 0);
    }

    std::vector<std::string> LeftPaths() const {
        std::vector<std::string> paths;
        for (TLeftRecoveryCopy& copy : FindLeftRecoveryCopies(Folder()))
            paths.push_back(copy.Path);
        return paths;
    }
};

TEST(RecoveryFolder, FollowsTheStateHome) {
    const struct {
        const char* stateHome;
        const char* home;
        const char* folder;
    } cases[] = {
        {"/s", "/h", "/s/orvanix/recovery"},
        {nullptr, "/h", "/h/.local/state/orvanix/recovery"},
        {"", "/h", "/h/.local/state/orvanix/recovery"},
        {"relative", "/h", "/h/.local/state/orvanix/recovery"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecoveryFolder(c.stateHome, c.home), c.folder)
            << (c.stateHome ? c.stateHome : "");
}

// What the editor had comes back whole: contents, the table file's name however odd, the mark
// that it is not saved, and the table file's state on disk when there was one. The contents follow
// the table file's own rules (a TAB in a cell becomes a blank), so restoring gives exactly what
// saving would have written.
TEST_F(RecoveryTest, CopyGivesBackTheDocumentAndItsTableFile) {
    const std::string hostile = "t\tab\r\nline%41\x1A";
    const std::string fileNames[] = {"", "/home/u/news.tbl",
                                     "/home/u/\xE3\x81\x8A\xE7\x9F\xA5\xE3\x82\x89\xE3\x81\x9B.tbl",
                                     "/tmp/a\nb\r%zz\x1A\xFF name.tbl"};
    const std::optional<TDiskState> states[] = {std::nullopt, TDiskState{},
                                                TDiskState{true, 72, -1, UINT64_MAX, true}};
    for (const std::string& fileName : fileNames) {
        for (const std::optional<TDiskState>& state : states) {
            TFeedDocument document = SampleDocument(fileName);
            document.Row(2).Title = hostile;
            document.Channel.Description = hostile;
            TRecoverySlot slot;
            ASSERT_TRUE(slot.Open(Folder()));
            ASSERT_TRUE(slot.Write({document, state}));

            TRecoveryCopy restored;
            ASSERT_TRUE(ReadRecoveryCopy(restored, slot.CopyPath())) << fileName;
            EXPECT_EQ(TableFileText(restored.Document), TableFileText(document)) << fileName;
            EXPECT_EQ(restored.Document.FileName, fileName);
            EXPECT_TRUE(restored.Document.Modified);
            EXPECT_EQ(restored.TableFileState, state) << fileName;
        }
    }
}

// A file that is not a whole copy is refused and the document stays as it was.
TEST_F(RecoveryTest, WhatIsNoCopyIsRefused) {
    const std::string copy = RecoveryCopyText({SampleDocument("/a.tbl")});
    const std::string table = TableFileText(SampleDocument("/a.tbl"));
    const std::string disk = "orvanix-recovery-disk:";
    const struct {
        const char* name;
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"a table file without the last line", table, MsgNotRecoveryCopy()},
        {"a last line without the tag", table + "/a.tbl\r\n", MsgNotRecoveryCopy()},
        {"a broken encoding", table + "orvanix-recovery-of:%4\r\n", MsgNotRecoveryCopy()},
        {"cut in the middle", copy.substr(0, copy.size() / 2), MsgNotRecoveryCopy()},
        {"a disk state cut short", copy + disk + "1 72 5 9\r\n", MsgNotRecoveryCopy()},
        {"a flag that is no flag", copy + disk + "2 72 5 9 1\r\n", MsgNotRecoveryCopy()},
        {"a line after the disk state", copy + disk + "1 72 5 9 1\r\nx\r\n", MsgNotRecoveryCopy()},
        {"not a table file at all", "garbage\r\n" + copy, MsgNotTableFile()},
        {"empty", "", MsgNotTableFile()},
    };
    for (const auto& c : cases) {
        WriteBytes(dir_ / "x.recovery", c.bytes);
        TRecoveryCopy kept{SampleDocument("/kept.tbl"), std::nullopt};
        kept.Document.Modified = false;
        const TResult read = ReadRecoveryCopy(kept, Path("x.recovery"));
        EXPECT_EQ(read.Reason(), c.reason) << c.name;
        EXPECT_EQ(TableFileText(kept.Document), TableFileText(SampleDocument("/kept.tbl")))
            << c.name;
        EXPECT_EQ(kept.Document.FileName, "/kept.tbl") << c.name;
        EXPECT_FALSE(kept.Document.Modified) << c.name;
        EXPECT_FALSE(kept.TableFileState) << c.name;
    }
}

// Only the copies of editors that no longer run are offered, newest first: one whose lock is held
// (a running editor, here a slot still open) never is; a slot closed as an editor ends leaves
// nothing.
TEST_F(RecoveryTest, OnlyCopiesOfEndedEditorsAreOffered) {
    TRecoverySlot running;
    ASSERT_TRUE(running.Open(Folder()));
    ASSERT_TRUE(running.Write({SampleDocument("/running.tbl")}));
    {
        TRecoverySlot ended;
        ASSERT_TRUE(ended.Open(Folder()));
        ASSERT_TRUE(ended.Write({SampleDocument("/ended.tbl")}));
    }
    KillEditorWithCopy(SampleDocument("/older.tbl"));
    const std::string older = LeftPaths().at(0);
    std::filesystem::last_write_time(older, std::filesystem::last_write_time(older) -
                                                std::chrono::hours(1));
    KillEditorWithCopy(SampleDocument("/killed.tbl"));
    WriteBytes(Folder() + "/orphan.lock", "");

    std::vector<TLeftRecoveryCopy> left = FindLeftRecoveryCopies(Folder());
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[1].Path, older); // newest first
    TRecoveryCopy restored;
    ASSERT_TRUE(ReadRecoveryCopy(restored, left[0].Path));
    EXPECT_EQ(restored.Document.FileName, "/killed.tbl");
    ASSERT_TRUE(DiscardRecoveryCopy(left[1]));
    // While one start holds a left copy, another start does not see it.
    EXPECT_EQ(LeftPaths(), std::vector<std::string>{});
    ASSERT_TRUE(DiscardRecoveryCopy(left[0]));
    EXPECT_EQ(LeftPaths(), std::vector<std::string>{});
    // Only the running editor's own lock file and copy remain.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), {}), 2);
    struct stat folder {};
    ASSERT_EQ(stat(Folder().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

// Copies hold the user's unsaved work: a folder opened up to all is made the user's alone again,
// and a copy is the user's alone whatever the umask.
TEST_F(RecoveryTest, CopiesArePrivate) {
    std::filesystem::create_directories(Folder());
    ASSERT_EQ(chmod(Folder().c_str(), 0777), 0);
    const mode_t previous = umask(0);
    TRecoverySlot slot;
    const bool written = slot.Open(Folder()) && slot.Write({SampleDocument("/a.tbl")});
    umask(previous);
    ASSERT_TRUE(written);
    struct stat folder {};
    struct stat copy {};
    ASSERT_EQ(stat(Folder().c_str(), &folder), 0);
    ASSERT_EQ(stat(slot.CopyPath().c_str(), &copy), 0);
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    EXPECT_EQ(copy.st_mode & 07777, 0600u);
}

// A copy taken over by a new editor is that editor's from then on: offered to nobody while it
// runs, written over by it, and gone when it ends.
TEST_F(RecoveryTest, AdoptedCopyBelongsToTheNewEditor) {
    KillEditorWithCopy(SampleDocument("/killed.tbl"));
    {
        TRecoverySlot slot;
        ASSERT_TRUE(slot.Open(Folder()));
        std::vector<TLeftRecoveryCopy> left = FindLeftRecoveryCopies(Folder());
        ASSERT_EQ(left.size(), 1u);
        ASSERT_TRUE(slot.Adopt(left[0]));
        TRecoveryCopy restored;
        ASSERT_TRUE(ReadRecoveryCopy(restored, slot.CopyPath()));
        EXPECT_EQ(restored.Document.FileName, "/killed.tbl");
        EXPECT_EQ(LeftPaths(), std::vector<std::string>{});
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), {}), 2);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), {}), 0);
}

} // namespace
