#include "text/XmlEscape.h"

#include <optional>

namespace {

// What a byte below 0x40 becomes: nothing when it stays as it is, else its replacement (empty
// for a control byte that is left out).
std::optional<std::string_view> Replacement(unsigned char byte, bool attribute) {
    switch (byte) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return attribute ? std::optional<std::string_view>("&quot;") : std::nullopt;
    // A reader turns TAB, LF and CR in an attribute into blanks; references keep them.
    case '\t':
        return attribute ? std::optional<std::string_view>("&#9;") : std::nullopt;
    case '\n':
        return attribute ? std::optional<std::string_view>("&#10;") : std::nullopt;
    case '\r':
        return attribute ? std::optional<std::string_view>("&#13;") : std::nullopt;
    default:
        return XmlCarries(static_cast<char>(byte)) ? std::nullopt
                                                   : std::optional<std::string_view>("");
    }
}

// Copies runs of bytes that stay as they are in one piece; most bytes of a text do.
void Append(std::string& out, std::string_view text, bool attribute) {
    size_t runStart = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte >= 0x40) continue;
        const std::optional<std::string_view> replacement = Replacement(byte, attribute);
        if (!replacement) continue;
        out.append(text, runStart, at - runStart);
        out += *replacement;
        runStart = at + 1;
    }
    out.append(text, runStart);
}

} // namespace

bool XmlCarries(char byte) {
    return static_cast<unsigned char>(byte) >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r';
}

void AppendXmlContent(std::string& out, std::string_view text) {
    Append(out, text, false);
}

void AppendXmlAttribute(std::string& out, std::string_view text) {
    Append(out, text, true);
}
