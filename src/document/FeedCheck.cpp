#include "document/FeedCheck.h"

#include "document/DateNormalize.h"
#include "document/FeedWriter.h"
#include "document/Messages.h"
#include "text/CodePage.h"
#include "text/PercentEncode.h"
#include "text/S_string.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <string_view>

namespace {

constexpr size_t MaxShownMarkup = 30; // characters of a tag quoted in a message

// A message from a UTF-8 pattern whose "{}" places take code page 932 texts in turn.
std::string Text(std::string_view pattern, std::initializer_list<std::string> values = {}) {
    std::string text;
    auto value = values.begin();
    size_t from = 0;
    for (size_t at = pattern.find("{}"); at != std::string_view::npos;
         at = pattern.find("{}", from)) {
        text += Utf8ToCp932(std::string(pattern.substr(from, at - from))).value();
        if (value != values.end()) text += *value++;
        from = at + 2;
    }
    return text + Utf8ToCp932(std::string(pattern.substr(from))).value();
}

constexpr std::array<const char*, ItemColumns> ColumnNames = {"タイトル", "日付", "アドレス",
                                                              "説明文"};

const std::string& ChannelFieldName(TChannelField field) {
    return ChannelTextField(field).Name;
}

bool IsAsciiLetter(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}
bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}
bool IsHexDigit(char ch) {
    return IsDigit(ch) || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

// ---------------------------------------------------------------------------------------------
// Addresses

bool IsAbsoluteWebAddress(const std::string& address) {
    const std::string start = LowerCaseAnsi(address.substr(0, 8)); // "https://"
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (address.size() > scheme.size() && start.starts_with(scheme)) return true;
    }
    return false;
}

// What a validator refuses in an address: blanks and control bytes.
bool HasBlank(const std::string& address) {
    return std::any_of(address.begin(), address.end(), [](char ch) {
        const auto byte = static_cast<unsigned char>(ch);
        return byte <= 0x20 || byte == 0x7F;
    });
}

// Characters beyond ASCII, which a validator wants percent-encoded where it expects a URL.
bool HasNonAscii(const std::string& address) {
    return std::any_of(address.begin(), address.end(),
                       [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; });
}

std::string Encoded(const std::string& address) {
    return PercentEncode(Cp932ToUtf8(address), TPercentEncoding::Address);
}

std::string RelativeAddressMessage(const std::string& name, const std::string& address) {
    return Text("{}「{}」が http:// か https:// で始まっていません。フィードには絶対アドレスが"
                "必要です。",
                {name, address});
}

// A finding's severity and message, before it is given its place.
struct TNote {
    TFindingSeverity severity;
    std::string message;
};

// An absolute address of another scheme than http and https: a scheme of two or more characters
// (a drive letter is none), a letter and then letters, digits, "+", "-" or ".", then ":" and more.
bool HasOtherScheme(const std::string& address) {
    const size_t colon = address.find(':');
    if (colon == std::string::npos || colon < 2 || colon + 1 == address.size() ||
        !IsAsciiLetter(address[0]))
        return false;
    const auto schemeChar = [](char ch) {
        return IsAsciiLetter(ch) || IsDigit(ch) || ch == '+' || ch == '-' || ch == '.';
    };
    const std::string scheme = LowerCaseAnsi(address.substr(0, colon));
    return std::all_of(scheme.begin(), scheme.end(), schemeChar) && scheme != "http" &&
           scheme != "https";
}

// Blanks and control bytes make an address invalid.
std::vector<TNote> BlankNotes(const std::string& name, const std::string& address) {
    if (!HasBlank(address)) return {};
    return {{TFindingSeverity::Error,
             Text("{}に空白か制御文字があります。アドレスには使えません。エンコードした「{}」"
                  "が使えます。",
                  {name, Encoded(address)})}};
}

// Characters beyond ASCII: in the host only its ASCII (punycode) form helps, with `hostSeverity`;
// elsewhere some readers take them badly and the encoded form is offered.
std::vector<TNote> NonAsciiNotes(const std::string& name, const std::string& address,
                                 TFindingSeverity hostSeverity) {
    const std::string host = AddressHost(address);
    if (HasNonAscii(host))
        return {{hostSeverity,
                 Text("{}のホスト名「{}」に英数字と記号以外の文字があります。ASCIIの形(punycode、"
                      "xn--で始まる形)で入力してください。",
                      {name, host})}};
    if (!HasNonAscii(address)) return {};
    return {{TFindingSeverity::Warning,
             Text("{}に英数字と記号以外の文字があります。エンコードした「{}」が使えます。",
                  {name, Encoded(address)})}};
}

