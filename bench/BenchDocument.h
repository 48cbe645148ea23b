#pragma once

// A full document for the benchmarks: 50 rows of Japanese text as long as the column captions
// allow, with markup characters to escape.

#include "document/FeedDocument.h"
#include "text/CodePage.h"

#include <string>

inline std::string Sjis(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

inline TFeedDocument FullDocument() {
    TFeedDocument document;
    document.Channel.Title = Sjis("ひだまり珈琲店 お知らせ");
    document.Channel.HomeAddress = "https://hidamari-coffee.example/";
    document.Channel.FeedAddress = "https://hidamari-coffee.example/news";
    document.Channel.Description = Sjis("東京・谷中の小さな自家焙煎珈琲店です。");
    std::string title, description;
    while (title.size() < 100)
        title += Sjis("新しい豆が入荷しました");
    while (description.size() < 400)
        description += Sjis("柑橘のような酸味と<甘み>が特徴です & ");
    for (int row = 1; row <= MaxItemRows; ++row) {
        document.Row(row) = {
            title, "2025-04-" + std::to_string(10 + row % 20),
            "https://hidamari-coffee.example/news/" + std::to_string(row) + ".html", description};
    }
    return document;
}
