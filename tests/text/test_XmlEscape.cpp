#include "text/XmlEscape.h"

#include <gtest/gtest.h>

namespace {

// Katakana "ソ" in code page 932: its trail byte 0x5C is the code of "\".
const std::string So = "\x83\x5C";

TEST(XmlEscape, ContentAndAttributes) {
    struct Case {
        std::string in, content, attribute;
    } const cases[] = {
        {"a<b>&c", "a&lt;b&gt;&amp;c", "a&lt;b&gt;&amp;c"},
        {"&amp;", "&amp;amp;", "&amp;amp;"},
        {"say \"hi\" 'x'", "say \"hi\" 'x'", "say &quot;hi&quot; 'x'"},
        {"", "", ""},
        {So + "<", So + "&lt;", So + "&lt;"},
        {"\x81<", "\x81&lt;", "\x81&lt;"},
        {"a\tb\nc\rd", "a\tb\nc\rd", "a&#9;b&#10;c&#13;d"},
        {"\x81\t", "\x81\t", "\x81&#9;"},
        {"a\x01\x1F\x1A" + So + "\x7F", "a" + So + "\x7F", "a" + So + "\x7F"},
        {std::string("\0<\0", 3), "&lt;", "&lt;"},
    };
    for (const auto& c : cases) {
        std::string content = "(", attribute = "(";
        AppendXmlContent(content, c.in);
        AppendXmlAttribute(attribute, c.in);
        EXPECT_EQ(content, "(" + c.content) << c.in;
        EXPECT_EQ(attribute, "(" + c.attribute) << c.in;
    }
}

} // namespace