// An address the feed carries as a link: it must be absolute and hold no blank; one that is not
// http or https is valid, but not every reader opens it.
std::vector<TNote> AddressNotes(const std::string& name, const std::string& address) {
    std::vector<TNote> notes;
    if (HasOtherScheme(address))
        notes.push_back({TFindingSeverity::Warning,
                         Text("{}「{}」は http でも https でもありません。フィードリーダーによって"
                              "は開けません。",
                              {name, address})});
    else if (!IsAbsoluteWebAddress(address))
        notes.push_back({TFindingSeverity::Error, RelativeAddressMessage(name, address)});
    for (std::vector<TNote> more :
         {BlankNotes(name, address), NonAsciiNotes(name, address, TFindingSeverity::Warning)})
        std::move(more.begin(), more.end(), std::back_inserter(notes));
    return notes;
}

// The feed's own address: a blank, or a host beyond ASCII, makes the channel's identifier invalid.
// The feed encodes every other character beyond ASCII (AddressAsSent).
std::vector<TNote> OwnAddressNotes(const std::string& name, const std::string& address) {
    std::vector<TNote> notes = BlankNotes(name, address);
    for (TNote& note : NonAsciiNotes(name, AddressAsSent(address), TFindingSeverity::Error))
        notes.push_back(std::move(note));
    return notes;
}

