#include "FeedCheck.h"

#include "CodePage.h"
#include "DateNormalize.h"
#include "FeedWriter.h"
#include "Messages.h"
#include "PercentEncode.h"
#include "S_string.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <map>
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

constexpr std::array<const char*, 8> ChannelFieldNames = {
    "タイトル",
    "ホームページアドレス",
    "説明文",
    "RSSファイルを設置するアドレス",
    "ロゴのタイトル",
    "ロゴの画像アドレス",
    "ロゴをクリックしたときのアドレス",
    "RSSファイルのローカル保存先",
};
constexpr std::array<const char*, ItemColumns> ColumnNames = {"タイトル", "日付", "アドレス",
                                                              "説明文"};

std::string ChannelFieldName(TChannelField field) {
    return Text(ChannelFieldNames[static_cast<size_t>(field)]);
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

// Non-ASCII characters, blanks and control bytes: what a validator wants percent-encoded.
bool NeedsEncoding(const std::string& address) {
    return std::any_of(address.begin(), address.end(), [](char ch) {
        const auto byte = static_cast<unsigned char>(ch);
        return byte <= 0x20 || byte >= 0x7F;
    });
}

std::string EncodingWarning(const std::string& name, const std::string& address) {
    return Text("{}に英数字と記号以外の文字か空白があります。エンコードした「{}」が使えます。",
                {name, PercentEncode(Cp932ToUtf8(address), TPercentEncoding::Address)});
}

std::string RelativeAddressWarning(const std::string& name, const std::string& address) {
    return Text("{}「{}」が http:// か https:// で始まっていません。フィードには絶対アドレスが"
                "必要です。",
                {name, address});
}

std::vector<std::string> AddressWarnings(const std::string& name, const std::string& address) {
    std::vector<std::string> warnings;
    if (!IsAbsoluteWebAddress(address)) warnings.push_back(RelativeAddressWarning(name, address));
    if (NeedsEncoding(address)) warnings.push_back(EncodingWarning(name, address));
    return warnings;
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

std::vector<std::string> MarkupWarnings(const std::string& name, const std::string& text) {
    const std::string markup = FirstMarkup(text);
    if (markup.empty()) return {};
    return {Text("{}にHTMLのマークアップ「{}」があります。フィードリーダーによってはそのまま"
                 "文字で表示されます。",
                 {name, markup})};
}

// ---------------------------------------------------------------------------------------------
// Dates

// The day part of a W3C date, for comparing which of two entries is newer.
std::string DayPart(const std::string& date) {
    return date.substr(0, 10);
}

// ---------------------------------------------------------------------------------------------
// The check

class TFeedChecker {
public:
    explicit TFeedChecker(const TFeedDocument& document)
        : document_(document), channel_(document.Channel), published_(PublishedRows(document)) {}

    std::vector<TFeedFinding> Run() {
        CheckChannelTexts();
        CheckFeedAddress();
        CheckLogo();
        const std::map<int, int> duplicates = DuplicateOf();
        const std::string oldest = OldestPublishedDay();
        for (int row = 1; row <= MaxItemRows; ++row) {
            if (IsPublished(row))
                CheckPublishedRow(row, duplicates);
            else
                CheckLeftOutRow(row, oldest);
        }
        return std::move(findings_);
    }

private:
    void AddChannel(TFindingSeverity severity, TChannelField field, std::string message) {
        findings_.push_back({severity, 0, 0, field, std::move(message)});
    }
    void AddChannelWarnings(TChannelField field, const std::vector<std::string>& messages) {
        for (const std::string& message : messages)
            AddChannel(TFindingSeverity::Warning, field, message);
    }
    void AddCell(TFindingSeverity severity, int row, int column, std::string message) {
        findings_.push_back({severity, row, column, TChannelField::Title, std::move(message)});
    }
    void AddCellWarnings(int row, int column, const std::vector<std::string>& messages) {
        for (const std::string& message : messages)
            AddCell(TFindingSeverity::Warning, row, column, message);
    }

    void CheckChannelTexts() {
        const TChannelField title = TChannelField::Title;
        if (channel_.Title.empty())
            AddChannel(TFindingSeverity::Error, title,
                       Text("タイトルが空です。RSS 1.0ではチャンネルのタイトルが必須です。"));
        AddChannelWarnings(title, MarkupWarnings(ChannelFieldName(title), channel_.Title));

        const TChannelField home = TChannelField::HomeAddress;
        if (channel_.HomeAddress.empty())
            AddChannel(TFindingSeverity::Error, home,
                       Text("ホームページアドレスが空です。RSS 1.0ではチャンネルのリンクが必須"
                            "です。"));
        else
            AddChannelWarnings(home, AddressWarnings(ChannelFieldName(home), channel_.HomeAddress));

        const TChannelField description = TChannelField::Description;
        if (channel_.Description.empty())
            AddChannel(TFindingSeverity::Error, description,
                       Text("説明文が空です。フィードの検証でエラーになります(チャンネルの説明文"
                            "は必須です)。"));
        AddChannelWarnings(description,
                           MarkupWarnings(ChannelFieldName(description), channel_.Description));
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
                       RelativeAddressWarning(ChannelFieldName(field), folder));
        const bool named = !document_.FileName.empty() && !feedPath.empty();
        const std::string own = named ? WebAddressIn(folder, FeedNameText(feedPath)) : "";
        const std::string fileName = TrailingFileName(folder);
        if (!fileName.empty())
            AddChannel(TFindingSeverity::Warning, field,
                       Text("RSSファイルを設置するアドレスがファイル名「{}」で終わっています。"
                            "{}フォルダのアドレスを入力してください。",
                            {fileName, named ? Text("フィードのアドレスが「{}」になります。", {own})
                                             : std::string()}));
        if (named && NeedsEncoding(own))
            AddChannel(TFindingSeverity::Warning, field,
                       EncodingWarning(Text("フィードのアドレス"), own));
        else if (!named && NeedsEncoding(folder))
            AddChannel(TFindingSeverity::Warning, field,
                       EncodingWarning(ChannelFieldName(field), folder));
    }

    // The feed has a logo only with its image address, and the logo then needs its title and
    // link as well.
    void CheckLogo() {
        const bool hasImage = !channel_.LogoImageAddress.empty();
        if (!hasImage && (!channel_.LogoTitle.empty() || !channel_.LogoLinkAddress.empty())) {
            AddChannel(TFindingSeverity::Error, TChannelField::LogoImageAddress,
                       Text("ロゴの画像アドレスが空なので、ロゴのタイトルとリンク先はフィードに"
                            "出力されません。"));
            return;
        }
        if (!hasImage) return;
        if (channel_.LogoTitle.empty())
            AddChannel(TFindingSeverity::Error, TChannelField::LogoTitle,
                       Text("ロゴのタイトルが空です。ロゴの画像アドレスがあるときはタイトルも必要"
                            "です。"));
        AddChannelWarnings(
            TChannelField::LogoTitle,
            MarkupWarnings(ChannelFieldName(TChannelField::LogoTitle), channel_.LogoTitle));
        AddChannelWarnings(TChannelField::LogoImageAddress,
                           AddressWarnings(ChannelFieldName(TChannelField::LogoImageAddress),
                                           channel_.LogoImageAddress));
        if (channel_.LogoLinkAddress.empty())
            AddChannel(TFindingSeverity::Error, TChannelField::LogoLinkAddress,
                       Text("ロゴをクリックしたときのアドレスが空です。ロゴの画像アドレスがある"
                            "ときはリンク先も必要です。"));
        else
            AddChannelWarnings(TChannelField::LogoLinkAddress,
                               AddressWarnings(ChannelFieldName(TChannelField::LogoLinkAddress),
                                               channel_.LogoLinkAddress));
    }

    void CheckPublishedRow(int row, const std::map<int, int>& duplicates) {
        const TFeedItem& item = document_.Row(row);
        const std::string title = Text(ColumnNames[0]);
        AddCellWarnings(row, 0, MarkupWarnings(title, item.Title));

        if (item.Date.empty())
            AddCell(TFindingSeverity::Error, row, 1,
                    Text("日付が空です。フィードの検証でエラーになります。"));
        else if (!IsW3cDate(item.Date))
            AddCell(
                TFindingSeverity::Error, row, 1,
                Text("日付「{}」がW3Cの日付の形式(2005-04-01 など)ではありません。", {item.Date}));

        if (item.Address.empty())
            AddCell(TFindingSeverity::Error, row, 2,
                    Text("アドレスが空です。項目のリンクが空になります。"));
        else
            AddCellWarnings(row, 2, AddressWarnings(Text(ColumnNames[2]), item.Address));
        if (const auto other = duplicates.find(row); other != duplicates.end())
            AddCell(TFindingSeverity::Error, row, 2,
                    Text("{}行目とアドレスと日付が同じで、識別子が重なります。フィードリーダーは"
                         "一つの項目とみなします。",
                         {IntToStrSafe(other->second)}));

        AddCellWarnings(row, 3, MarkupWarnings(Text(ColumnNames[3]), item.Description));
    }

    // A row the feed leaves out: one without a title, or one beyond the newest entries that is
    // dated later than an entry the feed carries, which happens when rows are not oldest first.
    void CheckLeftOutRow(int row, const std::string& oldestPublishedDay) {
        const TFeedItem& item = document_.Row(row);
        if (item.IsEmpty()) return;
        if (item.Title.empty()) {
            AddCell(TFindingSeverity::Warning, row, 0,
                    Text("タイトルが空なので、この行はフィードに出力されません。"));
            return;
        }
        if (!oldestPublishedDay.empty() && IsW3cDate(item.Date) &&
            DayPart(item.Date) > oldestPublishedDay)
            AddCell(TFindingSeverity::Warning, row, 1,
                    Text("フィードには下から{}件だけが出力され、この行は出力されませんが、出力"
                         "される項目より日付が新しいです。項目は古いものから順に入力して"
                         "ください。",
                         {IntToStrSafe(MaxFeedItems)}));
    }

    bool IsPublished(int row) const {
        return std::find(published_.begin(), published_.end(), row) != published_.end();
    }

    // Each row whose identifier repeats another's, with the other row; both rows are named.
    std::map<int, int> DuplicateOf() const {
        std::map<int, int> other;
        for (const auto& [first, second] : DuplicateIdentifierRows(document_)) {
            other.emplace(first, second);
            other.emplace(second, first);
        }
        return other;
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
