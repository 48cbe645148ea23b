#include "FileDialog.h"
#include "RadioGroup.h"
#include "ToolGlyphs.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestComponents : public QObject {
    Q_OBJECT

private slots:
    void radioGroupIndex_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("clicks");
        QTest::newRow("select") << -1 << 1 << 1 << 1;
        QTest::newRow("change") << 0 << 1 << 1 << 1;
        QTest::newRow("same") << 1 << 1 << 1 << 0;
        QTest::newRow("none") << 1 << -1 << -1 << 1;
        QTest::newRow("out of range") << 0 << 7 << -1 << 1;
    }

    void radioGroupIndex() {
        QFETCH(int, from);
        QFETCH(int, to);
        TRadioGroup group;
        group.SetColumns(2);
        group.SetItems({u"rdf"_s, u"xml"_s});
        QCOMPARE(group.ItemIndex(), -1);
        group.SetItemIndex(from);
        QSignalSpy clicks(&group, &TRadioGroup::Click);
        group.SetItemIndex(to);
        QTEST(group.ItemIndex(), "index");
        QTEST(int(clicks.size()), "clicks");
    }

    void radioGroupClickedByTheUser() {
        TRadioGroup group;
        group.SetItems({u"rdf"_s, u"xml"_s});
        group.SetItemIndex(0);
        group.show();
        QSignalSpy clicks(&group, &TRadioGroup::Click);
        QTest::mouseClick(group.findChildren<QAbstractButton*>().at(1), Qt::LeftButton);
        QCOMPARE(group.ItemIndex(), 1);
        QCOMPARE(clicks.size(), 1);
    }

    void nameFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("caption names the pattern")
            << u"テーブルファイル(*.tbl)|*.tbl"_s << QStringList{u"テーブルファイル(*.tbl)"_s};
        QTest::newRow("plain caption, two patterns")
            << u"Pages|*.htm;*.html"_s << QStringList{u"Pages (*.htm *.html)"_s};
        QTest::newRow("two filters") << u"A|*.a|B|*.b"_s << QStringList{u"A (*.a)"_s, u"B (*.b)"_s};
        QTest::newRow("caption without pattern") << u"Broken"_s << QStringList();
    }

    void nameFilters() {
        QFETCH(QString, filter);
        QTEST(NameFiltersOf(filter), "expected");
    }

    void queuedDialogAnswers() {
        TFileDialog dialog(fdSave);
        dialog.FileName = u"/old/news.tbl"_s;
        TFileDialog::QueueCancel();
        TFileDialog::QueueAnswer(u"/site/new.tbl"_s);
        QCOMPARE(TFileDialog::QueuedAnswerCount(), 2);
        QVERIFY(!dialog.Execute());
        QCOMPARE(dialog.FileName, u"/old/news.tbl"_s);
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.FileName, u"/site/new.tbl"_s);
        QCOMPARE(TFileDialog::QueuedAnswerCount(), 0);
    }

    void glyphsForEveryScale() {
        for (TToolGlyph glyph : {TToolGlyph::InsertRow, TToolGlyph::DeleteRow, TToolGlyph::PasteRow,
                                 TToolGlyph::MoveDown, TToolGlyph::MoveUp}) {
            const QIcon icon = ToolGlyph(glyph);
            for (qreal ratio : {1.0, 2.0}) {
                const QPixmap pixmap = icon.pixmap(QSize(ToolGlyphSize, ToolGlyphSize), ratio);
                QCOMPARE(pixmap.size(), QSize(ToolGlyphSize, ToolGlyphSize) * ratio);
                const QImage image = pixmap.toImage();
                // Something is drawn, and it is not a filled square.
                int opaque = 0;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        opaque += qAlpha(image.pixel(x, y)) > 128;
                QVERIFY(opaque > image.width());
                QVERIFY(opaque < image.width() * image.height());
            }
        }
    }
};

QTEST_MAIN(TestComponents)
#include "test_Components.moc"
