#pragma once

// The channel's text fields in one table: the member of TChannelInfo that holds each, the line of
// the table file that stores it, the bytes the user may type into it, the caption of its label on
// the first page, and the short name under which the feed check and the history speak of it
// ("ロゴのあるアドレス"), taken from that caption so that a message names the field as the user
// sees it. The table file, the window, the history and the check all go through this table, so a
// text field of the channel is added here once. Texts are code page 932; nothing here can fail.

#include "document/FeedDocument.h"

#include <array>
#include <string>

// The channel's text fields, in the order of the table file's lines.
enum class TChannelField {
    Title,
    HomeAddress,
    Description,
    FeedAddress,
    LogoTitle,
    LogoImageAddress,
    LogoLinkAddress,
    SaveFolder,
    StyleSheet,
};
inline constexpr int ChannelTextFieldCount = 9;

struct TChannelTextField {
    TChannelField Field = TChannelField::Title;
    std::string TChannelInfo::*Text = nullptr;
    int TableLine = 0;   // line of the table file, counted from 1 (line 1 is the format version)
    int MaxLength = 0;   // bytes the user may type; a text the program sets is never cut
    std::string Name;    // "説明文": how the check's list and the edit menu's steps name it
    std::string Caption; // the label above its edit box
};

// Every text field, indexed by TChannelField.
const std::array<TChannelTextField, ChannelTextFieldCount>& ChannelTextFields();
const TChannelTextField& ChannelTextField(TChannelField field);
