#pragma once

// What the user is shown of a server's key and how an accepted SSH host key is remembered.
// Fingerprints are written as OpenSSH writes them: "SHA256:" and the unpadded Base64 SHA-256
// hash, so the user can compare them with what the site's provider publishes.

#include "text/Result.h"

#include <string>

// The fingerprint of an SSH host key given as its binary key blob.
std::string HostKeyFingerprint(const std::string& keyBlob);

// The pin of a DER-encoded public key (a certificate's subject public key info) as libcurl takes
// it: "sha256//" and the padded Base64 SHA-256 hash.
std::string PublicKeyPin(const std::string& publicKeyDer);
// The fingerprint the user is shown for such a pin.
std::string PinFingerprint(const std::string& pin);

// Adds "host key" to the known-hosts file at `knownHosts` (its folder created with mode 0700 when
// missing), keeping the lines already there. A port other than 22 is written "[host]:port", as
// OpenSSH writes it. On failure the file is as it was.
TResult RememberHostKey(const std::string& knownHosts, const std::string& host, int port,
                        const std::string& keyBlob);

// ~/.ssh/known_hosts of the user ($HOME), the file OpenSSH checks too.
std::string UserKnownHostsFile();
