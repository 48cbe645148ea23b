#include "document/FeedWriter.h"

#include "document/FileNames.h"
#include "document/MakerPages.h"
#include "document/Messages.h"
#include "text/CodePage.h"
#include "text/PercentEncode.h"
#include "text/S_string.h"
#include "text/TextFile.h"
#include "text/XmlEscape.h"

#include <algorithm>
#include <ctime>
#include <unordered_map>

namespace {

// Pieces of a line that are escaped as they are appended.
struct Content {
    std::string_view text;
};
struct Attribute {
    std::string_view text;
};

size_t PieceSize(std::string_view piece) {
    return piece.size();
}
size_t PieceSize(Content piece) {
    return piece.text.size();
}
size_t PieceSize(Attribute piece) {
    return piece.text.size();
}

void AppendPiece(std::string& line, std::string_view piece) {
    line += piece;
}
void AppendPiece(std::string& line, Content piece) {
    AppendXmlContent(line, piece.text);
}
void AppendPiece(std::string& line, Attribute piece) {
    AppendXmlAttribute(line, piece.text);
}

// Adds a line made of its pieces, built in place with room for a few escapes.
template <typename... Pieces> void AddLine(std::vector<std::string>& lines, Pieces... pieces) {
    std::string& line = lines.emplace_back();
    line.reserve((PieceSize(pieces) + ...) + 32);
    (AppendPiece(line, pieces), ...);
}

// Where the host of an address starts: after "scheme://"; 0 without "://". The separators of an
// address are below 0x40, so never the second byte of a double-byte character.
size_t HostStart(const std::string& address) {
    const size_t scheme = address.find("://");
    return scheme == std::string::npos ? 0 : scheme + 3;
}

// Where the host that starts at `start` ends; `start` itself when the address has no host.
size_t HostEnd(const std::string& address, size_t start) {
    if (start == 0) return 0;
    return std::min(address.find_first_of("/?#", start), address.size());
}

std::string TwoDigits(int value) {
    return RightB("00" + IntToStrSafe(value), 2);
}

// An entry written into the feed, with its identifier worked out once for both places it goes.
struct TEntry {
    const TFeedItem* item;
    std::string identifier;
};

std::vector<TEntry> SelectEntries(const TFeedDocument& document) {
    const std::vector<std::string> identifiers = ItemIdentifiers(document);
    std::vector<TEntry> entries;
    for (const int row : PublishedRows(document))
        entries.push_back({&document.Row(row), identifiers[static_cast<size_t>(row - 1)]});
    return entries;
}

// An identifier as a feed reader compares it, letter case aside: without the bytes XML cannot
// carry, and in UTF-8, so that damaged code page 932 compares as the converter writes it.
std::string ComparedIdentifier(const std::string& identifier) {
    std::string kept;
    AppendXmlAttribute(kept, identifier);
    std::string compared = Cp932ToUtf8(kept);
    for (char& ch : compared)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return compared;
}

std::string StyleSheetHref(const TFeedDocument& document, const std::string& override) {
    if (!override.empty()) return override == "*" ? std::string() : override;
    const std::string& sheet = document.Channel.StyleSheet;
    if (!sheet.empty() && PosIn(sheet, "/") == 0) return "./" + sheet;
    return sheet;
}

void AddHeader(std::vector<std::string>& lines, const TFeedDocument& document,
               const TFeedContext& context) {
    AddLine(lines, R"(<?xml version="1.0" encoding="UTF-8"?>)");
    const std::string href = StyleSheetHref(document, context.StyleSheetOverride);
    if (!href.empty())
        AddLine(lines, R"(<?xml-stylesheet type="text/xsl" href=")", Attribute{href}, R"("?>)");
    AddLine(lines, "<rdf:RDF");
    AddLine(lines, R"(  xmlns="http://purl.org/rss/1.0/")");
    AddLine(lines, R"(  xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#")");
    AddLine(lines, R"(  xmlns:dc="http://purl.org/dc/elements/1.1/")");
    AddLine(lines, R"(  xmlns:admin="http://webns.net/mvcb/")");
    AddLine(lines, R"(  xml:lang="ja">)");
}

void AddElementIfAny(std::vector<std::string>& lines, std::string_view indent,
                     std::string_view name, const std::string& value) {
    if (!value.empty()) AddLine(lines, indent, "<", name, ">", Content{value}, "</", name, ">");
}

void AddChannel(std::vector<std::string>& lines, const TFeedDocument& document,
                const TFeedContext& context, const std::vector<TEntry>& entries) {
    const TChannelInfo& channel = document.Channel;
    if (channel.FeedAddress.empty())
        AddLine(lines, "  <channel>");
    else
        AddLine(lines, R"(  <channel rdf:about=")",
                Attribute{FeedOwnAddress(channel.FeedAddress, FeedNameText(context.FeedPath))},
                R"(">)");
    AddElementIfAny(lines, "    ", "title", channel.Title);
    AddElementIfAny(lines, "    ", "link", channel.HomeAddress);
    AddLine(lines, "    <dc:date>", FormatChannelDate(context.Now), "</dc:date>");
    AddElementIfAny(lines, "    ", "description", channel.Description);
    AddLine(lines, R"(    <admin:generatorAgent rdf:resource=")",
            Attribute{GeneratorAddress + context.VersionText}, R"(" />)");
    if (!channel.LogoImageAddress.empty())
        AddLine(lines, R"(    <image rdf:resource=")", Attribute{channel.LogoImageAddress},
                R"("/>)");
    AddLine(lines, "    <items>");
    AddLine(lines, "      <rdf:Seq>");
    for (const TEntry& entry : entries)
        AddLine(lines, R"(        <rdf:li rdf:resource=")", Attribute{entry.identifier}, R"("/>)");
    AddLine(lines, "      </rdf:Seq>");
    AddLine(lines, "    </items>");
    AddLine(lines, "  </channel>");
}

void AddImage(std::vector<std::string>& lines, const TChannelInfo& channel) {
    if (channel.LogoImageAddress.empty()) return;
    AddLine(lines, R"(  <image rdf:about=")", Attribute{channel.LogoImageAddress}, R"(">)");
    AddElementIfAny(lines, "    ", "title", channel.LogoTitle);
    AddElementIfAny(lines, "    ", "link", channel.LogoLinkAddress);
    AddLine(lines, "    <url>", Content{channel.LogoImageAddress}, "</url>");
    AddLine(lines, "  </image>");
}

void AddItem(std::vector<std::string>& lines, const TEntry& entry) {
    const TFeedItem& item = *entry.item;
    AddLine(lines, R"(  <item rdf:about=")", Attribute{entry.identifier}, R"(">)");
    AddLine(lines, "    <title>", Content{item.Title}, "</title>");
    AddLine(lines, "    <link>", Content{item.Address}, "</link>");
    AddLine(lines, "    <dc:date>", Content{item.Date}, "</dc:date>");
    AddLine(lines, "    <description>", Content{item.Description}, "</description>");
    AddLine(lines, "  </item>");
    AddLine(lines, "");
}

} // namespace

