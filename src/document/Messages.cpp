#include "document/Messages.h"

#include "text/CodePage.h"

namespace {

// Texts are written here in UTF-8 for readability and held as code page 932 like all others.
std::string FromSource(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

} // namespace

#define ORVANIX_MESSAGE(name, text)                                                                \
    const std::string& name() {                                                                    \
        static const std::string message = FromSource(text);                                       \
        return message;                                                                            \
    }

ORVANIX_MESSAGE(MsgTableSaveFailed, "テーブルファイルの保存ができません。")
ORVANIX_MESSAGE(MsgTableLoadFailed, "テーブルファイルを読み込むことができません。")
ORVANIX_MESSAGE(MsgFeedCreateFailed, "RSSファイルが作成できません。")
ORVANIX_MESSAGE(MsgInvalidSaveFolder,
                "[RSSファイルの保存先]の指定が不正です。 RSSファイルの保存はできません。")
ORVANIX_MESSAGE(MsgSaveFolderNamed, "\r\n\r\n指定されている保存先 : ")
ORVANIX_MESSAGE(MsgSaveComplete,
                "テーブルファイルとRSSファイルの保存が完了しました。\r\n\r\nRSSファイルの名前 : ")
ORVANIX_MESSAGE(MsgNotTableFile,
                "テーブルファイルではありません(1行目が\"1.00\"のような形式の番号ではありません)。")
ORVANIX_MESSAGE(MsgFeedIsTableFile, "RSSファイルがテーブルファイルそのものになってしまいます。")
ORVANIX_MESSAGE(MsgNotRecoveryCopy,
                "復元用のコピーではありません(元のファイル名を記した最後の行がありません)。")
ORVANIX_MESSAGE(MsgNewsPageFailed, "お知らせページが作成できません。")
ORVANIX_MESSAGE(MsgNewsPageNamed, "\r\nお知らせページの名前 : ")
ORVANIX_MESSAGE(MsgNewsPageIsOwnFile,
                "お知らせページのファイル名がRSSファイルかテーブルファイルと同じです。")
ORVANIX_MESSAGE(UnresolvedFeedName, "[ファイル名未解決]")
ORVANIX_MESSAGE(MsgPreviewHeading, "構文のチェックを目的としますので以下の点に注意してください。")
ORVANIX_MESSAGE(MsgPreviewXmlExtension, "●拡張子は\"xml\"でテストデータを生成します。")
ORVANIX_MESSAGE(MsgPreviewNoStyleSheet, "●スタイルシートの場所特定できませんので使用しません。")
ORVANIX_MESSAGE(MsgMalformedFileName, "ファイル名の文字コードがUTF-8ではありません。")

std::string MsgCheckErrors(int count) {
    return FromSource("\r\n\r\nただし、フィードの検査でエラーが") + std::to_string(count) +
           FromSource("件見つかりました。");
}

std::string MsgUnusableNameCharacter(const std::string& codePoint, const std::string& becomes) {
    const std::string lead = FromSource("ファイル名の文字 ") + codePoint;
    if (becomes.empty()) return lead + FromSource(" はこのプログラムでは使用できません。");
    return lead + FromSource(" は「") + becomes +
           FromSource("」に変わってしまうため使用できません。");
}
