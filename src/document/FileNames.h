#pragma once

// The names of the document's files: paths as the file system's bytes, names as document text.
//
// Paths are the file system's bytes (UTF-8 on any usual system) everywhere they lead to a file:
// from the file dialogs and the command line down to open(). Only the table file's own name
// becomes document text, because the feed is named after it and that name ends the channel's
// address in the feed. So that name alone must be code page 932 text, and exactly: a name that
// code page 932 cannot hold, or whose characters come back as others (〜 U+301C as ～ U+FF5E),
// is refused, never changed, because a changed name would be another file.

#include "text/Result.h"

#include <string>

// The own name of the file at `path` (after its last "/") as code page 932 text into `text`; on
// failure `text` is left as it was and the result names the first character at fault.
TResult FileNameText(const std::string& path, std::string& text);

// Why FileNameText refuses `path`, as UTF-8 text for a display that can show any character: the
// character at fault itself ("ファイル名の「〜」は「～」に変わってしまうため使用できません。"),
// which the code page 932 reason can only name by its code point. Empty when the name is usable.
std::string FileNameRefusalShown(const std::string& path);

// The file name (the file system's bytes, UTF-8) with its ASCII capitals made small; every other
// byte stays as it is.
std::string LowerCaseFileName(std::string name);
