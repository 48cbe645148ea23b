// Random documents, including quotes, markup characters, control bytes, damaged code page 932
// and long texts, always give a well-formed feed whose parsed texts are the texts put in and whose
// items all have identifiers of their own. The channel's own address holds nothing beyond ASCII
// after its host, and decodes to the web folder and the feed file's name put in.

#include "document/FeedWriter.h"
#include "text/CodePage.h"
#include "text/PercentEncode.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <random>
#include <set>

namespace {

constexpr const char* RdfNamespace = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";

class RandomText {
public:
    explicit RandomText(unsigned seed) : rng_(seed) {}

    std::string Next() {
        static const std::vector<std::string> pieces = {
            "a",        "Z",        " ",        "\"",   "'",       "<",        ">",
            "&",        "&amp;",    "]]>",      "\t",   "\x01",    "\x1F",     "\x7F",
            "\x83\x5C", "\x81\x40", "\x82\xA0", "\x81", "\xFF",    "\xA0",     "\x85\x40",
            "-",        "/",        "#",        "\xB1", "http://", "?q=1&r=2",
        };
        std::string text;
        const int length = Pick(6) == 0 ? 0 : Pick(Pick(10) == 0 ? 600 : 12);
        for (int n = 0; n < length; ++n)
            text += pieces[static_cast<size_t>(Pick(static_cast<int>(pieces.size())))];
        return text;
    }
    int Pick(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(rng_); }

private:
    std::mt19937 rng_;
};

TFeedDocument RandomDocument(RandomText& random) {
    TFeedDocument document;
    TChannelInfo& c = document.Channel;
    for (std::string* field :
         {&c.Title, &c.HomeAddress, &c.Description, &c.FeedAddress, &c.LogoTitle,
          &c.LogoImageAddress, &c.LogoLinkAddress, &c.StyleSheet})
        *field = random.Next();
    for (TFeedItem& item : document.Items) {
        if (random.Pick(3) == 0) continue;
        item = {random.Next(), random.Next(), random.Next(), random.Next()};
    }
    return document;
}

// What a reader should see of a text: the UTF-8 of the text without the bytes XML cannot carry.
std::string Expected(std::string text) {
    std::erase_if(text, [](char ch) {
        return static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\n' && ch != '\r';
    });
    return Cp932ToUtf8(text);
}

std::string ElementText(xmlNode* node, const char* name) {
    for (xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE && xmlStrEqual(child->name, BAD_CAST name)) {
            xmlChar* content = xmlNodeGetContent(child);
            std::string text = content ? reinterpret_cast<const char*>(content) : "";
            xmlFree(content);
            return text;
        }
    }
    return "<missing>";
}

// XML parsers turn CR LF and lone CR into LF inside content.
std::string NormalizeLineEnds(std::string text) {
    for (size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at)) {
        if (at + 1 < text.size() && text[at + 1] == '\n')
            text.erase(at, 1);
        else
            text[at] = '\n';
    }
    return text;
}

// The channel's rdf:about as a reader sees it: ASCII after the host ("/", "?" or "#" after the
// first "://"), and the address written once it is decoded.
void ExpectChannelAddress(xmlDoc* xml, const TFeedDocument& document, const std::string& feedPath) {
    xmlNode* channel = xmlDocGetRootElement(xml)->children;
    while (channel && channel->type != XML_ELEMENT_NODE)
        channel = channel->next;
    ASSERT_NE(channel, nullptr);
    xmlChar* about = xmlGetNsProp(channel, BAD_CAST "about", BAD_CAST RdfNamespace);
    ASSERT_EQ(about != nullptr, !document.Channel.FeedAddress.empty());
    if (!about) return;
    const std::string address = reinterpret_cast<const char*>(about);
    xmlFree(about);
    const size_t scheme = address.find("://");
    const size_t host = scheme == std::string::npos ? 0 : address.find_first_of("/?#", scheme + 3);
    const std::string afterHost = host == std::string::npos ? "" : address.substr(host);
    EXPECT_TRUE(std::all_of(afterHost.begin(), afterHost.end(), [](char ch) {
        return static_cast<unsigned char>(ch) < 0x80;
    })) << address;
    EXPECT_EQ(PercentDecode(address), NormalizeLineEnds(Expected(WebAddressIn(
                                          document.Channel.FeedAddress, FeedNameText(feedPath)))));
}

TEST(FeedProperty, RandomDocumentsGiveWellFormedFeeds) {
    RandomText random(20050401);
    const std::string feedPaths[] = {"/site/feed.rdf", "/site/お知らせ2026.rdf", "/site/ソ表.xml"};
    for (int round = 0; round < 3000; ++round) {
        const TFeedDocument document = RandomDocument(random);
        const std::string& feedPath = feedPaths[round % 3];
        std::vector<std::string> lines;
        BuildFeed(lines, document, {feedPath, {}, {}, "1.00"});
        const std::string feed = Cp932ToUtf8(JoinLines(lines));

        xmlDoc* xml = xmlReadMemory(feed.data(), static_cast<int>(feed.size()), "feed.rdf", nullptr,
                                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
        ASSERT_NE(xml, nullptr) << "round " << round << "\n" << feed;
        ExpectChannelAddress(xml, document, feedPath);

        std::vector<const TFeedItem*> expected;
        for (int row = MaxItemRows; row >= 1 && expected.size() < MaxFeedItems; --row)
            if (!document.Row(row).Title.empty()) expected.push_back(&document.Row(row));
        size_t index = 0;
        std::set<std::string> about;
        for (xmlNode* node = xmlDocGetRootElement(xml)->children; node; node = node->next) {
            if (node->type != XML_ELEMENT_NODE || !xmlStrEqual(node->name, BAD_CAST "item"))
                continue;
            ASSERT_LT(index, expected.size());
            xmlChar* identifier = xmlGetNsProp(node, BAD_CAST "about", BAD_CAST RdfNamespace);
            ASSERT_NE(identifier, nullptr);
            EXPECT_TRUE(about.insert(reinterpret_cast<const char*>(identifier)).second)
                << "two items share " << identifier;
            xmlFree(identifier);
            EXPECT_EQ(ElementText(node, "title"),
                      NormalizeLineEnds(Expected(expected[index]->Title)));
            EXPECT_EQ(ElementText(node, "link"),
                      NormalizeLineEnds(Expected(expected[index]->Address)));
            ++index;
        }
        EXPECT_EQ(index, expected.size());
        xmlFreeDoc(xml);
    }
}

} // namespace
