#include "document/DateNormalize.h"

#include "text/CodePage.h"
#include "text/S_string.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <tuple>
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

// Two-byte code page 932 forms of a typed date's characters, each with the ASCII it reads as:
// full-width separators and the separators an input method gives for "/", "-" and "." in kana mode,
// the markers 年, 月, 日 as 'Y', 'M', 'D', the eras as their letters and 元 (an era's first year)
// as 'G'.
const std::vector<std::pair<std::string, char>>& DateCharacters() {
    static const std::vector<std::pair<std::string, char>> characters = [] {
        const std::pair<const char*, char> utf8[] = {
            {"／", '/'}, {"・", '/'}, {"－", '-'}, {"ー", '-'}, {"‐", '-'},  {"．", '.'},
            {"。", '.'}, {"年", 'Y'}, {"月", 'M'}, {"日", 'D'}, {"元", 'G'},
        };
        std::vector<std::pair<std::string, char>> table;
        for (const auto& [text, ascii] : utf8)
            table.emplace_back(Utf8ToCp932(text).value(), ascii);
        return table;
    }();
    return characters;
}

// The eras a date may be typed in, by name and letter, with their first and last days. 昭和 is
// the earliest: an older date has no place in a news feed.
struct TEra {
    const char* name;
    char letter;
    TCalendarDay first;
    TCalendarDay last;
};
constexpr std::array<TEra, 3> Eras = {{
    {"令和", 'R', {2019, 5, 1}, {9999, 12, 31}},
    {"平成", 'H', {1989, 1, 8}, {2019, 4, 30}},
    {"昭和", 'S', {1926, 12, 25}, {1989, 1, 7}},
}};

const TEra* EraOf(char letter) {
    for (const TEra& era : Eras)
        if (era.letter == letter) return &era;
    return nullptr;
}

// An era's letter, typed in either case: 'R', 'H' or 'S'; 0 for any other letter.
char EraLetter(char letter) {
    const char upper =
        letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
    return EraOf(upper) ? upper : 0;
}

// The typed text in the ASCII that a date reads: digits, "/", "-", ".", the markers and era
// letters above; full-width digits and era letters count as ASCII. Nothing for any other
// character.
std::optional<std::string> DateAscii(const std::string& text) {
    static const std::vector<std::pair<std::string, char>> eraNames = [] {
        std::vector<std::pair<std::string, char>> names;
        for (const TEra& era : Eras)
            names.emplace_back(Utf8ToCp932(era.name).value(), era.letter);
        return names;
    }();
    std::string ascii;
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            const char ch = text[at++];
            if (IsDigit(ch) || ch == '/' || ch == '-' || ch == '.')
                ascii += ch;
            else if (const char era = EraLetter(ch))
                ascii += era;
            else
                return std::nullopt;
            continue;
        }
        if (at + 1 >= text.size()) return std::nullopt;
        const auto trail = static_cast<unsigned char>(text[at + 1]);
        if (byte == 0x82 && trail >= 0x4F && trail <= 0x58) { // ０ to ９
            ascii += static_cast<char>('0' + (trail - 0x4F));
        } else if (byte == 0x82 && trail >= 0x60 && trail <= 0x79 &&
                   EraLetter(static_cast<char>('A' + (trail - 0x60)))) { // Ａ to Ｚ
            ascii += static_cast<char>('A' + (trail - 0x60));
        } else if (byte == 0x82 && trail >= 0x81 && trail <= 0x9A &&
                   EraLetter(static_cast<char>('A' + (trail - 0x81)))) { // ａ to ｚ
            ascii += static_cast<char>('A' + (trail - 0x81));
        } else {
            const auto known = [&](const std::pair<std::string, char>& entry) {
                return text.compare(at, entry.first.size(), entry.first) == 0;
            };
            const auto& characters = DateCharacters();
            const auto character = std::find_if(characters.begin(), characters.end(), known);
            const auto era = std::find_if(eraNames.begin(), eraNames.end(), known);
            if (character != characters.end()) {
                ascii += character->second;
            } else if (era != eraNames.end()) {
                ascii += era->second;
                at += era->first.size() - 2;
            } else {
                return std::nullopt;
            }
        }
        at += 2;
    }
    return ascii;
}

