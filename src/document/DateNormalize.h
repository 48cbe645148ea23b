#pragma once

// The dates of the entries. Texts are code page 932.

#include <optional>
#include <string>

// Brings a pasted date such as 2005/1/5 or 05/01/15 into the form yyyy-mm-dd. "/" becomes "-";
// when the first three parts read as non-zero numbers, the year (a two-digit year taken as 20xx)
// gets four digits and month and day two; anything after the day is dropped. Other texts come
// back with only their slashes replaced.
std::string NormalizeDate(const std::string& text);

// A date typed into a cell, as the feed wants it. A W3C date (IsW3cDate) and the empty text come
// back whole. Otherwise full-width digits and "／", "－" count as their ASCII forms, and
// yyyy/m/d, yyyy-m-d, yyyy年m月d日, m/d and m月d日 (of `thisYear`) with a real month and day
// become yyyy-mm-dd. Any other text is no date: nullopt, and the cell keeps what was typed.
std::optional<std::string> NormalizeTypedDate(const std::string& text, int thisYear);

// The status bar's word on a typed text that is no date, with an example date: "日付「12月上旬」
// はフィードの日付の形式ではありません。例: 2026-12-07".
std::string MsgNotFeedDate(const std::string& text, const std::string& example);

// A W3C date: yyyy, yyyy-mm, yyyy-mm-dd, or a day with the time hh:mm, hh:mm:ss or hh:mm:ss.s…
// followed by "Z" or an offset ±hh:mm; every part within its range (the day within its month).
bool IsW3cDate(const std::string& text);
