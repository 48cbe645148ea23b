// The news page: links and dates as a browser takes them, the golden page of a table file, pages
// of hostile documents checked by the Nu HTML Checker, the feed's order and dates, and the user's
// templates.

#include "HtmlChecker.h"
#include "TestSupport.h"
#include "document/NewsPage.h"
#include "document/NewsTemplate.h"
#include "document/SaveDocument.h"
#include "document/TableFile.h"

#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>
#include <optional>
#include <sys/stat.h>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const TFeedTime Time{2026, 12, 7, 18, 5, 9, 540};

std::optional<std::string> Link(const char* utf8) {
    return PageLink(Sjis(utf8));
}

TEST(NewsPage, LinksOnlyWhereABrowserCanFollow) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"https://site.example/a.html", "https://site.example/a.html"},
        {"HTTP://Site.Example:8080/q?a=1&b=2#top", "HTTP://Site.Example:8080/q?a=1&b=2#top"},
        {"//cdn.example/x", "//cdn.example/x"},
        {"https://site.example/お知らせ.html",
         "https://site.example/%E3%81%8A%E7%9F%A5%E3%82%89%E3%81%9B.html"},
        {"news/a b.html", "news/a%20b.html"},
        {"/x\"<y>{|}", "/x%22%3Cy%3E%7B%7C%7D"},
        {"https://a.example/100%?p=%41", "https://a.example/100%25?p=%41"},
        {"https://a.example/#a#b", "https://a.example/#a%23b"},
        {" \x01https://a.example/ ", "https://a.example/"},
        {"javascript:alert(1)", std::nullopt},
        {"file:///etc/passwd", std::nullopt},
        {"mailto:owner@site.example", std::nullopt},
        {"http://", std::nullopt},
        {"https:site.example", std::nullopt},
        {"https://a b/", std::nullopt},
        {"https://a..example/", std::nullopt},
        {"https://user@a.example/", std::nullopt},
        {"https://a.example:99999/", std::nullopt},
        {"https://日本.example/", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [address, link] : cases)
        EXPECT_EQ(Link(address), link) << address;
}

TEST(NewsPage, DatesForTimeElements) {
    const std::tuple<const char*, std::optional<std::string>, std::optional<std::string>> cases[] =
        {
            {"2026-12-07", "2026-12-07", "2026年12月7日"},
            {"2026-01", "2026-01", "2026年1月"},
            {"2026", "2026", "2026年"},
            {"2026-12-07T08:05+09:00", "2026-12-07T08:05+09:00", "2026年12月7日 08:05"},
            {"2026-12-07T18:05:09.123Z", "2026-12-07T18:05:09.123Z", "2026年12月7日 18:05"},
            {"2026-12-07T18:05:09.1234Z", std::nullopt, std::nullopt},
            {"0000-01-01", std::nullopt, std::nullopt},
            {"2026/12/07", std::nullopt, std::nullopt},
            {"12月上旬", std::nullopt, std::nullopt},
            {"", std::nullopt, std::nullopt},
        };
    for (const auto& [date, dateTime, japanese] : cases) {
        EXPECT_EQ(PageDateTime(Sjis(date)), dateTime) << date;
        const std::optional<std::string> shown = JapaneseDate(Sjis(date));
        EXPECT_EQ(shown, japanese) << date;
    }
}

TEST(NewsPage, ListFileNamedAfterThePage) {
    EXPECT_EQ(NewsListName("news.html"), "news-list.html");
    EXPECT_EQ(NewsListName("お知らせ.v2.htm"), "お知らせ.v2-list.htm");
    EXPECT_EQ(NewsListName("news"), "news-list");
    EXPECT_EQ(NewsListName(".news"), ".news-list");
}

TEST(NewsPage, GoldenPageOfATableFile) {
    TFeedDocument document;
    ASSERT_TRUE(LoadTableFile(document, DataFile("escapes.tbl").string()));
    const TNewsPageData data = NewsPageData(document, "/site/escapes.rdf");
    ExpectGolden("escapes.html", BuiltInNewsPage(data));
    ExpectGolden("escapes-list.html", NewsListText(data));
}

