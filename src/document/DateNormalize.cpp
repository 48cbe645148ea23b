#include "document/DateNormalize.h"

#include "text/CodePage.h"
#include "text/S_string.h"

#include <algorithm>
#include <array>
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

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Reads `count` digits at `at` as a number within [low, high] and moves past them.
bool ReadNumber(const std::string& text, size_t& at, size_t count, int low, int high, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (size_t end = at + count; at < end; ++at) {
        if (!IsDigit(text[at])) return false;
        value = value * 10 + (text[at] - '0');
    }
    return value >= low && value <= high;
}

bool ReadChar(const std::string& text, size_t& at, char ch) {
    if (at >= text.size() || text[at] != ch) return false;
    ++at;
    return true;
}

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> Days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : Days[static_cast<size_t>(month - 1)];
}

// hh:mm, hh:mm:ss or hh:mm:ss.s…, then "Z" or ±hh:mm, to the end of the text.
bool IsW3cTime(const std::string& text, size_t at) {
    int value = 0;
    if (!ReadNumber(text, at, 2, 0, 23, value) || !ReadChar(text, at, ':') ||
        !ReadNumber(text, at, 2, 0, 59, value))
        return false;
    if (ReadChar(text, at, ':')) {
        if (!ReadNumber(text, at, 2, 0, 59, value)) return false;
        if (ReadChar(text, at, '.')) {
            const size_t digits = at;
            while (at < text.size() && IsDigit(text[at]))
                ++at;
            if (at == digits) return false;
        }
    }
    if (ReadChar(text, at, 'Z')) return at == text.size();
    if (!ReadChar(text, at, '+') && !ReadChar(text, at, '-')) return false;
    return ReadNumber(text, at, 2, 0, 23, value) && ReadChar(text, at, ':') &&
           ReadNumber(text, at, 2, 0, 59, value) && at == text.size();
}

// A typed character as a date reads it: ASCII digits and separators as they are, their full-width
// forms as ASCII, and 年, 月, 日 as the markers 'Y', 'M', 'D'. False for any other character.
bool TypedDateChar(const std::string& text, size_t& at, char& ch) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> FullWidth = {{
        {"\x81\x5E", '/'}, // ／
        {"\x81\x7C", '-'}, // －
        {"\x94\x4E", 'Y'}, // 年
        {"\x8C\x8E", 'M'}, // 月
        {"\x93\xFA", 'D'}, // 日
    }};
    ch = text[at];
    if (IsDigit(ch) || ch == '/' || ch == '-') {
        ++at;
        return true;
    }
    if (at + 1 >= text.size()) return false;
    const auto trail = static_cast<unsigned char>(text[at + 1]);
    if (ch == '\x82' && trail >= 0x4F && trail <= 0x58) { // ０ to ９
        ch = static_cast<char>('0' + (trail - 0x4F));
        at += 2;
        return true;
    }
    for (const auto& [bytes, ascii] : FullWidth) {
        if (text.compare(at, 2, bytes) == 0) {
            ch = ascii;
            at += 2;
            return true;
        }
    }
    return false;
}

// A typed date cut into its runs of digits and the separators after them.
struct TTypedParts {
    std::vector<std::string> numbers;
    std::string separators;
};

std::optional<TTypedParts> SplitTypedDate(const std::string& text) {
    constexpr size_t MaxDigits = 4;
    TTypedParts parts;
    for (size_t at = 0; at < text.size();) {
        char ch = 0;
        if (!TypedDateChar(text, at, ch)) return std::nullopt;
        if (IsDigit(ch)) {
            if (parts.numbers.size() == parts.separators.size()) parts.numbers.emplace_back();
            if (parts.numbers.back().size() == MaxDigits) return std::nullopt;
            parts.numbers.back() += ch;
        } else {
            if (parts.numbers.size() != parts.separators.size() + 1) return std::nullopt;
            parts.separators += ch;
        }
    }
    return parts;
}

// The forms a typed date may take, by the separators between and after its numbers.
struct TTypedForm {
    std::string_view separators;
    bool withYear;
};
constexpr std::array<TTypedForm, 5> TypedForms = {{
    {"//", true},
    {"--", true},
    {"YMD", true},
    {"/", false},
    {"MD", false},
}};

std::optional<std::string> DateOfParts(const TTypedParts& parts, int thisYear) {
    for (const TTypedForm& form : TypedForms) {
        const size_t count = form.withYear ? 3 : 2;
        if (parts.separators != form.separators || parts.numbers.size() != count) continue;
        const std::string* monthDay = &parts.numbers[count - 2];
        if (form.withYear && parts.numbers[0].size() != 4) return std::nullopt;
        if (monthDay[0].size() > 2 || monthDay[1].size() > 2) return std::nullopt;
        const int year = form.withYear ? std::stoi(parts.numbers[0]) : thisYear;
        const int month = std::stoi(monthDay[0]);
        const int day = std::stoi(monthDay[1]);
        if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
            return std::nullopt;
        return Padded(year, 4) + "-" + Padded(month, 2) + "-" + Padded(day, 2);
    }
    return std::nullopt;
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

std::optional<std::string> NormalizeTypedDate(const std::string& text, int thisYear) {
    if (text.empty() || IsW3cDate(text)) return text;
    const std::optional<TTypedParts> parts = SplitTypedDate(text);
    if (!parts) return std::nullopt;
    return DateOfParts(*parts, thisYear);
}

std::string MsgNotFeedDate(const std::string& text, const std::string& example) {
    return Utf8ToCp932("日付「").value() + text +
           Utf8ToCp932("」はフィードの日付の形式ではありません。例: ").value() + example;
}

bool IsW3cDate(const std::string& text) {
    size_t at = 0;
    int year = 0;
    int month = 0;
    int day = 0;
    if (!ReadNumber(text, at, 4, 0, 9999, year)) return false;
    if (at == text.size()) return true;
    if (!ReadChar(text, at, '-') || !ReadNumber(text, at, 2, 1, 12, month)) return false;
    if (at == text.size()) return true;
    if (!ReadChar(text, at, '-') || !ReadNumber(text, at, 2, 1, DaysInMonth(year, month), day))
        return false;
    if (at == text.size()) return true;
    return ReadChar(text, at, 'T') && IsW3cTime(text, at);
}
