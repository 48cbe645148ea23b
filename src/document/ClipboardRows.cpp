#include "document/ClipboardRows.h"

#include "text/CodePage.h"
#include "text/S_string.h"

#include <algorithm>

namespace {

constexpr char Quote = '"';
constexpr char LineBreak = '\n'; // a line break inside a cell, until it is joined

bool IsLineEnd(char ch) {
    return ch == '\r' || ch == '\n';
}

// Bytes of the line end at `at`: 2 for CR LF, else 1.
size_t LineEndLength(const std::string& text, size_t at) {
    return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

// A character of Japanese script: a double-byte character or a half-width kana.
bool IsJapaneseAt(const std::string& text, size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    return (byte >= 0xA1 && byte <= 0xDF) || CharLengthAt(text, at) == 2;
}

// Each run of line breaks joined: nothing between two Japanese characters, else a blank for each.
std::string JoinLineBreaks(const std::string& text) {
    std::string joined;
    joined.reserve(text.size());
    bool japaneseBefore = false;
    for (size_t at = 0; at < text.size();) {
        if (text[at] != LineBreak) {
            const size_t length = std::min(CharLengthAt(text, at), text.size() - at);
            japaneseBefore = IsJapaneseAt(text, at);
            joined.append(text, at, length);
            at += length;
            continue;
        }
        const size_t end = std::min(text.find_first_not_of(LineBreak, at), text.size());
        if (!japaneseBefore || end == text.size() || !IsJapaneseAt(text, end))
            joined.append(end - at, ' ');
        at = end;
    }
    return joined;
}

const std::string& ReplacementMark() {
    static const std::string mark = Utf8ToCp932("〓").value();
    return mark;
}

class TReader {
public:
    TReader(const std::string& text, const std::vector<TUnheldCharacter>& unheld, size_t maxRows)
        : text_(text), unheld_(unheld), maxRows_(maxRows) {}

    TClipboardRows Read() {
        if (text_.empty() || maxRows_ == 0) return std::move(result_);
        result_.Rows.emplace_back();
        while (true) {
            ReadCell();
            if (at_ >= text_.size()) break;
            if (text_[at_] == '\t') {
                ++at_;
                continue;
            }
            at_ += LineEndLength(text_, at_);
            // A line end at the end starts no further row.
            if (at_ >= text_.size() || result_.Rows.size() == maxRows_) break;
            result_.Rows.emplace_back();
        }
        return std::move(result_);
    }

private:
    void ReadCell() {
        std::string& cell = result_.Rows.back().emplace_back();
        if (!(at_ < text_.size() && text_[at_] == Quote && at_ >= plainUntil_ && ReadQuoted(cell)))
            ReadPlain(cell);
        NoteReplacedCharacters();
    }

    // The replaced characters of the cell just read, which ends at at_.
    void NoteReplacedCharacters() {
        const auto row = static_cast<int>(result_.Rows.size()) - 1;
        const auto column = static_cast<int>(result_.Rows.back().size()) - 1;
        for (; nextUnheld_ < unheld_.size() && unheld_[nextUnheld_].At < at_; ++nextUnheld_)
            result_.Replaced.push_back({row, column, unheld_[nextUnheld_].CodePoint});
    }

    // The cell up to the next TAB or line end, as it stands.
    void ReadPlain(std::string& cell) {
        const size_t end = text_.find_first_of("\t\r\n", at_);
        const size_t stop = end == std::string::npos ? text_.size() : end;
        cell.assign(text_, at_, stop - at_);
        at_ = stop;
    }

    // A quoted cell from its opening quote at at_. False, with at_ and the count unchanged, when
    // the quoting does not close properly; the cells that start before where it stopped are then
    // read as plain text, so no byte is scanned as quoted twice.
    bool ReadQuoted(std::string& cell) {
        int lineBreaks = 0;
        for (size_t next = at_ + 1; next < text_.size();) {
            const char ch = text_[next];
            if (ch == Quote && next + 1 < text_.size() && text_[next + 1] == Quote) {
                cell += Quote;
                next += 2;
            } else if (ch == Quote) {
                if (next + 1 < text_.size() && text_[next + 1] != '\t' &&
                    !IsLineEnd(text_[next + 1]))
                    return Refuse(next);
                at_ = next + 1;
                result_.JoinedLineBreaks += lineBreaks;
                if (lineBreaks > 0) cell = JoinLineBreaks(cell);
                return true;
            } else if (IsLineEnd(ch)) {
                cell += LineBreak;
                ++lineBreaks;
                next += LineEndLength(text_, next);
            } else {
                cell += ch == '\t' ? ' ' : ch;
                ++next;
            }
        }
        return Refuse(text_.size());
    }

    bool Refuse(size_t reached) {
        plainUntil_ = reached;
        return false;
    }

    const std::string& text_;
    const std::vector<TUnheldCharacter>& unheld_;
    const size_t maxRows_;
    size_t at_ = 0;
    size_t plainUntil_ = 0; // cells starting before this offset are plain text
    size_t nextUnheld_ = 0;
    TClipboardRows result_;
};

} // namespace

TClipboardRows ReadClipboardRows(const std::string& utf8, size_t maxRows) {
    std::vector<TUnheldCharacter> unheld;
    const std::string text = Utf8ToCp932Replacing(utf8, ReplacementMark(), unheld);
    return TReader(text, unheld, maxRows).Read();
}

TClipboardCell ReadClipboardCell(const std::string& utf8) {
    const TClipboardRows read = ReadClipboardRows(utf8);
    TClipboardCell cell;
    cell.JoinedLines = read.JoinedLineBreaks;
    std::string lines;
    for (const std::vector<std::string>& row : read.Rows) {
        if (&row != &read.Rows.front()) {
            lines += LineBreak;
            ++cell.JoinedLines;
        }
        for (const std::string& field : row) {
            if (&field != &row.front()) lines += ' ';
            lines += field;
        }
    }
    cell.Text = JoinLineBreaks(lines);
    for (const TReplacedCharacter& replaced : read.Replaced)
        cell.Replaced.push_back(replaced.CodePoint);
    return cell;
}
