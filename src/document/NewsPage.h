#pragma once

// The site's news page, made from the same entries as the feed: every entry with a title (up to
// MaxItemRows), newest first as the feed has them, with the channel's title, home page and
// description and a link to the feed. The page is HTML5 in UTF-8, readable on a phone, with no
// script; a list file holds the entries alone for a site that includes them into a page of its
// own. A Mustache template chosen by the user (NewsTemplate.h) may take the built-in page's place.
//
// Every text is taken as the page can carry it: converted from code page 932 to UTF-8 and without
// the control characters HTML may not hold; it is escaped where it is written. An address becomes
// a link only when a browser can follow it as it stands (PageLink); a date goes into
// <time datetime> only when HTML reads it as one (PageDateTime). Building cannot fail.

#include "document/FeedDocument.h"

#include <optional>
#include <string>
#include <vector>

// One entry as the page shows it; UTF-8, not yet escaped; empty: the page shows none.
struct TNewsEntry {
    std::string Title;
    std::string Link;      // an address a browser can follow
    std::string DateTime;  // the date as <time datetime> takes it
    std::string DateShown; // "2026年12月7日", or the date cell's text when it is no date
    std::string Description;
};

struct TNewsPageData {
    std::string SiteTitle;
    std::string SiteLink; // the home page
    std::string SiteDescription;
    std::string FeedLink; // the feed's own address, or its file name beside the page
    std::vector<TNewsEntry> Entries;
};

// What the page shows of `document`, whose feed is written at `feedPath`.
TNewsPageData NewsPageData(const TFeedDocument& document, const std::string& feedPath);

// The built-in page, and the list file's text (the entries alone); UTF-8 with CR LF line ends.
std::string BuiltInNewsPage(const TNewsPageData& data);
std::string NewsListText(const TNewsPageData& data);

// The list file's name for the page named `pageName`: "-list" before its extension
// (news.html gives news-list.html).
std::string NewsListName(const std::string& pageName);

// An address (code page 932 text) as a link (UTF-8): an http or https address with a plain host,
// or an address relative to the page, with what an address cannot carry as it stands
// percent-encoded. Nothing for an empty address, another scheme (javascript:, file:) or a host
// a browser would refuse.
std::optional<std::string> PageLink(const std::string& address);

// The date as <time datetime> takes it: a W3C date (IsW3cDate) from the year 1 on, with at most
// three digits of a second's fraction; nothing for any other text.
std::optional<std::string> PageDateTime(const std::string& date);

// A date as a Japanese reader writes it: 2026年12月7日 (2026年12月, 2026年; a time of day as
// " 18:05" after the day). Nothing for a text that PageDateTime refuses.
std::optional<std::string> JapaneseDate(const std::string& date);
