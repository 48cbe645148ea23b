#pragma once

// The bridge between Qt's QString and the program's texts, which are code page 932 byte strings.
// Every conversion goes through UTF-8 and the text layer's code page tables.

#include <QString>

#include <optional>
#include <string>

// Code page 932 bytes as a QString; a byte sequence the code page does not define shows as U+FFFD.
QString FromCp932(const std::string& text);

// QString as code page 932 bytes, for text already known to be encodable. A character the code
// page cannot hold becomes "?", so the call never fails and never drops the rest of the text.
std::string ToCp932(const QString& text);

// QString as code page 932 bytes; nothing when a character has no code page 932 form.
std::optional<std::string> TryToCp932(const QString& text);

// The number of code page 932 bytes of `text` (a double-byte character counts two; a character
// the code page cannot hold counts one, as its "?" does).
int Cp932Length(const QString& text);

// True when every character of `text` has a code page 932 form.
bool IsCp932Encodable(const QString& text);

// `text` as it comes back from code page 932: what an edit box shows is what is saved.
QString Cp932RoundTrip(const QString& text);

// `text` split into the code page 932 bytes of the characters the code page can hold and the
// characters it cannot, each of those named once in the order of its first appearance.
struct TEncodableSplit {
    std::string Bytes;
    QString Refused;
};
TEncodableSplit SplitEncodable(const QString& text);

// The message that names characters the program cannot hold, for the window's status bar.
QString UnusableCharactersMessage(const QString& characters);

// `text` for quoting in a one-line message: at most a few characters, "…" marking a cut.
QString QuotedExcerpt(const QString& text);
