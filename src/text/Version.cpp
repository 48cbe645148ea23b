#include "text/Version.h"

#include "text/S_string.h"

namespace {

// Takes the number before the next "." and removes it with its "."; without a "." it reads 0.
int TakeComponent(std::string& rest) {
    const int dot = PosIn(rest, ".");
    if (dot == 0) return 0;
    const int value = StrToIntLoose(LeftB(rest, dot - 1));
    rest = CopyFromB(rest, dot + 1);
    return value;
}

} // namespace

std::string VersionTextOf(const std::string& fileVersion) {
    if (fileVersion.empty()) return {};
    std::string rest = fileVersion;
    const int major = TakeComponent(rest);
    const int minor = TakeComponent(rest);
    const int release = TakeComponent(rest);
    std::string text = IntToStrSafe(major) + "." + RightB("00" + IntToStrSafe(minor), 2);
    if (release > 0) text += static_cast<char>(96 + release);
    return text;
}

std::string GetVersionText() {
    return VersionTextOf(ORVANIX_FILE_VERSION);
}
