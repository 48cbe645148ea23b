#include "text/CodePage.h"

#include <algorithm>
#include <array>
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

    // Appends `text` converted to `out`. At a byte sequence that cannot be converted, `replace`
    // gets the rest of the text: it writes what stands for the sequence into `out` at `written`
    // (moving `written` on) and returns the bytes it stands for, or 0 to give up, which makes
    // Convert return false and leaves `out` unspecified. `growth` is the most output bytes one
    // input byte can give, a replacement included.
    template <typename Replace>
    bool Convert(const std::string& text, std::string& out, size_t growth, Replace replace) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        size_t inLeft = text.size();
        size_t written = out.size();
        // Room for the whole rest at its largest: a conversion stopped for want of room redoes
        // part of its work, which once doubled its cost. A replacement never needs more room than
        // the bytes it stands for were given, so the room is made once.
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
            const size_t skipped = replace(std::string_view(in, inLeft), out, written);
            if (skipped == 0) return false;
            in += skipped;
            inLeft -= skipped;
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

struct TUtf8Char {
    char32_t CodePoint;
    size_t Length;
};

// The character `text` starts with; a malformed byte is one character U+FFFD of one byte.
TUtf8Char FirstUtf8Char(std::string_view text) {
    constexpr TUtf8Char Malformed{0xFFFD, 1};
    const auto lead = static_cast<unsigned char>(text[0]);
    const size_t length = Utf8CharLength(lead);
    if (length == 0 || length > text.size()) return Malformed;
    if (length == 1) return {lead, 1};
    char32_t codePoint = lead & (0x7F >> length);
    for (size_t at = 1; at < length; ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if ((byte & 0xC0) != 0x80) return Malformed;
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    static constexpr std::array<char32_t, 5> Least = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < Least[length] || codePoint > 0x10FFFF ||
        (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return Malformed;
    return {codePoint, length};
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
    FromCp932().Convert(text, out, 3, [](std::string_view, std::string& to, size_t& written) {
        to.replace(written, ReplacementCharacter.size(), ReplacementCharacter);
        written += ReplacementCharacter.size();
        return size_t{1};
    });
    return out;
}

std::optional<std::string> Utf8ToCp932(const std::string& text) {
    // No character has a longer form in code page 932 than in UTF-8.
    std::string out;
    if (!ToCp932().Convert(text, out, 1,
                           [](std::string_view, std::string&, size_t&) { return size_t{0}; }))
        return std::nullopt;
    return out;
}

std::string Utf8ToCp932Replacing(const std::string& text, const std::string& standIn,
                                 std::vector<TUnheldCharacter>& unheld) {
    std::string out;
    // A stand-in takes its own bytes for the one or more it stands for.
    ToCp932().Convert(text, out, std::max<size_t>(standIn.size(), 1),
                      [&](std::string_view rest, std::string& to, size_t& written) {
                          const TUtf8Char ch = FirstUtf8Char(rest);
                          unheld.push_back({ch.CodePoint, written});
                          to.replace(written, standIn.size(), standIn);
                          written += standIn.size();
                          return ch.Length;
                      });
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
