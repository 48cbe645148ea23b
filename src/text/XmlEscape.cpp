#include "XmlEscape.h"

#include "S_string.h"

namespace {

// One walk over the characters, so a byte of a double-byte character is never taken for markup
// and what was put in is never escaped again.
std::string Escape(const std::string& text, bool quotes) {
    std::string result;
    result.reserve(text.size() + text.size() / 8);
    for (size_t at = 0; at < text.size();) {
        const size_t length = CharLengthAt(text, at);
        switch (length == 1 ? text[at] : '\0') {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '"':
            result += quotes ? "&quot;" : "\"";
            break;
        // A reader turns TAB, LF and CR in an attribute into blanks; references keep them.
        case '\t':
            result += quotes ? "&#9;" : "\t";
            break;
        case '\n':
            result += quotes ? "&#10;" : "\n";
            break;
        case '\r':
            result += quotes ? "&#13;" : "\r";
            break;
        default:
            result.append(text, at, length);
        }
        at += length;
    }
    return result;
}

} // namespace

std::string EscapeXml(const std::string& text) {
    return Escape(text, false);
}

std::string EscapeXmlAttribute(const std::string& text) {
    return Escape(text, true);
}
std::string RemoveXmlControlBytes(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x20 || ch == '\t' || ch == '\n' || ch == '\r') result += ch;
    }
    return result;
}
