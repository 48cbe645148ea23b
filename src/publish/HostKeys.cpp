#include "publish/HostKeys.h"

#include "text/TextFile.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <openssl/evp.h>
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

// A key blob starts with its type's name ("ssh-ed25519"), a 32-bit big-endian length first.
std::string KeyType(const std::string& blob) {
    if (blob.size() < 4) return {};
    size_t length = 0;
    for (size_t at = 0; at < 4; ++at)
        length = length << 8 | static_cast<unsigned char>(blob[at]);
    return length <= blob.size() - 4 ? blob.substr(4, length) : std::string();
}

std::string Sha256(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    return std::string(reinterpret_cast<const char*>(digest), length);
}

std::string Unpadded(std::string base64) {
    while (base64.ends_with('='))
        base64.pop_back();
    return base64;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

std::string HostKeyFingerprint(const std::string& keyBlob) {
    return "SHA256:" + Unpadded(Base64(Sha256(keyBlob)));
}

std::string PublicKeyPin(const std::string& publicKeyDer) {
    return "sha256//" + Base64(Sha256(publicKeyDer));
}

std::string PinFingerprint(const std::string& pin) {
    return "SHA256:" + Unpadded(pin.substr(pin.find("//") + 2));
}

TResult RememberHostKey(const std::string& knownHosts, const std::string& host, int port,
                        const std::string& keyBlob) {
    const std::string type = KeyType(keyBlob);
    if (type.empty()) return TResult::FromErrno(EINVAL);
    const std::string name = port == 22 ? host : "[" + host + "]:" + std::to_string(port);
    const std::string folder = knownHosts.substr(0, knownHosts.rfind('/'));
    if (!folder.empty() && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return TResult::FromErrno(errno);
    std::string text = ReadWhole(knownHosts);
    if (!text.empty() && !text.ends_with('\n')) text += '\n';
    text += name + " " + type + " " + Base64(keyBlob) + "\n";
    return WriteFileAtomic(knownHosts, text);
}

std::string UserKnownHostsFile() {
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.ssh/known_hosts";
}
