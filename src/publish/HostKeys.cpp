#include "publish/HostKeys.h"

#include "text/S_string.h"
#include "text/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/stat.h>
#include <vector>

namespace {

std::string Base64(const std::string& bytes) {
    std::vector<unsigned char> encoded(4 * ((bytes.size() + 2) / 3) + 1);
    const int written =
        EVP_EncodeBlock(encoded.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<int>(bytes.size()));
    return std::string(encoded.begin(), encoded.begin() + written);
}

// The bytes of padded Base64 text; empty for text that is not Base64.
std::string FromBase64(const std::string& text) {
    if (text.empty() || text.size() % 4 != 0) return {};
    std::vector<unsigned char> decoded(text.size() / 4 * 3);
    const int length =
        EVP_DecodeBlock(decoded.data(), reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
    if (length < 0) return {};
    // The decoder counts the padding as zero bytes.
    const auto padding = static_cast<int>(text.size() - text.find_last_not_of('=') - 1);
    return std::string(decoded.begin(), decoded.begin() + (length - padding));
}

// A key blob starts with its type's name ("ssh-ed25519"), a 32-bit big-endian length first.
std::string KeyType(const std::string& blob) {
    if (blob.size() < 4) return {};
    size_t length = 0;
    for (size_t at = 0; at < 4; ++at)
        length = length << 8 | static_cast<unsigned char>(blob[at]);
    return length <= blob.size() - 4 ? blob.substr(4, length) : std::string();
}

std::string Digest(const std::string& bytes, const EVP_MD* kind) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, kind, nullptr);
    return std::string(reinterpret_cast<const char*>(digest), length);
}

std::string Unpadded(std::string base64) {
    while (base64.ends_with('='))
        base64.pop_back();
    return base64;
}

// The name a host goes by in the file: "host", or "[host]:port" for another port than 22.
std::string HostEntryName(const std::string& host, int port) {
    return port == 22 ? host : "[" + host + "]:" + std::to_string(port);
}

// `text` matches `pattern`, where "*" stands for any run of characters and "?" for one. A
// mismatch after a "*" resumes one character further along the text, never rescanning the
// pattern before that "*".
bool GlobMatches(const std::string& text, const std::string& pattern) {
    size_t t = 0, p = 0, starAt = std::string::npos, resumeAt = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++t, ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            resumeAt = t;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;
            t = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// A hashed host field: "|1|" Base64 salt "|" Base64 HMAC-SHA1 of the name under that salt.
bool HashedNameMatches(const std::string& field, const std::string& name) {
    const size_t bar = field.find('|', 3);
    if (bar == std::string::npos) return false;
    const std::string salt = FromBase64(field.substr(3, bar - 3));
    const std::string hash = FromBase64(field.substr(bar + 1));
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (salt.empty() ||
        !HMAC(EVP_sha1(), salt.data(), static_cast<int>(salt.size()),
              reinterpret_cast<const unsigned char*>(name.data()), name.size(), digest, &length))
        return false;
    return hash == std::string(reinterpret_cast<const char*>(digest), length);
}

// The host field names `name` (lower case): a hashed name, or a pattern of the comma-separated
// list with none of its "!" patterns.
bool HostFieldMatches(const std::string& field, const std::string& name) {
    if (field.starts_with("|1|")) return HashedNameMatches(field, name);
    bool matched = false;
    size_t start = 0;
    while (start <= field.size()) {
        const size_t end = std::min(field.find(',', start), field.size());
        const std::string pattern = LowerCaseAnsi(field.substr(start, end - start));
        if (pattern.starts_with('!')) {
            if (GlobMatches(name, pattern.substr(1))) return false;
        } else if (!pattern.empty() && GlobMatches(name, pattern)) {
            matched = true;
        }
        start = end + 1;
    }
    return matched;
}

// The blank-separated fields of a line (a CR LF line's CR counts as a blank).
std::vector<std::string> Fields(const std::string& line) {
    static constexpr const char* Blanks = " \t\r";
    std::vector<std::string> fields;
    size_t start = line.find_first_not_of(Blanks);
    while (start != std::string::npos) {
        const size_t end = line.find_first_of(Blanks, start);
        fields.push_back(line.substr(start, end - start));
        start = line.find_first_not_of(Blanks, end);
    }
    return fields;
}

} // namespace

TResult ReadKnownHosts(const std::string& path, std::string& text) {
    const TResult read = ReadWholeFile(path, text);
    if (read.Errno() == ENOENT) text.clear();
    return read.Errno() == ENOENT ? TResult() : read;
}

THostKeyMatch MatchHostKey(const std::string& knownHosts, const std::string& host, int port,
                           const std::string& key) {
    const std::string name = LowerCaseAnsi(HostEntryName(host, port));
    bool known = false, others = false;
    size_t start = 0;
    while (start < knownHosts.size()) {
        const size_t end = std::min(knownHosts.find('\n', start), knownHosts.size());
        std::vector<std::string> fields = Fields(knownHosts.substr(start, end - start));
        start = end + 1;
        const std::string marker =
            !fields.empty() && fields[0].starts_with('@') ? fields[0] : std::string();
        if (!marker.empty()) fields.erase(fields.begin());
        if (fields.size() < 3 || fields[0].starts_with('#') || !HostFieldMatches(fields[0], name))
            continue;
        const bool same = Unpadded(fields[2]) == Unpadded(key);
        if (marker == "@revoked" && same) return THostKeyMatch::Revoked;
        if (!marker.empty()) continue;
        known = known || same;
        others = others || !same;
    }
    if (known) return THostKeyMatch::Known;
    return others ? THostKeyMatch::Changed : THostKeyMatch::Unknown;
}

TResult RememberHostKey(const std::string& knownHosts, const std::string& host, int port,
                        const std::string& key) {
    const std::string type = KeyType(FromBase64(key));
    if (type.empty()) return TResult::FromErrno(EINVAL);
    const std::string folder = knownHosts.substr(0, knownHosts.rfind('/'));
    if (!folder.empty() && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return TResult::FromErrno(errno);
    std::string text;
    if (TResult read = ReadKnownHosts(knownHosts, text); !read) return read;
    if (!text.empty() && !text.ends_with('\n')) text += '\n';
    text += HostEntryName(host, port) + " " + type + " " + key + "\n";
    return WriteFileAtomic(knownHosts, text);
}

std::string HostKeyFingerprint(const std::string& key) {
    return "SHA256:" + Unpadded(Base64(Digest(FromBase64(key), EVP_sha256())));
}

std::string PublicKeyPin(const std::string& publicKeyDer) {
    return "sha256//" + Base64(Digest(publicKeyDer, EVP_sha256()));
}

std::string CertificateFingerprint(const std::string& certificateDer) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string text;
    for (const char ch : Digest(certificateDer, EVP_sha256())) {
        const auto byte = static_cast<unsigned char>(ch);
        if (!text.empty()) text += ':';
        text += Hex[byte >> 4];
        text += Hex[byte & 0x0F];
    }
    return text;
}

std::string UserSshFolder() {
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.ssh";
}

std::string UserKnownHostsFile() {
    return UserSshFolder() + "/known_hosts";
}
