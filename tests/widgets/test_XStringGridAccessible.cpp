// The grid as a screen reader reads it: its body as the table, the fixed cells as headers, the
// current cell focused. (What is announced on each move is read over AT-SPI by
// tests/desktop/accessibility_tree.py.)

#include "XStringGridSupport.h"
#include "widgets/XComboEditAccessible.h"
#include "widgets/XStringGridAccessible.h"

#include <QAccessible>

namespace {

// The body cells that say they have the focus.
QList<QAccessibleInterface*> FocusedCells(QAccessibleTableInterface& table) {
    QList<QAccessibleInterface*> focused;
    for (int row = 0; row < table.rowCount(); ++row)
        for (int col = 0; col < table.columnCount(); ++col)
            if (table.cellAt(row, col)->state().focused) focused << table.cellAt(row, col);
    return focused;
}

} // namespace

class TestXStringGridAccessible : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        InstallGridAccessibility();
        InstallComboEditAccessibility();
    }

    void tableReadsAsTheUserSeesIt_data() {
        QTest::addColumn<int>("fixedCols");
        QTest::addColumn<QString>("thirdRowHeader");
        QTest::addColumn<QString>("editorName"); // on the body's first column, third row
        QTest::newRow("captions only") << 0 << u"3"_s << u"タイトル 3行目"_s;
        QTest::newRow("numbers in a fixed column") << 1 << u"No.3"_s << u"タイトル No.3行目"_s;
    }

    void tableReadsAsTheUserSeesIt() {
        QFETCH(int, fixedCols);
        TXStringGrid grid;
        grid.SetColCount(fixedCols + 2);
        grid.SetRowCount(51);
        grid.SetFixedCols(fixedCols);
        grid.SetFixedRows(1);
        grid.SetCellQString(fixedCols, 0, u"タイトル(必須 100バイト以内)"_s);
        grid.SetCellQString(fixedCols + 1, 0, u"日付(任意)"_s);
        for (int row = 1; row <= 50; ++row) {
            if (fixedCols) grid.SetCellQString(0, row, u"No.%1"_s.arg(row));
            grid.SetCellQString(fixedCols + 1, row, u"2026-12-%1"_s.arg(row));
        }

        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
        QVERIFY(table && table->tableInterface());
        QAccessibleTableInterface* cells = table->tableInterface();
        QCOMPARE(cells->rowCount(), 50);
        QCOMPARE(cells->columnCount(), 2);
        QCOMPARE(cells->columnDescription(0), u"タイトル(必須 100バイト以内)"_s);
        QTEST(cells->rowDescription(2), "thirdRowHeader");
        QAccessibleInterface* date = cells->cellAt(2, 1);
        QVERIFY(date && date->tableCellInterface());
        QCOMPARE(date->text(QAccessible::Name), u"2026-12-3"_s);
        const QList<QAccessibleInterface*> column = date->tableCellInterface()->columnHeaderCells();
        QCOMPARE(column.size(), 1);
        QCOMPARE(column[0]->role(), QAccessible::ColumnHeader);
        QCOMPARE(column[0]->text(QAccessible::Name), u"日付(任意)"_s);
        const QList<QAccessibleInterface*> row = date->tableCellInterface()->rowHeaderCells();
        QCOMPARE(row.size(), 1);
        QTEST(row[0]->text(QAccessible::Name), "thirdRowHeader");
        QCOMPARE(table->indexOfChild(date), table->indexOfChild(row[0]) + 2);
        QTEST(CellEditorName(grid, fixedCols, 3), "editorName");
        QVERIFY(!cells->cellAt(50, 0));
    }

    // From entry 3's date (body row 2, column 1), one key; the owner describes entry 4's date.
    void movesFocusTheCell_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<bool>("wholeRows");
        QTest::addColumn<int>("row"); // the cell focused then, in the table's coordinates
        QTest::addColumn<int>("col");
        QTest::addColumn<QList<int>>("selectedRows");
        QTest::newRow("down to a described cell")
            << int(Qt::Key_Down) << false << false << 3 << 1 << QList<int>{};
        QTest::newRow("tab") << int(Qt::Key_Tab) << false << false << 2 << 2 << QList<int>{};
        QTest::newRow("shift+tab") << int(Qt::Key_Tab) << true << false << 2 << 0 << QList<int>{};
        QTest::newRow("whole rows, shift+down")
            << int(Qt::Key_Down) << true << true << 3 << 1 << QList<int>{2, 3};
    }

    void movesFocusTheCell() {
        QFETCH(int, key);
        QFETCH(bool, shift);
        QFETCH(bool, wholeRows);
        QFETCH(int, row);
        QFETCH(int, col);
        TItemGridWindow window;
        TXStringGrid& grid = *window.grid;
        for (int r = 1; r <= 5; ++r)
            for (int c = 0; c < 4; ++c)
                grid.SetCellQString(c, r, u"%1-%2"_s.arg(c).arg(r));
        const QString reason = u"日付の形式ではありません"_s;
        SetCellDescriber(grid,
                         [&reason](int c, int r) { return c == 1 && r == 4 ? reason : u""_s; });
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
        window.Activate();
        grid.FocusCell(1, 3, true);
        if (wholeRows) grid.SetOptions(RowOptions);
        Press(key, shift ? Qt::ShiftModifier : Qt::NoModifier);
        Settle();
        const QList<QAccessibleInterface*> focused = FocusedCells(*table->tableInterface());
        QCOMPARE(focused.size(), 1);
        QAccessibleInterface* cell = focused[0];
        QCOMPARE(cell->tableCellInterface()->rowIndex(), row);
        QCOMPARE(cell->tableCellInterface()->columnIndex(), col);
        QCOMPARE(table->child(table->indexOfChild(cell)), cell);
        QCOMPARE(cell->text(QAccessible::Name), grid.CellQString(col, row + 1));
        const QString description = row == 3 && col == 1 ? reason : QString();
        QCOMPARE(cell->text(QAccessible::Description), description);
        QTEST(table->tableInterface()->selectedRows(), "selectedRows");
        if (wholeRows) return;
        // The cell editor on it: a combo box with the cell's text, named and described after it.
        QAccessibleInterface* editor = QAccessible::queryAccessibleInterface(window.Control());
        QCOMPARE(editor->role(), QAccessible::ComboBox);
        QCOMPARE(editor->text(QAccessible::Name), CellEditorName(grid, col, row + 1));
        QCOMPARE(editor->text(QAccessible::Description), description);
        QCOMPARE(editor->textInterface()->text(0, editor->textInterface()->characterCount()),
                 grid.CellQString(col, row + 1));
    }
};

QTEST_MAIN(TestXStringGridAccessible)
#include "test_XStringGridAccessible.moc"
