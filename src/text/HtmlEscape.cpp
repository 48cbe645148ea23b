#include "text/HtmlEscape.h"

#include <utility>

namespace {

bool IsC0Dropped(unsigned char byte) {
    return (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7F;
}

// The length of the character at `at` that a page may not hold: 1 for a C0 control or DEL, 2 for
// a C1 control (0xC2 0x80 to 0xC2 0x9F in UTF-8); 0 for any other.
size_t DroppedLength(std::string_view utf8, size_t at) {
    const auto byte = static_cast<unsigned char>(utf8[at]);
    if (IsC0Dropped(byte)) return 1;
    if (byte == 0xC2 && at + 1 < utf8.size()) {
        const auto next = static_cast<unsigned char>(utf8[at + 1]);
        if (next >= 0x80 && next <= 0x9F) return 2;
    }
    return 0;
}

constexpr std::pair<char, std::string_view> References[] = {
    {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&#39;"}};

// The reference that stands for `ch`; empty for a character that stays as it is.
std::string_view Reference(char ch) {
    for (const auto& [character, reference] : References)
        if (ch == character) return reference;
    return {};
}

void Append(std::string& out, std::string_view utf8, bool escape) {
    for (size_t at = 0; at < utf8.size();) {
        if (const size_t dropped = DroppedLength(utf8, at)) {
            at += dropped;
            continue;
        }
        const std::string_view reference = escape ? Reference(utf8[at]) : std::string_view();
        if (reference.empty())
            out += utf8[at];
        else
            out += reference;
        ++at;
    }
}

} // namespace

void AppendHtml(std::string& out, std::string_view utf8) {
    Append(out, utf8, true);
}

std::string EscapeHtml(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    AppendHtml(out, utf8);
    return out;
}

std::string HtmlCarried(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    Append(out, utf8, false);
    return out;
}
