#include "publish/Publisher.h"

#include "publish/PublishModule.h"
#include "text/CodePage.h"
#include "text/S_string.h"

std::string PublishAddress(const TPublishSettings& settings, const std::string& feedName) {
    const char* scheme = settings.Protocol == TPublishProtocol::Sftp   ? "sftp://"
                         : settings.Protocol == TPublishProtocol::Ftps ? "ftps://"
                                                                       : "ftp://";
    const std::string port = settings.Port > 0 && settings.Port != DefaultPort(settings.Protocol)
                                 ? ":" + std::to_string(settings.Port)
                                 : "";
    const std::string path = RemoteFilePath(settings, feedName);
    return scheme + settings.Host + port + (path.starts_with('/') ? "" : "/") + path;
}

std::string MsgPublishFailed() {
    return Utf8ToCp932("公開できません。").value();
}

TPublishOutcome PublishFeed(const TPublishSettings& settings, const std::string& feedPath,
                            const std::string& password, const TPublishPrompts& prompts,
                            const std::vector<TPublishedFile>& withFeed) {
    TPublishOutcome outcome;
    const TPublishModule* module = nullptr;
    if (TResult opened = OpenPublishModule(module); !opened) {
        outcome.Result = opened;
        outcome.Settings = settings;
    } else {
        outcome = module->Publish(settings, feedPath, password, prompts, withFeed);
    }
    outcome.Address = PublishAddress(settings, ExtractFileName(feedPath));
    for (const TPublishedFile& file : withFeed)
        outcome.WithFeedAddresses.push_back(PublishAddress(settings, ExtractFileName(file.Path)));
    return outcome;
}
