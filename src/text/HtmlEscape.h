#pragma once

// Escaping of UTF-8 text for HTML, in element content and in quoted attribute values alike:
// "&", "<", ">", '"' and "'" become character references. The control characters an HTML page
// may not hold (C0 controls other than TAB, LF and CR; DEL; the C1 controls U+0080 to U+009F)
// are left out, so any text gives a valid page. One pass, linear in the text. Malformed UTF-8
// passes as it is: callers escape converter output, which is always well formed.

#include <string>
#include <string_view>

// Appends `utf8` escaped.
void AppendHtml(std::string& out, std::string_view utf8);

// `utf8` escaped.
std::string EscapeHtml(std::string_view utf8);

// `utf8` without the control characters an HTML page may not hold, nothing escaped.
std::string HtmlCarried(std::string_view utf8);
