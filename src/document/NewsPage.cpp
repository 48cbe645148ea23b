#include "document/NewsPage.h"

#include "document/DateNormalize.h"
#include "document/FeedWriter.h"
#include "text/CodePage.h"
#include "text/HtmlEscape.h"
#include "text/PercentEncode.h"
#include "text/S_string.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view PageStyle =
    "body{margin:0 auto;max-width:42em;padding:1em;font-family:sans-serif;line-height:1.7;"
    "color:#222;background:#fff}\r\n"
    "h1{font-size:1.5em;margin:0 0 .5em}\r\n"
    "article{border-top:1px solid #ccc;padding:.8em 0}\r\n"
    "article h2{font-size:1.1em;margin:0}\r\n"
    ".date{color:#555;font-size:.9em;margin:.2em 0}\r\n"
    "p{margin:.3em 0;overflow-wrap:anywhere}\r\n"
    "a{color:#0645ad}\r\n";

// UTF-8 of code page 932 text, as a page can carry it.
std::string PageText(const std::string& text) {
    return HtmlCarried(Cp932ToUtf8(text));
}

bool IsAsciiLetter(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}
bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}
bool IsHexDigit(char ch) {
    return IsDigit(ch) || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

// Bytes of a path, query or fragment that an address carries as they are.
bool CarriedInAddress(char ch) {
    return IsAsciiLetter(ch) || IsDigit(ch) ||
           std::string_view("!$&'()*+,-./:;=?@_~").find(ch) != std::string_view::npos;
}

// The part after the host: what an address cannot carry percent-encoded, a "%" that starts no
// escape as "%25", and every "#" after the first as "%23".
std::string EncodedRest(std::string_view rest) {
    std::string encoded;
    bool fragment = false;
    for (size_t at = 0; at < rest.size(); ++at) {
        const char ch = rest[at];
        const bool escape = ch == '%' && at + 2 < rest.size() && IsHexDigit(rest[at + 1]) &&
                            IsHexDigit(rest[at + 2]);
        if (CarriedInAddress(ch) || escape || (ch == '#' && !fragment)) {
            fragment = fragment || ch == '#';
            encoded += ch;
        } else {
            encoded += PercentEncode(std::string(1, ch), TPercentEncoding::QueryValue);
        }
    }
    return encoded;
}

// A host a browser takes as it stands: labels of ASCII letters, digits and "-", and a port.
bool PlainHost(std::string_view host) {
    const size_t colon = host.find(':');
    const std::string_view name = host.substr(0, colon);
    if (name.empty() || name.front() == '.' || name.find("..") != std::string_view::npos)
        return false;
    if (!std::all_of(name.begin(), name.end(), [](char ch) {
            return IsAsciiLetter(ch) || IsDigit(ch) || ch == '-' || ch == '.';
        }))
        return false;
    if (colon == std::string_view::npos) return true;
    const std::string_view port = host.substr(colon + 1);
    return !port.empty() && port.size() <= 5 && std::all_of(port.begin(), port.end(), IsDigit) &&
           std::stoi(std::string(port)) <= 65535;
}

// The scheme of an address, small letters; empty for an address relative to the page.
std::string SchemeOf(std::string_view address) {
    const size_t colon = address.find(':');
    if (colon == std::string_view::npos || colon == 0 || !IsAsciiLetter(address.front()) ||
        address.find_first_of("/?#") < colon)
        return {};
    std::string scheme(address.substr(0, colon));
    for (char& ch : scheme)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return scheme;
}

std::string Line(std::string_view text) {
    return std::string(text) + "\r\n";
}

// An element with escaped text, on a line of its own.
std::string Element(std::string_view name, const std::string& text,
                    std::string_view attributes = {}) {
    return "<" + std::string(name) + std::string(attributes) + ">" + EscapeHtml(text) + "</" +
           std::string(name) + ">\r\n";
}

// A text linked to `link`, or the text alone without one.
std::string Linked(const std::string& text, const std::string& link) {
    if (link.empty()) return EscapeHtml(text);
    return "<a href=\"" + EscapeHtml(link) + "\">" + EscapeHtml(text) + "</a>";
}

std::string EntryHtml(const TNewsEntry& entry) {
    std::string html = Line("<article>");
    html += Line("<h2>" + Linked(entry.Title, entry.Link) + "</h2>");
    if (!entry.DateTime.empty())
        html += Line("<p class=\"date\"><time datetime=\"" + EscapeHtml(entry.DateTime) + "\">" +
                     EscapeHtml(entry.DateShown) + "</time></p>");
    else if (!entry.DateShown.empty())
        html += Element("p", entry.DateShown, " class=\"date\"");
    if (!entry.Description.empty()) html += Element("p", entry.Description);
    return html + Line("</article>");
}

std::string PageTitle(const TNewsPageData& data) {
    return data.SiteTitle.empty() ? "お知らせ" : data.SiteTitle;
}

} // namespace

