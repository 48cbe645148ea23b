#include "text/Platform.h"

#include "text/S_string.h"

#include <cstdlib>
#include <filesystem>

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
