#include "text/S_string.h"

#include <charconv>
#include <climits>

namespace {

// Byte offset (0-based) of the last character of a non-empty text.
size_t LastCharOffset(const std::string& text) {
    size_t last = 0;
    for (size_t at = 0; at < text.size(); at += CharLengthAt(text, at))
        last = at;
    return last;
}

// Byte offset (0-based) of character `index` (1-based), or npos when the text is shorter.
size_t CharOffset(const std::string& text, int index) {
    size_t at = 0;
    for (int n = 1; n < index; ++n) {
        if (at >= text.size()) return std::string::npos;
        at += CharLengthAt(text, at);
    }
    return at < text.size() ? at : std::string::npos;
}

// First occurrence of `sub` starting on a character boundary at or after byte offset `from`.
// The walk over the characters starts at `boundary`, a character boundary not after `from`.
size_t FindOnBoundary(const std::string& text, const std::string& sub, size_t from,
                      size_t boundary = 0) {
    if (sub.empty() || text.find(sub, from) == std::string::npos) return std::string::npos;
    for (size_t at = boundary; at < text.size(); at += CharLengthAt(text, at)) {
        if (at >= from && text.compare(at, sub.size(), sub) == 0) return at;
    }
    return std::string::npos;
}

int ToPosition(size_t offset) {
    return offset == std::string::npos ? 0 : static_cast<int>(offset) + 1;
}

} // namespace

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

size_t CharLengthAt(const std::string& text, size_t at) {
    if (!IsLeadByte(static_cast<unsigned char>(text[at]))) return 1;
    // No trail byte is below 0x40: a damaged text can never hide a following "<", "&" or '"'
    // from a search, and it agrees with how the code page converter reads it.
    const bool orphan = at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) < 0x40;
    return orphan ? 1 : 2;
}

bool LastCharIs(const std::string& text, char ch) {
    if (text.empty()) return false;
    const size_t last = LastCharOffset(text);
    return last == text.size() - 1 && text[last] == ch;
}

std::string AddPathDelim(const std::string& path) {
    if (path.empty() || path == "/" || LastCharIs(path, '/')) return path;
    return path + '/';
}

std::string DelPathDelim(const std::string& path) {
    if (path.size() > 1 && LastCharIs(path, '/')) return path.substr(0, path.size() - 1);
    return path;
}

std::string SpaceStr(int count) {
    return count > 0 ? std::string(static_cast<size_t>(count), ' ') : std::string();
}

std::string CopyB(const std::string& text, int from, int count) {
    if (count <= 0) return {};
    const size_t start = from < 1 ? 0 : static_cast<size_t>(from) - 1;
    if (start >= text.size()) return {};
    return text.substr(start, static_cast<size_t>(count));
}

std::string CopyFromB(const std::string& text, int from) {
    if (from <= 0 || text.empty()) return {};
    return CopyB(text, from, INT_MAX);
}

std::string CopyFromC(const std::string& text, int index) {
    if (index <= 0 || text.empty()) return {};
    const size_t at = CharOffset(text, index);
    return at == std::string::npos ? std::string() : text.substr(at);
}

std::string LeftB(const std::string& text, int count) {
    return count <= 0 ? std::string() : text.substr(0, static_cast<size_t>(count));
}

std::string RightB(const std::string& text, int count) {
    if (text.empty() || count <= 0) return {};
    const size_t n = static_cast<size_t>(count);
    return n >= text.size() ? text : text.substr(text.size() - n);
}

int PosIn(const std::string& text, const std::string& sub) {
    return sub.empty() ? 0 : ToPosition(text.find(sub));
}

std::string IntToStrSafe(long long value) {
    return std::to_string(value);
}

