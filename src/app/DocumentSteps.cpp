#include "app/DocumentSteps.h"

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const std::array<QString, ItemColumns> ColumnNames{u"タイトル"_s, u"日付"_s, u"アドレス"_s,
                                                   u"説明文"_s};

const std::array<std::pair<std::string TChannelInfo::*, QString>, 9> ChannelTextNames{{
    {&TChannelInfo::Title, u"タイトル"_s},
    {&TChannelInfo::HomeAddress, u"ホームページアドレス"_s},
    {&TChannelInfo::Description, u"説明文"_s},
    {&TChannelInfo::FeedAddress, u"RSSファイルを設置するアドレス"_s},
    {&TChannelInfo::LogoTitle, u"ロゴのタイトル"_s},
    {&TChannelInfo::LogoImageAddress, u"ロゴのあるアドレス"_s},
    {&TChannelInfo::LogoLinkAddress, u"ロゴをクリックしたときのアドレス"_s},
    {&TChannelInfo::SaveFolder, u"RSSファイルのローカル保存先"_s},
    {&TChannelInfo::StyleSheet, u"スタイルシートのアドレス"_s},
}};

QString ChannelFieldName(const TChannelInfo& before, const TChannelInfo& after) {
    for (const auto& [text, name] : ChannelTextNames)
        if (before.*text != after.*text) return name;
    if (before.ExtensionIndex != after.ExtensionIndex) return u"拡張子"_s;
    if (before.AutoDate != after.AutoDate) return u"日付の自動セット"_s;
    return u"アドレスの自動セット"_s;
}

} // namespace

TDocumentStep::TDocumentStep(const QString& name, TDocumentChange change, TShow show)
    : QUndoCommand(name), change_(std::move(change)), show_(std::move(show)) {}

void TDocumentStep::undo() {
    show_(change_.Inverted());
}

void TDocumentStep::redo() {
    if (pushed_) show_(change_);
    pushed_ = true;
}

QString RowStepName(TRowStep step, int count) {
    switch (step) {
    case TRowStep::Insert:
        return u"%1行挿入"_s.arg(count);
    case TRowStep::Delete:
        return u"%1行削除"_s.arg(count);
    case TRowStep::Cut:
        return u"%1行切り取り"_s.arg(count);
    case TRowStep::Move:
        return u"行の移動"_s;
    case TRowStep::Paste:
        return u"%1行貼り付け"_s.arg(count);
    }
    return {};
}

QString CellStepName(int row, TItemColumn column) {
    return u"%1行目の%2の入力"_s.arg(row).arg(ColumnNames.at(static_cast<size_t>(column)));
}

QString ChannelStepName(const TChannelInfo& before, const TChannelInfo& after) {
    return ChannelFieldName(before, after) + u"の変更"_s;
}
