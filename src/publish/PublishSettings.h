#pragma once

// Where a table file's feed is published: kept per table file in the settings file, in a section
// of its own named after the table file's path ("Publish:" and FileSectionName), never in the
// table file. Passwords are never part of these settings.

#include "text/IniFile.h"

#include <optional>
#include <string>
#include <vector>

enum class TPublishProtocol { Sftp, Ftps, Ftp };

enum class TSftpLogin {
    Password, // the password (keyring, prompt or ~/.netrc)
    Keys,     // the user's SSH agent and keys in ~/.ssh
};

struct TPublishSettings {
    TPublishProtocol Protocol = TPublishProtocol::Sftp;
    std::string Host;
    int Port = 0; // 0: the protocol's own (22 for SFTP, 21 for FTP and FTPS)
    std::string User;
    // The feed's folder on the server: absolute ("/var/www/news") or inside the login folder
    // ("public_html"). The server's bytes, usually UTF-8.
    std::string RemoteFolder;
    TSftpLogin Login = TSftpLogin::Password;
    // The user agreed that plain FTP sends the password unencrypted.
    bool PlainFtpAccepted = false;
    // A certificate the system does not trust, accepted by the user for FTPS:
    // "sha256//" and the Base64 SHA-256 hash of its public key. Empty: none.
    std::string TrustedCertificate;
    // The web address of the feed the editor last published (UTF-8); empty before the first.
    std::string PublishedAddress;
};

int DefaultPort(TPublishProtocol protocol);
// The port the connection uses: Port, or the protocol's own.
int EffectivePort(const TPublishSettings& settings);

// True when `text` holds a control character: no setting or name sent to a server may, as one
// could end a command there and start another.
bool HasControlCharacter(const std::string& text);

// The remote folder as the server's commands take it: without a trailing "/", "/" for the root,
// empty for the login folder.
std::string RemoteFolderPath(const TPublishSettings& settings);
// The path of the file `name` in the remote folder, as the server's commands take it.
std::string RemoteFilePath(const TPublishSettings& settings, const std::string& name);

// The publish settings of `tablePath` in `ini`, or std::nullopt when it has none (or no host).
std::optional<TPublishSettings> ReadPublishSettings(const TIniFile& ini,
                                                    const std::string& tablePath);
// The publish settings of every table file in `ini`.
std::vector<TPublishSettings> EveryPublishSettings(const TIniFile& ini);
// Replaces the publish settings of `tablePath` in `ini` (in memory; the caller saves).
void WritePublishSettings(TIniFile& ini, const std::string& tablePath,
                          const TPublishSettings& settings);
