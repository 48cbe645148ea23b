#pragma once

#include <string>

// Escapes "&", "<" and ">" for XML element content; quotes pass unchanged.
std::string EscapeXml(const std::string& text);

// Escapes text for a double-quoted XML attribute value: as EscapeXml, '"' as "&quot;", and TAB,
// LF and CR as character references, so that a reader keeps them.
std::string EscapeXmlAttribute(const std::string& text);

// Removes the bytes 0x00 to 0x1F other than TAB, LF and CR, which XML 1.0 cannot carry.
// Code page 932 trail bytes are never below 0x40, so no character is cut.
std::string RemoveXmlControlBytes(const std::string& text);
