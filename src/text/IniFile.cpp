#include "IniFile.h"

#include "S_string.h"
#include "TextFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstddef>
#include <string_view>

namespace {

constexpr size_t None = std::string::npos;

std::string TrimBlanks(const std::string& text) {
    const auto isBlank = [](char ch) { return static_cast<unsigned char>(ch) <= 0x20; };
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && LowerCaseAnsi(a) == LowerCaseAnsi(b);
}

// "]" is also a trail byte of code page 932, so the closing bracket must be a character of its own.
bool EndsWithBracket(const std::string& text) {
    size_t last = 0;
    for (size_t at = 0; at < text.size();
         at += IsLeadByte(static_cast<unsigned char>(text[at])) ? 2 : 1)
        last = at;
    return last == text.size() - 1 && text[last] == ']';
}

bool IsSectionHeader(const std::string& trimmed) {
    return trimmed.size() >= 2 && trimmed.front() == '[' && EndsWithBracket(trimmed);
}

// What is written is what a reader of the file gets back: one line, trimmed.
std::string Clean(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char ch) { return ch == '\r' || ch == '\n'; }, ' ');
    return TrimBlanks(text);
}

} // namespace

TResult TIniFile::Load() {
    preamble_.clear();
    sections_.clear();
    TTextFile file;
    const TResult opened = OpenTextFile(path_, 'R', file);
    if (opened.Errno() == ENOENT) return {}; // no file yet: an empty one
    if (!opened) return opened;
    size_t section = None;
    while (!file.Eof())
        AddLine(file.ReadTextLine(), section);
    return {};
}

void TIniFile::AddLine(const std::string& line, size_t& section) {
    const std::string trimmed = TrimBlanks(line);
    if (IsSectionHeader(trimmed)) {
        const std::string name = TrimBlanks(trimmed.substr(1, trimmed.size() - 2));
        // A section named twice continues the first one, so no key hides behind another.
        section = FindSection(name);
        if (section == None) {
            section = sections_.size();
            sections_.push_back({name, {}});
        }
        return;
    }
    if (section == None) {
        preamble_.push_back(line);
        return;
    }
    if (trimmed.empty()) return;
    const size_t equals = trimmed.find('=');
    TLine entry;
    if (trimmed.front() == ';' || equals == None) {
        entry.text = line;
    } else {
        entry.isEntry = true;
        entry.key = TrimBlanks(trimmed.substr(0, equals));
        entry.value = TrimBlanks(trimmed.substr(equals + 1));
    }
    sections_[section].lines.push_back(std::move(entry));
}

std::string TIniFile::Text() const {
    std::string text;
    for (const std::string& line : preamble_)
        text += line + "\r\n";
    for (const TSection& section : sections_) {
        text += "[" + section.name + "]\r\n";
        for (const TLine& line : section.lines)
            text += (line.isEntry ? line.key + "=" + line.value : line.text) + "\r\n";
        text += "\r\n";
    }
    return text;
}

TResult TIniFile::Save() const {
    return WriteFileAtomic(path_, Text());
}

size_t TIniFile::FindSection(const std::string& name) const {
    for (size_t i = 0; i < sections_.size(); ++i)
        if (SameName(sections_[i].name, name)) return i;
    return None;
}

size_t TIniFile::FindEntry(const TSection& section, const std::string& key) {
    for (size_t i = 0; i < section.lines.size(); ++i)
        if (section.lines[i].isEntry && SameName(section.lines[i].key, key)) return i;
    return None;
}

std::optional<std::string> TIniFile::Lookup(const std::string& section,
                                            const std::string& key) const {
    if (writeThrough_) {
        TIniFile current(path_);
        current.Load();
        return current.Lookup(section, key);
    }
    const size_t s = FindSection(section);
    if (s == None) return std::nullopt;
    const size_t line = FindEntry(sections_[s], key);
    if (line == None) return std::nullopt;
    return sections_[s].lines[line].value;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
    return Lookup(section, key).value_or(fallback);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
    const std::optional<std::string> text = Lookup(section, key);
    return text ? StrToIntStrict(*text).value_or(fallback) : fallback;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

template <typename Change> void TIniFile::ApplyChange(Change change) {
    if (!writeThrough_) {
        change();
        return;
    }
    // Saving after a failed read would drop every other section, so a change needs both.
    TResult result = Load();
    if (result) {
        change();
        result = Save();
    }
    if (writeThroughError_) writeThroughError_ = result;
}

void TIniFile::Put(const std::string& section, const std::string& key, const std::string& value) {
    size_t s = FindSection(section);
    if (s == None) {
        s = sections_.size();
        sections_.push_back({section, {}});
    }
    std::vector<TLine>& lines = sections_[s].lines;
    const size_t line = FindEntry(sections_[s], key);
    if (line != None)
        lines[line].value = value;
    else
        lines.push_back({true, key, value, {}});
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    ApplyChange([&] { Put(Clean(section), Clean(key), Clean(value)); });
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::EraseSection(const std::string& section) {
    ApplyChange([&] {
        const size_t s = FindSection(section);
        if (s != None) sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(s));
    });
}
