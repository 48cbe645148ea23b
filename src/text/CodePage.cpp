#include "CodePage.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

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

    // Converts `text`; at a byte sequence that cannot be converted `onInvalid` decides: it
    // appends a replacement to `out` and returns true to skip one byte, or false to give up.
    template <typename OnInvalid>
    bool Convert(const std::string& text, std::string& out, OnInvalid onInvalid) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(text.data());
        size_t inLeft = text.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* dest = buffer;
            size_t destLeft = sizeof buffer;
            const size_t done = iconv(handle_, &in, &inLeft, &dest, &destLeft);
            out.append(buffer, static_cast<size_t>(dest - buffer));
            if (done != static_cast<size_t>(-1) || errno == E2BIG) continue;
            if (!onInvalid(out)) return false;
            ++in;
            --inLeft;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
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

} // namespace

std::string Cp932ToUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size() * 3 / 2);
    FromCp932().Convert(text, out, [](std::string& o) {
        o += ReplacementCharacter;
        return true;
    });
    return out;
}

std::optional<std::string> Utf8ToCp932(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    if (!ToCp932().Convert(text, out, [](std::string&) { return false; })) return std::nullopt;
    return out;
}

bool CanEncodeCp932(char32_t codePoint) {
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return false;
    std::string utf8;
    AppendUtf8(utf8, codePoint);
    return Utf8ToCp932(utf8).has_value();
}
