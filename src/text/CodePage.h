#pragma once

// Conversion between code page 932 bytes and UTF-8 through glibc's "CP932" table.

#include <optional>
#include <string>

// Converts code page 932 text to UTF-8. Bytes that are not valid code page 932 become U+FFFD,
// so a conversion always succeeds.
std::string Cp932ToUtf8(const std::string& text);

// Converts UTF-8 text to code page 932; nothing when a character has no code page 932 form or
// the UTF-8 is malformed.
std::optional<std::string> Utf8ToCp932(const std::string& text);

// True when the Unicode code point has a code page 932 form.
bool CanEncodeCp932(char32_t codePoint);
