#include "document/SaveDocument.h"

#include "document/FeedCheck.h"

#include "document/FileNames.h"
#include "document/Messages.h"
#include "document/TableFile.h"
#include "text/CodePage.h"
#include "text/TextFile.h"

#include <sys/stat.h>
#include <vector>

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

TSaveResult Failure(TSaveOutcome outcome, std::string message, std::string feedPath = {}) {
    return {outcome, std::move(feedPath), std::move(message)};
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

} // namespace

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
        return Failure(TSaveOutcome::InvalidSaveFolder, message);
    }
    if (const TResult written = WriteFeedText(path, document.FileName, feed.Text); !written)
        return Failure(TSaveOutcome::FeedFailed, written.Describe(MsgFeedCreateFailed()), path);

    return {TSaveOutcome::Saved, path, MsgSaveComplete() + Quoted(Utf8ToCp932Shown(path))};
}

TSaveResult SaveDocumentFiles(TFeedDocument& document, const std::string& target,
                              const TFeedTime& now, const std::string& versionText) {
    std::string name;
    if (const TResult named = FileNameText(target, name); !named)
        return Failure(TSaveOutcome::TableFailed, named.Describe(MsgTableSaveFailed()));
    if (const TResult written = WriteTableFile(document, target); !written)
        return Failure(TSaveOutcome::TableFailed, written.Describe(MsgTableSaveFailed()));

    TSaveResult result = WriteFeedFile(document, BuildFeedFile(document, now, versionText));
    if (result.Outcome != TSaveOutcome::Saved) return result;
    document.Modified = false;
    result.CheckErrors = CountFindings(CheckFeed(document), TFindingSeverity::Error);
    if (result.CheckErrors > 0) result.Message += MsgCheckErrors(result.CheckErrors);
    return result;
}