// Every entry row filled with what a page must not carry as it stands.
TFeedDocument HostileDocument() {
    std::string wide;
    for (int n = 0; n < 50; ++n)
        wide += Sjis("あ");
    const std::string texts[] = {
        "<script>alert('&')</script>", "\"quoted\" 'single' & <b>", "\x01\x1F\x7F\x80 bell", wide,
        "lead at the end \x81",        Sjis("]]> ＆ 〜 ①"),
    };
    const std::string dates[] = {"",           "2026-12-07", "12月上旬",
                                 "2026-13-01", "0000-01-01", "2026-12-07T18:05:09.1234Z"};
    const std::string addresses[] = {"https://site.example/?a=1&b=\"2\"",
                                     "javascript:alert(1)",
                                     "news/a b<c>.html",
                                     "",
                                     "https://a b/",
                                     "%zz#x#y"};
    TFeedDocument document;
    document.Channel.Title = texts[0];
    document.Channel.HomeAddress = addresses[2];
    document.Channel.Description = texts[2];
    document.Channel.FeedAddress = "https://site.example/news dir/";
    for (int row = 1; row <= MaxItemRows; ++row) {
        const auto pick = [row](const auto& table, int step) {
            return table[static_cast<size_t>(row * step) % std::size(table)];
        };
        document.Row(row) = {pick(texts, 1), Sjis(pick(dates, 5).c_str()), pick(addresses, 7),
                             pick(texts, 11)};
    }
    return document;
}

const char* const UserTemplate =
    "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<title>{{site_title}}{{^site_title}}お知らせ{{/site_title}}</title>\n"
    "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"{{feed_address}}\">\n</head>\n"
    "<body>\n<h1>{{#site_address}}<a href=\"{{site_address}}\">{{/site_address}}{{site_title}}"
    "{{#site_address}}</a>{{/site_address}}</h1>\n<p>{{site_description}}</p>\n<ul>\n"
    "{{#entries}}\n<li>{{#date}}<time datetime=\"{{date}}\">{{date_ja}}</time>{{/date}}"
    "{{^date}}{{date_ja}}{{/date}}\n"
    "{{#address}}<a href=\"{{address}}\" title=\"{{title}}\">{{title}}</a>{{/address}}"
    "{{^address}}{{title}}{{/address}} {{description}}</li>\n{{/entries}}\n</ul>\n</body>\n"
    "</html>\n";

class NewsPageFiles : public TTempFolderTest {};

TEST_F(NewsPageFiles, HostileEntriesGiveValidPages) {
    WriteBytes(dir_ / "user.mustache", UserTemplate);
    std::vector<fs::path> pages;
    TFeedDocument empty;
    for (const TFeedDocument& document : {HostileDocument(), empty}) {
        const TNewsPageData data = NewsPageData(document, Path("news.rdf"));
        std::string own;
        ASSERT_TRUE(RenderNewsTemplate(Path("user.mustache"), data, own));
        const std::string name = std::to_string(pages.size());
        for (const auto& [suffix, text] :
             {std::pair{"-page.html", BuiltInNewsPage(data)},
              std::pair{"-list.html", InPage(NewsListText(data))}, std::pair{"-own.html", own}}) {
            pages.push_back(dir_ / (name + suffix));
            WriteBytes(pages.back(), text);
        }
    }
    EXPECT_EQ(HtmlErrors(pages), "");
}

// The texts that `xpath` selects in `doc`, in document order.
std::vector<std::string> Texts(xmlDocPtr doc, const char* xpath) {
    std::vector<std::string> texts;
    xmlXPathContextPtr context = xmlXPathNewContext(doc);
    xmlXPathRegisterNs(context, BAD_CAST "rss", BAD_CAST "http://purl.org/rss/1.0/");
    xmlXPathRegisterNs(context, BAD_CAST "dc", BAD_CAST "http://purl.org/dc/elements/1.1/");
    xmlXPathObjectPtr found = xmlXPathEvalExpression(BAD_CAST xpath, context);
    for (int at = 0; found && found->nodesetval && at < found->nodesetval->nodeNr; ++at) {
        xmlChar* text = xmlNodeGetContent(found->nodesetval->nodeTab[at]);
        texts.emplace_back(reinterpret_cast<const char*>(text));
        xmlFree(text);
    }
    xmlXPathFreeObject(found);
    xmlXPathFreeContext(context);
    return texts;
}

