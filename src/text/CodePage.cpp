#include "text/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";

// One iconv descriptor per direction and thread, opened on first use.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Appends `text` converted to `out`. At a byte sequence that cannot be converted, the
    // replacement is appended and one byte skipped; without a replacement the conversion gives up
    // and returns false, leaving `out` unspecified. `growth` is the most output bytes one input
    // byte can give, the replacement included.
    bool Convert(const std::string& text, std::string& out, size_t growth,
                 std::optional<std::string_view> replacement) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        size_t inLeft = text.size();
        size_t written = out.size();
        // Room for the whole rest at its largest: a conversion stopped for want of room redoes
        // part of its work, which once doubled its cost. Replacing a skipped byte never needs
        // more room than the byte was given, so the room is made once.
        out.resize(written + inLeft * growth);
        while (inLeft > 0) {
            char* dest = out.data() + written;
            size_t destLeft = out.size() - written;
            const size_t done = iconv(handle_, &in, &inLeft, &dest, &destLeft);
            written = static_cast<size_t>(dest - out.data());
            if (done != static_cast<size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() + inLeft * growth + 16);
                continue;
            }
            if (!replacement) return false;
            out.replace(written, replacement->size(), *replacement);
            written += replacement->size();
            ++in;
            --inLeft;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(written);
        return true;
    }

private:
    iconv_t handle_;
};

Converter& FromCp932() {
    thread_local Converter converter("UTF-8", "CP932");
    return converter;
}

Converter& ToCp932() {
    thread_local Converter converter("CP932", "UTF-8");
    return converter;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Byte length of the UTF-8 character that starts with `lead`; 0 for a byte no character starts
// with.
size_t Utf8CharLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Calls `onChar` with each character of `text` and its exact code page 932 form (nothing when
// it has none, or when it is a malformed byte) until `onChar` returns false.
template <typename OnChar> void ForEachCharExact(const std::string& text, OnChar onChar) {
    for (size_t at = 0; at < text.size();) {
        const size_t length = Utf8CharLength(static_cast<unsigned char>(text[at]));
        const std::string ch = text.substr(at, length == 0 ? 1 : length);
        const bool malformed =
            length == 0 || ch.size() < length ||
            std::any_of(ch.begin() + 1, ch.end(), [](char c) { return (c & 0xC0) != 0x80; });
        std::optional<std::string> converted = malformed ? std::nullopt : Utf8ToCp932(ch);
        if (converted && Cp932ToUtf8(*converted) != ch) converted.reset();
        if (!onChar(malformed ? ch.substr(0, 1) : ch, converted, malformed)) return;
        if (malformed) {
            ++at;
            continue;
        }
        at += ch.size();
    }
}

} // namespace

std::string Cp932ToUtf8(const std::string& text) {
    // A byte gives at most three: a half-width katakana or a replacement character.
    std::string out;
    FromCp932().Convert(text, out, 3, ReplacementCharacter);
    return out;
}

std::optional<std::string> Utf8ToCp932(const std::string& text) {
    // No character has a longer form in code page 932 than in UTF-8.
    std::string out;
    if (!ToCp932().Convert(text, out, 1, std::nullopt)) return std::nullopt;
    return out;
}

std::optional<std::string> Utf8ToCp932Exact(const std::string& text, std::string* refused) {
    std::optional<std::string> whole = Utf8ToCp932(text);
    if (whole && Cp932ToUtf8(*whole) == text) return whole;
    // Only a failure walks the text character by character, to name the culprit.
    if (refused) {
        refused->clear();
        ForEachCharExact(text,
                         [refused](const std::string& ch,
                                   const std::optional<std::string>& converted, bool malformed) {
                             if (converted) return true;
                             if (!malformed) *refused = ch;
                             return false;
                         });
    }
    return std::nullopt;
}

std::string Utf8ToCp932Shown(const std::string& text) {
    if (std::optional<std::string> exact = Utf8ToCp932Exact(text)) return *exact;
    std::string shown;
    ForEachCharExact(
        text, [&shown](const std::string&, const std::optional<std::string>& converted, bool) {
            shown += converted ? *converted : std::string("?");
            return true;
        });
    return shown;
}

bool CanEncodeCp932(char32_t codePoint) {
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return false;
    std::string utf8;
    AppendUtf8(utf8, codePoint);
    return Utf8ToCp932(utf8).has_value();
}
