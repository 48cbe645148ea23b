// XML escaping: any code page 932 text, escaped, parses as an element's text and as an
// attribute's value, and a reader gets the text back without the control bytes XML cannot carry.

#include "FuzzSupport.h"

#include "text/CodePage.h"
#include "text/XmlEscape.h"

#include <cstddef>
#include <cstdint>

namespace {

// A reader of element text turns CR LF and lone CR into LF.
std::string AsReadInContent(const std::string& text) {
    std::string result;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\r') {
            result += text[at];
        } else if (at + 1 >= text.size() || text[at + 1] != '\n') {
            result += '\n';
        }
    }
    return result;
}

std::string Text(xmlChar* owned) {
    std::string text = owned ? reinterpret_cast<const char*>(owned) : "";
    xmlFree(owned);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string document = "<a b=\"";
    AppendXmlAttribute(document, input);
    document += "\">";
    AppendXmlContent(document, input);
    document += "</a>";
    std::string text(input);
    std::erase_if(text, [](char ch) {
        return static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\n' && ch != '\r';
    });
    const xmlDocPtr xml = fuzz::ParseXml(Cp932ToUtf8(document));
    fuzz::Require(xml != nullptr, "escaped text is well-formed XML");
    const xmlNodePtr root = xmlDocGetRootElement(xml);
    const std::string utf8 = Cp932ToUtf8(text);
    fuzz::Require(Text(xmlGetProp(root, reinterpret_cast<const xmlChar*>("b"))) == utf8,
                  "an attribute reads back as written");
    fuzz::Require(Text(xmlNodeGetContent(root)) == AsReadInContent(utf8),
                  "element text reads back as written");
    xmlFreeDoc(xml);
    return 0;
}
