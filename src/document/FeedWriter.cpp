#include "FeedWriter.h"

#include "CodePage.h"
#include "FileNames.h"
#include "MakerPages.h"
#include "Messages.h"
#include "S_string.h"
#include "TextFile.h"
#include "XmlEscape.h"

#include <ctime>
#include <set>

namespace {

std::string Content(const std::string& text) {
    return EscapeXml(RemoveXmlControlBytes(text));
}
std::string Attribute(const std::string& text) {
    return EscapeXmlAttribute(RemoveXmlControlBytes(text));
}

std::string TwoDigits(int value) {
    return RightB("00" + IntToStrSafe(value), 2);
}

// Rows with a title, from the bottom row up, at most MaxFeedItems of them: the newest first.
std::vector<const TFeedItem*> SelectEntries(const TFeedDocument& document) {
    std::vector<const TFeedItem*> entries;
    for (int row = MaxItemRows; row >= 1 && entries.size() < MaxFeedItems; --row) {
        if (!document.Row(row).Title.empty()) entries.push_back(&document.Row(row));
    }
    return entries;
}

// The entry's address with a fragment of its date, so one page announced on two dates has two
// identifiers: "#he" and the date without its hyphens.
std::string Identifier(const TFeedItem& item) {
    // "-" (0x2D) is never a trail byte, so every such byte is a hyphen of its own.
    std::string date = item.Date;
    std::erase(date, '-');
    return item.Address + "#he" + date;
}

bool IdentifiersUnique(const std::vector<const TFeedItem*>& entries) {
    std::set<std::string> seen;
    bool unique = true;
    for (const TFeedItem* item : entries) {
        if (!seen.insert(LowerCaseAnsi(Identifier(*item))).second) unique = false;
    }
    return unique;
}

std::string StyleSheetHref(const TFeedDocument& document, const std::string& override) {
    if (!override.empty()) return override == "*" ? std::string() : override;
    const std::string& sheet = document.Channel.StyleSheet;
    if (!sheet.empty() && PosIn(sheet, "/") == 0) return "./" + sheet;
    return sheet;
}

void AddHeader(std::vector<std::string>& lines, const TFeedDocument& document,
               const TFeedContext& context) {
    lines.push_back(R"(<?xml version="1.0" encoding="UTF-8"?>)");
    const std::string href = StyleSheetHref(document, context.StyleSheetOverride);
    if (!href.empty())
        lines.push_back(R"(<?xml-stylesheet type="text/xsl" href=")" + Attribute(href) + R"("?>)");
    lines.push_back("<rdf:RDF");
    lines.push_back(R"(  xmlns="http://purl.org/rss/1.0/")");
    lines.push_back(R"(  xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#")");
    lines.push_back(R"(  xmlns:dc="http://purl.org/dc/elements/1.1/")");
    lines.push_back(R"(  xmlns:admin="http://webns.net/mvcb/")");
    lines.push_back(R"(  xml:lang="ja">)");
}

void AddElementIfAny(std::vector<std::string>& lines, const std::string& indent,
                     const std::string& name, const std::string& value) {
    if (!value.empty())
        lines.push_back(indent + "<" + name + ">" + Content(value) + "</" + name + ">");
}

// The feed file's own name as the channel's address ends with it.
std::string FeedNameText(const std::string& feedPath) {
    std::string name;
    if (feedPath.empty() || !FileNameText(feedPath, name)) return UnresolvedFeedName();
    return name;
}

void AddChannel(std::vector<std::string>& lines, const TFeedDocument& document,
                const TFeedContext& context, const std::vector<const TFeedItem*>& entries) {
    const TChannelInfo& channel = document.Channel;
    if (channel.FeedAddress.empty())
        lines.push_back("  <channel>");
    else
        lines.push_back(
            R"(  <channel rdf:about=")" +
            Attribute(WebAddressIn(channel.FeedAddress, FeedNameText(context.FeedPath))) + R"(">)");
    AddElementIfAny(lines, "    ", "title", channel.Title);
    AddElementIfAny(lines, "    ", "link", channel.HomeAddress);
    lines.push_back("    <dc:date>" + FormatChannelDate(context.Now) + "</dc:date>");
    AddElementIfAny(lines, "    ", "description", channel.Description);
    lines.push_back(R"(    <admin:generatorAgent rdf:resource=")" +
                    Attribute(GeneratorAddress + context.VersionText) + R"(" />)");
    if (!channel.LogoImageAddress.empty())
        lines.push_back(R"(    <image rdf:resource=")" + Attribute(channel.LogoImageAddress) +
                        R"("/>)");
    lines.push_back("    <items>");
    lines.push_back("      <rdf:Seq>");
    for (const TFeedItem* item : entries)
        lines.push_back(R"(        <rdf:li rdf:resource=")" + Attribute(Identifier(*item)) +
                        R"("/>)");
    lines.push_back("      </rdf:Seq>");
    lines.push_back("    </items>");
    lines.push_back("  </channel>");
}

void AddImage(std::vector<std::string>& lines, const TChannelInfo& channel) {
    if (channel.LogoImageAddress.empty()) return;
    lines.push_back(R"(  <image rdf:about=")" + Attribute(channel.LogoImageAddress) + R"(">)");
    AddElementIfAny(lines, "    ", "title", channel.LogoTitle);
    AddElementIfAny(lines, "    ", "link", channel.LogoLinkAddress);
    lines.push_back("    <url>" + Content(channel.LogoImageAddress) + "</url>");
    lines.push_back("  </image>");
}

void AddItem(std::vector<std::string>& lines, const TFeedItem& item) {
    lines.push_back(R"(  <item rdf:about=")" + Attribute(Identifier(item)) + R"(">)");
    lines.push_back("    <title>" + Content(item.Title) + "</title>");
    lines.push_back("    <link>" + Content(item.Address) + "</link>");
    lines.push_back("    <dc:date>" + Content(item.Date) + "</dc:date>");
    lines.push_back("    <description>" + Content(item.Description) + "</description>");
    lines.push_back("  </item>");
    lines.push_back("");
}

} // namespace

std::string WebAddressIn(const std::string& folderAddress, const std::string& name) {
    return folderAddress + (LastCharIs(folderAddress, '/') ? "" : "/") + name;
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

bool BuildFeed(std::vector<std::string>& lines, const TFeedDocument& document,
               const TFeedContext& context) {
    lines.clear();
    const std::vector<const TFeedItem*> entries = SelectEntries(document);
    AddHeader(lines, document, context);
    AddChannel(lines, document, context, entries);
    AddImage(lines, document.Channel);
    for (const TFeedItem* item : entries)
        AddItem(lines, *item);
    lines.push_back("</rdf:RDF>");
    return IdentifiersUnique(entries);
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}
