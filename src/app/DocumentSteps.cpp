#include "app/DocumentSteps.h"

#include "document/ChannelFields.h"
#include "widgets/Cp932Text.h"

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const std::array<QString, ItemColumns> ColumnNames{u"タイトル"_s, u"日付"_s, u"アドレス"_s,
                                                   u"説明文"_s};

QString ChannelFieldName(const TChannelInfo& before, const TChannelInfo& after) {
    for (const TChannelTextField& field : ChannelTextFields())
        if (before.*field.Text != after.*field.Text) return FromCp932(field.Name);
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
