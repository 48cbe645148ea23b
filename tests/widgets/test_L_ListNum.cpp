#include "widgets/L_ListNum.h"

#include <QImage>
#include <QTest>

using namespace Qt::StringLiterals;

class TestListNum : public QObject {
    Q_OBJECT

private slots:
    void shortcutLabels() {
        QCOMPARE(TCustomListNum::ShortcutLabel(1), u"1"_s);
        QCOMPARE(TCustomListNum::ShortcutLabel(10), u"0"_s);
        QCOMPARE(TCustomListNum::ShortcutLabel(36), u"Z"_s);
        QCOMPARE(TCustomListNum::ShortcutLabel(37), QString());
    }

    void shortcutSelectsAndScrollsToTop() {
        TCustomListNum list;
        list.SetRowHeight(20);
        list.resize(120, 4 * 20 + 2 * list.frameWidth());
        Fill(list, 30);
        list.show();
        QTest::keyClick(&list, Qt::Key_K);
        QCOMPARE(list.currentRow(), 20);
        QCOMPARE(list.indexAt(QPoint(5, 5)).row(), 20);
    }

    void labelColours() {
        TCustomListNum list;
        list.SetOwnerDraw(true);
        list.SetRowHeight(20);
        list.LabelColor = QColor(255, 251, 240);
        list.resize(160, 100);
        Fill(list, 3);
        list.show();
        list.setCurrentRow(1);
        const QImage image = list.viewport()->grab().toImage();
        const auto labelPixel = [&](int row) {
            return image.pixelColor(list.LabelCellWidth() - 1,
                                    list.visualItemRect(list.item(row)).center().y());
        };
        QCOMPARE(labelPixel(0), list.LabelColor);
        QCOMPARE(labelPixel(1), list.SelLabelColor);
        QCOMPARE(labelPixel(2), list.LabelColor);
    }

    void fontChangeRaisesRowHeight() {
        TCustomListNum list;
        list.SetRowHeight(4);
        QFont large = list.font();
        large.setPixelSize(30);
        list.setFont(large);
        QCOMPARE(list.RowHeight(), FontPixelHeight(large) + 2);
        list.SetRowHeight(100);
        list.setFont(QFont(large.family(), 8));
        QCOMPARE(list.RowHeight(), 100);
    }

private:
    static void Fill(TCustomListNum& list, int count) {
        for (int n = 1; n <= count; ++n)
            list.addItem(u"行 %1"_s.arg(n));
    }
};

QTEST_MAIN(TestListNum)
#include "test_L_ListNum.moc"
