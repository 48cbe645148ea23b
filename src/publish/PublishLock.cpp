#include "publish/PublishLock.h"

#include "text/CodePage.h"
#include "text/TextFile.h"
#include "text/UserPlaceRules.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <openssl/evp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr auto WaitStep = std::chrono::milliseconds(100);
const std::string TemporaryTag = "temporary\t";
const std::string AsideTag = "aside\t";

// The first 16 bytes of the address's SHA-256 hash in hexadecimal: a file name of fixed length.
std::string NameFor(const std::string& address) {
    static constexpr char Hex[] = "0123456789abcdef";
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(address.data(), address.size(), digest, &length, EVP_sha256(), nullptr);
    std::string name;
    for (unsigned int at = 0; at < 16 && at < length; ++at) {
        name += Hex[digest[at] >> 4];
        name += Hex[digest[at] & 0x0F];
    }
    return name;
}

// Makes `folder` with mode 0700, and the folders above it as the user's umask has them.
TResult MakeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), error);
    if (error) return TResult::FromErrno(error.value());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return TResult::FromErrno(errno);
    return DirectoryExists(folder) ? TResult() : TResult::FromErrno(ENOTDIR);
}

TResult NamingFile(const TResult& failure, const std::string& path) {
    return TResult::Because(failure.Reason() + " (" + Utf8ToCp932Shown(path) + ")");
}

std::string ValueAfter(const std::string& text, const std::string& tag) {
    const size_t at = text.find(tag);
    if (at == std::string::npos || (at > 0 && text[at - 1] != '\n')) return {};
    const size_t start = at + tag.size();
    return text.substr(start, text.find('\n', start) - start);
}

} // namespace

TPublishLock::~TPublishLock() {
    if (fd_ >= 0) close(fd_); // lets go of the lock
}

TResult TPublishLock::Acquire(const std::string& feedAddress,
                              const std::function<bool()>& keepWaiting) {
    const std::string folder = UserStateFolder() + "/orvanix/publish";
    const std::string path = folder + "/" + NameFor(feedAddress);
    if (TResult made = MakeFolder(folder); !made) return NamingFile(made, folder);
    fd_ = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd_ < 0) return NamingFile(TResult::FromErrno(errno), path + ".lock");
    record_ = path + ".record";
    while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return NamingFile(TResult::FromErrno(errno), path + ".lock");
        if (!keepWaiting()) return TResult::FromErrno(ECANCELED);
        std::this_thread::sleep_for(WaitStep);
    }
    return {};
}

TRemoteLeftovers TPublishLock::Recorded() const {
    std::string text;
    if (!ReadWholeFile(record_, text)) return {};
    return {ValueAfter(text, TemporaryTag), ValueAfter(text, AsideTag)};
}

TResult TPublishLock::Record(const TRemoteLeftovers& leftovers) {
    if (leftovers == TRemoteLeftovers{}) {
        if (unlink(record_.c_str()) != 0 && errno != ENOENT) return TResult::FromErrno(errno);
        return {};
    }
    std::string text;
    if (!leftovers.Temporary.empty()) text += TemporaryTag + leftovers.Temporary + "\n";
    if (!leftovers.Aside.empty()) text += AsideTag + leftovers.Aside + "\n";
    return WriteFileAtomic(record_, text);
}
