#include "TestSupport.h"
#include "document/FeedCheck.h"

#include <functional>

using namespace testsupport;

namespace {

// A document whose feed a reader and a validator accept as it is.
TFeedDocument CleanDocument() {
    TFeedDocument document;
    document.FileName = "/site/news.tbl";
    TChannelInfo& channel = document.Channel;
    channel.Title = Sjis("ひだまり通信");
    channel.HomeAddress = "https://s.example/";
    channel.Description = Sjis("小さな店のお知らせ");
    channel.FeedAddress = "https://s.example/news";
    channel.LogoTitle = "Logo";
    channel.LogoImageAddress = "https://s.example/logo.png";
    channel.LogoLinkAddress = "https://s.example/";
    channel.StyleSheet = "feed.xsl";
    for (int row = 1; row <= 3; ++row) {
        TFeedItem& item = document.Row(row);
        item.Title = Sjis("お知らせ") + std::to_string(row);
        item.Date = "2024-05-0" + std::to_string(row);
        item.Address = "https://s.example/" + std::to_string(row) + ".html";
        item.Description = "Q&A 3<5";
    }
    return document;
}

// A finding as the tests expect it: "place field: [severity] message", in UTF-8.
std::string Shown(const TFeedFinding& finding) {
    return Cp932ToUtf8(FindingPlace(finding) + " " + FindingFieldName(finding) + ": [" +
                       SeverityName(finding.Severity) + "] " + finding.Message);
}

struct TCheckCase {
    const char* name;
    std::function<void(TFeedDocument&)> change;
    std::vector<std::string> expected;
};

void PrintTo(const TCheckCase& checkCase, std::ostream* out) {
    *out << checkCase.name;
}

const TCheckCase CheckCases[] = {
    {"clean", [](TFeedDocument&) {}, {}},
    {"empty channel texts",
     [](TFeedDocument& d) {
         d.Channel.Title.clear();
         d.Channel.HomeAddress.clear();
         d.Channel.Description.clear();
     },
     {"チャンネル タイトル: [エラー] タイトルが空です。RSS 1.0ではチャンネルのタイトルが必須です。",
      "チャンネル ホームページアドレス: [エラー] ホームページアドレスが空です。RSS "
      "1.0ではチャンネルのリンクが必須です。",
      "チャンネル 説明文: [エラー] "
      "説明文が空です。フィードの検証でエラーになります(チャンネルの説明文は必須です)。"}},
    {"empty feed address",
     [](TFeedDocument& d) { d.Channel.FeedAddress.clear(); },
     {"チャンネル RSSファイルを設置するアドレス: [エラー] "
      "RSSファイルを設置するアドレスが空です。フィード自身のアドレスが出力されません。"}},
    {"save folder missing",
     [](TFeedDocument& d) { d.Channel.SaveFolder = "/no/such/folder"; },
     {"チャンネル RSSファイルのローカル保存先: [エラー] "
      "RSSファイルのローカル保存先「/no/such/folder」のフォルダがありません。フィードのアドレス"
      "が「[ファイル名未解決]」になり、保存してもRSSファイルは作られません。"}},
    {"feed address names a file",
     [](TFeedDocument& d) { d.Channel.FeedAddress = "https://s.example/news.RDF"; },
     {"チャンネル RSSファイルを設置するアドレス: [警告] "
      "RSSファイルを設置するアドレスがファイル名「news.RDF」で終わっています。フィードのアドレス"
      "が「https://s.example/news.RDF/news.rdf」になります。フォルダのアドレスを入力してくださ"
      "い。"}},
    {"feed address of a host is a folder",
     [](TFeedDocument& d) { d.Channel.FeedAddress = "https://s.example"; },
     {}},
    {"feed address of a dotted folder is a folder",
     [](TFeedDocument& d) { d.Channel.FeedAddress = "https://s.example/v1.2"; },
     {}},
    {"feed's own address takes the table file's Japanese name encoded",
     [](TFeedDocument& d) { d.FileName = "/site/ニュース.tbl"; },
     {}},
    {"host names beyond ASCII",
     [](TFeedDocument& d) {
         d.Channel.FeedAddress = Sjis("https://例え.jp/お知らせ");
         d.Channel.HomeAddress = Sjis("https://例え.jp/");
     },
     {"チャンネル ホームページアドレス: [警告] "
      "ホームページアドレスのホスト名「例え.jp」に英数字と記号以外の文字があります。ASCIIの形("
      "punycode、xn--で始まる形)で入力してください。",
      "チャンネル RSSファイルを設置するアドレス: [エラー] "
      "フィードのアドレスのホスト名「例え.jp」に英数字と記号以外の文字があります。ASCIIの形("
      "punycode、xn--で始まる形)で入力してください。"}},
    {"addresses of other schemes than http and https",
     [](TFeedDocument& d) {
         d.Channel.HomeAddress = "mailto:info@s.example";
         d.Row(2).Address = "ftp://s.example/2.pdf";
         d.Row(3).Address = "C:/site/3.html";
     },
     {"チャンネル ホームページアドレス: [警告] ホームページアドレス「mailto:info@s.example」は "
      "http でも https でもありません。フィードリーダーによっては開けません。",
      "2行目 アドレス: [警告] アドレス「ftp://s.example/2.pdf」は http でも https "
      "でもありません。フィードリーダーによっては開けません。",
      "3行目 アドレス: [エラー] アドレス「C:/site/3.html」が http:// か https:// "
      "で始まっていません。フィードには絶対アドレスが必要です。"}},
    {"never saved: no name to check yet",
     [](TFeedDocument& d) {
         d.FileName.clear();
         d.Channel.FeedAddress = "https://s.example/news.xml";
     },
     {"チャンネル RSSファイルを設置するアドレス: [警告] "
      "RSSファイルを設置するアドレスがファイル名「news.xml」で終わっています。フォルダのアドレス"
      "を入力してください。"}},
    {"relative and non-ASCII addresses",
     [](TFeedDocument& d) {
         d.Channel.HomeAddress = "www.s.example";
         d.Channel.LogoLinkAddress = "HTTPS://s.example/a b";
         d.Row(2).Address = Sjis("/お知らせ.html");
     },
     {"チャンネル ホームページアドレス: [エラー] ホームページアドレス「www.s.example」が http:// "
      "か https:// で始まっていません。フィードには絶対アドレスが必要です。",
      "チャンネル ロゴをクリックしたときのアドレス: [エラー] "
      "ロゴをクリックしたときのアドレスに空白か制御文字があります。アドレスには使えません。エンコー"
      "ド"
      "した「HTTPS://s.example/a%20b」が使えます。",
      "2行目 アドレス: [エラー] アドレス「/お知らせ.html」が http:// か https:// "
      "で始まっていません。フィードには絶対アドレスが必要です。",
      "2行目 アドレス: [警告] "
      "アドレスに英数字と記号以外の文字があります。エンコードした「/"
      "%E3%81%8A%E7%9F%A5%E3%82%89%E3%81%9B.html」が使えます。"}},
    {"address of the scheme alone",
     [](TFeedDocument& d) { d.Channel.HomeAddress = "http://"; },
     {"チャンネル ホームページアドレス: [エラー] ホームページアドレス「http://」が http:// "
      "か https:// で始まっていません。フィードには絶対アドレスが必要です。"}},
    {"logo without its title and link",
     [](TFeedDocument& d) {
         d.Channel.LogoTitle.clear();
         d.Channel.LogoLinkAddress.clear();
     },
     {"チャンネル ロゴのタイトル: [エラー] "
      "ロゴのタイトルが空です。ロゴのあるアドレスを入力したときはタイトルも必要です。",
      "チャンネル ロゴをクリックしたときのアドレス: [エラー] "
      "ロゴをクリックしたときのアドレスが空です。ロゴのあるアドレスを入力したときはリンク先も必要で"
      "す。"}},
    {"logo title without its image",
     [](TFeedDocument& d) { d.Channel.LogoImageAddress.clear(); },
     {"チャンネル ロゴのあるアドレス: [警告] ロゴのあるアドレスが空なので、ロゴは表示されません。"
      "ロゴのタイトルとリンク先はフィードに出力されません。"}},
    {"logo link without its image",
     [](TFeedDocument& d) {
         d.Channel.LogoTitle.clear();
         d.Channel.LogoImageAddress.clear();
     },
     {"チャンネル ロゴのあるアドレス: [警告] ロゴのあるアドレスが空なので、ロゴは表示されません。"
      "ロゴのタイトルとリンク先はフィードに出力されません。"}},
    {"no logo at all",
     [](TFeedDocument& d) {
         d.Channel.LogoTitle.clear();
         d.Channel.LogoImageAddress.clear();
         d.Channel.LogoLinkAddress.clear();
     },
     {}},
    {"dates of published entries",
     [](TFeedDocument& d) {
         d.Row(1).Date.clear();
         d.Row(2).Date = "2005/04/01";
         d.Row(3).Date = "2024-05-03T10:00:00+09:00";
     },
     {"1行目 日付: [エラー] "
      "日付が空です。日付は任意ですが、空のままではフィードの日付が不正になります。",
      "2行目 日付: [エラー] 日付「2005/04/01」がW3Cの日付の形式(2005-04-01 など)ではありません。"}},
    {"empty address of a published entry",
     [](TFeedDocument& d) { d.Row(3).Address.clear(); },
     {"3行目 アドレス: [エラー] アドレスが空です。項目のリンクが空になります。"}},
    {"same address and day on two rows get identifiers of their own",
     [](TFeedDocument& d) { d.Row(3) = d.Row(1); },
     {}},
    {"captions' byte guidance for published entries",
     [](TFeedDocument& d) {
         d.Row(1).Title = std::string(101, 't');
         d.Row(2).Title = std::string(100, 't');
         d.Row(3).Description = std::string(401, 'd');
         d.Row(2).Description = std::string(400, 'd');
     },
     {"1行目 タイトル: [警告] タイトルが101バイトで、目安の100バイトを超えています。フィードリー"
      "ダーによっては途中までしか表示されません。",
      "3行目 説明文: [警告] 説明文が401バイトで、目安の400バイトを超えています。フィードリーダー"
      "によっては途中までしか表示されません。"}},
    {"blanks and characters a validator refuses in addresses",
     [](TFeedDocument& d) {
         d.FileName.clear();
         d.Channel.FeedAddress = Sjis("https://s.example/お知らせ");
         d.Row(1).Address = "https://s.example/a\tb";
         d.Row(2).Address = "https://s.example/a\x7F";
         d.Channel.LogoImageAddress = "https://s.example/l o.png";
     },
     {"チャンネル ロゴのあるアドレス: [エラー] "
      "ロゴのあるアドレスに空白か制御文字があります。アドレスには使えません。エンコードした"
      "「https://s.example/l%20o.png」が使えます。",
      "1行目 アドレス: [エラー] "
      "アドレスに空白か制御文字があります。アドレスには使えません。エンコードした"
      "「https://s.example/a%09b」が使えます。",
      "2行目 アドレス: [エラー] "
      "アドレスに空白か制御文字があります。アドレスには使えません。エンコードした"
      "「https://s.example/a%7F」が使えます。"}},
    {"same address on another date",
     [](TFeedDocument& d) { d.Row(3).Address = d.Row(1).Address; },
     {}},
    {"markup in titles and descriptions",
     [](TFeedDocument& d) {
         d.Channel.Title = Sjis("<b>新着</b>");
         d.Row(2).Description = "Tom &amp; Jerry &#38; &#x26;";
     },
     {"チャンネル タイトル: [警告] "
      "タイトルにHTMLのマークアップ「<b>」があります。フィードリーダーによってはそのまま文字で"
      "表示されます。",
      "2行目 説明文: [警告] "
      "説明文にHTMLのマークアップ「&amp;」があります。フィードリーダーによってはそのまま文字で"
      "表示されます。"}},
    {"a long tag is shortened",
     [](TFeedDocument& d) {
         d.Row(1).Title = "<a href=\"https://s.example/very/long/address.html\">x</a>";
     },
     {"1行目 タイトル: [警告] タイトルにHTMLのマークアップ「<a "
      "href=\"https://s.example/ver…」があります。フィードリーダーによってはそのまま文字で表"
      "示されます。"}},
    {"rows left out: without a title, or newer than a published one",
     [](TFeedDocument& d) {
         d.Row(5) = {"", "2024-05-05", "https://s.example/5.html", ""};
         // Rows 6 to 20 are published; row 4 is older than all of them, row 1 is not.
         for (int row = 6; row <= 20; ++row)
             d.Row(row) = {"t", "2024-06-" + std::to_string(row + 10),
                           "https://s.example/" + std::to_string(row), ""};
         d.Row(1).Date = "2024-06-20";
         d.Row(4) = {"old", "2024-05-04", "not an address", ""};
     },
     {"1行目 日付: [警告] "
      "フィードには下から15件だけが出力され、この行は出力されませんが、出力される項目より日付が"
      "新しいです。項目は古いものから順に入力してください。",
      "5行目 タイトル: [警告] タイトルが空なので、この行はフィードに出力されません。"}},
};

class FeedCheckCases : public ::testing::TestWithParam<TCheckCase> {};

TEST_P(FeedCheckCases, GivesExactlyTheseFindings) {
    TFeedDocument document = CleanDocument();
    GetParam().change(document);
    std::vector<std::string> shown;
    for (const TFeedFinding& finding : CheckFeed(document))
        shown.push_back(Shown(finding));
    EXPECT_EQ(shown, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Documents, FeedCheckCases, ::testing::ValuesIn(CheckCases),
                         [](const auto& testInfo) {
                             std::string name = testInfo.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST(FeedCheck, FindingsNameTheirPlaceForTheUser) {
    TFeedDocument document = CleanDocument();
    document.Row(3).Date.clear();
    document.Channel.HomeAddress = Sjis("https://s.example/ホーム");
    const std::vector<TFeedFinding> findings = CheckFeed(document);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].Field, TChannelField::HomeAddress);
    EXPECT_EQ(findings[1].Row, 3);
    EXPECT_EQ(findings[1].Column, 1);
    EXPECT_EQ(Cp932ToUtf8(FindingLine(findings[1])),
              "3行目: [エラー] 日付が空です。日付は任意ですが、空のままではフィードの日付が不正"
              "になります。");
    EXPECT_EQ(CountFindings(findings, TFindingSeverity::Error), 1);
    EXPECT_EQ(CountFindings(findings, TFindingSeverity::Warning), 1);
}

// The check's date errors found in any row, as the grid marks them: rows 1 to 3 of the clean
// document, and rows 4 to 20 titled below them, so that rows 1 to 5 are left out of the feed.
TEST(FeedCheck, WrongDates) {
    const std::tuple<int, std::string, bool> cases[] = {
        {1, "2024-05-01", false}, {1, Sjis("12月上旬"), true}, {1, "", false},
        {6, "2024-05-01", false}, {6, "2024/05/01", true},     {6, "", true},
        {30, "", false},          {30, "2024-13-01", true},
    };
    for (const auto& [row, date, wrong] : cases) {
        TFeedDocument document = CleanDocument();
        for (int titled = 4; titled <= 20; ++titled)
            document.Row(titled).Title = "t";
        document.Row(row).Date = date;
        EXPECT_EQ(DateIsWrong(row,
                              [&document](int entry, TItemColumn column) {
                                  return document.Row(entry).Cell(column);
                              }),
                  wrong)
            << row << " " << date;
    }
}

} // namespace
