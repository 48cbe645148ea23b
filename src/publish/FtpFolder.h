#pragma once

// TFtpFolder: the remote folder over FTP or FTPS with explicit TLS (libcurl), for the publisher
// only.
//
// One control connection serves every step; libcurl connects again by itself when it has broken.
// FTP has no way to create a file only if its name is free: Create asks the server for the name's
// size first and writes only when it has none. The server's size of a file (SIZE) stands for the
// file read back. A rename replaces an existing file on every POSIX server in one step.
//
// FTPS: a certificate the system does not trust is offered to the user once per publish
// (TPublishPrompts::AcceptCertificate) with what is wrong with it; accepted, its public key's pin
// stands in for the system's trust and the host name from then on (AcceptedCertificate).
// A pinned certificate that changed is refused with the new one's fingerprint.

#include "publish/Publisher.h"
#include "publish/RemoteFolder.h"

#include <memory>
#include <vector>

class TFtpFolder : public TRemoteFolder {
public:
    TFtpFolder(const TPublishSettings& settings, const std::string& password,
               const TPublishPrompts& prompts, TProgressReport& report);
    ~TFtpFolder() override;

    TRemoteStatus Open() override;
    TRemoteStatus Create(const std::string& name, const std::string& bytes) override;
    TRemoteStatus Look(const std::string& name, TRemoteEntry& entry) override;
    TRemoteStatus Read(const std::string& name, std::string& bytes, size_t limit) override;
    TRemoteStatus MakeReadable(const std::string& name) override;
    TRemoteStatus Replace(const std::string& from, const std::string& to) override;
    TRemoteStatus Rename(const std::string& from, const std::string& to) override;
    TRemoteStatus Remove(const std::string& name) override;

    // The pin of a certificate the user accepted during this publish; empty when none.
    const std::string& AcceptedCertificate() const { return accepted_; }

private:
    struct TConnection;
    std::unique_ptr<TConnection> connection_;
    std::string accepted_;
};
