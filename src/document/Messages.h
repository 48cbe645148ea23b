#pragma once

// The program's messages about files, as code page 932 text.

#include <string>

const std::string& MsgTableSaveFailed();     // the table file cannot be written
const std::string& MsgTableLoadFailed();     // the table file cannot be read
const std::string& MsgFeedCreateFailed();    // the feed file cannot be written
const std::string& MsgInvalidSaveFolder();   // the save folder does not exist
const std::string& MsgSaveFolderNamed();     // precedes the folder's name in the message above
const std::string& MsgSaveComplete();        // precedes the feed file's name
const std::string& MsgNotTableFile();        // reason: the first line is no format version
const std::string& MsgFeedIsTableFile();     // reason: the feed would replace its own table file
const std::string& MsgNotRecoveryCopy();     // reason: a recovery copy without its last line
const std::string& UnresolvedFeedName();     // stands for a feed path that cannot be derived
const std::string& MsgNewsPageFailed();      // the news page cannot be written
const std::string& MsgNewsPageNamed();       // precedes the news page's name after a save
const std::string& MsgNewsPageIsOwnFile();   // reason: the page would replace the feed or table
const std::string& MsgPreviewHeading();      // heads the preview's notice lines
const std::string& MsgPreviewXmlExtension(); // the test copy is named .xml
const std::string& MsgPreviewNoStyleSheet(); // the style sheet cannot be found

// Appended to a complete save's message when the feed check finds `count` errors.
std::string MsgCheckErrors(int count);

// Reason: the table file's name holds the character `codePoint` ("U+301C"), which code page 932
// cannot hold, or turns into `becomes` (code page 932 text; empty when it has no form at all).
std::string MsgUnusableNameCharacter(const std::string& codePoint, const std::string& becomes);
// Reason: the table file's name is not UTF-8, so it cannot be read as text at all.
const std::string& MsgMalformedFileName();