// The file name that ends a folder's web address, such as "news.rdf"; empty when the address
// ends in a folder. "/" and "." are never trail bytes, so the bytes can be searched as they are.
std::string TrailingFileName(const std::string& address) {
    static constexpr std::array<std::string_view, 13> FileExtensions = {
        "rdf",   "xml", "rss", "atom", "htm",  "html", "shtm",
        "shtml", "php", "cgi", "asp",  "aspx", "jsp"};
    const size_t scheme = address.find("://");
    const size_t path = address.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    if (path == std::string::npos) return {};
    const std::string name = address.substr(address.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    const std::string extension = LowerCaseAnsi(name.substr(dot + 1));
    const bool isFile =
        std::find(FileExtensions.begin(), FileExtensions.end(), extension) != FileExtensions.end();
    return isFile ? name : std::string();
}

// ---------------------------------------------------------------------------------------------
// Markup

// Bytes of a tag such as "<b>" or "</a>" at `at`; 0 when there is none.
size_t TagLength(const std::string& text, size_t at) {
    size_t next = at + 1;
    if (next < text.size() && text[next] == '/') ++next;
    if (next >= text.size() || !IsAsciiLetter(text[next])) return 0;
    for (; next < text.size(); next += CharLengthAt(text, next)) {
        if (text[next] == '>') return next - at + 1;
        if (text[next] == '<') return 0;
    }
    return 0;
}

// Bytes of an entity such as "&amp;", "&#38;" or "&#x26;" at `at`; 0 when there is none.
size_t EntityLength(const std::string& text, size_t at) {
    size_t next = at + 1;
    bool (*isNamePart)(char) = [](char ch) { return IsAsciiLetter(ch) || IsDigit(ch); };
    if (next < text.size() && text[next] == '#') {
        ++next;
        isNamePart = IsDigit;
        if (next < text.size() && (text[next] == 'x' || text[next] == 'X')) {
            ++next;
            isNamePart = IsHexDigit;
        }
    } else if (next >= text.size() || !IsAsciiLetter(text[next])) {
        return 0;
    }
    const size_t nameStart = next;
    while (next < text.size() && isNamePart(text[next]))
        ++next;
    if (next == nameStart || next >= text.size() || text[next] != ';') return 0;
    return next - at + 1;
}

// The first piece of HTML markup in `text`, shortened for a message; empty when there is none.
// "<" and "&" are never trail bytes.
std::string FirstMarkup(const std::string& text) {
    for (size_t at = 0; at < text.size(); at += CharLengthAt(text, at)) {
        size_t length = 0;
        if (text[at] == '<') length = TagLength(text, at);
        if (text[at] == '&') length = EntityLength(text, at);
        if (length == 0) continue;
        const std::string markup = text.substr(at, length);
        if (static_cast<size_t>(LengthC(markup)) <= MaxShownMarkup) return markup;
        return CopyC(markup, 1, MaxShownMarkup) + Text("…");
    }
    return {};
}

std::vector<TNote> MarkupNotes(const std::string& name, const std::string& text) {
    const std::string markup = FirstMarkup(text);
    if (markup.empty()) return {};
    return {{TFindingSeverity::Warning,
             Text("{}にHTMLのマークアップ「{}」があります。フィードリーダーによってはそのまま"
                  "文字で表示されます。",
                  {name, markup})}};
}

// ---------------------------------------------------------------------------------------------
// Dates

// The day part of a W3C date, for comparing which of two entries is newer.
std::string DayPart(const std::string& date) {
    return date.substr(0, 10);
}

// ---------------------------------------------------------------------------------------------
// The rules

// What a text must be besides not empty.
enum class TTextKind { Text, Address, Date };

// A channel field the feed writes, and why the feed needs it (null when it may be empty).
struct TChannelRule {
    TChannelField field;
    TTextKind kind;
    const char* ifEmpty;
};

constexpr std::array<TChannelRule, 3> ChannelRules = {{
    {TChannelField::Title, TTextKind::Text,
     "タイトルが空です。RSS 1.0ではチャンネルのタイトルが必須です。"},
    {TChannelField::HomeAddress, TTextKind::Address,
     "ホームページアドレスが空です。RSS 1.0ではチャンネルのリンクが必須です。"},
    {TChannelField::Description, TTextKind::Text,
     "説明文が空です。フィードの検証でエラーになります(チャンネルの説明文は必須です)。"},
}};

// The logo's fields, checked when it has its image address: only that puts a logo into the feed.
constexpr std::array<TChannelRule, 3> LogoRules = {{
    {TChannelField::LogoTitle, TTextKind::Text,
     "ロゴのタイトルが空です。ロゴのあるアドレスを入力したときはタイトルも必要です。"},
    {TChannelField::LogoImageAddress, TTextKind::Address, nullptr},
    {TChannelField::LogoLinkAddress, TTextKind::Address,
     "ロゴをクリックしたときのアドレスが空です。ロゴのあるアドレスを入力したときはリンク先"
     "も必要です。"},
}};

// A cell of a published entry, why the feed needs it, and the bytes its column's caption gives as
// guidance (0: none).
struct TCellRule {
    TItemColumn column;
    TTextKind kind;
    const char* ifEmpty;
    size_t guidanceBytes;
};

constexpr std::array<TCellRule, ItemColumns> CellRules = {{
    {icTitle, TTextKind::Text, nullptr, 100},
    {icDate, TTextKind::Date,
     "日付が空です。日付は任意ですが、空のままではフィードの日付が不正になります。", 0},
    {icAddress, TTextKind::Address, "アドレスが空です。項目のリンクが空になります。", 0},
    {icDescription, TTextKind::Text, nullptr, 400},
}};

std::vector<TNote> GuidanceNotes(const std::string& name, const std::string& text,
                                 size_t guidanceBytes) {
    if (guidanceBytes == 0 || text.size() <= guidanceBytes) return {};
    return {{TFindingSeverity::Warning,
             Text("{}が{}バイトで、目安の{}バイトを超えています。フィードリーダーによっては途中"
                  "までしか表示されません。",
                  {name, IntToStrSafe(static_cast<int>(text.size())),
                   IntToStrSafe(static_cast<int>(guidanceBytes))})}};
}

// What is wrong with a text that is there, by its kind.
std::vector<TNote> TextNotes(TTextKind kind, const std::string& name, const std::string& text,
                             size_t guidanceBytes = 0) {
    switch (kind) {
    case TTextKind::Address:
        return AddressNotes(name, text);
    case TTextKind::Date:
        if (IsW3cDate(text)) return {};
        return {{TFindingSeverity::Error,
                 Text("日付「{}」がW3Cの日付の形式(2005-04-01 など)ではありません。", {text})}};
    case TTextKind::Text:
        break;
    }
    std::vector<TNote> notes = MarkupNotes(name, text);
    for (TNote& note : GuidanceNotes(name, text, guidanceBytes))
        notes.push_back(std::move(note));
    return notes;
}

// ---------------------------------------------------------------------------------------------
// The check

class TFeedChecker {
public:
    explicit TFeedChecker(const TFeedDocument& document)
        : document_(document), channel_(document.Channel), published_(PublishedRows(document)) {}

    std::vector<TFeedFinding> Run() {
        CheckChannelFields(ChannelRules);
        CheckFeedAddress();
        CheckLogo();
        const std::string oldest = OldestPublishedDay();
        for (int row = 1; row <= MaxItemRows; ++row) {
            if (IsPublished(row))
                CheckPublishedRow(row);
            else
                CheckLeftOutRow(row, oldest);
        }
        return std::move(findings_);
    }

private:
    void AddChannel(TFindingSeverity severity, TChannelField field, std::string message) {
        findings_.push_back({severity, 0, 0, field, std::move(message)});
    }
    void AddChannel(TChannelField field, std::vector<TNote> notes) {
        for (TNote& note : notes)
            AddChannel(note.severity, field, std::move(note.message));
    }
    void AddCell(TFindingSeverity severity, int row, TItemColumn column, std::string message) {
        findings_.push_back({severity, row, column, TChannelField::Title, std::move(message)});
    }
    void AddCell(int row, TItemColumn column, std::vector<TNote> notes) {
        for (TNote& note : notes)
            AddCell(note.severity, row, column, std::move(note.message));
    }

    template <size_t Count> void CheckChannelFields(const std::array<TChannelRule, Count>& rules) {
        for (const TChannelRule& rule : rules) {
            const std::string& value = channel_.*ChannelTextField(rule.field).Text;
            if (value.empty() && rule.ifEmpty)
                AddChannel(TFindingSeverity::Error, rule.field, Text(rule.ifEmpty));
            else if (!value.empty())
                AddChannel(rule.field, TextNotes(rule.kind, ChannelFieldName(rule.field), value));
        }
    }

    // The feed's own address is the web folder and the feed file's name. A document never saved
    // has no name yet; a save folder that does not exist leaves the name unresolved.
    void CheckFeedAddress() {
        const TChannelField field = TChannelField::FeedAddress;
        const std::string feedPath = FeedFileName(document_);
        if (feedPath.empty())
            AddChannel(TFindingSeverity::Error, TChannelField::SaveFolder,
                       Text("RSSファイルのローカル保存先「{}」のフォルダがありません。フィードの"
                            "アドレスが「{}」になり、保存してもRSSファイルは作られません。",
                            {channel_.SaveFolder, UnresolvedFeedName()}));
        const std::string& folder = channel_.FeedAddress;
        if (folder.empty()) {
            AddChannel(TFindingSeverity::Error, field,
                       Text("RSSファイルを設置するアドレスが空です。フィード自身のアドレスが出力"
                            "されません。"));
            return;
        }
        if (!IsAbsoluteWebAddress(folder))
            AddChannel(TFindingSeverity::Warning, field,
                       RelativeAddressMessage(ChannelFieldName(field), folder));
        const bool named = !document_.FileName.empty() && !feedPath.empty();
        const std::string own = named ? WebAddressIn(folder, FeedNameText(feedPath)) : "";
        const std::string fileName = TrailingFileName(folder);
        if (!fileName.empty())
            AddChannel(
                TFindingSeverity::Warning, field,
                Text("RSSファイルを設置するアドレスがファイル名「{}」で終わっています。"
                     "{}フォルダのアドレスを入力してください。",
                     {fileName, named ? Text("フィードのアドレスが「{}」になります。",
                                             {FeedOwnAddress(folder, FeedNameText(feedPath))})
                                      : std::string()}));
        // The feed's own address is the channel's identifier, where a validator expects a URL.
        if (named)
            AddChannel(field, OwnAddressNotes(Text("フィードのアドレス"), own));
        else
            AddChannel(field, OwnAddressNotes(ChannelFieldName(field), folder));
    }

    void CheckLogo() {
        if (!channel_.LogoImageAddress.empty()) {
            CheckChannelFields(LogoRules);
        } else if (!channel_.LogoTitle.empty() || !channel_.LogoLinkAddress.empty()) {
            AddChannel(TFindingSeverity::Warning, TChannelField::LogoImageAddress,
                       Text("ロゴのあるアドレスが空なので、ロゴは表示されません。ロゴのタイトルと"
                            "リンク先はフィードに出力されません。"));
        }
    }

    void CheckPublishedRow(int row) {
        const TFeedItem& item = document_.Row(row);
        for (const TCellRule& rule : CellRules) {
            const std::string& value = item.Cell(rule.column);
            const std::string name = Text(ColumnNames[rule.column]);
            if (value.empty() && rule.ifEmpty)
                AddCell(TFindingSeverity::Error, row, rule.column, Text(rule.ifEmpty));
            else if (!value.empty())
                AddCell(row, rule.column, TextNotes(rule.kind, name, value, rule.guidanceBytes));
        }
    }

    // A row the feed leaves out: one without a title, or one beyond the newest entries that is
    // dated later than an entry the feed carries, which happens when rows are not oldest first.
    void CheckLeftOutRow(int row, const std::string& oldestPublishedDay) {
        const TFeedItem& item = document_.Row(row);
        if (item.IsEmpty()) return;
        if (item.Title.empty()) {
            AddCell(TFindingSeverity::Warning, row, icTitle,
                    Text("タイトルが空なので、この行はフィードに出力されません。"));
            return;
        }
        if (!oldestPublishedDay.empty() && IsW3cDate(item.Date) &&
            DayPart(item.Date) > oldestPublishedDay)
            AddCell(TFindingSeverity::Warning, row, icDate,
                    Text("フィードには下から{}件だけが出力され、この行は出力されませんが、出力"
                         "される項目より日付が新しいです。項目は古いものから順に入力して"
                         "ください。",
                         {IntToStrSafe(MaxFeedItems)}));
    }

    bool IsPublished(int row) const {
        return std::find(published_.begin(), published_.end(), row) != published_.end();
    }

    // The day of the oldest published entry with a valid date; empty when there is none.
    std::string OldestPublishedDay() const {
        std::string oldest;
        for (const int row : published_) {
            const std::string& date = document_.Row(row).Date;
            if (IsW3cDate(date) && (oldest.empty() || DayPart(date) < oldest))
                oldest = DayPart(date);
        }
        return oldest;
    }

    const TFeedDocument& document_;
    const TChannelInfo& channel_;
    const std::vector<int> published_;
    std::vector<TFeedFinding> findings_;
};

} // namespace

