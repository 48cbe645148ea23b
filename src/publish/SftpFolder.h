#pragma once

// TSftpFolder: the remote folder over SFTP (libssh), for the publisher only.
//
// The connection is the user's own: ~/.ssh/config is not read, the host key is checked against
// ~/.ssh/known_hosts (HostKeys.h) before anything is sent, and the login uses the password (given,
// or from ~/.netrc) or, for key logins, the SSH agent and the keys in ~/.ssh ($HOME, as OpenSSH
// finds them). New files are created only if nothing has their name, with mode 0644. A replace
// over an existing file uses OpenSSH's posix-rename where the server offers it.
//
// The socket is the folder's own: a helper thread reports progress while the connection waits on
// the server and, once the user stops the publish, shuts the socket down, so that even a server
// that never answers is left at once. A connection that stalls for StalledSeconds is given up.

#include "publish/Publisher.h"
#include "publish/RemoteFolder.h"

#include <memory>

class TSftpFolder : public TRemoteFolder {
public:
    TSftpFolder(const TPublishSettings& settings, const std::string& password,
                const TPublishPrompts& prompts, TProgressReport& report);
    ~TSftpFolder() override;

    TRemoteStatus Open() override;
    TRemoteStatus Create(const std::string& name, const std::string& bytes) override;
    TRemoteStatus Look(const std::string& name, TRemoteEntry& entry) override;
    TRemoteStatus Read(const std::string& name, std::string& bytes, size_t limit) override;
    TRemoteStatus MakeReadable(const std::string& name) override;
    TRemoteStatus Replace(const std::string& from, const std::string& to) override;
    TRemoteStatus Rename(const std::string& from, const std::string& to) override;
    TRemoteStatus Remove(const std::string& name) override;

private:
    struct TSession;
    TRemoteStatus CheckHostKey(const std::string& key);
    TRemoteStatus LogIn(TSession& session);
    // Why a write failed with `unwritten` bytes still to go.
    TRemoteStatus WriteFailure(uint64_t unwritten);

    std::unique_ptr<TSession> session_;
    const TPublishSettings& settings_;
    std::string password_;
    const TPublishPrompts& prompts_;
    TProgressReport& report_;
    std::string acceptedKey_; // a host key the user accepted during this publish
};
