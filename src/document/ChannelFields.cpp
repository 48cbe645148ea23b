#include "document/ChannelFields.h"

#include "text/CodePage.h"

#include <cstddef>

namespace {

// A row as written here, its texts in UTF-8 for readability.
struct TSourceField {
    TChannelField field;
    std::string TChannelInfo::*text;
    int tableLine;
    int maxLength;
    const char* name;
    const char* caption;
};

constexpr std::array<TSourceField, ChannelTextFieldCount> SourceFields{{
    {TChannelField::Title, &TChannelInfo::Title, 2, 40, "タイトル", "タイトル(必須)"},
    {TChannelField::HomeAddress, &TChannelInfo::HomeAddress, 3, 255, "ホームページアドレス",
     "ホームページアドレス(必須) http:// から入力します"},
    {TChannelField::Description, &TChannelInfo::Description, 4, 500, "説明文", "説明文(任意)"},
    {TChannelField::FeedAddress, &TChannelInfo::FeedAddress, 5, 255,
     "RSSファイルを設置するアドレス", "RSSファイルを設置するアドレス(必須) http:// から入力します"},
    {TChannelField::LogoTitle, &TChannelInfo::LogoTitle, 6, 40, "ロゴのタイトル",
     "タイトル(必須) ロゴのタイトルを入力します"},
    {TChannelField::LogoImageAddress, &TChannelInfo::LogoImageAddress, 7, 255, "ロゴのあるアドレス",
     "ロゴのあるアドレス(必須) http:// から入力します"},
    {TChannelField::LogoLinkAddress, &TChannelInfo::LogoLinkAddress, 8, 255,
     "ロゴをクリックしたときのアドレス",
     "ロゴをクリックしたときのアドレス(必須) http:// から入力します"},
    {TChannelField::SaveFolder, &TChannelInfo::SaveFolder, 9, 255, "RSSファイルのローカル保存先",
     "RSSファイルのローカル保存先(必須) 指定しない場合はテーブルファイルと同じ場所です"},
    // Lines 10 to 12 hold the extension and the two auto-fill options.
    {TChannelField::StyleSheet, &TChannelInfo::StyleSheet, 13, 255,
     "スタイルシートのアドレスと名前", "スタイルシートのアドレスと名前(任意) "},
}};

std::string FromSource(const char* utf8) {
    return Utf8ToCp932(utf8).value();
}

} // namespace

const std::array<TChannelTextField, ChannelTextFieldCount>& ChannelTextFields() {
    static const std::array<TChannelTextField, ChannelTextFieldCount> fields = [] {
        std::array<TChannelTextField, ChannelTextFieldCount> converted;
        for (size_t i = 0; i < converted.size(); ++i) {
            const TSourceField& source = SourceFields[i];
            converted[i] = {source.field,
                            source.text,
                            source.tableLine,
                            source.maxLength,
                            FromSource(source.name),
                            FromSource(source.caption)};
        }
        return converted;
    }();
    return fields;
}

const TChannelTextField& ChannelTextField(TChannelField field) {
    return ChannelTextFields()[static_cast<size_t>(field)];
}
