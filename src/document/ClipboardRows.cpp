#include "document/ClipboardRows.h"

namespace {

constexpr char Quote = '"';

bool IsLineEnd(char ch) {
    return ch == '\r' || ch == '\n';
}

// Bytes of the line end at `at`: 2 for CR LF, else 1.
size_t LineEndLength(const std::string& text, size_t at) {
    return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

class TReader {
public:
    explicit TReader(const std::string& text) : text_(text) {}

    TClipboardRows Read() {
        if (text_.empty()) return std::move(result_);
        result_.Rows.emplace_back();
        while (true) {
            ReadCell();
            if (at_ >= text_.size()) break;
            if (text_[at_] == '\t') {
                ++at_;
                continue;
            }
            at_ += LineEndLength(text_, at_);
            if (at_ >= text_.size()) break; // a line end at the end starts no further row
            result_.Rows.emplace_back();
        }
        return std::move(result_);
    }

private:
    void ReadCell() {
        std::string& cell = result_.Rows.back().emplace_back();
        if (at_ < text_.size() && text_[at_] == Quote && at_ >= plainUntil_ && ReadQuoted(cell))
            return;
        ReadPlain(cell);
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
                return true;
            } else if (IsLineEnd(ch)) {
                cell += ' ';
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
    size_t at_ = 0;
    size_t plainUntil_ = 0; // cells starting before this offset are plain text
    TClipboardRows result_;
};

} // namespace

TClipboardRows ReadClipboardRows(const std::string& text) {
    return TReader(text).Read();
}

TClipboardCell ReadClipboardCell(const std::string& text) {
    TClipboardRows read = ReadClipboardRows(text);
    TClipboardCell cell;
    cell.JoinedLines = read.JoinedLineBreaks;
    for (const std::vector<std::string>& row : read.Rows) {
        if (&row != &read.Rows.front()) {
            cell.Text += ' ';
            ++cell.JoinedLines;
        }
        for (const std::string& field : row) {
            if (&field != &row.front()) cell.Text += ' ';
            cell.Text += field;
        }
    }
    return cell;
}
