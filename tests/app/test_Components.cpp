#include "app/FileDialog.h"
#include "app/RadioGroup.h"
#include "app/ToolGlyphs.h"
#include "widgets/L_Theme.h"

#include <QAbstractButton>
#include <QFile>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
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

    // The size, type and date columns show their whole texts.
    void fileDialogColumnsFitTheirTexts() {
        QTemporaryDir folder;
        for (const QString& name : {u"news.tbl"_s, u"お知らせ.tbl"_s}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(7 * 1024, 'x'));
        }
        // Japanese texts: the types are longer than the toolkit's column widths allow for.
        QTranslator japanese;
        QVERIFY(japanese.load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&japanese);
        const QFont font = QApplication::font();
        // A desktop with a larger font than the toolkit's column widths allow for.
        QFont larger = JapaneseUiFont();
        larger.setPixelSize(16);
        QApplication::setFont(larger);
        const QLocale locale;
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        const auto restore = qScopeGuard([&] {
            QCoreApplication::removeTranslator(&japanese);
            QApplication::setFont(font);
            QLocale::setDefault(locale);
        });
        TFileDialog dialog(fdOpen);
        dialog.Filter = u"テーブルファイル(*.tbl)|*.tbl"_s;
        dialog.InitialDir = folder.path();
        QStringList cut;
        bool loaded = false;
        QTimer::singleShot(0, [&] {
            QWidget* shown = QApplication::activeModalWidget();
            auto* view = shown ? shown->findChild<QTreeView*>(u"treeView"_s) : nullptr;
            if (view) {
                loaded = QTest::qWaitFor([view] {
                    return view->model()->rowCount(view->rootIndex()) == 2 &&
                           view->header()->sectionSize(1) > view->header()->minimumSectionSize();
                });
                for (int column = 1; column < view->header()->count(); ++column) {
                    for (int row = 0; row < 2; ++row) {
                        const QModelIndex index =
                            view->model()->index(row, column, view->rootIndex());
                        const QString text = index.data().toString();
                        const int needed = view->fontMetrics().horizontalAdvance(text);
                        if (view->visualRect(index).width() < needed) cut << text;
                    }
                }
            }
            if (shown) shown->close();
        });
        QVERIFY(!dialog.Execute());
        QVERIFY(loaded);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u", "_s)));
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
