#include "text/IniFile.h"

#include "text/PercentEncode.h"
#include "text/S_string.h"
#include "text/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstddef>
#include <filesystem>
#include <string_view>

namespace {

constexpr size_t None = std::string::npos;

std::string TrimBlanks(const std::string& text) {
    const auto isBlank = [](char ch) { return static_cast<unsigned char>(ch) <= 0x20; };
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
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

// What is written is what a reader of the file gets back: one line, trimmed, whole.
std::string Clean(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char ch) { return ch == '\r' || ch == '\n' || ch == '\x1A'; },
        ' ');
    return TrimBlanks(text);
}

// A reader splits an entry at its first "=" and takes a line beginning with ";" for a comment
// and one beginning with "[" for a possible header.
bool ReadsBackAsKey(const std::string& key) {
    return key.find('=') == None && !key.starts_with(';') && !key.starts_with('[');
}

// A name ending in a lone lead byte would take the "]" for its trail byte; a blank after it
// keeps the bracket a character of its own and is trimmed again on reading.
std::string SectionHeader(const std::string& name) {
    std::string header = "[" + name + "]";
    if (!EndsWithBracket(header)) header.insert(header.size() - 1, 1, ' ');
    return header;
}

} // namespace

TResult TIniFile::Load() {
    preamble_.clear();
    sections_.clear();
    sectionIndex_.clear();
    TTextFile file;
    const TResult opened = OpenTextFile(path_, file);
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
        section = AddSection(name);
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
    AddEntry(sections_[section], std::move(entry));
}

std::string TIniFile::Text() const {
    std::string text;
    const auto endLine = [&text] { text += "\r\n"; };
    for (const std::string& line : preamble_) {
        text += line;
        endLine();
    }
    for (const TSection& section : sections_) {
        text += SectionHeader(section.name);
        endLine();
        for (const TLine& line : section.lines) {
            if (line.isEntry) {
                text += line.key;
                text += '=';
                text += line.value;
            } else {
                text += line.text;
            }
            endLine();
        }
        endLine();
    }
    return text;
}

TResult TIniFile::Save() const {
    return WriteFileAtomic(path_, Text());
}

size_t TIniFile::FindSection(const std::string& name) const {
    const auto found = sectionIndex_.find(LowerCaseAnsi(name));
    return found == sectionIndex_.end() ? None : found->second;
}

size_t TIniFile::AddSection(const std::string& name) {
    const auto [found, added] = sectionIndex_.try_emplace(LowerCaseAnsi(name), sections_.size());
    if (added) sections_.push_back({name, {}, {}});
    return found->second;
}

size_t TIniFile::FindEntry(const TSection& section, const std::string& key) {
    const auto found = section.entries.find(LowerCaseAnsi(key));
    return found == section.entries.end() ? None : found->second;
}

void TIniFile::AddEntry(TSection& section, TLine line) {
    // A key given twice is read from its first line; the later ones are kept as they are.
    if (line.isEntry) section.entries.try_emplace(LowerCaseAnsi(line.key), section.lines.size());
    section.lines.push_back(std::move(line));
}

std::optional<std::string> TIniFile::Lookup(const std::string& section,
                                            const std::string& key) const {
    if (writeThrough_) {
        TIniFile current(path_);
        if (!current.Load()) return std::nullopt;
        return current.Lookup(section, key);
    }
    // Names are looked up as they are written, so what was written under a name is found by it.
    const size_t s = FindSection(Clean(section));
    if (s == None) return std::nullopt;
    const size_t line = FindEntry(sections_[s], Clean(key));
    if (line == None) return std::nullopt;
    return sections_[s].lines[line].value;
}

std::vector<std::string> TIniFile::SectionNames() const {
    if (writeThrough_) {
        TIniFile current(path_);
        if (!current.Load()) return {};
        return current.SectionNames();
    }
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const TSection& section : sections_)
        names.push_back(section.name);
    return names;
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
    // The first failure is the one kept.
    if (writeThroughError_.Ok()) writeThroughError_ = result;
}

void TIniFile::Put(const std::string& section, const std::string& key, const std::string& value) {
    TSection& target = sections_[AddSection(section)];
    const size_t line = FindEntry(target, key);
    if (line != None)
        target.lines[line].value = value;
    else
        AddEntry(target, {true, key, value, {}});
}

bool TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    const std::string cleanKey = Clean(key);
    if (!ReadsBackAsKey(cleanKey)) return false;
    ApplyChange([&] { Put(Clean(section), cleanKey, Clean(value)); });
    return true;
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::EraseSection(const std::string& section) {
    ApplyChange([&] {
        const std::string name = Clean(section);
        const size_t s = FindSection(name);
        if (s == None) return;
        sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(s));
        sectionIndex_.erase(LowerCaseAnsi(name));
        for (auto& [lowerName, index] : sectionIndex_)
            if (index > s) --index;
    });
}

std::string FileSectionName(std::string_view prefix, const std::string& path) {
    return std::string(prefix) +
           PercentEncode(std::filesystem::absolute(path).lexically_normal().string(),
                         TPercentEncoding::FoldedPath);
}
