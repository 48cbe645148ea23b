#include "app/FormAccessibility.h"

#include "app/MiniForm.h"
#include "widgets/XStringGridAccessible.h"

#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

namespace {

// The reason the date cell of `row` is drawn in the error colour; empty when it is not.
QString DateCellReason(const TMiniForm& form, int row) {
    if (row < 1 || !form.MarksDateCell(row)) return {};
    return form.XStringGrid->Cells(icDate, row).empty() ? u"日付が空です"_s
                                                        : u"日付の形式ではありません"_s;
}

} // namespace

void NameUnlabelledControls(TMiniForm& form) {
    form.XStringGrid->setAccessibleName(u"新着情報"_s);
    // Read each time the grid is entered: the grid's hint is too long for that.
    form.XStringGrid->setAccessibleDescription(
        u"F2 1行挿入、F3 1行削除、F4 行貼付、F5 下へ移動、F6 上へ移動。Ctrl+Tabで表を出ます"_s);
    SetCellDescriber(*form.XStringGrid, [&form](int col, int row) {
        return col == icDate ? DateCellReason(form, row) : QString();
    });
    form.Memo->setAccessibleName(u"フィードの内容"_s);
}