std::string FeedNameText(const std::string& feedPath) {
    std::string name;
    if (feedPath.empty() || !FileNameText(feedPath, name)) return UnresolvedFeedName();
    return name;
}

std::vector<int> PublishedRows(const TFeedDocument& document, size_t limit) {
    return PublishedRows([&document](int row) { return !document.Row(row).Title.empty(); }, limit);
}

std::vector<int> PublishedRows(const std::function<bool(int row)>& hasTitle, size_t limit) {
    std::vector<int> rows;
    for (int row = MaxItemRows; row >= 1 && rows.size() < limit; --row) {
        if (hasTitle(row)) rows.push_back(row);
    }
    return rows;
}

std::vector<std::string> ItemIdentifiers(const TFeedDocument& document) {
    std::vector<std::string> identifiers(MaxItemRows);
    std::unordered_map<std::string, int> seen; // compared identifier -> entries that have it
    for (int row = 1; row <= MaxItemRows; ++row) {
        const TFeedItem& item = document.Row(row);
        if (item.Title.empty()) continue;
        // "-" (0x2D) is never a trail byte, so every such byte is a hyphen of its own. A date
        // keeps no "-", so a suffixed identifier never equals another entry's own one.
        std::string date = item.Date;
        std::erase(date, '-');
        std::string identifier = item.Address + "#he" + date;
        const int count = ++seen[ComparedIdentifier(identifier)];
        if (count > 1) identifier += "-" + IntToStrSafe(count);
        identifiers[static_cast<size_t>(row - 1)] = std::move(identifier);
    }
    return identifiers;
}

