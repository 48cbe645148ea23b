// The grid as a screen reader reads it: its body as the table, the fixed cells as headers.

#include "XStringGridSupport.h"
#include "widgets/XStringGridAccessible.h"

#include <QAccessible>

class TestXStringGridAccessible : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallGridAccessibility(); }

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
};

QTEST_MAIN(TestXStringGridAccessible)
#include "test_XStringGridAccessible.moc"
