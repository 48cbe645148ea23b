#include "TestSupport.h"
#include "document/FeedOnDisk.h"
#include "document/FileNames.h"
#include "document/Messages.h"
#include "document/SaveDocument.h"
#include "text/Result.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const TFeedTime Time{2005, 4, 1, 18, 5, 9, 540};

class SaveDocumentTest : public TTempFolderTest {
protected:
    TSaveResult Save(const std::string& name) {
        return SaveDocumentFiles(document_, Path(name), Time, "0.93");
    }
    TFeedDocument document_ = [] {
        TFeedDocument d;
        d.Channel.Title = "site";
        d.Channel.HomeAddress = d.Channel.FeedAddress = "https://a.example/";
        d.Channel.Description = "news";
        d.Row(1) = {"title", "2005-04-01", "https://a.example/", ""};
        d.Modified = true;
        return d;
    }();
};

TEST_F(SaveDocumentTest, WritesBothFilesBesideEachOther) {
    document_.Channel.ExtensionIndex = 1;
    const TSaveResult result = Save("News.tbl");
    EXPECT_EQ(result.Outcome, TSaveOutcome::Saved);
    EXPECT_EQ(result.FeedPath, Path("news.xml"));
    EXPECT_EQ(result.Message, MsgSaveComplete() + "\"" + Path("news.xml") + "\"");
    EXPECT_FALSE(document_.Modified);
    EXPECT_EQ(document_.FileName, Path("News.tbl"));
    const std::string feed = ReadBytes(dir_ / "news.xml");
    EXPECT_TRUE(feed.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    EXPECT_TRUE(feed.ends_with("</rdf:RDF>\r\n"));
}

// The feed on disk is the document's while only the moment and the version that built it differ.
TEST_F(SaveDocumentTest, FeedInStepWithItsDocument) {
    ASSERT_EQ(Save("news.tbl").Outcome, TSaveOutcome::Saved);
    const auto inStep = [](const TFeedDocument& document) {
        return FeedFileInStep(document, BuildFeedFile(document, {2026, 1, 2, 3, 4, 5, 0}, "9.9"));
    };
    EXPECT_TRUE(inStep(document_));
    TFeedDocument changed = document_;
    changed.Row(1).Date = "2005-04-02"; // an entry's date, not the channel's
    EXPECT_FALSE(inStep(changed));
    const timespec earlier[2] = {{0, UTIME_OMIT}, {time(nullptr) - 60, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, Path("news.rdf").c_str(), earlier, 0), 0);
    EXPECT_FALSE(inStep(document_)) << "older than its table file";
    fs::remove(Path("news.rdf"));
    EXPECT_FALSE(inStep(document_));
}

TEST_F(SaveDocumentTest, JapaneseFileNamesStayUtf8OnDisk) {
    const TSaveResult result = Save("ニュース.tbl"); // Path() gives code page 932
    EXPECT_EQ(result.Outcome, TSaveOutcome::Saved);
    EXPECT_TRUE(fs::exists(dir_ / "ニュース.tbl"));
    EXPECT_TRUE(fs::exists(dir_ / "ニュース.rdf"));
}

TEST_F(SaveDocumentTest, SaveFolderWithTrailingSlash) {
    fs::create_directory(dir_ / "out");
    document_.Channel.SaveFolder = Path("out/");
    EXPECT_EQ(Save("n.tbl").FeedPath, Path("out/n.rdf"));
    EXPECT_TRUE(fs::exists(dir_ / "out" / "n.rdf"));
}

TEST_F(SaveDocumentTest, MissingSaveFolderSavesOnlyTheTable) {
    document_.Channel.SaveFolder = Path("missing");
    const TSaveResult result = Save("n.tbl");
    EXPECT_EQ(result.Outcome, TSaveOutcome::InvalidSaveFolder);
    EXPECT_EQ(result.Message,
              MsgInvalidSaveFolder() + MsgSaveFolderNamed() + "\"" + Path("missing") + "\"");
    EXPECT_TRUE(fs::exists(dir_ / "n.tbl"));
    EXPECT_TRUE(document_.Modified);
    EXPECT_EQ(document_.FileName, Path("n.tbl"));
}

TEST_F(SaveDocumentTest, FeedThatCannotBeReplacedIsKept) {
    WriteBytes(dir_ / "n.rdf", "old feed");
    fs::permissions(dir_ / "n.rdf", fs::perms::owner_read);
    const TSaveResult result = Save("n.tbl");
    EXPECT_EQ(result.Outcome, TSaveOutcome::FeedFailed);
    EXPECT_EQ(result.Message, TResult::FromErrno(EACCES).Describe(MsgFeedCreateFailed()));
    EXPECT_EQ(ReadBytes(dir_ / "n.rdf"), "old feed");
    EXPECT_TRUE(document_.Modified);
    EXPECT_EQ(document_.FileName, Path("n.tbl"));
}

TEST_F(SaveDocumentTest, TableThatCannotBeWrittenChangesNothing) {
    fs::create_directory(dir_ / "n.tbl");
    document_.FileName = "/before.tbl";
    const TSaveResult result = Save("n.tbl");
    EXPECT_EQ(result.Outcome, TSaveOutcome::TableFailed);
    EXPECT_EQ(result.Message, TResult::FromErrno(EISDIR).Describe(MsgTableSaveFailed()));
    EXPECT_EQ(document_.FileName, "/before.tbl");
    EXPECT_FALSE(fs::exists(dir_ / "n.rdf"));
}

TEST_F(SaveDocumentTest, CheckErrorsAreCounted) {
    document_.Row(1).Date.clear();
    document_.Row(2) = {"t", "12/8", "/2.html", ""};
    const TSaveResult result = Save("n.tbl");
    EXPECT_EQ(result.Outcome, TSaveOutcome::Saved);
    EXPECT_EQ(result.CheckErrors, 3);
    EXPECT_EQ(result.Message, MsgSaveComplete() + "\"" + Path("n.rdf") + "\"" + MsgCheckErrors(3));
    EXPECT_EQ(Cp932ToUtf8(MsgCheckErrors(3)),
              "\r\n\r\nただし、フィードの検査でエラーが3件見つかりました。");
}

TEST_F(SaveDocumentTest, InvalidCodePageBytesDoNotStopTheSave) {
    document_.Row(1).Title = "bad \x81\x7F and \xFF";
    EXPECT_EQ(Save("n.tbl").Outcome, TSaveOutcome::Saved);
    EXPECT_NE(ReadBytes(dir_ / "n.rdf").find("\xEF\xBF\xBD"), std::string::npos);
}

} // namespace

