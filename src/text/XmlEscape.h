#pragma once

// Escaping of code page 932 text for XML 1.0. The bytes 0x00 to 0x1F other than TAB, LF and CR,
// which XML cannot carry, are left out. No trail byte of code page 932 is below 0x40 and every
// byte that XML treats specially is, so the text is escaped byte by byte without cutting a
// character, in one pass and without a temporary copy.

#include <string>
#include <string_view>

// False for the bytes XML cannot carry, which the escaping leaves out.
bool XmlCarries(char byte);

// Appends the text escaped for element content: "&", "<" and ">"; quotes pass unchanged.
void AppendXmlContent(std::string& out, std::string_view text);

// Appends the text escaped for a double-quoted attribute value: as for content, '"' as "&quot;",
// and TAB, LF and CR as character references, so that a reader keeps them.
void AppendXmlAttribute(std::string& out, std::string_view text);
