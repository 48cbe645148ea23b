#pragma once

// Conversion between code page 932 bytes and UTF-8 through glibc's "CP932" table.

#include <optional>
#include <string>
#include <vector>

// Converts code page 932 text to UTF-8. Bytes that are not valid code page 932 become U+FFFD,
// so a conversion always succeeds.
std::string Cp932ToUtf8(const std::string& text);

// Converts UTF-8 text to code page 932; nothing when a character has no code page 932 form or
// the UTF-8 is malformed.
std::optional<std::string> Utf8ToCp932(const std::string& text);

// A character of UTF-8 text that code page 932 cannot hold (U+FFFD for a malformed byte), and the
// byte offset where its stand-in begins in the converted text.
struct TUnheldCharacter {
    char32_t CodePoint = 0;
    size_t At = 0;

    bool operator==(const TUnheldCharacter&) const = default;
};

// Converts UTF-8 text to code page 932 with `standIn` (code page 932 text) in place of each
// character the code page cannot hold and of each malformed byte; `unheld` gets those characters
// in order. Never fails.
std::string Utf8ToCp932Replacing(const std::string& text, const std::string& standIn,
                                 std::vector<TUnheldCharacter>& unheld);

// Converts UTF-8 text to code page 932 only when every character converts back to itself: some
// characters have a form that comes back as another one (〜 U+301C comes back as ～ U+FF5E), which
// must not silently change a name. Nothing otherwise, and `refused` (when given) holds the first
// character that fails, as UTF-8; it stays empty for malformed UTF-8.
std::optional<std::string> Utf8ToCp932Exact(const std::string& text,
                                            std::string* refused = nullptr);

// UTF-8 text as code page 932 for showing it in a message: each character without an exact code
// page 932 form (and each malformed byte) is shown as "?". Never fails.
std::string Utf8ToCp932Shown(const std::string& text);

// True when the Unicode code point has a code page 932 form.
bool CanEncodeCp932(char32_t codePoint);
