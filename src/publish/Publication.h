#pragma once

// One publish of a feed, carried out in this process: the steps Publisher.h describes, from the
// turn taken with the feed's lock to the replaced feed, over SFTP (SftpFolder.h) or FTP and FTPS
// (FtpFolder.h). It is the publishing module's side of PublishFeed (PublishModule.h); the programs
// reach it only through PublishFeed, which also fills in the outcome's Address. A failure leaves
// the site as the outcome's message says.

#include "publish/Publisher.h"

#include <string>
#include <vector>

TPublishOutcome RunPublication(const TPublishSettings& settings, const std::string& feedPath,
                               const std::string& password, const TPublishPrompts& prompts,
                               const std::vector<TPublishedFile>& withFeed);
