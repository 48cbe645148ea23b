#include "TableFile.h"

#include "CodePage.h"
#include "S_string.h"
#include "TextFile.h"

#include <vector>

namespace {

constexpr const char* FormatVersion = "1.00";
constexpr int ReservedLines = 9;
constexpr int FieldCapacity = 10;

// A line of the file is always one row: TAB, CR and LF inside a field become blanks, and so
// does 0x1A, which would end the file for its reader.
std::string OneLine(std::string text) {
    for (char& ch : text) {
        if (ch == '\t' || ch == '\r' || ch == '\n' || ch == '\x1A') ch = ' ';
    }
    return text;
}

std::string ItemLine(const TFeedItem& item) {
    std::string line;
    for (int column = 0; column < ItemColumns; ++column) {
        if (column > 0) line += '\t';
        line += OneLine(item.Cell(column));
    }
    return line;
}

// Channel text fields in the order of lines 2 to 9 (const or not, as the channel is).
template <typename Channel> auto LeadingTextFields(Channel& c) {
    return std::array{&c.Title,     &c.HomeAddress,      &c.Description,     &c.FeedAddress,
                      &c.LogoTitle, &c.LogoImageAddress, &c.LogoLinkAddress, &c.SaveFolder};
}

void AppendLine(std::string& text, const std::string& line) {
    text += line;
    text += "\r\n";
}

void AppendChannel(std::string& text, const TChannelInfo& channel) {
    for (const std::string* field : LeadingTextFields(channel))
        AppendLine(text, OneLine(*field));
    AppendLine(text, IntToStrSafe(channel.ExtensionIndex));
    AppendLine(text, channel.AutoDate ? "1" : "0");
    AppendLine(text, channel.AutoAddress ? "1" : "0");
    AppendLine(text, OneLine(channel.StyleSheet));
}

void ReadChannel(TTextFile& file, TChannelInfo& channel) {
    for (std::string* field : LeadingTextFields(channel))
        *field = file.ReadTextLine();
    // The radio group knows only rdf (0) and xml (1).
    channel.ExtensionIndex = StrToIntLoose(file.ReadTextLine()) == 1 ? 1 : 0;
    channel.AutoDate = StrToIntLoose(file.ReadTextLine()) != 0;
    channel.AutoAddress = StrToIntLoose(file.ReadTextLine()) != 0;
    channel.StyleSheet = file.ReadTextLine();
    for (int n = 0; n < ReservedLines; ++n)
        file.ReadTextLine();
}

void ReadItems(TTextFile& file, TFeedDocument& document) {
    std::vector<std::string> fields;
    for (int row = 1; row <= MaxItemRows; ++row) {
        TFeedItem& item = document.Row(row);
        if (file.Eof()) {
            item = TFeedItem();
            continue;
        }
        SplitTabFields(file.ReadTextLine(), fields, FieldCapacity);
        for (int column = 0; column < ItemColumns; ++column)
            item.Cell(column) = fields[static_cast<size_t>(column) + 1];
    }
}

// File names on disk are UTF-8; the program holds them as code page 932.
std::string DiskPath(const std::string& path) {
    return Cp932ToUtf8(path);
}

} // namespace

std::string TableFileText(const TFeedDocument& document) {
    std::string text;
    AppendLine(text, FormatVersion);
    AppendChannel(text, document.Channel);
    for (int n = 0; n < ReservedLines; ++n)
        AppendLine(text, "");
    for (int row = 1; row <= MaxItemRows; ++row)
        AppendLine(text, ItemLine(document.Row(row)));
    return text;
}

TResult WriteTableFile(TFeedDocument& document, const std::string& path) {
    TTextFile file;
    if (TResult opened = OpenTextFile(DiskPath(path), 'O', file); !opened) return opened;
    file.Write(TableFileText(document));
    if (TResult closed = file.Close(); !closed) return closed;
    document.FileName = path;
    return {};
}

bool LoadTableFile(TFeedDocument& document, const std::string& path) {
    TTextFile file;
    if (!OpenTextFile(DiskPath(path), 'I', file)) return false;
    document.FileName = path;
    file.ReadTextLine(); // the format version is not checked
    ReadChannel(file, document.Channel);
    ReadItems(file, document);
    document.Modified = false;
    return true;
}
