#include "document/TableFile.h"

#include "document/Messages.h"
#include "text/LineReader.h"
#include "text/S_string.h"
#include "text/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

constexpr const char* FormatVersion = "1.00";
constexpr int ReservedLines = 9;
constexpr int FieldCapacity = 10;
constexpr size_t MaxVersionLength = 16;

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

// Reads the lines of one document, no more, however large the file: the lines together may hold
// at most MaxDocumentBytes.
class TTableReader {
public:
    explicit TTableReader(TLineReader& file) : file_(file) {}

    std::string Line() {
        std::string line;
        if (result_) result_ = file_.ReadLine(line, budget_);
        budget_ -= line.size();
        return line;
    }
    bool AtEnd() { return !result_ || file_.AtEnd(); }
    const TResult& Result() const { return result_; }

private:
    static constexpr size_t MaxDocumentBytes = size_t{256} << 20;

    TLineReader& file_;
    size_t budget_ = MaxDocumentBytes;
    TResult result_;
};

// A format version such as "1.00": digits, a point, digits.
bool IsVersionNumber(const std::string& line) {
    const size_t point = line.find('.');
    const auto digits = [&line](size_t from, size_t to) {
        return from < to && std::all_of(line.begin() + static_cast<std::ptrdiff_t>(from),
                                        line.begin() + static_cast<std::ptrdiff_t>(to),
                                        [](char ch) { return ch >= '0' && ch <= '9'; });
    };
    return point != std::string::npos && digits(0, point) && digits(point + 1, line.size());
}

void ReadChannel(TTableReader& file, TChannelInfo& channel) {
    for (std::string* field : LeadingTextFields(channel))
        *field = file.Line();
    // The radio group knows only rdf (0) and xml (1).
    channel.ExtensionIndex = StrToIntLoose(file.Line()) == 1 ? 1 : 0;
    channel.AutoDate = StrToIntLoose(file.Line()) != 0;
    channel.AutoAddress = StrToIntLoose(file.Line()) != 0;
    channel.StyleSheet = file.Line();
    for (int n = 0; n < ReservedLines; ++n)
        file.Line();
}

void ReadItems(TTableReader& file, TFeedDocument& document) {
    std::vector<std::string> fields;
    for (int row = 1; row <= MaxItemRows && !file.AtEnd(); ++row) {
        SplitTabFields(file.Line(), fields, FieldCapacity);
        for (int column = 0; column < ItemColumns; ++column)
            document.Row(row).Cell(column) = fields[static_cast<size_t>(column) + 1];
    }
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
    if (TResult written = WriteFileAtomic(path, TableFileText(document)); !written) return written;
    document.FileName = path;
    return {};
}

TResult LoadTableFile(TFeedDocument& document, const std::string& path) {
    TLineReader file;
    if (TResult opened = file.Open(path); !opened) return opened;
    std::string version;
    // A version line is short; anything longer is no table file, however it goes on.
    if (TResult read = file.ReadLine(version, MaxVersionLength); !read && read.Errno() != EFBIG)
        return read;
    if (!IsVersionNumber(version)) return TResult::Because(MsgNotTableFile());

    TFeedDocument loaded;
    loaded.FileName = path;
    TTableReader reader(file);
    ReadChannel(reader, loaded.Channel);
    ReadItems(reader, loaded);
    if (!reader.Result()) return reader.Result();
    document = std::move(loaded);
    return {};
}