std::vector<TFeedFinding> CheckFeed(const TFeedDocument& document) {
    return TFeedChecker(document).Run();
}

bool DateIsWrong(int row, const TCellReader& cellOf) {
    const std::string date = cellOf(row, icDate);
    if (!date.empty()) return !IsW3cDate(date);
    if (cellOf(row, icTitle).empty()) return false;
    const std::vector<int> published =
        PublishedRows([&cellOf](int titled) { return !cellOf(titled, icTitle).empty(); });
    return std::find(published.begin(), published.end(), row) != published.end();
}

int CountFindings(const std::vector<TFeedFinding>& findings, TFindingSeverity severity) {
    return static_cast<int>(
        std::count_if(findings.begin(), findings.end(), [severity](const TFeedFinding& finding) {
            return finding.Severity == severity;
        }));
}

std::string FindingPlace(const TFeedFinding& finding) {
    if (finding.Row == 0) return Text("チャンネル");
    return Text("{}行目", {IntToStrSafe(finding.Row)});
}

std::string FindingFieldName(const TFeedFinding& finding) {
    if (finding.Row == 0) return ChannelFieldName(finding.Field);
    return Text(ColumnNames[static_cast<size_t>(finding.Column)]);
}

std::string SeverityName(TFindingSeverity severity) {
    return Text(severity == TFindingSeverity::Error ? "エラー" : "警告");
}

std::string FindingLine(const TFeedFinding& finding) {
    return FindingPlace(finding) + ": [" + SeverityName(finding.Severity) + "] " + finding.Message;
}
