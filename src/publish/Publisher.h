#pragma once

// Publishing a feed file to the site over SFTP, FTPS (explicit TLS) or plain FTP, with the files
// that go up with it (the news page). Each file goes up as the feed does, below; all of them are
// uploaded and checked before the first published one is replaced, so a failure until then leaves
// every published file as it was, and the message of a later failure names which were replaced.
//
// The published feed is never removed before its replacement is whole on the server:
// - The feed goes up under a temporary name of its own, new at each publish and hard to guess
//   (".news.rdf.orvanix-k3J9xqW2mZ"), into the same remote folder. Over SFTP the file is created
//   only if nothing has that name; FTP cannot refuse an existing name, so the name is first
//   checked to be free. Nothing but that file is ever written to or has its permissions changed,
//   and no symbolic link planted at any name is followed.
// - The server's size of that file (or, where a server cannot tell sizes, the file read back) must
//   match what was sent; only then is it renamed over the published feed, in one step where the
//   server can (FTP's rename, OpenSSH's posix-rename). Elsewhere the published feed is first
//   renamed aside under a name of our own, the new one renamed into place and the old one
//   removed; if the new one cannot be put in place, the old one is renamed back.
// - Every failure says what the site holds afterwards: "unchanged" only when that is so. A
//   temporary file left by a failed upload is removed, over a new connection if the old one
//   broke; what cannot be removed then, and what a publish that was killed left, is put right by
//   the next publish of that feed (PublishLock.h).
// - Publishes of one remote feed from this machine take turns (PublishLock.h).
//
// Trust: an SFTP server's host key must be in ~/.ssh/known_hosts; an unknown one is accepted
// only through AcceptHostKey and then added there, and a changed or revoked one is always
// refused, as is any host key when known_hosts cannot be read. An FTPS server's certificate must
// be trusted by the system, or be the one the user accepted before
// (TPublishSettings::TrustedCertificate) or accepts now through AcceptCertificate. Plain FTP is
// used only when the user has accepted it (PlainFtpAccepted, or AcceptPlainFtp now). A prompt
// that is not set counts as "no": the command line runs without prompts.
//
// The transfer is the publishing module's (PublishModule.h), opened at the first publish of the
// process; when it cannot be opened, PublishFeed fails with the reason, naming the module's file,
// before anything is read or sent.
//
// Blocks until done: run it off the GUI thread. Messages are code page 932 text.

#include "publish/CertificateFacts.h"
#include "publish/PublishSettings.h"
#include "text/Result.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TPublishPrompts {
    // The host name and the SHA256 fingerprint of a host key nothing vouches for; true trusts it.
    std::function<bool(const std::string& host, const std::string& fingerprint)> AcceptHostKey;
    // A certificate the system does not trust; true trusts it.
    std::function<bool(const TCertificateFacts& certificate)> AcceptCertificate;
    // True when the user agrees to send the password unencrypted.
    std::function<bool()> AcceptPlainFtp;
    // Bytes of the feed sent so far and in all, called about once a second or more often while
    // the publish waits for its turn, connects and uploads, until the feed is checked on the
    // server; false cancels the publish there. It may be called from a helper thread of the
    // publish, never by two threads at once.
    std::function<bool(uint64_t sent, uint64_t total)> Progress;
};

struct TPublishOutcome {
    TResult Result;      // success, or the cause in the user's words
    std::string Address; // where the feed went, "sftp://example.jp/public_html/news.rdf"
    std::vector<std::string> WithFeedAddresses; // where the files that went with it went
    // The settings with what the user accepted during this run (a certificate, plain FTP);
    // SettingsChanged says they differ from the ones given and should be stored.
    TPublishSettings Settings;
    bool SettingsChanged = false;
};

// A file that goes up with the feed, into the same folder under its own name, and what the user
// calls it in messages (UTF-8: "お知らせページ").
struct TPublishedFile {
    std::string Path;
    std::string What;
};

// Publishes the file at `feedPath` under its own name into the settings' remote folder, and the
// files `withFeed` beside it. `password` empty: the password comes from ~/.netrc, or SFTP logs in
// with the SSH agent or the user's keys (TSftpLogin::Keys).
TPublishOutcome PublishFeed(const TPublishSettings& settings, const std::string& feedPath,
                            const std::string& password, const TPublishPrompts& prompts,
                            const std::vector<TPublishedFile>& withFeed = {});

// The address shown for a feed named `feedName` published with `settings`.
std::string PublishAddress(const TPublishSettings& settings, const std::string& feedName);

// "公開できません。": the first line of every failure's message.
std::string MsgPublishFailed();