// A typed date cut into its era, its runs of digits and the separators after them.
struct TTypedParts {
    const TEra* era = nullptr;
    std::vector<std::string> numbers;
    std::string separators;
};

std::optional<TTypedParts> SplitTypedDate(const std::string& ascii) {
    constexpr size_t MaxDigits = 4;
    TTypedParts parts;
    size_t at = 0;
    if (!ascii.empty() && (parts.era = EraOf(ascii[0]))) {
        ++at;
        if (at < ascii.size() && ascii[at] == 'G') { // 元年
            parts.numbers.emplace_back("1");
            ++at;
        }
    }
    for (; at < ascii.size(); ++at) {
        const char ch = ascii[at];
        if (IsDigit(ch)) {
            if (parts.numbers.size() == parts.separators.size()) parts.numbers.emplace_back();
            if (parts.numbers.back().size() == MaxDigits) return std::nullopt;
            parts.numbers.back() += ch;
        } else if (std::string_view("/-.YMD").find(ch) != std::string_view::npos) {
            if (parts.numbers.size() != parts.separators.size() + 1) return std::nullopt;
            parts.separators += ch;
        } else {
            return std::nullopt;
        }
    }
    return parts;
}

// The forms a typed date may take, by the separators between and after its numbers.
struct TTypedForm {
    std::string_view separators;
    bool withYear;
};
constexpr std::array<TTypedForm, 7> TypedForms = {{
    {"//", true},
    {"--", true},
    {"..", true},
    {"YMD", true},
    {"/", false},
    {".", false},
    {"MD", false},
}};

bool Before(const TCalendarDay& a, const TCalendarDay& b) {
    return std::tie(a.Year, a.Month, a.Day) < std::tie(b.Year, b.Month, b.Day);
}

// The year a typed date names: four digits of its own, one or two of an era (from 1), or this
// year when the form has none. Nothing when the digits do not fit.
std::optional<int> YearOf(const TTypedParts& parts, bool withYear, int thisYear) {
    if (!withYear) {
        if (parts.era) return std::nullopt;
        return thisYear;
    }
    const std::string& year = parts.numbers[0];
    if (!parts.era) {
        if (year.size() != 4) return std::nullopt;
        return std::stoi(year);
    }
    const int eraYear = year.size() <= 2 ? std::stoi(year) : 0;
    if (eraYear < 1) return std::nullopt;
    return parts.era->first.Year - 1 + eraYear;
}

std::optional<TCalendarDay> DayOfParts(const TTypedParts& parts, int thisYear) {
    for (const TTypedForm& form : TypedForms) {
        const size_t count = form.withYear ? 3 : 2;
        if (parts.separators != form.separators || parts.numbers.size() != count) continue;
        const std::string* monthDay = &parts.numbers[count - 2];
        const std::optional<int> year = YearOf(parts, form.withYear, thisYear);
        if (!year || monthDay[0].size() > 2 || monthDay[1].size() > 2) return std::nullopt;
        const TCalendarDay day{*year, std::stoi(monthDay[0]), std::stoi(monthDay[1])};
        if (day.Month < 1 || day.Month > 12 || day.Day < 1 ||
            day.Day > DaysInMonth(day.Year, day.Month))
            return std::nullopt;
        if (parts.era && (Before(day, parts.era->first) || Before(parts.era->last, day)))
            return std::nullopt;
        return day;
    }
    return std::nullopt;
}

// 0 for Sunday .. 6 for Saturday (Sakamoto's method).
int Weekday(const TCalendarDay& day) {
    static constexpr std::array<int, 12> Offsets = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int year = day.Month < 3 ? day.Year - 1 : day.Year;
    return (year + year / 4 - year / 100 + year / 400 + Offsets[size_t(day.Month - 1)] + day.Day) %
           7;
}

