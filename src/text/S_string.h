#pragma once

// Helpers for code page 932 byte strings. Positions are 1-based. "B" helpers count bytes,
// "C" helpers count characters, a double-byte character counting as one. None of them throws.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The full-width space of code page 932.
inline constexpr std::string_view FullWidthSpace = "\x81\x40";

bool IsLeadByte(unsigned char byte);

// Length in bytes of the character that starts at byte offset `at` (0-based): 2 after a lead
// byte, even when it is the last byte; 1 for a lead byte followed by a byte below 0x40.
size_t CharLengthAt(const std::string& text, size_t at);

// True when the last character is the single-byte `ch` (a double-byte character never is).
bool LastCharIs(const std::string& text, char ch);

std::string AddPathDelim(const std::string& path);
std::string DelPathDelim(const std::string& path);

std::string SpaceStr(int count);
std::string CopyB(const std::string& text, int from, int count);
std::string CopyFromB(const std::string& text, int from);
std::string CopyFromC(const std::string& text, int index);
std::string LeftB(const std::string& text, int count);
std::string RightB(const std::string& text, int count);
int PosIn(const std::string& text, const std::string& sub);

std::string IntToStrSafe(long long value);
// Leading blanks, a sign, then decimal digits or "$"/"0x" and hexadecimal digits to the end of
// the text, within the range of int; nothing otherwise.
std::optional<int> StrToIntStrict(std::string_view text);
// 0 for an empty text; else the strict value, or failing that the value of the leading sign
// and decimal digits (12abc gives 12, abc gives 0). Never fails.
int StrToIntLoose(const std::string& text);

std::string TrimRightAll(const std::string& text);
std::string TrimLeftAll(const std::string& text);
std::string TrimAll(const std::string& text);

int PosC(const std::string& text, const std::string& sub);
int AnsiPosB(const std::string& text, const std::string& sub);
int AnsiPosFromB(int from, const std::string& text, const std::string& sub);
int LengthC(const std::string& text);
std::string CopyC(const std::string& text, int index, int count);

// Cuts `text` at each `delimiter` found on a character boundary into fields[1..capacity];
// fields[0] is unused. With `trim`, every field is trimmed and empty ones are dropped. A text
// with more fields than the capacity keeps the rest, delimiters included, in the last field.
// Returns the number of fields stored.
int SplitFields(const std::string& text, const std::string& delimiter, bool trim, int capacity,
                std::vector<std::string>& fields);
int SplitTabFields(const std::string& text, std::vector<std::string>& fields, int capacity);

// The file-name part of a path (after the last "/"), and the path with its file name's extension
// (from its last ".") replaced by `extension`, or `extension` appended when it has none.
std::string ExtractFileName(const std::string& path);
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// Byte string with every ASCII capital turned into a small letter (LowerCaseAnsi) or every ASCII
// small letter into a capital (UpperCaseAnsi); double-byte characters, trail bytes included, stay
// as they are.
std::string LowerCaseAnsi(const std::string& text);
std::string UpperCaseAnsi(const std::string& text);
