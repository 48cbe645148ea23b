#pragma once

// The program's settings file: sections of "key=value" lines in code page 932.
//
// Section and key names compare without regard to letter case; keys and values are trimmed of
// surrounding blanks. Comment lines (";"), other lines without "=" and the lines before the first
// section take no part in reading but are kept when the file is written back. Empty lines inside
// sections are dropped, because the writer puts one after every section itself.
//
// Whatever is written reads back the same: a section name ending in a lone lead byte gets a blank
// before its "]", and a key that a reader would take for something else (one holding "=" or
// beginning with ";" or "[") is refused. Finding a section or a key takes constant time, so
// loading and saving are linear in the file's size.
//
// A file is normally held in memory: Load() reads it, the Write and Erase calls change the copy
// and Save() writes it back whole (temporary file and rename). In write-through mode every read
// goes to the file as it is now and every change is saved at once.

#include "text/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class TIniFile {
public:
    TIniFile() = default;
    explicit TIniFile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    // Reads the file at Path(). A missing file reads as empty. On failure the content is empty too.
    TResult Load();

    // The whole content in the file's layout: every section followed by an empty line, CR LF.
    std::string Text() const;
    // Writes Text() over the file at Path(); on failure the file on disk is as it was.
    TResult Save() const;

    void SetWriteThrough(bool writeThrough) { writeThrough_ = writeThrough; }
    bool WriteThrough() const { return writeThrough_; }
    // The first failure of a write-through change (success when there was none).
    const TResult& WriteThroughError() const { return writeThroughError_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // The names of the sections, in the file's order.
    std::vector<std::string> SectionNames() const;
    // Decimal, or hexadecimal with a leading "$" or "0x"; anything else gives the fallback.
    int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
    // An integer, true when it is not 0.
    bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

    // Names and values are trimmed, and CR, LF and 0x1A (which ends the file for a reader) in them
    // become blanks, so a value can never start a line of its own; names given to the Read calls
    // and EraseSection are taken the same way. Returns false, changing nothing, for a key that
    // cannot be read back as written.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void EraseSection(const std::string& section);

private:
    struct TLine {
        bool isEntry = false;
        std::string key;   // entries
        std::string value; // entries
        std::string text;  // any other line, kept as it was read
    };
    struct TSection {
        std::string name;
        std::vector<TLine> lines;
        std::unordered_map<std::string, size_t> entries; // lower-cased key: its first line
    };

    void AddLine(const std::string& line, size_t& section);
    size_t FindSection(const std::string& name) const;
    size_t AddSection(const std::string& name);
    static void AddEntry(TSection& section, TLine entry);
    static size_t FindEntry(const TSection& section, const std::string& key);
    std::optional<std::string> Lookup(const std::string& section, const std::string& key) const;
    void Put(const std::string& section, const std::string& key, const std::string& value);
    template <typename Change> void ApplyChange(Change change);

    std::string path_;
    std::vector<std::string> preamble_;
    std::vector<TSection> sections_;
    std::unordered_map<std::string, size_t> sectionIndex_; // lower-cased name: its section
    bool writeThrough_ = false;
    TResult writeThroughError_;
};

// The name of a section kept for one file (settings per table file): `prefix` and the file's
// absolute, normalised path (a relative one taken from the current folder), with every byte other
// than small letters, digits and "/._-" written as "%" and two hexadecimal digits, so that two
// paths differing only in letter case (which section names do not tell apart) keep two sections,
// and any path reads back as written. The editor and orvanix-feed may name one file by different
// paths; this is the key both use.
std::string FileSectionName(std::string_view prefix, const std::string& path);
