#include "app/FormAccessibility.h"

#include "document/FeedDocument.h"
#include "widgets/XStringGrid.h"
#include "widgets/XStringGridAccessible.h"

#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

void NameUnlabelledControls(TXStringGrid& grid, QPlainTextEdit& feedText,
                            std::function<bool(int row)> marksDate) {
    grid.setAccessibleName(u"新着情報"_s);
    // Read each time the grid is entered: the grid's hint is too long for that.
    grid.setAccessibleDescription(
        u"F2 1行挿入、F3 1行削除、F4 行貼付、F5 下へ移動、F6 上へ移動。Ctrl+Tabで表を出ます"_s);
    // The reason a date cell is drawn in the error colour; empty for any other cell.
    SetCellDescriber(grid, [&grid, marksDate = std::move(marksDate)](int col, int row) {
        if (col != icDate || row < 1 || !marksDate(row)) return QString();
        return grid.Cells(icDate, row).empty() ? u"日付が空です"_s : u"日付の形式ではありません"_s;
    });
    feedText.setAccessibleName(u"フィードの内容"_s);
}
