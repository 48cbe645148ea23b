#pragma once

// Publishing a feed file to the site over SFTP, FTPS (explicit TLS) or plain FTP.
//
// The feed goes up under a temporary name into the same remote folder, is read back and compared
// with what was sent, and only then renamed over the published feed. A reader therefore never
// fetches half a feed, and any failure before the rename (a wrong password, a lost connection, a
// full disk, a cancel) leaves the published feed as it was; a partly uploaded file is removed
// again while the server still answers. Where the server will not rename over an existing file
// (OpenSSH's SFTP server), the old feed is deleted right before the rename.
//
// Trust: an SFTP server's host key must be in ~/.ssh/known_hosts; an unknown one is accepted
// only through AcceptHostKey and then added there, and a changed one is always refused. An FTPS
// server's certificate must be trusted by the system, or be the one the user accepted before
// (TPublishSettings::TrustedCertificate) or accepts now through AcceptCertificate. Plain FTP is
// used only when the user has accepted it (PlainFtpAccepted, or AcceptPlainFtp now). A prompt
// that is not set counts as "no": the command line runs without prompts.
//
// Blocks until done: run it off the GUI thread. Messages are code page 932 text.

#include "publish/PublishSettings.h"
#include "text/Result.h"

#include <cstdint>
#include <functional>
#include <string>

struct TPublishPrompts {
    // The host name and the SHA256 fingerprint of a key or certificate nothing vouches for;
    // true trusts it.
    std::function<bool(const std::string& host, const std::string& fingerprint)> AcceptHostKey;
    std::function<bool(const std::string& host, const std::string& fingerprint)> AcceptCertificate;
    // True when the user agrees to send the password unencrypted.
    std::function<bool()> AcceptPlainFtp;
    // Bytes of the feed sent so far and in all, called about once a second or more often from
    // the connection until the rename; false cancels the publish there.
    std::function<bool(uint64_t sent, uint64_t total)> Progress;
};

struct TPublishOutcome {
    TResult Result;      // success, or the cause in the user's words
    std::string Address; // where the feed went, "sftp://example.jp/public_html/news.rdf"
    // The settings with what the user accepted during this run (a certificate, plain FTP);
    // SettingsChanged says they differ from the ones given and should be stored.
    TPublishSettings Settings;
    bool SettingsChanged = false;
};

// Publishes the file at `feedPath` under its own name into the settings' remote folder.
// `password` empty: the password comes from ~/.netrc, or SFTP logs in with the SSH agent or
// the user's keys (TSftpLogin::Keys).
TPublishOutcome PublishFeed(const TPublishSettings& settings, const std::string& feedPath,
                            const std::string& password, const TPublishPrompts& prompts);

// The address shown for a feed named `feedName` published with `settings`.
std::string PublishAddress(const TPublishSettings& settings, const std::string& feedName);

// "公開できません。": the first line of every failure's message.
std::string MsgPublishFailed();