namespace {

// A table file name that code page 932 cannot hold, or that would come back as another name, is
// refused before anything is written: the feed would otherwise be named after another file.
TEST_F(SaveDocumentTest, NameThatCodePage932ChangesIsRefusedAndNothingIsWritten) {
    const struct {
        std::string name, reason, shown;
    } cases[] = {
        {"お知らせ〜.tbl", MsgUnusableNameCharacter("U+301C", Sjis("～")),
         "ファイル名の「〜」は「～」に変わってしまうため使用できません。"},
        {"a−b.tbl", MsgUnusableNameCharacter("U+2212", Sjis("－")),
         "ファイル名の「−」は「－」に変わってしまうため使用できません。"},
        {"a—b.tbl", MsgUnusableNameCharacter("U+2014", Sjis("―")),
         "ファイル名の「—」は「―」に変わってしまうため使用できません。"},
        {"a‖b.tbl", MsgUnusableNameCharacter("U+2016", Sjis("∥")),
         "ファイル名の「‖」は「∥」に変わってしまうため使用できません。"},
        {"5¢.tbl", MsgUnusableNameCharacter("U+00A2", Sjis("￠")),
         "ファイル名の「¢」は「￠」に変わってしまうため使用できません。"},
        {"café.tbl", MsgUnusableNameCharacter("U+00E9", ""),
         "ファイル名の「é」はこのプログラムでは使用できません。"},
        {"bad\xFF.tbl", MsgMalformedFileName(), "ファイル名の文字コードがUTF-8ではありません。"},
    };
    for (const auto& c : cases) {
        document_.FileName = "/before.tbl";
        const TSaveResult result = Save(c.name);
        EXPECT_EQ(result.Outcome, TSaveOutcome::TableFailed) << c.name;
        EXPECT_EQ(result.Message, MsgTableSaveFailed() + "\r\n" + c.reason) << c.name;
        EXPECT_EQ(FileNameRefusalShown(Path(c.name)), c.shown) << c.name;
        EXPECT_EQ(document_.FileName, "/before.tbl");
        EXPECT_TRUE(document_.Modified);
    }
    EXPECT_EQ(FileNameRefusalShown(Path("お知らせ～.tbl")), "");
    EXPECT_TRUE(fs::is_empty(dir_));
}

// Folders are the file system's: one that code page 932 cannot hold works, and the message shows
// what it cannot show as "?".
TEST_F(SaveDocumentTest, AnyFolderWorks) {
    fs::create_directory(dir_ / "café");
    const TSaveResult result = Save("café/News.tbl");
    EXPECT_EQ(result.Outcome, TSaveOutcome::Saved);
    EXPECT_EQ(result.FeedPath, Path("café/news.rdf"));
    EXPECT_EQ(result.Message, MsgSaveComplete() + "\"" + Path("caf?/news.rdf") + "\"");
    EXPECT_TRUE(fs::exists(dir_ / "café" / "News.tbl"));
    EXPECT_TRUE(fs::exists(dir_ / "café" / "news.rdf"));
}

// A table file named like its own feed (news.rdf with "rdf" chosen) is never replaced by it, also
// when the feed's name reaches it through a link.
TEST_F(SaveDocumentTest, FeedNeverReplacesItsTableFile) {
    fs::create_directory(dir_ / "out");
    fs::create_symlink(dir_ / "l.tbl", dir_ / "out" / "l.rdf");
    const struct {
        std::string table, saveFolder;
    } cases[] = {{"news.rdf", ""}, {"l.tbl", Path("out")}};
    for (const auto& c : cases) {
        document_.Channel.SaveFolder = c.saveFolder;
        const TSaveResult result = Save(c.table);
        EXPECT_EQ(result.Outcome, TSaveOutcome::FeedFailed) << c.table;
        EXPECT_EQ(result.Message, MsgFeedCreateFailed() + "\r\n" + MsgFeedIsTableFile());
        EXPECT_TRUE(ReadBytes(dir_ / c.table).starts_with("1.00\r\n")) << c.table;
        EXPECT_TRUE(document_.Modified);
    }
}

// The news page goes beside the feed (into the save folder), the table file and the feed are
// saved whatever becomes of the page, and the page never replaces either of them.
TEST_F(SaveDocumentTest, NewsPageBesideTheFeed) {
    fs::create_directory(dir_ / "out");
    WriteBytes(dir_ / "broken.mustache", "{{#entries}}\n");
    const struct {
        const char* name;
        TNewsPageSettings page;
        std::vector<std::string> written; // none: the page failed
        std::string reason = {};
    } cases[] = {
        {"built-in", {true, "news.html", ""}, {"out/news.html", "out/news-list.html"}},
        {"off", {false, "news.html", ""}, {}},
        {"broken template",
         {true, "news.html", Path("broken.mustache")},
         {},
         "テンプレート " + Path("broken.mustache") + " の 1 行目"},
        {"named like the feed", {true, "n.rdf", ""}, {}, "お知らせページのファイル名がRSSファイル"},
        {"a folder",
         {true, "sub/news.html", ""},
         {},
         "お知らせページのファイル名には、フォルダを含まない"},
    };
    document_.Channel.SaveFolder = Path("out");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir_ / "out");
        fs::create_directory(dir_ / "out");
        document_.Modified = true;
        const TSaveResult result = SaveDocumentFiles(document_, Path("n.tbl"), Time, "1", c.page);
        EXPECT_EQ(result.Outcome, TSaveOutcome::Saved);
        EXPECT_FALSE(document_.Modified);
        EXPECT_TRUE(ReadBytes(dir_ / "out/n.rdf").ends_with("</rdf:RDF>\r\n"));
        std::vector<std::string> written;
        for (const std::string& path : result.PagePaths)
            written.push_back(path.substr(dir_.string().size() + 1));
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(fs::exists(dir_ / "out/news.html"), !c.written.empty());
        EXPECT_EQ(static_cast<bool>(result.Page), c.reason.empty());
        if (!c.reason.empty()) {
            EXPECT_NE(
                Cp932ToUtf8(result.Message).find("お知らせページが作成できません。\r\n" + c.reason),
                std::string::npos)
                << Cp932ToUtf8(result.Message);
        }
    }
}

} // namespace