std::string WebAddressIn(const std::string& folderAddress, const std::string& name) {
    return folderAddress + (LastCharIs(folderAddress, '/') ? "" : "/") + name;
}

std::string AddressHost(const std::string& address) {
    const size_t start = HostStart(address);
    return address.substr(start, HostEnd(address, start) - start);
}

std::string AddressAsSent(const std::string& address) {
    const size_t hostEnd = HostEnd(address, HostStart(address));
    std::string rest = address.substr(hostEnd);
    const bool ascii = std::all_of(rest.begin(), rest.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    if (ascii) return address;
    // The feed leaves out the bytes XML cannot carry; left out before the conversion, they do
    // not change how the bytes around them read, as they do not in the rest of the feed.
    std::erase_if(rest, [](char ch) { return !XmlCarries(ch); });
    return address.substr(0, hostEnd) +
           PercentEncode(Cp932ToUtf8(rest), TPercentEncoding::NonAscii);
}

std::string FeedOwnAddress(const std::string& folderAddress, const std::string& name) {
    if (name == UnresolvedFeedName()) return AddressAsSent(WebAddressIn(folderAddress, "")) + name;
    return AddressAsSent(WebAddressIn(folderAddress, name));
}

TFeedTime CurrentFeedTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900,
            local.tm_mon + 1,
            local.tm_mday,
            local.tm_hour,
            local.tm_min,
            local.tm_sec,
            static_cast<int>(local.tm_gmtoff / 60)};
}

std::string FormatChannelDate(const TFeedTime& t) {
    const int offset = t.UtcOffsetMinutes < 0 ? -t.UtcOffsetMinutes : t.UtcOffsetMinutes;
    return RightB("0000" + IntToStrSafe(t.Year), 4) + "-" + TwoDigits(t.Month) + "-" +
           TwoDigits(t.Day) + "T" + TwoDigits(t.Hour) + ":" + TwoDigits(t.Minute) + ":" +
           TwoDigits(t.Second) + (t.UtcOffsetMinutes < 0 ? "-" : "+") + TwoDigits(offset / 60) +
           ":" + TwoDigits(offset % 60);
}

std::string FeedFileName(const TFeedDocument& document) {
    const TChannelInfo& channel = document.Channel;
    const std::string tableName = ExtractFileName(document.FileName);
    std::string folder = document.FileName.substr(0, document.FileName.size() - tableName.size());
    if (!channel.SaveFolder.empty()) {
        if (!DirectoryExists(Cp932ToUtf8(DelPathDelim(channel.SaveFolder)))) return {};
        folder = Cp932ToUtf8(AddPathDelim(channel.SaveFolder));
    }
    return folder + LowerCaseFileName(
                        ChangeFileExt(tableName, channel.ExtensionIndex == 0 ? ".rdf" : ".xml"));
}

void BuildFeed(std::vector<std::string>& lines, const TFeedDocument& document,
               const TFeedContext& context) {
    lines.clear();
    const std::vector<TEntry> entries = SelectEntries(document);
    AddHeader(lines, document, context);
    AddChannel(lines, document, context, entries);
    AddImage(lines, document.Channel);
    for (const TEntry& entry : entries)
        AddItem(lines, entry);
    AddLine(lines, "</rdf:RDF>");
}

std::string JoinLines(const std::vector<std::string>& lines) {
    size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}
