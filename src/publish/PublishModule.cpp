#include "publish/PublishModule.h"

#include "text/CodePage.h"
#include "text/Platform.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The module at `path` cannot be used, for the reason `why` (UTF-8).
TResult Refused(const std::string& path, const std::string& why) {
    return TResult::Because(Utf8ToCp932Shown("公開に使うモジュール " + path +
                                             " を読み込めません (" + why +
                                             ")。サーバーには接続していません。"));
}

// Why the dynamic loader failed, without the file's path, which the message names already.
std::string LoaderReason(const std::string& path) {
    const char* error = dlerror();
    std::string reason = error ? error : "";
    if (reason.starts_with(path + ": ")) reason.erase(0, path.size() + 2);
    return reason;
}

// The system's reason for `errorNumber` in the user's words, without the closing "。".
std::string SystemReason(int errorNumber) {
    std::string reason = Cp932ToUtf8(TResult::FromErrno(errorNumber).Reason());
    if (reason.ends_with("。")) reason.resize(reason.size() - std::strlen("。"));
    return reason;
}

// True when every segment the ELF headers of the file `fd` of `size` bytes name lies within it.
bool SegmentsWithin(int fd, off_t size) {
    ElfW(Ehdr) header{};
    if (pread(fd, &header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) return false;
    // Not an ELF file of this kind at all: the loader says so itself.
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_phentsize != sizeof(ElfW(Phdr)))
        return true;
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    const auto bytes = static_cast<ssize_t>(segments.size() * sizeof(ElfW(Phdr)));
    if (pread(fd, segments.data(), bytes, static_cast<off_t>(header.e_phoff)) != bytes)
        return false;
    const auto end = static_cast<uint64_t>(size);
    for (const ElfW(Phdr) & segment : segments)
        if (segment.p_type == PT_LOAD &&
            (segment.p_offset > end || segment.p_filesz > end - segment.p_offset))
            return false;
    return true;
}

// Why the file at `path` cannot be loaded, as far as can be told before loading it; empty when
// nothing is wrong. Opening a FIFO there must not wait, and the loader maps a module's segments as
// its headers say and would fault on a file cut short (SIGBUS) rather than fail.
std::string FileFault(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return SystemReason(errno);
    struct stat info {};
    std::string fault;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        fault = "ファイルではありません";
    else if (!SegmentsWithin(fd, info.st_size))
        fault = "ファイルが途中で切れています";
    close(fd);
    return fault;
}

bool BuiltWithThisProgram(const TPublishModule& module) {
    return module.Size == sizeof(TPublishModule) && module.Interface == PublishModuleInterface &&
           std::strcmp(module.Version, ORVANIX_FILE_VERSION) == 0;
}

// Opens the module beside the program; a handle of a refused module is kept open, as unloading
// the libraries it brought in may leave callbacks of theirs behind.
TResult Open(const TPublishModule*& module) {
    const std::string& folder = ProgramFolder();
    const std::string path = folder + ORVANIX_PUBLISH_MODULE;
    if (!folder.starts_with('/'))
        return Refused(ORVANIX_PUBLISH_MODULE, "プログラムのフォルダがわかりません");
    if (const std::string fault = FileFault(path); !fault.empty()) return Refused(path, fault);
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) return Refused(path, LoaderReason(path));
    const auto* found = static_cast<const TPublishModule*>(dlsym(handle, "orvanix_publish_module"));
    if (!found) return Refused(path, LoaderReason(path));
    if (!BuiltWithThisProgram(*found))
        return Refused(path, "このプログラムと一緒に作られたものではありません");
    module = found;
    return {};
}

} // namespace

TResult OpenPublishModule(const TPublishModule*& module) {
    static std::mutex mutex;
    static const TPublishModule* opened = nullptr;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!opened)
        if (TResult result = Open(opened); !result) return result;
    module = opened;
    return {};
}
