#include "text/Platform.h"

#include "text/S_string.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

const std::string& ProgramFolder() {
    static const std::string folder = [] {
        std::error_code error;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
        return error ? std::string("./") : AddPathDelim(exe.parent_path().string());
    }();
    return folder;
}

std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return DelPathDelim(tmp && *tmp ? tmp : "/tmp");
}

std::string RuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (runtime && runtime[0] == '/' && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == geteuid())
        return DelPathDelim(runtime);
    return {};
}
