#pragma once

// Trusting an SSH server's host key the way OpenSSH does, through the user's known-hosts file, and
// what the user is shown of a server's key.
//
// A known-hosts file is read as OpenSSH reads it: a line names its hosts by patterns ("*", "?",
// "!" to exclude, "[host]:port" for another port than 22) or by a hashed name ("|1|salt|hash"),
// and a line marked "@revoked" names a key that is never to be trusted; "@cert-authority" lines do
// not vouch for a plain key. Only a key the file holds for the host is known; a host the file
// holds other keys for has a changed key, which is never offered to the user as a new one.
//
// Fingerprints are written as OpenSSH writes them: "SHA256:" and the unpadded Base64 SHA-256 hash,
// so the user can compare them with what the site's provider publishes.

#include "text/Result.h"

#include <string>

enum class THostKeyMatch {
    Known,   // the file holds this key for the host
    Unknown, // the file holds no key for the host
    Changed, // the file holds other keys for the host, not this one
    Revoked, // the file revokes this key
};

// The known-hosts file's content at `path`; a missing file reads as empty. Any other failure
// (a folder, no permission, a read error) fails with its errno value and leaves `text` as it was.
TResult ReadKnownHosts(const std::string& path, std::string& text);

// Keys are given as known_hosts writes them: the Base64 text of the key's binary blob.

// How the known-hosts text `knownHosts` regards `key` for `host` at `port`.
THostKeyMatch MatchHostKey(const std::string& knownHosts, const std::string& host, int port,
                           const std::string& key);

// Adds "host key" to the known-hosts file at `knownHosts` (its folder created with mode 0700 when
// missing), keeping the lines already there; a last line without a line break keeps its own line.
// A port other than 22 is written "[host]:port", as OpenSSH writes it. A file that cannot be read
// is not written. On failure the file is as it was.
TResult RememberHostKey(const std::string& knownHosts, const std::string& host, int port,
                        const std::string& key);

// The fingerprint of an SSH host key.
std::string HostKeyFingerprint(const std::string& key);

// The pin of a DER-encoded public key (a certificate's subject public key info) as libcurl takes
// it: "sha256//" and the padded Base64 SHA-256 hash.
std::string PublicKeyPin(const std::string& publicKeyDer);

// A certificate's fingerprint from its DER encoding, as `openssl x509 -fingerprint -sha256`
// prints it: the SHA-256 hash in pairs of capital hexadecimal digits joined by ":".
std::string CertificateFingerprint(const std::string& certificateDer);

// ~/.ssh of the user ($HOME), where OpenSSH keeps the user's keys and known_hosts.
std::string UserSshFolder();
// ~/.ssh/known_hosts of the user ($HOME), the file OpenSSH checks too.
std::string UserKnownHostsFile();
