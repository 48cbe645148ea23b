#include "ThemeColours.h"
#include "widgets/L_Theme.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void UseStyle(const QString& name) {
    QApplication::setStyle(QStyleFactory::create(name));
}

QImage Drawn(const std::function<void(QPainter&)>& draw) {
    QImage image(80, 24, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter);
    return image;
}

bool ColumnIsEmpty(const QImage& image, int x) {
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) != 0) return false;
    return true;
}

QVector<QRgb> Column(const QImage& image, int x) {
    QVector<QRgb> pixels;
    for (int y = 0; y < image.height(); ++y)
        pixels << image.pixel(x, y);
    return pixels;
}

} // namespace

class TestL_Theme : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { UseStyle(u"Fusion"_s); }
    void visualStylesFollowTheStyle_data();
    void visualStylesFollowTheStyle();
    void editTextLengthCountsCharacters();
    void legibleColourKeepsItsHue_data();
    void legibleColourKeepsItsHue();
    void clippedPartCutsItsRightEdge();
    void partTextKeepsAwayFromTheEdges();
    void japaneseFontShowsJapanese();
};

void TestL_Theme::visualStylesFollowTheStyle_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<bool>("inUse");
    QTest::newRow("Fusion") << u"Fusion"_s << true;
    QTest::newRow("plain Windows") << u"Windows"_s << false;
}

// A tab page takes the text fields' colours on joining the tab widget only under visual styles,
// and again when the desktop's colours change.
void TestL_Theme::visualStylesFollowTheStyle() {
    QFETCH(QString, style);
    QFETCH(bool, inUse);
    UseStyle(style);
    QCOMPARE(VisualStylesInUse(), inUse);

    QTabWidget tabs;
    auto* added = new TTabSheetEx;
    tabs.addTab(added, u"基本設定"_s);
    auto* created = new TTabSheetEx(&tabs);
    QPalette dark = tabs.palette();
    dark.setColor(QPalette::Base, Qt::black);
    dark.setColor(QPalette::Text, Qt::yellow);
    for (const QPalette& desktop : {tabs.palette(), dark}) {
        tabs.setPalette(desktop);
        for (TTabSheetEx* sheet : {added, created}) {
            QCOMPARE(sheet->testAttribute(Qt::WA_SetPalette), inUse);
            QCOMPARE(sheet->autoFillBackground(), inUse);
            if (!inUse) continue;
            QCOMPARE(sheet->palette().color(QPalette::Window), desktop.color(QPalette::Base));
            QCOMPARE(sheet->palette().color(QPalette::WindowText), desktop.color(QPalette::Text));
        }
    }
    TTabSheetEx orphan;
    QVERIFY(!orphan.autoFillBackground());
}

void TestL_Theme::editTextLengthCountsCharacters() {
    QCOMPARE(EditTextLength("\x83\x6a\x83\x85\x81\x5b\x83\x58 RSS"), 8);
}

void TestL_Theme::legibleColourKeepsItsHue_data() {
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("changed");
    QTest::newRow("blue on white: legible already")
        << QColor(Qt::blue) << QColor(Qt::white) << false;
    QTest::newRow("red on white: a little darker") << QColor(Qt::red) << QColor(Qt::white) << true;
    QTest::newRow("red on dark grey: lighter")
        << QColor(Qt::red) << QColor(0x2A, 0x2A, 0x2A) << true;
    QTest::newRow("black on black: grey") << QColor(Qt::black) << QColor(Qt::black) << true;
    QTest::newRow("white on light yellow: grey")
        << QColor(Qt::white) << QColor(0xFF, 0xFF, 0xF4) << true;
}

void TestL_Theme::legibleColourKeepsItsHue() {
    QFETCH(QColor, colour);
    QFETCH(QColor, background);
    const QColor legible = LegibleOn(colour, background);
    QVERIFY(testsupport::Contrast(legible, background) >= 4.5);
    QCOMPARE(legible.hslHue(), colour.hslHue());
    QTEST(legible != colour, "changed");
}

void TestL_Theme::clippedPartCutsItsRightEdge() {
    QHeaderView header(Qt::Horizontal);
    const QRect cell(10, 0, 50, 24);
    const auto draw = [&](auto drawing) {
        return Drawn([&](QPainter& painter) {
            drawing(painter, &header, TThemePart::HeaderItem, TThemeState::Normal, QString(), cell,
                    int(Qt::AlignCenter));
        });
    };
    const QImage plain = draw(DrawThemePartWithText);
    const QImage clipped = draw(DrawThemePartWithTextClipped);
    QVERIFY(!ColumnIsEmpty(clipped, cell.right()));
    QVERIFY(ColumnIsEmpty(clipped, cell.right() + 1));
    QVERIFY(ColumnIsEmpty(clipped, cell.left() - 1));
    QCOMPARE(Column(clipped, cell.left()), Column(plain, cell.left()));
    QVERIFY(Column(clipped, cell.right()) != Column(plain, cell.right()));
}

void TestL_Theme::partTextKeepsAwayFromTheEdges() {
    QWidget widget;
    QPalette black = widget.palette();
    black.setColor(QPalette::ButtonText, Qt::black);
    widget.setPalette(black);
    const QRect cell(0, 0, 80, 24);
    const QString wide = u"■■■■■■■■■■■■■■■■■■■■"_s;
    const QImage text = Drawn([&](QPainter& painter) {
        DrawThemePartWithText(painter, &widget, TThemePart::PushButton, TThemeState::Normal, wide,
                              cell, int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine));
    });
    const QImage bare = Drawn([&](QPainter& painter) {
        DrawThemePartWithText(painter, &widget, TThemePart::PushButton, TThemeState::Normal,
                              QString(), cell, int(Qt::AlignLeft));
    });
    for (int x : {0, 1, 78, 79})
        QCOMPARE(Column(text, x), Column(bare, x));
    QVERIFY(Column(text, 3) != Column(bare, 3));
}

void TestL_Theme::japaneseFontShowsJapanese() {
    const QFont font = JapaneseUiFont();
    QCOMPARE(font.pointSizeF(), QApplication::font().pointSizeF());
    QCOMPARE(QFontInfo(font).family().isEmpty(), false);
    QVERIFY(QFontMetrics(font).inFontUcs4(U'ニ'));
    QVERIFY(QFontMetrics(font).inFontUcs4(U'新'));
}

QTEST_MAIN(TestL_Theme)
#include "test_L_Theme.moc"