std::optional<int> StrToIntStrict(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    // from_chars would take a second sign; only digits may follow.
    if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

int StrToIntLoose(const std::string& text) {
    if (text.empty()) return 0;
    if (const auto value = StrToIntStrict(text)) return *value;
    // Fall back on the leading number: blanks, a sign and the decimal digits that follow.
    size_t end = text.find_first_not_of(' ');
    if (end == std::string::npos) return 0;
    if (text[end] == '-' || text[end] == '+') ++end;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    return StrToIntStrict(std::string_view(text).substr(0, end)).value_or(0);
}

std::string TrimRightAll(const std::string& text) {
    std::string result = text;
    while (!result.empty() && static_cast<unsigned char>(result.back()) <= 0x20)
        result.pop_back();
    while (!result.empty() && (result.back() == ' ' || result.back() == '\x40')) {
        const size_t last = LastCharOffset(result);
        const std::string_view lastChar = std::string_view(result).substr(last);
        if (lastChar == " " || lastChar == FullWidthSpace)
            result.erase(last);
        else
            break;
    }
    return result;
}

std::string TrimLeftAll(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= 0x20)
        ++start;
    for (;;) {
        const std::string_view rest = std::string_view(text).substr(start);
        if (rest.starts_with(' '))
            start += 1;
        else if (rest.starts_with(FullWidthSpace))
            start += FullWidthSpace.size();
        else
            break;
    }
    return text.substr(start);
}

std::string TrimAll(const std::string& text) {
    return TrimRightAll(TrimLeftAll(text));
}

int PosC(const std::string& text, const std::string& sub) {
    const size_t offset = FindOnBoundary(text, sub, 0);
    if (offset == std::string::npos) return 0;
    int index = 1;
    for (size_t at = 0; at < offset; at += CharLengthAt(text, at))
        ++index;
    return index;
}

int AnsiPosB(const std::string& text, const std::string& sub) {
    return ToPosition(FindOnBoundary(text, sub, 0));
}

int AnsiPosFromB(int from, const std::string& text, const std::string& sub) {
    const size_t start = from <= 1 ? 0 : static_cast<size_t>(from) - 1;
    return ToPosition(FindOnBoundary(text, sub, start));
}

int LengthC(const std::string& text) {
    int count = 0;
    for (size_t at = 0; at < text.size(); at += CharLengthAt(text, at))
        ++count;
    return count;
}

std::string CopyC(const std::string& text, int index, int count) {
    if (count < 1 || text.empty()) return {};
    const size_t start = CharOffset(text, index < 1 ? 1 : index);
    if (start == std::string::npos) return {};
    size_t end = start;
    for (int n = 0; n < count && end < text.size(); ++n)
        end += CharLengthAt(text, end);
    return text.substr(start, end - start);
}

int SplitFields(const std::string& text, const std::string& delimiter, bool trim, int capacity,
                std::vector<std::string>& fields) {
    fields.assign(static_cast<size_t>(capacity > 0 ? capacity : 0) + 1, std::string());
    if (capacity <= 0) return 0;
    int count = 0;
    auto store = [&](std::string field) {
        if (trim) field = TrimAll(field);
        if (trim && field.empty()) return;
        fields[static_cast<size_t>(++count)] = std::move(field);
    };
    size_t start = 0;
    while (count < capacity - 1) {
        const size_t cut = FindOnBoundary(text, delimiter, start, start);
        if (cut == std::string::npos) break;
        store(text.substr(start, cut - start));
        start = cut + delimiter.size();
    }
    store(text.substr(start));
    return count;
}

int SplitTabFields(const std::string& text, std::vector<std::string>& fields, int capacity) {
    return SplitFields(text, "\t", false, capacity, fields);
}

std::string ExtractFileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + extension;
    return path.substr(0, dot) + extension;
}

namespace {

// `text` with every single-byte character in `from` .. `to` moved by `shift`.
std::string ShiftAsciiLetters(const std::string& text, char from, char to, int shift) {
    std::string result = text;
    for (size_t at = 0; at < result.size(); at += CharLengthAt(result, at)) {
        if (result[at] >= from && result[at] <= to)
            result[at] = static_cast<char>(result[at] + shift);
    }
    return result;
}

} // namespace

std::string LowerCaseAnsi(const std::string& text) {
    return ShiftAsciiLetters(text, 'A', 'Z', 'a' - 'A');
}

std::string UpperCaseAnsi(const std::string& text) {
    return ShiftAsciiLetters(text, 'a', 'z', 'A' - 'a');
}