// A weekday that follows a date in brackets, as spreadsheets copy Japanese dates: "(日)",
// "（日曜）", "(日曜日)". Cut from `text`, with its number (0 for Sunday); -1 when there is none.
int CutWeekday(std::string& text) {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> cp932;
        for (const char* name : {"日", "月", "火", "水", "木", "金", "土"})
            cp932.push_back(Utf8ToCp932(name).value());
        return cp932;
    }();
    static const std::string open = Utf8ToCp932("（").value();
    static const std::string close = Utf8ToCp932("）").value();
    static const std::string suffixes[] = {Utf8ToCp932("曜日").value(), Utf8ToCp932("曜").value(),
                                           ""};
    // The last opening bracket, found walking forward so that no trail byte is taken for one.
    size_t opening = std::string::npos;
    for (size_t at = 0; at < text.size(); at += CharLengthAt(text, at))
        if (text[at] == '(' || text.compare(at, open.size(), open) == 0) opening = at;
    if (opening == std::string::npos) return -1;
    const bool fullWidth = text[opening] != '(';
    const std::string inside = text.substr(opening + (fullWidth ? open.size() : 1));
    for (size_t weekday = 0; weekday < names.size(); ++weekday) {
        for (const std::string& suffix : suffixes) {
            if (inside == names[weekday] + suffix + (fullWidth ? close : ")")) {
                text.resize(opening);
                return static_cast<int>(weekday);
            }
        }
    }
    return -1;
}

TCalendarDay DayAfter(TCalendarDay day, int step) {
    day.Day += step;
    if (day.Day > DaysInMonth(day.Year, day.Month)) {
        day.Day = 1;
        if (++day.Month > 12) {
            day.Month = 1;
            ++day.Year;
        }
    } else if (day.Day < 1) {
        if (--day.Month < 1) {
            day.Month = 12;
            --day.Year;
        }
        day.Day = DaysInMonth(day.Year, day.Month);
    }
    return day;
}

// 今日, 本日, 明日 and 昨日: the day they name from `today`.
std::optional<TCalendarDay> RelativeDay(const std::string& text, const TCalendarDay& today) {
    static const std::pair<std::string, int> words[] = {
        {Utf8ToCp932("今日").value(), 0},
        {Utf8ToCp932("本日").value(), 0},
        {Utf8ToCp932("明日").value(), 1},
        {Utf8ToCp932("昨日").value(), -1},
    };
    for (const auto& [word, step] : words)
        if (text == word) return DayAfter(today, step);
    return std::nullopt;
}

std::string DateText(const TCalendarDay& day) {
    return Padded(day.Year, 4) + "-" + Padded(day.Month, 2) + "-" + Padded(day.Day, 2);
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
    return DateText({year, month, day});
}

std::optional<std::string> NormalizeTypedDate(const std::string& text, const TCalendarDay& today) {
    if (text.empty() || IsW3cDate(text)) return text;
    if (const std::optional<TCalendarDay> day = RelativeDay(text, today)) return DateText(*day);
    std::string date = text;
    const int weekday = CutWeekday(date);
    const std::optional<std::string> ascii = DateAscii(date);
    const std::optional<TTypedParts> parts = ascii ? SplitTypedDate(*ascii) : std::nullopt;
    const std::optional<TCalendarDay> day = parts ? DayOfParts(*parts, today.Year) : std::nullopt;
    if (!day || (weekday >= 0 && weekday != Weekday(*day))) return std::nullopt;
    return DateText(*day);
}

std::string NormalizePastedDate(const std::string& text, const TCalendarDay& today) {
    std::string date = NormalizeDate(text);
    if (IsW3cDate(date)) return date;
    return NormalizeTypedDate(text, today).value_or(std::move(date));
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
