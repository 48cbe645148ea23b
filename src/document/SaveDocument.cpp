#include "SaveDocument.h"

#include "CodePage.h"
#include "Messages.h"
#include "TableFile.h"
#include "TextFile.h"

#include <vector>

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

TSaveResult Failure(TSaveOutcome outcome, std::string message, std::string feedPath = {}) {
    return {outcome, std::move(feedPath), true, std::move(message)};
}

bool WriteFeedFile(const std::string& feedPath, const std::string& text) {
    TTextFile file;
    if (OpenDataFile(Cp932ToUtf8(feedPath), file, 1) != 0) return false;
    file.Write(Cp932ToUtf8(text));
    return file.Close() == 0;
}

} // namespace

TSaveResult SaveDocumentFiles(TFeedDocument& document, const std::string& target,
                              const TFeedTime& now, const std::string& versionText) {
    if (!WriteTableFile(document, target))
        return Failure(TSaveOutcome::TableFailed, MsgTableSaveFailed());

    const std::string feedPath = FeedFileName(document);
    if (feedPath.empty()) {
        std::string message = MsgInvalidSaveFolder();
        if (!document.Channel.SaveFolder.empty())
            message += MsgSaveFolderNamed() + Quoted(document.Channel.SaveFolder);
        return Failure(TSaveOutcome::InvalidSaveFolder, message);
    }

    std::vector<std::string> lines;
    const bool unique = BuildFeed(lines, document, {feedPath, {}, now, versionText});
    if (!WriteFeedFile(feedPath, JoinLines(lines)))
        return Failure(TSaveOutcome::FeedFailed, MsgFeedCreateFailed(), feedPath);

    document.Modified = false;
    std::string message = MsgSaveComplete() + Quoted(feedPath);
    if (!unique) message += MsgDuplicateWarning();
    return {TSaveOutcome::Saved, feedPath, unique, message};
}
