#include "document/TableFile.h"

#include "document/ChannelFields.h"
#include "document/Messages.h"
#include "text/LineReader.h"
#include "text/S_string.h"
#include "text/TextFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

namespace {

constexpr const char* FormatVersion = "1.00";
// Lines 2 to 22 hold the channel; those no field uses (14 to 22) stay empty. The entries follow.
constexpr int FirstChannelLine = 2;
constexpr int ExtensionLine = 10;
constexpr int AutoDateLine = 11;
constexpr int AutoAddressLine = 12;
constexpr int FirstItemLine = 23;
static_assert(FirstItemLine + MaxItemRows - 1 == TableFileLines);
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

// The channel's lines, by line number.
class TChannelLines {
public:
    std::string& operator[](int line) {
        return lines_.at(static_cast<size_t>(line - FirstChannelLine));
    }
    std::array<std::string, FirstItemLine - FirstChannelLine>& All() { return lines_; }

private:
    std::array<std::string, FirstItemLine - FirstChannelLine> lines_;
};

void AppendLine(std::string& text, const std::string& line) {
    text += line;
    text += "\r\n";
}

void AppendChannel(std::string& text, const TChannelInfo& channel) {
    TChannelLines lines;
    for (const TChannelTextField& field : ChannelTextFields())
        lines[field.TableLine] = OneLine(channel.*field.Text);
    lines[ExtensionLine] = IntToStrSafe(channel.ExtensionIndex);
    lines[AutoDateLine] = channel.AutoDate ? "1" : "0";
    lines[AutoAddressLine] = channel.AutoAddress ? "1" : "0";
    for (const std::string& line : lines.All())
        AppendLine(text, line);
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
    TChannelLines lines;
    for (std::string& line : lines.All())
        line = file.Line();
    for (const TChannelTextField& field : ChannelTextFields())
        channel.*field.Text = std::move(lines[field.TableLine]);
    // The radio group knows only rdf (0) and xml (1).
    channel.ExtensionIndex = StrToIntLoose(lines[ExtensionLine]) == 1 ? 1 : 0;
    channel.AutoDate = StrToIntLoose(lines[AutoDateLine]) != 0;
    channel.AutoAddress = StrToIntLoose(lines[AutoAddressLine]) != 0;
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