TEST_F(NewsPageFiles, OrderAndDatesAreTheFeeds) {
    TFeedDocument document;
    for (int row = 1; row <= 20; ++row)
        document.Row(row) = {"t" + std::to_string(row), "2026-11-" + std::to_string(10 + row),
                             "https://a.example/" + std::to_string(row), ""};
    document.Row(12).Title.clear();
    document.FileName = Path("news.tbl");
    const TFeedFile feed = BuildFeedFile(document, Time, "1.0");
    const std::string page = BuiltInNewsPage(NewsPageData(document, feed.Path));
    xmlDocPtr feedDoc = xmlReadMemory(feed.Text.data(), static_cast<int>(feed.Text.size()), nullptr,
                                      nullptr, XML_PARSE_NONET);
    htmlDocPtr pageDoc = htmlReadMemory(page.data(), static_cast<int>(page.size()), nullptr,
                                        "UTF-8", HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    ASSERT_TRUE(feedDoc && pageDoc);
    std::vector<std::string> pageDates = Texts(pageDoc, "//article//time/@datetime");
    std::vector<std::string> pageTitles = Texts(pageDoc, "//article/h2");
    EXPECT_EQ(pageDates.size(), 19u); // every entry with a title, not only the feed's 15
    pageDates.resize(MaxFeedItems);
    pageTitles.resize(MaxFeedItems);
    EXPECT_EQ(pageDates, Texts(feedDoc, "//rss:item/dc:date"));
    EXPECT_EQ(pageTitles, Texts(feedDoc, "//rss:item/rss:title"));
    xmlFreeDoc(feedDoc);
    xmlFreeDoc(pageDoc);
}

TEST_F(NewsPageFiles, TemplateNamesGiveTheirValues) {
    WriteBytes(dir_ / "t.mustache",
               "{{site_title}}|{{site_address}}|{{site_description}}|"
               "{{feed_address}}\r\n{{#entries}}[{{title}}|{{address}}|{{date}}|"
               "{{date_ja}}|{{description}}|{{{description}}}]\n{{/entries}}"
               "{{^entries}}none{{/entries}}");
    TFeedDocument document;
    document.Channel.Title = Sjis("店 & 庭");
    document.Channel.HomeAddress = "https://shop.example/";
    document.Channel.FeedAddress = "https://shop.example/feed";
    document.Row(1) = {"old", "2026-12", "", "a<b"};
    document.Row(2) = {Sjis("新"), "2026-12-07", "https://shop.example/n", ""};
    std::string page;
    ASSERT_TRUE(
        RenderNewsTemplate(Path("t.mustache"), NewsPageData(document, "/s/news.rdf"), page));
    EXPECT_EQ(page, "店 &amp; 庭|https://shop.example/||https://shop.example/feed/news.rdf\n"
                    "[新|https://shop.example/n|2026-12-07|2026年12月7日||]\n"
                    "[old||2026-12|2026年12月|a&lt;b|a<b]\n");
    ASSERT_TRUE(RenderNewsTemplate(Path("t.mustache"), NewsPageData({}, "/s/news.rdf"), page));
    EXPECT_EQ(page, "|||news.rdf\nnone\n");
}

TEST_F(NewsPageFiles, BrokenTemplatesNamedWithTheirLine) {
    fs::create_directory(dir_ / "folder");
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    const std::pair<const char*, const char*> cases[] = {
        {"<ul>\n{{#entries}}\n<li>{{title}}\n</ul>\n",
         " の 2 行目: セクション「entries」が閉じていません"},
        {"<p>\n\n{{title\n", " の 3 行目: タグが {{ で始まったまま閉じていません"},
        {"\n{{/entries}}", " の 2 行目: {{/entries}} に対応する {{#entries}} がありません"},
        {"{{#a}}\n{{/b}}", " の 1 行目: セクション「a」が閉じていません"},
        {"{{= x =}}", " の 1 行目: 区切り文字を変えるタグ"},
        {nullptr, " を読めません"},
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(text ? text : "missing");
        if (text) WriteBytes(dir_ / "t.mustache", text);
        std::string page = "before";
        const TResult rendered = RenderNewsTemplate(text ? Path("t.mustache") : Path("gone"),
                                                    NewsPageData({}, "news.rdf"), page);
        EXPECT_NE(Cp932ToUtf8(rendered.Reason())
                      .find((text ? Path("t.mustache") : Path("gone")) + reason),
                  std::string::npos)
            << Cp932ToUtf8(rendered.Reason());
        EXPECT_EQ(page, "before");
    }
    for (const char* notAFile : {"folder", "fifo"}) {
        std::string page;
        EXPECT_FALSE(RenderNewsTemplate(Path(notAFile), NewsPageData({}, "news.rdf"), page))
            << notAFile;
    }
}

TEST(NewsPageSettings, KeptPerTableFileBesideThePublishSettings) {
    TIniFile ini;
    EXPECT_EQ(ReadNewsPageSettings(ini, "/s/news.tbl"), TNewsPageSettings{});
    const TNewsPageSettings own{true, "お知らせ.html", "/s/page.mustache"};
    WriteNewsPageSettings(ini, "/s/news.tbl", own);
    EXPECT_EQ(ReadNewsPageSettings(ini, "/s/../s/news.tbl"), own);
    EXPECT_EQ(ReadNewsPageSettings(ini, "/s/News.tbl"), TNewsPageSettings{});
    for (const char* name : {"", ".", "..", "a/b.html", "a\tb.html"})
        EXPECT_FALSE(CheckNewsPageName(name)) << name;
    EXPECT_TRUE(CheckNewsPageName(".お知らせ page.html"));
}

} // namespace
