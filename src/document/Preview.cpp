#include "document/Preview.h"

#include "document/FeedWriter.h"
#include "document/FileNames.h"
#include "document/MakerPages.h"
#include "document/Messages.h"
#include "text/CodePage.h"
#include "text/PercentEncode.h"
#include "text/Platform.h"
#include "text/S_string.h"
#include "text/TextFile.h"

#include <cerrno>
#include <unistd.h>

TPreviewPlan PlanPreview(const TFeedDocument& document, const std::string& programFolder) {
    const TChannelInfo& channel = document.Channel;
    TPreviewPlan plan;
    if (channel.ExtensionIndex == 0) plan.Notice += "\r\n" + MsgPreviewXmlExtension();
    const std::string& sheet = channel.StyleSheet;
    if (sheet.empty() || PosIn(sheet, "/") != 0) return plan;
    if (!channel.FeedAddress.empty()) {
        plan.StyleSheetOverride = WebAddressIn(channel.FeedAddress, sheet);
        return plan;
    }
    const std::string folder =
        channel.SaveFolder.empty() ? programFolder : AddPathDelim(channel.SaveFolder);
    if (FileExists(Cp932ToUtf8(folder + sheet))) {
        plan.StyleSheetOverride = "file://" + folder + sheet;
    } else {
        plan.Notice += "\r\n" + MsgPreviewNoStyleSheet();
        plan.StyleSheetOverride = "*";
    }
    return plan;
}

std::string PreviewQuestion(const std::string& notice) {
    return MsgPreviewHeading() + "\r\n" + notice;
}

std::string PreviewCopyName(const std::string& tableFileName) {
    std::string name = LowerCaseFileName(ExtractFileName(tableFileName));
    if (name.empty()) name = "orvanetest";
    return ChangeFileExt(name, ".xml");
}

std::string PreviewCopyFolder() {
    const std::string runtime = RuntimeFolder();
    return runtime.empty() ? TempFolder() : runtime;
}

TResult WritePreviewCopy(const std::string& diskPath, const std::string& bytes) {
    if (unlink(diskPath.c_str()) != 0 && errno != ENOENT) return TResult::FromErrno(errno);
    return WriteFileExclusive(diskPath, bytes);
}

std::string ValidationAddress(const std::string& feedAddress, const std::string& feedFileName) {
    const std::string feed =
        Cp932ToUtf8(WebAddressIn(feedAddress, {})) + ExtractFileName(feedFileName);
    return std::string(ValidatorAddress) + PercentEncode(feed, TPercentEncoding::QueryValue);
}