std::optional<std::string> PageLink(const std::string& address) {
    const std::string text = TrimAll(PageText(address));
    if (text.empty()) return std::nullopt;
    const std::string scheme = SchemeOf(text);
    size_t hostStart = std::string::npos;
    if (scheme == "http" || scheme == "https") {
        if (text.compare(scheme.size(), 3, "://") != 0) return std::nullopt;
        hostStart = scheme.size() + 3;
    } else if (!scheme.empty()) {
        return std::nullopt;
    } else if (text.starts_with("//")) {
        hostStart = 2;
    }
    if (hostStart == std::string::npos) return EncodedRest(text);
    const size_t hostEnd = std::min(text.find_first_of("/?#", hostStart), text.size());
    const std::string_view host = std::string_view(text).substr(hostStart, hostEnd - hostStart);
    if (!PlainHost(host)) return std::nullopt;
    return text.substr(0, hostEnd) + EncodedRest(std::string_view(text).substr(hostEnd));
}

std::optional<std::string> PageDateTime(const std::string& date) {
    if (!IsW3cDate(date) || date.starts_with("0000")) return std::nullopt;
    const size_t point = date.find('.');
    if (point != std::string::npos) {
        const size_t digits = date.find_first_not_of("0123456789", point + 1) - point - 1;
        if (digits > 3) return std::nullopt;
    }
    return date;
}

std::optional<std::string> JapaneseDate(const std::string& date) {
    if (!PageDateTime(date)) return std::nullopt;
    const auto number = [&date](size_t at, size_t length) {
        return IntToStrSafe(StrToIntLoose(date.substr(at, length)));
    };
    std::string shown = number(0, 4) + "年";
    if (date.size() >= 7) shown += number(5, 2) + "月";
    if (date.size() >= 10) shown += number(8, 2) + "日";
    if (date.size() >= 16) shown += " " + date.substr(11, 5);
    return shown;
}

TNewsPageData NewsPageData(const TFeedDocument& document, const std::string& feedPath) {
    const TChannelInfo& channel = document.Channel;
    TNewsPageData data;
    data.SiteTitle = PageText(channel.Title);
    data.SiteLink = PageLink(channel.HomeAddress).value_or("");
    data.SiteDescription = PageText(channel.Description);
    const std::string feedName = ExtractFileName(feedPath);
    const std::optional<std::string> feedAddress =
        channel.FeedAddress.empty()
            ? std::nullopt
            : PageLink(FeedOwnAddress(channel.FeedAddress, FeedNameText(feedPath)));
    data.FeedLink = feedAddress.value_or(PercentEncode(feedName, TPercentEncoding::QueryValue));
    for (const int row : PublishedRows(document, MaxItemRows)) {
        const TFeedItem& item = document.Row(row);
        TNewsEntry entry;
        entry.Title = PageText(item.Title);
        entry.Link = PageLink(item.Address).value_or("");
        entry.DateTime = PageDateTime(item.Date).value_or("");
        entry.DateShown = JapaneseDate(item.Date).value_or(PageText(item.Date));
        entry.Description = PageText(item.Description);
        data.Entries.push_back(std::move(entry));
    }
    return data;
}

std::string NewsListText(const TNewsPageData& data) {
    std::string html = Line("<div class=\"news-list\">");
    for (const TNewsEntry& entry : data.Entries)
        html += EntryHtml(entry);
    return html + Line("</div>");
}

std::string BuiltInNewsPage(const TNewsPageData& data) {
    const std::string title = PageTitle(data);
    std::string html = Line("<!DOCTYPE html>") + Line("<html lang=\"ja\">") + Line("<head>") +
                       Line("<meta charset=\"utf-8\">") +
                       Line("<meta name=\"viewport\" content=\"width=device-width, "
                            "initial-scale=1\">") +
                       Element("title", title);
    html += Line("<link rel=\"alternate\" type=\"application/rss+xml\" title=\"" +
                 EscapeHtml(title) + "\" href=\"" + EscapeHtml(data.FeedLink) + "\">");
    html += Line("<style>") + std::string(PageStyle) + Line("</style>") + Line("</head>") +
            Line("<body>") + Line("<header>");
    html += Line("<h1>" + Linked(title, data.SiteLink) + "</h1>");
    if (!data.SiteDescription.empty()) html += Element("p", data.SiteDescription);
    html += Line("</header>") + Line("<main>") + NewsListText(data) + Line("</main>");
    return html + Line("</body>") + Line("</html>");
}

std::string NewsListName(const std::string& pageName) {
    const size_t dot = pageName.rfind('.');
    if (dot == std::string::npos || dot == 0) return pageName + "-list";
    return pageName.substr(0, dot) + "-list" + pageName.substr(dot);
}
