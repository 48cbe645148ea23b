#pragma once

// The document the editor keeps: one news feed, its channel fields and a fixed table of entries.
// Every text is code page 932, the save folder included (it is a field the user types). FileName
// alone is no text: it is the file system's own bytes, as the dialogs and the command line give a
// path, so a table file in any folder can be read and written (see FileNames.h).

#include <array>
#include <string>

inline constexpr int MaxItemRows = 50;  // entry rows of the grid, below its header row
inline constexpr int MaxFeedItems = 15; // newest entries written into the feed
inline constexpr int ItemColumns = 4;

// The columns of the entry table, in the grid's order. Unscoped, so that a column is also the
// grid's column index.
enum TItemColumn : int { icTitle = 0, icDate = 1, icAddress = 2, icDescription = 3 };

struct TChannelInfo {
    std::string Title;
    std::string HomeAddress;
    std::string Description;
    std::string FeedAddress; // web folder of the feed file, without its name
    std::string LogoTitle;
    std::string LogoImageAddress;
    std::string LogoLinkAddress;
    std::string SaveFolder; // local folder of the feed file; empty means beside the table file
    int ExtensionIndex = 0; // 0 = "rdf", 1 = "xml"
    bool AutoDate = true;
    bool AutoAddress = true;
    std::string StyleSheet;

    friend bool operator==(const TChannelInfo&, const TChannelInfo&) = default;
};

struct TFeedItem {
    std::string Title;
    std::string Date;
    std::string Address;
    std::string Description;

    // The cell of grid column 0 to 3: title, date, address, description.
    std::string& Cell(int column);
    const std::string& Cell(int column) const;
    bool IsEmpty() const;
    friend bool operator==(const TFeedItem&, const TFeedItem&) = default;
};

struct TFeedDocument {
    TChannelInfo Channel;
    std::array<TFeedItem, MaxItemRows> Items; // grid rows 1 to 50, oldest entry first
    std::string FileName; // table file's path, the file system's bytes; empty for a new document
    bool Modified = false;

    // Grid row 1 to 50.
    TFeedItem& Row(int row) { return Items[static_cast<size_t>(row - 1)]; }
    const TFeedItem& Row(int row) const { return Items[static_cast<size_t>(row - 1)]; }
};
