#pragma once

// What the user is told of an FTPS server's certificate that the system does not trust, when the
// publish asks whether to trust it (TPublishPrompts::AcceptCertificate) and when it refuses it.

#include <string>

struct TCertificateFacts {
    std::string Host;
    // SHA-256 of the certificate as `openssl x509 -fingerprint -sha256` prints it ("3D:F7:…").
    std::string Fingerprint;
    bool SelfSigned = false;
    std::string IssuedFor; // the names it was issued for, when the host is not among them
    std::string ExpiredOn; // "2024-05-31" when it has expired
    std::string ValidFrom; // when it is not valid yet
};

// Why such a certificate is not trusted, in the user's words (UTF-8): "自己署名の証明書です。…".
std::string CertificateDoubts(const TCertificateFacts& facts);
