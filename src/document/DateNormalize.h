#pragma once

// The dates of the entries. Texts are code page 932.

#include <optional>
#include <string>

// Brings a pasted date such as 2005/1/5 or 05/01/15 into the form yyyy-mm-dd. "/" becomes "-";
// when the first three parts read as non-zero numbers, the year (a two-digit year taken as 20xx)
// gets four digits and month and day two; anything after the day is dropped. Other texts come
// back with only their slashes replaced.
std::string NormalizeDate(const std::string& text);

// A day of the calendar.
struct TCalendarDay {
    int Year = 2000;
    int Month = 1;
    int Day = 1;
};

// A date typed into a cell, as the feed wants it. A W3C date (IsW3cDate) and the empty text come
// back whole. 今日 and 本日 give `today`, 明日 the day after, 昨日 the day before. Otherwise
// full-width digits count as ASCII, "／" and "・" as "/", "－", "ー" and "‐" as "-", "．" and "。"
// as "."; yyyy/m/d, yyyy-m-d, yyyy.m.d, yyyy年m月d日, and m/d, m.d, m月d日 (of today's year) become
// yyyy-mm-dd when they name a real day. The year may be one of an era: 令和, 平成 or 昭和, or its
// letter R, H or S, with one or two digits or 元 (R8.12.6, 平成元年1月8日), within the era's own
// days. A weekday in brackets after the date (12月13日(日), 12月13日（日曜日）) must be the date's.
// Any other text is no date: nullopt, and the cell keeps what was typed.
std::optional<std::string> NormalizeTypedDate(const std::string& text, const TCalendarDay& today);

// A pasted date: NormalizeDate's form when that is a W3C date, else the typed date's when the text
// reads as one, else NormalizeDate's form all the same.
std::string NormalizePastedDate(const std::string& text, const TCalendarDay& today);

// The status bar's word on a typed text that is no date, with an example date: "日付「12月上旬」
// はフィードの日付の形式ではありません。例: 2026-12-07".
std::string MsgNotFeedDate(const std::string& text, const std::string& example);

// A W3C date: yyyy, yyyy-mm, yyyy-mm-dd, or a day with the time hh:mm, hh:mm:ss or hh:mm:ss.s…
// followed by "Z" or an offset ±hh:mm; every part within its range (the day within its month).
bool IsW3cDate(const std::string& text);
