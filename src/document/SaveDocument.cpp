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

TResult WriteFeedFile(const std::string& feedPath, const std::string& text) {
    TTextFile file;
    if (TResult opened = OpenDataFile(Cp932ToUtf8(feedPath), file, 1); !opened) return opened;
    file.Write(Cp932ToUtf8(text));
    return file.Close();
}

} // namespace

TSaveResult SaveDocumentFiles(TFeedDocument& document, const std::string& target,
                              const TFeedTime& now, const std::string& versionText) {
    if (const TResult written = WriteTableFile(document, target); !written)
        return Failure(TSaveOutcome::TableFailed, written.Describe(MsgTableSaveFailed()));

    const std::string feedPath = FeedFileName(document);
    if (feedPath.empty()) {
        std::string message = MsgInvalidSaveFolder();
        if (!document.Channel.SaveFolder.empty())
            message += MsgSaveFolderNamed() + Quoted(document.Channel.SaveFolder);
        return Failure(TSaveOutcome::InvalidSaveFolder, message);
    }

    std::vector<std::string> lines;
    const bool unique = BuildFeed(lines, document, {feedPath, {}, now, versionText});
    if (const TResult written = WriteFeedFile(feedPath, JoinLines(lines)); !written)
        return Failure(TSaveOutcome::FeedFailed, written.Describe(MsgFeedCreateFailed()), feedPath);

    document.Modified = false;
    std::string message = MsgSaveComplete() + Quoted(feedPath);
    if (!unique) message += MsgDuplicateWarning();
    return {TSaveOutcome::Saved, feedPath, unique, message};
}
