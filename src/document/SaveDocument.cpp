#include "document/SaveDocument.h"

#include "document/FeedCheck.h"

#include "document/FileNames.h"
#include "document/Messages.h"
#include "document/NewsPage.h"
#include "document/NewsTemplate.h"
#include "document/TableFile.h"
#include "text/CodePage.h"
#include "text/S_string.h"
#include "text/TextFile.h"

#include <sys/stat.h>
#include <vector>

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The result of a save that ended with `outcome`, success included.
TSaveResult Outcome(TSaveOutcome outcome, std::string message, std::string feedPath = {}) {
    TSaveResult result;
    result.Outcome = outcome;
    result.FeedPath = std::move(feedPath);
    result.Message = std::move(message);
    return result;
}

// True when both paths lead to one file, through links or other names alike.
bool SameFile(const std::string& a, const std::string& b) {
    struct stat infoA {};
    struct stat infoB {};
    return stat(a.c_str(), &infoA) == 0 && stat(b.c_str(), &infoB) == 0 &&
           infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

TResult WriteFeedText(const std::string& path, const std::string& tablePath,
                      const std::string& text) {
    if (SameFile(path, tablePath)) return TResult::Because(MsgFeedIsTableFile());
    return WriteFileAtomic(path, text);
}

// The folder of the file at `path`, with its "/"; empty for a bare name.
std::string FolderOf(const std::string& path) {
    return path.substr(0, path.size() - ExtractFileName(path).size());
}

// Writes the news page when asked for, and adds what became of it to the save's result.
void SaveNewsPage(const TFeedDocument& document, const TNewsPageSettings& settings,
                  TSaveResult& result) {
    if (!settings.Enabled) return;
    const TNewsPageFiles page = BuildNewsPageFiles(document, result.FeedPath, settings);
    result.Page = page.Result ? WriteNewsPageFiles(document, result.FeedPath, page) : page.Result;
    if (!result.Page) {
        result.Message += "\r\n\r\n" + result.Page.Describe(MsgNewsPageFailed());
        return;
    }
    for (const TPageFile& file : page.Files)
        result.PagePaths.push_back(file.Path);
    result.Message += MsgNewsPageNamed() + Quoted(Utf8ToCp932Shown(result.PagePaths.front()));
}

} // namespace

TNewsPageFiles BuildNewsPageFiles(const TFeedDocument& document, const std::string& feedPath,
                                  const TNewsPageSettings& settings) {
    TNewsPageFiles page;
    if (page.Result = CheckNewsPageName(settings.PageName); !page.Result) return page;
    const TNewsPageData data = NewsPageData(document, feedPath);
    std::string text;
    if (settings.Template.empty())
        text = BuiltInNewsPage(data);
    else if (page.Result = RenderNewsTemplate(settings.Template, data, text); !page.Result)
        return page;
    const std::string folder = FolderOf(feedPath);
    page.Files.push_back({folder + settings.PageName, std::move(text), "お知らせページ"});
    page.Files.push_back(
        {folder + NewsListName(settings.PageName), NewsListText(data), "お知らせの一覧"});
    return page;
}

TResult WriteNewsPageFiles(const TFeedDocument& document, const std::string& feedPath,
                           const TNewsPageFiles& page) {
    for (const TPageFile& file : page.Files)
        if (file.Path == feedPath || SameFile(file.Path, feedPath) ||
            SameFile(file.Path, document.FileName))
            return TResult::Because(MsgNewsPageIsOwnFile());
    for (const TPageFile& file : page.Files)
        if (TResult written = WriteFileAtomic(file.Path, file.Text); !written) return written;
    return {};
}

TFeedFile BuildFeedFile(const TFeedDocument& document, const TFeedTime& now,
                        const std::string& versionText) {
    TFeedFile feed;
    feed.Path = FeedFileName(document);
    std::vector<std::string> lines;
    BuildFeed(lines, document, {feed.Path, {}, now, versionText});
    feed.Text = Cp932ToUtf8(JoinLines(lines));
    return feed;
}

TSaveResult WriteFeedFile(const TFeedDocument& document, const TFeedFile& feed,
                          const std::string& target) {
    const std::string& path = target.empty() ? feed.Path : target;
    if (path.empty()) {
        std::string message = MsgInvalidSaveFolder();
        if (!document.Channel.SaveFolder.empty())
            message += MsgSaveFolderNamed() + Quoted(document.Channel.SaveFolder);
        return Outcome(TSaveOutcome::InvalidSaveFolder, message);
    }
    if (const TResult written = WriteFeedText(path, document.FileName, feed.Text); !written)
        return Outcome(TSaveOutcome::FeedFailed, written.Describe(MsgFeedCreateFailed()), path);

    return Outcome(TSaveOutcome::Saved, MsgSaveComplete() + Quoted(Utf8ToCp932Shown(path)), path);
}

TSaveResult SaveDocumentFiles(TFeedDocument& document, const std::string& target,
                              const TFeedTime& now, const std::string& versionText,
                              const TNewsPageSettings& page) {
    std::string name;
    if (const TResult named = FileNameText(target, name); !named)
        return Outcome(TSaveOutcome::TableFailed, named.Describe(MsgTableSaveFailed()));
    if (const TResult written = WriteTableFile(document, target); !written)
        return Outcome(TSaveOutcome::TableFailed, written.Describe(MsgTableSaveFailed()));

    TSaveResult result = WriteFeedFile(document, BuildFeedFile(document, now, versionText));
    if (result.Outcome != TSaveOutcome::Saved) return result;
    document.Modified = false;
    result.CheckErrors = CountFindings(CheckFeed(document), TFindingSeverity::Error);
    if (result.CheckErrors > 0) result.Message += MsgCheckErrors(result.CheckErrors);
    SaveNewsPage(document, page, result);
    return result;
}
