#include "app/Startup.h"

#include "text/Version.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr const char* Usage =
    "Usage: orvanix [FILE]\n"
    "\n"
    "Orvane Lite: keeps a web site's news in a table file and writes its RSS 1.0 feed with\n"
    "every save.\n"
    "\n"
    "  FILE         a table file (.tbl) to open, or an HTML page whose news is taken into\n"
    "               the default table file; without one, the last table file when the\n"
    "               editor is set to reopen it\n"
    "  -h, --help   show this help\n"
    "  --version    show the version\n"
    "\n"
    "Qt's own options (such as -platform) work as well.\n";

// Help and the version are answered on standard output, before any window and without a
// display; the first of them on the command line wins.
std::optional<int> AnswerInformationRequest(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) break;
        std::string text;
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) text = Usage;
        if (std::strcmp(argv[i], "--version") == 0) text = "orvanix " + GetVersionText() + "\n";
        if (text.empty()) continue;
        const bool written = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
        return written ? 0 : 1;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> exitCode = AnswerInformationRequest(argc, argv)) return *exitCode;
    return RunProgram(argc, argv);
}
