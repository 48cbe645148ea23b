// Loaded into OpenSSH's sftp-server (LD_PRELOAD) by the publishing tests: the server ends right
// after it has removed a file named $ORVANIX_CUT_AFTER_UNLINK, as if the connection broke between
// two steps of the client. OpenSSH renames a file onto a free name by linking the new name and
// unlinking the old one, so this cuts the connection once a rename of that file has been done and
// before the client hears of it.

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

extern "C" int unlink(const char* path) noexcept {
    static auto* real = reinterpret_cast<int (*)(const char*)>(dlsym(RTLD_NEXT, "unlink"));
    const int result = real(path);
    const char* cut = std::getenv("ORVANIX_CUT_AFTER_UNLINK");
    const char* slash = std::strrchr(path, '/');
    if (result == 0 && cut && std::strcmp(slash ? slash + 1 : path, cut) == 0) _exit(1);
    return result;
}
