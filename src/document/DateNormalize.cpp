#include "DateNormalize.h"

#include "S_string.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int MaxParts = 10;

// "/" (0x2F) is never a trail byte, so every such byte is a slash of its own.
std::string ReplaceSlashes(std::string text) {
    std::replace(text.begin(), text.end(), '/', '-');
    return text;
}

// Parts before each "-"; after the last "-" only two characters are kept, so a time that
// follows the day is dropped. A text without "-" has no parts.
std::vector<std::string> SplitParts(const std::string& text) {
    std::vector<std::string> parts;
    std::string rest = text;
    for (int at = PosC(rest, "-"); at > 0 && parts.size() < MaxParts; at = PosC(rest, "-")) {
        parts.push_back(CopyC(rest, 1, at - 1));
        rest = CopyFromC(rest, at + 1);
    }
    if (!parts.empty()) parts.push_back(CopyC(rest, 1, 2));
    return parts;
}

int PartValue(const std::vector<std::string>& parts, size_t index) {
    return index < parts.size() ? StrToIntLoose(parts[index]) : 0;
}

std::string Padded(int value, int digits) {
    return RightB(std::string(static_cast<size_t>(digits), '0') + IntToStrSafe(value), digits);
}

} // namespace

std::string NormalizeDate(const std::string& text) {
    const std::string dashed = ReplaceSlashes(text);
    const std::vector<std::string> parts = SplitParts(dashed);
    int year = PartValue(parts, 0);
    const int month = PartValue(parts, 1);
    const int day = PartValue(parts, 2);
    if (parts.empty() || year == 0 || month == 0 || day == 0) return dashed;
    if (year < 100) {
        // A one-digit year is padded first, so 5 reads as 05 and becomes 2005.
        const std::string twoDigitYear = LengthC(parts[0]) == 1 ? "0" + parts[0] : parts[0];
        year = StrToIntLoose("20" + twoDigitYear);
    }
    return Padded(year, 4) + "-" + Padded(month, 2) + "-" + Padded(day, 2);
}
